#include "run/CommandLine.h"

#include "settings/Text.h"
#include "log/Printable.h"

namespace tamrel {

namespace {

constexpr const char* kUsage = "Usage: tamrel [--setup | --help | --version]";
constexpr const char* kSlashUsage = "Usage: tamrel [--setup | --help | --version]\n"
                                    "   or: tamrel [/setup | /help | /? | /version]";

constexpr const char* kHelp =
    "Without a switch, Tamrel launches the program named in tamrel.set, waits for it to end, then counts\n"
    "down to the shutdown; setup mode opens when the file asks for it or is missing.\n"
    "  --setup    open setup mode, whatever tamrel.set says\n"
    "  --help     show this text\n"
    "  --version  show the version\n";

constexpr const char* kSlashHelp =
    "Without a switch, Tamrel launches the program named in tamrel.set, waits for it to end, then counts\n"
    "down to the shutdown; setup mode opens when the file asks for it or is missing.\n"
    "  --setup, /setup        open setup mode, whatever tamrel.set says\n"
    "  --help, /help, /?      show this text\n"
    "  --version, /version    show the version\n"
    "The / forms take any letter case.\n";

struct Switch {
    const char* name;
    CommandLine::Action action;
};

constexpr Switch kSwitches[] = {
    {"setup", CommandLine::Action::Setup},
    {"help", CommandLine::Action::Help},
    {"version", CommandLine::Action::Version},
};

const Switch* Find(const std::string& argument, bool slashes) {
    std::string name;
    if (argument.starts_with("--")) {
        name = argument.substr(2);
    } else if (slashes && argument.starts_with("/")) {
        name = argument == "/?" ? "help" : LowerCase(argument.substr(1));
    }
    for (const Switch& known : kSwitches) {
        if (!name.empty() && name == known.name) return &known;
    }
    return nullptr;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments, bool slashes) {
    const std::string usage = slashes ? kSlashUsage : kUsage;
    const Switch* chosen = nullptr;
    // A switch may be repeated, but two different ones ask for two things.
    for (const std::string& argument : arguments) {
        const Switch* known = Find(argument, slashes);
        if (!known || (chosen && chosen != known)) {
            return {CommandLine::Action::Refused, "tamrel: unknown argument \"" + Printable(argument) + "\"\n" + usage + "\n"};
        }
        chosen = known;
    }
    if (!chosen) return {};
    switch (chosen->action) {
        case CommandLine::Action::Help: return {chosen->action, usage + "\n" + (slashes ? kSlashHelp : kHelp)};
        case CommandLine::Action::Version: return {chosen->action, "tamrel " TAMREL_VERSION "\n"};
        default: return {chosen->action, {}};
    }
}

int Answer(const CommandLine& command, std::FILE* output) {
    const int status = command.action == CommandLine::Action::Refused ? kRefusedStatus : 0;
    // A write that fails (a full disk, a closed pipe) is a failed run.
    const bool written = std::fputs(command.message.c_str(), output) >= 0;
    const bool flushed = std::fflush(output) == 0;
    return written && flushed && !std::ferror(output) ? status : 1;
}

}  // namespace tamrel
