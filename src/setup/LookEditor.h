#pragma once
// The look of the shutdown screen in setup: a chosen bitmap is the window's
// background with the countdown box preview on it, where the shutdown
// screen will put the number; the default skin shows its own preview. The
// box is given a font and colour, reset, and dragged into place.

#include "log/Logs.h"
#include "platform/Platform.h"
#include "setup/SetupState.h"
#include "shutdown/DefaultLook.h"

namespace tamrel {

class LookEditor {
public:
    LookEditor(Platform& platform, Logs& logs, ui::Window& window, SetupState& state, const DefaultLook& preview,
               ui::Control& countdownBox)
        : platform_(platform), logs_(logs), window_(window), state_(state), preview_(preview), box_(countdownBox) {}

    void OpenSkin();
    void UseDefaultSkin();
    void SelectFont();
    void SelectColor();
    void ResetBox();
    void OnBoxMouseDown(int buttons, ui::Twips x, ui::Twips y);
    void OnDrop(ui::Twips x, ui::Twips y);

private:
    Platform& platform_;
    Logs& logs_;
    ui::Window& window_;
    SetupState& state_;
    const DefaultLook& preview_;
    ui::Control& box_;
};

}  // namespace tamrel
