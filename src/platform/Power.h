#pragma once
// The system's shutdown. The core decides when and which; a backend asks
// the system in its own way, with whatever right it needs first. A system
// may be slow to answer: every question returns at once with a reply that
// the screen polls, so that its keys keep working meanwhile.

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tamrel {

enum class PowerAction { LogOff, ShutDown, PowerOff };

// Another program that holds up a shutdown for now, as it names itself.
struct Blocker {
    std::string who;
    std::string why;
};

struct PowerAnswer {
    bool accepted = false;
    // A refusal in the system's own words, as raw as they came.
    std::string why;
};

// The answer to a question still on its way. Dropping the reply abandons
// the question.
template <typename Answer>
class Reply {
public:
    virtual ~Reply() = default;
    // The answer once it has come; nothing yet while the system is at it.
    // Never waits.
    virtual std::optional<Answer> Poll() = 0;
};

// A reply the backend knew at once.
template <typename Answer>
class ReadyReply : public Reply<Answer> {
public:
    explicit ReadyReply(Answer answer) : answer_(std::move(answer)) {}
    std::optional<Answer> Poll() override { return answer_; }

private:
    Answer answer_;
};

template <typename Answer>
std::unique_ptr<Reply<Answer>> Answered(Answer answer) {
    return std::make_unique<ReadyReply<Answer>>(std::move(answer));
}

// The machine's clock alarm, set to wake it up after a power-off.
struct WakeAnswer {
    // When it was set for, as a person reads it ("Tue 08:30"); empty when
    // it was not set.
    std::string when;
    // Why not, in words a person can act on.
    std::string why;
};

class Power {
public:
    virtual ~Power() = default;
    // Asks, never forces. Accepted: the system is on its way down and ends
    // the program later. Refused: the machine stays on, and why.
    virtual std::unique_ptr<Reply<PowerAnswer>> Request(PowerAction action) = 0;
    // The programs that hold up a shutdown right now. Nothing where the
    // platform keeps no such list, or it cannot be read: then the request
    // goes ahead as it always did.
    virtual std::unique_ptr<Reply<std::vector<Blocker>>> ShutdownBlockers() {
        return Answered(std::vector<Blocker>{});
    }
    // Sets the clock alarm for the next time the local clock shows this
    // time of day (minutes after midnight), just before a power-off. Never
    // keeps the machine on: a failure only says why.
    virtual WakeAnswer SetWakeUp(long minutes) {
        (void)minutes;
        return {"", "this system wakes up only by its firmware's own setting"};
    }
};

}  // namespace tamrel
