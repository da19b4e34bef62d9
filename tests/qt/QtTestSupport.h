#pragma once
// Helpers for driving the Qt backend: a toolkit per test, widgets found by
// object name, waiting on the event loop, files written by the test, and
// modal dialogs answered by the test while they are open.

#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QRect>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <ostream>
#include <string>

#include "platform/qt/QtToolkit.h"

// Readable failure messages for the Qt values the tests compare.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QStringList& list, std::ostream* out) {
    *out << '{' << list.join(", ").toStdString() << '}';
}
inline void PrintTo(const QRect& rect, std::ostream* out) {
    *out << rect.width() << 'x' << rect.height() << '+' << rect.x() << '+' << rect.y();
}
inline void PrintTo(const QColor& color, std::ostream* out) { *out << color.name().toStdString(); }

namespace tamrel::qt::test {

// Without an X display Qt cannot start: the tests skip. Qt's offscreen
// platform, asked for by name, needs none (the Pi builds under emulation).
inline bool HaveDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") || qEnvironmentVariable("QT_QPA_PLATFORM") == "offscreen";
}

// Processes events until `done` holds or `ms` have passed; tells whether it held.
bool WaitFor(const std::function<bool()>& done, int ms = 2000);
// Keeps processing events for `ms`: for checks that something does not
// happen, such as a timer that must stay quiet, which no event can end
// sooner.
void QuietFor(int ms);
// Waits until the X server shows the widget's window.
bool Exposed(QWidget* widget);

// The top-level widget with that object name, or a child of one.
QWidget* FindWidget(const std::string& name);

template <typename T>
T* Find(const std::string& name) {
    return dynamic_cast<T*>(FindWidget(name));
}

// Runs `action` on the next modal dialog of type T once it is open, from the
// event loop the dialog runs; the dialog must be ended by the action.
template <typename T>
void AnswerModal(std::function<void(T&)> action, int triesLeft = 500) {
    QTimer::singleShot(10, [action = std::move(action), triesLeft] {
        auto* dialog = dynamic_cast<T*>(QApplication::activeModalWidget());
        if (dialog && dialog->isVisible()) return action(*dialog);
        if (triesLeft > 0) AnswerModal<T>(action, triesLeft - 1);
    });
}

// Runs xdotool against the test's X server; false when it is not installed
// or there is no X server.
bool Xdotool(const QStringList& arguments);

// A folder of its own for each test, removed afterwards.
class TempFolder {
public:
    std::string Write(const std::string& name, const std::string& bytes) const;
    std::string Path(const std::string& name) const { return dir_.filePath(QString::fromStdString(name)).toStdString(); }

private:
    QTemporaryDir dir_;
};

// A started toolkit for each test.
class QtBackendTest : public ::testing::Test {
protected:
    void SetUp() override;

    QtToolkit toolkit;
};

}  // namespace tamrel::qt::test
