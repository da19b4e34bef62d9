// The privilege step's verdict. (ExitWindowsEx itself ends the Wine session:
// the Wine runs' countdown to 0 asks for it.)

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32Power.h"

namespace tamrel::test {
namespace {

TEST(Win32Power, OnlyACallThatLeavesNoErrorEnablesTheShutdownRight) {
    const std::string refused = "no shutdown right: ";
    // Success with ERROR_NOT_ALL_ASSIGNED is what a user without the right gets.
    const std::tuple<bool, unsigned long, std::string> cases[] = {
        {true, ERROR_SUCCESS, ""},
        {true, ERROR_NOT_ALL_ASSIGNED, refused + win32::SystemMessage(ERROR_NOT_ALL_ASSIGNED)},
        {false, ERROR_ACCESS_DENIED, refused + win32::SystemMessage(ERROR_ACCESS_DENIED)},
    };
    for (const auto& [adjusted, error, why] : cases) {
        EXPECT_EQ(win32::ShutdownRightRefusal(adjusted, error), why) << error;
    }
    EXPECT_GT(win32::SystemMessage(ERROR_NOT_ALL_ASSIGNED).size(), 10u);  // words, not a number
}

}  // namespace
}  // namespace tamrel::test
