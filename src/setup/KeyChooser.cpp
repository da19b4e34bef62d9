#include "setup/KeyChooser.h"

#include "run/Application.h"
#include "settings/Numbers.h"
#include "settings/Text.h"
#include "setup/SetupMenus.h"
#include "setup/SetupWindow.h"

namespace tamrel {

namespace {

constexpr const char* kCancelTitle = "Choose cancel key.";
constexpr const char* kRestartTitle = "Choose re-start key.";
constexpr const char* kMouseClick = "Left Mouse Click";
constexpr const char* kSansSerif = "MS Sans Serif";

struct BoxLabel {
    ui::Control* KeyChooser::*member;
    const char* name;
    const char* text;
    ui::Rect bounds;
    double fontSize;  // 0: the window's own font
    bool visible;
    const char* tip;
};

}  // namespace

std::string CancelKeyCaption(int key) {
    return key == -1 ? "Current Cancel Key: Left Mouse Click" : "Current Cancel Key: " + SignedNumber(key);
}

std::string RestartKeyCaption(int key) {
    return key == -1 ? "Current Re-start Key: Left Mouse Click" : "Current Re-start Key: " + SignedNumber(key);
}

KeyChooser::KeyChooser(SetupWindow& owner) : owner_(owner) {
    ui::Window& window = owner.window();
    box_ = &window.AddControl(ui::ControlKind::Frame, "keyChooser", nullptr, {1800, 0, 7335, 2055});
    box_->SetText("Choose cancel key");
    box_->SetFont({kSansSerif, 13.5, true, false});
    box_->SetToolTip("This is the slect new key box.");
    box_->SetVisible(false);

    const BoxLabel labels[] = {
        {&KeyChooser::prompt_, "keyPrompt", "Press button now to set new cancel key ascii code:",
         {120, 1200, 2415, 375}, 0, true, ""},
        {&KeyChooser::captured_, "capturedKey", "", {2880, 1320, 780, 300}, 9.75, true,
         "This is the ascii code of the key you just pressed."},
        // Wider than it was drawn for, so that fonts wider than the
        // original's still fit on one line.
        {&KeyChooser::currentCaption_, "currentKeyCaption", "Current cancel key ascii code:", {240, 720, 2640, 195},
         0, true, ""},
        {&KeyChooser::current_, "currentKey", "", {2880, 720, 570, 195}, 0, true,
         "This is the ascii code of the selected key."},
        {&KeyChooser::ok_, "okLabel", "   OK", {6000, 360, 975, 495}, 12, true, "Click here to accept the new key"},
        {&KeyChooser::okHint_, "okHint", "Click here to accept new key code=>", {4440, 360, 1575, 495}, 0, false, ""},
        {&KeyChooser::cancel_, "cancelLabel", "Cancel", {6000, 960, 975, 495}, 9.75, true, "Click here to keep the previous key."},
        {nullptr, "cancelPointer", "Click here to Cancel=>", {4920, 960, 975, 495}, 0, true, ""},
        {&KeyChooser::noRestartKey_, "noRestartKey", "Dont use a re-start key", {5160, 1560, 1785, 375}, 0, false,
         "Click here to not use any key to restart the program"},
    };
    for (const BoxLabel& item : labels) {
        ui::Control& label = window.AddControl(ui::ControlKind::Label, item.name, box_, item.bounds);
        label.SetText(item.text);
        if (item.fontSize > 0) label.SetFont({kSansSerif, item.fontSize, true, false});
        if (*item.tip) label.SetToolTip(item.tip);
        label.SetVisible(item.visible);
        if (item.member) this->*item.member = &label;
    }
    ok_->SetEnabled(false);

    box_->OnClick([this] { OnClick(); });
    ok_->OnClick([this] { Accept(); });
    cancel_->OnClick([this] { Cancel(); });
    noRestartKey_->OnClick([this] { UseNoRestartKey(); });
}

void KeyChooser::Open(bool restartMode) {
    const char* mode = restartMode ? "re-start" : "cancel";
    noRestartKey_->SetVisible(restartMode);
    ok_->SetEnabled(false);
    captured_->SetText("");
    box_->SetText(restartMode ? kRestartTitle : kCancelTitle);
    currentCaption_->SetText(std::string("Current ") + mode + " key ascii code:");
    prompt_->SetText(std::string("Press button now to set new ") + mode + " key ascii code:");
    box_->SetVisible(true);
    const int key = restartMode ? owner_.state.RestartKey : owner_.state.CancelKey;
    current_->SetText(key == -1 ? kMouseClick : SignedNumber(key));
}

void KeyChooser::OpenForCancelKey() { Open(false); }

void KeyChooser::OpenForRestartKey() { Open(true); }

void KeyChooser::Capture(const std::string& choice) {
    captured_->SetText(choice);
    ok_->SetEnabled(true);
    okHint_->SetVisible(true);
}

void KeyChooser::OnKeyPress(int& code) {
    Capture(PlainNumber(code));
    code = 0;
}

void KeyChooser::OnClick() {
    if (box_->Visible()) Capture(kMouseClick);
}

void KeyChooser::Accept() {
    SetupState& state = owner_.state;
    ui::Toolkit& ui = owner_.app().platform().ui;
    ui::Window& window = owner_.window();
    const std::string choice = captured_->Text();
    const std::int16_t code = choice == kMouseClick ? std::int16_t{-1} : ToInt16(LenientNumber(choice));
    const std::string mode = box_->Text();
    if (mode == kCancelTitle) {
        if (code == state.RestartKey) {
            const int answer = ui.ShowMessageBox(
                "The cancel key is the same as the re-start key. If you continue, the re-start key will be set to "
                "none. Do you wish to continue?",
                ui::Buttons::YesNo, "The cancel key is the same as the re-start key!!", ui::Icon::None);
            if (answer == ui::kAnswerNo) return;
            state.RestartKey = 0;
            window.SetMenuCaption(setup::kRestartKeyMenu, "Current Re-start Key: None");
        }
        state.CancelKey = code;
        window.SetMenuCaption(setup::kCancelKeyMenu, CancelKeyCaption(code));
    } else if (mode == kRestartTitle) {
        if (code == state.CancelKey) {
            ui.ShowMessageBox("The re-start key cannot be the same as the cancel key. Please choose another key.",
                              ui::Buttons::Ok, "Invalid re-start key!!", ui::Icon::None);
            return;
        }
        state.RestartKey = code;
        window.SetMenuCaption(setup::kRestartKeyMenu, RestartKeyCaption(code));
    }
    ShowRestartHint();
    okHint_->SetVisible(false);
    box_->SetVisible(false);
}

void KeyChooser::Cancel() {
    box_->SetVisible(false);
    ok_->SetEnabled(false);
}

void KeyChooser::UseNoRestartKey() {
    owner_.state.RestartKey = 0;
    box_->SetVisible(false);
    owner_.window().SetMenuCaption(setup::kRestartKeyMenu, "Current Re-start Key: None");
    owner_.preview().restartHint->SetVisible(false);
}

void KeyChooser::ShowRestartHint() { owner_.preview().restartHint->SetVisible(owner_.state.RestartKey != 0); }

}  // namespace tamrel
