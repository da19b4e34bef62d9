#pragma once
// The one line parser every reader of the settings file uses: a line is
// tested against each key of the table in turn, and the reader's rule for
// the key it matches says what is counted, logged, converted and replaced.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "log/Logs.h"
#include "settings/Settings.h"
#include "settings/SettingsKeys.h"

namespace tamrel {

// A line whose value could not be used, and why.
struct BadValue {
    std::string line;
    std::string why;
};

// A value the reader did not use as written, as the checker hears of it.
struct ValueUse {
    Field field;
    std::string line;
    Check why = Check::Never;  // Never: the value did not convert
    std::string becomes;       // what the reader uses; "" when it stops
    std::string error;         // why it did not convert
};
using ValueWatch = std::function<void(const ValueUse&)>;

// One field of `from` into `to`.
void CopyField(Settings& to, const Settings& from, Field field);
// A field as the settings file writes it.
std::string FieldText(const Settings& s, Field field);

class SettingsParser {
public:
    // Without a fallback, a value that does not convert raises a
    // RuntimeError that names the line, the fields keeping what was read
    // before it. With one, the field takes the fallback's value, the line
    // is listed in badValues(), and the reading goes on.
    SettingsParser(Reader reader, Settings& into, Logs& logs, const Settings* fallback = nullptr)
        : reader_(reader), into_(into), logs_(&logs), fallback_(fallback) {}
    // Without logs: the checker's reading, which writes nothing.
    SettingsParser(Reader reader, Settings& into, Logs* logs, const Settings* fallback, ValueWatch watch)
        : reader_(reader), into_(into), logs_(logs), fallback_(fallback), watch_(std::move(watch)) {}

    // The field the line filled, if any. Comment lines are skipped.
    std::optional<Field> ReadLine(const std::string& line);

    // Lines of a key this reader counts.
    int keyLines() const { return keyLines_; }
    // A re-start key line was met: the file is of the current version.
    bool restartLineSeen() const { return restartLineSeen_; }
    const std::vector<BadValue>& badValues() const { return badValues_; }

private:
    void Take(const KeyDef& key, const ReaderRule& rule, const std::string& line);
    void Log(const std::string& line) const;

    Reader reader_;
    Settings& into_;
    Logs* logs_;
    const Settings* fallback_;
    ValueWatch watch_;
    std::vector<BadValue> badValues_;
    int keyLines_ = 0;
    bool restartLineSeen_ = false;
};

}  // namespace tamrel
