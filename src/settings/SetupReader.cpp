#include "settings/SetupReader.h"

#include "settings/DamagedSettings.h"
#include "settings/Numbers.h"
#include "settings/SettingsFile.h"
#include "settings/Text.h"

namespace tamrel {

Settings DefaultSettings(const FileSystem& files) {
    Settings s;
    s.ProgramPath = files.ProgramFolder();
    s.ShutdownMethod = 0;
    s.CancelSeconds = 25;
    s.CancelKey = 27;
    s.RestartKey = 0;
    s.SkinPath = "Use default";
    s.BoxX = 0;
    s.BoxY = 0;
    s.BoxFontName = "arial";
    s.BoxFontSize = "20";
    s.BoxBold = "0";
    s.BoxItalic = false;
    s.BoxColor = 0;
    return s;
}

namespace {

// Any colour the colour dialog can give.
constexpr std::int32_t kMaxColor = 0xFFFFFF;

std::int16_t Number16(const std::string& line, std::string_view keyText) {
    return ToInt16(LenientNumber(KeyValue(line, keyText)));
}

}  // namespace

SetupReadResult ReadSettingsForSetup(Settings& state, Logs& logs, FileSystem& files,
                                     ui::Toolkit& ui) {
    int keyLineCount = 0;
    bool restartLineSeen = false;
    const std::optional<std::vector<std::string>> read = ReadSettingsLines(files);
    if (!read) {
        DiscardDamagedSettings(logs, files, ui, kDamagedFilePrompt);
        return SetupReadResult::Corrupt;
    }
    const std::vector<std::string>& lines = *read;

    const std::string* current = nullptr;
    try {
        for (const std::string& line : lines) {
            current = &line;
            if (!line.empty() && line[0] == '#') continue;
            if (IsKeyLine(line, key::kKeyToRestart)) restartLineSeen = true;
            if (IsKeyLine(line, key::kRunSetup)) ++keyLineCount;
            if (IsKeyLine(line, key::kProgram)) {
                state.ProgramPath = Trim(KeyValue(line, key::kProgram));
                ++keyLineCount;
            }
            if (state.ProgramPath.empty() || !files.FileExists(state.ProgramPath)) {
                state.ProgramPath = files.ProgramFolder();
            }
            if (IsKeyLine(line, key::kShutdownMethod)) {
                state.ShutdownMethod = Number16(line, key::kShutdownMethod);
                ++keyLineCount;
                if (state.ShutdownMethod < 0 || state.ShutdownMethod > 2) state.ShutdownMethod = 0;
            }
            if (IsKeyLine(line, key::kSecondsToCancel)) {
                ++keyLineCount;
                state.CancelSeconds = Number16(line, key::kSecondsToCancel);
                if (state.CancelSeconds < 5 || state.CancelSeconds > 25) {
                    state.CancelSeconds = 10;
                    logs.Log("The number in tamrel.set for cancel time is not within range, default of "
                               "10 being used.");
                }
            }
            if (IsKeyLine(line, key::kKeyToCancel)) {
                ++keyLineCount;
                state.CancelKey = Number16(line, key::kKeyToCancel);
                if (state.CancelKey < -1 || state.CancelKey > 255 || state.CancelKey == 0) {
                    state.CancelKey = 27;
                    logs.Log("The number for key to cancel in tamrel.set is out of range. Using "
                               "default of 27 (Escape).");
                }
            }
            if (IsKeyLine(line, key::kKeyToRestart)) {
                ++keyLineCount;
                logs.Log("In Tamrel.set, " + line);
                state.RestartKey = ToInt16(LenientNumber(Trim(KeyValue(line, key::kKeyToRestart))));
                if (state.RestartKey < -1 || state.RestartKey > 255) {
                    state.RestartKey = 0;
                    logs.Log("The number for key to re start in tamrel.set is out of range. Using "
                               "default of 0 (None).");
                }
                if (state.RestartKey == state.CancelKey) {
                    state.RestartKey = 0;
                    logs.Log("The number for key to re start in tamrel.set is the same as the cancel "
                               "key. Using default of 0 (None).");
                }
            }
            if (IsKeyLine(line, key::kBoxX)) {
                ++keyLineCount;
                state.BoxX = Number16(line, key::kBoxX);
            }
            if (IsKeyLine(line, key::kBoxY)) {
                ++keyLineCount;
                state.BoxY = Number16(line, key::kBoxY);
            }
            if (IsKeyLine(line, key::kBoxFont)) {
                ++keyLineCount;
                state.BoxFontName = Trim(KeyValue(line, key::kBoxFont));
                if (state.BoxFontName.empty()) state.BoxFontName = "arial";
            }
            if (IsKeyLine(line, key::kBoxFontSize)) {
                ++keyLineCount;
                state.BoxFontSize = Trim(KeyValue(line, key::kBoxFontSize));
                if (LenientNumber(state.BoxFontSize) < 0) state.BoxFontSize = "10";
            }
            if (IsKeyLine(line, key::kBoxBold)) {
                ++keyLineCount;
                state.BoxBold = Trim(KeyValue(line, key::kBoxBold));
                if (state.BoxBold.empty()) state.BoxBold = "False";
            }
            if (IsKeyLine(line, key::kBoxItalic)) {
                ++keyLineCount;
                state.BoxItalic = ToBoolean(LowerCase(Trim(KeyValue(line, key::kBoxItalic))));
            }
            if (IsKeyLine(line, key::kBoxColor)) {
                ++keyLineCount;
                state.BoxColor = ToInt32(LenientNumber(Trim(KeyValue(line, key::kBoxColor))));
                if (state.BoxColor < 0 || state.BoxColor > kMaxColor) state.BoxColor = 0;
            }
            if (IsKeyLine(line, key::kSkin)) {
                ++keyLineCount;
                state.SkinPath = Trim(KeyValue(line, key::kSkin));
                if (!EndsWith(state.SkinPath, ".bmp")) state.SkinPath.clear();
            }
            logs.Log("In tamrel.set, " + line);
        }
    } catch (const RuntimeError& error) {
        throw NamingLine(error, current ? *current : std::string());
    }

    // A file written before the re-start key existed has one key line fewer.
    if (!restartLineSeen) ++keyLineCount;
    if (keyLineCount == 14) return SetupReadResult::Accepted;

    DiscardDamagedSettings(logs, files, ui, kDamagedFilePrompt);
    return SetupReadResult::Corrupt;
}

}  // namespace tamrel
