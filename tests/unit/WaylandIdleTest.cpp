// The compositor's idle notification against a compositor of the test's
// own, one that offers what the headless sway of the end-to-end tests does
// not: the notifier's version 2, whose notification ignores idle inhibitors.

#include <poll.h>
#include <sys/socket.h>
#include <wayland-server.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "TestPlatform.h"
#include "platform/posix/DisplaySources.h"

extern "C" const wl_interface ext_idle_notification_v1_interface;

namespace tamrel::test {
namespace {

const wl_interface* const kTypes[] = {&ext_idle_notification_v1_interface, nullptr, &wl_seat_interface};
const wl_message kRequests[] = {
    {"destroy", "", nullptr},
    {"get_idle_notification", "nuo", const_cast<const wl_interface**>(kTypes)},
    {"get_input_idle_notification", "2nuo", const_cast<const wl_interface**>(kTypes)},
};
const wl_interface kNotifier = {"ext_idle_notifier_v1", 2, 3, kRequests, 0, nullptr};
constexpr std::uint32_t kIdled = 0, kResumed = 1;

// Answers on its own thread; each notification made gets the events the
// test scripted for it, at once.
class Compositor {
public:
    struct Made {
        std::uint32_t request;  // 1: honours idle inhibitors, 2: input alone
        std::uint32_t timeoutMs;
    };

    Compositor(int notifierVersion, int seats, std::vector<std::vector<std::uint32_t>> script)
        : script_(std::move(script)) {
        display_ = wl_display_create();
        for (int i = 0; i < seats; ++i)
            wl_global_create(display_, &wl_seat_interface, 1, this, [](wl_client* client, void*, std::uint32_t version,
                                                                        std::uint32_t id) {
                wl_resource_create(client, &wl_seat_interface, static_cast<int>(version), id);
            });
        if (notifierVersion > 0) wl_global_create(display_, &kNotifier, notifierVersion, this, &BindNotifier);
        int ends[2];
        EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
        client_ = wl_client_create(display_, ends[0]);
        // What a compositor hands the programs it starts; taken by the connection.
        ::setenv("WAYLAND_SOCKET", std::to_string(ends[1]).c_str(), 1);
        thread_ = std::thread([this] {
            while (!stop_) {
                wl_event_loop_dispatch(wl_display_get_event_loop(display_), 20);
                std::lock_guard lock(mutex_);
                if (leave_ && client_) {
                    wl_client_destroy(client_);
                    client_ = nullptr;
                }
                wl_display_flush_clients(display_);
            }
        });
    }
    ~Compositor() {
        stop_ = true;
        thread_.join();
        wl_display_destroy_clients(display_);
        wl_display_destroy(display_);
        ::unsetenv("WAYLAND_SOCKET");
    }

    std::vector<Made> WaitForMade(std::size_t count) {
        for (int i = 0; i < 200; ++i) {
            {
                std::lock_guard lock(mutex_);
                if (made_.size() >= count) return made_;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::lock_guard lock(mutex_);
        return made_;
    }
    void Leave() {
        std::lock_guard lock(mutex_);
        leave_ = true;
    }

private:
    static void BindNotifier(wl_client* client, void* data, std::uint32_t version, std::uint32_t id) {
        wl_resource* notifier = wl_resource_create(client, &kNotifier, static_cast<int>(version), id);
        wl_resource_set_implementation(notifier, &kImplementation, data, nullptr);
    }
    static void Destroy(wl_client*, wl_resource* resource) { wl_resource_destroy(resource); }
    static void Make(std::uint32_t request, wl_client* client, wl_resource* notifier, std::uint32_t id,
                     std::uint32_t timeout) {
        auto& self = *static_cast<Compositor*>(wl_resource_get_user_data(notifier));
        wl_resource* notification = wl_resource_create(client, &ext_idle_notification_v1_interface, 1, id);
        wl_resource_set_implementation(notification, &kNotificationImplementation, nullptr, nullptr);
        std::lock_guard lock(self.mutex_);
        const std::size_t index = self.made_.size();
        self.made_.push_back({request, timeout});
        if (index < self.script_.size())
            for (const std::uint32_t event : self.script_[index]) wl_resource_post_event(notification, event);
    }
    static void GetIdle(wl_client* c, wl_resource* n, std::uint32_t id, std::uint32_t t, wl_resource*) {
        Make(1, c, n, id, t);
    }
    static void GetInputIdle(wl_client* c, wl_resource* n, std::uint32_t id, std::uint32_t t, wl_resource*) {
        Make(2, c, n, id, t);
    }
    struct Implementation {
        void (*destroy)(wl_client*, wl_resource*);
        void (*getIdle)(wl_client*, wl_resource*, std::uint32_t, std::uint32_t, wl_resource*);
        void (*getInputIdle)(wl_client*, wl_resource*, std::uint32_t, std::uint32_t, wl_resource*);
    };
    static constexpr Implementation kImplementation = {&Destroy, &GetIdle, &GetInputIdle};
    static constexpr void (*kNotificationImplementation[])(wl_client*, wl_resource*) = {&Destroy};

    wl_display* display_;
    wl_client* client_;
    std::vector<std::vector<std::uint32_t>> script_;
    std::mutex mutex_;
    std::vector<Made> made_;
    bool leave_ = false;
    std::atomic<bool> stop_ = false;
    std::thread thread_;
};

// What the wait does: the descriptor readable within a while, then Read().
bool Wait(InputSource& source, RecordingWatch& watch, SteadyMs now) {
    pollfd fd{source.Descriptor(), POLLIN, 0};
    if (::poll(&fd, 1, 2000) != 1) return false;
    source.Read(watch, now);
    return true;
}

TEST(WaylandIdle, AsksForTheNotificationThatIgnoresInhibitorsWhereOfferedAndIsIdleOnlyWhenEverySeatIs) {
    Compositor compositor(2, 2, {{kIdled, kResumed, kIdled}, {kIdled}});
    DisplaySource opened = OpenWaylandIdle("wayland-test", 90 * 60000);
    ASSERT_TRUE(opened.source) << opened.why;
    const auto made = compositor.WaitForMade(2);
    ASSERT_EQ(made.size(), 2U);
    for (const auto& one : made) EXPECT_TRUE(one.request == 2 && one.timeoutMs == 5400000U);
    RecordingWatch watch;
    // The first seat idle, active and idle again, then the second: idle as a whole once.
    for (SteadyMs now = 1; watch.told.size() < 2 && now < 5; ++now) ASSERT_TRUE(Wait(*opened.source, watch, now));
    ASSERT_EQ(watch.told.size(), 2U);
    EXPECT_EQ(watch.told[0].substr(0, 6), "input ");
    EXPECT_EQ(watch.told[1].substr(0, 5), "idle ");

    compositor.Leave();
    ASSERT_TRUE(Wait(*opened.source, watch, 9));
    EXPECT_EQ(Lines(watch.told.end() - 2, watch.told.end()),
              (Lines{"The Wayland compositor was lost: keys and mice are no longer watched.",
                                        "active 9"}));
    pollfd fd{opened.source->Descriptor(), POLLIN, 0};
    EXPECT_EQ(::poll(&fd, 1, 100), 0);  // blocks again rather than spinning
}

TEST(WaylandIdle, TakesTheFirstVersionWhereThereIsNoOtherAndTellsACompositorWithoutAny) {
    {
        Compositor compositor(1, 1, {{kIdled, kResumed}});
        DisplaySource opened = OpenWaylandIdle("wayland-test", 60000);
        ASSERT_TRUE(opened.source) << opened.why;
        const auto made = compositor.WaitForMade(1);
        ASSERT_EQ(made.size(), 1U);
        EXPECT_EQ(made[0].request, 1U);
        RecordingWatch watch;
        for (int reads = 0; watch.told.size() < 3 && reads < 3; ++reads) ASSERT_TRUE(Wait(*opened.source, watch, 5));
        EXPECT_EQ(watch.told, (Lines{"idle 5", "input 5", "active 5"}));
    }
    Compositor compositor(0, 1, {});
    DisplaySource opened = OpenWaylandIdle("wayland-test", 60000);
    EXPECT_TRUE(!opened.source && opened.reached);
    EXPECT_EQ(opened.why, "the Wayland compositor tells no idle time");
}

}  // namespace
}  // namespace tamrel::test
