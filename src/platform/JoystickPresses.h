#pragma once
// Joystick buttons as the windows take them: a press counts, unless the
// button was already down when its joystick was opened; that one counts
// only once it has been let go and pressed again, so that a hand still on
// a button from the game does not act by accident.

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "platform/Toolkit.h"

namespace tamrel {

class JoystickPresses {
public:
    using OnPress = std::function<void(int button)>;
    using OnLogLine = std::function<void(const std::string& line)>;
    // No joystick can be had: what the user needs, and the system's reason.
    using OnUnavailable = std::function<void(const std::string& need, const std::string& why)>;

    JoystickPresses(ui::Toolkit& ui, OnPress onPress, OnLogLine onLogLine, OnUnavailable onUnavailable = nullptr)
        : ui_(ui),
          onPress_(std::move(onPress)),
          onLogLine_(std::move(onLogLine)),
          onUnavailable_(std::move(onUnavailable)) {}

    // Opens the joysticks, if they are not open yet.
    void Start() {
        if (listener_) return;
        held_.clear();
        listener_ = ui_.ListenToJoysticks({
            [this](int button, ui::ButtonChange change) { Changed(button, change); },
            [this](const std::string& device, const std::string& why) {
                onLogLine_("Could not open the joystick " + device + ": " + why);
            },
            onUnavailable_,
        });
    }
    // Closes them.
    void Stop() { listener_.reset(); }

private:
    void Changed(int button, ui::ButtonChange change) {
        switch (change) {
            case ui::ButtonChange::HeldAtOpen: held_.insert(button); break;
            case ui::ButtonChange::Released: held_.erase(button); break;
            case ui::ButtonChange::Pressed:
                if (!held_.count(button)) onPress_(button);
                break;
        }
    }

    ui::Toolkit& ui_;
    OnPress onPress_;
    OnLogLine onLogLine_;
    OnUnavailable onUnavailable_;
    std::set<int> held_;
    std::unique_ptr<ui::JoystickListener> listener_;
};

}  // namespace tamrel
