#pragma once
// What reaches Tamrel from outside its windows on Linux: signals asking it
// to stop, and the display (a Wayland compositor or an X server) going away.

#include <QPointer>
#include <functional>
#include <memory>
#include <string>

class QObject;
class QSocketNotifier;
struct xcb_connection_t;

namespace tamrel::qt {

// The check's own connection to the X server. An X server whose last client
// leaves resets itself and refuses connections for a moment, so the check
// holds its connection until Qt has one of its own.
struct DisplayConnection {
    void operator()(xcb_connection_t* connection) const;
};
using HeldDisplay = std::unique_ptr<xcb_connection_t, DisplayConnection>;

struct CheckedDisplay {
    // The Qt platform that answered ("wayland" or "xcb"); empty when
    // QT_QPA_PLATFORM chose one already.
    std::string platform;
    HeldDisplay x;
};

// Raises ui::DisplayUnavailable when nothing could be shown: no display is
// named, or neither the Wayland compositor nor the X server answers.
// Checked before QApplication, which would abort the program instead.
// Wayland is preferred when both answer. A platform other than these two
// (offscreen, for tests) reports for itself.
CheckedDisplay CheckDisplay();

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

private:
    void Deliver();

    int fd_ = -1;
    QPointer<QSocketNotifier> notifier_;
};

// Hands Qt's report that the display is gone to `handler`, just before Qt
// ends the program. The handler must outlive Qt's messages.
void WatchDisplayLoss(const std::function<void(const std::string& why)>* handler);

}  // namespace tamrel::qt
