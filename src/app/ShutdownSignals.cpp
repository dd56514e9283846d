#include "app/ShutdownSignals.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <utility>

namespace app {

namespace {

constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};

// The write end of the socket pair, for the handler. -1 while no instance is installed.
std::atomic<int> gWriteFd{-1};
std::array<struct sigaction, kSignals.size()> gFormer{};

extern "C" void onShutdownSignal(int signalNumber) {
    const int savedErrno = errno;
    const int fd = gWriteFd.load();
    if (fd >= 0) {
        const auto byte = static_cast<unsigned char>(signalNumber);
        // A full socket already holds a pending request: dropping this one loses nothing.
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

}  // namespace

ShutdownSignals::ShutdownSignals(std::function<void(int)> onSignal) : onSignal_(std::move(onSignal)) {
    if (gWriteFd.load() >= 0) return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds_) != 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(fds_[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &ShutdownSignals::drain);
    gWriteFd.store(fds_[1]);

    struct sigaction action {};
    action.sa_handler = onShutdownSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    installed_ = true;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        if (::sigaction(kSignals[i], &action, &gFormer[i]) != 0) installed_ = false;
    }
}

ShutdownSignals::~ShutdownSignals() {
    if (fds_[0] < 0) return;
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &gFormer[i], nullptr);
    gWriteFd.store(-1);
    notifier_.reset();
    ::close(fds_[0]);
    ::close(fds_[1]);
}

void ShutdownSignals::drain() {
    std::array<unsigned char, 16> received{};
    ssize_t count = 0;
    while ((count = ::read(fds_[0], received.data(), received.size())) > 0) {
        for (ssize_t i = 0; i < count; ++i) {
            if (onSignal_) onSignal_(received[static_cast<std::size_t>(i)]);
        }
    }
}

}  // namespace app
