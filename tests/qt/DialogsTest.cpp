// The Open, Font and Color dialogs: Qt's own widgets, modal over their
// window, started from the request, answering with the choice or, after
// Cancel, with what they started from.

#include <QCheckBox>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QLineEdit>

#include "QtTestSupport.h"
#include "platform/qt/QtControls.h"
#include "platform/qt/QtDialogs.h"

namespace tamrel::qt::test {
namespace {

class DialogTest : public QtBackendTest {
protected:
    void SetUp() override {
        QtBackendTest::SetUp();
        if (IsSkipped()) return;
        window = toolkit.NewWindow({"Owner", "Owner", false, false, 6000, 4500});
        window->Show();
        owner = FindWidget("Owner");
    }
    // Checks what every dialog must be, then ends it.
    void Common(QDialog& dialog, bool accept) {
        EXPECT_EQ(dialog.parentWidget(), owner);
        EXPECT_TRUE(dialog.isModal());
        accept ? dialog.accept() : dialog.reject();
    }

    std::unique_ptr<ui::Window> window;
    QWidget* owner = nullptr;
};

TEST_F(DialogTest, OpenDialogStartsFromTheRequestAndTakesOnlyAnExistingFile) {
    TempFolder folder;
    const std::string tool = folder.Write("tool.sh", "#!/bin/sh\n");
    EXPECT_EQ(NameFilter({"Executable files (.exe .bat)", "*.exe;*.bat"}),
              "Executable files (.exe .bat) (*.exe *.bat)");
    const ui::OpenFileRequest request{folder.Path(""), "", {"All files", "*"}};

    AnswerModal<QFileDialog>([&](QFileDialog& dialog) {
        EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(dialog.directory().absolutePath().toStdString() + "/", folder.Path(""));
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
        Common(dialog, true);
    });
    EXPECT_EQ(window->ShowOpenDialog(request), tool);

    AnswerModal<QFileDialog>([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.findChild<QLineEdit*>("fileNameEdit")->text(), "kept.sh");
        Common(dialog, false);
    });
    EXPECT_EQ(window->ShowOpenDialog({folder.Path(""), "kept.sh", {"All files", "*"}}), "kept.sh");
}

TEST_F(DialogTest, FontDialogHasNoEffectsAndGivesBackTheStartAfterCancel) {
    const ui::Font start{"DejaVu Sans", 14, true, true};
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
        Common(dialog, true);
    });
    const ui::Font chosen = window->ShowFontDialog(start);
    EXPECT_EQ(chosen.name, "DejaVu Serif");
    EXPECT_EQ(chosen.size, 20);
    EXPECT_EQ(chosen.bold, seen.bold());
    EXPECT_EQ(chosen.italic, seen.italic());

    // After Cancel the start comes back as given, even a font not installed.
    const ui::Font missing{"arial", 20, false, true};
    AnswerModal<QFontDialog>([&](QFontDialog& dialog) { Common(dialog, false); });
    const ui::Font cancelled = window->ShowFontDialog(missing);
    EXPECT_EQ(cancelled.name, "arial");
    EXPECT_EQ(cancelled.size, 20);
    EXPECT_TRUE(cancelled.italic && !cancelled.bold);
}

TEST_F(DialogTest, ColorDialogSpeaksColourValues) {
    EXPECT_EQ(WindowsColor(QColor(1, 2, 3)), 1 + 2 * 256 + 3 * 65536);
    EXPECT_EQ(QtColor(16711680), QColor(0, 0, 255));
    AnswerModal<QColorDialog>([&](QColorDialog& dialog) {
        EXPECT_TRUE(dialog.testOption(QColorDialog::DontUseNativeDialog));
        EXPECT_EQ(dialog.currentColor(), QColor(0, 255, 0));
        dialog.setCurrentColor(QColor(1, 2, 3));
        Common(dialog, true);
    });
    EXPECT_EQ(window->ShowColorDialog(65280), 197121);
    AnswerModal<QColorDialog>([&](QColorDialog& dialog) {
        dialog.setCurrentColor(QColor(9, 9, 9));
        Common(dialog, false);
    });
    EXPECT_EQ(window->ShowColorDialog(255), 255);
}

}  // namespace
}  // namespace tamrel::qt::test
