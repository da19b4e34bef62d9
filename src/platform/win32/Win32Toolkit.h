#pragma once
// The window toolkit on plain Win32: one window class for every form (its
// controls are the system's own), and the thread's message loop. Nothing is
// registered before the first window or message box needs it.

#include <memory>
#include <string>
#include <vector>

#include "platform/Toolkit.h"
#include "platform/win32/Win32Api.h"

namespace tamrel::win32 {

class Win32Window;

inline constexpr const char* kWindowClass = "TamrelWindow";

class Win32Toolkit : public ui::Toolkit {
public:
    Win32Toolkit();
    ~Win32Toolkit() override;
    Win32Toolkit(const Win32Toolkit&) = delete;
    Win32Toolkit& operator=(const Win32Toolkit&) = delete;

    std::unique_ptr<ui::Window> NewWindow(const ui::WindowSpec& spec) override;
    int ShowMessageBox(const std::string& prompt, ui::Buttons buttons, const std::string& title,
                       ui::Icon icon) override;
    void SetCursorPos(int x, int y);
    // A real press and release of the left button where the pointer is.
    void InjectLeftClick();
    void ProcessPendingEvents() override;
    ui::Twips ScreenWidth() override;
    ui::Twips ScreenHeight() override;
    int ScreenPixelWidth() override { return ::GetSystemMetrics(SM_CXSCREEN); }
    int ScreenPixelHeight() override { return ::GetSystemMetrics(SM_CYSCREEN); }
    ui::Desktop desktop() const override { return ui::Desktop::Windows; }
    std::unique_ptr<ui::JoystickListener> ListenToJoysticks(ui::JoystickHandlers handlers) override;
    void Run() override;
    void Quit() override;

    // For the windows.
    HINSTANCE instance() const { return instance_; }
    void Track(Win32Window* window);
    void Forget(Win32Window* window);

private:
    void Start();
    void Dispatch(MSG& message);
    // Typed characters go to the form first, whichever of its controls has
    // the focus. True when the form consumed the key.
    bool PreviewKey(MSG& message);
    // Tab and Enter in a dialog window; true when taken.
    bool DialogKey(const MSG& message);
    Win32Window* WindowOf(HWND handle) const;
    HWND MessageBoxOwner() const;

    HINSTANCE instance_;
    bool started_ = false;
    bool running_ = false;
    bool clickPending_ = false;
    std::vector<Win32Window*> windows_;  // owned by the forms
};

}  // namespace tamrel::win32
