#include "platform/win32/Win32Shortcut.h"

#include "platform/win32/Win32Api.h"

#include <objbase.h>
#include <shlobj.h>

#include <algorithm>

#include "platform/win32/Win32Com.h"
#include "platform/win32/Win32Handle.h"

namespace tamrel {

namespace {

// A link counts its texts in 16 bits, so no text of it is longer.
constexpr int kLongestText = 65535;

// A text longer than the buffer is cut without a word, or refused: one
// that fills the buffer, or is refused, is asked for again with more room.
template <typename Read>
std::wstring WholeText(int start, Read read) {
    for (int size = start;; size = std::min(size * 2, kLongestText + 1)) {
        std::wstring text(static_cast<std::size_t>(size), L'\0');
        const bool answered = SUCCEEDED(read(text.data(), size));
        const std::size_t end = text.find(L'\0');
        if (end != std::wstring::npos) text.resize(end);
        if (answered && end != std::wstring::npos && end + 1 < static_cast<std::size_t>(size)) return text;
        if (size > kLongestText) return answered ? text : std::wstring();
    }
}

}  // namespace

bool IsShortcut(const std::string& path) {
    return path.size() > 4 && ::lstrcmpiA(path.c_str() + path.size() - 4, ".lnk") == 0;
}

std::optional<Shortcut> ReadShortcut(const std::wstring& path) {
    const win32::ComApartment apartment;
    win32::Unique<win32::ComTraits<IShellLinkW>> link;
    {
        IShellLinkW* made = nullptr;
        if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                      reinterpret_cast<void**>(&made)))) {
            return std::nullopt;
        }
        link.Reset(made);
    }
    win32::Unique<win32::ComTraits<IPersistFile>> file;
    {
        IPersistFile* persist = nullptr;
        if (FAILED(link.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
            return std::nullopt;
        }
        file.Reset(persist);
    }
    if (FAILED(file.get()->Load(path.c_str(), STGM_READ))) return std::nullopt;
    IShellLinkW* const shell = link.get();
    Shortcut shortcut;
    shortcut.target = WholeText(MAX_PATH, [&](wchar_t* text, int size) {
        return shell->GetPath(text, size, nullptr, 0);
    });
    if (shortcut.target.empty()) return std::nullopt;
    const DWORD attributes = ::GetFileAttributesW(shortcut.target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
    shortcut.arguments = WholeText(INFOTIPSIZE + 1, [&](wchar_t* text, int size) {
        return shell->GetArguments(text, size);
    });
    shortcut.folder = WholeText(MAX_PATH, [&](wchar_t* text, int size) {
        return shell->GetWorkingDirectory(text, size);
    });
    return shortcut;
}

}  // namespace tamrel
