#include "setup/LookEditor.h"

#include <cfloat>
#include <cmath>

#include "platform/RuntimeError.h"
#include "settings/Numbers.h"
#include "settings/Text.h"
#include "setup/SetupMenus.h"

namespace tamrel {

void LookEditor::OpenSkin() {
    // A file that is no picture is only logged: the user sees the old
    // background and may choose again.
    try {
        const std::string path = window_.ShowOpenDialog(
            {platform_.files.ProgramFolder(), "", {"Picture files (*.bmp)", "*.bmp"}});
        if (path.empty()) return;
        state_.skinPath = path;
        box_.SetVisible(true);
        for (ui::Control* control : {preview_.frame, preview_.heading, preview_.seconds, preview_.cancelHint, preview_.number}) {
            control->SetVisible(false);
        }
        window_.SetMenuEnabled(setup::kCountdownBoxMenu, true);
        window_.SetPicture(path);
    } catch (const RuntimeError& error) {
        logs_.Log("While opening a skin, encountered an error: " + PlainNumber(error.Number()));
    }
}

void LookEditor::UseDefaultSkin() {
    window_.ClearPicture();
    CentreDefaultLook(preview_, window_);
    preview_.frame->SetVisible(true);
    box_.SetVisible(false);
    for (ui::Control* control : {preview_.heading, preview_.seconds, preview_.cancelHint, preview_.number}) {
        control->SetVisible(true);
    }
    window_.SetMenuEnabled(setup::kCountdownBoxMenu, false);
    state_.skinPath = "use default";
}

void LookEditor::SelectFont() {
    if (state_.boxFontName.empty()) state_.boxFontName = "arial";
    if (state_.boxBold.empty()) state_.boxBold = "false";
    if (LenientNumber(state_.boxFontSize) < 1) state_.boxFontSize = "10";

    ui::Font start{state_.boxFontName, 10, false, state_.boxItalic};
    // A hand-edited bold text or size that does not convert starts the
    // dialog from the plain defaults instead of failing.
    try {
        start.bold = ToBoolean(state_.boxBold);
    } catch (const RuntimeError&) {
    }
    const double size = LenientNumber(state_.boxFontSize);
    if (std::isfinite(size) && size <= FLT_MAX) start.size = static_cast<float>(size);

    const ui::Font chosen = window_.ShowFontDialog(start);
    box_.SetFont(chosen);
    const ui::Font applied = box_.GetFont();
    state_.boxFontName = applied.name;
    state_.boxFontSize = SingleText(applied.size);
    state_.boxBold = applied.bold ? "True" : "False";
    state_.boxItalic = chosen.italic;
}

void LookEditor::SelectColor() {
    const ui::Color color = window_.ShowColorDialog(state_.boxColor);
    box_.SetForeColor(color);
    state_.boxColor = color;
}

void LookEditor::ResetBox() {
    ui::Rect bounds = box_.Bounds();
    bounds.left = 0;
    bounds.top = 0;
    box_.SetBounds(bounds);
    box_.SetForeColor(0);
}

void LookEditor::OnBoxMouseDown(int buttons, ui::Twips x, ui::Twips y) {
    if (buttons == ui::kLeftButton) window_.BeginDrag(box_);
    state_.dragOffsetX = ToInt16(x);
    state_.dragOffsetY = ToInt16(y);
}

void LookEditor::OnDrop(ui::Twips x, ui::Twips y) {
    ui::Rect bounds = box_.Bounds();
    bounds.left = static_cast<float>(x - state_.dragOffsetX);
    bounds.top = static_cast<float>(y - state_.dragOffsetY);
    box_.SetBounds(bounds);
    box_.SetVisible(true);
}

}  // namespace tamrel
