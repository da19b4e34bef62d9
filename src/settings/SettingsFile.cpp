#include "settings/SettingsFile.h"

#include "platform/Paths.h"
#include "settings/Text.h"

namespace tamrel {

std::string SettingsFilePath(const FileSystem& files) { return InSettingsFolder(files, "tamrel.set"); }

SettingsSource FindSettings(FileSystem& files) {
    const std::string own = SettingsFilePath(files);
    if (files.FileExists(own) || files.IsFolder(own)) return {own, false};
    for (const std::string& folder : files.SystemSettingsFolders()) {
        const std::string path = FolderPrefix(folder, files.Separator()) + "tamrel.set";
        if (files.FileExists(path)) return {path, true};
    }
    return {own, false};
}

std::vector<std::string> SplitLines(std::string_view bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') continue;
        lines.emplace_back(bytes.substr(start, i - start));
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
    return lines;
}

bool IsKeyLine(std::string_view line, std::string_view keyText) {
    return line.size() >= keyText.size() && LowerCase(line.substr(0, keyText.size())) == keyText;
}

std::string KeyValue(std::string_view line, std::string_view keyText) {
    return Mid(line, keyText.size() + 1);
}

std::optional<std::vector<std::string>> ReadSettingsLines(FileSystem& files, const std::string& path) {
    constexpr std::uint64_t kLargest = 1 << 20;
    if (files.FileSize(path) > kLargest) return std::nullopt;
    return SplitLines(files.ReadFile(path));
}

bool IsConversionError(const RuntimeError& error) {
    return error.Number() == error::kOverflow || error.Number() == error::kTypeMismatch;
}

RuntimeError NamingLine(const RuntimeError& error, const std::string& line) {
    if (!IsConversionError(error)) return error;
    return RuntimeError(error.Number(), error.Description() + ": " + line);
}

}  // namespace tamrel
