#include "platform/qt/QtTimer.h"

namespace tamrel::qt {

QtTimer::QtTimer(QObject* owner, int intervalMs) : timer_(new QTimer(owner)) {
    timer_->setTimerType(Qt::PreciseTimer);
    timer_->setInterval(intervalMs);
    QObject::connect(timer_, &QTimer::timeout, timer_, [this] { Tick(); });
}

QtTimer::~QtTimer() {
    // The QTimer may be inside its own timeout right now; it is left to its
    // owner, silenced.
    if (timer_) {
        timer_->stop();
        QObject::disconnect(timer_, nullptr, nullptr, nullptr);
    }
}

void QtTimer::SetEnabled(bool enabled) {
    if (stopped_ || enabled == enabled_) return;
    enabled_ = enabled;
    if (!timer_) return;
    // An interval of 0 means a timer that never ticks.
    if (enabled && timer_->interval() > 0) {
        timer_->start();
    } else {
        timer_->stop();
    }
}

void QtTimer::Stop() {
    SetEnabled(false);
    stopped_ = true;
}

void QtTimer::Tick() {
    if (!enabled_) return;
    // A copy, since the handler may destroy this timer with its window.
    auto handler = onTick_;
    if (handler) handler();
}

}  // namespace tamrel::qt
