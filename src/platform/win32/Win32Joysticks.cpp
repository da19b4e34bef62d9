#include "platform/win32/Win32Joysticks.h"

#include <mmsystem.h>

#include "platform/win32/Win32Error.h"

namespace tamrel::win32 {

namespace {

// 100 polls a second: a press is handled within a frame or so.
constexpr UINT kPollMs = 10;
// Empty slots are asked only now and then: winmm can be slow to say a slot
// is empty, and a joystick plugged in is still found within a second.
constexpr int kPollsBetweenSearches = 100;
constexpr const char* kPollerClass = "TamrelJoysticks";
constexpr int kMaxButtons = 32;

class WinmmSlots : public JoystickSlots {
public:
    unsigned Count() override { return ::joyGetNumDevs(); }
    std::optional<std::uint32_t> Buttons(unsigned slot) override {
        JOYINFOEX info{};
        info.dwSize = sizeof info;
        info.dwFlags = JOY_RETURNBUTTONS;
        if (::joyGetPosEx(slot, &info) != JOYERR_NOERROR) return std::nullopt;
        return static_cast<std::uint32_t>(info.dwButtons);
    }
    std::optional<JoystickReading> Read(unsigned slot) override {
        JOYINFOEX info{};
        info.dwSize = sizeof info;
        info.dwFlags = JOY_RETURNALL;
        JOYCAPSW caps{};
        if (::joyGetPosEx(slot, &info) != JOYERR_NOERROR ||
            ::joyGetDevCapsW(slot, &caps, sizeof caps) != JOYERR_NOERROR) {
            return std::nullopt;
        }
        JoystickReading reading;
        reading.buttons = static_cast<std::uint32_t>(info.dwButtons);
        if (caps.wCaps & JOYCAPS_HASPOV) reading.hat = static_cast<std::uint32_t>(info.dwPOV);
        // X and Y always; the others as the joystick says it has them.
        const struct {
            bool present;
            DWORD value;
            UINT minimum, maximum;
        } axes[] = {
            {true, info.dwXpos, caps.wXmin, caps.wXmax},
            {true, info.dwYpos, caps.wYmin, caps.wYmax},
            {(caps.wCaps & JOYCAPS_HASZ) != 0, info.dwZpos, caps.wZmin, caps.wZmax},
            {(caps.wCaps & JOYCAPS_HASR) != 0, info.dwRpos, caps.wRmin, caps.wRmax},
            {(caps.wCaps & JOYCAPS_HASU) != 0, info.dwUpos, caps.wUmin, caps.wUmax},
            {(caps.wCaps & JOYCAPS_HASV) != 0, info.dwVpos, caps.wVmin, caps.wVmax},
        };
        for (const auto& axis : axes) {
            if (!axis.present) continue;
            reading.axes.push_back({static_cast<std::int32_t>(axis.value), static_cast<std::int32_t>(axis.minimum),
                                    static_cast<std::int32_t>(axis.maximum)});
        }
        return reading;
    }
};

void Report(ButtonChanges& changes, std::uint32_t buttons, ui::ButtonChange change) {
    for (int button = 1; button <= kMaxButtons; ++button) {
        if (buttons & (1u << (button - 1))) changes.emplace_back(button, change);
    }
}

}  // namespace

std::unique_ptr<JoystickSlots> SystemJoystickSlots() { return std::make_unique<WinmmSlots>(); }

ButtonChanges ButtonPoller::Poll() {
    ButtonChanges changes;
    const bool search = pollsToSearch_-- <= 0;
    if (search) pollsToSearch_ = kPollsBetweenSearches;
    const unsigned count = search ? slots_.Count() : 0;
    for (unsigned slot = 0; slot < count; ++slot) {
        if (known_.count(slot)) continue;
        const std::optional<std::uint32_t> buttons = slots_.Buttons(slot);
        if (!buttons) continue;
        known_[slot] = *buttons;
        Report(changes, *buttons, ui::ButtonChange::HeldAtOpen);
    }
    for (auto it = known_.begin(); it != known_.end();) {
        const std::optional<std::uint32_t> buttons = slots_.Buttons(it->first);
        const std::uint32_t now = buttons.value_or(0);
        Report(changes, now & ~it->second, ui::ButtonChange::Pressed);
        Report(changes, it->second & ~now, ui::ButtonChange::Released);
        if (!buttons) {
            it = known_.erase(it);
            continue;
        }
        it->second = now;
        ++it;
    }
    return changes;
}

FineTimerTick::FineTimerTick() : fine_(::timeBeginPeriod(1) == TIMERR_NOERROR) {}

FineTimerTick::~FineTimerTick() {
    if (fine_) ::timeEndPeriod(1);
}

Win32JoystickListener::Win32JoystickListener(HINSTANCE instance, ui::JoystickHandlers handlers)
    : handlers_(std::move(handlers)), slots_(SystemJoystickSlots()), poller_(*slots_) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kPollerClass;
    if (!::RegisterClassExA(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        throw LastError(kPollerClass);
    }
    window_ = ::CreateWindowExA(0, kPollerClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, this);
    if (!window_) throw LastError(kPollerClass);
    if (!::SetTimer(window_, 1, kPollMs, nullptr)) {
        ::DestroyWindow(window_);
        throw LastError("timer");
    }
    // The buttons held now are known before the first tick.
    Poll();
}

Win32JoystickListener::~Win32JoystickListener() {
    *alive_ = false;
    ::KillTimer(window_, 1);
    ::DestroyWindow(window_);
}

LRESULT CALLBACK Win32JoystickListener::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    } else if (message == WM_TIMER) {
        auto* listener = reinterpret_cast<Win32JoystickListener*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        if (listener) listener->Poll();
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

void Win32JoystickListener::Poll() {
    const ButtonChanges changes = poller_.Poll();
    // A handler may end this listener: from here on only copies are used.
    const auto onButton = handlers_.onButton;
    const std::shared_ptr<bool> alive = alive_;
    for (const auto& [button, change] : changes) {
        if (!*alive || !onButton) return;
        onButton(button, change);
    }
}

}  // namespace tamrel::win32
