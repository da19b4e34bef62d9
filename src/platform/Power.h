#pragma once
// The system's shutdown. The core decides when and which; a backend asks
// the system in its own way, with whatever right it needs first.

namespace tamrel {

enum class PowerAction { LogOff, ShutDown, PowerOff };

class Power {
public:
    virtual ~Power() = default;
    // Asks, never forces. A system that refuses (no right to do it) keeps
    // the machine on without a word. Returns at once; the platform ends the
    // program later.
    virtual void Request(PowerAction action) = 0;
};

}  // namespace tamrel
