#include "audio/PulseMixerDevice.h"

#include <pulse/context.h>
#include <pulse/def.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>
#include <pulse/operation.h>

#include <algorithm>
#include <limits>
#include <string>

namespace audio {

namespace {

using Clock = std::chrono::steady_clock;

// Line and control IDs are the sink's index plus one, so that no valid ID is 0.
std::uint32_t IdOfSink(std::uint32_t index) {
    return index + 1;
}
std::uint32_t SinkOfId(std::uint32_t id) {
    return id - 1;
}

struct ServerInfoReply {
    bool done = false;
    bool ok = false;
    std::string defaultSink;
};

struct SinkReply {
    bool done = false;
    bool ok = false;
    std::uint32_t index = PA_INVALID_INDEX;
    bool muted = false;
};

struct SuccessReply {
    bool done = false;
    bool ok = false;
};

void OnServerInfo(pa_context*, const pa_server_info* info, void* userdata) {
    auto* reply = static_cast<ServerInfoReply*>(userdata);
    reply->done = true;
    reply->ok = info != nullptr;
    if (info != nullptr && info->default_sink_name != nullptr) reply->defaultSink = info->default_sink_name;
}

// Called once with the sink, then once more with eol > 0; only with eol < 0 when there is no such
// sink or the query failed.
void OnSinkInfo(pa_context*, const pa_sink_info* info, int eol, void* userdata) {
    auto* reply = static_cast<SinkReply*>(userdata);
    if (eol != 0) {
        reply->done = true;
        if (eol < 0) reply->ok = false;
        return;
    }
    if (info == nullptr) return;
    reply->ok = true;
    reply->index = info->index;
    reply->muted = info->mute != 0;
}

void OnSuccess(pa_context*, int success, void* userdata) {
    auto* reply = static_cast<SuccessReply*>(userdata);
    reply->done = true;
    reply->ok = success != 0;
}

}  // namespace

// One connection to the sound server with its own main loop, which runs only inside our calls.
class PulseMixerDevice::Connection {
public:
    enum class ConnectResult { kReady, kRefused, kTimedOut };

    explicit Connection(Clock::time_point deadline) : deadline_(deadline) {}
    ~Connection() { Drop(); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    ConnectResult Connect();
    bool Alive() const { return context_ != nullptr; }

    bool QueryServerInfo();
    bool LookUpSink(const std::string& name, SinkReply& reply) {
        if (!Alive()) return false;
        return Run(pa_context_get_sink_info_by_name(context_, name.c_str(), OnSinkInfo, &reply), reply);
    }
    bool ReadSink(std::uint32_t index, SinkReply& reply) {
        if (!Alive()) return false;
        return Run(pa_context_get_sink_info_by_index(context_, index, OnSinkInfo, &reply), reply);
    }
    bool WriteMute(std::uint32_t index, bool muted) {
        if (!Alive()) return false;
        SuccessReply reply;
        return Run(pa_context_set_sink_mute_by_index(context_, index, muted ? 1 : 0, OnSuccess, &reply),
                   reply);
    }

    std::string defaultSink;
    std::uint32_t sinkIndex = PA_INVALID_INDEX;
    std::uint32_t muteControl = 0;

private:
    template <class Done>
    bool RunUntil(Done done);
    template <class Reply>
    bool Run(pa_operation* operation, Reply& reply);
    void Drop();

    Clock::time_point deadline_;
    pa_mainloop* mainloop_ = nullptr;
    pa_context* context_ = nullptr;
    bool timedOut_ = false;
};

PulseMixerDevice::Connection::ConnectResult PulseMixerDevice::Connection::Connect() {
    mainloop_ = pa_mainloop_new();
    if (mainloop_ != nullptr) context_ = pa_context_new(pa_mainloop_get_api(mainloop_), "Zelmora2nd");
    // No autospawn: muting must never start a sound server of its own.
    if (context_ == nullptr || pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        Drop();
        return ConnectResult::kRefused;
    }
    if (RunUntil([this] { return pa_context_get_state(context_) == PA_CONTEXT_READY; })) {
        return ConnectResult::kReady;
    }
    Drop();
    return timedOut_ ? ConnectResult::kTimedOut : ConnectResult::kRefused;
}

bool PulseMixerDevice::Connection::QueryServerInfo() {
    if (!Alive()) return false;
    ServerInfoReply reply;
    if (!Run(pa_context_get_server_info(context_, OnServerInfo, &reply), reply)) return false;
    defaultSink = reply.defaultSink;
    return true;
}

// Iterates the main loop until done() holds; false when the connection fails or the deadline
// passes first. Each poll waits no longer than the time that is left.
template <class Done>
bool PulseMixerDevice::Connection::RunUntil(Done done) {
    while (!done()) {
        if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context_))) return false;
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline_ - Clock::now());
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
bool PulseMixerDevice::Connection::Run(pa_operation* operation, Reply& reply) {
    if (operation == nullptr) return false;
    const bool finished = RunUntil([&reply] { return reply.done; });
    if (!finished) pa_operation_cancel(operation);
    pa_operation_unref(operation);
    if (!finished) Drop();
    return finished && reply.ok;
}

void PulseMixerDevice::Connection::Drop() {
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

PulseMixerDevice::PulseMixerDevice(std::chrono::milliseconds deadline) : deadline_(deadline) {}

PulseMixerDevice::~PulseMixerDevice() = default;

std::uint32_t PulseMixerDevice::NextHandle() {
    do {
        ++lastHandle_;
    } while (lastHandle_ == 0 || connections_.contains(lastHandle_));
    return lastHandle_;
}

PulseMixerDevice::Connection* PulseMixerDevice::Find(std::uint32_t handle) {
    const auto it = connections_.find(handle);
    return it == connections_.end() ? nullptr : it->second.get();
}

bool PulseMixerDevice::Open(std::uint32_t& handle) {
    handle = 0;
    auto connection = std::make_unique<Connection>(Clock::now() + deadline_);
    const auto result = connection->Connect();
    if (result == Connection::ConnectResult::kRefused) return false;
    Connection& opened = *connection;
    handle = NextHandle();
    connections_.emplace(handle, std::move(connection));
    // A server that accepted but did not answer in time keeps its (dead) handle: see the header.
    return result == Connection::ConnectResult::kReady && opened.QueryServerInfo();
}

void PulseMixerDevice::Close(std::uint32_t handle) {
    connections_.erase(handle);
}

bool PulseMixerDevice::GetSpeakersLine(std::uint32_t handle, std::uint32_t& lineId) {
    Connection* connection = Find(handle);
    if (connection == nullptr || connection->defaultSink.empty()) return false;
    SinkReply reply;
    if (!connection->LookUpSink(connection->defaultSink, reply) || reply.index == PA_INVALID_INDEX)
        return false;
    connection->sinkIndex = reply.index;
    lineId = IdOfSink(reply.index);
    return true;
}

// Every sink has a mute switch (done in software where the hardware has none).
bool PulseMixerDevice::GetMuteControl(std::uint32_t handle, std::uint32_t lineId, std::uint32_t& controlId) {
    Connection* connection = Find(handle);
    if (connection == nullptr || !connection->Alive() || connection->sinkIndex == PA_INVALID_INDEX ||
        lineId != IdOfSink(connection->sinkIndex)) {
        return false;
    }
    connection->muteControl = lineId;
    controlId = lineId;
    return true;
}

bool PulseMixerDevice::GetControlValue(std::uint32_t handle, std::uint32_t controlId, std::uint32_t& value) {
    Connection* connection = Find(handle);
    if (connection == nullptr || controlId == 0 || controlId != connection->muteControl) return false;
    SinkReply reply;
    if (!connection->ReadSink(SinkOfId(controlId), reply)) return false;
    value = reply.muted ? 1u : 0u;
    return true;
}

bool PulseMixerDevice::SetControlValue(std::uint32_t handle, std::uint32_t controlId, std::uint32_t value) {
    Connection* connection = Find(handle);
    if (connection == nullptr || controlId == 0 || controlId != connection->muteControl) return false;
    return connection->WriteMute(SinkOfId(controlId), value != 0);
}

}  // namespace audio
