#include "platform/win32/Win32Autostart.h"

#include "platform/win32/Win32Api.h"

#include <shlobj.h>

#include "platform/win32/Win32Com.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Handle.h"

namespace tamrel {

namespace {

// Made when missing; empty when the system has none for this user.
std::string StartupShortcut() {
    wchar_t folder[MAX_PATH] = L"";
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_STARTUP | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, folder))) {
        return {};
    }
    return NarrowPath(folder) + "\\Tamrel.lnk";
}

void Check(HRESULT result, const std::string& subject) {
    if (FAILED(result)) throw win32::SystemError(static_cast<unsigned long>(result), subject);
}

}  // namespace

Win32Autostart::Win32Autostart(std::string shortcut, std::string target)
    : shortcut_(shortcut.empty() ? StartupShortcut() : std::move(shortcut)),
      target_(target.empty() ? ExecutablePath() : std::move(target)) {}

bool Win32Autostart::IsOn() {
    return !shortcut_.empty() && ::GetFileAttributesW(Wide(shortcut_).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Win32Autostart::SetOn(bool on) {
    if (shortcut_.empty()) throw win32::SystemError(ERROR_PATH_NOT_FOUND, "the Startup folder");
    if (!on) {
        if (!::DeleteFileW(Wide(shortcut_).c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
            throw win32::LastError(shortcut_);
        }
        return;
    }
    const win32::ComApartment apartment;
    win32::Unique<win32::ComTraits<IShellLinkW>> link;
    {
        IShellLinkW* made = nullptr;
        Check(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&made)),
              shortcut_);
        link.Reset(made);
    }
    // Started from its own folder, as the portable program expects.
    Check(link.get()->SetPath(Wide(target_).c_str()), shortcut_);
    Check(link.get()->SetWorkingDirectory(Wide(FolderOf(target_)).c_str()), shortcut_);
    Check(link.get()->SetDescription(L"Tamrel"), shortcut_);
    win32::Unique<win32::ComTraits<IPersistFile>> file;
    {
        IPersistFile* persist = nullptr;
        Check(link.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)), shortcut_);
        file.Reset(persist);
    }
    Check(file.get()->Save(Wide(shortcut_).c_str(), TRUE), shortcut_);
}

}  // namespace tamrel
