#include "SettingsTemplate.h"

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
        bool found = false;
        for (auto it = lines.begin(); !key.empty() && it != lines.end();) {
            if ((*it)[0] != '#' && KeyOf(*it) == key) {
                found = true;
                if (remove) {
                    it = lines.erase(it);
                    continue;
                }
                *it = line;
            }
            ++it;
        }
        if (!found && !remove) lines.push_back(line);
    }
    return lines;
}

}  // namespace tamrel::test
