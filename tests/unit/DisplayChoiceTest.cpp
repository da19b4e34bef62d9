// Where the windows go, as a table over what answers.

#include <gtest/gtest.h>

#include "platform/posix/DisplayChoice.h"

namespace tamrel {
namespace {

CardSurvey Lit(const std::string& device, int width = 1280, int height = 800) { return {device, false, width, height}; }
CardSurvey Dark(const std::string& device) { return {device}; }
CardSurvey Refused(const std::string& device) { return {device, true}; }
CardSurvey WithFramebuffer(CardSurvey card, bool refused = false) {
    card.framebuffer = "/dev/fb0";
    card.framebufferRefused = refused;
    return card;
}

DisplaySurvey Console(std::vector<CardSurvey> cards, int inputs = 3, std::string refusedInput = "") {
    DisplaySurvey survey;
    survey.virtualConsole = true;
    survey.cards = std::move(cards);
    survey.inputDevices = inputs;
    survey.refusedInput = std::move(refusedInput);
    survey.user = "arcade";
    return survey;
}

TEST(DisplayChoiceTest, ChoosesFromWhatAnswers) {
    DisplaySurvey both = Console({Lit("/dev/dri/card0")});
    both.wayland = both.x11 = true;
    DisplaySurvey wayland = both;
    wayland.x11 = false;
    DisplaySurvey x11 = both;
    x11.wayland = false;
    DisplaySurvey offConsole = Console({Lit("/dev/dri/card0")});
    offConsole.virtualConsole = false;
    struct Case {
        const char* what;
        DisplaySurvey survey;
        DisplayKind kind;
        std::string device;  // the console's card, or the device refused
        std::string group;
        std::string whyHas;
    } cases[] = {
        // A display server answering wins over the console.
        {"both servers", both, DisplayKind::WaylandThenX11, "", "", ""},
        {"Wayland", wayland, DisplayKind::Wayland, "", "", ""},
        {"X11", x11, DisplayKind::X11, "", "", ""},
        {"not on a virtual console", offConsole, DisplayKind::None, "", "", ""},
        {"the console", Console({Lit("/dev/dri/card0"), Dark("/dev/dri/card1")}), DisplayKind::Console,
         "/dev/dri/card0", "", ""},
        {"no keyboard yet", Console({Lit("/dev/dri/card0")}, 0), DisplayKind::Console, "/dev/dri/card0", "", ""},
        {"card refused", Console({Refused("/dev/dri/card0")}), DisplayKind::Refused, "/dev/dri/card0", "video",
         "sudo usermod -aG video arcade"},
        {"input refused", Console({Lit("/dev/dri/card0")}, 2, "/dev/input/event0"), DisplayKind::Refused,
         "/dev/input/event0", "input", "may not open /dev/input/event0"},
        {"another card refused", Console({Dark("/dev/dri/card0"), Refused("/dev/dri/card1")}), DisplayKind::None,
         "", "", "no screen is connected"},
        {"no card", Console({}), DisplayKind::None, "", "", "no DRM device"},
        // A GPU without outputs as card0: the screen's card draws through its framebuffer.
        {"screen on another card", Console({Dark("/dev/dri/card0"), WithFramebuffer(Lit("/dev/dri/card1"))}),
         DisplayKind::Console, "/dev/dri/card1", "", ""},
        {"its framebuffer refused", Console({Dark("/dev/dri/card0"), WithFramebuffer(Lit("/dev/dri/card1"), true)}),
         DisplayKind::Refused, "/dev/fb0", "video", "may not open /dev/fb0"},
        {"and no framebuffer", Console({Dark("/dev/dri/card0"), Lit("/dev/dri/card1")}), DisplayKind::None, "", "",
         "screen is on /dev/dri/card1, which has no framebuffer"},
        {"its keys refused", Console({WithFramebuffer(Lit("/dev/dri/card1"))}, 2, "/dev/input/event0"),
         DisplayKind::Refused, "/dev/input/event0", "input", "may not open /dev/input/event0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const DisplayChoice choice = ChooseDisplay(c.survey);
        EXPECT_EQ(choice.kind, c.kind);
        EXPECT_EQ(choice.device, c.device);
        EXPECT_EQ(choice.group, c.group);
        if (c.whyHas.empty()) {
            EXPECT_EQ(choice.why, "");
        } else {
            EXPECT_NE(choice.why.find(c.whyHas), std::string::npos) << choice.why;
        }
    }
    EXPECT_EQ(ConsoleLine(ChooseDisplay(Console({Lit("/dev/dri/card0")}))),
              "Drawing on the console: /dev/dri/card0, 1280x800.");
    // card0 drawn on through DRM even where it has a framebuffer too.
    EXPECT_EQ(ConsoleLine(ChooseDisplay(Console({WithFramebuffer(Lit("/dev/dri/card0"))}))),
              "Drawing on the console: /dev/dri/card0, 1280x800.");
    EXPECT_EQ(ConsoleLine(ChooseDisplay(Console({Dark("/dev/dri/card0"), WithFramebuffer(Lit("/dev/dri/card1", 1920, 1080))}))),
              "Drawing on the console: /dev/dri/card1 through /dev/fb0, 1920x1080.");
}

}  // namespace
}  // namespace tamrel
