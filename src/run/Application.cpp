#include "run/Application.h"

#include <iostream>

#include "run/Launcher.h"
#include "setup/SetupWindow.h"
#include "shutdown/ShutdownScreen.h"

namespace tamrel {

Application::Application(Platform& platform)
    : platform_(platform), logs_(platform.files, platform.clock) {}

Application::~Application() = default;

void Application::Start() {
    // Checked before the first log line, so that a second instance leaves
    // the first one's logs alone.
    constexpr int kRestartOverlapMs = 5000;
    folderLock_ = platform_.processes.LockProgramFolder(platform_.files.ProgramFolder(), kRestartOverlapMs);
    if (!folderLock_) {
        platform_.ui.ShowMessageBox("Tamrel is already running in this folder.", ui::Buttons::Ok, ui::kAppTitle,
                                    ui::Icon::None);
        return;
    }
    Launcher runWindow(*this);
    runWindow.Load();
}

int Application::Run() {
    platform_.ui.OnDisplayLost([this](const std::string& why) { LastWords("Tamrel lost the display: " + why); });
    try {
        Start();
        if (HasOpenWindows()) platform_.ui.Run();
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
    std::cerr << "tamrel: " << text << '\n';
}

void Application::ShowSetupWindow() {
    setupWindow_ = std::make_unique<SetupWindow>(*this);
    setupWindow_->Show();
}

void Application::ShowShutdownScreen() {
    shutdownScreen_ = std::make_unique<ShutdownScreen>(*this);
    shutdownScreen_->Show();
}

void Application::WindowClosed() {
    if (!HasOpenWindows()) platform_.ui.Quit();
}

bool Application::HasOpenWindows() const {
    return (setupWindow_ && setupWindow_->IsOpen()) || (shutdownScreen_ && shutdownScreen_->IsOpen());
}

}  // namespace tamrel
