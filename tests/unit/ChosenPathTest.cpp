// A chosen program or skin whose path the settings file cannot hold as it
// is: kept through its short name, or refused with a box that says why.

#include "SetupTestSupport.h"
#include "settings/Text.h"
#include "log/Printable.h"

namespace tamrel::test {
namespace {

using namespace setup;

using ChosenPathTest = SetupTest;

TEST_F(ChosenPathTest, APathTheFileCannotHoldIsKeptByItsShortNameOrRefusedWithTheReason) {
    struct Case {
        ui::MenuId menu;
        ui::ChosenFile chosen;
        std::string kept;   // empty: refused, and the earlier choice stays
        std::string title;  // of the refusal's box
        std::string why;
    };
    const std::string front = t.Runnable("front.bat"), skin = t.Path("skin.bmp");
    t.Write("skin.bmp", "BM");
    const std::string greek = "C:\\Spiele\\\?\?\?\?\?\\";
    const Case cases[] = {
        {kChooseProgram, {greek + "front.bat", false, front}, front, "", ""},
        {kOpenSkin, {greek + "skin.bmp", false, skin}, skin, "", ""},
        {kChooseProgram, {greek + "front.bat", false, ""}, "", "Program not chosen!", "not in the system's code page"},
        {kOpenSkin, {greek + "skin.bmp", false, ""}, "", "Skin not used!", "not in the system's code page"},
        // Only Linux names hold line breaks; one would split the file's line.
        {kChooseProgram, {t.Path("front\nx.bat"), true, ""}, "", "Program not chosen!", "line break"},
        {kOpenSkin, {t.Path("skin\r.bmp"), true, ""}, "", "Skin not used!", "line break"},
    };
    for (const Case& c : cases) {
        TestPlatform p;
        p.app.ShowSetup();
        p.ui.ChooseMenu("SetupWindow", kPowerOff);
        p.ui.QueueOpenAnswer(c.chosen);
        p.ui.QueueAnswer(ui::kAnswerOk);
        p.ui.ChooseMenu("SetupWindow", c.menu);
        const SetupState& state = p.app.setupWindow()->state();
        const std::string& kept = c.menu == kOpenSkin ? state.skinPath : state.programPath;
        if (!c.kept.empty()) {
            EXPECT_EQ(kept, c.kept) << c.chosen.path;
            EXPECT_TRUE(p.ui.messageBoxes().empty());
            continue;
        }
        EXPECT_EQ(kept, c.menu == kOpenSkin ? "use default" : p.folder()) << c.chosen.path;
        ASSERT_EQ(p.ui.messageBoxes().size(), 1u) << c.chosen.path;
        const headless::MessageBoxCall& box = p.Box();
        EXPECT_EQ(box.title, c.title);
        EXPECT_EQ(box.icon, ui::Icon::Critical);
        // The path as the user can read it, why, and what to do instead.
        EXPECT_EQ(box.prompt.rfind("Tamrel cannot keep this path in tamrel.set:\r" + Printable(c.chosen.path) + "\r", 0),
                  0u)
            << box.prompt;
        EXPECT_NE(box.prompt.find(c.why), std::string::npos) << box.prompt;
        EXPECT_NE(box.prompt.find("then choose it again."), std::string::npos) << box.prompt;
    }
}

}  // namespace
}  // namespace tamrel::test
