#include "platform/posix/LogindPower.h"

#include <systemd/sd-bus.h>
#include <systemd/sd-login.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace tamrel {

namespace {

constexpr const char* kService = "org.freedesktop.login1";
constexpr const char* kPath = "/org/freedesktop/login1";
constexpr const char* kManager = "org.freedesktop.login1.Manager";

struct BusCloser {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
struct MessageReleaser {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using Bus = std::unique_ptr<sd_bus, BusCloser>;
using Message = std::unique_ptr<sd_bus_message, MessageReleaser>;

// Frees the error's texts whatever path the call takes.
class BusError {
public:
    ~BusError() { sd_bus_error_free(&error_); }
    sd_bus_error* get() { return &error_; }

private:
    sd_bus_error error_ = SD_BUS_ERROR_NULL;
};

Bus OpenSystemBus() {
    sd_bus* bus = nullptr;
    if (sd_bus_open_system(&bus) < 0) return nullptr;
    return Bus(bus);
}

// This process's login session, as the session or the cgroup tells it.
std::string OwnSession() {
    if (const char* id = std::getenv("XDG_SESSION_ID"); id && *id) return id;
    char* session = nullptr;
    if (sd_pid_get_session(0, &session) < 0 || !session) return {};
    std::string id = session;
    std::free(session);
    return id;
}

// The reply of a Manager method without arguments; null when there is no
// bus or the call failed.
Message AskManager(const char* method) {
    Bus bus = OpenSystemBus();
    if (!bus) return nullptr;
    BusError error;
    sd_bus_message* raw = nullptr;
    if (sd_bus_call_method(bus.get(), kService, kPath, kManager, method, error.get(), &raw, "") < 0) return nullptr;
    return Message(raw);
}

}  // namespace

bool LogindPower::MayPowerOff() {
    const Message reply = AskManager("CanPowerOff");
    if (!reply) return false;
    const char* answer = nullptr;
    if (sd_bus_message_read(reply.get(), "s", &answer) < 0 || !answer) return false;
    return std::string(answer) == "yes";
}

void LogindPower::Request(PowerAction action) {
    if (!MayPowerOff()) return;
    Bus bus = OpenSystemBus();
    if (!bus) return;
    BusError error;
    if (action == PowerAction::LogOff) {
        const std::string session = OwnSession();
        if (session.empty()) return;
        sd_bus_call_method(bus.get(), kService, kPath, kManager, "TerminateSession", error.get(), nullptr,
                           "s", session.c_str());
        return;
    }
    sd_bus_call_method(bus.get(), kService, kPath, kManager, "PowerOff", error.get(), nullptr, "b", 0);
}

std::vector<Blocker> LogindPower::ShutdownBlockers() {
    std::vector<Blocker> blockers;
    const Message reply = AskManager("ListInhibitors");
    if (!reply) return blockers;
    if (sd_bus_message_enter_container(reply.get(), SD_BUS_TYPE_ARRAY, "(ssssuu)") < 0) return {};
    for (;;) {
        const char* what = nullptr;
        const char* who = nullptr;
        const char* why = nullptr;
        const char* mode = nullptr;
        std::uint32_t uid = 0;
        std::uint32_t pid = 0;
        const int read = sd_bus_message_read(reply.get(), "(ssssuu)", &what, &who, &why, &mode, &uid, &pid);
        if (read < 0) return {};  // a reply we cannot read holds nothing up
        if (read == 0) break;
        const std::string whats = what ? what : "";
        bool shutdown = false;
        for (std::size_t start = 0; start <= whats.size();) {
            const std::size_t end = std::min(whats.find(':', start), whats.size());
            shutdown = shutdown || whats.substr(start, end - start) == "shutdown";
            start = end + 1;
        }
        if (shutdown && mode && std::string(mode) == "block") blockers.push_back({who ? who : "", why ? why : ""});
    }
    return blockers;
}

}  // namespace tamrel
