#pragma once
// The system's shutdown. The core decides when and which; a backend asks
// the system in its own way, with whatever right it needs first.

#include <string>
#include <vector>

namespace tamrel {

enum class PowerAction { LogOff, ShutDown, PowerOff };

// Another program that holds up a shutdown for now, as it names itself.
struct Blocker {
    std::string who;
    std::string why;
};

class Power {
public:
    virtual ~Power() = default;
    // Asks, never forces. A system that refuses (no right to do it) keeps
    // the machine on without a word. Returns at once; the platform ends the
    // program later.
    virtual void Request(PowerAction action) = 0;
    // The programs that hold up a shutdown right now. Nothing where the
    // platform keeps no such list, or it cannot be read: then the request
    // goes ahead as it always did.
    virtual std::vector<Blocker> ShutdownBlockers() { return {}; }
};

}  // namespace tamrel
