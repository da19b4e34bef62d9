// The setup window, maximised, with close requests for its form, and its
// Open, Font and Color dialogs: Qt's own widgets, modal over it, started from
// the request, answering with the choice or, after Cancel, with what they
// started from.

#include <QCheckBox>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <tuple>

#include "QtTestSupport.h"
#include "platform/qt/QtDialogs.h"

namespace tamrel::qt::test {
namespace {

TEST_F(QtBackendTest, MaximisedWindowLeavesCloseRequestsToTheFormAndHasItsDialogsModalOverIt) {
    auto window = toolkit.NewWindow({"Setup", "Setup", false, false, 13350, 9000, true});
    window->Show();
    QWidget* owner = FindWidget("Setup");
    ASSERT_TRUE(Exposed(owner));
    EXPECT_EQ(owner->geometry(), QGuiApplication::primaryScreen()->availableGeometry());
    EXPECT_TRUE(owner->windowState() & Qt::WindowMaximized);
    // Each dialog is checked for what every dialog must be, then ended.
    auto end = [owner](QDialog& dialog, bool accept) {
        EXPECT_EQ(dialog.parentWidget(), owner);
        EXPECT_TRUE(dialog.isModal());
        accept ? dialog.accept() : dialog.reject();
    };

    TempFolder folder;
    const std::string tool = folder.Write("tool.sh", "#!/bin/sh\n");
    EXPECT_EQ(NameFilter({"Executable files (.exe .bat)", "*.exe;*.bat"}),
              "Executable files (.exe .bat) (*.exe *.bat)");
    AnswerModal<QFileDialog>([&](QFileDialog& dialog) {
        EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_EQ(dialog.directory().absolutePath().toStdString(), folder.Path(""));
        EXPECT_EQ(dialog.nameFilters(), QStringList{"All files (*)"});
        // A name that does not exist is refused with a warning; the dialog stays.
        bool warned = false;
        AnswerModal<QMessageBox>([&](QMessageBox& box) {
            warned = true;
            box.accept();
        });
        dialog.findChild<QLineEdit*>("fileNameEdit")->setText("missing.sh");
        static_cast<QDialog&>(dialog).accept();
        EXPECT_TRUE(warned);
        EXPECT_TRUE(dialog.isVisible());
        dialog.findChild<QLineEdit*>("fileNameEdit")->setText("tool.sh");
        end(dialog, true);
    });
    EXPECT_EQ(window->ShowOpenDialog({folder.Path(""), "", {"All files", "*"}}).path, tool);
    AnswerModal<QFileDialog>([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.findChild<QLineEdit*>("fileNameEdit")->text(), "kept.sh");
        end(dialog, false);
    });
    EXPECT_EQ(window->ShowOpenDialog({folder.Path(""), "kept.sh", {"All files", "*"}}).path, "kept.sh");

    // The font dialog has no effects to offer.
    QFont seen;
    AnswerModal<QFontDialog>([&](QFontDialog& dialog) {
        EXPECT_TRUE(dialog.testOption(QFontDialog::DontUseNativeDialog));
        const QFont shown = dialog.currentFont();
        EXPECT_EQ(shown.family(), "DejaVu Sans");
        EXPECT_EQ(shown.pointSizeF(), 14);
        EXPECT_TRUE(shown.bold() && shown.italic());
        for (QCheckBox* effect : dialog.findChildren<QCheckBox*>()) EXPECT_FALSE(effect->isVisible());
        QFont chosen("DejaVu Serif");
        chosen.setPointSizeF(20);
        dialog.setCurrentFont(chosen);
        seen = dialog.currentFont();
        end(dialog, true);
    });
    const ui::Font chosen = window->ShowFontDialog({"DejaVu Sans", 14, true, true});
    EXPECT_EQ(std::tie(chosen.name, chosen.size, chosen.bold, chosen.italic),
              std::make_tuple("DejaVu Serif", 20.0, seen.bold(), seen.italic()));
    // After Cancel the start comes back as given, even a font not installed.
    AnswerModal<QFontDialog>([&](QFontDialog& dialog) { end(dialog, false); });
    const ui::Font cancelled = window->ShowFontDialog({"arial", 20, false, true});
    EXPECT_EQ(cancelled.name, "arial");
    EXPECT_TRUE(cancelled.size == 20 && cancelled.italic && !cancelled.bold);

    AnswerModal<QColorDialog>([&](QColorDialog& dialog) {
        EXPECT_TRUE(dialog.testOption(QColorDialog::DontUseNativeDialog));
        EXPECT_EQ(dialog.currentColor(), QColor(0, 255, 0));
        dialog.setCurrentColor(QColor(1, 2, 3));
        end(dialog, true);
    });
    EXPECT_EQ(window->ShowColorDialog(65280), 197121);
    AnswerModal<QColorDialog>([&](QColorDialog& dialog) {
        dialog.setCurrentColor(QColor(9, 9, 9));
        end(dialog, false);
    });
    EXPECT_EQ(window->ShowColorDialog(255), 255);

    // Refused without a handler; the form's once it has one, until it has
    // closed the window. (The end-to-end runs pin that the window stays.)
    owner->close();
    EXPECT_TRUE(owner->isVisible());
    int requests = 0;
    window->OnCloseRequest([&] { ++requests; });
    owner->close();
    EXPECT_EQ(requests, 1);
    window->Close();
    owner->close();
    EXPECT_EQ(requests, 1);
}

// The time entry: spin boxes named Hours and Minutes, started from the
// request, and its three buttons answering with the time, none or nothing.
TEST_F(QtBackendTest, TimeEntryStartsFromTheRequestAndAnswersByItsThreeButtons) {
    auto window = toolkit.NewWindow({"Owner", "Owner", false, false, 6000, 4000, false});
    window->Show();
    QWidget* owner = FindWidget("Owner");
    const auto entry = [](QDialog& dialog) {
        return std::make_pair(dialog.findChild<QSpinBox*>("Hours"), dialog.findChild<QSpinBox*>("Minutes"));
    };
    const auto press = [](QDialog& dialog, const QString& caption) {
        QPushButton* button = dialog.findChild<QPushButton*>(caption);
        ASSERT_TRUE(button) << caption.toStdString();
        EXPECT_EQ(button->text(), caption);
        button->click();
    };

    AnswerModal<QDialog>([&](QDialog& dialog) {
        EXPECT_EQ(dialog.parentWidget(), owner);
        EXPECT_TRUE(dialog.isModal());
        EXPECT_EQ(dialog.windowTitle(), "Closing time");
        QStringList buttons;
        for (QPushButton* button : dialog.findChildren<QPushButton*>()) buttons << button->text();
        EXPECT_EQ(buttons, (QStringList{"OK", "Cancel", "None"}));
        EXPECT_TRUE(dialog.findChild<QPushButton*>("OK")->isDefault());
        bool prompted = false;
        for (QLabel* label : dialog.findChildren<QLabel*>()) {
            prompted = prompted || label->text() == "Asked?\nNow: 18:05.";
        }
        EXPECT_TRUE(prompted);
        auto [hours, minutes] = entry(dialog);
        ASSERT_TRUE(hours && minutes);
        EXPECT_EQ(hours->text(), "18");
        EXPECT_EQ(minutes->text(), "05");
        EXPECT_EQ(hours->accessibleName(), "Hours");
        // The clock's own limits, going round as a clock does.
        hours->setValue(23);
        hours->stepBy(1);
        EXPECT_EQ(hours->value(), 0);
        EXPECT_EQ(hours->text(), "00");
        minutes->setValue(59);
        minutes->stepBy(1);
        EXPECT_EQ(minutes->value(), 0);
        hours->setValue(7);
        minutes->setValue(30);
        press(dialog, "OK");
    });
    EXPECT_EQ(window->ShowTimeDialog({"Closing time", "Asked?\nNow: 18:05.", 18 * 60 + 5}),
              ui::TimeAnswer(7 * 60 + 30));

    AnswerModal<QDialog>([&](QDialog& dialog) {
        // A start no clock shows opens at midnight.
        EXPECT_EQ(entry(dialog).first->value(), 0);
        EXPECT_EQ(entry(dialog).second->value(), 0);
        press(dialog, "None");
    });
    EXPECT_EQ(window->ShowTimeDialog({"Wake-up time", "", -1}), ui::TimeAnswer(ui::kNoTime));

    AnswerModal<QDialog>([&](QDialog& dialog) {
        entry(dialog).first->setValue(3);
        press(dialog, "Cancel");
    });
    EXPECT_EQ(window->ShowTimeDialog({"Wake-up time", "", 8 * 60}), std::nullopt);
    window->Close();
}

}  // namespace
}  // namespace tamrel::qt::test
