// The system's common dialogs, and the time entry, owned by the form.

#include "platform/win32/Win32Window.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "platform/win32/Win32Error.h"
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

namespace {

// A dialog template built in memory, in dialog units: no resource file to
// keep in step with the code.
class DialogTemplate {
public:
    DialogTemplate(const std::wstring& title, short width, short height) {
        Dword(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
        Dword(0);
        countAt_ = words_.size();
        Word(0);
        for (short value : {short{0}, short{0}, width, height}) Word(static_cast<WORD>(value));
        Word(0);  // no menu
        Word(0);  // the dialog class
        Text(title);
        Word(8);
        Text(L"MS Shell Dlg");
    }

    void Add(WORD atom, const std::wstring& className, DWORD style, short x, short y, short cx, short cy, WORD id,
             const std::wstring& text) {
        if (words_.size() % 2) Word(0);  // items start on a DWORD
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        for (short value : {x, y, cx, cy}) Word(static_cast<WORD>(value));
        Word(id);
        if (atom) {
            Word(0xFFFF);
            Word(atom);
        } else {
            Text(className);
        }
        Text(text);
        Word(0);  // no creation data
        ++words_[countAt_];
    }

    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void Word(WORD word) { words_.push_back(word); }
    void Dword(DWORD value) {
        Word(LOWORD(value));
        Word(HIWORD(value));
    }
    void Text(const std::wstring& text) {
        words_.insert(words_.end(), text.begin(), text.end());
        Word(0);
    }

    std::vector<WORD> words_;
    std::size_t countAt_ = 0;
};

constexpr WORD kButton = 0x0080;
constexpr WORD kEdit = 0x0081;
constexpr WORD kStatic = 0x0082;
constexpr WORD kUnnamed = 0xFFFF;

enum : WORD { kPrompt = 100, kHours, kHoursArrows, kMinutes, kMinutesArrows, kNone };

// A field of the entry: its edit, its arrows and its range.
struct TimeField {
    WORD edit;
    WORD arrows;
    const wchar_t* caption;
    int maximum;
};
constexpr TimeField kFields[] = {{kHours, kHoursArrows, L"Hours", 23}, {kMinutes, kMinutesArrows, L"Minutes", 59}};

// What the dialog starts from and answers with.
struct TimeEntry {
    int start = 0;
    int chosen = 0;
    std::wstring title;
};

// A field's value, or -1 when what was typed is no number in its range.
int FieldValue(HWND dialog, const TimeField& field) {
    BOOL read = FALSE;
    const UINT value = ::GetDlgItemInt(dialog, field.edit, &read, FALSE);
    return read && value <= static_cast<UINT>(field.maximum) ? static_cast<int>(value) : -1;
}

INT_PTR CALLBACK TimeProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* entry = reinterpret_cast<TimeEntry*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG: {
            ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            entry = reinterpret_cast<TimeEntry*>(lParam);
            const int values[] = {entry->start / 60, entry->start % 60};
            for (std::size_t i = 0; i < std::size(kFields); ++i) {
                ::SendDlgItemMessageW(dialog, kFields[i].arrows, UDM_SETRANGE32, 0, kFields[i].maximum);
                ::SendDlgItemMessageW(dialog, kFields[i].arrows, UDM_SETPOS32, 0, values[i]);
                ::SendDlgItemMessageW(dialog, kFields[i].edit, EM_SETLIMITTEXT, 2, 0);
            }
            ::SetFocus(::GetDlgItem(dialog, kHours));
            ::SendDlgItemMessageW(dialog, kHours, EM_SETSEL, 0, -1);
            return FALSE;  // the focus is set
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK: {
                    const int hours = FieldValue(dialog, kFields[0]);
                    const int minutes = FieldValue(dialog, kFields[1]);
                    if (hours < 0 || minutes < 0) {
                        ::MessageBoxW(dialog, L"Hours run from 0 to 23 and minutes from 0 to 59.", entry->title.c_str(),
                                      MB_OK | MB_ICONEXCLAMATION);
                        const WORD wrong = hours < 0 ? kHours : kMinutes;
                        ::SetFocus(::GetDlgItem(dialog, wrong));
                        ::SendDlgItemMessageW(dialog, wrong, EM_SETSEL, 0, -1);
                        return TRUE;
                    }
                    entry->chosen = hours * 60 + minutes;
                    ::EndDialog(dialog, IDOK);
                    return TRUE;
                }
                case IDCANCEL:
                case kNone: ::EndDialog(dialog, LOWORD(wParam)); return TRUE;
            }
            break;
    }
    return FALSE;
}

// "\n" breaks the prompt's lines; a static control breaks them at "\r\n".
std::wstring WindowsLines(const std::string& text) {
    std::wstring lines;
    for (wchar_t c : Wide(text)) {
        if (c == L'\n') lines += L'\r';
        lines += c;
    }
    return lines;
}

}  // namespace

ui::TimeAnswer Win32Window::ShowTimeDialog(const ui::TimeRequest& request) {
    TimeEntry entry{request.start >= 0 && request.start < 24 * 60 ? request.start : 0, 0, Wide(request.title)};
    DialogTemplate dialog(entry.title, 202, 96);
    dialog.Add(kStatic, {}, SS_LEFT, 7, 7, 188, 34, kPrompt, WindowsLines(request.prompt));
    for (short i = 0; i < 2; ++i) {
        const TimeField& field = kFields[i];
        const short x = static_cast<short>(7 + i * 54);
        dialog.Add(kStatic, {}, SS_LEFT, x, 46, 48, 8, kUnnamed, field.caption);
        dialog.Add(kEdit, {}, ES_NUMBER | ES_RIGHT | WS_BORDER | WS_TABSTOP, x, 56, 48, 13, field.edit, L"");
        // Buddied with the edit just before it, which it sits inside.
        dialog.Add(0, UPDOWN_CLASSW,
                   UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS | UDS_WRAP | UDS_NOTHOUSANDS, 0, 0,
                   0, 0, field.arrows, L"");
    }
    dialog.Add(kButton, {}, BS_DEFPUSHBUTTON | WS_TABSTOP, 33, 76, 50, 14, IDOK, L"OK");
    dialog.Add(kButton, {}, BS_PUSHBUTTON | WS_TABSTOP, 89, 76, 50, 14, IDCANCEL, L"Cancel");
    dialog.Add(kButton, {}, BS_PUSHBUTTON | WS_TABSTOP, 145, 76, 50, 14, kNone, L"None");
    const INT_PTR answer = ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), dialog.get(), handle_, TimeProcedure,
                                                     reinterpret_cast<LPARAM>(&entry));
    if (answer == -1 || answer == 0) throw LastError("time dialog");
    if (answer == IDOK) return entry.chosen;
    if (answer == kNone) return ui::kNoTime;
    return std::nullopt;
}

}  // namespace tamrel::win32
