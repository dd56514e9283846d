#pragma once

// Input that stays down until it is let go, as xdotool gives it: a mouse button held for a drag, a
// key held as a trigger. A held key goes up at the latest when its object ends, so a test that
// fails half-way leaves no key down for the tests after it.

#include <QString>

namespace e2e {

// Presses (and keeps down) / lets go of a mouse button (1 left, 3 right) where the pointer is.
void pressButton(int button);
void releaseButton(int button);

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

}  // namespace e2e
