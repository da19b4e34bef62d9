#pragma once
// What reaches Tamrel from outside its windows on Linux: signals asking it
// to stop, and the display (a Wayland compositor or an X server) going away.

#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <thread>

class QObject;
class QSocketNotifier;

namespace tamrel::qt {

// SIGTERM, SIGINT and SIGHUP taken as events through a signalfd. Made
// before any thread is started, so that every thread leaves them to it.
class StopRequests {
public:
    StopRequests();
    ~StopRequests();
    StopRequests(const StopRequests&) = delete;
    StopRequests& operator=(const StopRequests&) = delete;

    // Once the event loop exists.
    void Watch(QObject* owner);

    // Without a handler a request ends the program as the signal would.
    std::function<void(int number)> handler;

    // Readable while a request waits to be delivered.
    int fd() const { return fd_; }

private:
    void Deliver();

    int fd_ = -1;
    QPointer<QSocketNotifier> notifier_;
};

// Bounds what a frozen display can hang where no event loop runs yet: the
// look for a display and Qt's start. Past the limit, or when a stop request
// finds the start still hanging a moment later, `giveUp` is told why, on
// the watchdog's own thread, and the program ends with status 1. A request
// that comes while the start goes well waits for the event loop.
class StartWatchdog {
public:
    StartWatchdog(const StopRequests& requests, int limitSeconds, std::function<void(const std::string& why)> giveUp);
    // The start is over.
    ~StartWatchdog();
    StartWatchdog(const StartWatchdog&) = delete;
    StartWatchdog& operator=(const StartWatchdog&) = delete;

private:
    void Watch(int requests, int limitSeconds);

    int over_ = -1;
    std::function<void(const std::string&)> giveUp_;
    std::thread thread_;
};

// Hands Qt's report that the display is gone, or that no platform of its
// own could start on it, to `handler`, just before the program ends. The handler must outlive Qt's messages.
void WatchDisplayLoss(const std::function<void(const std::string& why)>* handler);

}  // namespace tamrel::qt
