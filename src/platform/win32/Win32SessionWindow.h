#pragma once
// A hidden top-level window of Tamrel's own for the wait: it hears the end
// of the session and a change of the clock or the time zone, which the
// system tells only to top-level windows.

#include <functional>
#include <string>

#include "platform/win32/Win32Api.h"

namespace tamrel::win32 {

class SessionWindow {
public:
    // `ending` runs inside the system's query, before the session may end:
    // the block reason `reason` shows while it runs.
    SessionWindow(std::wstring reason, std::function<void()> ending, std::function<void()> clockChanged);
    ~SessionWindow();
    SessionWindow(const SessionWindow&) = delete;
    SessionWindow& operator=(const SessionWindow&) = delete;

    HWND Handle() const { return window_; }
    // Whether the window still takes messages: not once the session's end
    // was heard, whose final answer must wait until Tamrel has done.
    bool Listening() const { return window_ && !asked_; }
    // Handles what was sent or posted to the thread's windows meanwhile,
    // up to the session's end.
    void Pump() const;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::wstring reason_;
    std::function<void()> ending_;
    std::function<void()> clockChanged_;
    HWND window_ = nullptr;
    bool asked_ = false;
    bool blocking_ = false;
};

// The session's end is told to this process before the programs it starts
// (whose level is the system's default).
void HearSessionEndFirst();

}  // namespace tamrel::win32
