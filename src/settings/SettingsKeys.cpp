#include "settings/SettingsKeys.h"

#include "settings/Settings.h"

namespace tamrel {

namespace {

using enum ValueKind;
using enum Check;

constexpr std::string_view kCancelTimeMessage =
    "The number in tamrel.set for cancel time is not within range, default of 10 being used.";
constexpr std::string_view kCancelKeyMessage =
    "The number for key to cancel in tamrel.set is out of range. Using default of 27 (Escape).";
// No key gives 0: a countdown nobody could stop would power off whatever
// the user does.
constexpr std::string_view kCancelKeyZeroMessage =
    "The key to cancel in tamrel.set is 0, which no key gives. Using 27 (Escape).";
constexpr std::string_view kCancelKeyEnterMessage =
    "The number for key to cancel in tamrel.set is out of range. Using 13 (Enter).";
constexpr std::string_view kShortestRunMessage =
    "The number in tamrel.set for shortest run is not within range, default of 10 being used.";
constexpr std::string_view kShortestRunUnreadable =
    "The number in tamrel.set for shortest run cannot be read, default of 10 being used.";
constexpr std::string_view kRestartKeyMessage =
    "The number for key to re start in tamrel.set is out of range. Using default of 0 (None).";
constexpr std::string_view kRestartSameMessage =
    "The number for key to re start in tamrel.set is the same as the cancel key. Using default of 0 (None).";

constexpr std::string_view kCancelButtonMessage =
    "The number for joystick button to cancel in tamrel.set is out of range. Using default of 0 (None).";
constexpr std::string_view kRestartButtonMessage =
    "The number for joystick button to re start in tamrel.set is out of range. Using default of 0 (None).";
constexpr std::string_view kCancelButtonUnreadable =
    "The number for joystick button to cancel in tamrel.set cannot be read. Using default of 0 (None).";
constexpr std::string_view kRestartButtonUnreadable =
    "The number for joystick button to re start in tamrel.set cannot be read. Using default of 0 (None).";
constexpr std::string_view kRestartButtonSameMessage =
    "The joystick button to re start in tamrel.set is the same as the cancel button. Using default of 0 (None).";

constexpr std::string_view kIdleMinutesMessage =
    "The number for idle minutes to power off in tamrel.set is out of range. Power off when idle is off.";
constexpr std::string_view kIdleMinutesUnreadable =
    "The number for idle minutes to power off in tamrel.set cannot be read. Power off when idle is off.";

constexpr std::string_view kClosingTimeUnreadable =
    "The time for power off at in tamrel.set cannot be read (HH:MM). No closing time is used.";
constexpr std::string_view kWakeTimeUnreadable =
    "The time for wake up at in tamrel.set cannot be read (HH:MM). No wake-up time is set.";

constexpr Replacement OutsideOf(long low, long high, long number, std::string_view logLine = {}) {
    return {OutsideRange, low, high, number, {}, logLine};
}
constexpr Replacement IfZero(long number, std::string_view logLine) { return {Is, 0, 0, number, {}, logLine}; }
constexpr Replacement IfSameAsCancelKey(std::string_view logLine = {}) {
    return {SameAsCancelKey, 0, 0, 0, {}, logLine};
}
constexpr Replacement IfSameAsCancelButton(std::string_view logLine = {}) {
    return {SameAsCancelButton, 0, 0, 0, {}, logLine};
}
constexpr Replacement IfText(Check check, std::string_view text) { return {check, 0, 0, 0, text, {}}; }
constexpr Replacement IfUnreadable(long number, std::string_view logLine) {
    return {Unreadable, 0, 0, number, {}, logLine};
}

// A key line the screen counts and logs before it reads the value.
constexpr ReaderRule Shown(ValueKind kind, Replacement first = {}, Replacement second = {}) {
    return {kind, true, LineLog::BeforeValue, first, second};
}
constexpr ReaderRule Read(ValueKind kind, Replacement first = {}, Replacement second = {}) {
    return {kind, true, LineLog::None, first, second};
}
constexpr ReaderRule kCountedOnly = Read(None);
// A line only Tamrel writes: read where present, never missed. A value
// that does not read or lies out of range takes the default, in both logs,
// and never ends the run.
constexpr ReaderRule Ours(LineLog log, Replacement unreadable, Replacement outside, Replacement third = {}) {
    return {Count, false, log, unreadable, outside, third, true};
}
constexpr ReaderRule kIgnored{};

// The screen and setup read these alike; only the screen logs the line
// itself, since setup logs every line anyway.
constexpr ReaderRule ShortestRunRule(LineLog log) {
    return Ours(log, IfUnreadable(kDefaultShortestRun, kShortestRunUnreadable),
                OutsideOf(0, 3600, kDefaultShortestRun, kShortestRunMessage));
}
constexpr ReaderRule CancelButtonRule(LineLog log) {
    return Ours(log, IfUnreadable(0, kCancelButtonUnreadable),
                OutsideOf(0, kMaxJoystickButton, 0, kCancelButtonMessage));
}
constexpr ReaderRule RestartButtonRule(LineLog log) {
    return Ours(log, IfUnreadable(0, kRestartButtonUnreadable),
                OutsideOf(0, kMaxJoystickButton, 0, kRestartButtonMessage),
                IfSameAsCancelButton(kRestartButtonSameMessage));
}

constexpr ReaderRule IdleMinutesRule(LineLog log) {
    return Ours(log, IfUnreadable(0, kIdleMinutesUnreadable), OutsideOf(0, kMaxIdleMinutes, 0, kIdleMinutesMessage));
}

constexpr ReaderRule TimeOfDayRule(LineLog log, std::string_view unreadable) {
    return {TimeOfDay, false, log, IfUnreadable(-1, unreadable), {}, {}, true};
}

// Any colour the colour dialog can give.
constexpr long kMaxColor = 0xFFFFFF;

constexpr std::array<KeyDef, kKeyCount> kKeys = {{
    {Field::RunSetup, "Run Setup =", Shown(YesNo), kCountedOnly, kCountedOnly},
    {Field::Program, "Program =", Read(Text), kIgnored, Read(TrimmedText)},
    {Field::ShutdownMethod, "Shutdown method =", kIgnored, Shown(Number16, OutsideOf(0, 2, 0)),
     Read(Number16, OutsideOf(0, 2, 0))},
    {Field::CancelSeconds, "Seconds to cancel =", kIgnored, Shown(Number16, OutsideOf(5, 25, 10)),
     Read(Number16, OutsideOf(5, 25, 10, kCancelTimeMessage))},
    {Field::CancelKey, "Key to cancel =", kIgnored,
     Shown(Number16, OutsideOf(-1, 255, 13, kCancelKeyEnterMessage), IfZero(27, kCancelKeyZeroMessage)),
     Read(Number16, OutsideOf(-1, 255, 27, kCancelKeyMessage), IfZero(27, kCancelKeyMessage))},
    {Field::RestartKey, "Key to re-start =", kIgnored, Shown(Number16, OutsideOf(-1, 255, 0), IfSameAsCancelKey()),
     Shown(Number16, OutsideOf(-1, 255, 0, kRestartKeyMessage), IfSameAsCancelKey(kRestartSameMessage))},
    {Field::BoxTop, "Countdown box X position =", kIgnored, Shown(Number16), Read(Number16)},
    {Field::BoxLeft, "Countdown box Y position =", kIgnored, Shown(Number16), Read(Number16)},
    {Field::BoxFontName, "Countdown box font =", kIgnored, Shown(TrimmedText),
     Read(TrimmedText, IfText(EmptyText, "arial"))},
    {Field::BoxFontSize, "Countdown box fontsize =", kIgnored, Shown(TrimmedText),
     Read(TrimmedText, IfText(BelowZero, "10"))},
    {Field::BoxBold, "Countdown box bold font =", kIgnored, Shown(TrimmedText),
     Read(TrimmedText, IfText(EmptyText, "False"))},
    // The screen logs the italic line only once its value has converted.
    {Field::BoxItalic, "Countdown box italic =", kIgnored, {Flag, true, LineLog::AfterValue, {}, {}}, Read(Flag)},
    {Field::BoxColor, "Countdown box color =", kIgnored, Shown(Number32), Read(Number32, OutsideOf(0, kMaxColor, 0))},
    {Field::SkinPath, "Skin =", kIgnored, Shown(TrimmedText, IfText(EmptyText, "Use default")),
     Read(TrimmedText, IfText(NotBitmapName, ""))},
    {Field::ShortestRun, "Shortest run in seconds =", kIgnored, ShortestRunRule(LineLog::BeforeValue),
     ShortestRunRule(LineLog::None)},
    {Field::CancelButton, "Joystick button to cancel =", kIgnored, CancelButtonRule(LineLog::BeforeValue),
     CancelButtonRule(LineLog::None)},
    {Field::RestartButton, "Joystick button to re-start =", kIgnored, RestartButtonRule(LineLog::BeforeValue),
     RestartButtonRule(LineLog::None)},
    // Read by the run before its wait, which needs it; the screen that
    // follows leaves it to that, so that it is logged once.
    {Field::IdleMinutes, "Idle minutes to power off =", IdleMinutesRule(LineLog::BeforeValue), kIgnored,
     IdleMinutesRule(LineLog::None)},
    // Closing time is the wait's, like the idle minutes; the wake-up time is
    // set by the screen just before it powers off.
    {Field::ClosingTime, "Power off at =", TimeOfDayRule(LineLog::BeforeValue, kClosingTimeUnreadable), kIgnored,
     TimeOfDayRule(LineLog::None, kClosingTimeUnreadable)},
    {Field::WakeTime, "Wake up at =", kIgnored, TimeOfDayRule(LineLog::BeforeValue, kWakeTimeUnreadable),
     TimeOfDayRule(LineLog::None, kWakeTimeUnreadable)},
}};

constexpr bool InFieldOrder() {
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        if (kKeys[i].field != static_cast<Field>(i)) return false;
    }
    return true;
}
static_assert(InFieldOrder(), "KeyOf finds a key by its field's number");

}  // namespace

const ReaderRule& KeyDef::For(Reader reader) const {
    switch (reader) {
        case Reader::StartUp: return startUp;
        case Reader::Screen: return screen;
        case Reader::Setup: break;
    }
    return setup;
}

const std::array<KeyDef, kKeyCount>& SettingsKeys() { return kKeys; }

int CountedKeys(Reader reader) {
    int counted = 0;
    for (const KeyDef& key : kKeys) counted += key.For(reader).counts ? 1 : 0;
    return counted;
}

const KeyDef& KeyOf(Field field) { return kKeys[static_cast<std::size_t>(field)]; }

}  // namespace tamrel
