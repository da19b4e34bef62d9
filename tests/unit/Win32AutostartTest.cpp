// Starting with Windows against the real shell: shortcuts in a Startup
// folder of the test's own.

#include <cctype>
#include <filesystem>

#include "TestPlatform.h"
#include "platform/win32/Win32Autostart.h"
#include "platform/win32/Win32FileSystem.h"

namespace tamrel::test {
namespace {

using Win32Startup = PlatformTest;

TEST_F(Win32Startup, AnyShortcutToThisExecutableCountsAndTurningItOffRemovesEach) {
    namespace fs = std::filesystem;
    for (const char* folder : {"Startup", "made"}) fs::create_directory(t.Path(folder));
    const std::string startup = t.Path("Startup");
    const std::string self = ExecutablePath();
    t.Write("other.exe", "MZ");
    Win32Autostart autostart(startup, self);
    EXPECT_FALSE(autostart.IsOn());
    EXPECT_EQ(autostart.EntryPath(), startup + "\\Tamrel.lnk");

    // Shortcuts made elsewhere and moved in under the names Explorer gives.
    const auto handMade = [&](const std::string& target, const std::string& name) {
        Win32Autostart(t.Path("made"), target).SetOn(true);
        fs::rename(t.Path("made\\Tamrel.lnk"), t.Path("Startup\\" + name));
    };
    handMade(self, "tamrel.exe - Shortcut.lnk");
    handMade(t.Path("other.exe"), "other.exe - Shortcut.lnk");
    t.Write("Startup\\broken.lnk", "not a shortcut");
    EXPECT_TRUE(autostart.IsOn());
    EXPECT_EQ(autostart.EntryPath(), startup + "\\tamrel.exe - Shortcut.lnk");

    autostart.SetOn(false);
    EXPECT_FALSE(autostart.IsOn());
    EXPECT_FALSE(t.Exists("Startup\\tamrel.exe - Shortcut.lnk"));
    EXPECT_TRUE(t.Exists("Startup\\other.exe - Shortcut.lnk"));
    EXPECT_TRUE(t.Exists("Startup\\broken.lnk"));

    autostart.SetOn(true);
    EXPECT_TRUE(autostart.IsOn());
    EXPECT_TRUE(t.Exists("Startup\\Tamrel.lnk"));
    // The same file under another spelling still counts as this one.
    std::string upper = self;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_TRUE(Win32Autostart(startup, upper).IsOn());
    autostart.SetOn(false);
    EXPECT_FALSE(t.Exists("Startup\\Tamrel.lnk"));
}

}  // namespace
}  // namespace tamrel::test
