#include "QtTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QThread>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

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

void QuietFor(int ms) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
}

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

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tamrel-qt-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::Write(const std::string& name, const std::string& bytes) const {
    const std::string path = Path(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

namespace {

void Put(std::string& out, unsigned value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void PutPixel(std::string& out, unsigned rgb) {
    out.push_back(static_cast<char>(rgb & 0xFF));          // blue
    out.push_back(static_cast<char>((rgb >> 8) & 0xFF));   // green
    out.push_back(static_cast<char>((rgb >> 16) & 0xFF));  // red
}

}  // namespace

std::string Bitmap(int width, int height, unsigned rgb, unsigned corner) {
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    const unsigned pixelBytes = static_cast<unsigned>(rowBytes * height);
    std::string out = "BM";
    Put(out, 54 + pixelBytes, 4);
    Put(out, 0, 4);
    Put(out, 54, 4);
    Put(out, 40, 4);
    Put(out, static_cast<unsigned>(width), 4);
    Put(out, static_cast<unsigned>(height), 4);
    Put(out, 1, 2);
    Put(out, 24, 2);
    Put(out, 0, 4);
    Put(out, pixelBytes, 4);
    Put(out, 2835, 4);
    Put(out, 2835, 4);
    Put(out, 0, 4);
    Put(out, 0, 4);
    // Rows bottom-up: the top-left pixel starts the last row.
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) PutPixel(out, x == 0 && y == 0 ? corner : rgb);
        out.append(static_cast<std::size_t>(rowBytes - width * 3), '\0');
    }
    return out;
}

BoxAnswerer::~BoxAnswerer() = default;

void BoxAnswerer::Then(Action action) {
    actions_.push_back(std::move(action));
    if (!poll_) {
        poll_ = std::make_unique<QTimer>();
        poll_->setInterval(10);
        QObject::connect(poll_.get(), &QTimer::timeout, [this] { Poll(); });
        poll_->start();
    }
}

void BoxAnswerer::Click(QMessageBox::StandardButton button) {
    Then([button](QMessageBox& box) {
        if (QAbstractButton* target = box.button(button)) target->click();
        return true;
    });
}

void BoxAnswerer::PressKey(Qt::Key key) {
    Then([key](QMessageBox& box) {
        QTest::keyClick(&box, key);
        return true;
    });
}

void BoxAnswerer::EscapeThenClick(QMessageBox::StandardButton button) {
    auto escaped = std::make_shared<bool>(false);
    Then([button, escaped](QMessageBox& box) {
        if (!*escaped) {
            *escaped = true;
            QTest::keyClick(&box, Qt::Key_Escape);
            box.close();
            return false;
        }
        if (QAbstractButton* target = box.button(button)) target->click();
        return true;
    });
}

void BoxAnswerer::Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible() || actions_.empty()) return;
    if (box != current_) {
        current_ = box;
        SeenBox seen{box->windowTitle(), box->text(), {}, box->icon(), box->parentWidget(),
                     box->windowModality() == Qt::ApplicationModal};
        for (QAbstractButton* button : box->buttons()) {
            switch (box->standardButton(button)) {
                case QMessageBox::Ok: seen.buttons << "Ok"; break;
                case QMessageBox::Cancel: seen.buttons << "Cancel"; break;
                case QMessageBox::Yes: seen.buttons << "Yes"; break;
                case QMessageBox::No: seen.buttons << "No"; break;
                default: seen.buttons << button->text(); break;
            }
        }
        seen_.push_back(seen);
    }
    if (actions_.front()(*box)) {
        actions_.pop_front();
        current_ = nullptr;
    }
}

void QtBackendTest::SetUp() {
    if (!HaveDisplay()) {
        GTEST_SKIP() << "No X display (DISPLAY is empty): the Qt backend tests need an X server; "
                        "ctest runs them on a private Xvfb";
    }
    toolkit.ProcessPendingEvents();
}

}  // namespace tamrel::qt::test
