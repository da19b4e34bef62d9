#include "setup/CountdownBoxEditor.h"

#include <cfloat>
#include <cmath>

#include "platform/RuntimeError.h"
#include "run/Application.h"
#include "settings/Numbers.h"
#include "settings/Text.h"
#include "setup/SetupMenus.h"
#include "setup/SetupWindow.h"

namespace tamrel {

void CountdownBoxEditor::OpenSkin() {
    ui::Window& window = owner_.window();
    SetupState& state = owner_.state;
    // A file that is no picture is only logged: the user sees the old
    // background and may choose again.
    try {
        const std::string path = window.ShowOpenDialog(
            {owner_.app().platform().files.ProgramFolder(), "", {"Picture files (*.bmp)", "*.bmp"}});
        if (path.empty()) return;
        state.SkinPath = path;
        const DefaultLook& preview = owner_.preview();
        owner_.countdownBox().SetVisible(true);
        for (ui::Control* control : {preview.frame, preview.heading, preview.seconds, preview.cancelHint, preview.number}) {
            control->SetVisible(false);
        }
        window.SetMenuEnabled(setup::kCountdownBoxMenu, true);
        window.SetPicture(path);
    } catch (const RuntimeError& error) {
        owner_.app().logs().Log("While opening a skin, encountered an error: " + PlainNumber(error.Number()));
    }
}

void CountdownBoxEditor::UseDefaultSkin() {
    ui::Window& window = owner_.window();
    const DefaultLook& preview = owner_.preview();
    window.ClearPicture();
    CentreDefaultLook(preview, window);
    preview.frame->SetVisible(true);
    owner_.countdownBox().SetVisible(false);
    for (ui::Control* control : {preview.heading, preview.seconds, preview.cancelHint, preview.number}) {
        control->SetVisible(true);
    }
    window.SetMenuEnabled(setup::kCountdownBoxMenu, false);
    owner_.state.SkinPath = "use default";
}

void CountdownBoxEditor::SelectFont() {
    SetupState& state = owner_.state;
    if (state.BoxFontName.empty()) state.BoxFontName = "arial";
    if (state.BoxBold.empty()) state.BoxBold = "false";
    if (LenientNumber(state.BoxFontSize) < 1) state.BoxFontSize = "10";

    ui::Font start{state.BoxFontName, 10, false, state.BoxItalic};
    // A hand-edited bold text or size that does not convert starts the
    // dialog from the plain defaults instead of failing.
    try {
        start.bold = ToBoolean(state.BoxBold);
    } catch (const RuntimeError&) {
    }
    const double size = LenientNumber(state.BoxFontSize);
    if (std::isfinite(size) && size <= FLT_MAX) start.size = static_cast<float>(size);

    const ui::Font chosen = owner_.window().ShowFontDialog(start);
    ui::Control& box = owner_.countdownBox();
    box.SetFont(chosen);
    const ui::Font applied = box.GetFont();
    state.BoxFontName = applied.name;
    state.BoxFontSize = SingleText(applied.size);
    state.BoxBold = applied.bold ? "True" : "False";
    state.BoxItalic = chosen.italic;
}

void CountdownBoxEditor::SelectColor() {
    const ui::Color color = owner_.window().ShowColorDialog(owner_.state.BoxColor);
    owner_.countdownBox().SetForeColor(color);
    owner_.state.BoxColor = color;
}

void CountdownBoxEditor::ResetBox() {
    ui::Control& box = owner_.countdownBox();
    ui::Rect bounds = box.Bounds();
    bounds.left = 0;
    bounds.top = 0;
    box.SetBounds(bounds);
    box.SetForeColor(0);
}

void CountdownBoxEditor::OnBoxMouseDown(int buttons, ui::Twips x, ui::Twips y) {
    if (buttons == ui::kLeftButton) owner_.window().BeginDrag(owner_.countdownBox());
    owner_.state.DragOffsetX = ToInt16(x);
    owner_.state.DragOffsetY = ToInt16(y);
}

void CountdownBoxEditor::OnDrop(ui::Twips x, ui::Twips y) {
    ui::Control& box = owner_.countdownBox();
    ui::Rect bounds = box.Bounds();
    bounds.left = static_cast<float>(x - owner_.state.DragOffsetX);
    bounds.top = static_cast<float>(y - owner_.state.DragOffsetY);
    box.SetBounds(bounds);
    box.SetVisible(true);
}

}  // namespace tamrel
