// Message boxes: buttons, title, prompt lines, icon, the answers, Escape and
// the window they belong to.

#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>

#include "QtTestSupport.h"

namespace tamrel::qt::test {
namespace {

TEST_F(QtBackendTest, MessageBoxesShowTheirTextOverTheScreenAndAnswerOnlyAsTheirButtonsAllow) {
    auto screen = toolkit.NewWindow({"ShutdownScreen", "", true, true, 0, 0});
    screen->Show();
    using Box = QMessageBox;
    struct Case {
        ui::Buttons buttons;
        Box::StandardButton press;  // NoButton: Escape
        int answer;
        Box::StandardButtons shown;
    };
    const std::vector<Case> cases = {
        {ui::Buttons::OkCancel, Box::Cancel, ui::kAnswerCancel, Box::Ok | Box::Cancel},
        {ui::Buttons::OkCancel, Box::NoButton, ui::kAnswerCancel, Box::Ok | Box::Cancel},
        {ui::Buttons::OkCancel, Box::Ok, ui::kAnswerOk, Box::Ok | Box::Cancel},
        {ui::Buttons::YesNo, Box::Yes, ui::kAnswerYes, Box::Yes | Box::No},
        {ui::Buttons::YesNo, Box::No, ui::kAnswerNo, Box::Yes | Box::No},
        // With nothing to cancel, Escape answers OK.
        {ui::Buttons::Ok, Box::NoButton, ui::kAnswerOk, Box::Ok},
    };
    const std::string prompt = "Tamrel has encountered a problem. (Overflow)\r Please check\r\nthe log";
    for (const Case& c : cases) {
        const bool critical = c.buttons == ui::Buttons::Ok;
        bool answered = false;
        AnswerModal<Box>([&](Box& box) {
            answered = true;
            EXPECT_EQ(box.windowTitle(), "A title");
            EXPECT_EQ(box.text(), "Tamrel has encountered a problem. (Overflow)\n Please check\nthe log");
            EXPECT_EQ(box.standardButtons(), c.shown);
            EXPECT_EQ(box.icon(), critical ? Box::Critical : Box::NoIcon);
            EXPECT_EQ(box.windowModality(), Qt::ApplicationModal);
            EXPECT_EQ(box.parentWidget(), FindWidget("ShutdownScreen"));
            if (c.buttons == ui::Buttons::YesNo) {  // a question has no way out but an answer
                QTest::keyClick(&box, Qt::Key_Escape);
                box.close();
                EXPECT_TRUE(box.isVisible());
            }
            c.press ? box.button(c.press)->click() : QTest::keyClick(&box, Qt::Key_Escape);
        });
        const ui::Icon icon = critical ? ui::Icon::Critical : ui::Icon::None;
        EXPECT_EQ(toolkit.ShowMessageBox(prompt, c.buttons, "A title", icon), c.answer) << "pressing " << c.press;
        EXPECT_TRUE(answered);
    }
}

}  // namespace
}  // namespace tamrel::qt::test
