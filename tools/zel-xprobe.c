/* Small X probe for the headless desktop script: answers whether a part of the desktop is ready.
 *   zel-xprobe selection-owner NAME   exit 0 when the selection NAME has an owner
 *   zel-xprobe root-cardinal NAME     print the root window's CARDINAL property NAME, exit 1 if unset
 *   zel-xprobe ping                   exit 0 when the X server answers
 *   zel-xprobe wm-manages             exit 0 once the window manager manages a new window (it maps
 *                                     a probe window and waits up to 5 s for it to be reparented)
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

static double now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

/* A window manager announces itself a moment before it handles map requests: a client mapped in
 * between is never managed. Waiting for a probe window to be reparented closes that gap. */
static int wm_manages(xcb_connection_t* c, xcb_window_t root) {
    xcb_window_t probe = xcb_generate_id(c);
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, probe, root, 0, 0, 16, 16, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    xcb_map_window(c, probe);
    xcb_flush(c);
    int rc = 1;
    const double deadline = now() + 5.0;
    while (rc != 0 && now() < deadline && !xcb_connection_has_error(c)) {
        xcb_generic_event_t* e = xcb_poll_for_event(c);
        if (!e) {
            struct timespec pause = {0, 5 * 1000 * 1000};
            nanosleep(&pause, NULL);
            continue;
        }
        if ((e->response_type & 0x7f) == XCB_REPARENT_NOTIFY) rc = 0;
        free(e);
    }
    xcb_destroy_window(c, probe);
    xcb_flush(c);
    return rc;
}

int main(int argc, char** argv) {
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(NULL, &screenNumber);
    if (xcb_connection_has_error(c)) return 2;
    int rc = 1;
    if (argc >= 2 && strcmp(argv[1], "ping") == 0) {
        xcb_get_input_focus_reply_t* r = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), NULL);
        rc = r ? 0 : 1;
        free(r);
    } else if (argc >= 2 && strcmp(argv[1], "wm-manages") == 0) {
        const xcb_setup_t* setup = xcb_get_setup(c);
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
        for (int i = 0; i < screenNumber; ++i)
            xcb_screen_next(&it);
        rc = wm_manages(c, it.data->root);
    } else if (argc >= 3 && strcmp(argv[1], "selection-owner") == 0) {
        xcb_atom_t a = atom(c, argv[2]);
        xcb_get_selection_owner_reply_t* r =
            a ? xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, a), NULL) : NULL;
        rc = (r && r->owner != XCB_NONE) ? 0 : 1;
        free(r);
    } else if (argc >= 3 && strcmp(argv[1], "root-cardinal") == 0) {
        const xcb_setup_t* setup = xcb_get_setup(c);
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
        for (int i = 0; i < screenNumber; ++i)
            xcb_screen_next(&it);
        xcb_atom_t a = atom(c, argv[2]);
        xcb_get_property_reply_t* r =
            a ? xcb_get_property_reply(c, xcb_get_property(c, 0, it.data->root, a, XCB_ATOM_CARDINAL, 0, 1),
                                       NULL)
              : NULL;
        if (r && xcb_get_property_value_length(r) >= 4) {
            printf("%u\n", *(uint32_t*)xcb_get_property_value(r));
            rc = 0;
        }
        free(r);
    } else {
        fprintf(stderr, "usage: zel-xprobe ping | wm-manages | selection-owner NAME | root-cardinal NAME\n");
        rc = 2;
    }
    xcb_disconnect(c);
    return rc;
}
