#pragma once
// Where the events of a run go besides the log files: the system's own
// journal, which a fleet's collector gathers from many machines. Each event
// carries what the core knew when it happened, so that nobody has to read
// the facts back out of the text.

#include <optional>
#include <string>
#include <utility>

namespace tamrel {

enum class EventKind {
    Line,  // any other event-log line
    ProgramStarted,
    ProgramEnded,
    CountdownStarted,
    Cancelled,
    Restarted,
    PowerOffRequested,
    PowerOffRefused,
    Guard,  // the run was too short to power off after
    Idle,
    ClosingTime,
    Error,  // a line of the error log
};

struct Event {
    EventKind kind = EventKind::Line;
    std::string text;     // as the log has it, one line
    std::string program;  // the launched program's file name, once there is one
    std::optional<long> exitStatus;
    std::optional<long> signal;
    std::optional<long> runSeconds;
    // What Tamrel does or asks for: "power-off", "shutdown", "log-off",
    // "cancel", "re-start", "end-program", "stay-on"; empty for none.
    std::string action;

    // An event of this kind; the other facts are set where they are known.
    static Event Of(EventKind kind, std::string action = {}) {
        Event event;
        event.kind = kind;
        event.action = std::move(action);
        return event;
    }
};

class EventSink {
public:
    virtual ~EventSink() = default;
    // Never fails and never waits long: the run goes on whatever happens.
    virtual void Send(const Event& event) noexcept = 0;
};

// Where the system keeps no such journal.
class NoEventSink final : public EventSink {
public:
    void Send(const Event&) noexcept override {}
};

}  // namespace tamrel
