#pragma once
// The setup window: the settings editor. Its load fills the setup state
// from the settings file (or the defaults) and shows it in the menus and in
// a preview of the countdown box; the menus change the state; "Done!"
// writes a complete new settings file and ends the program.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Toolkit.h"
#include "run/ProgramWindow.h"
#include "settings/Settings.h"
#include "shutdown/DefaultLook.h"

namespace tamrel {

class Application;
class Logs;
class KeyChooser;
class CountdownBoxEditor;

// What setup edits: the settings, and where the last press on the
// countdown box preview landed inside it.
struct SetupState : Settings {
    std::int16_t DragOffsetX = 0;
    std::int16_t DragOffsetY = 0;
};

class SetupWindow : public ProgramWindow {
public:
    explicit SetupWindow(Application& app);
    ~SetupWindow() override;
    SetupWindow(const SetupWindow&) = delete;
    SetupWindow& operator=(const SetupWindow&) = delete;

    // Builds the window, runs its load and shows it, unless the load found
    // the settings file damaged.
    void Show();
    bool IsOpen() const override { return open_; }

    void Load();
    void OnMenu(ui::MenuId id);
    void ChooseProgram();
    void ChooseShutdownMethod(int method);
    void ChooseCancelTime(int seconds);
    void Done();
    void CancelAndExit();

    SetupState state;

    // For the key chooser and the countdown box editor.
    Application& app() { return app_; }
    ui::Window& window() { return *window_; }
    const DefaultLook& preview() const { return preview_; }
    ui::Control& countdownBox() { return *countdownBox_; }

private:
    void BuildWindow();
    void ShowSetupState();
    void LoadFailed(const class RuntimeError& error);
    bool BoxPositionFits();
    // Every handler runs through here: a failure the handler did not expect
    // is reported and the window stays open, with nothing lost.
    void Guarded(const std::function<void()>& handler);
    void Close();

    Application& app_;
    Logs& logs_;
    bool open_ = false;
    std::unique_ptr<ui::Window> window_;
    DefaultLook preview_;
    ui::Control* countdownBox_ = nullptr;
    std::unique_ptr<CountdownBoxEditor> boxEditor_;
    std::unique_ptr<KeyChooser> keyChooser_;
};

}  // namespace tamrel
