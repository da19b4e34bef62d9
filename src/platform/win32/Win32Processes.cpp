#include "platform/win32/Win32Processes.h"

#include "platform/win32/Win32Api.h"

#include <shellapi.h>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "platform/Paths.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Handle.h"
#include "platform/win32/Win32Job.h"
#include "platform/win32/Win32Shortcut.h"
#include "platform/win32/Win32WaitLimit.h"

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
constexpr const char* kRestartHead =
    "@echo off\r\n"
    "REM This file will restart The Tamrel.\r\n"
    "REM This file was created by The Tamrel.\r\n";
constexpr const char* kRestartTail = "exit\r\n";

// This very executable, as a batch line starts it: whatever its name,
// quoted (a blank in the name), "%" doubled.
std::string RestartLine() {
    const std::string path = ExecutablePath();
    const std::wstring wide = Wide(path);
    if (::GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES) throw win32::LastError(path);
    std::string line = "start \"\" \"";
    // The command processor reads a batch file in the OEM code page.
    for (const char c : NarrowPath(wide, CP_OEMCP)) line += c == '%' ? std::string("%%") : std::string(1, c);
    return line + "\"\r\n";
}

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
win32::KernelHandle Start(const std::wstring& file, const std::wstring& arguments, const std::wstring& folder,
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
    return win32::KernelHandle(start.hProcess);
}

// Whether a process besides `id` is left in the job.
bool OthersInJob(HANDLE job, DWORD id) {
    const std::vector<DWORD> ids = win32::ProcessesInJob(job);
    return std::any_of(ids.begin(), ids.end(), [id](DWORD other) { return other != id; });
}

// A forced end's exit code, as the system's own task ending gives.
constexpr UINT kForcedExitCode = 1;
// After TerminateJobObject the system ends them at once; this only bounds
// the wait for it to say so.
constexpr int kForcedEndMs = 5000;

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
    programEnded_ = false;
    groupEnded_ = false;
    fileName_ = fileName;
    end_ = {};
    job_.Reset();
    port_.Reset();
    // Wine starts its desktop's process for the first program that needs
    // one: that must not be the program, whose job would then hold it.
    ::GetDesktopWindow();
    // Named with the current folder so that the shell never looks for it
    // along the search path.
    std::wstring path = CurrentFolder();
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    path += Wide(fileName);
    if (!IsShortcut(fileName)) {
        process_ = Start(path, {}, {}, style, fileName);
    } else {
        // The shell would start a shortcut's target without a process to
        // wait for; its target is started here instead, as the shortcut says.
        const std::optional<Shortcut> shortcut = ReadShortcut(path);
        if (!shortcut) return 0;
        process_ = Start(shortcut->target, shortcut->arguments, shortcut->folder, style, fileName);
    }
    id_ = process_ ? ::GetProcessId(process_.get()) : 0;
    if (id_ != 0) HoldInJob();
    return id_;
}

// Right after the start: what the program starts before this is not held.
void Win32Processes::HoldInJob() {
    win32::KernelHandle job(::CreateJobObjectW(nullptr, nullptr));
    win32::KernelHandle port(::CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));
    if (!job || !port) return;
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT link{};
    link.CompletionKey = job.get();
    link.CompletionPort = port.get();
    if (!::SetInformationJobObject(job.get(), JobObjectAssociateCompletionPortInformation, &link, sizeof link) ||
        !::AssignProcessToJobObject(job.get(), process_.get())) {
        return;
    }
    job_ = std::move(job);
    port_ = std::move(port);
}

double Win32Processes::Since() const { return static_cast<double>(::GetTickCount64() - startedMs_) / 1000; }

bool Win32Processes::Await(win32::WaitLimit& limit) {
    for (;;) {
        if (groupEnded_) return true;
        if (!programEnded_) {
            // Anything but a timeout means there is nothing left to wait on.
            if (limit.Wait(process_.get(), limit.Timeout()) != WAIT_TIMEOUT) {
                programEnded_ = true;
                DWORD code = 0;
                if (::GetExitCodeProcess(process_.get(), &code)) {
                    end_.how = ProgramEnd::How::Exited;
                    end_.code = code;
                }
                end_.seconds = Since();
                if (!job_ || !OthersInJob(job_.get(), id_)) {
                    groupEnded_ = true;
                    return true;
                }
                continue;
            }
        } else {
            DWORD message = 0;
            ULONG_PTR key = 0;
            LPOVERLAPPED detail = nullptr;
            if (::GetQueuedCompletionStatus(port_.get(), &message, &key, &detail, limit.PortTimeout())) {
                if (key == reinterpret_cast<ULONG_PTR>(job_.get()) && message == JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO) {
                    end_.groupSeconds = Since();
                    groupEnded_ = true;
                    return true;
                }
            } else if (::GetLastError() != WAIT_TIMEOUT) {
                groupEnded_ = true;
                return true;
            }
        }
        if (limit.Woken()) return false;
    }
}

ProgramEnd Win32Processes::Finish() {
    ProgramEnd end = std::exchange(end_, ProgramEnd{});
    programEnded_ = false;
    groupEnded_ = false;
    process_.Reset();
    id_ = 0;
    return end;
}

ProgramEnd Win32Processes::WaitForProcess(ProcessId id, ProgramWatch* watch) {
    if (id == 0 || id != id_ || !process_) {
        ProgramEnd end;
        end.seconds = Since();
        return end;
    }
    win32::NoLimit none;
    std::optional<win32::WatchLimit> watched;
    if (watch) {
        watched.emplace(*watch, Wide("Letting " + fileName_ + " save and end"), [this] { EndBeforeSession(); });
    }
    if (!Await(watched ? static_cast<win32::WaitLimit&>(*watched) : none)) {
        ProgramEnd due = end_;
        if (!programEnded_) due.seconds = Since();
        due.watchDue = true;
        return due;
    }
    return Finish();
}

void Win32Processes::AskToClose() const {
    std::vector<DWORD> ids = job_ ? win32::ProcessesInJob(job_.get()) : std::vector<DWORD>{};
    if (!programEnded_) ids.push_back(id_);
    win32::CloseWindowsOf(ids);
}

void Win32Processes::EndBeforeSession() {
    AskToClose();
    win32::Deadline grace(win32::kSessionEndGraceMs);
    Await(grace);
}

ProgramEnd Win32Processes::EndProgram(ProcessId id, int graceMs) {
    if (id == 0 || id != id_ || !process_) return WaitForProcess(id);
    AskToClose();
    win32::Deadline grace(graceMs);
    bool forced = false;
    if (!Await(grace)) {
        forced = true;
        if (job_) {
            ::TerminateJobObject(job_.get(), kForcedExitCode);
        } else if (!programEnded_) {
            ::TerminateProcess(process_.get(), kForcedExitCode);
        }
        win32::Deadline ending(kForcedEndMs);
        Await(ending);
    }
    ProgramEnd end = Finish();
    end.forced = forced;
    return end;
}

void Win32Processes::RestartTamrel(const std::string& programFolder) {
    const std::string batch = kRestartHead + RestartLine() + kRestartTail;
    Win32FileSystem files(programFolder);
    files.WriteFile(InProgramFolder(files, "rerunta.bat"), batch);
    files.SetCurrentFolder(programFolder);
    // Not held in a job: the new instance holds its own program in one.
    Start(Wide(InProgramFolder(files, "rerunta.bat")), {}, {}, WindowStyle::Minimized, "rerunta.bat");
}

}  // namespace tamrel
