#include "platform/win32/Win32Toolkit.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32Joysticks.h"
#include "platform/win32/Win32Units.h"
#include "platform/win32/Win32Window.h"

namespace tamrel::win32 {

namespace {

// How long the pending events may wait for a click that was just injected:
// the system delivers it through its input queue, not at once.
constexpr DWORD kInjectedClickWaitMs = 1000;

ATOM Register(HINSTANCE instance, const char* name, WNDPROC procedure) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    windowClass.lpszClassName = name;
    const ATOM atom = ::RegisterClassExA(&windowClass);
    if (!atom) throw LastError(name);
    return atom;
}

}  // namespace

Win32Toolkit::Win32Toolkit() : instance_(::GetModuleHandleA(nullptr)) {}

Win32Toolkit::~Win32Toolkit() {
    if (!started_) return;
    ::UnregisterClassA(kWindowClass, instance_);
}

void Win32Toolkit::Start() {
    if (started_) return;
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&controls);
    Register(instance_, kWindowClass, Win32Window::Procedure);
    started_ = true;
}

std::unique_ptr<ui::Window> Win32Toolkit::NewWindow(const ui::WindowSpec& spec) {
    Start();
    return std::make_unique<Win32Window>(*this, spec);
}

std::unique_ptr<ui::JoystickListener> Win32Toolkit::ListenToJoysticks(ui::JoystickHandlers handlers) {
    return std::make_unique<Win32JoystickListener>(instance_, std::move(handlers));
}

void Win32Toolkit::Track(Win32Window* window) { windows_.push_back(window); }

void Win32Toolkit::Forget(Win32Window* window) {
    windows_.erase(std::remove(windows_.begin(), windows_.end(), window), windows_.end());
}

Win32Window* Win32Toolkit::WindowOf(HWND handle) const {
    for (Win32Window* window : windows_) {
        if (window->handle() == handle) return window;
    }
    return nullptr;
}

HWND Win32Toolkit::MessageBoxOwner() const {
    if (const HWND active = ::GetActiveWindow()) return active;
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
        const HWND handle = (*it)->handle();
        if (handle && ::IsWindowVisible(handle)) return handle;
    }
    return nullptr;
}

void Win32Toolkit::SetCursorPos(int x, int y) { ::SetCursorPos(x, y); }

void Win32Toolkit::InjectLeftClick() {
    ::mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    ::mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    clickPending_ = true;
}

bool Win32Toolkit::PreviewKey(MSG& message) {
    if (message.message != WM_CHAR) return false;
    const HWND root = ::GetAncestor(message.hwnd, GA_ROOT);
    // The form's own keys reach it through its window procedure.
    if (!root || root == message.hwnd) return false;
    Win32Window* window = WindowOf(root);
    if (!window) return false;
    const int code = window->KeyPress(static_cast<int>(message.wParam & 0xFF));
    if (code == 0) return true;
    message.wParam = static_cast<WPARAM>(code);
    return false;
}

bool Win32Toolkit::DialogKey(const MSG& message) {
    if (message.message != WM_KEYDOWN) return false;
    Win32Window* window = WindowOf(::GetAncestor(message.hwnd, GA_ROOT));
    return window && window->DialogKey(message);
}

void Win32Toolkit::Dispatch(MSG& message) {
    if (PreviewKey(message) || DialogKey(message)) return;
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
}

void Win32Toolkit::ProcessPendingEvents() {
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG message{};
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                // Left for the loop that waits for it.
                ::PostQuitMessage(static_cast<int>(message.wParam));
                return;
            }
            if (message.message == WM_LBUTTONUP) clickPending_ = false;
            Dispatch(message);
        }
        if (!clickPending_) return;
        const DWORD waited = ::GetTickCount() - start;
        if (waited >= kInjectedClickWaitMs) {
            clickPending_ = false;
            return;
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, kInjectedClickWaitMs - waited, QS_ALLINPUT);
    }
}

ui::Twips Win32Toolkit::ScreenWidth() { return Dpi::OfScreen().ToTwipsX(::GetSystemMetrics(SM_CXSCREEN)); }

ui::Twips Win32Toolkit::ScreenHeight() { return Dpi::OfScreen().ToTwipsY(::GetSystemMetrics(SM_CYSCREEN)); }

void Win32Toolkit::Run() {
    running_ = true;
    MSG message{};
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) Dispatch(message);
    running_ = false;
}

void Win32Toolkit::Quit() {
    // Outside the loop a quit message would only end the next message box.
    if (running_) ::PostQuitMessage(0);
}

}  // namespace tamrel::win32
