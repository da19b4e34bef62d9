#pragma once
// The keys of the settings file as one table: the text each is written and
// matched by, and how each of the three readers takes it: whether it counts
// the line, logs it, converts the value, and what it puts in place of a
// value outside its range.

#include <array>
#include <string_view>

namespace tamrel {

enum class Field {
    RunSetup, Program, ShutdownMethod, CancelSeconds, CancelKey, RestartKey, BoxTop, BoxLeft,
    BoxFontName, BoxFontSize, BoxBold, BoxItalic, BoxColor, SkinPath, ShortestRun, CancelButton, RestartButton,
    IdleMinutes, ClosingTime, WakeTime,
};

// The start-up's look at the file, the shutdown screen's and setup's.
enum class Reader { StartUp, Screen, Setup };

enum class ValueKind {
    None,         // the line counts, the value is not used
    Text,         // as it stands
    TrimmedText,  // blanks removed at both ends
    Number16,     // the lenient number, rounded to 16 bits
    Number32,
    // The lenient number of any size, for the lines only Tamrel writes: a
    // value too large is out of range and a text without a number cannot
    // be read, both replaced, so that no such line can stop a run.
    Count,
    Flag,         // true, false or a number
    YesNo,        // "yes" in any case and with blanks around is true
    TimeOfDay,    // "HH:MM" as minutes after midnight, blank as -1; else unreadable
};

enum class Check {
    Never,            // no replacement
    OutsideRange,     // the number is below `low` or above `high`
    Is,               // the number is `low`
    SameAsCancelKey,  // the number equals the cancel key read so far
    SameAsCancelButton,  // a button, and the cancel button read so far
    EmptyText,
    BelowZero,        // the leading number of the text is below 0
    NotBitmapName,    // the text does not end with ".bmp", exactly
    Unreadable,       // a Count without a number
};

struct Replacement {
    Check check = Check::Never;
    long low = 0;
    long high = 0;
    long number = 0;           // what a number becomes
    std::string_view text;     // what a text becomes
    std::string_view logLine;  // empty: replaced silently
};

enum class LineLog {
    None,
    BeforeValue,  // "In Tamrel.set, " and the line, then the value is read
    AfterValue,   // only once the value has converted
};

struct ReaderRule {
    ValueKind kind = ValueKind::None;  // None and not counted: the reader ignores the key
    // Counts toward the file's completeness. Keys added after the first
    // version's do not, so that a file without them stays complete.
    bool counts = false;
    LineLog log = LineLog::None;
    Replacement first{};
    Replacement second{};
    Replacement third{};
    // A replacement's line goes to the error log too: the owner, who may
    // never read the event log, learns that a line of the file was not used.
    bool toldInErrorLog = false;
};

struct KeyDef {
    Field field;
    std::string_view written;  // as the writer puts it, "Key to cancel ="
    ReaderRule startUp, screen, setup;

    const ReaderRule& For(Reader reader) const;
};

inline constexpr std::size_t kKeyCount = 20;

// In the order every reader tests a line against them.
const std::array<KeyDef, kKeyCount>& SettingsKeys();
// How many key lines a complete file holds for the reader.
int CountedKeys(Reader reader);
const KeyDef& KeyOf(Field field);

}  // namespace tamrel
