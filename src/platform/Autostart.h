#pragma once
// Whether the desktop session (or Windows) starts Tamrel by itself: an XDG
// autostart entry on Linux, a shortcut in the Startup folder on Windows. The
// entry starts the very executable that is running.

#include <string>

namespace tamrel {

class Autostart {
public:
    virtual ~Autostart() = default;

    // The entry is there and in force.
    virtual bool IsOn() = 0;
    // Writes or removes the entry; a RuntimeError naming it when that fails.
    virtual void SetOn(bool on) = 0;
    // Where the entry is, for the messages that name it.
    virtual std::string EntryPath() const = 0;
    // The executable the entry starts, for the help that tells it.
    virtual std::string Executable() const = 0;
    // Whom the entry starts Tamrel for: the login name, for the texts that
    // tell how to start it without a desktop.
    virtual std::string User() const { return {}; }
};

}  // namespace tamrel
