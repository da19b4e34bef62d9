#pragma once
// The key chooser: a box in the setup window that takes the next key typed
// (or a click) as the new cancel or re-start key. The same key (or click)
// again accepts it as OK does, so that no key is kept from being chosen and
// the box still works without a mouse. The two keys must differ; the cancel
// key wins, after the user agrees to lose the re-start key. A joystick
// button pressed while the box is open is chosen the same way, for the
// button line; the key stays.

#include <string>

#include "platform/JoystickPresses.h"
#include "platform/Toolkit.h"
#include "setup/SetupState.h"

namespace tamrel {

enum class KeyRole { Cancel, Restart };

struct KeyPair;

// How a menu caption shows a key: as setup found it in the file, or as
// the chooser has just set it. The two are worded differently. A joystick
// button, when there is one, follows the key.
enum class KeyCaptionStyle { Loaded, Chosen };
std::string KeyCaption(KeyRole role, KeyCaptionStyle style, int key, int button);

class KeyChooser {
public:
    // Builds the box, hidden, in the setup window. `restartHint` is the
    // preview's line about the re-start key, shown while there is one.
    // `log` takes the line about a joystick that may not be opened, or
    // about joysticks that cannot be had at all.
    KeyChooser(ui::Toolkit& ui, JoystickPresses::OnLogLine log, ui::Window& window, SetupState& state,
               ui::Control& restartHint);

    void Open(KeyRole role);
    bool IsOpen() const { return box_->Visible(); }
    // Every typed key reaches here, whether the box is open or not.
    void OnKeyPress(int& code);
    // A click on the window's background or on the box's empty area.
    void OnClick();
    // Closes the box and keeps the old key.
    void Cancel();

private:
    // A key (-1 a click) or a joystick button.
    struct Choice {
        bool button = false;
        int code = 0;
        bool operator==(const Choice&) const = default;
    };

    void Accept();
    // Takes the choice as one of the pair; false when the user kept the old.
    bool AcceptInto(const KeyPair& pair, std::int16_t code);
    // The role's key, or button, of the pair.
    std::int16_t& Field(const KeyPair& pair, KeyRole role);
    void Close();
    void UseNoRestartKey();
    void UseNoButton();
    void Capture(Choice choice);
    // A key, click or button while the box is open: captured, or accepted
    // when it repeats the capture.
    void Chosen(Choice choice);
    void ShowKey(KeyRole role);
    void JoysticksUnavailable(const std::string& need, const std::string& why);
    // Under the captured choice, about buttons; empty hides it.
    void ShowJoystickNote(const std::string& text);

    ui::Toolkit& ui_;
    ui::Window& window_;
    SetupState& state_;
    ui::Control& restartHint_;
    KeyRole role_ = KeyRole::Cancel;
    Choice captured_;
    bool capturedSinceOpen_ = false;

    ui::Control* box_ = nullptr;
    ui::Control* prompt_ = nullptr;
    ui::Control* capturedKey_ = nullptr;
    ui::Control* currentCaption_ = nullptr;
    ui::Control* currentKey_ = nullptr;
    ui::Control* ok_ = nullptr;
    ui::Control* okHint_ = nullptr;
    ui::Control* cancel_ = nullptr;
    ui::Control* noRestartKey_ = nullptr;
    ui::Control* acceptHint_ = nullptr;
    ui::Control* noButton_ = nullptr;
    ui::Control* joystickNote_ = nullptr;
    JoystickPresses::OnLogLine log_;
    std::string unavailableNeed_;  // once told: what buttons need
    JoystickPresses joystick_;
};

}  // namespace tamrel
