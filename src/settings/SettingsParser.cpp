#include "settings/SettingsParser.h"

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
};

Value Convert(ValueKind kind, const std::string& raw) {
    Value value;
    switch (kind) {
        case ValueKind::None: break;
        case ValueKind::Text: value.text = raw; break;
        case ValueKind::TrimmedText: value.text = Trim(raw); break;
        case ValueKind::Number16: value.number = ToInt16(LenientNumber(raw)); break;
        case ValueKind::Number32: value.number = ToInt32(LenientNumber(Trim(raw))); break;
        case ValueKind::Flag: value.flag = ToBoolean(Trim(raw)); break;
        case ValueKind::YesNo: value.flag = Trim(LowerCase(raw)) == "yes"; break;
    }
    return value;
}

bool Applies(const Replacement& replacement, const Value& value, const Settings& read) {
    switch (replacement.check) {
        case Check::Never: return false;
        case Check::OutsideRange: return value.number < replacement.low || value.number > replacement.high;
        case Check::Is: return value.number == replacement.low;
        case Check::SameAsCancelKey: return value.number == read.cancelKey;
        case Check::EmptyText: return value.text.empty();
        case Check::BelowZero: return LenientNumber(value.text) < 0;
        case Check::NotBitmapName: return !EndsWith(value.text, ".bmp");
    }
    return false;
}

void Store(Settings& s, Field field, const Value& value) {
    const auto number16 = static_cast<std::int16_t>(value.number);
    switch (field) {
        case Field::RunSetup: s.runSetup = value.flag; break;
        case Field::Program: s.programPath = value.text; break;
        case Field::ShutdownMethod: s.shutdownMethod = number16; break;
        case Field::CancelSeconds: s.cancelSeconds = number16; break;
        case Field::CancelKey: s.cancelKey = number16; break;
        case Field::RestartKey: s.restartKey = number16; break;
        case Field::BoxTop: s.boxTop = number16; break;
        case Field::BoxLeft: s.boxLeft = number16; break;
        case Field::BoxFontName: s.boxFontName = value.text; break;
        case Field::BoxFontSize: s.boxFontSize = value.text; break;
        case Field::BoxBold: s.boxBold = value.text; break;
        case Field::BoxItalic: s.boxItalic = value.flag; break;
        case Field::BoxColor: s.boxColor = static_cast<std::int32_t>(value.number); break;
        case Field::SkinPath: s.skinPath = value.text; break;
    }
}

}  // namespace

std::optional<Field> SettingsParser::ReadLine(const std::string& line) {
    if (IsComment(line)) return std::nullopt;
    if (IsKeyLine(line, LowerCase(KeyOf(Field::RestartKey).written))) restartLineSeen_ = true;
    for (const KeyDef& key : SettingsKeys()) {
        const ReaderRule& rule = key.For(reader_);
        if (!rule.counts || !IsKeyLine(line, LowerCase(key.written))) continue;
        try {
            Take(key, rule, line);
        } catch (const RuntimeError& error) {
            throw NamingLine(error, line);
        }
        // No key text begins another, so no other key can match.
        return key.field;
    }
    return std::nullopt;
}

void SettingsParser::Take(const KeyDef& key, const ReaderRule& rule, const std::string& line) {
    ++keyLines_;
    const std::string logLine = "In Tamrel.set, " + line;
    if (rule.log == LineLog::BeforeValue) logs_.Log(logLine);
    if (rule.kind != ValueKind::None) {
        Value value = Convert(rule.kind, KeyValue(line, LowerCase(key.written)));
        for (const Replacement& replacement : {rule.first, rule.second}) {
            if (!Applies(replacement, value, into_)) continue;
            value.number = replacement.number;
            value.text = replacement.text;
            if (!replacement.logLine.empty()) logs_.Log(std::string(replacement.logLine));
        }
        Store(into_, key.field, value);
    }
    if (rule.log == LineLog::AfterValue) logs_.Log(logLine);
}

}  // namespace tamrel
