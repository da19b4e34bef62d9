#pragma once
// Which of Qt's platforms can draw Tamrel's windows, found without Qt, which
// would abort the program or wait for ever on a display that fails it.

#include <memory>
#include <string>

struct xcb_connection_t;

namespace tamrel::qt {

// The check's own connection to the X server. An X server whose last client
// leaves resets itself and refuses connections for a moment, so the check
// holds its connection until Qt has one of its own.
struct DisplayConnection {
    void operator()(xcb_connection_t* connection) const;
};
using HeldDisplay = std::unique_ptr<xcb_connection_t, DisplayConnection>;

struct CheckedDisplay {
    // The Qt platforms to try in turn ("wayland;xcb", "wayland", "xcb", or
    // "linuxfb" on the console, "linuxfb:fb=/dev/fb0" on a card's
    // framebuffer); empty when QT_QPA_PLATFORM chose one already.
    std::string platform;
    HeldDisplay x;
    // On the console: the card and its size, as the log tells it, and the
    // card, which must be free before Qt draws on it.
    std::string console;
    std::string card{};
};

// Raises ui::DisplayUnavailable when nothing could be shown: neither a
// Wayland compositor nor an X server answers with a plugin of Qt's that can
// talk to it, and Tamrel is not on a virtual console with a screen on its
// DRM card or its framebuffer. Wayland comes first when both answer, X11 as the fallback, the
// console last. ui::DisplayRefused when only the console is left and the
// user may not open its card or keyboards. A platform chosen by hand that
// is none of these (offscreen, for tests) reports for itself.
CheckedDisplay FindDisplay();

}  // namespace tamrel::qt
