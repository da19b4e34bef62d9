#pragma once
// The program's windows and their lifetime. The run window's load runs the
// whole run sequence; the program then lives as long as one of the windows
// it opened is open, and ends when the last one closes.

#include <memory>

#include "log/Module1.h"
#include "platform/Platform.h"

namespace tamrel {

class Form2;
class Form3;

class Application {
public:
    explicit Application(Platform& platform);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The start-up: runs the run window's load event.
    void Start();
    // Start, then the event loop while a window is open.
    void Run();

    // Shown modeless; each then keeps the program alive until it closes.
    void ShowSetupWindow();
    void ShowShutdownScreen();
    // A window reports that it has closed.
    void WindowClosed();
    bool HasOpenWindows() const;

    Platform& platform() { return platform_; }
    Module1& module() { return module_; }

    // For tests: the windows shown so far (null when never shown).
    Form2* setupWindow() { return form2_.get(); }
    Form3* shutdownScreen() { return form3_.get(); }

private:
    Platform& platform_;
    Module1 module_;
    std::unique_ptr<Form2> form2_;
    std::unique_ptr<Form3> form3_;
};

}  // namespace tamrel
