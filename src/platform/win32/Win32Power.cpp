#include "platform/win32/Win32Power.h"

#include "platform/win32/Win32Api.h"
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

bool Win32Power::IsNtFamily() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = kVersionInfoSize;
#ifdef _MSC_VER
#pragma warning(suppress : 4996)
#endif
    const BOOL result = ::GetVersionExA(&version);
    return result == 1 && version.dwPlatformId == kPlatformNt && version.dwMajorVersion >= 4;
}

bool Win32Power::EnableShutdownPrivilege() {
    const HANDLE process = ::GetCurrentProcess();
    if (!process) return false;
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(process, kTokenAccess, &opened)) return false;
    const win32::KernelHandle token(opened);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    if (!::LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) return false;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    // Success of the call is what counts, not whether the right was granted.
    return ::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr) != 0;
}

void Win32Power::Request(PowerAction action) {
    // The 95 family has no rights to enable.
    if (IsNtFamily() && !EnableShutdownPrivilege()) return;
    UINT flags = EWX_LOGOFF;
    if (action == PowerAction::ShutDown) flags = EWX_SHUTDOWN;
    if (action == PowerAction::PowerOff) flags = EWX_POWEROFF;
    // Programs are asked to close, never forced: no EWX_FORCE.
    ::ExitWindowsEx(flags, 0);
}

}  // namespace tamrel
