#include "run/CommandLine.h"


#include "settings/Text.h"

namespace tamrel {

namespace {

constexpr const char* kUsage = "Usage: tamrel [--setup | --help | --version]";

constexpr const char* kHelp =
    "Without a switch, Tamrel launches the program named in tamrel.set, waits for it to end, then counts\n"
    "down to the shutdown; setup mode opens when the file asks for it or is missing.\n"
    "  --setup    open setup mode, whatever tamrel.set says\n"
    "  --help     show this text\n"
    "  --version  show the version\n";

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
    if (arguments.empty()) return {};
    const Switch* known = Find(arguments[0], slashes);
    // One switch at most: a second argument is refused like an unknown one.
    if (!known || arguments.size() > 1) {
        const std::string& refused = known ? arguments[1] : arguments[0];
        return {CommandLine::Action::Refused, "tamrel: unknown argument \"" + refused + "\"\n" + kUsage + "\n"};
    }
    switch (known->action) {
        case CommandLine::Action::Help: return {known->action, std::string(kUsage) + "\n" + kHelp};
        case CommandLine::Action::Version: return {known->action, "tamrel " TAMREL_VERSION "\n"};
        default: return {known->action, {}};
    }
}

}  // namespace tamrel
