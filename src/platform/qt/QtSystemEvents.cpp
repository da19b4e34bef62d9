#include "platform/qt/QtSystemEvents.h"

#include <pthread.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QSocketNotifier>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
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
    // Qt ends the program right after saying so, for X or for Wayland.
    if (displayLost && *displayLost &&
        (message.contains(QLatin1String("connection broke")) ||
         message.contains(QLatin1String("Wayland connection experienced a fatal error")))) {
        (*displayLost)(message.toLocal8Bit().toStdString());
    }
    if (previousHandler) previousHandler(type, context, message);
}

}  // namespace

void DisplayConnection::operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }

namespace {

struct Socket {
    int fd;
    Socket() : fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {}
    ~Socket() {
        if (fd >= 0) ::close(fd);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
};

// Why the compositor named by WAYLAND_DISPLAY does not answer, found where
// libwayland-client looks; empty when it answers.
std::string WaylandSilence(const QByteArray& name) {
    std::string path = name.toStdString();
    if (!path.starts_with('/')) {
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        if (runtime.isEmpty()) return "XDG_RUNTIME_DIR is not set";
        path = runtime.toStdString() + "/" + path;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return "the path of its socket is too long";
    path.copy(address.sun_path, path.size());
    const Socket socket;
    if (socket.fd < 0 || ::connect(socket.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return std::strerror(errno);
    }
    return {};
}

}  // namespace

CheckedDisplay CheckDisplay() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    // A platform chosen by hand is the only one tried; one that is neither
    // of these (offscreen, for tests) reports for itself.
    const bool chosen = !platform.isEmpty();
    const bool tryWayland = !chosen || platform.contains("wayland");
    const bool tryX = !chosen || platform.contains("xcb");
    if (!tryWayland && !tryX) return {};
    const QByteArray wayland = tryWayland ? qgetenv("WAYLAND_DISPLAY") : QByteArray();
    const QByteArray display = tryX ? qgetenv("DISPLAY") : QByteArray();
    if (wayland.isEmpty() && display.isEmpty()) {
        const char* unset = !tryX         ? "WAYLAND_DISPLAY is"
                            : !tryWayland ? "DISPLAY is"
                                          : "WAYLAND_DISPLAY and DISPLAY are";
        throw ui::DisplayUnavailable(std::string("no display is set (") + unset + " empty)");
    }
    // A display that is busy or still starting (a cabinet's boot) gets a
    // few seconds before it counts as gone.
    constexpr int kTries = 15;
    std::string waylandWhy;
    int xError = 0;
    for (int attempt = 0; attempt < kTries; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(200));
        if (!wayland.isEmpty()) {
            waylandWhy = WaylandSilence(wayland);
            if (waylandWhy.empty()) return {chosen ? "" : "wayland", nullptr};
        }
        if (!display.isEmpty()) {
            int screen = 0;
            HeldDisplay connection(xcb_connect(display.constData(), &screen));
            xError = xcb_connection_has_error(connection.get());
            if (xError == 0) return {chosen ? "" : "xcb", std::move(connection)};
        }
    }
    std::string why;
    if (!wayland.isEmpty()) {
        why = "the Wayland compositor of " + wayland.toStdString() + " does not answer (" + waylandWhy + ")";
    }
    if (!display.isEmpty()) {
        why += (why.empty() ? "" : ", and ") + std::string("the X server of display ") + display.toStdString() +
               " does not answer (error " + std::to_string(xError) + ")";
    }
    throw ui::DisplayUnavailable(why);
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
