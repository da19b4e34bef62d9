#include <gtest/gtest.h>

#include <cstdio>
#include <tuple>

#include "run/CommandLine.h"

namespace tamrel::test {
namespace {

using Action = CommandLine::Action;

TEST(CommandLine, TheThreeSwitchesAndTheirWindowsSpelling) {
    EXPECT_EQ(ParseCommandLine({}, false).action, Action::Run);
    EXPECT_EQ(ParseCommandLine({"--setup"}, false).action, Action::Setup);
    EXPECT_EQ(ParseCommandLine({"--help"}, false).message.rfind("Usage: tamrel [--setup | --check [FILE] [--json] | --help | --version]\n", 0), 0u);
    EXPECT_EQ(ParseCommandLine({"--version"}, false).message, "tamrel " TAMREL_VERSION "\n");
    for (const char* windows : {"/setup", "/SETUP", "--setup"}) EXPECT_EQ(ParseCommandLine({windows}, true).action, Action::Setup);
    EXPECT_EQ(ParseCommandLine({"/?"}, true).action, Action::Help);
    EXPECT_EQ(ParseCommandLine({"/Version"}, true).action, Action::Version);
    // A repeated switch asks for the same thing once more.
    EXPECT_EQ(ParseCommandLine({"--setup", "--setup"}, false).action, Action::Setup);
    EXPECT_EQ(ParseCommandLine({"/setup", "--setup", "/Setup"}, true).action, Action::Setup);
    EXPECT_EQ(ParseCommandLine({"/?", "/help"}, true).action, Action::Help);
    const CommandLine check = ParseCommandLine({"--check", "--json", "/etc/xdg/tamrel/tamrel.set"}, false);
    EXPECT_EQ(std::tie(check.action, check.file, check.json), std::make_tuple(Action::Check, std::string("/etc/xdg/tamrel/tamrel.set"), true));
    const CommandLine windows = ParseCommandLine({"/JSON", "/Check", "C:\\arcade\\tamrel.set"}, true);
    EXPECT_EQ(std::tie(windows.action, windows.file, windows.json), std::make_tuple(Action::Check, std::string("C:\\arcade\\tamrel.set"), true));
    const CommandLine plain = ParseCommandLine({"--check"}, false);
    EXPECT_EQ(std::tie(plain.action, plain.file, plain.json), std::make_tuple(Action::Check, std::string(), false));
}

TEST(CommandLine, TheWindowsHelpNamesTheSlashFormsTooAndLinuxOnlyItsOwn) {
    const std::string windows = ParseCommandLine({"/?"}, true).message;
    for (const char* form : {"/setup", "/help", "/?", "/version", "--setup", "--help", "--version"}) {
        EXPECT_NE(windows.find(form), std::string::npos) << form;
    }
    EXPECT_EQ(ParseCommandLine({"--help"}, false).message.find('/'), std::string::npos);
    EXPECT_NE(ParseCommandLine({"/x"}, true).message.find("tamrel [/setup | /check [FILE] [/json] | /help | /? | /version]"), std::string::npos);
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
        {{"--setup", "--setup", "--version"}, false, "--version"},
        // A check names one file, after it; JSON is a check's alone.
        {{"--check", "a.set", "b.set"}, false, "b.set"},
        {{"a.set", "--check"}, false, "a.set"},
        {{"--json"}, false, "--json"},
        {{"--setup", "--json"}, false, "--json"},
        {{"--check", "--setup"}, false, "--setup"},
        {{"x\n12/07/26 --- Tamrel ended.\a"}, false, "x\\n12/07/26 --- Tamrel ended.\\x07"},
    };
    for (const auto& [arguments, slashes, named] : cases) {
        const CommandLine parsed = ParseCommandLine(arguments, slashes);
        EXPECT_EQ(parsed.action, Action::Refused) << named;
        EXPECT_EQ(parsed.message.rfind(
                      "tamrel: unknown argument \"" + named + "\"\nUsage: tamrel [--setup | --check [FILE] [--json] | --help | --version]\n", 0),
                  0u) << parsed.message;
    }
}

#ifndef _WIN32
TEST(CommandLine, AnAnswerThatCannotBeWrittenIsAFailedRun) {
    const CommandLine version = ParseCommandLine({"--version"}, false);
    const CommandLine refused = ParseCommandLine({"-x"}, false);
    std::FILE* full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(Answer(version, full), 1);
    std::fclose(full);
    std::FILE* sink = std::fopen("/dev/null", "w");
    ASSERT_NE(sink, nullptr);
    EXPECT_EQ(Answer(version, sink), 0);
    EXPECT_EQ(Answer(refused, sink), kRefusedStatus);
    std::fclose(sink);
}
#endif

}  // namespace
}  // namespace tamrel::test
