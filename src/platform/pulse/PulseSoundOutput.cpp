#include "platform/pulse/PulseSoundOutput.h"

#include <pulse/context.h>
#include <pulse/def.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>
#include <pulse/operation.h>

#include <algorithm>
#include <limits>
#include <string>

namespace pulse {

namespace {

struct ServerInfoReply {
    bool done = false;
    bool ok = false;
    std::string defaultSink;
};

struct SinkReply {
    bool done = false;
    bool ok = false;
    bool muted = false;
};

struct SuccessReply {
    bool done = false;
    bool ok = false;
};

void onServerInfo(pa_context*, const pa_server_info* info, void* userdata) {
    auto* reply = static_cast<ServerInfoReply*>(userdata);
    reply->done = true;
    reply->ok = info != nullptr;
    if (info != nullptr && info->default_sink_name != nullptr) reply->defaultSink = info->default_sink_name;
}

// Called once with the sink, then once more with eol > 0; only with eol < 0 when there is no such
// sink or the query failed.
void onSinkInfo(pa_context*, const pa_sink_info* info, int eol, void* userdata) {
    auto* reply = static_cast<SinkReply*>(userdata);
    if (eol != 0) {
        reply->done = true;
        if (eol < 0) reply->ok = false;
        return;
    }
    if (info == nullptr) return;
    reply->ok = true;
    reply->muted = info->mute != 0;
}

void onSuccess(pa_context*, int success, void* userdata) {
    auto* reply = static_cast<SuccessReply*>(userdata);
    reply->done = true;
    reply->ok = success != 0;
}

}  // namespace

// One connection to the sound server with its own main loop, which runs only inside our calls.
class PulseSoundOutput::Connection {
public:
    enum class ConnectResult { kReady, kRefused, kTimedOut };

    explicit Connection(PulseSoundOutput::Clock::time_point deadline) : deadline_(deadline) {}
    ~Connection() { drop(); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    ConnectResult connect();
    bool alive() const { return context_ != nullptr; }

    bool queryServerInfo();
    bool lookUpSink(const std::string& name, SinkReply& reply) {
        if (!alive()) return false;
        return run(pa_context_get_sink_info_by_name(context_, name.c_str(), onSinkInfo, &reply), reply);
    }
    bool writeMute(const std::string& name, bool muted) {
        if (!alive()) return false;
        SuccessReply reply;
        return run(pa_context_set_sink_mute_by_name(context_, name.c_str(), muted ? 1 : 0, onSuccess, &reply),
                   reply);
    }
    bool timedOut() const { return timedOut_; }

    std::string defaultSink;

private:
    template <class Done>
    bool runUntil(Done done);
    template <class Reply>
    bool run(pa_operation* operation, Reply& reply);
    void drop();

    PulseSoundOutput::Clock::time_point deadline_;
    pa_mainloop* mainloop_ = nullptr;
    pa_context* context_ = nullptr;
    bool timedOut_ = false;
};

PulseSoundOutput::Connection::ConnectResult PulseSoundOutput::Connection::connect() {
    mainloop_ = pa_mainloop_new();
    if (mainloop_ != nullptr) context_ = pa_context_new(pa_mainloop_get_api(mainloop_), "Zelmora2nd");
    // No autospawn: muting must never start a sound server of its own.
    if (context_ == nullptr || pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        drop();
        return ConnectResult::kRefused;
    }
    if (runUntil([this] { return pa_context_get_state(context_) == PA_CONTEXT_READY; })) {
        return ConnectResult::kReady;
    }
    drop();
    return timedOut_ ? ConnectResult::kTimedOut : ConnectResult::kRefused;
}

bool PulseSoundOutput::Connection::queryServerInfo() {
    if (!alive()) return false;
    ServerInfoReply reply;
    if (!run(pa_context_get_server_info(context_, onServerInfo, &reply), reply)) return false;
    defaultSink = reply.defaultSink;
    return true;
}

// Iterates the main loop until done() holds; false when the connection fails or the deadline
// passes first. Each poll waits no longer than the time that is left.
template <class Done>
bool PulseSoundOutput::Connection::runUntil(Done done) {
    while (!done()) {
        if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context_))) return false;
        const auto left =
            std::chrono::duration_cast<std::chrono::microseconds>(deadline_ - PulseSoundOutput::Clock::now());
        if (left.count() <= 0) {
            timedOut_ = true;
            return false;
        }
        const auto timeout = static_cast<int>(
            std::min<std::chrono::microseconds::rep>(left.count(), std::numeric_limits<int>::max()));
        if (pa_mainloop_prepare(mainloop_, timeout) < 0 || pa_mainloop_poll(mainloop_) < 0 ||
            pa_mainloop_dispatch(mainloop_) < 0) {
            return false;
        }
    }
    return true;
}

// Waits for the reply of one operation. An operation that does not finish is cancelled, so that
// its callback can never reach the reply after we return, and the connection is given up.
template <class Reply>
bool PulseSoundOutput::Connection::run(pa_operation* operation, Reply& reply) {
    if (operation == nullptr) return false;
    const bool finished = runUntil([&reply] { return reply.done; });
    if (!finished) pa_operation_cancel(operation);
    pa_operation_unref(operation);
    if (!finished) drop();
    return finished && reply.ok;
}

void PulseSoundOutput::Connection::drop() {
    if (context_ != nullptr) {
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }
    if (mainloop_ != nullptr) {
        pa_mainloop_free(mainloop_);
        mainloop_ = nullptr;
    }
}

PulseSoundOutput::PulseSoundOutput(std::chrono::milliseconds deadline) : deadline_(deadline) {}

bool PulseSoundOutput::serverAnswering() const {
    const std::lock_guard lock(lastTimeoutMutex_);
    return !lastTimeout_ || lastTimeoutThread_ != std::this_thread::get_id() ||
           Clock::now() - *lastTimeout_ >= kSameUse;
}

void PulseSoundOutput::noteTimeout(const Connection& connection) {
    if (!connection.timedOut()) return;
    const std::lock_guard lock(lastTimeoutMutex_);
    lastTimeout_ = Clock::now();
    lastTimeoutThread_ = std::this_thread::get_id();
}

std::optional<bool> PulseSoundOutput::muted() {
    if (!serverAnswering()) return std::nullopt;
    Connection connection(Clock::now() + deadline_);
    SinkReply reply;
    const bool ok = connection.connect() == Connection::ConnectResult::kReady &&
                    connection.queryServerInfo() && !connection.defaultSink.empty() &&
                    connection.lookUpSink(connection.defaultSink, reply);
    noteTimeout(connection);
    if (!ok) return std::nullopt;
    return reply.muted;
}

bool PulseSoundOutput::setMuted(bool muted) {
    if (!serverAnswering()) return false;
    Connection connection(Clock::now() + deadline_);
    const bool ok = connection.connect() == Connection::ConnectResult::kReady &&
                    connection.queryServerInfo() && !connection.defaultSink.empty() &&
                    connection.writeMute(connection.defaultSink, muted);
    noteTimeout(connection);
    return ok;
}

}  // namespace pulse
