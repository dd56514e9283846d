#pragma once

#include <QString>
#include <cstdint>
#include <functional>

namespace core {

// Identifies a picture that the user interface holds (the standby or concealment picture, or a
// decoy icon loaded from a file). 0 is "no picture".
using IconHandle = std::uint32_t;

// What the user did to the icon, press and release apart, in the order they happened.
enum class TrayEvent {
    LeftPress,
    LeftRelease,
    LeftDoubleClick,  // the second press of a double click
    RightPress,
    RightRelease,
    MiddlePress,
    MiddleRelease,
};

// The icon in the desktop's notification area. Without a tray host the calls still succeed
// silently; the icon appears when a host does.
class TrayIcon {
public:
    TrayIcon() = default;
    virtual ~TrayIcon() = default;
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Puts the icon in the notification area with `picture`.
    virtual void show(IconHandle picture) = 0;
    // Switches the picture; the same picture again changes nothing.
    virtual void setPicture(IconHandle picture) = 0;
    // The text shown when the pointer rests on the icon; empty: none.
    virtual void setToolTip(const QString& tip) = 0;
    // Takes the icon out of the notification area.
    virtual void hide() = 0;

    // Receives the user's clicks on the icon.
    std::function<void(TrayEvent)> onEvent;
};

}  // namespace core
