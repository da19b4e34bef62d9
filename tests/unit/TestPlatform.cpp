#include "TestPlatform.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>

#include "SettingsTemplate.h"
#ifdef _WIN32
#include "platform/win32/Win32FileSystem.h"
using NativeFiles = tamrel::Win32FileSystem;
#else
#include "platform/posix/PosixFileSystem.h"
using NativeFiles = tamrel::PosixFileSystem;
#endif

namespace tamrel::test {

namespace {

std::filesystem::path NewFolder() {
    std::random_device random;
    auto path = std::filesystem::temp_directory_path() /
                ("tamrel-test-" + std::to_string(random()) + "-" + std::to_string(random()));
    std::filesystem::create_directories(path);
    return path;
}

const char* const kHeaderLine = " ";
constexpr std::size_t kHeaderLines = 6;

// The text of a log line after its date and time and what follows them.
std::vector<std::string> After(const std::vector<std::string>& lines, const std::string& lead) {
    std::vector<std::string> out;
    for (const std::string& line : lines) {
        out.push_back(line.rfind(lead, 0) == 0 ? line.substr(lead.size()) : "<unstamped> " + line);
    }
    return out;
}

}  // namespace

TestPlatform::TestPlatform(const std::string& markerName)
    : startFolder_(std::filesystem::current_path()),
      folder_(NewFolder()),
      files(std::make_unique<NativeFiles>(folder_.string(), (folder_ / markerName).string())),
      platform{*files, processes, clock, power, ui, autostart, events},
      app(platform) {}

TestPlatform::~TestPlatform() {
    std::error_code ignored;
    std::filesystem::current_path(startFolder_, ignored);
    std::filesystem::remove_all(folder_, ignored);
}

std::string TestPlatform::Path(const std::string& name) const { return (folder_ / name).string(); }

void TestPlatform::Write(const std::string& name, const std::string& content) const {
    std::ofstream(folder_ / name, std::ios::binary) << content;
}

std::string TestPlatform::Read(const std::string& name) const {
    std::ifstream file(folder_ / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

bool TestPlatform::Exists(const std::string& name) const { return std::filesystem::exists(folder_ / name); }

std::vector<std::string> TestPlatform::Events() const {
    std::vector<std::string> lines = CrLfLines(Read("talog1.txt"));
    // A log begun by a run has its header; one written by a single window
    // under test may not.
    if (lines.size() >= kHeaderLines && lines[kHeaderLines - 1] == kHeaderLine) {
        lines.erase(lines.begin(), lines.begin() + kHeaderLines);
    }
    return After(lines, clock.text() + " --- ");
}

std::vector<std::string> TestPlatform::Errors() const {
    return After(CrLfLines(Read("tamrel.txt")), clock.text());
}

long TestPlatform::Logged(const std::string& line) const { return std::ranges::count(Events(), line); }

std::vector<std::string> TestPlatform::LastEvents(std::size_t n) const {
    const std::vector<std::string> events = Events();
    return {events.end() - static_cast<long>(std::min(n, events.size())), events.end()};
}

std::vector<std::string> TestPlatform::KeyLines() const {
    std::vector<std::string> lines = CrLfLines(Read("tamrel.set"));
    std::erase_if(lines, [](const std::string& line) { return line.starts_with('#'); });
    return lines;
}

std::string TestPlatform::Runnable(const std::string& name, const std::string& body) const {
    Write(name, body);
    std::filesystem::permissions(Path(name), std::filesystem::perms::owner_all);
    return Path(name);
}

void TestPlatform::WriteSettings(const std::vector<std::string>& lines) const {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    Write("tamrel.set", text);
}

void TestPlatform::WriteLaunchable(const std::vector<std::string>& overrides) const {
    std::vector<std::string> all = {"Program =" + Runnable("front.exe")};
    all.insert(all.end(), overrides.begin(), overrides.end());
    WriteSettings(SettingsLines(all));
}

void TestPlatform::Start(const std::vector<int>& answers) {
    for (const int answer : answers) ui.QueueAnswer(answer);
    app.Start();
}

void TestPlatform::ShowScreen(const std::vector<std::string>& overrides, const std::vector<int>& answers) {
    WriteSettings(SettingsLines(overrides));
    for (const int answer : answers) ui.QueueAnswer(answer);
    app.ShowShutdownScreen(kLongRun);
}

void TestPlatform::StartScripted(const std::vector<std::string>& overrides, std::vector<headless::WaitEvent> script) {
    WriteLaunchable(overrides);
    processes.ScriptWait(std::move(script));
    app.Start();
}

std::string TestPlatform::ReasonLine() {
    ui::Control& line = ui.ControlOf("ShutdownScreen", "idleLine");
    return line.Visible() ? line.Text() : std::string();
}

std::string TestProgram() { return ExecutablePath(); }

RuntimeError ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const RuntimeError& error) {
        return error;
    }
    return RuntimeError(0, "no error");
}

std::vector<std::string> CrLfLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::vector<std::string> SettingsLines(const std::vector<std::string>& overrides) {
    std::vector<std::string> all = {"Program =/bin/true"};
    all.insert(all.end(), overrides.begin(), overrides.end());
    return SettingsTemplate(all);
}

}  // namespace tamrel::test
