#pragma once
// The setup window: the settings editor. Its load fills the setup state
// from the settings file (or the defaults) and shows it in the menus and in
// a preview of the countdown box; the menus change the state; "Done!"
// writes a complete new settings file and ends the program.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "log/Logs.h"
#include "platform/Navigator.h"
#include "platform/Platform.h"
#include "platform/ProgramWindow.h"
#include "settings/SettingsParser.h"
#include "setup/SetupMenus.h"
#include "setup/SetupState.h"
#include "shutdown/DefaultLook.h"

namespace tamrel {

class KeyChooser;
class LookEditor;
class RuntimeError;

class SetupWindow : public ProgramWindow {
public:
    SetupWindow(Platform& platform, Logs& logs, Navigator& navigator);
    ~SetupWindow() override;
    SetupWindow(const SetupWindow&) = delete;
    SetupWindow& operator=(const SetupWindow&) = delete;

    // Builds the window, runs its load and shows it, unless the load found
    // the settings file damaged.
    void Show();
    bool IsOpen() const override { return open_; }

    // What the window holds so far, for a look from outside.
    const SetupState& state() const { return state_; }

private:
    void BuildWindow();
    void Load();
    void StartFromDefaults();
    // Values the window cannot show take their defaults and join the list.
    void ShowState(std::vector<BadValue>& badValues);
    void ReportBadValues(const std::vector<BadValue>& badValues);
    void LoadFailed(const RuntimeError& error);
    void OnMenu(ui::MenuId id);
    void ChooseProgram();
    void ChooseShutdownMethod(int method);
    // Marks the item of that command whose argument is `value`.
    void Mark(setup::Command command, int value);
    void ChooseCancelTime(int seconds);
    // A choice that only sets its member: the shortest run, idle minutes.
    void ChooseValue(setup::Command command, int value);
    // Closing time and wake-up: the time entry, then the item's mark.
    void ChooseTime(setup::Command command);
    void ShowTime(setup::Command command);
    // Takes effect at once, saved or not: it is no setting of the file.
    void ToggleAutostart();
    void ShowAutostart();
    bool BoxPositionFits();
    void Done();
    void CancelAndExit();
    // Every handler runs through here: a failure the handler did not expect
    // is reported and the window stays open, with nothing lost.
    void Guarded(const std::function<void()>& handler);
    void Close();

    Platform& platform_;
    Logs& logs_;
    Navigator& navigator_;
    bool open_ = false;
    SetupState state_;
    std::unique_ptr<ui::Window> window_;
    // The menu tree, with any value of the file that it offers too.
    setup::SetupMenus menus_;
    DefaultLook preview_;
    ui::Control* countdownBox_ = nullptr;
    std::unique_ptr<LookEditor> lookEditor_;
    std::unique_ptr<KeyChooser> keyChooser_;
};

}  // namespace tamrel
