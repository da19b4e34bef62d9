#pragma once
// The program's windows and their lifetime. The run window's load runs the
// whole run sequence; the program then lives as long as one of the windows
// it opened is open, and ends when the last one closes.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "log/Logs.h"
#include "platform/Platform.h"
#include "run/ProgramWindow.h"

namespace tamrel {

class SetupWindow;
class ShutdownScreen;

class Application {
public:
    explicit Application(Platform& platform);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The start-up: runs the run window's load event.
    void Start();
    // Start, then the event loop while a window is open. The exit status:
    // 1 when the display could not be had.
    int Run();

    // Shown modeless; each then keeps the program alive until it closes.
    void ShowSetupWindow();
    void ShowShutdownScreen();
    // Help windows: any number at once, each at most once; asked for again
    // while open, the same window comes to the front.
    void ShowHelpTopic(std::size_t topic);
    void ShowAbout();
    void ShowKeyCodeTable();
    // A window reports that it has closed: the program ends with the last.
    void WindowClosed();
    bool HasOpenWindows() const;
    // Texts name Windows there and the desktop session elsewhere.
    bool OnWindows() const { return platform_.ui.DesktopName() == "Windows"; }

    Platform& platform() { return platform_; }
    Logs& logs() { return logs_; }

    // Set when the user asks for setup after an unexpected error: setup then
    // starts from the defaults and leaves the settings file alone.
    bool setupAfterError = false;

    // For tests: the windows shown so far (null when never shown).
    SetupWindow* setupWindow() { return setupWindow_.get(); }
    ShutdownScreen* shutdownScreen() { return shutdownScreen_.get(); }

private:
    // Written as far as the disk allows, and to standard error.
    void LastWords(const std::string& text);
    void ShowHelpWindow(const std::string& key, const std::function<std::unique_ptr<ProgramWindow>()>& make);

    struct HelpEntry {
        std::string key;
        std::unique_ptr<ProgramWindow> window;
    };

    Platform& platform_;
    Logs logs_;
    std::unique_ptr<FolderLock> folderLock_;
    std::unique_ptr<SetupWindow> setupWindow_;
    std::unique_ptr<ShutdownScreen> shutdownScreen_;
    std::vector<HelpEntry> helpWindows_;
};

}  // namespace tamrel
