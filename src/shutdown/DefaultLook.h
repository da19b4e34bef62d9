#pragma once
// The built-in look of the shutdown screen: a panel of texts around the
// remaining seconds. The shutdown screen shows it when no skin is set, and
// setup shows the same panel as its preview of that screen.

#include <string>

#include "platform/Toolkit.h"

namespace tamrel {

// The countdown number's box on a skin. Setup's preview of it has the same
// size, so that it stands where the shutdown screen will put the number.
inline constexpr ui::Twips kCountdownBoxWidth = 3255;
inline constexpr ui::Twips kCountdownBoxHeight = 2295;

// The countdown box grows to fit its number in its font, so that a large
// font shows the whole number; it is never smaller than its design size.
void FitCountdownBox(ui::Control& box);

struct DefaultLook {
    ui::Control* frame = nullptr;
    ui::Control* heading = nullptr;  // "Your machine will shut down in"
    ui::Control* number = nullptr;   // the seconds
    ui::Control* seconds = nullptr;  // "Seconds."
    ui::Control* keyboard = nullptr;
    ui::Control* cancelHint = nullptr;
    ui::Control* restartHint = nullptr;  // shown only while a re-start key is set
};

struct DefaultLookTexts {
    std::string frameName;
    std::string keyboard;  // the line above the cancel hint
    std::string number;    // before the first tick
    std::string desktopName;
};

// Builds the panel, hidden, with its labels shown inside it.
DefaultLook BuildDefaultLook(ui::Window& window, const DefaultLookTexts& texts);

// Centres the panel in the window's outer size, to the half twip.
void CentreDefaultLook(const DefaultLook& look, const ui::Window& window);

}  // namespace tamrel
