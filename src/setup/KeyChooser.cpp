#include "setup/KeyChooser.h"

#include "settings/Text.h"
#include "setup/SetupMenus.h"

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

std::string KeyCaption(KeyRole role, KeyCaptionStyle style, int key) {
    struct Wording {
        const char* prefix;
        const char* none;  // null: the number
        const char* click;
    };
    // [style][role]
    static constexpr Wording kWordings[2][2] = {
        {{"Current Cancel Key: ", "none", "Left mouse click"}, {"Current re-start key: ", "none", "Left mouse click"}},
        {{"Current Cancel Key: ", nullptr, kMouseClick}, {"Current Re-start Key: ", "None", kMouseClick}},
    };
    const Wording& wording = kWordings[static_cast<int>(style)][static_cast<int>(role)];
    if (key == -1) return std::string(wording.prefix) + wording.click;
    if (key == 0 && wording.none) return std::string(wording.prefix) + wording.none;
    return wording.prefix + SignedNumber(key);
}

KeyChooser::KeyChooser(ui::Toolkit& ui, ui::Window& window, SetupState& state, ui::Control& restartHint)
    : ui_(ui), window_(window), state_(state), restartHint_(restartHint) {
    box_ = &window.AddControl(ui::ControlKind::Frame, "keyChooser", nullptr, {1800, 0, 7335, 2055});
    box_->SetText("Choose cancel key");
    box_->SetFont({kSansSerif, 13.5, true, false});
    box_->SetToolTip("This is the slect new key box.");
    box_->SetVisible(false);

    const BoxLabel labels[] = {
        {&KeyChooser::prompt_, "keyPrompt", "Press button now to set new cancel key ascii code:",
         {120, 1200, 2415, 375}, 0, true, ""},
        {&KeyChooser::capturedKey_, "capturedKey", "", {2880, 1320, 780, 300}, 9.75, true,
         "This is the ascii code of the key you just pressed."},
        // Wider than it was drawn for, so that fonts wider than the
        // original's still fit on one line.
        {&KeyChooser::currentCaption_, "currentKeyCaption", "Current cancel key ascii code:", {240, 720, 2640, 195},
         0, true, ""},
        {&KeyChooser::currentKey_, "currentKey", "", {2880, 720, 570, 195}, 0, true,
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

void KeyChooser::Open(KeyRole role) {
    role_ = role;
    const bool restart = role == KeyRole::Restart;
    const char* mode = restart ? "re-start" : "cancel";
    noRestartKey_->SetVisible(restart);
    ok_->SetEnabled(false);
    capturedKey_->SetText("");
    box_->SetText(restart ? kRestartTitle : kCancelTitle);
    currentCaption_->SetText(std::string("Current ") + mode + " key ascii code:");
    prompt_->SetText(std::string("Press button now to set new ") + mode + " key ascii code:");
    box_->SetVisible(true);
    const int key = restart ? state_.restartKey : state_.cancelKey;
    currentKey_->SetText(key == -1 ? kMouseClick : SignedNumber(key));
}

void KeyChooser::Capture(int key) {
    captured_ = key;
    capturedKey_->SetText(key == -1 ? kMouseClick : PlainNumber(key));
    ok_->SetEnabled(true);
    okHint_->SetVisible(true);
}

void KeyChooser::OnKeyPress(int& code) {
    Capture(code);
    code = 0;
}

void KeyChooser::OnClick() {
    if (box_->Visible()) Capture(-1);
}

void KeyChooser::ShowKey(KeyRole role, int key) {
    window_.SetMenuCaption(role == KeyRole::Cancel ? setup::kCancelKeyMenu : setup::kRestartKeyMenu,
                           KeyCaption(role, KeyCaptionStyle::Chosen, key));
}

void KeyChooser::Accept() {
    const auto key = static_cast<std::int16_t>(captured_);
    if (role_ == KeyRole::Cancel) {
        if (key == state_.restartKey) {
            const int answer = ui_.ShowMessageBox(
                "The cancel key is the same as the re-start key. If you continue, the re-start key will be set to "
                "none. Do you wish to continue?",
                ui::Buttons::YesNo, "The cancel key is the same as the re-start key!!", ui::Icon::None);
            if (answer == ui::kAnswerNo) return;
            state_.restartKey = 0;
            ShowKey(KeyRole::Restart, 0);
        }
        state_.cancelKey = key;
        ShowKey(KeyRole::Cancel, key);
    } else {
        if (key == state_.cancelKey) {
            ui_.ShowMessageBox("The re-start key cannot be the same as the cancel key. Please choose another key.",
                               ui::Buttons::Ok, "Invalid re-start key!!", ui::Icon::None);
            return;
        }
        state_.restartKey = key;
        ShowKey(KeyRole::Restart, key);
    }
    restartHint_.SetVisible(state_.restartKey != 0);
    okHint_->SetVisible(false);
    box_->SetVisible(false);
}

void KeyChooser::Cancel() {
    box_->SetVisible(false);
    ok_->SetEnabled(false);
}

void KeyChooser::UseNoRestartKey() {
    state_.restartKey = 0;
    box_->SetVisible(false);
    ShowKey(KeyRole::Restart, 0);
    restartHint_.SetVisible(false);
}

}  // namespace tamrel
