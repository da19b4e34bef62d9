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

TEST(OutsideText, ReachesLogsBoxesAndScreenEscaped) {
    struct Case {
        const char* where;
        std::string expected;
        std::function<std::string(TestPlatform&)> seen;  // what the user is shown, the logs included
    };
    const auto logs = [](TestPlatform& t) {
        std::string all;
        for (const std::string& line : t.Events()) all += line + "|";
        for (const std::string& line : t.Errors()) all += line + "|";
        return all;
    };
    const auto boxes = [](TestPlatform& t) {
        std::string all;
        for (const headless::MessageBoxCall& box : t.ui.messageBoxes()) all += box.prompt + "|";
        return all;
    };
    const Case cases[] = {
        {"the failed-run notice and its log lines", kShown,
         [&](TestPlatform& t) {
             t.WriteSettings(SettingsLines({"Shortest run in seconds =10"}));
             t.app.ShowShutdownScreen({"front" + kForged + ".sh", 1});
             return t.ui.ControlOf("ShutdownScreen", "notice").Text() + "|" + logs(t);
         }},
        {"a system error while setup changes the start with the session", kShown,
         [&](TestPlatform& t) {
             t.ui.SetDefaultAnswer(ui::kAnswerOk);
             t.app.ShowSetup();
             t.autostart.FailNextChange(RuntimeError(13, "Permission denied" + kForged));
             t.ui.ChooseMenu("SetupWindow", setup::kAutostart);
             return boxes(t) + logs(t);
         }},
        {"a chosen program in the setup captions", kShown,
         [&](TestPlatform& t) {
             t.app.ShowSetup();
             t.ui.QueueOpenAnswer("/games/front" + kForged + ".sh");
             t.ui.ChooseMenu("SetupWindow", setup::kChooseProgram);
             return t.ui.FindWindow("SetupWindow")->MenuCaption(setup::kProgramShown);
         }},
        {"a skin that cannot be used", kShown,
         [&](TestPlatform& t) {
             t.ui.SetDefaultAnswer(ui::kAnswerOk);
             t.app.ShowSetup();
             t.ui.QueueOpenAnswer("/skins/no" + kForged + ".bmp");
             t.ui.ChooseMenu("SetupWindow", setup::kOpenSkin);
             return boxes(t);
         }},
        {"a settings line setup cannot use", "=\\x1B[2J\\x07",
         [&](TestPlatform& t) {
             t.ui.SetDefaultAnswer(ui::kAnswerOk);
             t.WriteSettings(SettingsLines({"Countdown box fontsize =\x1b[2J\a"}));
             t.app.ShowSetup();
             return boxes(t) + logs(t);
         }},
    };
    for (const Case& c : cases) {
        TestPlatform t;
        const std::string seen = c.seen(t);
        EXPECT_NE(seen.find(c.expected), std::string::npos) << c.where << ": " << seen;
        EXPECT_EQ(seen.find_first_of("\n\a\x1b\t"), std::string::npos) << c.where << ": " << seen;
    }
}

}  // namespace
}  // namespace tamrel::test
