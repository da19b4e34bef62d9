#include "platform/qt/QtJoysticks.h"

#include <SDL.h>
#include <dlfcn.h>
#include <unistd.h>

#include <QTimer>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <utility>
#include <vector>

namespace tamrel::qt {

// The few SDL functions used, from the system's library.
struct SdlJoystickApi {
    decltype(&SDL_SetHint) SetHint;
    decltype(&SDL_InitSubSystem) InitSubSystem;
    decltype(&SDL_QuitSubSystem) QuitSubSystem;
    decltype(&SDL_GetError) GetError;
    decltype(&SDL_PollEvent) PollEvent;
    decltype(&SDL_NumJoysticks) NumJoysticks;
    decltype(&SDL_JoystickNameForIndex) NameForIndex;
    decltype(&SDL_JoystickGetDeviceInstanceID) DeviceInstanceId;
    decltype(&SDL_JoystickOpen) Open;
    decltype(&SDL_JoystickClose) Close;
    decltype(&SDL_JoystickInstanceID) InstanceId;
    decltype(&SDL_JoystickNumButtons) NumButtons;
    decltype(&SDL_JoystickGetButton) GetButton;
};

namespace {

// Debian's name for it, which the user can install.
constexpr const char* kNeedSdl = "Joystick buttons need the SDL 2 library (package libsdl2-2.0-0).";

// Often enough that a press is handled at once, as a key is; only while a
// listener lives.
constexpr int kPumpMs = 5;

// Where the system names its joysticks; one that is there but unreadable
// is a permission the owner can fix.
constexpr const char* kJoystickNames = "/dev/input/by-id";

template <typename Function>
bool Load(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

std::unique_ptr<SdlJoystickApi> LoadApi(void* library) {
    auto api = std::make_unique<SdlJoystickApi>();
    const bool loaded =
        Load(library, "SDL_SetHint", api->SetHint) && Load(library, "SDL_InitSubSystem", api->InitSubSystem) &&
        Load(library, "SDL_QuitSubSystem", api->QuitSubSystem) && Load(library, "SDL_GetError", api->GetError) &&
        Load(library, "SDL_PollEvent", api->PollEvent) && Load(library, "SDL_NumJoysticks", api->NumJoysticks) &&
        Load(library, "SDL_JoystickNameForIndex", api->NameForIndex) &&
        Load(library, "SDL_JoystickGetDeviceInstanceID", api->DeviceInstanceId) &&
        Load(library, "SDL_JoystickOpen", api->Open) && Load(library, "SDL_JoystickClose", api->Close) &&
        Load(library, "SDL_JoystickInstanceID", api->InstanceId) &&
        Load(library, "SDL_JoystickNumButtons", api->NumButtons) &&
        Load(library, "SDL_JoystickGetButton", api->GetButton);
    return loaded ? std::move(api) : nullptr;
}

struct TimerDeleter {
    void operator()(QTimer* timer) const {
        timer->stop();
        // The timer may be the one whose tick is ending the listener.
        timer->deleteLater();
    }
};

class QtJoystickListener : public ui::JoystickListener {
public:
    QtJoystickListener(const SdlJoystickApi& sdl, ui::JoystickHandlers handlers, std::set<std::string>& refusals)
        : sdl_(sdl), handlers_(std::move(handlers)), refusals_(refusals) {
        ReportUnreadableDevices();
        if (sdl_.InitSubSystem(SDL_INIT_JOYSTICK) != 0) return;  // no joysticks here, and nothing to tell
        started_ = true;
        for (int index = 0; index < sdl_.NumJoysticks(); ++index) OpenDevice(index);
        timer_.reset(new QTimer);
        QObject::connect(timer_.get(), &QTimer::timeout, [this] { Pump(); });
        timer_->start(kPumpMs);
    }

    ~QtJoystickListener() override {
        *alive_ = false;
        timer_.reset();
        for (const auto& [id, joystick] : open_) sdl_.Close(joystick);
        if (started_) sdl_.QuitSubSystem(SDL_INIT_JOYSTICK);
    }

private:
    void Refused(const std::string& device, const std::string& why) {
        if (refusals_.insert(device).second && handlers_.onRefused) handlers_.onRefused(device, why);
    }

    void ReportUnreadableDevices() {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(kJoystickNames, error)) {
            const std::string path = entry.path().string();
            if (!path.ends_with("-joystick")) continue;
            if (access(path.c_str(), R_OK) != 0 && errno == EACCES) Refused(path, std::strerror(EACCES));
        }
    }

    void OpenDevice(int index) {
        if (open_.count(sdl_.DeviceInstanceId(index))) return;
        SDL_Joystick* joystick = sdl_.Open(index);
        if (!joystick) {
            const char* name = sdl_.NameForIndex(index);
            Refused(name ? name : "number " + std::to_string(index), sdl_.GetError());
            return;
        }
        open_[sdl_.InstanceId(joystick)] = joystick;
        for (int button = 0; button < sdl_.NumButtons(joystick); ++button) {
            if (sdl_.GetButton(joystick, button) && handlers_.onButton) {
                handlers_.onButton(button + 1, ui::ButtonChange::HeldAtOpen);
            }
        }
    }

    void Pump() {
        std::vector<std::pair<int, ui::ButtonChange>> changes;
        SDL_Event event;
        while (sdl_.PollEvent(&event)) {
            switch (event.type) {
                case SDL_JOYDEVICEADDED: OpenDevice(event.jdevice.which); break;
                case SDL_JOYDEVICEREMOVED: {
                    const auto found = open_.find(event.jdevice.which);
                    if (found != open_.end()) {
                        sdl_.Close(found->second);
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

    const SdlJoystickApi& sdl_;
    ui::JoystickHandlers handlers_;
    std::set<std::string>& refusals_;
    bool started_ = false;
    std::map<SDL_JoystickID, SDL_Joystick*> open_;
    // Set when the listener ends, for a pump whose handler ended it.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::unique_ptr<QTimer, TimerDeleter> timer_;
};

// Listens to nothing: SDL could not be had.
class NoJoysticks : public ui::JoystickListener {};

}  // namespace

QtJoysticks::QtJoysticks(std::string library) : libraryName_(std::move(library)) {}

QtJoysticks::~QtJoysticks() {
    sdl_.reset();
    if (library_) dlclose(library_);
}

void QtJoysticks::Load() {
    loadTried_ = true;
    library_ = dlopen(libraryName_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library_) {
        const char* why = dlerror();
        loadFailure_ = why ? why : libraryName_ + ": not found";
        return;
    }
    sdl_ = LoadApi(library_);
    if (!sdl_) {
        loadFailure_ = libraryName_ + " lacks a joystick function";
        return;
    }
    // No window of SDL's own has the focus; and Tamrel's own signal
    // handling must stay.
    sdl_->SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    sdl_->SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
}

std::unique_ptr<ui::JoystickListener> QtJoysticks::Listen(ui::JoystickHandlers handlers) {
    if (!loadTried_) Load();
    if (!sdl_) {
        if (handlers.onUnavailable) handlers.onUnavailable(kNeedSdl, loadFailure_);
        return std::make_unique<NoJoysticks>();
    }
    return std::make_unique<QtJoystickListener>(*sdl_, std::move(handlers), refusalsReported_);
}

}  // namespace tamrel::qt
