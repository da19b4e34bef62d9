// The privilege step's verdict. (ExitWindowsEx itself ends the Wine session:
// the Wine runs' countdown to 0 asks for it.)

#include <gtest/gtest.h>

#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32Power.h"

namespace tamrel::test {
namespace {

TEST(Win32Power, OnlyACallThatLeavesNoErrorEnablesTheShutdownRight) {
    EXPECT_EQ(win32::ShutdownRightRefusal(true, ERROR_SUCCESS), "");
    // What a user without the right gets: success, and this error.
    const std::string why = win32::SystemMessage(ERROR_NOT_ALL_ASSIGNED);
    EXPECT_EQ(win32::ShutdownRightRefusal(true, ERROR_NOT_ALL_ASSIGNED), "no shutdown right: " + why);
    EXPECT_GT(why.size(), 10u);  // words, not a number
    EXPECT_NE(win32::ShutdownRightRefusal(false, ERROR_ACCESS_DENIED), "");
}

}  // namespace
}  // namespace tamrel::test
