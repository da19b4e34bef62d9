#include "platform/win32/Win32Processes.h"

#include "platform/win32/Win32Api.h"

#include <shellapi.h>

#include "platform/Paths.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Handle.h"

namespace tamrel {

namespace {

std::string CurrentFolder() {
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = ::GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) throw win32::LastError("the current folder");
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(length);
    }
}

// Starts a new instance from the program folder once this one has gone.
constexpr const char* kRestartBatch =
    "@echo off\r\n"
    "REM This file will restart The Tamrel.\r\n"
    "REM This file was created by The Tamrel.\r\n"
    "start tamrel.exe\r\n"
    "exit\r\n";

// A byte of a hidden file in the folder, locked for this instance. The
// handle is not inherited, and the system lets go when the process ends.
class FileRangeLock : public FolderLock {
public:
    explicit FileRangeLock(win32::FileHandle file) : file_(std::move(file)) {}

private:
    win32::FileHandle file_;
};

}  // namespace

std::unique_ptr<FolderLock> Win32Processes::LockProgramFolder(const std::string& folder, int waitMs) {
    const std::string path = FolderPrefix(folder, '\\') + "tamrel.lock";
    win32::FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                         FILE_ATTRIBUTE_HIDDEN, nullptr));
    if (!file) return std::make_unique<FolderLock>();
    const DWORD giveUp = ::GetTickCount() + static_cast<DWORD>(waitMs);
    for (;;) {
        OVERLAPPED start{};
        if (::LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &start)) break;
        if (::GetLastError() != ERROR_LOCK_VIOLATION) return std::make_unique<FolderLock>();
        if (static_cast<LONG>(::GetTickCount() - giveUp) >= 0) return nullptr;
        ::Sleep(20);
    }
    return std::make_unique<FileRangeLock>(std::move(file));
}

ProcessId Win32Processes::StartProgram(const std::string& fileName, WindowStyle style) {
    // Named with the current folder so that the shell never looks for it
    // along the search path. A batch file runs in the command processor,
    // whose process lasts as long as the batch file does.
    const std::string path = FolderPrefix(CurrentFolder(), '\\') + fileName;
    SHELLEXECUTEINFOA start{};
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    start.lpVerb = "open";
    start.lpFile = path.c_str();
    start.nShow = style == WindowStyle::Minimized ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
    if (!::ShellExecuteExA(&start)) throw win32::LastError(fileName);
    const win32::KernelHandle process(start.hProcess);
    return process ? ::GetProcessId(process.get()) : 0;
}

int Win32Processes::WaitForProcess(ProcessId id) {
    const win32::KernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, id));
    if (!process) return 0;  // already gone
    ::WaitForSingleObject(process.get(), INFINITE);
    return 0;
}

void Win32Processes::RestartTamrel(const std::string& programFolder) {
    Win32FileSystem files(programFolder);
    files.WriteFile(InProgramFolder(files, "rerunta.bat"), kRestartBatch);
    files.SetCurrentFolder(programFolder);
    StartProgram("rerunta.bat", WindowStyle::Minimized);
}

}  // namespace tamrel
