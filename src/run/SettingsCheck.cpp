#include "run/SettingsCheck.h"

#include <algorithm>
#include <functional>

#include "platform/RuntimeError.h"
#include "run/StartUpSettings.h"
#include "settings/Numbers.h"
#include "settings/SettingsFile.h"
#include "settings/SetupReader.h"
#include "settings/Text.h"
#include "shutdown/ScreenSettings.h"

namespace tamrel {

namespace {

using Lines = std::vector<std::string>;

const char* Reason(Check check) {
    switch (check) {
        case Check::Never: break;
        case Check::OutsideRange: return "out of range";
        case Check::Is: return "is 0, which no key gives";
        case Check::SameAsCancelKey: return "the same as the cancel key";
        case Check::SameAsCancelButton: return "the same as the cancel button";
        case Check::EmptyText: return "empty";
        case Check::BelowZero: return "below 0";
        case Check::NotBitmapName: return "not a .bmp file";
        case Check::Unreadable: return "cannot be read";
    }
    return "cannot be read";
}

std::string Shown(Field field, const std::string& value) {
    if (field == Field::SkinPath && (value.empty() || LowerCase(value) == "use default")) return "the default look";
    return value.empty() ? "none" : value;
}

// One reader's findings, each told with the line it came from.
class ReaderCheck {
public:
    ReaderCheck(CheckReport& report, const Lines& lines, const char* reader, const char* named)
        : report_(report), lines_(lines), reader_(reader), named_(named) {}

    ValueWatch Watch() {
        return [this](const ValueUse& use) {
            const std::string reason = use.why == Check::Never ? "cannot be read (" + use.error + ")" : Reason(use.why);
            const bool stops = use.why == Check::Never && use.becomes.empty();
            const std::size_t line = LineOf(use.line);
            // A value the reader only spells its own way ("Use default" as
            // "") is used as written.
            const std::string written = line < lines_.size() ? Trim(KeyValue(use.line, LowerCase(KeyOf(use.field).written))) : "";
            if (!stops && Shown(use.field, written) == Shown(use.field, use.becomes)) return;
            Add(line, use.field, reason + ": " + named_ + (stops ? " stops" : " uses " + Shown(use.field, use.becomes)),
                stops ? kCheckUnusable : kCheckReplaced);
        };
    }

    // `line`: from 0, or lines.size() for the file as a whole.
    void Add(std::size_t line, Field field, const std::string& what, int status) {
        Finding finding{0, {}, {}, reader_, what, status};
        if (line < lines_.size()) {
            const std::string key = LowerCase(KeyOf(field).written);
            finding.line = line + 1;
            finding.key = std::string(KeyOf(field).written);
            finding.value = Trim(KeyValue(lines_[line], key));
        }
        report_.findings.push_back(finding);
    }
    void AddFile(const std::string& what, int status) { Add(lines_.size(), Field::RunSetup, what, status); }
    // The last line of the key, where its value for the reader comes from;
    // or the first, where a reader stops reading at it.
    std::size_t KeyLine(Field field, bool first = false) const {
        const std::string key = LowerCase(KeyOf(field).written);
        std::size_t found = lines_.size();
        for (std::size_t i = 0; i < lines_.size() && !(first && found < lines_.size()); ++i) {
            if (!IsComment(lines_[i]) && IsKeyLine(lines_[i], key)) found = i;
        }
        return found;
    }

private:
    // Readers go through the file forwards, some twice over.
    std::size_t LineOf(const std::string& text) {
        for (int pass = 0; pass < 2; ++pass) {
            const auto at = std::find(lines_.begin() + static_cast<long>(cursor_), lines_.end(), text);
            if (at != lines_.end()) return cursor_ = static_cast<std::size_t>(at - lines_.begin());
            cursor_ = 0;
        }
        return lines_.size();
    }

    CheckReport& report_;
    const Lines& lines_;
    std::string reader_;
    std::string named_;
    std::size_t cursor_ = 0;
};

// What a complete file lacks, or that it repeats a key line.
std::string Incomplete(const Lines& lines, Reader reader) {
    std::string missing;
    for (const KeyDef& key : SettingsKeys()) {
        if (!key.For(reader).counts || key.field == Field::RestartKey) continue;
        const std::string text = LowerCase(key.written);
        if (std::none_of(lines.begin(), lines.end(), [&](const std::string& l) { return !IsComment(l) && IsKeyLine(l, text); })) {
            missing += (missing.empty() ? " \"" : ", \"") + std::string(key.written) + "\"";
        }
    }
    return missing.empty() ? "a key line is repeated" : "incomplete, no" + missing + " line";
}

void CheckStartUp(FileSystem& files, const Lines& lines, CheckReport& report) {
    ReaderCheck check(report, lines, "start-up", "the start-up");
    Settings settings;
    SettingsParser parser(Reader::StartUp, settings, nullptr, nullptr, check.Watch());
    const StartUpKeys keys = ReadStartUpKeys(lines, parser, settings);
    if (keys.setupAsked) {
        check.Add(keys.next - 1, Field::RunSetup, "the start-up opens setup instead of the program", kCheckGood);
        return;
    }
    if (!keys.complete) {
        check.AddFile(Incomplete(lines, Reader::StartUp) + ": the start-up stops", kCheckUnusable);
        return;
    }
    const std::string& program = settings.programPath;
    std::string problem;
    if (program.empty()) {
        problem = "empty";
    } else if (!files.FileExists(program)) {
        problem = "does not exist";
    } else if (files.IsOwnExecutable(program)) {
        problem = "is Tamrel itself";
    } else if (!files.IsRunnable(program)) {
        problem = "cannot run";
    } else {
        try {
            files.MakeDriveCurrent(program);
        } catch (const RuntimeError& error) {
            problem = error.Description();
        }
    }
    if (!problem.empty()) check.Add(check.KeyLine(Field::Program, true), Field::Program, problem + ": the start-up stops", kCheckUnusable);
    ReadWaitSettings(lines, keys.next, settings, nullptr, check.Watch());
}

void CheckScreen(FileSystem& files, const Lines& lines, CheckReport& report) {
    ReaderCheck check(report, lines, "screen", "the screen");
    Settings settings;
    ScreenReading reading;
    try {
        reading = ReadScreenSettings(lines, settings, nullptr, check.Watch(), [&](Field field) {
            if (field != Field::SkinPath || !IsRejectedSkin(settings.skinPath)) return;
            check.Add(check.KeyLine(field), field, "not a .bmp file: the screen shows no skin", kCheckReplaced);
            settings.skinPath.clear();
        });
    } catch (const RuntimeError&) {
        return;  // the value that stops it is told already
    }
    if (reading.outcome == ScreenReading::Outcome::EarlyEnd) return;
    if (reading.outcome == ScreenReading::Outcome::Corrupt) {
        check.AddFile(Incomplete(lines, Reader::Screen) + ": the screen stops", kCheckUnusable);
        return;
    }
    if (reading.olderFile) {
        check.AddFile("an older file, without \"Key to re-start =\": the screen uses none", kCheckReplaced);
    }
    if (LowerCase(settings.skinPath) == "use default") return;
    // The skin's look, as the screen sets it up.
    if (!settings.skinPath.empty() && !files.FileExists(settings.skinPath)) {
        check.Add(check.KeyLine(Field::SkinPath), Field::SkinPath, "does not exist: the screen stops", kCheckUnusable);
    }
    const std::string size = LenientNumber(settings.boxFontSize) == 0 ? "20" : settings.boxFontSize;
    try {
        LabelFontSize(size);
    } catch (const RuntimeError& error) {
        check.Add(check.KeyLine(Field::BoxFontSize), Field::BoxFontSize,
                  "not a font size (" + error.Description() + "): the screen stops", kCheckUnusable);
    }
}

void CheckSetup(FileSystem& files, const Lines& lines, CheckReport& report) {
    ReaderCheck check(report, lines, "setup", "setup");
    Settings state = DefaultSettings(files);
    const Settings defaults = DefaultSettings(files);
    if (!ReadSetupLines(lines, state, nullptr, files, &defaults, nullptr, check.Watch())) {
        check.AddFile(Incomplete(lines, Reader::Setup) + ": setup stops", kCheckUnusable);
    }
}

}  // namespace

CheckReport CheckSettings(FileSystem& files, const std::string& path) {
    CheckReport report;
    report.path = path.empty() ? FindSettings(files).path : path;
    const auto whole = [&](const std::string& what) {
        report.findings.push_back({0, {}, {}, {}, what, kCheckUnusable});
        report.status = kCheckUnusable;
        return report;
    };
    std::optional<Lines> lines;
    try {
        if (files.IsFolder(report.path)) return whole("a folder, not a settings file: every reader stops");
        if (!files.FileExists(report.path)) return whole("missing: every reader stops, the start-up offers setup");
        lines = ReadSettingsLines(files, report.path);
    } catch (const RuntimeError& error) {
        return whole("cannot be read (" + error.Description() + "): every reader stops");
    }
    if (!lines) return whole("far larger than any settings file, so damaged: every reader stops");
    CheckStartUp(files, *lines, report);
    CheckScreen(files, *lines, report);
    CheckSetup(files, *lines, report);
    for (const Finding& finding : report.findings) report.status = std::max(report.status, finding.status);
    return report;
}

}  // namespace tamrel
