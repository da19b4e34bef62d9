// The shutdown screen's own reading of the settings file: the look and the
// keys, with silent range replacements. Program = is no key here.

#include "settings/SettingsFile.h"
#include "settings/SettingsParser.h"
#include "settings/Text.h"
#include "shutdown/ScreenSettings.h"
#include "shutdown/ShutdownScreen.h"

namespace tamrel {

bool IsRejectedSkin(const std::string& skinPath) {
    return LowerCase(skinPath) != "use default" && !EndsWith(skinPath, ".bmp");
}

ScreenReading ReadScreenSettings(const std::vector<std::string>& lines, Settings& settings, Logs* logs,
                                 const ValueWatch& watch, const std::function<void(Field)>& onField) {
    SettingsParser parser(Reader::Screen, settings, logs, nullptr, watch);
    for (auto line = lines.begin(); line != lines.end(); ++line) {
        const std::optional<Field> field = parser.ReadLine(*line);
        if (!field) continue;
        onField(*field);
        if (*field == Field::ShutdownMethod && settings.shutdownMethod == 0) {
            // Nothing else matters now but whether the run failed, which
            // the owner is told all the same. Setup's rule reads it without
            // logging the line.
            const std::string shortestRun = LowerCase(KeyOf(Field::ShortestRun).written);
            SettingsParser quiet(Reader::Setup, settings, logs, nullptr, watch);
            for (++line; line != lines.end(); ++line) {
                if (IsKeyLine(*line, shortestRun)) quiet.ReadLine(*line);
            }
            return {ScreenReading::Outcome::EarlyEnd};
        }
    }

    ScreenReading reading;
    int keyLines = parser.keyLines();
    if (!parser.restartLineSeen()) {
        ++keyLines;
        reading.olderFile = true;
        if (logs) logs->Log("The tamrel.set file is for an older version of The Tamrel. You may want to run setup.");
    }
    if (keyLines != CountedKeys(Reader::Screen)) reading.outcome = ScreenReading::Outcome::Corrupt;
    return reading;
}

ShutdownScreen::ReadOutcome ShutdownScreen::ReadSettings(const SettingsSource& source) {
    const std::optional<std::vector<std::string>> read = ReadSettingsLines(platform_.files, source.path);
    if (!read) return ReadOutcome::Corrupt;
    const ScreenReading reading = ReadScreenSettings(*read, settings_, &logs_, {}, [&](Field field) {
        if (field == Field::CancelSeconds) secondsLeft_ = settings_.cancelSeconds;
        if (field == Field::SkinPath && IsRejectedSkin(settings_.skinPath)) RejectSkin();
    });
    switch (reading.outcome) {
        case ScreenReading::Outcome::EarlyEnd: return ReadOutcome::EarlyEnd;
        case ScreenReading::Outcome::Corrupt: return ReadOutcome::Corrupt;
        case ScreenReading::Outcome::Complete: break;
    }
    return ReadOutcome::Complete;
}

void ShutdownScreen::RejectSkin() {
    settings_.skinPath.clear();
    logs_.AppendErrorLog(
        " --Tamrel encountered a problem with the skin in tamrel.set. Skin must be a .bmp file!");
    platform_.ui.ShowMessageBox("There is a problem with the skin setting in tamrel.set. Please fix it.",
                                ui::Buttons::Ok, ui::kAppTitle, ui::Icon::None);
}

}  // namespace tamrel
