#include "platform/qt/QtSystemEvents.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstdint>
#include <cstring>

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
    const bool told = displayLost && *displayLost;
    // Qt ends the program right after saying so, for X or for Wayland.
    if (told && (message.contains(QLatin1String("connection broke")) ||
                 message.contains(QLatin1String("Wayland connection experienced a fatal error")))) {
        (*displayLost)(message.toLocal8Bit().toStdString());
    }
    // A display gone between the look for it and Qt's start: Qt would abort.
    if (told && type == QtFatalMsg && message.contains(QLatin1String("platform plugin"))) {
        (*displayLost)("Qt could not start on it (" + message.section(QLatin1Char('\n'), 0, 0).toLocal8Bit().toStdString() +
                       ")");
        std::_Exit(1);
    }
    if (previousHandler) previousHandler(type, context, message);
}

// Whether one of `events` came within the time; no signal can cut it short.
bool Came(pollfd* events, int count, int ms) {
    int ready = 0;
    do {
        ready = ::poll(events, static_cast<nfds_t>(count), ms);
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

}  // namespace

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

StartWatchdog::StartWatchdog(const StopRequests& requests, int limitSeconds,
                             std::function<void(const std::string&)> giveUp)
    : over_(::eventfd(0, EFD_CLOEXEC)), giveUp_(std::move(giveUp)) {
    if (over_ >= 0) thread_ = std::thread([this, fd = requests.fd(), limitSeconds] { Watch(fd, limitSeconds); });
}

StartWatchdog::~StartWatchdog() {
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        if (::write(over_, &one, sizeof one) == sizeof one) thread_.join();
        else thread_.detach();
    }
    if (over_ >= 0) ::close(over_);
}

void StartWatchdog::Watch(int requests, int limitSeconds) {
    // Time for a start that goes well to end after a request came.
    constexpr int kMomentMs = 1000;
    pollfd events[] = {{over_, POLLIN, 0}, {requests, POLLIN, 0}};
    const int watched = requests >= 0 ? 2 : 1;
    if (Came(events, watched, limitSeconds * 1000)) {
        if (events[0].revents != 0 || Came(events, 1, kMomentMs)) return;
        signalfd_siginfo info{};
        const bool read = ::read(requests, &info, sizeof info) == static_cast<ssize_t>(sizeof info);
        giveUp_("the display did not answer when Tamrel was asked to stop" +
                (read ? " (signal " + std::to_string(info.ssi_signo) + ")" : std::string()));
    } else {
        giveUp_("the display did not answer within " + std::to_string(limitSeconds) + " seconds");
    }
    std::_Exit(1);
}

void WatchDisplayLoss(const std::function<void(const std::string&)>* handler) {
    displayLost = handler;
    if (!previousHandler) previousHandler = qInstallMessageHandler(OnQtMessage);
}

}  // namespace tamrel::qt
