#pragma once

#include <QIcon>
#include <QString>
#include <map>

#include "core/TrayIcon.h"

namespace qtplatform {

// Owns the pictures that the notification icon and the main window show, and names each by an
// IconHandle: the built-in standby and concealment pictures, and the pictures loaded from files.
// Handles are never reused, so a handle always means the same picture. Needs a QGuiApplication.
class PictureStore {
public:
    static constexpr core::IconHandle kStandbyPicture = 1;      // image 1 of the built-in pair
    static constexpr core::IconHandle kConcealmentPicture = 2;  // image 2

    PictureStore();

    // Loads every image of a picture file (an .ico holds several sizes). Gives 0 when the file is
    // missing or holds no image that Qt can read; the store is unchanged then.
    core::IconHandle loadFile(const QString& path);
    // The picture of a handle; a null icon for 0 and for handles the store does not hold.
    QIcon icon(core::IconHandle handle) const;
    // Forgets a loaded picture; the built-in ones stay. Widgets that show it keep their copy.
    void release(core::IconHandle handle);

private:
    std::map<core::IconHandle, QIcon> icons_;
    core::IconHandle lastHandle_ = kConcealmentPicture;
};

}  // namespace qtplatform
