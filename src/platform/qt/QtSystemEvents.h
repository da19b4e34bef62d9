#pragma once
// What reaches Tamrel from outside its windows on Linux: signals asking it
// to stop, and the X server going away.

#include <QPointer>
#include <functional>
#include <string>

class QObject;
class QSocketNotifier;

namespace tamrel::qt {

// Raises ui::DisplayUnavailable when nothing could be shown: no display is
// named, or its X server does not answer. Checked before QApplication,
// which would abort the program instead.
void CheckDisplay();

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

// Hands Qt's report that the X server is gone to `handler`, just before Qt
// ends the program. The handler must outlive Qt's messages.
void WatchDisplayLoss(const std::function<void(const std::string& why)>* handler);

}  // namespace tamrel::qt
