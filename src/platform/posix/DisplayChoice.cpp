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
    if (card == cards.end() || card->width == 0) {
        if (lit != cards.end()) {
            return Lacking("the console's screen is on " + lit->device + ", and Qt draws only on " + kConsoleCard);
        }
        if (card == cards.end()) return Lacking(std::string("the console has no DRM device ") + kConsoleCard);
        return Lacking(std::string("no screen is connected to the console's ") + kConsoleCard);
    }
    // Without its keys the screen could not be cancelled.
    if (survey.inputDevices > 0 && !survey.refusedInput.empty()) {
        return Refusal(survey.refusedInput, "input", survey.user);
    }
    DisplayChoice console = Chosen(DisplayKind::Console, card->device);
    console.width = card->width;
    console.height = card->height;
    return console;
}

std::string ConsoleLine(const DisplayChoice& choice) {
    return "Drawing on the console: " + choice.device + ", " + std::to_string(choice.width) + "x" +
           std::to_string(choice.height) + ".";
}

}  // namespace tamrel
