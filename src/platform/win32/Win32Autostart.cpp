#include "platform/win32/Win32Autostart.h"

#include "platform/win32/Win32Api.h"

#include <shlobj.h>

#include <optional>

#include "platform/win32/Win32Com.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Handle.h"
#include "platform/win32/Win32Shortcut.h"

namespace tamrel {

namespace {

using ShellLink = win32::Unique<win32::ComTraits<IShellLinkW>>;
using PersistFile = win32::Unique<win32::ComTraits<IPersistFile>>;

// Made when missing; empty when the system has none for this user.
std::string StartupFolder() {
    wchar_t folder[MAX_PATH] = L"";
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_STARTUP | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, folder))) {
        return {};
    }
    return NarrowPath(folder);
}

void Check(HRESULT result, const std::string& subject) {
    if (FAILED(result)) throw win32::SystemError(static_cast<unsigned long>(result), subject);
}

ShellLink NewLink(const std::string& subject) {
    IShellLinkW* made = nullptr;
    Check(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                             reinterpret_cast<void**>(&made)),
          subject);
    return ShellLink(made);
}

PersistFile FileOf(const ShellLink& link, const std::string& subject) {
    IPersistFile* persist = nullptr;
    Check(link.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)), subject);
    return PersistFile(persist);
}

// What a shortcut starts; empty when it cannot be read.
std::wstring TargetOf(const std::wstring& shortcut) {
    const std::optional<Shortcut> read = ReadShortcut(shortcut);
    return read ? read->target : std::wstring();
}

// The same file, whatever the spelling (short names, letter case, links).
bool SameFile(const std::wstring& one, const std::wstring& other) {
    const auto open = [](const std::wstring& path) {
        return win32::FileHandle(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                               OPEN_EXISTING, 0, nullptr));
    };
    const win32::FileHandle first = open(one), second = open(other);
    BY_HANDLE_FILE_INFORMATION a{}, b{};
    if (!first || !second || !::GetFileInformationByHandle(first.get(), &a) ||
        !::GetFileInformationByHandle(second.get(), &b)) {
        return ::lstrcmpiW(one.c_str(), other.c_str()) == 0;
    }
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

}  // namespace

Win32Autostart::Win32Autostart(std::string folder, std::string target)
    : folder_(folder.empty() ? StartupFolder() : std::move(folder)),
      target_(target.empty() ? ExecutablePath() : std::move(target)) {}

std::vector<std::string> Win32Autostart::ShortcutsInForce() const {
    std::vector<std::string> shortcuts;
    if (folder_.empty()) return shortcuts;
    const win32::ComApartment apartment;
    WIN32_FIND_DATAW found{};
    const std::wstring folder = Wide(folder_) + L"\\";
    const win32::FindHandle search(::FindFirstFileW((folder + L"*.lnk").c_str(), &found));
    for (bool more = search.valid(); more; more = ::FindNextFileW(search.get(), &found)) {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::wstring shortcut = folder + found.cFileName;
        const std::wstring target = TargetOf(shortcut);
        if (!target.empty() && SameFile(target, Wide(target_))) shortcuts.push_back(NarrowPath(shortcut));
    }
    return shortcuts;
}

std::string Win32Autostart::EntryPath() const {
    const std::vector<std::string> shortcuts = ShortcutsInForce();
    if (!shortcuts.empty()) return shortcuts.front();
    return folder_.empty() ? std::string() : folder_ + "\\Tamrel.lnk";
}

void Win32Autostart::SetOn(bool on) {
    if (folder_.empty()) throw win32::SystemError(ERROR_PATH_NOT_FOUND, "the Startup folder");
    if (!on) {
        for (const std::string& shortcut : ShortcutsInForce()) {
            if (!::DeleteFileW(Wide(shortcut).c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
                throw win32::LastError(shortcut);
            }
        }
        return;
    }
    const std::string shortcut = folder_ + "\\Tamrel.lnk";
    const win32::ComApartment apartment;
    const ShellLink link = NewLink(shortcut);
    // Started from its own folder, as the portable program expects.
    Check(link.get()->SetPath(Wide(target_).c_str()), shortcut);
    Check(link.get()->SetWorkingDirectory(Wide(FolderOf(target_)).c_str()), shortcut);
    Check(link.get()->SetDescription(L"Tamrel"), shortcut);
    Check(FileOf(link, shortcut).get()->Save(Wide(shortcut).c_str(), TRUE), shortcut);
}

}  // namespace tamrel
