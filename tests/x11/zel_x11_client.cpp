// A small X client for the tests: top-level windows with a known class, title, geometry and an
// optional child window, so that a test knows exactly what to expect.
//
//   zel-x11-client [--class NAME] [--title TEXT] [--geometry WxH+X+Y] [--child WxH+X+Y]
//                  [--count N] [--override] [--latin1-name]
//
// Prints one line "WINDOW CHILD" (hexadecimal, CHILD 0 when none) per window once every window is
// mapped, then runs until killed. Window i of --count gets the title "TEXT i" and the class
// "NAME". --override makes override-redirect windows (no window manager); --latin1-name sets only
// WM_NAME, as Latin-1 STRING, without _NET_WM_NAME.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
};

bool parseRect(const char* text, Rect& r) {
    return std::sscanf(text, "%dx%d%d%d", &r.w, &r.h, &r.x, &r.y) == 4 && r.w > 0 && r.h > 0;
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

// WM_NORMAL_HINTS with a user-specified position, so that the window manager keeps it.
void setPositionHint(xcb_connection_t* c, xcb_window_t w, const Rect& r) {
    std::uint32_t hints[18] = {};
    hints[0] = 1u | 2u;  // USPosition | USSize
    hints[1] = static_cast<std::uint32_t>(r.x);
    hints[2] = static_cast<std::uint32_t>(r.y);
    hints[3] = static_cast<std::uint32_t>(r.w);
    hints[4] = static_cast<std::uint32_t>(r.h);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 32, 18,
                        hints);
}

// The title as Latin-1 bytes (ICCCM STRING); characters beyond Latin-1 become "?".
std::string utf8ToLatin1(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            i += 1;
        } else if ((b & 0xe0) == 0xc0 && i + 1 < utf8.size()) {
            const unsigned code = ((b & 0x1fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3fu);
            out += code < 0x100 ? static_cast<char>(code) : '?';
            i += 2;
        } else {
            out += '?';
            i += (b & 0xf0) == 0xe0 ? 3 : 4;
        }
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    std::string cls = "ZelTestClient";
    std::string title = "zel test client";
    Rect geometry{100, 100, 300, 200};
    Rect child;
    bool hasChild = false;
    bool override = false;
    bool latin1 = false;
    int count = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : "";
        if (arg == "--class") {
            cls = value, ++i;
        } else if (arg == "--title") {
            title = value, ++i;
        } else if (arg == "--geometry") {
            if (!parseRect(value, geometry)) return 2;
            ++i;
        } else if (arg == "--child") {
            if (!parseRect(value, child)) return 2;
            hasChild = true, ++i;
        } else if (arg == "--count") {
            count = std::atoi(value), ++i;
        } else if (arg == "--override") {
            override = true;
        } else if (arg == "--latin1-name") {
            latin1 = true;
        } else {
            std::fprintf(stderr, "zel-x11-client: unknown argument %s\n", arg.c_str());
            return 2;
        }
    }
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c) != 0) return 1;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&it);
    xcb_screen_t* screen = it.data;
    const xcb_atom_t netWmName = atom(c, "_NET_WM_NAME");
    const xcb_atom_t utf8 = atom(c, "UTF8_STRING");

    std::vector<std::pair<xcb_window_t, xcb_window_t>> ids;
    for (int n = 0; n < count; ++n) {
        const xcb_window_t w = xcb_generate_id(c);
        const std::uint32_t values[] = {0xd0e0f0, override ? 1u : 0u, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
        xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, static_cast<std::int16_t>(geometry.x),
                          static_cast<std::int16_t>(geometry.y), static_cast<std::uint16_t>(geometry.w),
                          static_cast<std::uint16_t>(geometry.h), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          XCB_COPY_FROM_PARENT,
                          XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
        const std::string name = count == 1 ? title : title + " " + std::to_string(n);
        const std::string wmClass = "zel-x11-client" + std::string(1, '\0') + cls + std::string(1, '\0');
        setText(c, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, wmClass);
        setText(c, w, XCB_ATOM_WM_NAME, latin1 ? xcb_atom_t{XCB_ATOM_STRING} : utf8,
                latin1 ? utf8ToLatin1(name) : name);
        if (!latin1) setText(c, w, netWmName, utf8, name);
        setPositionHint(c, w, geometry);
        xcb_window_t sub = XCB_NONE;
        if (hasChild) {
            sub = xcb_generate_id(c);
            const std::uint32_t childValues[] = {0x3060a0};
            xcb_create_window(c, XCB_COPY_FROM_PARENT, sub, w, static_cast<std::int16_t>(child.x),
                              static_cast<std::int16_t>(child.y), static_cast<std::uint16_t>(child.w),
                              static_cast<std::uint16_t>(child.h), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                              XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL, childValues);
            xcb_map_window(c, sub);
        }
        xcb_map_window(c, w);
        ids.emplace_back(w, sub);
    }
    xcb_flush(c);
    // Report only when every window is mapped (MapNotify), so the test can go on at once.
    std::size_t mapped = 0;
    while (mapped < ids.size()) {
        xcb_generic_event_t* event = xcb_wait_for_event(c);
        if (event == nullptr) return 1;
        if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) ++mapped;
        std::free(event);
    }
    for (const auto& [w, sub] : ids)
        std::printf("0x%x 0x%x\n", w, sub);
    std::fflush(stdout);
    while (xcb_generic_event_t* event = xcb_wait_for_event(c))
        std::free(event);
    xcb_disconnect(c);
    return 0;
}
