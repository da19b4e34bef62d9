#pragma once
// Joysticks through SDL's joystick subsystem, raw buttons (the generic
// encoder boards of arcade panels have no game-controller mapping). SDL is
// loaded at the first listen, so that the long wait for the launched
// program runs without it, started only while a listener lives, and pumped
// from Qt's event loop.

#include <memory>
#include <set>
#include <string>

#include "platform/Toolkit.h"

namespace tamrel::qt {

struct SdlJoystickApi;

inline constexpr const char* kSdlLibrary = "libSDL2-2.0.so.0";

// What the listeners share for the toolkit's life.
class QtJoysticks {
public:
    explicit QtJoysticks(std::string library = kSdlLibrary);
    ~QtJoysticks();
    QtJoysticks(const QtJoysticks&) = delete;
    QtJoysticks& operator=(const QtJoysticks&) = delete;

    std::unique_ptr<ui::JoystickListener> Listen(ui::JoystickHandlers handlers);

private:
    void Load();

    std::string libraryName_;
    bool loadTried_ = false;
    std::string loadFailure_;  // why SDL could not be had
    void* library_ = nullptr;
    std::unique_ptr<SdlJoystickApi> sdl_;
    // Each device that may not be opened is reported once a run, however
    // often listening starts.
    std::set<std::string> refusalsReported_;
};

}  // namespace tamrel::qt
