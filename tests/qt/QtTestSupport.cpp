#include "QtTestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QWindow>
#include <fstream>

namespace tamrel::qt::test {

bool WaitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

void QuietFor(int ms) { WaitFor([] { return false; }, ms); }

bool Exposed(QWidget* widget) {
    return widget && WaitFor([widget] { return widget->windowHandle() && widget->windowHandle()->isExposed(); });
}

QWidget* FindWidget(const std::string& name) {
    const QString wanted = QString::fromLocal8Bit(name);
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == wanted) return top;
        if (auto* child = top->findChild<QWidget*>(wanted)) return child;
    }
    return nullptr;
}

bool Xdotool(const QStringList& arguments) {
    return !qEnvironmentVariableIsEmpty("DISPLAY") && QProcess::execute("xdotool", arguments) == 0;
}

std::string TempFolder::Write(const std::string& name, const std::string& bytes) const {
    const std::string path = Path(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

void QtBackendTest::SetUp() {
    if (!HaveDisplay()) GTEST_SKIP() << "No X display: ctest runs these tests on a private Xvfb";
    toolkit.ProcessPendingEvents();
}

}  // namespace tamrel::qt::test
