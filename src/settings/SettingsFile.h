#pragma once
// The settings file tamrel.set: where it lives, its lines and its keys.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/RuntimeError.h"

namespace tamrel {

// The user's own tamrel.set: the one setup writes.
std::string SettingsFilePath(const FileSystem& files);

// The file a reader reads: the user's own when it is there (or something
// stands in its place), else the first of the system's folders that holds
// one; else the user's, missing. The system's file is never written,
// moved or removed.
struct SettingsSource {
    std::string path;
    bool system = false;
};
SettingsSource FindSettings(FileSystem& files);

// A line ends at CR LF, at a CR alone or at a LF alone; the end is not part
// of the line. Files from any editor, Windows or not, read the same.
std::vector<std::string> SplitLines(std::string_view bytes);

// The settings file's lines, or none when the file is far larger than any
// settings file (about 3 KB): such a file is damaged, and is not read.
std::optional<std::vector<std::string>> ReadSettingsLines(FileSystem& files, const std::string& path);

// A line the readers skip: its first character is "#".
inline bool IsComment(std::string_view line) { return !line.empty() && line[0] == '#'; }

// The line begins, in the first column and in any letter case, with the key.
bool IsKeyLine(std::string_view line, std::string_view keyText);
// A value of `line` that did not convert, told with the line it came from;
// any other failure unchanged.
RuntimeError NamingLine(const RuntimeError& error, const std::string& line);
// A value that did not convert to its field's type or width.
bool IsConversionError(const RuntimeError& error);

// The rest of the line behind the key text, unchanged.
std::string KeyValue(std::string_view line, std::string_view keyText);

}  // namespace tamrel
