// A give-back of the mute state that failed is tried again in the background until it succeeds,
// and a new concealment takes over from it without being unmuted.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>

#include "app/ThreadedMuteRetry.h"
#include "core/MuteSwitch.h"
#include "ui/QtApp.h"

namespace {

using namespace std::chrono_literals;

bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    return done();
}

// Speakers behind a sound server that fails a given number of writes, and that can be held (a
// write waits until released), safe to use from the retry's thread.
class FlakySound final : public core::SoundOutput {
public:
    std::atomic<int> failuresLeft{0};
    std::atomic<bool> isMuted{true};
    std::atomic<int> writes{0};
    std::atomic<int> calls{0};  // writes begun, held ones too

    std::optional<bool> muted() override { return isMuted.load(); }
    bool setMuted(bool muted) override {
        ++calls;
        {
            std::unique_lock lock(mutex_);
            released_.wait(lock, [this] { return !held_; });
        }
        ++writes;
        if (failuresLeft > 0) {
            --failuresLeft;
            return false;
        }
        isMuted = muted;
        return true;
    }
    void hold() {
        const std::lock_guard lock(mutex_);
        held_ = true;
    }
    void release() {
        {
            const std::lock_guard lock(mutex_);
            held_ = false;
        }
        released_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable released_;
    bool held_ = false;
};

class ThreadedMuteRetryTest : public testing::Test {
protected:
    QApplication& app = uitest::app();
    FlakySound sound;
    app::ThreadedMuteRetry retry{sound, 10ms, 10min};
    core::MuteSwitch mute{sound};

    void SetUp() override { mute.setRetry(&retry); }
};

TEST_F(ThreadedMuteRetryTest, AFailedGiveBackIsTriedAgainUntilItSucceeds) {
    sound.failuresLeft = 4;  // the release's own try, then three more
    EXPECT_FALSE(mute.putBack(false));
    EXPECT_TRUE(sound.isMuted);
    EXPECT_TRUE(pumpUntil([this] { return !sound.isMuted && !retry.owing(); }))
        << "the sound never came back";
    const int writes = sound.writes;
    pumpUntil([] { return false; }, 200);
    EXPECT_EQ(sound.writes, writes) << "tries went on after one succeeded";
}

// A concealment while a give-back is still owed saves the state owed, not the muted state that
// the program itself caused, and the tries stop.
TEST_F(ThreadedMuteRetryTest, ANewConcealmentTakesOverTheOwedState) {
    sound.failuresLeft = 1000;
    EXPECT_FALSE(mute.putBack(false));
    ASSERT_TRUE(pumpUntil([this] { return sound.writes >= 3; }));
    sound.failuresLeft = 0;
    bool mutedBefore = true;
    mute.saveAndMute(mutedBefore);
    EXPECT_FALSE(mutedBefore);
    EXPECT_FALSE(retry.owing());
    pumpUntil([] { return false; }, 200);
    EXPECT_TRUE(sound.isMuted) << "a late give-back unmuted the new concealment";
}

// The give-back in flight succeeds only after the new concealment has muted: it mutes again.
TEST_F(ThreadedMuteRetryTest, AGiveBackThatLandsDuringANewConcealmentIsUndone) {
    sound.failuresLeft = 1;
    EXPECT_FALSE(mute.putBack(false));
    sound.hold();
    ASSERT_TRUE(pumpUntil([this] { return sound.calls >= 2; }));  // the first retry waits inside
    retry.cancel();
    sound.release();
    EXPECT_TRUE(pumpUntil([this] { return sound.writes >= 3; })) << "the late give-back was not undone";
    EXPECT_TRUE(sound.isMuted);
}

}  // namespace
