// Message boxes: the system's own, above the full-screen screen.

#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32Toolkit.h"

namespace tamrel::win32 {

namespace {

UINT ButtonFlags(ui::Buttons buttons) {
    switch (buttons) {
        case ui::Buttons::Ok: return MB_OK;
        case ui::Buttons::OkCancel: return MB_OKCANCEL;
        case ui::Buttons::YesNo: return MB_YESNO;
    }
    return MB_OK;
}

}  // namespace

int Win32Toolkit::ShowMessageBox(const std::string& prompt, ui::Buttons buttons, const std::string& title,
                                 ui::Icon icon) {
    UINT flags = ButtonFlags(buttons) | MB_SETFOREGROUND | MB_TOPMOST;
    if (icon == ui::Icon::Critical) flags |= MB_ICONSTOP;
    // Owned by the active form, so that it stays in front of it; the
    // system's answers are the numbers the forms expect.
    const int answer = ::MessageBoxA(MessageBoxOwner(), prompt.c_str(), title.c_str(), flags);
    if (answer == 0) throw LastError("message box");
    return answer;
}

}  // namespace tamrel::win32
