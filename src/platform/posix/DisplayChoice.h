#pragma once
// Where Tamrel's windows go, decided from what answers: a Wayland
// compositor, an X server, or the Linux console's own screen. The probing
// is done elsewhere; this is the decision alone.

#include <string>
#include <vector>

namespace tamrel {

// A DRM device as found: whether it may be opened and, when it may, the
// size of its first connected output's mode (0 by 0 without one).
struct CardSurvey {
    std::string device;  // "/dev/dri/card0"
    bool refused = false;
    int width = 0;
    int height = 0;
    // The kernel's framebuffer on this card ("/dev/fb0"), if it made one,
    // and whether it may be opened.
    std::string framebuffer{};
    bool framebufferRefused = false;
};

struct DisplaySurvey {
    bool wayland = false;  // a compositor answered, and Qt can talk to it
    bool x11 = false;
    // On a virtual console (/dev/ttyN), or in logind's tty session on one.
    bool virtualConsole = false;
    std::vector<CardSurvey> cards;  // in the order of their numbers
    // The keyboards' way in: how many /dev/input/event* there are, and the
    // first one refused when none may be opened.
    int inputDevices = 0;
    std::string refusedInput;
    std::string user;  // who would have to join a group
};

enum class DisplayKind {
    Wayland,
    X11,
    WaylandThenX11,  // both answer: Qt goes on to X11 should the compositor go
    Console,
    Refused,  // there is a screen, but the user may not use it
    None,
};

struct DisplayChoice {
    DisplayKind kind = DisplayKind::None;
    // Console: the card and its output's size; Refused: the device refused.
    std::string device;
    // Console: the card's framebuffer, drawn on where Qt cannot draw on the
    // card itself; empty on card0.
    std::string framebuffer{};
    int width = 0;
    int height = 0;
    // Refused: the group that may open the device.
    std::string group;
    // Refused: the whole message; None: why the console cannot serve
    // either, to follow the display servers' reasons (empty off a console).
    std::string why;
};

// The only card Qt's console platform draws on through DRM; on another
// card it draws on the card's framebuffer.
inline constexpr const char* kConsoleCard = "/dev/dri/card0";

DisplayChoice ChooseDisplay(const DisplaySurvey& survey);

// The log line of a console choice.
std::string ConsoleLine(const DisplayChoice& choice);

}  // namespace tamrel
