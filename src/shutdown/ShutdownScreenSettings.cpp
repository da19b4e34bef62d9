// The shutdown screen's own reading of the settings file: the look and the
// keys, with silent range replacements. Program = is no key here.

#include "settings/SettingsFile.h"
#include "settings/SettingsParser.h"
#include "settings/Text.h"
#include "shutdown/ShutdownScreen.h"

namespace tamrel {

ShutdownScreen::ReadOutcome ShutdownScreen::ReadSettings() {
    const std::optional<std::vector<std::string>> read = ReadSettingsLines(platform_.files);
    if (!read) return ReadOutcome::Corrupt;

    SettingsParser parser(Reader::Screen, settings_, logs_);
    for (auto line = read->begin(); line != read->end(); ++line) {
        const std::optional<Field> field = parser.ReadLine(*line);
        if (!field) continue;
        switch (*field) {
            case Field::ShutdownMethod:
                if (settings_.shutdownMethod == 0) {
                    // Nothing else matters now but whether the run failed,
                    // which the owner is told all the same. Setup's rule
                    // reads it without logging the line.
                    const std::string shortestRun = LowerCase(KeyOf(Field::ShortestRun).written);
                    SettingsParser quiet(Reader::Setup, settings_, logs_);
                    for (++line; line != read->end(); ++line) {
                        if (IsKeyLine(*line, shortestRun)) quiet.ReadLine(*line);
                    }
                    return ReadOutcome::EarlyEnd;
                }
                break;
            case Field::CancelSeconds:
                secondsLeft_ = settings_.cancelSeconds;
                break;
            case Field::SkinPath:
                if (LowerCase(settings_.skinPath) != "use default" && !EndsWith(settings_.skinPath, ".bmp")) {
                    RejectSkin();
                }
                break;
            default:
                break;
        }
    }

    int keyLines = parser.keyLines();
    if (!parser.restartLineSeen()) {
        ++keyLines;
        logs_.Log("The tamrel.set file is for an older version of The Tamrel. You may want to run setup.");
    }
    return keyLines == CountedKeys(Reader::Screen) ? ReadOutcome::Complete : ReadOutcome::Corrupt;
}

void ShutdownScreen::RejectSkin() {
    settings_.skinPath.clear();
    logs_.AppendErrorLog(
        " --Tamrel encountered a problem with the skin in tamrel.set. Skin must be a .bmp file!");
    platform_.ui.ShowMessageBox("There is a problem with the skin setting in tamrel.set. Please fix it.",
                                ui::Buttons::Ok, ui::kAppTitle, ui::Icon::None);
}

}  // namespace tamrel
