#include "platform/posix/DisplayChoice.h"

#include <algorithm>

namespace tamrel {

namespace {

DisplayChoice Chosen(DisplayKind kind, const std::string& device = "", const std::string& group = "",
                     const std::string& why = "") {
    DisplayChoice choice;
    choice.kind = kind;
    choice.device = device;
    choice.group = group;
    choice.why = why;
    return choice;
}

DisplayChoice Refusal(const std::string& device, const std::string& group, const std::string& user) {
    const std::string who = user.empty() ? "this user" : user;
    return Chosen(DisplayKind::Refused, device, group,
                  "Tamrel may not draw on the console: " + who + " may not open " + device + ". Add " + who +
                      " to the group " + group + " (sudo usermod -aG " + group + " " + (user.empty() ? "USER" : user) +
                      ") and log in again.");
}

DisplayChoice Lacking(const std::string& why) { return Chosen(DisplayKind::None, "", "", why); }

}  // namespace

DisplayChoice ChooseDisplay(const DisplaySurvey& survey) {
    if (survey.wayland) return Chosen(survey.x11 ? DisplayKind::WaylandThenX11 : DisplayKind::Wayland);
    if (survey.x11) return Chosen(DisplayKind::X11);
    if (!survey.virtualConsole) return Chosen(DisplayKind::None);
    const auto& cards = survey.cards;
    const auto card = std::find_if(cards.begin(), cards.end(), [](const CardSurvey& c) { return c.device == kConsoleCard; });
    const auto lit = std::find_if(cards.begin(), cards.end(), [](const CardSurvey& c) { return c.width > 0; });
    if (card != cards.end() && card->refused) return Refusal(card->device, "video", survey.user);
    // Where the screen is on another card (card0 being a GPU without
    // outputs, as on a Raspberry Pi), its framebuffer serves.
    const bool onCard0 = card != cards.end() && card->width > 0;
    const auto screen = onCard0 ? card : lit;
    if (!onCard0) {
        if (lit == cards.end()) {
            if (card == cards.end()) return Lacking(std::string("the console has no DRM device ") + kConsoleCard);
            return Lacking(std::string("no screen is connected to the console's ") + kConsoleCard);
        }
        if (lit->framebuffer.empty()) {
            return Lacking("the console's screen is on " + lit->device + ", which has no framebuffer, and Qt draws on " +
                           kConsoleCard + " alone");
        }
        if (lit->framebufferRefused) return Refusal(lit->framebuffer, "video", survey.user);
    }
    // Without its keys the screen could not be cancelled.
    if (survey.inputDevices > 0 && !survey.refusedInput.empty()) {
        return Refusal(survey.refusedInput, "input", survey.user);
    }
    DisplayChoice console = Chosen(DisplayKind::Console, screen->device);
    if (!onCard0) console.framebuffer = screen->framebuffer;
    console.width = screen->width;
    console.height = screen->height;
    return console;
}

std::string ConsoleLine(const DisplayChoice& choice) {
    const std::string through = choice.framebuffer.empty() ? "" : " through " + choice.framebuffer;
    return "Drawing on the console: " + choice.device + through + ", " + std::to_string(choice.width) + "x" +
           std::to_string(choice.height) + ".";
}

}  // namespace tamrel
