#include "platform/posix/LogindPower.h"

#include <systemd/sd-bus.h>
#include <systemd/sd-login.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "platform/posix/LogindBus.h"
#include "platform/posix/RtcWakeAlarm.h"

namespace tamrel {

namespace {

using logind::kManager;
using logind::kPath;
using logind::kService;
// Only a safety net: the screen gives up sooner.
constexpr std::uint64_t kCallTimeoutUsec = 30'000'000;

using logind::Bus;
using logind::Slot;
struct MessageReleaser {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using Message = std::unique_ptr<sd_bus_message, MessageReleaser>;

std::string ErrorText(int negativeErrno) { return std::strerror(-negativeErrno); }

// This process's login session, as the session or the cgroup tells it.
std::string OwnSession() {
    if (const char* id = std::getenv("XDG_SESSION_ID"); id && *id) return id;
    char* session = nullptr;
    if (sd_pid_get_session(0, &session) < 0 || !session) return {};
    std::string id = session;
    std::free(session);
    return id;
}

// Calls to logind's Manager, one at a time, on a connection of its own.
class Conversation {
public:
    // The reply, or null and the failure in the bus's or logind's words.
    using Handler = std::function<void(sd_bus_message* reply, const std::string& failure)>;
    using Arguments = std::function<int(sd_bus_message* call)>;

    Conversation() {
        sd_bus* bus = nullptr;
        const int opened = sd_bus_open_system(&bus);
        if (opened < 0) {
            failure_ = "no system bus: " + ErrorText(opened);
        } else {
            bus_.reset(bus);
        }
    }

    // The handler runs during a later Process, or at once when the call
    // cannot be sent.
    void Ask(const char* method, Handler handler, const Arguments& arguments = {}) {
        if (!bus_) return handler(nullptr, failure_);
        sd_bus_message* raw = nullptr;
        int result = sd_bus_message_new_method_call(bus_.get(), &raw, kService, kPath, kManager, method);
        const Message call(raw);
        if (result >= 0 && arguments) result = arguments(call.get());
        sd_bus_slot* slot = nullptr;
        if (result >= 0) result = sd_bus_call_async(bus_.get(), &slot, call.get(), OnReply, this, kCallTimeoutUsec);
        if (result < 0) return handler(nullptr, "the system bus failed: " + ErrorText(result));
        slot_.reset(slot);
        handler_ = std::move(handler);
    }

    // Whatever has arrived; never waits.
    void Process() {
        while (bus_ && handler_) {
            const int result = sd_bus_process(bus_.get(), nullptr);
            if (result == 0) return;
            if (result < 0) std::exchange(handler_, nullptr)(nullptr, "the system bus failed: " + ErrorText(result));
        }
    }

private:
    static int OnReply(sd_bus_message* reply, void* self, sd_bus_error*) {
        Handler handler = std::exchange(static_cast<Conversation*>(self)->handler_, nullptr);
        if (!handler) return 0;
        if (!sd_bus_message_is_method_error(reply, nullptr)) {
            handler(reply, "");
            return 0;
        }
        const sd_bus_error* error = sd_bus_message_get_error(reply);
        std::string words = error && error->message && *error->message ? error->message : "";
        if (words.empty()) words = error && error->name ? error->name : "an error without a name";
        handler(nullptr, words);
        return 0;
    }

    // Declared first: the slot goes before the connection it lives on.
    Bus bus_;
    Slot slot_;
    Handler handler_;
    std::string failure_;
};

class PowerReply : public Reply<PowerAnswer> {
public:
    explicit PowerReply(PowerAction action) {
        if (action == PowerAction::LogOff) {
            const std::string session = OwnSession();
            if (session.empty()) {
                answer_ = PowerAnswer{false, "no login session to end"};
                return;
            }
            talk_.Ask("TerminateSession", [this](sd_bus_message* reply, const std::string& failure) { Done(reply, failure); },
                      [session](sd_bus_message* call) { return sd_bus_message_append(call, "s", session.c_str()); });
            return;
        }
        talk_.Ask("CanPowerOff", [this](sd_bus_message* reply, const std::string& failure) { OnCanPowerOff(reply, failure); });
    }

    std::optional<PowerAnswer> Poll() override {
        if (!answer_) talk_.Process();
        return answer_;
    }

private:
    void OnCanPowerOff(sd_bus_message* reply, const std::string& failure) {
        if (!reply) return Done(reply, failure);
        const char* can = nullptr;
        if (sd_bus_message_read(reply, "s", &can) < 0 || !can) can = "";
        const std::string answer = can;
        if (answer != "yes" && answer != "challenge") {
            answer_ = PowerAnswer{false, "logind answers CanPowerOff with \"" + answer + "\""};
            return;
        }
        talk_.Ask("PowerOff", [this](sd_bus_message* powered, const std::string& refusal) { Done(powered, refusal); },
                  [](sd_bus_message* call) { return sd_bus_message_append(call, "b", 0); });
    }

    void Done(sd_bus_message* reply, const std::string& failure) { answer_ = PowerAnswer{reply != nullptr, failure}; }

    std::optional<PowerAnswer> answer_;
    // Declared last: it goes first, while the answer it may still write to lives.
    Conversation talk_;
};

std::vector<Blocker> ReadBlockers(sd_bus_message* reply) {
    std::vector<Blocker> blockers;
    if (sd_bus_message_enter_container(reply, SD_BUS_TYPE_ARRAY, "(ssssuu)") < 0) return {};
    for (;;) {
        const char* what = nullptr;
        const char* who = nullptr;
        const char* why = nullptr;
        const char* mode = nullptr;
        std::uint32_t uid = 0;
        std::uint32_t pid = 0;
        const int read = sd_bus_message_read(reply, "(ssssuu)", &what, &who, &why, &mode, &uid, &pid);
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

class BlockersReply : public Reply<std::vector<Blocker>> {
public:
    BlockersReply() {
        talk_.Ask("ListInhibitors", [this](sd_bus_message* reply, const std::string&) {
            answer_ = reply ? ReadBlockers(reply) : std::vector<Blocker>{};
        });
    }

    std::optional<std::vector<Blocker>> Poll() override {
        if (!answer_) talk_.Process();
        return answer_;
    }

private:
    std::optional<std::vector<Blocker>> answer_;
    Conversation talk_;
};

}  // namespace

std::unique_ptr<Reply<PowerAnswer>> LogindPower::Request(PowerAction action) {
    return std::make_unique<PowerReply>(action);
}

std::unique_ptr<Reply<std::vector<Blocker>>> LogindPower::ShutdownBlockers() {
    return std::make_unique<BlockersReply>();
}

WakeAnswer LogindPower::SetWakeUp(long minutes) {
    return RtcWakeAlarm().Set(minutes, std::time(nullptr));
}

}  // namespace tamrel
