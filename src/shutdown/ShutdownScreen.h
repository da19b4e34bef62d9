#pragma once
// The shutdown screen: a full-screen window that reads its own settings,
// shows the skin or the default look with the remaining seconds, and at 0
// shuts the machine down. The cancel key ends the program with the machine
// left on; the re-start key runs the whole cycle again.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Toolkit.h"
#include "run/ProgramWindow.h"
#include "shutdown/DefaultLook.h"

namespace tamrel {

class Application;
class Logs;
class RuntimeError;

class ShutdownScreen : public ProgramWindow {
public:
    explicit ShutdownScreen(Application& app);
    ~ShutdownScreen() override;

    // Makes the screen visible and runs its activation.
    void Show();
    bool IsOpen() const override { return open_; }

    void Activate();
    void OnTick();
    void OnKeyPress(int& KeyAscii);
    void OnClick();

    // The screen's state; public so that tests can see what it decided.
    std::string FolderPrefix;
    int KeyLineCount = 0;
    bool RestartLineSeen = false;
    std::int16_t ShutdownMethod = 0;
    std::int16_t SecondsLeft = 0;
    std::int16_t CancelKey = 0;
    std::int16_t RestartKey = 0;
    std::int16_t BoxX = 0;
    std::int16_t BoxY = 0;
    std::string BoxFontName;
    std::string BoxFontSize;
    std::string BoxBold;
    bool BoxItalic = false;
    std::int32_t BoxColor = 0;
    std::string SkinPath;
    // The set-up is over and the count runs: only now do keys and clicks
    // count.
    bool Counting = false;

private:
    enum class ReadOutcome { Complete, EarlyEnd, Corrupt };

    void BuildWindow();
    ReadOutcome ReadSettings();
    void RejectSkin();
    void BuildSkinLook();
    void BuildDefaultLook();
    void TakeFocusAndStart();
    void ClickScreen();
    void MissingFile();
    void ErrorPath(const RuntimeError& error);

    void CancelShutdown();
    void RestartProgram();
    void ShutDownMachine();
    bool IsNtFamily();
    bool EnableShutdownPrivilege();

    void Close();

    Application& app_;
    Logs& logs_;
    bool open_ = false;

    std::unique_ptr<ui::Window> window_;
    ui::Control* countdownNumber = nullptr;
    DefaultLook look_;
    ui::Timer* countdownTimer = nullptr;
};

}  // namespace tamrel
