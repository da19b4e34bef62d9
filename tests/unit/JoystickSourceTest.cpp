// The joysticks' event devices as the wait reads them, with pipes standing
// in for the devices and a folder of our own for the kernel's.

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "TestPlatform.h"
#include "platform/posix/JoystickBits.h"
#include "platform/posix/JoystickSource.h"

namespace tamrel::test {
namespace {

KeyBits Keys(std::initializer_list<int> codes) {
    KeyBits keys;
    for (const int code : codes) keys.set(static_cast<std::size_t>(code));
    return keys;
}

TEST(Joysticks, AreTheDevicesWithJoystickOrGamepadButtonsAsTheKernelOrSysfsTellsIt) {
    for (const int code : {BTN_TRIGGER, BTN_DEAD, BTN_SOUTH, BTN_THUMBR}) EXPECT_TRUE(IsJoystick(Keys({KEY_A, code})));
    for (const int code : {KEY_ENTER, BTN_LEFT, BTN_TOUCH, BTN_TRIGGER_HAPPY1}) EXPECT_FALSE(IsJoystick(Keys({code})));

    KeyBits keys;
    // A gamepad (BTN_SOUTH to BTN_THUMBR) as a 64-bit and as a 32-bit kernel writes it.
    for (const auto& [text, wordBits] : {std::pair{"7fdb000000000000 0 0 0 0\n", 64U}, {"7fdb0000 0 0 0 0 0 0 0 0 0\n", 32U}}) {
        ASSERT_TRUE(ParseCapabilityText(text, wordBits, keys)) << text;
        EXPECT_TRUE(keys.test(BTN_SOUTH) && keys.test(BTN_THUMBR) && !keys.test(BTN_Z) && IsJoystick(keys)) << text;
    }
    ASSERT_TRUE(ParseCapabilityText("fffffffffffffffe", 64, keys));  // a keyboard
    EXPECT_TRUE(keys.test(KEY_ESC) && !keys.test(KEY_RESERVED) && !IsJoystick(keys));
    for (const char* bad : {"", " \n", "xyz", "-1", "12 0x3", "11111111111111111"})
        EXPECT_FALSE(ParseCapabilityText(bad, 64, keys)) << bad;
    EXPECT_FALSE(ParseCapabilityText("fffffffffffffffe", 32, keys));
}

class Pipe {
public:
    Pipe() { EXPECT_EQ(::pipe2(ends_, O_NONBLOCK | O_CLOEXEC), 0); }
    ~Pipe() {
        CloseWriter();
        if (ends_[0] >= 0) ::close(ends_[0]);
    }
    OwnedFd TakeReader() { return OwnedFd(std::exchange(ends_[0], -1)); }
    int Reader() const { return ends_[0]; }
    void Send(const std::string& bytes) {
        ASSERT_EQ(::write(ends_[1], bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    void CloseWriter() {
        if (ends_[1] >= 0) ::close(std::exchange(ends_[1], -1));
    }

private:
    int ends_[2] = {-1, -1};
};

std::string Event(int type, int code, int value) {
    input_event event{};
    event.type = static_cast<std::uint16_t>(type);
    event.code = static_cast<std::uint16_t>(code);
    event.value = value;
    return std::string(reinterpret_cast<const char*>(&event), sizeof event);
}
std::string Press(int code) { return Event(EV_KEY, code, 1) + Event(EV_SYN, SYN_REPORT, 0); }
std::string Axis(int code, int value) { return Event(EV_ABS, code, value) + Event(EV_SYN, SYN_REPORT, 0); }

AxisRanges StickAndHat() {
    AxisRanges axes{};
    axes[ABS_X] = {true, 128, 0, 255};
    axes[ABS_HAT0X] = {true, 0, -1, 1};
    return axes;
}

TEST(Joysticks, CountPressesAndAxesMovedAQuarterOfTheirRangeNotReleasesNoiseOrDrift) {
    Pipe device;
    EvdevJoystick joystick(device.TakeReader(), "/dev/input/event3", StickAndHat());
    struct Step {
        std::string events;
        bool counts;
    };
    const Step steps[] = {
        {"", false},
        {Press(BTN_SOUTH), true},
        {Event(EV_KEY, BTN_SOUTH, 0) + Event(EV_SYN, SYN_REPORT, 0), false},  // released
        {Event(EV_KEY, BTN_SOUTH, 2), false},                                  // held
        {Axis(ABS_X, 150) + Axis(ABS_X, 100) + Axis(ABS_X, 190), false},      // noise around the rest
        {Axis(ABS_X, 192), true},                                             // 64 of 255 away
        {Axis(ABS_X, 250) + Axis(ABS_X, 129), false},                         // measured from 192 now
        {Axis(ABS_X, 128), true},
        {Axis(ABS_Y, 255) + Axis(ABS_RZ, 0), false},  // axes it did not describe
        {Axis(ABS_HAT0X, 1), true},                   // a d-pad
        {Axis(ABS_HAT0X, 0), true},
        {Event(EV_MSC, MSC_SCAN, 9) + Event(EV_SYN, SYN_DROPPED, 0), false},
        {Press(BTN_TRIGGER_HAPPY3), true},  // any button of a joystick
    };
    for (const Step& step : steps) {
        device.Send(step.events);
        const auto outcome = joystick.Read();
        EXPECT_EQ(outcome.input, step.counts) << testing::PrintToString(step.events.size() / sizeof(input_event));
        EXPECT_FALSE(outcome.gone);
    }
    // A read may end inside an event on a stream; the rest completes it.
    const std::string press = Press(BTN_EAST);
    device.Send(press.substr(0, 10));
    EXPECT_FALSE(joystick.Read().input);
    device.Send(press.substr(10));
    EXPECT_TRUE(joystick.Read().input);
    // Unplugged after a last press: the press still counts.
    device.Send(Press(BTN_WEST));
    device.CloseWriter();
    const auto last = joystick.Read();
    EXPECT_TRUE(last.input);
    EXPECT_TRUE(last.gone);
}

// Nodes in a folder of our own; each joystick is a pipe the test writes to.
class FakeDevices : public EventDevices {
public:
    struct Node {
        int refusal = 0;
        bool joystick = true;
    };
    std::map<std::string, Node> nodes;
    std::map<std::string, Pipe> pipes;
    std::vector<std::string> opened;

    OwnedFd Open(const std::string& path, int& error) override {
        const std::string name = std::filesystem::path(path).filename();
        const Node node = nodes.count(name) ? nodes[name] : Node{ENOENT, false};
        error = node.refusal;
        if (error) return OwnedFd();
        opened.push_back(name);
        OwnedFd fd = pipes[name].TakeReader();
        kinds_[fd.get()] = node.joystick;
        return fd;
    }
    std::optional<AxisRanges> Joystick(int fd) override {
        if (!kinds_.at(fd)) return std::nullopt;
        return StickAndHat();
    }
    bool IsJoystickNode(const std::string& name) override { return nodes.count(name) && nodes[name].joystick; }

private:
    std::map<int, bool> kinds_;
};

class JoystickFolder : public testing::Test {
protected:
    JoystickFolder() {
        char name[] = "/tmp/tamrel-input-XXXXXX";
        folder = ::mkdtemp(name);
    }
    ~JoystickFolder() override { std::filesystem::remove_all(folder); }
    void Plug(const std::string& name, FakeDevices::Node node) {
        devices->nodes[name] = node;
        std::ofstream(folder + "/" + name).flush();
    }
    bool Readable(const JoystickSource& source) {
        pollfd fd{source.Descriptor(), POLLIN, 0};
        return ::poll(&fd, 1, 200) == 1;
    }
    // What the wait does when the descriptor is readable.
    void Wait(JoystickSource& source, SteadyMs now) {
        ASSERT_TRUE(Readable(source));
        source.Read(watch, now);
    }

    std::string folder;
    std::unique_ptr<FakeDevices> owned = std::make_unique<FakeDevices>();
    FakeDevices* devices = owned.get();
    RecordingWatch watch;
};

TEST_F(JoystickFolder, FindsJoysticksThereAndPluggedInLaterTellsEachRefusedOneOnceAndLetsUnpluggedOnesGo) {
    Plug("event0", {});
    Plug("event1", {0, false});       // a keyboard
    Plug("event2", {EACCES, true});   // a joystick the user may not read
    Plug("event3", {EACCES, false});  // a keyboard the user may not read: not ours to tell
    Plug("mouse0", {});
    JoystickSource source(folder, std::move(owned), watch);
    EXPECT_EQ(source.Count(), 1U);
    EXPECT_EQ(devices->opened, (std::vector<std::string>{"event0", "event1"}));
    const std::string refused =
        "Joystick " + folder + "/event2 may not be read (Permission denied): its input does not count.";
    EXPECT_EQ(watch.told, Lines{refused});
    EXPECT_FALSE(Readable(source));  // a true block while nothing happens

    devices->pipes["event0"].Send(Press(BTN_SOUTH));
    Wait(source, 1000);
    devices->pipes["event0"].Send(Axis(ABS_X, 130));
    Wait(source, 2000);
    EXPECT_EQ(watch.told, (Lines{refused, "input 1000"}));
    EXPECT_FALSE(Readable(source));

    // Plugged in: found at once; one made before udev gave it to the user is
    // told only when its mode is settled, and only once.
    Plug("event4", {});
    Wait(source, 3000);
    EXPECT_EQ(source.Count(), 2U);
    devices->pipes["event4"].Send(Press(BTN_TRIGGER));
    Wait(source, 4000);
    EXPECT_EQ(watch.told, (Lines{refused, "input 1000", "input 4000"}));
    Plug("event5", {EPERM, true});
    Wait(source, 5000);
    EXPECT_EQ(watch.told.size(), 3U);
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(::chmod((folder + "/event5").c_str(), i ? 0600 : 0640), 0);
        Wait(source, 6000);
    }
    ASSERT_EQ(watch.told.size(), 4U);
    EXPECT_EQ(watch.told[3], "Joystick " + folder +
                                  "/event5 may not be read (Operation not permitted): its input does not count.");
    // Given to the user later: read from then on.
    devices->nodes["event5"].refusal = 0;
    ASSERT_EQ(::chmod((folder + "/event5").c_str(), 0644), 0);
    Wait(source, 7000);
    EXPECT_EQ(source.Count(), 3U);

    // Unplugged: gone from the wait, which blocks again.
    devices->pipes["event0"].CloseWriter();
    Wait(source, 8000);
    EXPECT_EQ(source.Count(), 2U);
    EXPECT_FALSE(Readable(source));
    EXPECT_EQ(watch.told.size(), 4U);

    // A machine without the folder has no input devices: nothing to tell.
    JoystickSource none("/nonexistent/input", std::make_unique<FakeDevices>(), watch);
    EXPECT_EQ(none.Count(), 0U);
    EXPECT_EQ(watch.told.size(), 4U);
    EXPECT_FALSE(Readable(none));
}

}  // namespace
}  // namespace tamrel::test
