#pragma once
// A window's timer. A precise QTimer schedules each tick from the previous
// due time, not from when the previous tick was handled, so it does not
// drift.

#include <QPointer>
#include <QTimer>
#include <functional>

#include "platform/Toolkit.h"

namespace tamrel::qt {

class QtTimer : public ui::Timer {
public:
    // The QTimer belongs to `owner` and dies with it.
    QtTimer(QObject* owner, int intervalMs);
    ~QtTimer() override;
    QtTimer(const QtTimer&) = delete;
    QtTimer& operator=(const QtTimer&) = delete;

    void SetEnabled(bool enabled) override;
    bool Enabled() const override { return enabled_; }
    void OnTick(std::function<void()> handler) override { onTick_ = std::move(handler); }

    // For good: no tick follows, whatever is enabled later.
    void Stop();

private:
    void Tick();

    QPointer<QTimer> timer_;
    bool enabled_ = false;
    bool stopped_ = false;
    std::function<void()> onTick_;
};

}  // namespace tamrel::qt
