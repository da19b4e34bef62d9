#pragma once
// The skin and the countdown box in setup: a chosen bitmap is the window's
// background with the countdown box preview on it, where the shutdown
// screen will put the number; the default skin shows its own preview. The
// box is given a font and colour, reset, and dragged into place.

#include "platform/Toolkit.h"

namespace tamrel {

class SetupWindow;

class CountdownBoxEditor {
public:
    explicit CountdownBoxEditor(SetupWindow& owner) : owner_(owner) {}

    void OpenSkin();
    void UseDefaultSkin();
    void SelectFont();
    void SelectColor();
    void ResetBox();
    void OnBoxMouseDown(int buttons, ui::Twips x, ui::Twips y);
    void OnDrop(ui::Twips x, ui::Twips y);

private:
    SetupWindow& owner_;
};

}  // namespace tamrel
