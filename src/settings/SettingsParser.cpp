#include "settings/SettingsParser.h"

#include <algorithm>

#include "settings/Numbers.h"
#include "settings/SettingsFile.h"
#include "settings/Text.h"

namespace tamrel {

namespace {

// A value as a reader holds it: a number field uses `number`, a text field
// `text`, a flag `flag`.
struct Value {
    long number = 0;
    std::string text;
    bool flag = false;
    bool readable = true;
};

// Far beyond every range, yet safely a long.
constexpr double kCountLimit = 1e9;

Value Convert(ValueKind kind, const std::string& raw) {
    Value value;
    switch (kind) {
        case ValueKind::None: break;
        case ValueKind::Text: value.text = raw; break;
        case ValueKind::TrimmedText: value.text = Trim(raw); break;
        case ValueKind::Number16: value.number = ToInt16(LenientNumber(raw)); break;
        case ValueKind::Number32: value.number = ToInt32(LenientNumber(Trim(raw))); break;
        case ValueKind::Count: {
            const std::optional<double> number = LeadingNumber(raw);
            value.readable = number.has_value();
            value.number = static_cast<long>(std::clamp(RoundHalfEven(number.value_or(0)), -kCountLimit, kCountLimit));
            break;
        }
        case ValueKind::Flag: value.flag = ToBoolean(Trim(raw)); break;
        case ValueKind::YesNo: value.flag = Trim(LowerCase(raw)) == "yes"; break;
        case ValueKind::TimeOfDay: {
            const std::optional<long> minutes = ReadTimeOfDay(raw);
            value.readable = minutes.has_value();
            value.number = minutes.value_or(kNoTimeOfDay);
            break;
        }
    }
    return value;
}

bool Applies(const Replacement& replacement, const Value& value, const Settings& read) {
    switch (replacement.check) {
        case Check::Never: return false;
        case Check::OutsideRange: return value.number < replacement.low || value.number > replacement.high;
        case Check::Is: return value.number == replacement.low;
        case Check::SameAsCancelKey: return value.number == read.cancelKey;
        case Check::SameAsCancelButton: return value.number != 0 && value.number == read.cancelButton;
        case Check::EmptyText: return value.text.empty();
        case Check::BelowZero: return LenientNumber(value.text) < 0;
        case Check::NotBitmapName: return !EndsWith(value.text, ".bmp");
        case Check::Unreadable: return !value.readable;
    }
    return false;
}

// Calls `use` with the member pointer of the field: one place knows which
// member each field is.
template <typename Use>
void WithMember(Field field, Use&& use) {
    switch (field) {
        case Field::RunSetup: use(&Settings::runSetup); break;
        case Field::Program: use(&Settings::programPath); break;
        case Field::ShutdownMethod: use(&Settings::shutdownMethod); break;
        case Field::CancelSeconds: use(&Settings::cancelSeconds); break;
        case Field::CancelKey: use(&Settings::cancelKey); break;
        case Field::RestartKey: use(&Settings::restartKey); break;
        case Field::BoxTop: use(&Settings::boxTop); break;
        case Field::BoxLeft: use(&Settings::boxLeft); break;
        case Field::BoxFontName: use(&Settings::boxFontName); break;
        case Field::BoxFontSize: use(&Settings::boxFontSize); break;
        case Field::BoxBold: use(&Settings::boxBold); break;
        case Field::BoxItalic: use(&Settings::boxItalic); break;
        case Field::BoxColor: use(&Settings::boxColor); break;
        case Field::SkinPath: use(&Settings::skinPath); break;
        case Field::ShortestRun: use(&Settings::shortestRun); break;
        case Field::CancelButton: use(&Settings::cancelButton); break;
        case Field::RestartButton: use(&Settings::restartButton); break;
        case Field::IdleMinutes: use(&Settings::idleMinutes); break;
        case Field::ClosingTime: use(&Settings::closingTime); break;
        case Field::WakeTime: use(&Settings::wakeTime); break;
    }
}

void Assign(bool& member, const Value& value) { member = value.flag; }
void Assign(std::string& member, const Value& value) { member = value.text; }
template <typename Number>
void Assign(Number& member, const Value& value) {
    member = static_cast<Number>(value.number);
}

std::string AsText(bool flag) { return flag ? "True" : "False"; }
std::string AsText(const std::string& text) { return text; }
template <typename Number>
std::string AsText(Number number) {
    return PlainNumber(static_cast<long>(number));
}

// What a replacement puts in the reader's hands, as the file would say it.
std::string ReplacedText(ValueKind kind, const Replacement& replacement) {
    switch (kind) {
        case ValueKind::Text:
        case ValueKind::TrimmedText: return std::string(replacement.text);
        case ValueKind::TimeOfDay: return TimeOfDayText(replacement.number);
        default: return PlainNumber(replacement.number);
    }
}

void Store(Settings& s, Field field, const Value& value) {
    WithMember(field, [&](auto member) { Assign(s.*member, value); });
}

}  // namespace

void CopyField(Settings& to, const Settings& from, Field field) {
    WithMember(field, [&](auto member) { to.*member = from.*member; });
}

std::string FieldText(const Settings& s, Field field) {
    std::string text;
    WithMember(field, [&](auto member) { text = AsText(s.*member); });
    return text;
}

std::optional<Field> SettingsParser::ReadLine(const std::string& line) {
    if (IsComment(line)) return std::nullopt;
    if (IsKeyLine(line, LowerCase(KeyOf(Field::RestartKey).written))) restartLineSeen_ = true;
    for (const KeyDef& key : SettingsKeys()) {
        const ReaderRule& rule = key.For(reader_);
        if ((!rule.counts && rule.kind == ValueKind::None) || !IsKeyLine(line, LowerCase(key.written))) continue;
        try {
            Take(key, rule, line);
        } catch (const RuntimeError& error) {
            if (watch_ && IsConversionError(error)) {
                watch_({key.field, line, Check::Never, fallback_ ? FieldText(*fallback_, key.field) : "", error.Description()});
            }
            if (!fallback_ || !IsConversionError(error)) throw NamingLine(error, line);
            CopyField(into_, *fallback_, key.field);
            badValues_.push_back({line, error.Description()});
        }
        // No key text begins another, so no other key can match.
        return key.field;
    }
    return std::nullopt;
}

void SettingsParser::Take(const KeyDef& key, const ReaderRule& rule, const std::string& line) {
    if (rule.counts) ++keyLines_;
    const std::string logLine = "In Tamrel.set, " + line;
    if (rule.log == LineLog::BeforeValue) Log(logLine);
    if (rule.kind != ValueKind::None) {
        Value value = Convert(rule.kind, KeyValue(line, LowerCase(key.written)));
        for (const Replacement& replacement : {rule.first, rule.second, rule.third}) {
            if (!Applies(replacement, value, into_)) continue;
            value.number = replacement.number;
            value.text = replacement.text;
            value.readable = true;
            if (watch_) watch_({key.field, line, replacement.check, ReplacedText(rule.kind, replacement), {}});
            if (replacement.logLine.empty() || !logs_) continue;
            logs_->Log(std::string(replacement.logLine));
            if (rule.toldInErrorLog) logs_->AppendErrorLog(" --" + std::string(replacement.logLine));
        }
        Store(into_, key.field, value);
    }
    if (rule.log == LineLog::AfterValue) Log(logLine);
}

void SettingsParser::Log(const std::string& line) const {
    if (logs_) logs_->Log(line);
}

}  // namespace tamrel
