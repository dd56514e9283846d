#pragma once

// A session manager for tests: it speaks the X session-management protocol (libSM over ICE) to the
// programs started with its address in SESSION_MANAGER, and asks them to save or to end as a
// desktop's session manager would at a checkpoint, a log-out, or a log-out that is cancelled.

#include <QString>
#include <chrono>
#include <functional>
#include <memory>

namespace e2e {

class TestSessionManager {
public:
    TestSessionManager();
    ~TestSessionManager();
    TestSessionManager(const TestSessionManager&) = delete;
    TestSessionManager& operator=(const TestSessionManager&) = delete;

    // False when it could not listen; error() says why.
    bool listening() const;
    QString error() const;
    // The value of SESSION_MANAGER for the clients.
    QString address() const;

    // Serves the clients until done() holds or the timeout passes.
    bool serveUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
    // Serves until a client has registered and its first (initial) save has been answered.
    bool waitForClient(std::chrono::milliseconds timeout);

    // Asks the client to save: a checkpoint, or the first step of a log-out (shutdown). Gives
    // whether it answered "done" within the timeout, and with success.
    bool saveYourself(bool shutdown, std::chrono::milliseconds timeout);
    // The log-out goes on: the client must end. Or it was cancelled: the client goes on.
    void die();
    void shutdownCancelled();

    int saveAnswers() const;
    bool connectionClosed() const;

    // What the protocol's callbacks keep track of.
    struct State;

private:
    std::unique_ptr<State> state_;
};

}  // namespace e2e
