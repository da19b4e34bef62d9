#pragma once
// The program's windows and their lifetime. The run sequence runs first;
// the program then lives as long as one of the windows it opened is open,
// and ends when the last one closes.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "log/Logs.h"
#include "platform/Navigator.h"
#include "platform/Platform.h"
#include "platform/ProgramWindow.h"

namespace tamrel {

class SetupWindow;
class ShutdownScreen;

class Application : public Navigator {
public:
    // `setupAsked`: setup mode whatever the settings file says.
    explicit Application(Platform& platform, bool setupAsked = false);
    ~Application() override;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The start-up: the run sequence, up to the first window it opens.
    void Start();
    // Start, then the event loop while a window is open. The exit status:
    // 1 when the display could not be had.
    int Run();

    void ShowSetup() override;
    void ShowShutdownScreen(const RunReport& run) override;
    void ShowHelpTopic(std::size_t topic) override;
    void ShowAbout() override;
    void ShowKeyCodeTable() override;
    void WindowClosed() override;
    bool HasOpenWindows() const;

    Platform& platform() { return platform_; }
    // For a look from outside: the setup window shown last, or null.
    const SetupWindow* setupWindow() const { return setupWindow_.get(); }
    Logs& logs() { return logs_; }

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
    bool setupAsked_;
    std::unique_ptr<FolderLock> folderLock_;
    std::unique_ptr<SetupWindow> setupWindow_;
    std::unique_ptr<ShutdownScreen> shutdownScreen_;
    std::vector<HelpEntry> helpWindows_;
};

}  // namespace tamrel
