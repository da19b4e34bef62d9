#include "platform/win32/Win32Power.h"

#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32Handle.h"

namespace tamrel {

namespace {

// The size the record had when the NT family test was written; the call
// takes it as the version of the record to fill.
constexpr DWORD kVersionInfoSize = 148;
static_assert(sizeof(OSVERSIONINFOA) == kVersionInfoSize);

constexpr DWORD kPlatformNt = 2;
constexpr DWORD kTokenAccess = TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY;
static_assert(kTokenAccess == 0x28);

}  // namespace

std::string win32::ShutdownRightRefusal(bool adjusted, unsigned long lastError) {
    // A call that succeeds without granting the right (a user who lacks
    // it) says so in the last error only.
    if (adjusted && lastError == ERROR_SUCCESS) return "";
    return "no shutdown right: " + SystemMessage(lastError);
}

bool Win32Power::IsNtFamily() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = kVersionInfoSize;
#ifdef _MSC_VER
#pragma warning(suppress : 4996)
#endif
    const BOOL result = ::GetVersionExA(&version);
    return result == 1 && version.dwPlatformId == kPlatformNt && version.dwMajorVersion >= 4;
}

std::string Win32Power::EnableShutdownPrivilege() {
    const HANDLE process = ::GetCurrentProcess();
    if (!process) return win32::ShutdownRightRefusal(false, ERROR_INVALID_HANDLE);
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(process, kTokenAccess, &opened)) return win32::ShutdownRightRefusal(false, ::GetLastError());
    const win32::KernelHandle token(opened);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    if (!::LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
        return win32::ShutdownRightRefusal(false, ::GetLastError());
    }
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    ::SetLastError(ERROR_SUCCESS);
    const BOOL adjusted = ::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
    return win32::ShutdownRightRefusal(adjusted != 0, ::GetLastError());
}

std::unique_ptr<Reply<PowerAnswer>> Win32Power::Request(PowerAction action) {
    // The 95 family has no rights to enable.
    if (IsNtFamily()) {
        if (const std::string refused = EnableShutdownPrivilege(); !refused.empty()) {
            return Answered(PowerAnswer{false, refused});
        }
    }
    UINT flags = EWX_LOGOFF;
    if (action == PowerAction::ShutDown) flags = EWX_SHUTDOWN;
    if (action == PowerAction::PowerOff) flags = EWX_POWEROFF;
    // Programs are asked to close, never forced: no EWX_FORCE. The call
    // returns at once; the system ends the program later.
    if (!::ExitWindowsEx(flags, 0)) return Answered(PowerAnswer{false, win32::SystemMessage(::GetLastError())});
    return Answered(PowerAnswer{true, ""});
}

}  // namespace tamrel
