#pragma once
// Starting and waiting for programs, re-starting Tamrel, and the clock.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ProgramWatch.h"

namespace tamrel {

using ProcessId = std::uint32_t;

enum class WindowStyle { Normal = 1, Minimized = 2 };

// How a waited-for program ended.
struct ProgramEnd {
    enum class How {
        Unknown,    // the system did not tell
        Exited,     // with `code` as its exit status (on Windows, its exit code)
        Signalled,  // ended by signal `code`
    };
    // Tamrel itself was asked to stop during the wait (the signal): the
    // program was asked to end too, and nothing else is known.
    int stopRequest = 0;
    How how = How::Unknown;
    std::uint32_t code = 0;
    // From its start to its end.
    double seconds = 0;
    // From its start until the last process it started had ended too; 0
    // when none outlived it.
    double groupSeconds = 0;
    // The watch said it was time: the program still runs, and EndProgram
    // is what comes next.
    bool watchDue = false;
    // EndProgram had to end something by force after the grace time.
    bool forced = false;
};

// Holds the program folder for this instance while it lives.
class FolderLock {
public:
    virtual ~FolderLock() = default;
};

class Processes {
public:
    virtual ~Processes() = default;
    // One instance a program folder, or their logs interleave. Waits up to
    // `waitMs` for another instance to end (a re-start overlaps the ending
    // one); null when it still holds the folder. A folder where no lock can
    // be made is held by nobody: a lock that holds nothing comes back.
    virtual std::unique_ptr<FolderLock> LockProgramFolder(const std::string& folder, int waitMs) = 0;
    // Starts `fileName` from the current folder (no search path). Returns the
    // new process's id, 0 when nothing was started; a refused start raises.
    virtual ProcessId StartProgram(const std::string& fileName, WindowStyle style) = 0;
    // Blocks without a time limit until the process and every process it
    // started have ended (one that made a session of its own means to
    // outlive it and is not waited for), or until Tamrel itself is asked to
    // stop: then they are all asked to end too, and the number of the
    // request (the signal) comes back. Returns at once, how Unknown, for an
    // id that cannot be waited on.
    // With a `watch`, the user's input is watched as it asks, and the wait
    // also returns, watchDue set and the program left running, once
    // watch->Due() says so.
    virtual ProgramEnd WaitForProcess(ProcessId id, ProgramWatch* watch = nullptr) = 0;
    // Asks the program and all it started to end, the way its platform asks
    // (Linux: SIGTERM to its process group; Windows: WM_CLOSE to the
    // top-level windows of its processes), waits up to `graceMs` for all of
    // them to end, then ends what is left by force (`forced`). How the
    // program itself ended comes back, timed from its start.
    virtual ProgramEnd EndProgram(ProcessId id, int graceMs) = 0;
    // Starts a detached new instance of this very executable, whatever its
    // name, from `programFolder` without waiting for it; this instance then
    // ends. A start that cannot happen raises.
    virtual void RestartTamrel(const std::string& programFolder) = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    // Local date and time as the user's short date, a blank, the long time.
    virtual std::string NowText() = 0;
};

}  // namespace tamrel
