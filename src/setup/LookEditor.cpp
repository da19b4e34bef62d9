#include "setup/LookEditor.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "platform/PictureLimits.h"
#include "platform/RuntimeError.h"
#include "settings/Numbers.h"
#include "settings/Text.h"
#include "setup/ChosenPath.h"
#include "setup/SetupMenus.h"
#include "log/Printable.h"

namespace tamrel {

namespace {

// Why a skin cannot be used, in the words of a user who chose a file.
std::string WhyNotASkin(const RuntimeError& error) {
    if (error.Number() == error::kFileNotFound) return "The file does not exist.";
    if (error.Description().rfind(kPictureTooLarge, 0) == 0) {
        return "The picture is too large for a skin (at most 32767 pixels a side, 67108864 pixels in all).";
    }
    if (error.Number() == error::kInvalidPicture) return "It is not a .bmp picture that Tamrel can read: not a bitmap, or damaged.";
    return Printable(error.Description());
}

}  // namespace

void LookEditor::OpenSkin() {
    const std::optional<std::string> chosen = KeepChosenPath(
        platform_.ui, window_.ShowOpenDialog({platform_.files.SettingsFolder(), "", {"Picture files (*.bmp)", "*.bmp"}}),
        "Skin not used!");
    if (!chosen) return;
    const std::string& path = *chosen;
    // Refused now, in the words run mode would use, rather than saved for
    // every later run to stop at.
    if (!EndsWith(path, ".bmp")) {
        platform_.ui.ShowMessageBox("Skin must be a .bmp file!\r" + Printable(path), ui::Buttons::Ok, "Skin not used!",
                                    ui::Icon::Critical);
        return;
    }
    try {
        window_.SetPicture(path);
    } catch (const RuntimeError& error) {
        logs_.TryLog("While opening a skin, encountered an error: " + PlainNumber(error.Number()));
        platform_.ui.ShowMessageBox("This skin cannot be used: " + Printable(path) + "\r" + WhyNotASkin(error) +
                                        "\rThe previous look is kept.",
                                    ui::Buttons::Ok, "Skin not used!", ui::Icon::Critical);
        return;
    }
    state_.skinPath = path;
    box_.SetVisible(true);
    for (ui::Control* control : {preview_.frame, preview_.heading, preview_.seconds, preview_.cancelHint, preview_.number}) {
        control->SetVisible(false);
    }
    window_.SetMenuEnabled(setup::kCountdownBoxMenu, true);
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

    // Saved as the dialog names the font, not as the label got it: a size
    // of 14 stays 14 whatever pixels it became.
    const ui::Font chosen = window_.ShowFontDialog(start);
    box_.SetFont(chosen);
    FitCountdownBox(box_);
    state_.boxFontName = chosen.name;
    state_.boxFontSize = SingleText(chosen.size);
    state_.boxBold = chosen.bold ? "True" : "False";
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
    // The nearest place where all of the box is seen: a box partly off the
    // screen would show a number cut off.
    const ui::Twips right = std::max<ui::Twips>(0, window_.Width() - bounds.width);
    const ui::Twips bottom = std::max<ui::Twips>(0, window_.Height() - bounds.height);
    bounds.left = std::clamp<ui::Twips>(static_cast<float>(x - state_.dragOffsetX), 0, right);
    bounds.top = std::clamp<ui::Twips>(static_cast<float>(y - state_.dragOffsetY), 0, bottom);
    box_.SetBounds(bounds);
    box_.SetVisible(true);
}

}  // namespace tamrel
