#pragma once
// The system's shutdown operations. The core decides when and with which
// flags; a backend only performs them.

namespace tamrel {

// Flags of the shutdown request, Windows numbering.
inline constexpr unsigned kExitLogoff = 0x0;
inline constexpr unsigned kExitShutdown = 0x1;
inline constexpr unsigned kExitPowerOff = 0x8;

class Power {
public:
    virtual ~Power() = default;
    // True where a shutdown right has to be enabled before asking.
    virtual bool IsNtFamily() = 0;
    // Enables the shutdown right; false suppresses the shutdown silently.
    virtual bool EnableShutdownPrivilege() = 0;
    // Asks for the log-off (0), shutdown (1) or power-off (8), never forced.
    // Returns at once; the platform ends the program later.
    virtual void RequestExit(unsigned flags) = 0;
};

}  // namespace tamrel
