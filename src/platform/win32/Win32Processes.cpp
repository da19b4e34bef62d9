#include "platform/win32/Win32Processes.h"

#include "platform/win32/Win32Api.h"

#include <shellapi.h>

#include <optional>

#include "platform/Paths.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Handle.h"
#include "platform/win32/Win32Shortcut.h"

namespace tamrel {

namespace {

std::wstring CurrentFolder() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
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

// A batch file runs in the command processor, whose process lasts as long
// as the batch file does.
ProcessId Start(const std::wstring& file, const std::wstring& arguments, const std::wstring& folder,
                WindowStyle style, const std::string& subject) {
    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    start.lpVerb = L"open";
    start.lpFile = file.c_str();
    start.lpParameters = arguments.empty() ? nullptr : arguments.c_str();
    start.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    start.nShow = style == WindowStyle::Minimized ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&start)) throw win32::LastError(subject);
    const win32::KernelHandle process(start.hProcess);
    return process ? ::GetProcessId(process.get()) : 0;
}

}  // namespace

std::unique_ptr<FolderLock> Win32Processes::LockProgramFolder(const std::string& folder, int waitMs) {
    const std::string path = FolderPrefix(folder, '\\') + "tamrel.lock";
    win32::FileHandle file(::CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
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
    startedMs_ = ::GetTickCount64();
    // Named with the current folder so that the shell never looks for it
    // along the search path.
    std::wstring path = CurrentFolder();
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    path += Wide(fileName);
    if (!IsShortcut(fileName)) return Start(path, {}, {}, style, fileName);
    // The shell would start a shortcut's target without a process to wait
    // for; its target is started here instead, as the shortcut says.
    const std::optional<Shortcut> shortcut = ReadShortcut(path);
    if (!shortcut) return 0;
    return Start(shortcut->target, shortcut->arguments, shortcut->folder, style, fileName);
}

ProgramEnd Win32Processes::WaitForProcess(ProcessId id) {
    ProgramEnd end;
    const win32::KernelHandle process(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    if (process) {
        ::WaitForSingleObject(process.get(), INFINITE);
        DWORD code = 0;
        if (::GetExitCodeProcess(process.get(), &code)) end = {0, ProgramEnd::How::Exited, code};
    }
    end.seconds = static_cast<double>(::GetTickCount64() - startedMs_) / 1000;
    return end;
}

void Win32Processes::RestartTamrel(const std::string& programFolder) {
    Win32FileSystem files(programFolder);
    files.WriteFile(InProgramFolder(files, "rerunta.bat"), kRestartBatch);
    files.SetCurrentFolder(programFolder);
    StartProgram("rerunta.bat", WindowStyle::Minimized);
}

}  // namespace tamrel
