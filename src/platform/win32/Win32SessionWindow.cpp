#include "platform/win32/Win32SessionWindow.h"

#include <utility>

namespace tamrel::win32 {

namespace {

constexpr const wchar_t* kClassName = L"TamrelSessionWatch";
// The highest level an application may take: told first.
constexpr DWORD kFirstApplicationLevel = 0x3FF;

}  // namespace

SessionWindow::SessionWindow(std::wstring reason, std::function<void()> ending, std::function<void()> clockChanged)
    : reason_(std::move(reason)), ending_(std::move(ending)), clockChanged_(std::move(clockChanged)) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW kind{};
    kind.lpfnWndProc = Procedure;
    kind.hInstance = instance;
    kind.lpszClassName = kClassName;
    // Registered by an earlier wait of this process is as good.
    ::RegisterClassW(&kind);
    // Top-level, never shown: a message-only window hears no broadcast.
    window_ = ::CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"Tamrel", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                instance, nullptr);
    if (window_) ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

SessionWindow::~SessionWindow() {
    if (!window_) return;
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    // The system ends a process once its windows have answered the end of
    // the session (Wine at once): this one stays unanswered, with its
    // reason shown, until Tamrel has logged how the program ended and ends.
    if (asked_) return;
    if (blocking_) ::ShutdownBlockReasonDestroy(window_);
    ::DestroyWindow(window_);
}

void SessionWindow::Pump() const {
    MSG message;
    while (Listening() && ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

LRESULT CALLBACK SessionWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<SessionWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self) {
        switch (message) {
            case WM_QUERYENDSESSION:
                // Asked once; a second query finds the program already asked.
                if (!self->asked_) {
                    self->asked_ = true;
                    self->blocking_ = ::ShutdownBlockReasonCreate(window, self->reason_.c_str()) != FALSE;
                    if (self->ending_) self->ending_();
                }
                return TRUE;
            case WM_ENDSESSION:
                return 0;
            case WM_TIMECHANGE:
                if (self->clockChanged_) self->clockChanged_();
                return 0;
            default:
                break;
        }
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void HearSessionEndFirst() { ::SetProcessShutdownParameters(kFirstApplicationLevel, 0); }

}  // namespace tamrel::win32
