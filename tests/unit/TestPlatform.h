#pragma once
// A program folder of its own for each test, real files in it, and the
// headless backend for everything else.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/ProgramWatch.h"
#include "platform/RuntimeError.h"
#include "platform/headless/HeadlessServices.h"
#include "platform/headless/HeadlessToolkit.h"
#include "run/Application.h"

namespace tamrel::test {

using Lines = std::vector<std::string>;

class TestPlatform {
public:
    // The marker the system looks for first: `markerName` in the folder.
    explicit TestPlatform(const std::string& markerName = "holdmark.tes");
    ~TestPlatform();

    std::string folder() const { return folder_.string(); }
    std::string Path(const std::string& name) const;
    std::string marker() const { return Path("holdmark.tes"); }

    void Write(const std::string& name, const std::string& content) const;
    std::string Read(const std::string& name) const;
    bool Exists(const std::string& name) const;
    // The event lines of talog1.txt after the header, without date and time.
    std::vector<std::string> Events() const;
    // The error-log entries, without date and time.
    std::vector<std::string> Errors() const;
    // How many event lines read exactly so; the last n event lines.
    long Logged(const std::string& line) const;
    std::vector<std::string> LastEvents(std::size_t n) const;
    // The lines of the settings file that are not comments.
    std::vector<std::string> KeyLines() const;
    const headless::MessageBoxCall& Box(std::size_t i = 0) const { return ui.messageBoxes().at(i); }
    // A script the system can start; its path.
    std::string Runnable(const std::string& name, const std::string& body = "#!/bin/sh\n") const;
    // A window of that name was shown; and it is still open.
    bool Shown(const std::string& window) { return ui.FindWindow(window) && ui.FindWindow(window)->shown(); }
    bool Open(const std::string& window) { return Shown(window) && !ui.FindWindow(window)->closed(); }
    // A control of the shutdown screen.
    ui::Control& Screen(const std::string& control) { return ui.ControlOf("ShutdownScreen", control); }
    // A settings file from lines joined with CR LF.
    void WriteSettings(const std::vector<std::string>& lines) const;
    // A complete settings file that launches this folder's own front.exe,
    // with these lines replaced.
    void WriteLaunchable(const std::vector<std::string>& overrides = {}) const;
    // A run whose message boxes take these answers, in turn.
    void Start(const std::vector<int>& answers = {});
    // The shutdown screen after a long run, over a complete settings file
    // with these lines replaced, its message boxes taking these answers.
    void ShowScreen(const std::vector<std::string>& overrides = {}, const std::vector<int>& answers = {});
    // A run over a launchable settings file with these lines replaced, its
    // wait for the program going as scripted.
    void StartScripted(const std::vector<std::string>& overrides, std::vector<headless::WaitEvent> script);
    // The screen's line saying why Tamrel ended the program; empty while hidden.
    std::string ReasonLine();

private:
    std::filesystem::path startFolder_;  // tests change the current folder
    std::filesystem::path folder_;

public:
    std::unique_ptr<FileSystem> files;
    headless::HeadlessProcesses processes;
    headless::HeadlessClock clock;
    headless::HeadlessPower power;
    headless::HeadlessToolkit ui;
    headless::HeadlessAutostart autostart;
    headless::RecordingEventSink events;
    Platform platform;
    Application app;
};

class PlatformTest : public ::testing::Test {
protected:
    TestPlatform t;
};

// What an input source told the wait, in order: "input <ms>", "idle <ms>",
// "active <ms>" and the notes themselves.
class RecordingWatch : public ProgramWatch {
public:
    int IdleMinutes() const override { return 30; }
    void InputSeen(SteadyMs now) override { told.push_back("input " + std::to_string(now)); }
    void SourceIdle(bool idle, SteadyMs now) override {
        told.push_back((idle ? "idle " : "active ") + std::to_string(now));
    }
    void Note(const std::string& line) override { told.push_back(line); }
    SteadyMs NextDue() const override { return kNoDeadline; }
    bool Due(SteadyMs) override { return false; }
    Lines told;
};

inline constexpr SteadyMs kMinute = 60 * 1000;

// A run long enough for any shortest-run setting.
inline const RunReport kLongRun{"front.exe", 3600};

// The path of this very test program, which stands in for Tamrel.
std::string TestProgram();

// The failure an action raised; number 0 when it raised none.
RuntimeError ErrorOf(const std::function<void()>& action);

// Splits a file's text at CR LF; a last line without an end is kept.
std::vector<std::string> CrLfLines(const std::string& text);

// A complete settings file of the current version, as setup writes it, with
// the given lines replacing those of the same key.
std::vector<std::string> SettingsLines(const std::vector<std::string>& overrides = {});

}  // namespace tamrel::test
