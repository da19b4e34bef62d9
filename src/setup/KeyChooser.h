#pragma once
// The key chooser: a box in the setup window that takes the next key typed
// (or a click) as the new cancel or re-start key. The two keys must differ;
// the cancel key wins, after the user agrees to lose the re-start key.

#include "platform/Toolkit.h"

namespace tamrel {

class SetupWindow;

class KeyChooser {
public:
    // Builds the box, hidden, in the setup window.
    explicit KeyChooser(SetupWindow& owner);

    void OpenForCancelKey();
    void OpenForRestartKey();
    // Every typed key reaches here, whether the box is open or not.
    void OnKeyPress(int& code);
    // A click on the window's background or on the box's empty area.
    void OnClick();
    void Accept();
    void Cancel();
    void UseNoRestartKey();

private:
    void Open(bool restartMode);
    void Capture(const std::string& choice);
    void ShowRestartHint();

    SetupWindow& owner_;
    ui::Control* box_ = nullptr;
    ui::Control* prompt_ = nullptr;
    ui::Control* captured_ = nullptr;
    ui::Control* currentCaption_ = nullptr;
    ui::Control* current_ = nullptr;
    ui::Control* ok_ = nullptr;
    ui::Control* okHint_ = nullptr;
    ui::Control* cancel_ = nullptr;
    ui::Control* noRestartKey_ = nullptr;
};

// The menu captions that show the keys.
std::string CancelKeyCaption(int key);
std::string RestartKeyCaption(int key);

}  // namespace tamrel
