// Texts Tamrel did not write itself (file names, paths, lines of the
// settings file, the system's error texts) reach the logs, the boxes and the
// screen with control characters escaped, so that none can forge a log line
// or break a caption.

#include <functional>

#include "TestPlatform.h"
#include "setup/SetupMenus.h"

namespace tamrel::test {
namespace {

const std::string kForged = "x\r\n12/07/26 03:00:00 --- Tamrel ended.\a\x1b[2J\t";
const std::string kShown = "x\\r\\n12/07/26 03:00:00 --- Tamrel ended.\\x07\\x1B[2J\\t";

// Both logs and every box prompt, joined.
std::string Told(TestPlatform& t) {
    std::string all;
    for (const std::string& line : t.Events()) all += line + "|";
    for (const std::string& line : t.Errors()) all += line + "|";
    for (const headless::MessageBoxCall& box : t.ui.messageBoxes()) all += box.prompt + "|";
    return all;
}

TEST(OutsideText, ReachesLogsBoxesAndScreenEscaped) {
    const auto setup = [](TestPlatform& t, ui::MenuId item, const std::string& chosen) {
        t.app.ShowSetup();
        t.ui.QueueOpenAnswer(chosen);
        t.ui.ChooseMenu("SetupWindow", item);
        return t.ui.FindWindow("SetupWindow")->MenuCaption(setup::kProgramShown) + Told(t);
    };
    const std::pair<std::string, std::function<std::string(TestPlatform&)>> cases[] = {
        {kShown, [](TestPlatform& t) {  // the failed-run notice and its log lines
             t.WriteSettings(SettingsLines({"Shortest run in seconds =10"}));
             t.app.ShowShutdownScreen({"front" + kForged + ".sh", 1});
             return t.Screen("notice").Text() + Told(t);
         }},
        {kShown, [](TestPlatform& t) {  // a program holding up the shutdown, as the system names it
             t.power.SetBlockers({{"saver" + kForged, kForged}});
             t.ShowScreen();
             t.ui.Advance(10000);
             return t.Screen("notice").Text() + Told(t);
         }},
        {kShown, [](TestPlatform& t) {  // the system's words on a failed start with the session
             t.app.ShowSetup();
             t.autostart.FailNextChange(RuntimeError(13, "Permission denied" + kForged));
             t.ui.ChooseMenu("SetupWindow", setup::kAutostart);
             return Told(t);
         }},
        {kShown, [&](TestPlatform& t) { return setup(t, setup::kChooseProgram, "/games/front" + kForged + ".sh"); }},
        {kShown, [&](TestPlatform& t) { return setup(t, setup::kOpenSkin, "/skins/no" + kForged + ".bmp"); }},
        {"=\\x1B[2J\\x07", [](TestPlatform& t) {  // a settings line setup cannot use
             t.WriteSettings(SettingsLines({"Countdown box fontsize =\x1b[2J\a"}));
             t.app.ShowSetup();
             return Told(t);
         }},
    };
    for (const auto& [expected, seen] : cases) {
        TestPlatform t;
        t.ui.SetDefaultAnswer(ui::kAnswerOk);
        const std::string text = seen(t);
        EXPECT_NE(text.find(expected), std::string::npos) << text;
        EXPECT_EQ(text.find_first_of("\n\a\x1b\t"), std::string::npos) << text;
    }
}

}  // namespace
}  // namespace tamrel::test
