#include "SettingsTemplate.h"

#include <algorithm>

#include "settings/SettingsFile.h"
#include "settings/SettingsWriter.h"
#include "settings/Text.h"

namespace tamrel::test {

namespace {

std::string KeyOf(const std::string& line) {
    const auto equals = line.find('=');
    return equals == std::string::npos ? std::string() : LowerCase(line.substr(0, equals + 1));
}

}  // namespace

std::vector<std::string> SettingsTemplate(const std::vector<std::string>& overrides) {
    Settings base;
    base.shutdownMethod = 1;
    base.cancelSeconds = 10;
    base.cancelKey = 27;
    base.boxFontName = "arial";
    base.boxFontSize = "20";
    base.boxBold = "False";
    base.skinPath = "use default";
    std::vector<std::string> lines = SplitLines(SettingsFileText(base, "1/1/2026 12:00:00 AM"));
    for (const std::string& override : overrides) {
        const bool remove = !override.empty() && override[0] == '-';
        const std::string line = remove ? override.substr(1) : override;
        const std::string key = KeyOf(line);
        const auto same = [&](const std::string& l) { return !key.empty() && l[0] != '#' && KeyOf(l) == key; };
        if (remove) {
            std::erase_if(lines, same);
        } else if (const auto it = std::find_if(lines.begin(), lines.end(), same); it != lines.end()) {
            *it = line;
        } else {
            lines.push_back(line);
        }
    }
    return lines;
}

}  // namespace tamrel::test
