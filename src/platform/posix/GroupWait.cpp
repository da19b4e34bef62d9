#include "platform/posix/GroupWait.h"

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <initializer_list>
#include <memory>
#include <optional>
#include <vector>

#include "platform/posix/ClosingTimer.h"
#include "platform/posix/InputSources.h"
#include "platform/posix/LogindShutdownWatch.h"

namespace tamrel {

namespace {

// The signals the wait takes, blocked while it lasts so that they come
// through the descriptor and none is lost between two looks.
class BlockedSignals {
public:
    BlockedSignals() {
        sigemptyset(&set_);
        for (int signal : {SIGCHLD, SIGTERM, SIGINT, SIGHUP}) sigaddset(&set_, signal);
        pthread_sigmask(SIG_BLOCK, &set_, &previous_);
        fd_ = ::signalfd(-1, &set_, SFD_CLOEXEC | SFD_NONBLOCK);
    }
    ~BlockedSignals() {
        if (fd_ >= 0) ::close(fd_);
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    BlockedSignals(const BlockedSignals&) = delete;
    BlockedSignals& operator=(const BlockedSignals&) = delete;

    int fd() const { return fd_; }
    // Takes all that came: a request to stop, or 0 for ends in the family.
    int Take() {
        int stop = 0;
        signalfd_siginfo info{};
        while (::read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
            if (info.ssi_signo != SIGCHLD) stop = static_cast<int>(info.ssi_signo);
        }
        return stop;
    }

private:
    sigset_t set_;
    sigset_t previous_;
    int fd_ = -1;
};

ProgramEnd EndOf(int status) {
    if (WIFSIGNALED(status)) return {0, ProgramEnd::How::Signalled, static_cast<std::uint32_t>(WTERMSIG(status))};
    return {0, ProgramEnd::How::Exited, static_cast<std::uint32_t>(WEXITSTATUS(status))};
}

// Whether any process of the group is left, zombies of others included.
bool GroupLives(pid_t group) { return ::kill(-group, 0) == 0 || errno == EPERM; }

// The poll's timeout for the nearest of the times; -1 for none.
int TimeoutFor(SteadyMs now, std::initializer_list<SteadyMs> times) {
    SteadyMs next = kNoDeadline;
    for (SteadyMs time : times) {
        if (time != kNoDeadline && (next == kNoDeadline || time < next)) next = time;
    }
    if (next == kNoDeadline) return -1;
    return static_cast<int>(std::clamp<SteadyMs>(next - now, 0, INT_MAX));
}

}  // namespace

SteadyMs SteadyNow() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double GroupWait::Since() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
}

bool GroupWait::Reap() {
    int status = 0;
    pid_t done = 0;
    // Everything that ended is reaped, orphans handed to Tamrel included
    // (those of a daemon in its own session too).
    while ((done = ::waitpid(-1, &status, WNOHANG)) > 0) {
        if (done != child_) continue;
        const double seconds = Since();
        end_ = EndOf(status);
        end_.seconds = seconds;
        programEnded_ = true;
    }
    return programEnded_ || !(done < 0 && errno == ECHILD);
}

GroupWait::Outcome GroupWait::Wait(ProgramWatch* watch, SteadyMs deadline, LogindShutdownWatch* outside) {
    const Outcome outcome = Await(watch, deadline, watch ? outside : nullptr);
    finished_ = outcome == Outcome::Ended || outcome == Outcome::Stopped;
    return outcome;
}

GroupWait::Outcome GroupWait::Await(ProgramWatch* watch, SteadyMs deadline, LogindShutdownWatch* outside) {
    BlockedSignals signals;
    if (!looked_) {
        looked_ = true;
        int status = 0;
        const pid_t first = ::waitpid(child_, &status, WNOHANG);
        // Not ours to wait for: nothing is known.
        if (first < 0) {
            end_.seconds = Since();
            return Outcome::Ended;
        }
        if (first == child_) {
            end_ = EndOf(status);
            end_.seconds = Since();
            programEnded_ = true;
        }
    }
    // Opened only for this wait, closed with it.
    std::vector<std::unique_ptr<InputSource>> sources;
    if (watch && watch->IdleMinutes() > 0) sources = OpenInputSources(*watch);
    std::vector<pollfd> polled{{signals.fd(), POLLIN, 0}};
    for (const auto& source : sources) polled.push_back({source->Descriptor(), POLLIN, 0});
    std::optional<ClosingTimer> closing;
    if (watch && watch->ClosingTime() != kNoClosingTime) {
        closing.emplace(*watch, watch->ClosingTime());
        polled.push_back({closing->Descriptor(), POLLIN, 0});
    }
    const std::size_t closingAt = polled.size() - 1;
    // Its descriptor and events may change as it goes: set before each poll.
    if (outside) polled.push_back({-1, 0, 0});

    for (;;) {
        // Reaped elsewhere: nothing more can be learnt.
        if (!Reap()) {
            end_.seconds = Since();
            return Outcome::Ended;
        }
        if (programEnded_) {
            if (!GroupLives(child_)) {
                if (othersLeft_) end_.groupSeconds = Since();
                return Outcome::Ended;
            }
            othersLeft_ = true;
        }
        SteadyMs now = SteadyNow();
        if (deadline != kNoDeadline && now >= deadline) return Outcome::Deadline;
        const SteadyMs due = watch ? watch->NextDue() : kNoDeadline;
        if (due != kNoDeadline && now >= due) {
            if (watch->Due(now)) return Outcome::WatchDue;
            continue;
        }
        const SteadyMs busDue = outside ? outside->NextDue() : kNoDeadline;
        if (outside) polled.back() = {outside->Descriptor(), outside->Events(), 0};
        if (::poll(polled.data(), polled.size(), TimeoutFor(now, {due, deadline, busDue})) < 0) continue;
        now = SteadyNow();
        if (closing && polled[closingAt].revents != 0) {
            closing->Read(now);
            polled[closingAt].fd = closing->Descriptor();
        }
        if (outside && (polled.back().revents != 0 || (busDue != kNoDeadline && now >= busDue))) {
            outside->Process(*watch, now);
        }
        for (std::size_t i = 1; i <= sources.size(); ++i) {
            if (polled[i].revents == 0) continue;
            sources[i - 1]->Read(*watch, now);
            // A source that is gone would wake the poll for ever.
            if (polled[i].revents & (POLLERR | POLLHUP | POLLNVAL)) polled[i].fd = -1;
        }
        if (polled[0].revents == 0) continue;
        if (const int stop = signals.Take(); stop != 0) {
            // The program and all it started go with Tamrel rather than
            // being left behind.
            ::kill(-child_, SIGTERM);
            end_.stopRequest = stop;
            if (!programEnded_) end_.seconds = Since();
            return Outcome::Stopped;
        }
    }
}

}  // namespace tamrel
