#include "run/Application.h"

#include <algorithm>
#include <cstdio>

#include "help/AboutWindow.h"
#include "help/HelpTopic.h"
#include "help/KeyCodeTable.h"
#include "platform/Program.h"
#include "run/RunSequence.h"
#include "settings/Text.h"
#include "setup/SetupWindow.h"
#include "shutdown/ShutdownScreen.h"
#include "log/Printable.h"

namespace tamrel {

int RunProgram(Platform& platform, bool setupAsked) { return Application(platform, setupAsked).Run(); }

Application::Application(Platform& platform, bool setupAsked)
    : platform_(platform), logs_(platform.files, platform.clock, platform.events), setupAsked_(setupAsked) {
    platform_.ui.OnDisplayLost([this](const std::string& why) {
        // After an accepted shutdown the display goes down with the system.
        if (shutdownScreen_ && shutdownScreen_->SystemGoingDown()) {
            if (shutdownScreen_->IsOpen()) logs_.TryLog("The system is shutting down.");
            return;
        }
        LastWords("Tamrel lost the display: " + why);
    });
}

Application::~Application() { platform_.ui.OnDisplayLost(nullptr); }

void Application::Start() {
    // Checked before the first log line, so that a second instance leaves
    // the first one's logs alone.
    constexpr int kRestartOverlapMs = 5000;
    folderLock_ = platform_.processes.LockProgramFolder(platform_.files.LogFolder(), kRestartOverlapMs);
    if (!folderLock_) {
        platform_.ui.ShowMessageBox("Tamrel is already running in this folder.", ui::Buttons::Ok, ui::kAppTitle,
                                    ui::Icon::None);
        return;
    }
    RunSequence(platform_, logs_, *this).Run(setupAsked_);
}

int Application::Run() {
    try {
        Start();
        if (HasOpenWindows()) platform_.ui.Run();
    } catch (const ui::DisplayRefused& refusal) {
        LastWords(refusal.what());
        return 1;
    } catch (const ui::DisplayUnavailable& failure) {
        // Nothing can be shown, so nothing is shut down either.
        LastWords("Tamrel could not open the display: " + std::string(failure.what()));
        return 1;
    }
    return 0;
}

void Application::LastWords(const std::string& text) {
    logs_.TryLog(text);
    logs_.TryAppendErrorLog(" --" + text);
    // stdio, not iostreams: the stream and locale machinery alone would
    // double the size of the Windows program.
    const std::string line = "tamrel: " + Printable(text) + '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
}

void Application::ShowSetup() {
    setupWindow_ = std::make_unique<SetupWindow>(platform_, logs_, *this);
    setupWindow_->Show();
}

void Application::ShowShutdownScreen(const RunReport& run) {
    shutdownScreen_ = std::make_unique<ShutdownScreen>(platform_, logs_, *this, run);
    shutdownScreen_->Show();
}

void Application::WindowClosed() {
    if (!HasOpenWindows()) platform_.ui.Quit();
}

bool Application::HasOpenWindows() const {
    std::vector<const ProgramWindow*> windows = {setupWindow_.get(), shutdownScreen_.get()};
    for (const HelpEntry& entry : helpWindows_) windows.push_back(entry.window.get());
    return std::any_of(windows.begin(), windows.end(), [](const ProgramWindow* window) {
        return window && window->IsOpen();
    });
}

void Application::ShowHelpWindow(const std::string& key,
                                 const std::function<std::unique_ptr<ProgramWindow>()>& make) {
    for (const HelpEntry& entry : helpWindows_) {
        if (entry.key == key && entry.window->IsOpen()) {
            entry.window->BringToFront();
            return;
        }
    }
    // Closed ones go now, never from inside their own handlers: every
    // window still open here is the one whose handler may be running.
    std::erase_if(helpWindows_, [](const HelpEntry& entry) { return !entry.window->IsOpen(); });
    helpWindows_.push_back({key, nullptr});
    helpWindows_.back().window = make();
}

void Application::ShowHelpTopic(std::size_t topic) {
    ShowHelpWindow("topic " + std::to_string(topic), [&] { return std::make_unique<HelpTopic>(platform_, *this, topic); });
}

void Application::ShowAbout() {
    ShowHelpWindow("about", [&] { return std::make_unique<AboutWindow>(platform_, *this); });
}

void Application::ShowKeyCodeTable() {
    ShowHelpWindow("key codes", [&] { return std::make_unique<KeyCodeTable>(platform_, *this); });
}

}  // namespace tamrel
