#include "app/ThreadedMuteRetry.h"

#include <QThread>
#include <algorithm>
#include <cstdio>
#include <utility>

namespace app {

ThreadedMuteRetry::ThreadedMuteRetry(core::SoundOutput& sound, std::chrono::milliseconds firstPause,
                                     std::chrono::milliseconds giveUpAfter)
    : sound_(sound), firstPause_(firstPause), giveUpAfter_(giveUpAfter), pause_(firstPause) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &ThreadedMuteRetry::tryNow);
}

ThreadedMuteRetry::~ThreadedMuteRetry() {
    timer_.stop();
    if (running_ != nullptr) {
        running_->disconnect(this);
        running_->wait();
        delete running_;
    }
}

void ThreadedMuteRetry::owe(bool muted) {
    owed_ = muted;
    owedSince_ = std::chrono::steady_clock::now();
    pause_ = firstPause_;
    timer_.start(pause_);
}

std::optional<bool> ThreadedMuteRetry::cancel() {
    timer_.stop();
    if (runningCancelled_) runningCancelled_->store(true);
    return std::exchange(owed_, std::nullopt);
}

void ThreadedMuteRetry::tryNow() {
    if (!owed_) return;
    if (running_ != nullptr) {  // the last try has not come back yet
        timer_.start(pause_);
        return;
    }
    const bool muted = *owed_;
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    auto succeeded = std::make_shared<std::atomic<bool>>(false);
    runningCancelled_ = cancelled;
    running_ = QThread::create([this, muted, cancelled, succeeded] {
        succeeded->store(sound_.setMuted(muted));
        if (succeeded->load() && cancelled->load()) sound_.setMuted(true);
    });
    connect(running_, &QThread::finished, this, [this, cancelled, succeeded] {
        running_->deleteLater();
        running_ = nullptr;
        runningCancelled_.reset();
        tryDone(succeeded->load(), cancelled->load());
    });
    running_->start();
}

void ThreadedMuteRetry::tryDone(bool succeeded, bool cancelled) {
    if (cancelled || !owed_) return;  // a concealment has taken over; a later owe() started anew
    if (succeeded) {
        owed_.reset();
        return;
    }
    if (std::chrono::steady_clock::now() - owedSince_ >= giveUpAfter_) {
        std::fprintf(stderr,
                     "zelmora2nd: the sound server did not answer; the speakers' mute was not given "
                     "back its former state.\n");
        owed_.reset();
        return;
    }
    pause_ = std::min(pause_ * 2, kLongestPause);
    timer_.start(pause_);
}

}  // namespace app
