#pragma once

// Drives the desktop as a user would, through xdotool (XTEST): the pointer, clicks, held buttons
// and keys, typing.

#include <QPoint>
#include <QString>

#include "support/desktop/Observer.h"

namespace desktoptest {

// Moves the pointer and waits until it is there (at the screen's edge for a place beyond it).
void movePointer(QPoint position);
// The same on the display of `observer`.
void movePointer(Observer& observer, QPoint position);
// A click of `button` (1 left, 3 right) at the position.
void clickAt(QPoint position, int button = 1);
// A double click of the left button at the position.
void doubleClickAt(QPoint position);
// Gives the window the keyboard focus and waits until it has it.
void focusWindow(Window window);
// Types text into the focused window; key names as xdotool knows them ("Return").
void typeText(const QString& text);
void pressKey(const QString& key);

// Presses (and keeps down) / lets go of a mouse button (1 left, 3 right) where the pointer is.
void pressButton(int button);
void releaseButton(int button);

// A key held down until it is let go; it goes up at the latest when its object ends, so a test
// that fails half-way leaves no key down for the tests after it.
class HeldKey {
public:
    // key as xdotool names it ("shift").
    explicit HeldKey(QString key);
    ~HeldKey();
    HeldKey(const HeldKey&) = delete;
    HeldKey& operator=(const HeldKey&) = delete;

    void press();
    // Nothing when the key is not down.
    void release();
    bool down() const { return down_; }

private:
    QString key_;
    bool down_ = false;
};

}  // namespace desktoptest
