#include <gtest/gtest.h>

#include <tuple>

#include "run/CommandLine.h"

namespace tamrel::test {
namespace {

using Action = CommandLine::Action;

TEST(CommandLine, TheThreeSwitchesAndTheirWindowsSpelling) {
    EXPECT_EQ(ParseCommandLine({}, false).action, Action::Run);
    EXPECT_EQ(ParseCommandLine({"--setup"}, false).action, Action::Setup);
    EXPECT_EQ(ParseCommandLine({"--help"}, false).message.rfind("Usage: tamrel [--setup | --help | --version]\n", 0), 0u);
    EXPECT_EQ(ParseCommandLine({"--version"}, false).message, "tamrel " TAMREL_VERSION "\n");
    for (const char* windows : {"/setup", "/SETUP", "--setup"}) EXPECT_EQ(ParseCommandLine({windows}, true).action, Action::Setup);
    EXPECT_EQ(ParseCommandLine({"/?"}, true).action, Action::Help);
    EXPECT_EQ(ParseCommandLine({"/Version"}, true).action, Action::Version);
}

TEST(CommandLine, AnythingElseIsRefusedByName) {
    const std::tuple<std::vector<std::string>, bool, std::string> cases[] = {
        {{"/setup"}, false, "/setup"},  // a path, on Linux
        {{"--Setup"}, false, "--Setup"},
        {{"-setup"}, true, "-setup"},
        {{"--"}, false, "--"},
        {{""}, false, ""},
        {{"--setup", "--help"}, false, "--help"},
        {{"front.sh", "--setup"}, false, "front.sh"},
    };
    for (const auto& [arguments, slashes, named] : cases) {
        const CommandLine parsed = ParseCommandLine(arguments, slashes);
        EXPECT_EQ(parsed.action, Action::Refused) << named;
        EXPECT_EQ(parsed.message,
                  "tamrel: unknown argument \"" + named + "\"\nUsage: tamrel [--setup | --help | --version]\n");
    }
}

}  // namespace
}  // namespace tamrel::test
