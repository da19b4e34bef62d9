#include <wayland-client.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "ext-idle-notify-v1-client-protocol.h"
#include "idle-client-protocol.h"
#include "platform/posix/DisplaySources.h"
#include "platform/posix/EpollSet.h"

namespace tamrel {

namespace {

// The notifier as its version 2 has it: Debian's protocol files describe
// version 1, without the notification that ignores idle inhibitors (a
// program holding one must not keep a cabinet on where that can be helped).
const wl_interface* const kNotificationTypes[] = {&ext_idle_notification_v1_interface, nullptr,
                                                  &wl_seat_interface};
const wl_message kNotifierRequests[] = {
    {"destroy", "", nullptr},
    {"get_idle_notification", "nuo", const_cast<const wl_interface**>(kNotificationTypes)},
    {"get_input_idle_notification", "2nuo", const_cast<const wl_interface**>(kNotificationTypes)},
};
const wl_interface kNotifierV2 = {"ext_idle_notifier_v1", 2, 3, kNotifierRequests, 0, nullptr};
constexpr std::uint32_t kGetInputIdleNotification = 2;

struct DisplayCloser {
    void operator()(wl_display* display) const { wl_display_disconnect(display); }
};

// What the compositor offers, as its registry announces it.
struct Globals {
    std::vector<wl_seat*> seats;
    ext_idle_notifier_v1* notifier = nullptr;
    std::uint32_t notifierVersion = 0;
    org_kde_kwin_idle* kdeIdle = nullptr;

    static void Announced(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                          std::uint32_t version) {
        auto& globals = *static_cast<Globals*>(data);
        const std::string offered = interface;
        if (offered == wl_seat_interface.name) {
            globals.seats.push_back(static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1)));
        } else if (offered == kNotifierV2.name && !globals.notifier) {
            globals.notifierVersion = version >= 2 ? 2 : 1;
            globals.notifier = static_cast<ext_idle_notifier_v1*>(
                wl_registry_bind(registry, name, &kNotifierV2, globals.notifierVersion));
        } else if (offered == org_kde_kwin_idle_interface.name && !globals.kdeIdle) {
            globals.kdeIdle =
                static_cast<org_kde_kwin_idle*>(wl_registry_bind(registry, name, &org_kde_kwin_idle_interface, 1));
        }
    }
    static void Removed(void*, wl_registry*, std::uint32_t) {}
};
const wl_registry_listener kRegistryListener = {&Globals::Announced, &Globals::Removed};

// Idle only while every seat is; nothing tells input once a seat is active,
// so "not idle" holds until the compositor says otherwise.
class WaylandIdle : public InputSource {
public:
    WaylandIdle(std::unique_ptr<wl_display, DisplayCloser> display, Globals globals, std::uint32_t timeoutMs)
        : display_(std::move(display)), globals_(std::move(globals)) {
        for (wl_seat* seat : globals_.seats) {
            if (globals_.notifier) {
                auto* notification =
                    globals_.notifierVersion >= 2
                        ? static_cast<ext_idle_notification_v1*>(
                              static_cast<void*>(wl_proxy_marshal_flags(
                                  reinterpret_cast<wl_proxy*>(globals_.notifier), kGetInputIdleNotification,
                                  &ext_idle_notification_v1_interface, globals_.notifierVersion, 0, nullptr,
                                  timeoutMs, seat)))
                        : ext_idle_notifier_v1_get_idle_notification(globals_.notifier, timeoutMs, seat);
                ext_idle_notification_v1_add_listener(notification, &kNotificationListener, this);
                notifications_.push_back(notification);
            } else {
                auto* timeout = org_kde_kwin_idle_get_idle_timeout(globals_.kdeIdle, seat, timeoutMs);
                org_kde_kwin_idle_timeout_add_listener(timeout, &kKdeListener, this);
                kdeTimeouts_.push_back(timeout);
            }
        }
        wl_display_flush(display_.get());
        set_.Add(wl_display_get_fd(display_.get()), 0);
    }

    ~WaylandIdle() override {
        for (auto* notification : notifications_) ext_idle_notification_v1_destroy(notification);
        for (auto* timeout : kdeTimeouts_) org_kde_kwin_idle_timeout_release(timeout);
        if (globals_.notifier) ext_idle_notifier_v1_destroy(globals_.notifier);
        if (globals_.kdeIdle) org_kde_kwin_idle_destroy(globals_.kdeIdle);
        for (wl_seat* seat : globals_.seats) wl_seat_destroy(seat);
        wl_display_flush(display_.get());
    }
    WaylandIdle(const WaylandIdle&) = delete;
    WaylandIdle& operator=(const WaylandIdle&) = delete;

    int Descriptor() const override { return set_.Descriptor(); }

    void Read(ProgramWatch& watch, SteadyMs now) override {
        if (lost_) return;
        set_.Take();
        wl_display* display = display_.get();
        watch_ = &watch;
        now_ = now;
        bool failed = false;
        if (wl_display_prepare_read(display) == 0) failed = wl_display_read_events(display) < 0;
        failed = wl_display_dispatch_pending(display) < 0 || failed;
        watch_ = nullptr;
        if (failed) {
            // Its descriptor would stay readable for ever.
            set_.Remove(wl_display_get_fd(display));
            lost_ = true;
            watch.Note("The Wayland compositor was lost: keys and mice are no longer watched.");
            watch.SourceIdle(false, now);
        }
    }

private:
    void Changed(bool idle) {
        const std::size_t before = idleSeats_;
        idleSeats_ = idle ? idleSeats_ + 1 : (idleSeats_ > 0 ? idleSeats_ - 1 : 0);
        const std::size_t seats = globals_.seats.size();
        if (!idle) watch_->InputSeen(now_);
        if ((before == seats) != (idleSeats_ == seats)) watch_->SourceIdle(idleSeats_ == seats, now_);
    }
    static void Idled(void* data, ext_idle_notification_v1*) { static_cast<WaylandIdle*>(data)->Changed(true); }
    static void Resumed(void* data, ext_idle_notification_v1*) { static_cast<WaylandIdle*>(data)->Changed(false); }
    static void KdeIdled(void* data, org_kde_kwin_idle_timeout*) { static_cast<WaylandIdle*>(data)->Changed(true); }
    static void KdeResumed(void* data, org_kde_kwin_idle_timeout*) {
        static_cast<WaylandIdle*>(data)->Changed(false);
    }
    static constexpr ext_idle_notification_v1_listener kNotificationListener = {&Idled, &Resumed};
    static constexpr org_kde_kwin_idle_timeout_listener kKdeListener = {&KdeIdled, &KdeResumed};

    std::unique_ptr<wl_display, DisplayCloser> display_;
    Globals globals_;
    std::vector<ext_idle_notification_v1*> notifications_;
    std::vector<org_kde_kwin_idle_timeout*> kdeTimeouts_;
    EpollSet set_;
    std::size_t idleSeats_ = 0;
    bool lost_ = false;
    ProgramWatch* watch_ = nullptr;  // while Read() dispatches
    SteadyMs now_ = 0;
};

}  // namespace

DisplaySource OpenWaylandIdle(const std::string& name, std::uint32_t timeoutMs) {
    DisplaySource result;
    std::unique_ptr<wl_display, DisplayCloser> display(wl_display_connect(name.c_str()));
    if (!display) {
        result.why = "the Wayland compositor " + name + " does not answer";
        return result;
    }
    result.reached = true;
    Globals globals;
    wl_registry* registry = wl_display_get_registry(display.get());
    wl_registry_add_listener(registry, &kRegistryListener, &globals);
    const bool answered = wl_display_roundtrip(display.get()) >= 0;
    wl_registry_destroy(registry);
    if (!answered || (!globals.notifier && !globals.kdeIdle) || globals.seats.empty()) {
        result.why = "the Wayland compositor tells no idle time";
        if (globals.notifier) ext_idle_notifier_v1_destroy(globals.notifier);
        if (globals.kdeIdle) org_kde_kwin_idle_destroy(globals.kdeIdle);
        for (wl_seat* seat : globals.seats) wl_seat_destroy(seat);
        return result;
    }
    result.source = std::make_unique<WaylandIdle>(std::move(display), std::move(globals), timeoutMs);
    return result;
}

}  // namespace tamrel
