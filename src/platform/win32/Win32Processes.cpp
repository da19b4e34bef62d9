#include "platform/win32/Win32Processes.h"

#include "platform/win32/Win32Api.h"

#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <utility>
#include <vector>

#include "platform/Paths.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Handle.h"
#include "platform/win32/Win32IdleInput.h"
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

// The ids of the processes in the job; none when the system does not tell.
std::vector<DWORD> ProcessesInJob(HANDLE job) {
    // The list's two counts, then its ids; room for more as the job grows.
    for (std::size_t room = 16;; room *= 2) {
        std::vector<ULONG_PTR> buffer(room + 2);
        auto* list = reinterpret_cast<JOBOBJECT_BASIC_PROCESS_ID_LIST*>(buffer.data());
        const auto bytes = static_cast<DWORD>(buffer.size() * sizeof(ULONG_PTR));
        if (!::QueryInformationJobObject(job, JobObjectBasicProcessIdList, list, bytes, nullptr) &&
            ::GetLastError() != ERROR_MORE_DATA) {
            return {};
        }
        if (list->NumberOfAssignedProcesses <= list->NumberOfProcessIdsInList || room > 65536) {
            std::vector<DWORD> ids;
            for (DWORD i = 0; i < list->NumberOfProcessIdsInList; ++i) {
                ids.push_back(static_cast<DWORD>(list->ProcessIdList[i]));
            }
            return ids;
        }
    }
}

// Whether a process besides `id` is left in the job.
bool OthersInJob(HANDLE job, DWORD id) {
    const std::vector<DWORD> ids = ProcessesInJob(job);
    return std::any_of(ids.begin(), ids.end(), [id](DWORD other) { return other != id; });
}

SteadyMs SteadyNow() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A forced end's exit code, as the system's own task ending gives.
constexpr UINT kForcedExitCode = 1;
// After TerminateJobObject the system ends them at once; this only bounds
// the wait for it to say so.
constexpr int kForcedEndMs = 5000;

}  // namespace

// How long a wait may block, and whether it stops once it wakes.
class WaitLimit {
public:
    virtual ~WaitLimit() = default;
    // Milliseconds until it wants to be asked again, or INFINITE.
    virtual DWORD Timeout() = 0;
    // Asked at every wake: true ends the wait.
    virtual bool Woken() = 0;
};

namespace {

class NoLimit : public WaitLimit {
public:
    DWORD Timeout() override { return INFINITE; }
    bool Woken() override { return false; }
};

class Deadline : public WaitLimit {
public:
    explicit Deadline(int ms) : end_(::GetTickCount64() + static_cast<ULONGLONG>(std::max(ms, 0))) {}
    DWORD Timeout() override {
        const ULONGLONG now = ::GetTickCount64();
        return now >= end_ ? 0 : static_cast<DWORD>(end_ - now);
    }
    bool Woken() override { return ::GetTickCount64() >= end_; }

private:
    ULONGLONG end_;
};

// Wakes for the watch's times, and four times a second to look at the
// input while idle power-off is on.
class WatchLimit : public WaitLimit {
public:
    explicit WatchLimit(ProgramWatch& watch) : watch_(watch) {
        if (watch.IdleMinutes() <= 0) return;
        input_.emplace();
        const SteadyMs now = SteadyNow();
        input_->Look(watch_, now);
        nextLook_ = now + win32::kIdleLookMs;
    }

    DWORD Timeout() override {
        SteadyMs wake = DueAt();
        if (input_) wake = wake == kNoDeadline ? nextLook_ : std::min(wake, nextLook_);
        if (wake == kNoDeadline) return INFINITE;
        // Below INFINITE, whatever the watch asks.
        constexpr SteadyMs kLongest = 24LL * 60 * 60 * 1000;
        return static_cast<DWORD>(std::clamp<SteadyMs>(wake - SteadyNow(), 0, kLongest));
    }

    bool Woken() override {
        const SteadyMs now = SteadyNow();
        const SteadyMs due = DueAt();
        // Input up to the last moment counts: looked at before the watch decides.
        if (input_ && (now >= nextLook_ || (due != kNoDeadline && now >= due))) {
            input_->Look(watch_, now);
            nextLook_ = now + win32::kIdleLookMs;
        }
        const SteadyMs stillDue = DueAt();
        if (stillDue == kNoDeadline || now < stillDue) return false;
        askedAt_ = now;
        return watch_.Due(now);
    }

private:
    // A watch that said no and stays due is asked again a look later, not
    // in a spin.
    SteadyMs DueAt() const {
        const SteadyMs due = watch_.NextDue();
        return due != kNoDeadline && askedAt_ != kNoDeadline && due <= askedAt_ ? askedAt_ + win32::kIdleLookMs : due;
    }

    ProgramWatch& watch_;
    std::optional<win32::Win32IdleInput> input_;
    SteadyMs nextLook_ = kNoDeadline;
    SteadyMs askedAt_ = kNoDeadline;
};

BOOL CALLBACK PostClose(HWND window, LPARAM ids) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    const auto& wanted = *reinterpret_cast<const std::vector<DWORD>*>(ids);
    if (std::find(wanted.begin(), wanted.end(), owner) != wanted.end()) ::PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
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
    programEnded_ = false;
    end_ = {};
    job_.Reset();
    port_.Reset();
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

bool Win32Processes::Await(WaitLimit& limit) {
    for (;;) {
        if (!programEnded_) {
            // Anything but a timeout means there is nothing left to wait on.
            if (::WaitForSingleObject(process_.get(), limit.Timeout()) != WAIT_TIMEOUT) {
                programEnded_ = true;
                DWORD code = 0;
                if (::GetExitCodeProcess(process_.get(), &code)) {
                    end_.how = ProgramEnd::How::Exited;
                    end_.code = code;
                }
                end_.seconds = Since();
                if (!job_ || !OthersInJob(job_.get(), id_)) return true;
                continue;
            }
        } else {
            DWORD message = 0;
            ULONG_PTR key = 0;
            LPOVERLAPPED detail = nullptr;
            if (::GetQueuedCompletionStatus(port_.get(), &message, &key, &detail, limit.Timeout())) {
                if (key == reinterpret_cast<ULONG_PTR>(job_.get()) && message == JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO) {
                    end_.groupSeconds = Since();
                    return true;
                }
            } else if (::GetLastError() != WAIT_TIMEOUT) {
                return true;
            }
        }
        if (limit.Woken()) return false;
    }
}

ProgramEnd Win32Processes::Finish() {
    ProgramEnd end = std::exchange(end_, ProgramEnd{});
    programEnded_ = false;
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
    NoLimit none;
    std::optional<WatchLimit> watched;
    if (watch) watched.emplace(*watch);
    if (!Await(watched ? static_cast<WaitLimit&>(*watched) : none)) {
        ProgramEnd due = end_;
        if (!programEnded_) due.seconds = Since();
        due.watchDue = true;
        return due;
    }
    return Finish();
}

void Win32Processes::AskToClose() const {
    std::vector<DWORD> ids = job_ ? ProcessesInJob(job_.get()) : std::vector<DWORD>{};
    if (!programEnded_) ids.push_back(id_);
    ::EnumWindows(PostClose, reinterpret_cast<LPARAM>(&ids));
}

ProgramEnd Win32Processes::EndProgram(ProcessId id, int graceMs) {
    if (id == 0 || id != id_ || !process_) return WaitForProcess(id);
    AskToClose();
    Deadline grace(graceMs);
    bool forced = false;
    if (!Await(grace)) {
        forced = true;
        if (job_) {
            ::TerminateJobObject(job_.get(), kForcedExitCode);
        } else if (!programEnded_) {
            ::TerminateProcess(process_.get(), kForcedExitCode);
        }
        Deadline ending(kForcedEndMs);
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
