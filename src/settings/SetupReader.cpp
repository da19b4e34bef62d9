#include "settings/SetupReader.h"

#include "settings/DamagedSettings.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsParser.h"

namespace tamrel {

Settings DefaultSettings(const FileSystem& files) {
    Settings s;
    s.programPath = files.SettingsFolder();
    s.shutdownMethod = 0;
    s.cancelSeconds = 25;
    s.cancelKey = 27;
    s.restartKey = 0;
    s.skinPath = "Use default";
    s.boxTop = 0;
    s.boxLeft = 0;
    s.boxFontName = "arial";
    s.boxFontSize = "20";
    s.boxBold = "0";
    s.shortestRun = kDefaultShortestRun;
    s.boxItalic = false;
    s.boxColor = 0;
    return s;
}

bool ReadSetupLines(const std::vector<std::string>& lines, Settings& state, Logs* logs, FileSystem& files,
                    const Settings* fallback, std::vector<BadValue>* badValues, const ValueWatch& watch) {
    // Only an existing file is kept as the program, checked from the first
    // line on: a later line that fails leaves a usable path behind.
    const auto keepExistingProgram = [&] {
        if (state.programPath.empty() || !files.FileExists(state.programPath)) state.programPath = files.SettingsFolder();
    };
    SettingsParser parser(Reader::Setup, state, logs, fallback, watch);
    for (const std::string& line : lines) {
        if (IsComment(line)) continue;
        keepExistingProgram();
        parser.ReadLine(line);
        if (logs) logs->Log("In tamrel.set, " + line);
    }
    keepExistingProgram();
    if (badValues) *badValues = parser.badValues();

    // A file written before the re-start key existed has one key line fewer.
    const int keyLines = parser.keyLines() + (parser.restartLineSeen() ? 0 : 1);
    return keyLines == CountedKeys(Reader::Setup);
}

SetupReadResult ReadSettingsForSetup(Settings& state, Logs& logs, FileSystem& files, ui::Toolkit& ui,
                                     std::vector<BadValue>* badValues) {
    const SettingsSource source = FindSettings(files);
    LogSource(logs, source);
    const std::optional<std::vector<std::string>> read = ReadSettingsLines(files, source.path);
    const Settings defaults = DefaultSettings(files);
    if (read && ReadSetupLines(*read, state, &logs, files, badValues ? &defaults : nullptr, badValues)) {
        return SetupReadResult::Accepted;
    }
    ReportDamagedSettings(logs, files, ui, source, kDamagedFilePrompt, true);
    return SetupReadResult::Corrupt;
}

}  // namespace tamrel
