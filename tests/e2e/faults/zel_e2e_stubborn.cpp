// A top-level window that behaves badly when another program hides it, for the fault tests:
//
//   zel-e2e-stubborn --class NAME --title TEXT --geometry WxH+X+Y [--mode MODE]
//
// MODE plain    an ordinary window (the default);
//      remap    maps itself again each time it is unmapped, and prints "remapped" each time;
//      destroy  destroys its window when it is unmapped, prints "destroyed" and ends;
//      override an override-redirect window that sets WM_STATE Normal on itself, as some toolkits'
//               pop-ups and docks do, so that window lists take it for a client.
// Prints "0xWINDOW" once the window is mapped, then runs until killed.
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Rect {
    int x = 100, y = 100, w = 300, h = 200;
};

enum class Mode { kPlain, kRemap, kDestroy, kOverride };

struct Options {
    std::string cls = "ZelStubborn";
    std::string title = "zel stubborn";
    Rect geometry;
    Mode mode = Mode::kPlain;
};

bool parseMode(const std::string& text, Mode& mode) {
    if (text == "plain")
        mode = Mode::kPlain;
    else if (text == "remap")
        mode = Mode::kRemap;
    else if (text == "destroy")
        mode = Mode::kDestroy;
    else if (text == "override")
        mode = Mode::kOverride;
    else
        return false;
    return true;
}

bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        const char* value = argv[i + 1];
        Rect& r = options.geometry;
        if (arg == "--class") {
            options.cls = value;
        } else if (arg == "--title") {
            options.title = value;
        } else if (arg == "--geometry") {
            if (std::sscanf(value, "%dx%d%d%d", &r.w, &r.h, &r.x, &r.y) != 4 || r.w <= 0 || r.h <= 0)
                return false;
        } else if (arg == "--mode") {
            if (!parseMode(value, options.mode)) return false;
        } else {
            return false;
        }
    }
    return argc % 2 == 1;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = r != nullptr ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(r);
    return atom;
}

void setText(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property, xcb_atom_t type,
             const std::string& text) {
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, property, type, 8,
                        static_cast<std::uint32_t>(text.size()), text.data());
}

xcb_window_t createWindow(xcb_connection_t* c, const Options& o) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t w = xcb_generate_id(c);
    const std::uint32_t values[] = {0x60a030, o.mode == Mode::kOverride ? 1u : 0u,
                                    XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    const Rect& r = o.geometry;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, static_cast<std::int16_t>(r.x),
                      static_cast<std::int16_t>(r.y), static_cast<std::uint16_t>(r.w),
                      static_cast<std::uint16_t>(r.h), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    const xcb_atom_t utf8 = atom(c, "UTF8_STRING");
    setText(c, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING,
            "zel-e2e-stubborn" + std::string(1, '\0') + o.cls + '\0');
    setText(c, w, XCB_ATOM_WM_NAME, utf8, o.title);
    setText(c, w, atom(c, "_NET_WM_NAME"), utf8, o.title);
    // A user-given position, which the window manager keeps when it maps the window again.
    std::uint32_t hints[18] = {};
    hints[0] = 1u | 2u;  // USPosition | USSize
    hints[1] = static_cast<std::uint32_t>(r.x);
    hints[2] = static_cast<std::uint32_t>(r.y);
    hints[3] = static_cast<std::uint32_t>(r.w);
    hints[4] = static_cast<std::uint32_t>(r.h);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 32, 18,
                        hints);
    if (o.mode == Mode::kOverride) {
        const xcb_atom_t wmState = atom(c, "WM_STATE");
        const std::uint32_t normal[] = {1, XCB_NONE};
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, wmState, wmState, 32, 2, normal);
    }
    return w;
}

void say(const char* text) {
    std::printf("%s\n", text);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: zel-e2e-stubborn --class NAME --title TEXT --geometry WxH+X+Y [--mode MODE]\n");
        return 2;
    }
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c) != 0) return 1;
    const xcb_window_t w = createWindow(c, options);
    xcb_map_window(c, w);
    xcb_flush(c);
    bool announced = false;
    while (xcb_generic_event_t* event = xcb_wait_for_event(c)) {
        const int type = event->response_type & 0x7f;
        const bool ours =
            (type == XCB_MAP_NOTIFY && reinterpret_cast<xcb_map_notify_event_t*>(event)->window == w) ||
            (type == XCB_UNMAP_NOTIFY && reinterpret_cast<xcb_unmap_notify_event_t*>(event)->window == w);
        std::free(event);
        if (!ours) continue;
        if (type == XCB_MAP_NOTIFY && !announced) {
            announced = true;
            std::printf("0x%x\n", w);
            std::fflush(stdout);
        } else if (type == XCB_UNMAP_NOTIFY && options.mode == Mode::kRemap) {
            xcb_map_window(c, w);
            xcb_flush(c);
            say("remapped");
        } else if (type == XCB_UNMAP_NOTIFY && options.mode == Mode::kDestroy) {
            xcb_destroy_window(c, w);
            xcb_flush(c);
            say("destroyed");
            break;
        }
    }
    xcb_disconnect(c);
    return 0;
}
