// The shutdown screen's own reading of the settings file: the look and the
// keys, with silent range replacements. Program = is no key here.

#include "platform/Paths.h"
#include "run/Application.h"
#include "settings/Numbers.h"
#include "settings/SettingsFile.h"
#include "settings/Text.h"
#include "shutdown/ShutdownScreen.h"

namespace tamrel {

namespace {

// A file of the current version holds 13 of this reader's keys.
constexpr int kCompleteKeyLines = 13;

std::int16_t Number16(const std::string& line, std::string_view keyText) {
    return ToInt16(LenientNumber(KeyValue(line, keyText)));
}

}  // namespace

ShutdownScreen::ReadOutcome ShutdownScreen::ReadSettings() {
    FileSystem& files = app_.platform().files;
    RestartLineSeen = false;
    const std::optional<std::vector<std::string>> read = ReadSettingsLines(files);
    if (!read) return ReadOutcome::Corrupt;
    const std::vector<std::string>& lines = *read;

    const std::string* current = nullptr;
    try {
        for (const std::string& line : lines) {
            current = &line;
            const auto countAndLog = [&] {
                ++KeyLineCount;
                logs_.Log("In Tamrel.set, " + line);
            };
            if (IsKeyLine(line, key::kKeyToRestart)) RestartLineSeen = true;
            if (IsKeyLine(line, key::kRunSetup)) ++KeyLineCount;
            if (IsKeyLine(line, key::kShutdownMethod)) {
                countAndLog();
                ShutdownMethod = Number16(line, key::kShutdownMethod);
                if (ShutdownMethod < 0 || ShutdownMethod > 2) ShutdownMethod = 0;
                if (ShutdownMethod == 0) return ReadOutcome::EarlyEnd;
            }
            if (IsKeyLine(line, key::kSecondsToCancel)) {
                countAndLog();
                SecondsLeft = Number16(line, key::kSecondsToCancel);
                if (SecondsLeft < 5 || SecondsLeft > 25) SecondsLeft = 10;
            }
            if (IsKeyLine(line, key::kKeyToCancel)) {
                countAndLog();
                CancelKey = Number16(line, key::kKeyToCancel);
                if (CancelKey < -1 || CancelKey > 255) CancelKey = 13;
                // No key gives 0: a countdown nobody could stop would power off
                // whatever the user does.
                if (CancelKey == 0) {
                    CancelKey = 27;
                    logs_.Log("The key to cancel in tamrel.set is 0, which no key gives. Using 27 (Escape).");
                }
            }
            if (IsKeyLine(line, key::kKeyToRestart)) {
                countAndLog();
                RestartKey = Number16(line, key::kKeyToRestart);
                if (RestartKey < -1 || RestartKey > 255) RestartKey = 0;
                if (RestartKey == CancelKey) RestartKey = 0;
            }
            if (IsKeyLine(line, key::kBoxX)) {
                countAndLog();
                BoxX = Number16(line, key::kBoxX);
            }
            if (IsKeyLine(line, key::kBoxY)) {
                countAndLog();
                BoxY = Number16(line, key::kBoxY);
            }
            if (IsKeyLine(line, key::kBoxFont)) {
                countAndLog();
                BoxFontName = Trim(KeyValue(line, key::kBoxFont));
            }
            if (IsKeyLine(line, key::kBoxFontSize)) {
                countAndLog();
                BoxFontSize = Trim(KeyValue(line, key::kBoxFontSize));
            }
            if (IsKeyLine(line, key::kBoxBold)) {
                countAndLog();
                BoxBold = Trim(KeyValue(line, key::kBoxBold));
            }
            if (IsKeyLine(line, key::kBoxItalic)) {
                // Logged only once the value has converted.
                ++KeyLineCount;
                BoxItalic = ToBoolean(Trim(KeyValue(line, key::kBoxItalic)));
                logs_.Log("In Tamrel.set, " + line);
            }
            if (IsKeyLine(line, key::kBoxColor)) {
                countAndLog();
                BoxColor = ToInt32(LenientNumber(Trim(KeyValue(line, key::kBoxColor))));
            }
            if (IsKeyLine(line, key::kSkin)) {
                countAndLog();
                SkinPath = Trim(KeyValue(line, key::kSkin));
                if (SkinPath.empty()) SkinPath = "Use default";
                if (LowerCase(SkinPath) != "use default" && !EndsWith(SkinPath, ".bmp")) RejectSkin();
            }
        }
    } catch (const RuntimeError& error) {
        throw NamingLine(error, current ? *current : std::string());
    }

    if (!RestartLineSeen) {
        ++KeyLineCount;
        logs_.Log("The tamrel.set file is for an older version of The Tamrel. You may want to run setup.");
    }
    return KeyLineCount == kCompleteKeyLines ? ReadOutcome::Complete : ReadOutcome::Corrupt;
}

void ShutdownScreen::RejectSkin() {
    SkinPath.clear();
    logs_.AppendErrorLog(
        " --Tamrel encountered a problem with the skin in tamrel.set. Skin must be a .bmp file!");
    app_.platform().ui.ShowMessageBox("There is a problem with the skin setting in tamrel.set. Please fix it.",
                                      ui::Buttons::Ok, ui::kAppTitle, ui::Icon::None);
}

}  // namespace tamrel
