#pragma once
// Joysticks through winmm, polled while a listener lives and not at all
// otherwise. The slots and their buttons come through a small seam, so that
// the polling can be tested with joysticks of the test's own.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/Toolkit.h"
#include "platform/win32/Win32Api.h"

namespace tamrel::win32 {

// An axis as the joystick reports it, with the range it reports in.
struct JoystickAxis {
    std::int32_t value = 0;
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;
};

inline constexpr std::uint32_t kHatCentred = 0xFFFF;

// All a joystick tells at one look.
struct JoystickReading {
    std::uint32_t buttons = 0;
    std::uint32_t hat = kHatCentred;  // hundredths of a degree
    std::vector<JoystickAxis> axes;
};

class JoystickSlots {
public:
    virtual ~JoystickSlots() = default;
    virtual unsigned Count() = 0;
    // The buttons down, bit 0 for button 1; nothing when the slot is empty.
    virtual std::optional<std::uint32_t> Buttons(unsigned slot) = 0;
    // Buttons, hat and axes; by default the buttons alone.
    virtual std::optional<JoystickReading> Read(unsigned slot) {
        const std::optional<std::uint32_t> buttons = Buttons(slot);
        if (!buttons) return std::nullopt;
        return JoystickReading{*buttons, kHatCentred, {}};
    }
};

// winmm's slots.
std::unique_ptr<JoystickSlots> SystemJoystickSlots();

using ButtonChanges = std::vector<std::pair<int, ui::ButtonChange>>;

class ButtonPoller {
public:
    explicit ButtonPoller(JoystickSlots& slots) : slots_(slots) {}

    // What changed since the last poll. A joystick met for the first time
    // reports the buttons it holds as held at open; one that is gone lets
    // go of them.
    ButtonChanges Poll();

private:
    JoystickSlots& slots_;
    std::map<unsigned, std::uint32_t> known_;  // slot: the buttons last seen down
    int pollsToSearch_ = 0;
};

// The system's finest timer tick while it lives: without it a 10 ms timer
// fires only at the default 15.6 ms tick, 64 times a second.
class FineTimerTick {
public:
    FineTimerTick();
    ~FineTimerTick();
    FineTimerTick(const FineTimerTick&) = delete;
    FineTimerTick& operator=(const FineTimerTick&) = delete;

private:
    bool fine_;
};

class Win32JoystickListener : public ui::JoystickListener {
public:
    Win32JoystickListener(HINSTANCE instance, ui::JoystickHandlers handlers);
    ~Win32JoystickListener() override;
    Win32JoystickListener(const Win32JoystickListener&) = delete;
    Win32JoystickListener& operator=(const Win32JoystickListener&) = delete;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Poll();

    FineTimerTick tick_;
    ui::JoystickHandlers handlers_;
    std::unique_ptr<JoystickSlots> slots_;
    ButtonPoller poller_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    HWND window_ = nullptr;
};

}  // namespace tamrel::win32
