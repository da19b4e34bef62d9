#include "platform/posix/PosixProcesses.h"

#include <fcntl.h>
#include <locale.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <thread>
#include <vector>

#include "platform/posix/PosixError.h"
#include "platform/posix/PosixFileSystem.h"

extern char** environ;

namespace tamrel {

namespace {

// Owns the spawn attributes: a child starts with default signal handling
// and nothing blocked, whatever this process had.
class SpawnAttributes {
public:
    explicit SpawnAttributes(short extraFlags) {
        posix_spawnattr_init(&attr_);
        sigset_t none;
        sigemptyset(&none);
        sigset_t all;
        sigfillset(&all);
        posix_spawnattr_setsigmask(&attr_, &none);
        posix_spawnattr_setsigdefault(&attr_, &all);
        posix_spawnattr_setflags(&attr_, static_cast<short>(POSIX_SPAWN_SETSIGMASK |
                                                            POSIX_SPAWN_SETSIGDEF | extraFlags));
    }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attr_); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    const posix_spawnattr_t* get() const { return &attr_; }

private:
    posix_spawnattr_t attr_;
};

pid_t Spawn(const std::string& path, const std::string& argument0, short extraFlags) {
    SpawnAttributes attributes(extraFlags);
    std::vector<char> arg0(argument0.begin(), argument0.end());
    arg0.push_back('\0');
    char* argv[] = {arg0.data(), nullptr};
    pid_t child = 0;
    const int result = posix_spawn(&child, path.c_str(), nullptr, attributes.get(), argv, environ);
    if (result != 0) throw PosixError(result, path);
    return child;
}

// An advisory lock on a hidden file in the folder. Not inherited by the
// launched program or a re-start (close-on-exec), and gone with the process
// however it ends.
class FlockLock : public FolderLock {
public:
    explicit FlockLock(int fd) : fd_(fd) {}
    ~FlockLock() override {
        if (fd_ >= 0) ::close(fd_);
    }
    FlockLock(const FlockLock&) = delete;
    FlockLock& operator=(const FlockLock&) = delete;

private:
    int fd_;
};

}  // namespace

std::unique_ptr<FolderLock> PosixProcesses::LockProgramFolder(const std::string& folder, int waitMs) {
    const std::string path = (folder == "/" ? folder : folder + "/") + ".tamrel.lock";
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0) return std::make_unique<FolderLock>();
    auto lock = std::make_unique<FlockLock>(fd);
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) return std::make_unique<FolderLock>();
        if (std::chrono::steady_clock::now() >= giveUp) return nullptr;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return lock;
}

PosixProcesses::PosixProcesses(std::string executable) : executable_(std::move(executable)) {
    // Named now: once the file has been replaced on disk, the running
    // program's own link reads ".../tamrel (deleted)".
    if (executable_.empty()) {
        const std::string running = ExecutablePath();
        executableName_ = running.substr(running.rfind('/') + 1);
    }
}

ProcessId PosixProcesses::StartProgram(const std::string& fileName, WindowStyle) {
    // What the program leaves behind when it ends comes to Tamrel rather
    // than to PID 1, so that its end can be seen and it can be reaped.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    started_ = std::chrono::steady_clock::now();
    wait_.reset();
    // A process group of its own: the program and all it starts, told apart
    // from Tamrel and ended together.
    const pid_t child = Spawn("./" + fileName, fileName, POSIX_SPAWN_SETPGROUP);
    // Only now: the program cannot inherit what does not exist yet.
    outside_ = std::make_unique<LogindShutdownWatch>(fileName);
    return static_cast<ProcessId>(child);
}

GroupWait& PosixProcesses::WaitFor(ProcessId id) {
    // The same program's state carries over from its wait to its end.
    if (!wait_ || wait_->child() != static_cast<pid_t>(id) || wait_->finished()) {
        wait_.emplace(static_cast<pid_t>(id), started_);
    }
    return *wait_;
}

void PosixProcesses::ReleaseIfEnded(const GroupWait& wait) {
    if (wait.finished()) outside_.reset();
}

ProgramEnd PosixProcesses::WaitForProcess(ProcessId id, ProgramWatch* watch) {
    GroupWait& wait = WaitFor(id);
    const GroupWait::Outcome outcome = wait.Wait(watch, kNoDeadline, outside_.get());
    ReleaseIfEnded(wait);
    ProgramEnd end = wait.end();
    end.watchDue = outcome == GroupWait::Outcome::WatchDue;
    return end;
}

ProgramEnd PosixProcesses::EndProgram(ProcessId id, int graceMs) {
    GroupWait& wait = WaitFor(id);
    const auto group = static_cast<pid_t>(id);
    ::kill(-group, SIGTERM);
    bool forced = false;
    if (wait.Wait(nullptr, SteadyNow() + graceMs) == GroupWait::Outcome::Deadline) {
        ::kill(-group, SIGKILL);
        forced = true;
        wait.Wait(nullptr, kNoDeadline);
    }
    ReleaseIfEnded(wait);
    ProgramEnd end = wait.end();
    end.forced = forced;
    return end;
}

void PosixProcesses::RestartTamrel(const std::string& programFolder) {
    // The program folder's copy, as the user would start it again.
    const std::string executable =
        executable_.empty() ? (programFolder == "/" ? "/" : programFolder + "/") + executableName_ : executable_;
    if (::chdir(programFolder.c_str()) != 0) throw PosixError(errno, programFolder);
    // A session of its own, so that the new instance outlives this one and
    // whatever terminal or session started it.
    Spawn(executable, executable, POSIX_SPAWN_SETSID);
}

std::string PosixClock::NowText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[128] = {};
    locale_t userLocale = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
    if (userLocale == static_cast<locale_t>(0)) {
        std::strftime(text, sizeof text, "%x %X", &local);
    } else {
        strftime_l(text, sizeof text, "%x %X", &local, userLocale);
        freelocale(userLocale);
    }
    return text;
}

}  // namespace tamrel
