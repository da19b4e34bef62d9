// The joystick polling against joysticks of the test's own. (The real winmm
// path starts and ends with every shutdown screen of the Wine runs.)

#include <gtest/gtest.h>

#include "platform/win32/Win32IdleInput.h"
#include "platform/win32/Win32Joysticks.h"

namespace tamrel::test {
namespace {

using win32::ButtonChanges;
using enum ui::ButtonChange;

class FakeSlots : public win32::JoystickSlots {
public:
    unsigned Count() override { return 16; }
    std::optional<std::uint32_t> Buttons(unsigned slot) override {
        ++asked[slot];
        return boards.contains(slot) ? std::optional(boards[slot]) : std::nullopt;
    }
    std::map<unsigned, std::uint32_t> boards;  // slot: buttons down
    std::map<unsigned, int> asked;
};

TEST(Win32Joysticks, ThePollerReportsChangesHeldButtonsAndBoardsComingAndGoing) {
    FakeSlots slots;
    slots.boards[2] = 0b10000;  // button 5 held from the game
    win32::ButtonPoller poller(slots);
    EXPECT_EQ(poller.Poll(), (ButtonChanges{{5, HeldAtOpen}}));
    slots.boards[2] = 0b00100;
    EXPECT_EQ(poller.Poll(), (ButtonChanges{{3, Pressed}, {5, Released}}));
    EXPECT_EQ(poller.Poll(), ButtonChanges{});
    // An empty slot is not asked at every poll.
    EXPECT_LT(slots.asked[7], 2);

    // A board plugged in is found within a second's polls; one pulled out
    // lets go of its buttons.
    slots.boards[7] = 1u << 31;
    ButtonChanges found;
    for (int poll = 0; poll < 100 && found.empty(); ++poll) found = poller.Poll();
    EXPECT_EQ(found, (ButtonChanges{{32, HeldAtOpen}}));
    slots.boards.erase(2);
    EXPECT_EQ(poller.Poll(), (ButtonChanges{{3, Released}}));
}

class FakeBoards : public win32::JoystickSlots {
public:
    unsigned Count() override { return 16; }
    std::optional<std::uint32_t> Buttons(unsigned) override { return std::nullopt; }
    std::optional<win32::JoystickReading> Read(unsigned slot) override {
        return boards.contains(slot) ? std::optional(boards[slot]) : std::nullopt;
    }
    std::map<unsigned, win32::JoystickReading> boards;
};

win32::JoystickReading Stick(std::int32_t x, std::uint32_t buttons = 0, std::uint32_t hat = win32::kHatCentred) {
    return {buttons, hat, {{x, 0, 65535}, {32767, 0, 65535}}};
}

TEST(Win32Joysticks, OnlyPressesHatPushesAndAQuarterOfAnAxisCountAsPlaying) {
    FakeBoards slots;
    slots.boards[3] = Stick(32767, 0b10);  // button 2 held from before
    win32::JoystickActivity activity(slots);
    EXPECT_FALSE(activity.Look());
    EXPECT_FALSE(activity.Look());
    // A drifting stick, however long, counts only once it has gone a
    // quarter of the range from where it last counted.
    for (const std::int32_t x : {33000, 36000, 40000, 45000, 49000}) {
        slots.boards[3] = Stick(x, 0b10);
        EXPECT_FALSE(activity.Look()) << x;
    }
    slots.boards[3] = Stick(49200, 0b10);
    EXPECT_TRUE(activity.Look());
    slots.boards[3] = Stick(49200, 0);
    EXPECT_FALSE(activity.Look()) << "letting go";
    slots.boards[3] = Stick(49200, 0b10);
    EXPECT_TRUE(activity.Look());
    slots.boards[3] = Stick(49200, 0b10, 9000);
    EXPECT_TRUE(activity.Look()) << "the hat pushed";
    slots.boards[3] = Stick(49200, 0b10);
    EXPECT_FALSE(activity.Look()) << "the hat back in the middle";

    // A board plugged in, holding a button with its stick aside, is found
    // within a second's looks without counting; pressing on it counts.
    slots.boards[9] = Stick(0, 1);
    for (int look = 0; look < 4; ++look) EXPECT_FALSE(activity.Look());
    slots.boards[9] = Stick(0, 0b101);
    EXPECT_TRUE(activity.Look());
    // One pulled out and plugged back in is met anew.
    slots.boards.erase(9);
    EXPECT_FALSE(activity.Look());
    slots.boards[9] = Stick(65535, 0b111);
    for (int look = 0; look < 4; ++look) EXPECT_FALSE(activity.Look());
}

}  // namespace
}  // namespace tamrel::test
