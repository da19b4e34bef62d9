#include "QtTestSupport.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QThread>
#include <cstdlib>
#include <fstream>

namespace tamrel::qt::test {

bool HaveDisplay() {
    const char* display = std::getenv("DISPLAY");
    return display && *display;
}

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

void DrainEvents() {
    bool reached = false;
    QMetaObject::invokeMethod(QCoreApplication::instance(), [&reached] { reached = true; }, Qt::QueuedConnection);
    WaitFor([&reached] { return reached; });
    QCoreApplication::processEvents();
}

void QuietFor(int ms) { WaitFor([] { return false; }, ms); }

QWidget* FindWidget(const std::string& name) {
    const QString wanted = QString::fromLocal8Bit(name);
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == wanted) return top;
        if (auto* child = top->findChild<QWidget*>(wanted)) return child;
    }
    return nullptr;
}

namespace {

void PollModal(const std::function<bool(QWidget&)>& action, int triesLeft) {
    QTimer::singleShot(10, [action, triesLeft] {
        QWidget* modal = QApplication::activeModalWidget();
        if ((!modal || !modal->isVisible() || !action(*modal)) && triesLeft > 0) PollModal(action, triesLeft - 1);
    });
}

}  // namespace

void OnModal(const std::function<bool(QWidget&)>& action) { PollModal(action, 500); }

bool Xdotool(const QStringList& arguments) {
    if (QStandardPaths::findExecutable("xdotool").isEmpty()) return false;
    return QProcess::execute("xdotool", arguments) == 0;
}

std::string TempFolder::Write(const std::string& name, const std::string& bytes) const {
    const std::string path = Path(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string Bitmap(int width, int height, unsigned rgb, unsigned corner) {
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(QColor::fromRgb(rgb));
    image.setPixelColor(0, 0, QColor::fromRgb(corner));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes.toStdString();
}

void QtBackendTest::SetUp() {
    if (!HaveDisplay()) {
        GTEST_SKIP() << "No X display (DISPLAY is empty): the Qt backend tests need an X server; "
                        "ctest runs them on a private Xvfb";
    }
    toolkit.ProcessPendingEvents();
}

}  // namespace tamrel::qt::test
