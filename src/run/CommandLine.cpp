#include "run/CommandLine.h"

#include "settings/Text.h"
#include "log/Printable.h"

namespace tamrel {

namespace {

constexpr const char* kUsage = "Usage: tamrel [--setup | --check [FILE] [--json] | --help | --version]";
constexpr const char* kSlashUsage = "Usage: tamrel [--setup | --check [FILE] [--json] | --help | --version]\n"
                                    "   or: tamrel [/setup | /check [FILE] [/json] | /help | /? | /version]";

constexpr const char* kHelp =
    "Without a switch, Tamrel launches the program named in tamrel.set, waits for it to end, then counts\n"
    "down to the shutdown; setup mode opens when the file asks for it or is missing.\n"
    "  --setup    open setup mode, whatever tamrel.set says\n"
    "  --check    read FILE (by default the settings file Tamrel would read) as Tamrel reads it, print what\n"
    "             each reader would do with each value it does not use as written (--json: as JSON), and\n"
    "             exit with 0 (all used as written), 1 (usable with replacements) or 2 (a reader would stop)\n"
    "  --help     show this text\n"
    "  --version  show the version\n";

constexpr const char* kSlashHelp =
    "Without a switch, Tamrel launches the program named in tamrel.set, waits for it to end, then counts\n"
    "down to the shutdown; setup mode opens when the file asks for it or is missing.\n"
    "  --setup, /setup        open setup mode, whatever tamrel.set says\n"
    "  --check, /check        read FILE (by default the settings file Tamrel would read) as Tamrel reads\n"
    "                         it, print what each reader would do with each value it does not use as\n"
    "                         written (--json, /json: as JSON), and exit with 0 (all used as written),\n"
    "                         1 (usable with replacements) or 2 (a reader would stop)\n"
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
    {"check", CommandLine::Action::Check},
    // Only with check; Run stands for "no action of its own".
    {"json", CommandLine::Action::Run},
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
    const auto refuse = [&](const std::string& argument) {
        CommandLine refused;
        refused.action = CommandLine::Action::Refused;
        refused.message = "tamrel: unknown argument \"" + Printable(argument) + "\"\n" + usage + "\n";
        return refused;
    };
    const Switch* chosen = nullptr;
    CommandLine parsed;
    const std::string* json = nullptr;
    // A switch may be repeated, but two different ones ask for two things.
    for (const std::string& argument : arguments) {
        const Switch* known = Find(argument, slashes);
        if (known && known->action == CommandLine::Action::Run) {
            json = &argument;
            parsed.json = true;
            continue;
        }
        // The one file a check may name follows it.
        if (!known && chosen && chosen->action == CommandLine::Action::Check && parsed.file.empty() &&
            !argument.empty()) {
            parsed.file = argument;
            continue;
        }
        if (!known || (chosen && chosen != known)) return refuse(argument);
        chosen = known;
    }
    if (json && (!chosen || chosen->action != CommandLine::Action::Check)) return refuse(*json);
    if (!chosen) return {};
    parsed.action = chosen->action;
    switch (chosen->action) {
        case CommandLine::Action::Help: parsed.message = usage + "\n" + (slashes ? kSlashHelp : kHelp); break;
        case CommandLine::Action::Version: parsed.message = "tamrel " TAMREL_VERSION "\n"; break;
        default: break;
    }
    return parsed;
}

int Answer(const CommandLine& command, std::FILE* output) {
    const int status = command.action == CommandLine::Action::Refused ? kRefusedStatus : 0;
    // A write that fails (a full disk, a closed pipe) is a failed run.
    const bool written = std::fputs(command.message.c_str(), output) >= 0;
    const bool flushed = std::fflush(output) == 0;
    return written && flushed && !std::ferror(output) ? status : 1;
}

}  // namespace tamrel
