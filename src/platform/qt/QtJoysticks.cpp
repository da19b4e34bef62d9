#include "platform/qt/QtJoysticks.h"

#include <SDL.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>
#include <vector>

namespace tamrel::qt {

namespace {

// Often enough that a press is handled well within a frame of a 20 Hz
// glance; only while a listener lives.
constexpr int kPumpMs = 10;

// Where the system names its joysticks; one that is there but unreadable
// is a permission the owner can fix.
constexpr const char* kJoystickNames = "/dev/input/by-id";

}  // namespace

void QtJoystickListener::TimerDeleter::operator()(QTimer* timer) const {
    timer->stop();
    // The timer may be the one whose tick is ending this listener.
    timer->deleteLater();
}

QtJoystickListener::QtJoystickListener(ui::JoystickHandlers handlers, std::set<std::string>& refusalsReported)
    : handlers_(std::move(handlers)), refusalsReported_(refusalsReported) {
    // No window of SDL's own has the focus; and Tamrel's own signal
    // handling must stay.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    ReportRefusedDevices();
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return;  // no joysticks here, and nothing to tell
    started_ = true;
    for (int index = 0; index < SDL_NumJoysticks(); ++index) OpenDevice(index);
    timer_.reset(new QTimer);
    QObject::connect(timer_.get(), &QTimer::timeout, [this] { Pump(); });
    timer_->start(kPumpMs);
}

QtJoystickListener::~QtJoystickListener() {
    *alive_ = false;
    timer_.reset();
    for (const auto& [id, joystick] : open_) SDL_JoystickClose(joystick);
    if (started_) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

void QtJoystickListener::OpenDevice(int index) {
    if (open_.count(SDL_JoystickGetDeviceInstanceID(index))) return;
    SDL_Joystick* joystick = SDL_JoystickOpen(index);
    if (!joystick) {
        const char* name = SDL_JoystickNameForIndex(index);
        const std::string device = name ? name : "number " + std::to_string(index);
        if (refusalsReported_.insert(device).second && handlers_.onRefused) handlers_.onRefused(device, SDL_GetError());
        return;
    }
    open_[SDL_JoystickInstanceID(joystick)] = joystick;
    for (int button = 0; button < SDL_JoystickNumButtons(joystick); ++button) {
        if (SDL_JoystickGetButton(joystick, button) && handlers_.onButton) {
            handlers_.onButton(button + 1, ui::ButtonChange::HeldAtOpen);
        }
    }
}

void QtJoystickListener::ReportRefusedDevices() {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(kJoystickNames, error)) {
        const std::string path = entry.path().string();
        if (!path.ends_with("-joystick") && !path.ends_with("-event-joystick")) continue;
        if (access(path.c_str(), R_OK) == 0 || errno != EACCES) continue;
        if (refusalsReported_.insert(path).second && handlers_.onRefused) {
            handlers_.onRefused(path, std::strerror(EACCES));
        }
    }
}

void QtJoystickListener::Pump() {
    std::vector<std::pair<int, ui::ButtonChange>> changes;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
            case SDL_JOYDEVICEADDED: OpenDevice(event.jdevice.which); break;
            case SDL_JOYDEVICEREMOVED: {
                const auto found = open_.find(event.jdevice.which);
                if (found != open_.end()) {
                    SDL_JoystickClose(found->second);
                    open_.erase(found);
                }
                break;
            }
            case SDL_JOYBUTTONDOWN: changes.emplace_back(event.jbutton.button + 1, ui::ButtonChange::Pressed); break;
            case SDL_JOYBUTTONUP: changes.emplace_back(event.jbutton.button + 1, ui::ButtonChange::Released); break;
            default: break;
        }
    }
    // A handler may end this listener: from here on only copies are used.
    const auto onButton = handlers_.onButton;
    const std::shared_ptr<bool> alive = alive_;
    for (const auto& [button, change] : changes) {
        if (!*alive || !onButton) return;
        onButton(button, change);
    }
}

}  // namespace tamrel::qt
