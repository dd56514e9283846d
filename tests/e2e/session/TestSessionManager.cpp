#include "e2e/session/TestSessionManager.h"

#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>
#include <fcntl.h>
#include <poll.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <vector>

namespace e2e {

struct TestSessionManager::State {
    bool listening = false;
    QString error;
    QString address;
    int listenCount = 0;
    IceListenObj* listeners = nullptr;
    std::vector<IceConn> connections;
    SmsConn client = nullptr;
    bool registered = false;
    int saveAnswers = 0;
    bool lastSaveSucceeded = false;
    bool closed = false;
};

namespace {

// Every client is let in: the tests run on one machine as one user.
Bool anyHost(char* /*hostName*/) {
    return True;
}

Status registerClient(SmsConn sms, SmPointer data, char* previousId) {
    auto* state = static_cast<TestSessionManager::State*>(data);
    std::free(previousId);
    char* id = SmsGenerateClientID(sms);
    SmsRegisterClientReply(sms, id);
    std::free(id);
    state->client = sms;
    state->registered = true;
    // A new client gets its initial checkpoint at once.
    SmsSaveYourself(sms, SmSaveLocal, False, SmInteractStyleNone, False);
    return 1;
}

void interactRequest(SmsConn sms, SmPointer, int) {
    SmsInteract(sms);
}

void interactDone(SmsConn, SmPointer, Bool) {}

void saveYourselfRequest(SmsConn sms, SmPointer, int saveType, Bool shutdown, int interactStyle, Bool fast,
                         Bool) {
    SmsSaveYourself(sms, saveType, shutdown, interactStyle, fast);
}

void saveYourselfPhase2Request(SmsConn sms, SmPointer) {
    SmsSaveYourselfPhase2(sms);
}

void saveYourselfDone(SmsConn sms, SmPointer data, Bool success) {
    auto* state = static_cast<TestSessionManager::State*>(data);
    ++state->saveAnswers;
    state->lastSaveSucceeded = success != False;
    SmsSaveComplete(sms);
}

void closeConnection(SmsConn sms, SmPointer data, int count, char** reasons) {
    auto* state = static_cast<TestSessionManager::State*>(data);
    SmFreeReasons(count, reasons);
    if (state->client == sms) state->client = nullptr;
    state->closed = true;
    SmsCleanUp(sms);
}

void setProperties(SmsConn, SmPointer, int count, SmProp** properties) {
    for (int i = 0; i < count; ++i)
        SmFreeProperty(properties[i]);
    std::free(properties);
}

void deleteProperties(SmsConn, SmPointer, int count, char** names) {
    for (int i = 0; i < count; ++i)
        std::free(names[i]);
    std::free(names);
}

void getProperties(SmsConn sms, SmPointer) {
    SmsReturnProperties(sms, 0, nullptr);
}

Status newClient(SmsConn, SmPointer data, unsigned long* mask, SmsCallbacks* callbacks, char** /*failure*/) {
    *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask |
            SmsSaveYourselfRequestProcMask | SmsSaveYourselfP2RequestProcMask | SmsSaveYourselfDoneProcMask |
            SmsCloseConnectionProcMask | SmsSetPropertiesProcMask | SmsDeletePropertiesProcMask |
            SmsGetPropertiesProcMask;
    callbacks->register_client = {registerClient, data};
    callbacks->interact_request = {interactRequest, data};
    callbacks->interact_done = {interactDone, data};
    callbacks->save_yourself_request = {saveYourselfRequest, data};
    callbacks->save_yourself_phase2_request = {saveYourselfPhase2Request, data};
    callbacks->save_yourself_done = {saveYourselfDone, data};
    callbacks->close_connection = {closeConnection, data};
    callbacks->set_properties = {setProperties, data};
    callbacks->delete_properties = {deleteProperties, data};
    callbacks->get_properties = {getProperties, data};
    return 1;
}

}  // namespace

TestSessionManager::TestSessionManager() : state_(std::make_unique<State>()) {
    // A client that goes away is noticed by IceProcessMessages; the default handler would end the
    // test process.
    IceSetIOErrorHandler([](IceConn) {});
    std::array<char, 256> error{};
    if (!SmsInitialize("zelmora2nd-tests", "1.0", newClient, state_.get(), anyHost, error.size(),
                       error.data())) {
        state_->error = QString::fromLocal8Bit(error.data());
        return;
    }
    if (!IceListenForConnections(&state_->listenCount, &state_->listeners, error.size(), error.data())) {
        state_->error = QString::fromLocal8Bit(error.data());
        return;
    }
    for (int i = 0; i < state_->listenCount; ++i)
        IceSetHostBasedAuthProc(state_->listeners[i], anyHost);
    char* ids = IceComposeNetworkIdList(state_->listenCount, state_->listeners);
    state_->address = QString::fromLocal8Bit(ids);
    std::free(ids);
    state_->listening = true;
}

TestSessionManager::~TestSessionManager() {
    for (IceConn connection : state_->connections)
        IceCloseConnection(connection);
    if (state_->listeners != nullptr) IceFreeListenObjs(state_->listenCount, state_->listeners);
}

bool TestSessionManager::listening() const {
    return state_->listening;
}

QString TestSessionManager::error() const {
    return state_->error;
}

QString TestSessionManager::address() const {
    return state_->address;
}

int TestSessionManager::saveAnswers() const {
    return state_->saveAnswers;
}

bool TestSessionManager::connectionClosed() const {
    return state_->closed;
}

bool TestSessionManager::serveUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        std::vector<pollfd> fds;
        for (int i = 0; i < state_->listenCount; ++i)
            fds.push_back({IceGetListenConnectionNumber(state_->listeners[i]), POLLIN, 0});
        for (IceConn connection : state_->connections)
            fds.push_back({IceConnectionNumber(connection), POLLIN, 0});
        const int wait = static_cast<int>(std::min<std::chrono::milliseconds::rep>(left.count(), 50));
        if (::poll(fds.data(), fds.size(), wait) <= 0) continue;
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
            if (static_cast<int>(i) < state_->listenCount) {
                IceAcceptStatus status{};
                if (IceConn connection = IceAcceptConnection(state_->listeners[i], &status)) {
                    // Messages are read whole once the first byte is there: blocking reads.
                    const int fd = IceConnectionNumber(connection);
                    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
                    state_->connections.push_back(connection);
                }
                continue;
            }
            IceConn connection = state_->connections[i - static_cast<std::size_t>(state_->listenCount)];
            if (IceProcessMessages(connection, nullptr, nullptr) == IceProcessMessagesConnectionClosed ||
                IceConnectionStatus(connection) == IceConnectIOError) {
                std::erase(state_->connections, connection);
                IceCloseConnection(connection);
                state_->closed = true;
                break;  // the list of descriptors no longer matches
            }
        }
    }
    return true;
}

bool TestSessionManager::waitForClient(std::chrono::milliseconds timeout) {
    return serveUntil([this] { return state_->registered && state_->saveAnswers >= 1; }, timeout);
}

bool TestSessionManager::saveYourself(bool shutdown, std::chrono::milliseconds timeout) {
    if (state_->client == nullptr) return false;
    const int before = state_->saveAnswers;
    SmsSaveYourself(state_->client, SmSaveBoth, shutdown ? True : False, SmInteractStyleNone, False);
    return serveUntil([this, before] { return state_->saveAnswers > before; }, timeout) &&
           state_->lastSaveSucceeded;
}

void TestSessionManager::die() {
    if (state_->client != nullptr) SmsDie(state_->client);
}

void TestSessionManager::shutdownCancelled() {
    if (state_->client != nullptr) SmsShutdownCancelled(state_->client);
}

}  // namespace e2e
