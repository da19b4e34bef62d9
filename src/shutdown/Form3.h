#pragma once
// The shutdown screen: a full-screen window that reads its own settings,
// shows the skin or the default look with the remaining seconds, and at 0
// shuts the machine down. The cancel key ends the program with the machine
// left on; the re-start key runs the whole cycle again.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Toolkit.h"

namespace tamrel {

class Application;
class Module1;
class RuntimeError;

class Form3 {
public:
    explicit Form3(Application& app);
    ~Form3();

    // Makes the screen visible and runs its activation.
    void Show();
    bool IsOpen() const { return open_; }

    void Form_Activate();
    void Timer1_Timer();
    void Form_KeyPress(int& KeyAscii);
    void Form_Click();

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
    bool ReadyForClicks = false;

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
    Module1& module_;
    bool open_ = false;

    std::unique_ptr<ui::Window> window_;
    ui::Control* Label5 = nullptr;
    ui::Control* Frame1 = nullptr;
    ui::Control* Label1 = nullptr;
    ui::Control* Label2 = nullptr;
    ui::Control* Label3 = nullptr;
    ui::Control* Label4 = nullptr;
    ui::Control* Label6 = nullptr;
    ui::Control* Label16 = nullptr;
    ui::Timer* Timer1 = nullptr;
};

}  // namespace tamrel
