#pragma once

#include <QString>
#include <cstdint>
#include <functional>

#include "core/WindowServices.h"

namespace core {

// Identifies a picture that the user interface holds (the standby or concealment picture, or a
// decoy icon loaded from a file). 0 is "no picture".
using IconHandle = std::uint32_t;

// The notification-icon record. Filled once at start-up; afterwards only hIcon changes.
struct TrayIconData {
    std::uint32_t cbSize = 88;
    WindowHandle hWnd = 0;  // the main window, which receives the icon's events
    std::uint32_t uID = 1;
    std::uint32_t uFlags = 7;  // message, icon, tip
    std::uint32_t uCallbackMessage = 0x200;
    IconHandle hIcon = 0;  // the picture to show
    QString szTip;         // always the empty tip
};

// Mouse event numbers that the icon delivers to the main window's handler.
inline constexpr int kIconLeftDown = 513;
inline constexpr int kIconLeftUp = 514;
inline constexpr int kIconLeftDoubleClick = 515;
inline constexpr int kIconRightDown = 516;
inline constexpr int kIconRightUp = 517;
inline constexpr int kIconMiddleDown = 519;
inline constexpr int kIconMiddleUp = 520;

// The icon in the desktop's notification area. Without a tray host the calls still succeed
// silently; the icon appears when a host does.
class NotifyIcon {
public:
    NotifyIcon() = default;
    virtual ~NotifyIcon() = default;
    NotifyIcon(const NotifyIcon&) = delete;
    NotifyIcon& operator=(const NotifyIcon&) = delete;

    virtual void Add(const TrayIconData& data) = 0;     // show the icon with data.hIcon
    virtual void Modify(const TrayIconData& data) = 0;  // switch to data.hIcon (or re-send)
    virtual void Delete(const TrayIconData& data) = 0;  // remove the icon

    // The handler that receives the event numbers above, in the order the user made them.
    std::function<void(int eventNumber)> onMouseEvent;
};

}  // namespace core
