// The system's common dialogs, owned by the form.

#include "platform/win32/Win32Window.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Units.h"

namespace tamrel::win32 {

ui::ChosenFile Win32Window::ShowOpenDialog(const ui::OpenFileRequest& request) {
    // One filter entry: its description, its patterns, and the list's end.
    const std::wstring filter =
        Wide(request.filter.description) + L'\0' + Wide(request.filter.patterns) + L'\0' + L'\0';
    const std::wstring initialFolder = Wide(request.initialFolder);
    std::vector<wchar_t> file(32768, L'\0');
    Wide(request.fileName).copy(file.data(), file.size() - 1);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = handle_;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = initialFolder.empty() ? nullptr : initialFolder.c_str();
    // A shortcut chosen is kept: its target alone would lose its arguments
    // and working folder.
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_NODEREFERENCELINKS;
    if (!::GetOpenFileNameW(&dialog)) return {request.fileName, true, {}};
    const std::wstring chosen = file.data();
    if (const std::optional<std::string> exact = Narrow(chosen)) return {*exact, true, {}};
    return {NearestNarrow(chosen), false, ShortNarrowPath(chosen).value_or("")};
}

ui::Font Win32Window::ShowFontDialog(const ui::Font& start) {
    const Dpi& dpi = Dpi::OfScreen();
    LOGFONTA logical{};
    logical.lfHeight = -std::max(1, dpi.PointsToPixels(start.size));
    logical.lfWeight = start.bold ? FW_BOLD : FW_NORMAL;
    logical.lfItalic = start.italic ? TRUE : FALSE;
    logical.lfCharSet = DEFAULT_CHARSET;
    start.name.copy(logical.lfFaceName, LF_FACESIZE - 1);
    CHOOSEFONTA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = handle_;
    dialog.lpLogFont = &logical;
    dialog.Flags = CF_SCREENFONTS | CF_PRINTERFONTS | CF_INITTOLOGFONTSTRUCT;
    if (!::ChooseFontA(&dialog)) {
        if (::CommDlgExtendedError() == 0) return start;  // cancelled
        // A machine without a printer may refuse printer fonts: screen fonts
        // then.
        dialog.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
        if (!::ChooseFontA(&dialog)) return start;
    }
    return {logical.lfFaceName, dialog.iPointSize / 10.0, logical.lfWeight >= FW_BOLD, logical.lfItalic != 0};
}

ui::Color Win32Window::ShowColorDialog(ui::Color start) {
    CHOOSECOLORA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = handle_;
    dialog.rgbResult = static_cast<COLORREF>(start) & 0xFFFFFF;
    dialog.lpCustColors = customColors_.data();
    dialog.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!::ChooseColorA(&dialog)) return start;
    return static_cast<ui::Color>(dialog.rgbResult & 0xFFFFFF);
}

}  // namespace tamrel::win32
