#include "platform/qt/QtMessageBox.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>

namespace tamrel::qt {

namespace {

// A Yes/No question has no way out but an answer: Escape and the window's
// close request are refused. The box draws its own edge, since a bare X
// server gives it no frame and it would blend into the screen behind it.
class AnswerBox : public QMessageBox {
public:
    AnswerBox(QWidget* parent, bool mayEscape) : QMessageBox(parent), mayEscape_(mayEscape) {
        if (!mayEscape) setWindowFlag(Qt::WindowCloseButtonHint, false);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QMessageBox::paintEvent(event);
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::Shadow));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (!mayEscape_ && event->matches(QKeySequence::Cancel)) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override {
        if (!mayEscape_) {
            event->ignore();
            return;
        }
        QMessageBox::closeEvent(event);
    }

private:
    bool mayEscape_;
};

int Answer(QMessageBox::StandardButton button, ui::Buttons buttons) {
    switch (button) {
        case QMessageBox::Ok: return ui::kAnswerOk;
        case QMessageBox::Cancel: return ui::kAnswerCancel;
        case QMessageBox::Yes: return ui::kAnswerYes;
        case QMessageBox::No: return ui::kAnswerNo;
        default: break;
    }
    // Only reached when the box was ended without a button.
    switch (buttons) {
        case ui::Buttons::Ok: return ui::kAnswerOk;
        case ui::Buttons::OkCancel: return ui::kAnswerCancel;
        case ui::Buttons::YesNo: return ui::kAnswerNo;
    }
    return ui::kAnswerCancel;
}

}  // namespace

QString PromptText(const std::string& prompt) {
    QString text = QString::fromLocal8Bit(prompt);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

int RunMessageBox(QWidget* parent, const std::string& prompt, ui::Buttons buttons, const std::string& title,
                  ui::Icon icon) {
    AnswerBox box(parent, buttons != ui::Buttons::YesNo);
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowTitle(QString::fromLocal8Bit(title));
    box.setTextFormat(Qt::PlainText);
    box.setText(PromptText(prompt));
    box.setIcon(icon == ui::Icon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon);
    switch (buttons) {
        case ui::Buttons::Ok:
            // Escape answers OK when there is nothing to cancel.
            box.setEscapeButton(box.addButton(QMessageBox::Ok));
            break;
        case ui::Buttons::OkCancel:
            box.setDefaultButton(box.addButton(QMessageBox::Ok));
            box.setEscapeButton(box.addButton(QMessageBox::Cancel));
            break;
        case ui::Buttons::YesNo:
            box.setDefaultButton(box.addButton(QMessageBox::Yes));
            box.addButton(QMessageBox::No);
            break;
    }
    box.exec();
    return Answer(box.standardButton(box.clickedButton()), buttons);
}

}  // namespace tamrel::qt
