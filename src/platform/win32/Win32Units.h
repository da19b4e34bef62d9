#pragma once
// Twips (1440 per inch) to pixels and back, with the display's resolution.

#include <cmath>

#include "platform/Toolkit.h"

namespace tamrel::win32 {

struct Dpi {
    int x = 96;
    int y = 96;

    int ToPixelsX(ui::Twips twips) const { return static_cast<int>(std::lround(twips * x / 1440.0)); }
    int ToPixelsY(ui::Twips twips) const { return static_cast<int>(std::lround(twips * y / 1440.0)); }
    ui::Twips ToTwipsX(int pixels) const { return pixels * 1440.0 / x; }
    ui::Twips ToTwipsY(int pixels) const { return pixels * 1440.0 / y; }
    // Character height in pixels for a size in points, and back.
    int PointsToPixels(double points) const { return static_cast<int>(std::lround(points * y / 72.0)); }
    double PixelsToPoints(int pixels) const { return pixels * 72.0 / y; }

    // Read once from the screen: the program is DPI aware for the system's
    // setting, which does not change while it runs.
    static const Dpi& OfScreen();
};

}  // namespace tamrel::win32
