#include "run/StartUpSettings.h"

#include "settings/SettingsFile.h"
#include "settings/Text.h"

namespace tamrel {

namespace {

// Only the run-setup flag and the program are read first.
constexpr int kKeysRead = 2;

}  // namespace

StartUpKeys ReadStartUpKeys(const std::vector<std::string>& lines, SettingsParser& parser, const Settings& settings) {
    StartUpKeys keys;
    for (; keys.next < lines.size() && parser.keyLines() != kKeysRead; ++keys.next) {
        keys.lastLine = lines[keys.next];
        if (parser.ReadLine(keys.lastLine) == Field::RunSetup && settings.runSetup) {
            keys.setupAsked = true;
            ++keys.next;
            return keys;
        }
    }
    keys.complete = parser.keyLines() == kKeysRead;
    return keys;
}

void ReadWaitSettings(const std::vector<std::string>& lines, std::size_t from, Settings& settings, Logs* logs,
                      const ValueWatch& watch) {
    const Settings fallback;
    SettingsParser quiet(Reader::Setup, settings, logs, &fallback, watch);
    const std::string method = LowerCase(KeyOf(Field::ShutdownMethod).written);
    for (std::size_t line = from; line < lines.size(); ++line) {
        if (IsKeyLine(lines[line], method)) quiet.ReadLine(lines[line]);
    }
    // Without a method it is off, and not even logged.
    if (settings.shutdownMethod == 0) return;
    SettingsParser parser(Reader::StartUp, settings, logs, nullptr, watch);
    const std::string idle = LowerCase(KeyOf(Field::IdleMinutes).written);
    const std::string closing = LowerCase(KeyOf(Field::ClosingTime).written);
    for (std::size_t line = from; line < lines.size(); ++line) {
        if (IsKeyLine(lines[line], idle) || IsKeyLine(lines[line], closing)) parser.ReadLine(lines[line]);
    }
}

}  // namespace tamrel
