#include "setup/KeyChooser.h"

#include "settings/Text.h"
#include "setup/SetupMenus.h"
#include "log/Printable.h"

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
    double fontSize;
    bool bold;
    bool visible;
    const char* tip;
};

// The form's plain font, given to every label: a toolkit where a control
// takes its frame's font would show them in the title's large bold.
constexpr double kPlain = 8.25;

std::string ButtonSuffix(int button) { return button != 0 ? ", button " + PlainNumber(button) : ""; }

std::string WordKey(int key) { return key == -1 ? kMouseClick : SignedNumber(key); }

const char* ModeWord(KeyRole role) { return role == KeyRole::Restart ? "re-start" : "cancel"; }

}  // namespace

std::string KeyCaption(KeyRole role, KeyCaptionStyle style, int key, int button) {
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
    std::string caption = wording.prefix;
    if (key == -1) {
        caption += wording.click;
    } else if (key == 0 && wording.none) {
        caption += wording.none;
    } else {
        caption += SignedNumber(key);
    }
    return caption + ButtonSuffix(button);
}

// What the two keys, or the two buttons, are kept in, and how the chooser
// says that they clash.
struct KeyPair {
    std::int16_t Settings::*cancel;
    std::int16_t Settings::*restart;
    const char* takeOverPrompt;  // the cancel choice is the re-start one
    const char* takeOverTitle;
    const char* refusalPrompt;  // the re-start choice is the cancel one
    const char* refusalTitle;
};

namespace {

constexpr KeyPair kKeys{&Settings::cancelKey, &Settings::restartKey,
                     "The cancel key is the same as the re-start key. If you continue, the re-start key will be set "
                     "to none. Do you wish to continue?",
                     "The cancel key is the same as the re-start key!!",
                     "The re-start key cannot be the same as the cancel key. Please choose another key.",
                     "Invalid re-start key!!"};
constexpr KeyPair kButtons{&Settings::cancelButton, &Settings::restartButton,
                        "The cancel button is the same as the re-start button. If you continue, the re-start button "
                        "will be set to none. Do you wish to continue?",
                        "The cancel button is the same as the re-start button!!",
                        "The re-start button cannot be the same as the cancel button. Please choose another button.",
                        "Invalid re-start button!!"};

}  // namespace

std::int16_t& KeyChooser::Field(const KeyPair& pair, KeyRole role) {
    return state_.*(role == KeyRole::Cancel ? pair.cancel : pair.restart);
}

KeyChooser::KeyChooser(ui::Toolkit& ui, JoystickPresses::OnLogLine log, ui::Window& window, SetupState& state,
                       ui::Control& restartHint)
    : ui_(ui),
      window_(window),
      state_(state),
      restartHint_(restartHint),
      log_(std::move(log)),
      joystick_(
          ui, [this](int button) { Chosen({true, button}); }, log_,
          [this](const std::string& need, const std::string& why) { JoysticksUnavailable(need, why); }) {
    // Sized for the widest texts the box shows ("re-start", "Left Mouse
    // Click") with room for fonts wider than the ones measured, and small
    // enough for a 640 by 480 screen.
    box_ = &window.AddControl(ui::ControlKind::Frame, "keyChooser", nullptr, {120, 0, 9360, 2160});
    box_->SetText("Choose cancel key");
    box_->SetFont({kSansSerif, 13.5, true, false});
    box_->SetToolTip("This is the slect new key box.");
    box_->SetVisible(false);

    // The key on the left, what to click on the right, one line each.
    const BoxLabel labels[] = {
        {&KeyChooser::currentCaption_, "currentKeyCaption", "Current cancel key ascii code:", {120, 450, 2925, 255},
         kPlain, false, true, ""},
        {&KeyChooser::currentKey_, "currentKey", "", {3120, 450, 1800, 255}, kPlain, false, true,
         "This is the ascii code of the selected key."},
        {&KeyChooser::prompt_, "keyPrompt", "Press button now to set new cancel key ascii code:",
         {120, 840, 4800, 255}, kPlain, false, true, ""},
        {&KeyChooser::capturedKey_, "capturedKey", "", {120, 1140, 2250, 300}, 9.75, true, true,
         "This is the ascii code of the key you just pressed."},
        {&KeyChooser::acceptHint_, "acceptHint", "Press the same key again to accept it.", {120, 1680, 4800, 255},
         kPlain, false, true, ""},
        {&KeyChooser::joystickNote_, "joystickNote", "", {120, 1440, 6120, 240}, kPlain, false, false, ""},
        {&KeyChooser::okHint_, "okHint", "Click here to accept new key code=>", {5160, 450, 3240, 255}, kPlain, false,
         false, ""},
        {&KeyChooser::ok_, "okLabel", "   OK", {8430, 390, 810, 375}, 12, true, true, "Click here to accept the new key"},
        {nullptr, "cancelPointer", "Click here to Cancel=>", {6360, 1020, 2040, 255}, kPlain, false, true, ""},
        {&KeyChooser::cancel_, "cancelLabel", "Cancel", {8430, 990, 810, 300}, 9.75, true, true,
         "Click here to keep the previous key."},
        {&KeyChooser::noRestartKey_, "noRestartKey", "Dont use a re-start key", {6360, 1500, 2250, 255}, kPlain, false,
         false, "Click here to not use any key to restart the program"},
        {&KeyChooser::noButton_, "noButton", "Dont use a joystick button", {6360, 1830, 2250, 255}, kPlain, false,
         true, "Click here to use no joystick button for this"},
    };
    for (const BoxLabel& item : labels) {
        ui::Control& label = window.AddControl(ui::ControlKind::Label, item.name, box_, item.bounds);
        label.SetText(item.text);
        label.SetFont({kSansSerif, item.fontSize, item.bold, false});
        if (*item.tip) label.SetToolTip(item.tip);
        label.SetVisible(item.visible);
        if (item.member) this->*item.member = &label;
    }
    ok_->SetEnabled(false);

    box_->OnClick([this] { OnClick(); });
    ok_->OnClick([this] { Accept(); });
    cancel_->OnClick([this] { Cancel(); });
    noRestartKey_->OnClick([this] { UseNoRestartKey(); });
    noButton_->OnClick([this] { UseNoButton(); });
}

void KeyChooser::Open(KeyRole role) {
    role_ = role;
    capturedSinceOpen_ = false;
    const bool restart = role == KeyRole::Restart;
    const char* mode = ModeWord(role);
    noRestartKey_->SetVisible(restart);
    ok_->SetEnabled(false);
    capturedKey_->SetText("");
    box_->SetText(restart ? kRestartTitle : kCancelTitle);
    currentCaption_->SetText(std::string("Current ") + mode + " key ascii code:");
    prompt_->SetText(std::string("Press button now to set new ") + mode + " key ascii code:");
    ShowJoystickNote(unavailableNeed_);
    box_->SetVisible(true);
    currentKey_->SetText(WordKey(Field(kKeys, role)) + ButtonSuffix(Field(kButtons, role)));
    joystick_.Start();
}

void KeyChooser::JoysticksUnavailable(const std::string& need, const std::string& why) {
    // No button can come: the prompt asks for a key, and says what buttons need.
    prompt_->SetText(std::string("Press a key now to set new ") + ModeWord(role_) + " key ascii code:");
    ShowJoystickNote(need);
    if (!unavailableNeed_.empty()) return;
    unavailableNeed_ = need;
    log_("No joystick button can be chosen. " + need + " (" + Printable(why) + ")");
}

void KeyChooser::ShowJoystickNote(const std::string& text) {
    joystickNote_->SetText(text);
    joystickNote_->SetVisible(!text.empty());
}

void KeyChooser::Capture(Choice choice) {
    captured_ = choice;
    if (choice.button) {
        capturedKey_->SetText("Joystick button " + PlainNumber(choice.code));
    } else {
        capturedKey_->SetText(choice.code == -1 ? kMouseClick : PlainNumber(choice.code));
    }
    ok_->SetEnabled(true);
    okHint_->SetVisible(true);
    ShowJoystickNote(unavailableNeed_);
}

void KeyChooser::Chosen(Choice choice) {
    if (!IsOpen()) return;
    // The file holds no button beyond these.
    if (choice.button && (choice.code < 1 || choice.code > kMaxJoystickButton)) {
        ShowJoystickNote("Joystick button " + PlainNumber(choice.code) + " cannot be chosen: please choose one of 1 to " +
                         PlainNumber(kMaxJoystickButton) + ".");
        return;
    }
    if (capturedSinceOpen_ && choice == captured_) {
        Accept();
        return;
    }
    Capture(choice);
    capturedSinceOpen_ = true;
}

void KeyChooser::OnKeyPress(int& code) {
    // While the box is closed a key is taken quietly, as it always was.
    if (IsOpen()) {
        Chosen({false, code});
    } else {
        Capture({false, code});
    }
    code = 0;
}

void KeyChooser::OnClick() { Chosen({false, -1}); }

void KeyChooser::ShowKey(KeyRole role) {
    window_.SetMenuCaption(role == KeyRole::Cancel ? setup::kCancelKeyMenu : setup::kRestartKeyMenu,
                           KeyCaption(role, KeyCaptionStyle::Chosen, Field(kKeys, role), Field(kButtons, role)));
}

void KeyChooser::Accept() {
    const auto code = static_cast<std::int16_t>(captured_.code);
    if (!AcceptInto(captured_.button ? kButtons : kKeys, code)) return;
    restartHint_.SetVisible(state_.restartKey != 0);
    Close();
}

bool KeyChooser::AcceptInto(const KeyPair& pair, std::int16_t code) {
    if (role_ == KeyRole::Cancel) {
        if (code == state_.*pair.restart) {
            const int answer =
                ui_.ShowMessageBox(pair.takeOverPrompt, ui::Buttons::YesNo, pair.takeOverTitle, ui::Icon::None);
            if (answer == ui::kAnswerNo) return false;
            state_.*pair.restart = 0;
            ShowKey(KeyRole::Restart);
        }
        state_.*pair.cancel = code;
    } else {
        if (code == state_.*pair.cancel) {
            ui_.ShowMessageBox(pair.refusalPrompt, ui::Buttons::Ok, pair.refusalTitle, ui::Icon::None);
            return false;
        }
        state_.*pair.restart = code;
    }
    ShowKey(role_);
    return true;
}

void KeyChooser::Close() {
    joystick_.Stop();
    okHint_->SetVisible(false);
    box_->SetVisible(false);
}

void KeyChooser::Cancel() {
    joystick_.Stop();
    box_->SetVisible(false);
    ok_->SetEnabled(false);
}

void KeyChooser::UseNoRestartKey() {
    state_.restartKey = 0;
    Close();
    ShowKey(KeyRole::Restart);
    restartHint_.SetVisible(false);
}

void KeyChooser::UseNoButton() {
    Field(kButtons, role_) = 0;
    Close();
    ShowKey(role_);
}

}  // namespace tamrel
