#pragma once
// The one line parser every reader of the settings file uses: a line is
// tested against each key of the table in turn, and the reader's rule for
// the key it matches says what is counted, logged, converted and replaced.

#include <optional>
#include <string>

#include "log/Logs.h"
#include "settings/Settings.h"
#include "settings/SettingsKeys.h"

namespace tamrel {

class SettingsParser {
public:
    SettingsParser(Reader reader, Settings& into, Logs& logs) : reader_(reader), into_(into), logs_(logs) {}

    // The field the line filled, if any. Comment lines are skipped. A value
    // that does not convert raises a RuntimeError that names the line; the
    // fields keep what was read before it.
    std::optional<Field> ReadLine(const std::string& line);

    // Lines of a key this reader counts.
    int keyLines() const { return keyLines_; }
    // A re-start key line was met: the file is of the current version.
    bool restartLineSeen() const { return restartLineSeen_; }

private:
    void Take(const KeyDef& key, const ReaderRule& rule, const std::string& line);

    Reader reader_;
    Settings& into_;
    Logs& logs_;
    int keyLines_ = 0;
    bool restartLineSeen_ = false;
};

}  // namespace tamrel
