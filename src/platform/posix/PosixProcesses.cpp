#include "platform/posix/PosixProcesses.h"

#include <fcntl.h>
#include <locale.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/wait.h>
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
    // A process group of its own: the program and all it starts, told apart
    // from Tamrel and ended together.
    return static_cast<ProcessId>(Spawn("./" + fileName, fileName, POSIX_SPAWN_SETPGROUP));
}

namespace {

ProgramEnd EndOf(int status) {
    if (WIFSIGNALED(status)) return {0, ProgramEnd::How::Signalled, static_cast<std::uint32_t>(WTERMSIG(status))};
    return {0, ProgramEnd::How::Exited, static_cast<std::uint32_t>(WEXITSTATUS(status))};
}

// Whether any process of the group is left, zombies of others included.
bool GroupLives(pid_t group) { return ::kill(-group, 0) == 0 || errno == EPERM; }

}  // namespace

// Not watched yet: the watch is ignored.
ProgramEnd PosixProcesses::WaitForProcess(ProcessId id, ProgramWatch*) {
    const auto child = static_cast<pid_t>(id);
    const auto since = [this] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    };
    // The signals are taken as they come, not by a handler: an end in the
    // family (SIGCHLD) and a request to stop. Blocked before the first look,
    // so that an end in between stays pending and the wait is a true block.
    sigset_t watched;
    sigemptyset(&watched);
    for (int signal : {SIGCHLD, SIGTERM, SIGINT, SIGHUP}) sigaddset(&watched, signal);
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &watched, &previous);
    ProgramEnd end;
    int status = 0;
    const pid_t first = ::waitpid(child, &status, WNOHANG);
    bool programEnded = first == child;
    if (programEnded) {
        end = EndOf(status);
        end.seconds = since();
    }
    bool othersLeft = false;
    // Not ours to wait for: nothing is known.
    while (first >= 0) {
        // Everything that ended is reaped, orphans handed to Tamrel included
        // (those of a daemon in its own session too).
        pid_t done = 0;
        while ((done = ::waitpid(-1, &status, WNOHANG)) > 0) {
            if (done != child) continue;
            end = EndOf(status);
            end.seconds = since();
            programEnded = true;
        }
        // Reaped elsewhere: nothing more can be learnt.
        if (done < 0 && errno == ECHILD && !programEnded) break;
        if (programEnded) {
            if (!GroupLives(child)) {
                if (othersLeft) end.groupSeconds = since();
                break;
            }
            othersLeft = true;
        }
        const int signal = ::sigwaitinfo(&watched, nullptr);
        if (signal < 0 || signal == SIGCHLD) continue;
        // The program and all it started go with Tamrel rather than being
        // left behind.
        ::kill(-child, SIGTERM);
        end.stopRequest = signal;
        break;
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (!programEnded) end.seconds = since();
    return end;
}

ProgramEnd PosixProcesses::EndProgram(ProcessId id, int) {
    ::kill(-static_cast<pid_t>(id), SIGTERM);
    return WaitForProcess(id);
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
