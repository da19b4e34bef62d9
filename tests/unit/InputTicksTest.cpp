// The last-input tick on the wait's clock, across the system tick's wrap.

#include <gtest/gtest.h>

#include "platform/win32/InputTicks.h"

namespace tamrel::test {
namespace {

using win32::InputTime;

constexpr SteadyMs kFiftyDays = 50LL * 24 * 60 * 60 * 1000;

TEST(InputTicks, TheLastInputLandsOnTheSteadyClockWhereverTheTickWrapped) {
    EXPECT_EQ(InputTime(1000, 1500, kFiftyDays, 0), kFiftyDays - 500);
    // 256 ms before the wrap, read 256 ms after it.
    EXPECT_EQ(InputTime(0xFFFFFF00u, 0x100u, kFiftyDays, 0), kFiftyDays - 512);
    // The second wrap is no different, nor is input at tick 0.
    EXPECT_EQ(InputTime(0, 40, 3 * kFiftyDays, 0), 3 * kFiftyDays - 40);
    // Input ahead of the tick it was read with (here and across the wrap)
    // is input now, not input 49 days ago.
    EXPECT_EQ(InputTime(2005, 2000, kFiftyDays, 0), kFiftyDays);
    EXPECT_EQ(InputTime(0x2u, 0xFFFFFFFEu, kFiftyDays, 0), kFiftyDays);
    // A changed tick is input since the previous look, never before it.
    EXPECT_EQ(InputTime(1000, 900000, kFiftyDays, kFiftyDays - 250), kFiftyDays - 250);
}

TEST(InputTicks, OnlyAChangedTickIsInputAndTheFirstLookIsWhereTheWaitBegins) {
    win32::LastInputTicks ticks;
    EXPECT_EQ(ticks.Look(0xFFFFFFF0u, 0xFFFFFFFFu, 1000), std::nullopt);
    EXPECT_EQ(ticks.Look(0xFFFFFFF0u, 0x000000F0u, 1250), std::nullopt);
    // Across the wrap: input 16 ms before the tick read 16 ms past 0.
    EXPECT_EQ(ticks.Look(0x00000000u, 0x00000010u, 1500), 1484);
    EXPECT_EQ(ticks.Look(0x00000000u, 0x00000100u, 1750), std::nullopt);
    EXPECT_EQ(ticks.Look(0x000001F0u, 0x000001F4u, 2000), 1996);
}

}  // namespace
}  // namespace tamrel::test
