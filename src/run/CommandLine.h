#pragma once
// The few switches Tamrel takes. Both mains read their arguments through
// here, so that Linux and Windows answer alike.

#include <cstdio>
#include <string>
#include <vector>

namespace tamrel {

struct CommandLine {
    enum class Action {
        Run,      // no switch: as always, the settings file decides
        Setup,    // setup mode whatever the file says
        Help,
        Version,
        Check,    // reads a settings file as Tamrel would and says what it finds
        Refused,  // an argument Tamrel does not know; nothing starts
    };
    Action action = Action::Run;
    // What to tell the user for Help, Version and Refused.
    std::string message;
    // Check: the file named, "" for the one Tamrel would read; JSON asked for.
    std::string file;
    bool json = false;
};

// `arguments` without the program's own name. `slashes`: the Windows
// spelling (/setup, /?) is taken too, in any letter case.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments, bool slashes);

// The exit status of a refused command line.
constexpr int kRefusedStatus = 2;

// Writes the message of Help, Version or Refused to `output` and gives the
// exit status: 0, kRefusedStatus, or 1 when the message could not be written.
int Answer(const CommandLine& command, std::FILE* output);

}  // namespace tamrel
