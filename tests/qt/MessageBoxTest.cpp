// Message boxes: buttons, title, prompt lines, icon, the answers, Escape and
// the window they belong to.

#include <algorithm>

#include "QtTestSupport.h"

namespace tamrel::qt::test {
namespace {

QStringList Sorted(QStringList list) {
    list.sort();
    return list;
}

TEST_F(QtBackendTest, OkCancelBoxShowsItsTextAboveTheScreenAndAnswers) {
    auto screen = toolkit.NewWindow({"ShutdownScreen", "", true, true, 0, 0});
    screen->Show();
    boxes.Click(QMessageBox::Cancel);
    boxes.PressKey(Qt::Key_Escape);
    boxes.Click(QMessageBox::Ok);
    const std::string prompt = "Tamrel has encountered a problem. (Overflow)\r Please check\r\nthe log";
    EXPECT_EQ(toolkit.ShowMessageBox(prompt, ui::Buttons::OkCancel, "A title", ui::Icon::None), ui::kAnswerCancel);
    EXPECT_EQ(toolkit.ShowMessageBox(prompt, ui::Buttons::OkCancel, "A title", ui::Icon::None), ui::kAnswerCancel);
    EXPECT_EQ(toolkit.ShowMessageBox(prompt, ui::Buttons::OkCancel, "A title", ui::Icon::None), ui::kAnswerOk);
    EXPECT_TRUE(boxes.allUsed());

    ASSERT_EQ(boxes.seen().size(), 3u);
    const SeenBox& box = boxes.seen()[0];
    EXPECT_EQ(box.title, "A title");
    EXPECT_EQ(box.text, "Tamrel has encountered a problem. (Overflow)\n Please check\nthe log");
    EXPECT_EQ(Sorted(box.buttons), QStringList({"Cancel", "Ok"}));
    EXPECT_EQ(box.icon, QMessageBox::NoIcon);
    EXPECT_TRUE(box.modal);
    EXPECT_EQ(box.parent, FindWidget("ShutdownScreen"));
}

TEST_F(QtBackendTest, YesNoBoxCannotBeEscapedOrClosedWithoutAnAnswer) {
    boxes.EscapeThenClick(QMessageBox::Yes);
    boxes.Click(QMessageBox::No);
    const std::string prompt = "Tamrel.set config file not found! Do you wish to setup Tamrel now?";
    EXPECT_EQ(toolkit.ShowMessageBox(prompt, ui::Buttons::YesNo, "Tamrel.set not found!", ui::Icon::None),
              ui::kAnswerYes);
    EXPECT_EQ(toolkit.ShowMessageBox(prompt, ui::Buttons::YesNo, "Tamrel.set not found!", ui::Icon::None),
              ui::kAnswerNo);
    ASSERT_EQ(boxes.seen().size(), 2u);
    EXPECT_EQ(Sorted(boxes.seen()[0].buttons), QStringList({"No", "Yes"}));
    EXPECT_EQ(boxes.seen()[0].title, "Tamrel.set not found!");
    EXPECT_EQ(boxes.seen()[0].text, QString::fromStdString(prompt));
}

TEST_F(QtBackendTest, OkBoxHasOneButtonTheCriticalIconAndEscapeAnswersOk) {
    boxes.PressKey(Qt::Key_Escape);
    EXPECT_EQ(toolkit.ShowMessageBox("Gone wrong", ui::Buttons::Ok, ui::kAppTitle, ui::Icon::Critical),
              ui::kAnswerOk);
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_EQ(boxes.seen()[0].buttons, QStringList({"Ok"}));
    EXPECT_EQ(boxes.seen()[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes.seen()[0].title, "tamrel");
}

}  // namespace
}  // namespace tamrel::qt::test
