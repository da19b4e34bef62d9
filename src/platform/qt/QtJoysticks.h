#pragma once
// Joysticks through SDL's joystick subsystem, raw buttons (the generic
// encoder boards of arcade panels have no game-controller mapping). SDL is
// started only while a listener lives and pumped from Qt's event loop.

#include <QTimer>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "platform/Toolkit.h"

struct _SDL_Joystick;

namespace tamrel::qt {

class QtJoystickListener : public ui::JoystickListener {
public:
    // `refusalsReported` outlives the listener: each unopenable device is
    // reported once per run, however often listening starts.
    QtJoystickListener(ui::JoystickHandlers handlers, std::set<std::string>& refusalsReported);
    ~QtJoystickListener() override;
    QtJoystickListener(const QtJoystickListener&) = delete;
    QtJoystickListener& operator=(const QtJoystickListener&) = delete;

private:
    struct TimerDeleter {
        void operator()(QTimer* timer) const;
    };
    void Pump();
    void OpenDevice(int index);
    void ReportRefusedDevices();

    ui::JoystickHandlers handlers_;
    std::set<std::string>& refusalsReported_;
    bool started_ = false;
    std::map<int, _SDL_Joystick*> open_;  // by SDL's instance id
    // Set when the listener ends, for a pump whose handler ended it.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::unique_ptr<QTimer, TimerDeleter> timer_;
};

}  // namespace tamrel::qt
