#include "platform/qt/QtToolkit.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QScreen>
#include <QThread>
#include <QWindow>
#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <optional>

#include "platform/posix/ConsoleDevices.h"
#include "platform/qt/QtMessageBox.h"
#include "platform/qt/QtWindow.h"
#include "platform/qt/QtWindowWidget.h"

namespace tamrel::qt {

namespace {

// A window that is not mapped yet cannot take the input focus; the wait is
// bounded so that a window the server never exposes cannot hang the program.
void WaitUntilExposed(QWidget& window) {
    constexpr int kLongestWaitMs = 2000;
    QElapsedTimer waited;
    waited.start();
    while (window.windowHandle() && !window.windowHandle()->isExposed() &&
           waited.elapsed() < kLongestWaitMs) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::msleep(2);
    }
}

// A variable of the environment set for a while, then as it was before.
class ScopedVariable {
public:
    // A null value leaves the environment alone.
    ScopedVariable(const char* name, const char* value) : name_(name), set_(value != nullptr) {
        if (!set_) return;
        if (const char* before = std::getenv(name)) before_ = before;
        ::setenv(name, value, 1);
    }
    ~ScopedVariable() {
        if (!set_) return;
        if (before_) {
            ::setenv(name_, before_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    bool set_;
    std::optional<std::string> before_;
};

// The look for a display is bounded by its own limits; this bounds what
// Qt may take after it before the program counts as hung.
constexpr int kStartLimitSeconds = 15;
constexpr int kFreeCardPatienceMs = 5000;

// Wayland lets no client move the pointer or give itself the focus: the
// compositor gives it, and the window takes the keys from then on.
bool OnWayland() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

}  // namespace

QtToolkit::QtToolkit(int argc, char** argv) {
    for (int i = 0; i < argc; ++i) arguments_.emplace_back(argv[i]);
    if (arguments_.empty()) arguments_.emplace_back("tamrel");
    PointArgv();
}

void QtToolkit::PointArgv() {
    argv_.clear();
    for (std::string& argument : arguments_) argv_.push_back(argument.data());
    argv_.push_back(nullptr);
    argc_ = static_cast<int>(arguments_.size());
}

QtToolkit::QtToolkit() : QtToolkit(0, nullptr) {}

QtToolkit::~QtToolkit() {
    if (!app_) return;
    // Windows hand their widgets over for deferred deletion; it must happen
    // while QApplication still exists.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    app_.reset();
}

std::string QtToolkit::CheckDisplay() {
    if (app_) return {};
    const StartWatchdog watchdog(stopRequests_, kStartLimitSeconds, [this](const std::string& why) { GiveUp(why); });
    CheckedDisplay display = FindDisplay();
    // Held while the program runs: an X server left without clients resets
    // and would refuse the program's own connection for a moment.
    heldX_ = std::move(display.x);
    return display.console;
}

void QtToolkit::HandOverScreen() {
    // Qt keeps the card open until QApplication ends, which is after the
    // new instance may have started the program: the hold goes now.
    if (console_) ReleaseDrmCards();
}

void QtToolkit::GiveUp(const std::string& why) {
    if (displayLost_) displayLost_(why);
}

QApplication& QtToolkit::Started() {
    if (app_) return *app_;
    const StartWatchdog watchdog(stopRequests_, kStartLimitSeconds, [this](const std::string& why) { GiveUp(why); });
    const CheckedDisplay display = FindDisplay();
    if (!display.platform.empty()) {
        // An argument rather than QT_QPA_PLATFORM, which the programs Tamrel
        // starts would inherit.
        arguments_.insert(arguments_.begin() + 1, {"-platform", display.platform});
        PointArgv();
    }
    // QApplication takes the user's locale for the C library too; the core
    // keeps the one it started with.
    const std::string locale = std::setlocale(LC_ALL, nullptr);
    WatchDisplayLoss(&displayLost_);
    console_ = !display.console.empty();
    // A card still driven by what the front end left would show nothing;
    // after the wait Qt tries all the same, and the keys still work.
    if (console_) WaitForFreeCard(display.card, kFreeCardPatienceMs);
    {
        // Qt takes the DRM card only from the environment, read while the
        // application starts; the programs Tamrel starts must not inherit it.
        // On a framebuffer it draws without.
        const bool drm = console_ && display.platform == "linuxfb";
        const ScopedVariable drmCard("QT_QPA_FB_DRM", drm ? "1" : nullptr);
        app_ = std::make_unique<QApplication>(argc_, argv_.data());
    }
    heldX_.reset();
    // Chosen by hand (QT_QPA_PLATFORM) it is the console all the same.
    console_ = console_ || QGuiApplication::platformName() == QLatin1String("linuxfb");
    stopRequests_.Watch(app_.get());
    std::setlocale(LC_ALL, locale.c_str());
    QApplication::setQuitOnLastWindowClosed(false);
    ExposeWindowsAsFrames();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const double dpi = screen->logicalDotsPerInch();
        if (dpi > 0) units_.twipsPerPixel = 1440.0 / dpi;
    }
    return *app_;
}

const Units& QtToolkit::units() {
    Started();
    return units_;
}

QRect QtToolkit::ScreenPixels() {
    Started();
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
}

std::unique_ptr<ui::Window> QtToolkit::NewWindow(const ui::WindowSpec& spec) {
    Started();
    return std::make_unique<QtWindow>(*this, spec);
}

void QtToolkit::WindowShown(QWidget* window) {
    WindowClosed(window);
    shown_.emplace_back(window);
}

void QtToolkit::WindowClosed(QWidget* window) {
    std::erase_if(shown_, [window](const QPointer<QWidget>& item) { return !item || item == window; });
}

QWidget* QtToolkit::MostRecentOpenWindow() {
    for (auto it = shown_.rbegin(); it != shown_.rend(); ++it) {
        if (*it && (*it)->isVisible()) return *it;
    }
    return nullptr;
}

int QtToolkit::ShowMessageBox(const std::string& prompt, ui::Buttons buttons, const std::string& title,
                              ui::Icon icon) {
    Started();
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent && QApplication::activeWindow() && QApplication::activeWindow()->isVisible()) {
        parent = QApplication::activeWindow();
    }
    if (!parent) parent = MostRecentOpenWindow();
    return RunMessageBox(parent, prompt, buttons, title, icon);
}

void QtToolkit::SetCursorPos(int x, int y) {
    const QRect screen = ScreenPixels();
    if (screen.isEmpty() || OnWayland()) return;
    QCursor::setPos(QGuiApplication::primaryScreen(), std::clamp(x, screen.left(), screen.right()),
                    std::clamp(y, screen.top(), screen.bottom()));
}

void QtToolkit::InjectLeftClick() {
    // No click is made: the window under the pointer is given the focus
    // directly, which serves the same end and cannot reach a click handler.
    Started();
    if (OnWayland()) return;
    QWidget* target = nullptr;
    if (QWidget* under = QApplication::widgetAt(QCursor::pos())) target = under->window();
    if (!target || std::find(shown_.begin(), shown_.end(), target) == shown_.end() || !target->isVisible()) {
        target = MostRecentOpenWindow();
    }
    if (!target) return;
    WaitUntilExposed(*target);
    target->raise();
    target->activateWindow();
    target->setFocus(Qt::OtherFocusReason);
}

void QtToolkit::ProcessPendingEvents() {
    Started();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

ui::Twips QtToolkit::ScreenWidth() { return units().Twips(ScreenPixels().width()); }

ui::Twips QtToolkit::ScreenHeight() { return units().Twips(ScreenPixels().height()); }

double QtToolkit::DevicePixelRatio() {
    Started();
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : 1;
}

int QtToolkit::ScreenPixelWidth() { return qRound(ScreenPixels().width() * DevicePixelRatio()); }

int QtToolkit::ScreenPixelHeight() { return qRound(ScreenPixels().height() * DevicePixelRatio()); }

void QtToolkit::Run() {
    QApplication& app = Started();
    running_ = true;
    app.exec();
    running_ = false;
}

void QtToolkit::Quit() {
    // Before Run, exit() would be lost or, worse, remembered by some loop.
    if (running_) QCoreApplication::exit(0);
}

std::unique_ptr<ui::JoystickListener> QtToolkit::ListenToJoysticks(ui::JoystickHandlers handlers) {
    return joysticks_.Listen(std::move(handlers));
}

}  // namespace tamrel::qt
