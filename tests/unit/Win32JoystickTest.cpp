// The joystick polling against joysticks of the test's own. (The real winmm
// path starts and ends with every shutdown screen of the Wine runs.)

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tamrel::test
