#pragma once
// The program's windows and their lifetime. The run window's load runs the
// whole run sequence; the program then lives as long as one of the windows
// it opened is open, and ends when the last one closes.

#include <memory>

#include "log/Logs.h"
#include "platform/Platform.h"

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
    // A window reports that it has closed.
    void WindowClosed();
    bool HasOpenWindows() const;

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

    Platform& platform_;
    Logs logs_;
    std::unique_ptr<FolderLock> folderLock_;
    std::unique_ptr<SetupWindow> setupWindow_;
    std::unique_ptr<ShutdownScreen> shutdownScreen_;
};

}  // namespace tamrel
