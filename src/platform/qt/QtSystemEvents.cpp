#include "platform/qt/QtSystemEvents.h"

#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QSocketNotifier>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

#include "platform/Toolkit.h"

namespace tamrel::qt {

namespace {

sigset_t StopSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int number : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&set, number);
    return set;
}

// Qt reports through a plain function; this is how it reaches the toolkit's
// handler.
const std::function<void(const std::string&)>* displayLost = nullptr;
QtMessageHandler previousHandler = nullptr;

void OnQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    // Qt ends the program right after saying so.
    if (displayLost && *displayLost && message.contains(QLatin1String("connection broke"))) {
        (*displayLost)(message.toLocal8Bit().toStdString());
    }
    if (previousHandler) previousHandler(type, context, message);
}

}  // namespace

void DisplayConnection::operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }

HeldDisplay CheckDisplay() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    // Another platform (offscreen for tests, Wayland) reports for itself.
    if (!platform.isEmpty() && !platform.startsWith("xcb")) return {};
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty()) {
        if (platform.isEmpty() && !qgetenv("WAYLAND_DISPLAY").isEmpty()) return {};
        throw ui::DisplayUnavailable("no display is set (DISPLAY is empty)");
    }
    // A server that is busy or still starting (a cabinet's boot) gets a
    // few seconds before the display counts as gone.
    constexpr int kTries = 15;
    int error = 0;
    for (int attempt = 0; attempt < kTries; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(200));
        int screen = 0;
        HeldDisplay connection(xcb_connect(display.constData(), &screen));
        error = xcb_connection_has_error(connection.get());
        if (error == 0) return connection;
    }
    throw ui::DisplayUnavailable("the X server of display " + display.toStdString() + " does not answer (error " +
                                 std::to_string(error) + ")");
}

StopRequests::StopRequests() {
    const sigset_t set = StopSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    fd_ = ::signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
}

StopRequests::~StopRequests() {
    delete notifier_;
    if (fd_ >= 0) ::close(fd_);
}

void StopRequests::Watch(QObject* owner) {
    if (fd_ < 0 || notifier_) return;
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, owner);
    QObject::connect(notifier_, &QSocketNotifier::activated, notifier_, [this] { Deliver(); });
}

void StopRequests::Deliver() {
    signalfd_siginfo info{};
    while (::read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        const int number = static_cast<int>(info.ssi_signo);
        if (handler) {
            auto copy = handler;  // the handler may replace itself
            copy(number);
            continue;
        }
        std::signal(number, SIG_DFL);
        sigset_t one;
        sigemptyset(&one);
        sigaddset(&one, number);
        pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
        std::raise(number);
    }
}

void WatchDisplayLoss(const std::function<void(const std::string&)>* handler) {
    displayLost = handler;
    if (!previousHandler) previousHandler = qInstallMessageHandler(OnQtMessage);
}

}  // namespace tamrel::qt
