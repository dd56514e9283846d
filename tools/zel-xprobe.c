/* Small X probe for the headless desktop script: answers whether a part of the desktop is ready.
 *   zel-xprobe selection-owner NAME   exit 0 when the selection NAME has an owner
 *   zel-xprobe root-cardinal NAME     print the root window's CARDINAL property NAME, exit 1 if unset
 *   zel-xprobe ping                   exit 0 when the X server answers
 *   zel-xprobe wm-name                print the _NET_WM_NAME of the window manager's check window
 *                                     (the root's _NET_SUPPORTING_WM_CHECK, which must point to
 *                                     itself as well), exit 1 while there is none
 *   zel-xprobe wm-manages [--any-parent]
 *                                     exit 0 once the window manager manages a new window: it
 *                                     maps probe windows and waits up to 10 s for WM_STATE Normal
 *                                     on one and for its reparenting (not required with
 *                                     --any-parent); prints "reparented" or "not-reparented"
 *   zel-xprobe window-state WINDOW    print "STATE PARENT" for a client window: its WM_STATE
 *                                     (withdrawn, normal, iconic or none) and whether its parent
 *                                     is the root or a frame ("root" or "frame")
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <xcb/xcb.h>

static xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, (uint16_t)strlen(name), name), NULL);
    xcb_atom_t a = r ? r->atom : XCB_ATOM_NONE;
    free(r);
    return a;
}

static xcb_window_t root_of(xcb_connection_t* c, int screenNumber) {
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber; ++i) xcb_screen_next(&it);
    return it.data->root;
}

/* The first 32-bit value of a property of the given type, or -1 when it is unset. */
static long long first_value(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property,
                             xcb_atom_t type) {
    if (property == XCB_ATOM_NONE) return -1;
    xcb_get_property_reply_t* r =
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, type, 0, 1), NULL);
    long long value = -1;
    if (r && r->format == 32 && xcb_get_property_value_length(r) >= 4)
        value = *(uint32_t*)xcb_get_property_value(r);
    free(r);
    return value;
}

static double now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

/* EWMH: the check window names the window manager, and carries _NET_SUPPORTING_WM_CHECK pointing
 * to itself; a stale property left by a window manager that died points to a window that is gone. */
static int wm_name(xcb_connection_t* c, xcb_window_t root) {
    const xcb_atom_t check = atom(c, "_NET_SUPPORTING_WM_CHECK");
    const long long w = first_value(c, root, check, XCB_ATOM_WINDOW);
    if (w <= 0 || first_value(c, (xcb_window_t)w, check, XCB_ATOM_WINDOW) != w) return 1;
    const xcb_atom_t name = atom(c, "_NET_WM_NAME"), utf8 = atom(c, "UTF8_STRING");
    xcb_get_property_reply_t* r = xcb_get_property_reply(
        c, xcb_get_property(c, 0, (xcb_window_t)w, name, utf8, 0, 256), NULL);
    int rc = 1;
    if (r && r->format == 8) {
        printf("%.*s\n", xcb_get_property_value_length(r), (const char*)xcb_get_property_value(r));
        rc = 0;
    }
    free(r);
    return rc;
}

/* One probe window: mapped, then watched for WM_STATE Normal and a frame until the deadline. */
static int manage_attempt(xcb_connection_t* c, xcb_window_t root, int anyParent, double deadline,
                          int* reparented) {
    const xcb_atom_t wmState = atom(c, "WM_STATE");
    xcb_window_t probe = xcb_generate_id(c);
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, probe, root, 0, 0, 16, 16, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    static const char wmClass[] = "zel-xprobe\0ZelXprobe";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, probe, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        sizeof wmClass, wmClass);
    xcb_map_window(c, probe);
    xcb_flush(c);
    int normal = 0;
    *reparented = 0;
    while (!(normal && (*reparented || anyParent)) && now() < deadline &&
           !xcb_connection_has_error(c)) {
        xcb_generic_event_t* e = xcb_poll_for_event(c);
        if (!e) {
            struct timespec pause = {0, 5 * 1000 * 1000};
            nanosleep(&pause, NULL);
            continue;
        }
        const uint8_t type = e->response_type & 0x7f;
        if (type == XCB_REPARENT_NOTIFY)
            *reparented = ((xcb_reparent_notify_event_t*)e)->parent != root;
        else if (type == XCB_PROPERTY_NOTIFY && ((xcb_property_notify_event_t*)e)->atom == wmState)
            normal = first_value(c, probe, wmState, wmState) == 1;
        free(e);
    }
    xcb_destroy_window(c, probe);
    xcb_flush(c);
    return normal && (*reparented || anyParent);
}

/* A window manager announces itself a moment before it handles map requests: a client mapped in
 * between is never managed. Waiting for a probe window to be managed closes that gap. Managed
 * means WM_STATE Normal (ICCCM) and, for a reparenting window manager, a frame around it. A
 * window that is not managed in time is replaced by a new one, given twice as long each time
 * (0.25 s first, 10 s in all): a window manager that runs manages one in milliseconds. */
static int wm_manages(xcb_connection_t* c, xcb_window_t root, int anyParent) {
    const double end = now() + 10.0;
    int reparented = 0;
    for (double limit = 0.25; now() < end; limit *= 2) {
        const double deadline = now() + limit < end ? now() + limit : end;
        if (manage_attempt(c, root, anyParent, deadline, &reparented)) {
            puts(reparented ? "reparented" : "not-reparented");
            return 0;
        }
    }
    return 1;
}

static int window_state(xcb_connection_t* c, xcb_window_t root, const char* id) {
    char* end = NULL;
    const xcb_window_t w = (xcb_window_t)strtoul(id, &end, 0);
    if (!end || *end || w == XCB_NONE) return 2;
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, w), NULL);
    if (!tree) return 1;
    const xcb_atom_t wmState = atom(c, "WM_STATE");
    static const char* const names[] = {"withdrawn", "normal", "2", "iconic"};
    const long long state = first_value(c, w, wmState, wmState);
    printf("%s %s\n", state >= 0 && state <= 3 ? names[state] : "none",
           tree->parent == root ? "root" : "frame");
    free(tree);
    return 0;
}

int main(int argc, char** argv) {
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(NULL, &screenNumber);
    if (xcb_connection_has_error(c)) return 2;
    const xcb_window_t root = root_of(c, screenNumber);
    int rc = 1;
    if (argc >= 2 && strcmp(argv[1], "ping") == 0) {
        xcb_get_input_focus_reply_t* r = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), NULL);
        rc = r ? 0 : 1;
        free(r);
    } else if (argc >= 2 && strcmp(argv[1], "wm-manages") == 0) {
        rc = wm_manages(c, root, argc >= 3 && strcmp(argv[2], "--any-parent") == 0);
    } else if (argc >= 2 && strcmp(argv[1], "wm-name") == 0) {
        rc = wm_name(c, root);
    } else if (argc >= 3 && strcmp(argv[1], "window-state") == 0) {
        rc = window_state(c, root, argv[2]);
    } else if (argc >= 3 && strcmp(argv[1], "selection-owner") == 0) {
        xcb_atom_t a = atom(c, argv[2]);
        xcb_get_selection_owner_reply_t* r =
            a ? xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, a), NULL) : NULL;
        rc = (r && r->owner != XCB_NONE) ? 0 : 1;
        free(r);
    } else if (argc >= 3 && strcmp(argv[1], "root-cardinal") == 0) {
        const long long value = first_value(c, root, atom(c, argv[2]), XCB_ATOM_CARDINAL);
        if (value >= 0) {
            printf("%lld\n", value);
            rc = 0;
        }
    } else {
        fprintf(stderr, "usage: zel-xprobe ping | wm-name | wm-manages [--any-parent] | "
                        "window-state WINDOW | selection-owner NAME | root-cardinal NAME\n");
        rc = 2;
    }
    xcb_disconnect(c);
    return rc;
}
