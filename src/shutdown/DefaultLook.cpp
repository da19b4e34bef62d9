#include "shutdown/DefaultLook.h"

#include <algorithm>

namespace tamrel {

namespace {

constexpr ui::Twips kFrameWidth = 9495;
constexpr ui::Twips kFrameHeight = 5295;

struct FrameLabel {
    ui::Control* DefaultLook::*member;
    const char* name;
    std::string text;
    ui::Rect bounds;
    const char* font;
    double size;
};

}  // namespace

DefaultLook BuildDefaultLook(ui::Window& window, const DefaultLookTexts& texts) {
    DefaultLook look;
    look.frame = &window.AddControl(ui::ControlKind::Frame, texts.frameName, nullptr, {0, 0, kFrameWidth, kFrameHeight});
    look.frame->SetVisible(false);
    const FrameLabel labels[] = {
        {&DefaultLook::heading, "headingLabel", "Your machine will shut down in", {2040, 480, 5535, 495},
         "Comic Sans MS", 18},
        {&DefaultLook::number, "defaultNumber", texts.number, {4320, 1920, 810, 435}, "MS Sans Serif", 18},
        {&DefaultLook::seconds, "secondsLabel", "Seconds.", {4080, 2880, 1455, 375}, "Comic Sans MS", 14.25},
        {&DefaultLook::keyboard, "keyboardLabel", texts.keyboard, {2280, 3480, 5415, 495}, "Comic Sans MS", 12},
        {&DefaultLook::cancelHint, "cancelHint",
         "press the assigned key to cancel and return to " + texts.desktopName + ".", {1560, 3960, 6975, 495},
         "Comic Sans MS", 12},
        {&DefaultLook::restartHint, "restartHint", "Or you can press the assigned re-start key to re-start the program.",
         {1080, 4560, 7680, 315}, "Comic Sans MS", 11.25},
    };
    for (const FrameLabel& item : labels) {
        ui::Control& label = window.AddControl(ui::ControlKind::Label, item.name, look.frame, item.bounds);
        label.SetFont({item.font, item.size, true, false});
        label.SetText(item.text);
        look.*item.member = &label;
    }
    return look;
}

void CentreDefaultLook(const DefaultLook& look, const ui::Window& window) {
    ui::Rect frame = look.frame->Bounds();
    frame.left = (window.Width() - frame.width) / 2;
    frame.top = (window.Height() - frame.height) / 2;
    look.frame->SetBounds(frame);
}

void FitCountdownBox(ui::Control& box) {
    const ui::TextSize text = box.MeasureText(box.Text());
    ui::Rect bounds = box.Bounds();
    bounds.width = std::max(kCountdownBoxWidth, text.width);
    bounds.height = std::max(kCountdownBoxHeight, text.height);
    box.SetBounds(bounds);
}

}  // namespace tamrel
