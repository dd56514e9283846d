// libpulse is opened when the speakers are first muted, not linked: until then the program does
// not map it, nor the dozen sound-file libraries that it pulls in (1.2 MB resident, for a program
// that usually sits idle in the tray and may never mute anything). The functions below are the ones
// PulseSoundOutput calls; each forwards to libpulse's own. Without the library every call fails the
// way libpulse fails without a server, so muting is then simply unavailable.
#include <dlfcn.h>

#include <cstring>
#include <type_traits>

// Hidden, so that these stand-ins can never be exported and taken for libpulse's own functions by
// a library that links libpulse itself.
#pragma GCC visibility push(hidden)
#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>
#include <pulse/operation.h>
#pragma GCC visibility pop

namespace {

void* pulseLibrary() {
    // libpulse is marked never to be unloaded: the handle lives as long as the process.
    static void* const library = ::dlopen("libpulse.so.0", RTLD_NOW | RTLD_LOCAL);
    return library;
}

// libpulse's function of the stand-in Stub, looked up once; nullptr when there is none.
template <auto& Stub>
auto realFunction(const char* name) {
    using Function = std::remove_reference_t<decltype(Stub)>;
    static Function* const real = [name] {
        Function* function = nullptr;
        void* const library = pulseLibrary();
        if (void* const symbol = library != nullptr ? ::dlsym(library, name) : nullptr) {
            static_assert(sizeof(function) == sizeof(symbol));
            std::memcpy(&function, &symbol, sizeof(symbol));  // object to function pointer
        }
        return function;
    }();
    return real;
}

}  // namespace

pa_mainloop* pa_mainloop_new(void) {
    const auto real = realFunction<pa_mainloop_new>("pa_mainloop_new");
    return real != nullptr ? real() : nullptr;
}

void pa_mainloop_free(pa_mainloop* m) {
    if (const auto real = realFunction<pa_mainloop_free>("pa_mainloop_free")) real(m);
}

int pa_mainloop_prepare(pa_mainloop* m, int timeout) {
    const auto real = realFunction<pa_mainloop_prepare>("pa_mainloop_prepare");
    return real != nullptr ? real(m, timeout) : -1;
}

int pa_mainloop_poll(pa_mainloop* m) {
    const auto real = realFunction<pa_mainloop_poll>("pa_mainloop_poll");
    return real != nullptr ? real(m) : -1;
}

int pa_mainloop_dispatch(pa_mainloop* m) {
    const auto real = realFunction<pa_mainloop_dispatch>("pa_mainloop_dispatch");
    return real != nullptr ? real(m) : -1;
}

pa_mainloop_api* pa_mainloop_get_api(pa_mainloop* m) {
    const auto real = realFunction<pa_mainloop_get_api>("pa_mainloop_get_api");
    return real != nullptr ? real(m) : nullptr;
}

pa_context* pa_context_new(pa_mainloop_api* mainloop, const char* name) {
    const auto real = realFunction<pa_context_new>("pa_context_new");
    return real != nullptr ? real(mainloop, name) : nullptr;
}

void pa_context_unref(pa_context* c) {
    if (const auto real = realFunction<pa_context_unref>("pa_context_unref")) real(c);
}

pa_context_state_t pa_context_get_state(const pa_context* c) {
    const auto real = realFunction<pa_context_get_state>("pa_context_get_state");
    return real != nullptr ? real(c) : PA_CONTEXT_FAILED;
}

int pa_context_connect(pa_context* c, const char* server, pa_context_flags_t flags, const pa_spawn_api* api) {
    const auto real = realFunction<pa_context_connect>("pa_context_connect");
    return real != nullptr ? real(c, server, flags, api) : -1;
}

void pa_context_disconnect(pa_context* c) {
    if (const auto real = realFunction<pa_context_disconnect>("pa_context_disconnect")) real(c);
}

pa_operation* pa_context_get_server_info(pa_context* c, pa_server_info_cb_t cb, void* userdata) {
    const auto real = realFunction<pa_context_get_server_info>("pa_context_get_server_info");
    return real != nullptr ? real(c, cb, userdata) : nullptr;
}

pa_operation* pa_context_get_sink_info_by_name(pa_context* c, const char* name, pa_sink_info_cb_t cb,
                                               void* userdata) {
    const auto real = realFunction<pa_context_get_sink_info_by_name>("pa_context_get_sink_info_by_name");
    return real != nullptr ? real(c, name, cb, userdata) : nullptr;
}

pa_operation* pa_context_set_sink_mute_by_name(pa_context* c, const char* name, int mute,
                                               pa_context_success_cb_t cb, void* userdata) {
    const auto real = realFunction<pa_context_set_sink_mute_by_name>("pa_context_set_sink_mute_by_name");
    return real != nullptr ? real(c, name, mute, cb, userdata) : nullptr;
}

void pa_operation_unref(pa_operation* o) {
    if (const auto real = realFunction<pa_operation_unref>("pa_operation_unref")) real(o);
}

void pa_operation_cancel(pa_operation* o) {
    if (const auto real = realFunction<pa_operation_cancel>("pa_operation_cancel")) real(o);
}
