// Every range a reader holds a value of the file to, tried at both edges
// and one beyond each, through what the user sees. The ranges are written
// out here again, apart from the readers' own table, so that a slip in
// that table shows. The start-up reads no number and has no range.

#include <algorithm>
#include <functional>
#include <optional>
#include <stdexcept>

#include "TestPlatform.h"
#include "setup/SetupMenus.h"

namespace tamrel::test {
namespace {

using namespace setup;

// What the user sees of the value the reader took; the file's value helps
// to find which key or button acts.
using Seen = std::function<long(TestPlatform& p, long written)>;

struct Bound {
    bool screen;  // else setup
    std::string key;
    long low, high, replacement;
    std::string said;  // the event line when replaced; empty: silently
    bool errorLogToo;
    Seen seen;
};

constexpr long kNothing = -999;
const std::string kRunOut = "The number in tamrel.set for shortest run is not within range, default of 10 being used.";
const std::string kCancelButtonOut =
    "The number for joystick button to cancel in tamrel.set is out of range. Using default of 0 (None).";
const std::string kRestartButtonOut =
    "The number for joystick button to re start in tamrel.set is out of range. Using default of 0 (None).";
const std::string kIdleOut =
    "The number for idle minutes to power off in tamrel.set is out of range. Power off when idle is off.";
const RunReport kShortRun{"front.exe", 0.5};

// The number after `after` in `text`, or none.
std::optional<long> NumberAfter(const std::string& text, const std::string& after) {
    const auto at = text.find(after);
    if (at == std::string::npos) return std::nullopt;
    return std::stol(text.substr(at + after.size()));
}

// A key (-1 a click) that the screen acts on; whether it did.
bool ScreenActsOn(TestPlatform& p, long key, bool restart) {
    if (key < -1 || key > 255 || key == 0) return false;
    const std::size_t restarts = p.processes.restarts().size();
    key == -1 ? p.ui.ClickWindow("ShutdownScreen") : void(p.ui.PressKey("ShutdownScreen", static_cast<int>(key)));
    return restart ? p.processes.restarts().size() > restarts : !p.Open("ShutdownScreen");
}

long ButtonThatActs(TestPlatform& p, long written, bool restart) {
    if (!p.ui.joysticksOpen() || written < 1) return 0;
    p.ui.PressButton(static_cast<int>(written));
    const bool acted = restart ? !p.processes.restarts().empty() : !p.Open("ShutdownScreen");
    return acted ? written : kNothing;
}

// The argument of the marked item among these, as its caption says.
long MarkedSeconds(TestPlatform& p, std::initializer_list<ui::MenuId> items) {
    for (const ui::MenuId id : items) {
        std::string caption;
        try {
            caption = p.ui.FindWindow("SetupWindow")->MenuCaption(id);
        } catch (const std::logic_error&) {
            continue;  // an item only some files bring
        }
        if (caption.starts_with(">")) return caption == ">Off" ? 0 : std::stol(caption.substr(1));
    }
    return kNothing;
}

std::string SetupCaption(TestPlatform& p, ui::MenuId id) { return p.ui.FindWindow("SetupWindow")->MenuCaption(id); }

long KeyInCaption(TestPlatform& p, ui::MenuId id) {
    const std::string caption = SetupCaption(p, id);
    if (caption.find("Left mouse click") != std::string::npos) return -1;
    if (caption.find(": none") != std::string::npos) return 0;
    return NumberAfter(caption, "ey: ").value_or(kNothing);  // "Key: " or "key: "
}

long ButtonInCaption(TestPlatform& p, ui::MenuId id) { return NumberAfter(SetupCaption(p, id), ", button ").value_or(0); }

const std::vector<Bound>& Bounds() {
    static const std::vector<Bound> bounds = {
        // The shutdown screen.
        {true, "Shutdown method =", 0, 2, 0, "", false,
         [](TestPlatform& p, long) -> long {
             if (!p.Open("ShutdownScreen")) return 0;
             p.ui.Advance(30000);
             const std::vector<PowerAction>& asked = p.power.requests();
             if (asked.size() != 1) return kNothing;
             return asked[0] == PowerAction::PowerOff ? 2 : asked[0] == PowerAction::ShutDown ? 1 : kNothing;
         }},
        {true, "Seconds to cancel =", 5, 25, 10, "", false,
         [](TestPlatform& p, long) { return std::stol(p.Screen("defaultNumber").Text()); }},
        {true, "Key to cancel =", -1, 255, 13,
         "The number for key to cancel in tamrel.set is out of range. Using 13 (Enter).", false,
         [](TestPlatform& p, long written) {
             if (ScreenActsOn(p, written, false)) return written;
             return ScreenActsOn(p, 13, false) ? 13L : kNothing;
         }},
        {true, "Key to re-start =", -1, 255, 0, "", false,
         [](TestPlatform& p, long written) {
             if (!p.Screen("restartHint").Visible()) return 0L;
             return ScreenActsOn(p, written, true) ? written : kNothing;
         }},
        {true, "Shortest run in seconds =", 0, 3600, 10, kRunOut, true,
         [](TestPlatform& p, long) {
             if (!p.Screen("notice").Visible()) return 0L;
             return NumberAfter(p.Screen("notice").Text(), "sooner than the ").value_or(kNothing);
         }},
        {true, "Joystick button to cancel =", 0, 32, 0, kCancelButtonOut, true,
         [](TestPlatform& p, long written) { return ButtonThatActs(p, written, false); }},
        {true, "Joystick button to re-start =", 0, 32, 0, kRestartButtonOut, true,
         [](TestPlatform& p, long written) { return ButtonThatActs(p, written, true); }},

        // Setup.
        {false, "Shutdown method =", 0, 2, 0, "", false,
         [](TestPlatform& p, long) {
             for (const long method : {0, 1, 2}) {
                 if (SetupCaption(p, kNoShutdown + static_cast<ui::MenuId>(method)).starts_with(">")) return method;
             }
             return kNothing;
         }},
        {false, "Seconds to cancel =", 5, 25, 10,
         "The number in tamrel.set for cancel time is not within range, default of 10 being used.", false,
         [](TestPlatform& p, long) {
             return MarkedSeconds(p, {k5Seconds, k10Seconds, k15Seconds, k20Seconds, k25Seconds, kCancelTimeFromFile});
         }},
        {false, "Key to cancel =", -1, 255, 27,
         "The number for key to cancel in tamrel.set is out of range. Using default of 27 (Escape).", false,
         [](TestPlatform& p, long) { return KeyInCaption(p, kCancelKeyMenu); }},
        {false, "Key to re-start =", -1, 255, 0,
         "The number for key to re start in tamrel.set is out of range. Using default of 0 (None).", false,
         [](TestPlatform& p, long) { return KeyInCaption(p, kRestartKeyMenu); }},
        {false, "Countdown box color =", 0, 0xFFFFFF, 0, "", false,
         [](TestPlatform& p, long) { return long{p.ui.ControlOf("SetupWindow", "countdownBox").ForeColor()}; }},
        {false, "Shortest run in seconds =", 0, 3600, 10, kRunOut, true,
         [](TestPlatform& p, long) {
             return MarkedSeconds(p, {kShortestRunOff, kShortestRun10, kShortestRun30, kShortestRun60,
                                      kShortestRunFromFile});
         }},
        {false, "Joystick button to cancel =", 0, 32, 0, kCancelButtonOut, true,
         [](TestPlatform& p, long) { return ButtonInCaption(p, kCancelKeyMenu); }},
        {false, "Joystick button to re-start =", 0, 32, 0, kRestartButtonOut, true,
         [](TestPlatform& p, long) { return ButtonInCaption(p, kRestartKeyMenu); }},
        {false, "Idle minutes to power off =", 0, 1440, 0, kIdleOut, true,
         [](TestPlatform& p, long) {
             return MarkedSeconds(p, {kIdleOff, kIdle15, kIdle30, kIdle60, kIdle120, kIdleFromFile});
         }},
    };
    return bounds;
}

TEST(SettingsBounds, EveryReaderKeepsEachEdgeOfItsRangesAndReplacesWhatLiesBeyond) {
    for (const Bound& bound : Bounds()) {
        for (const long written : {bound.low - 1, bound.low, bound.high, bound.high + 1}) {
            const std::string line = bound.key + std::to_string(written);
            const std::string where = std::string(bound.screen ? "screen: " : "setup: ") + line;
            const bool inside = written >= bound.low && written <= bound.high;
            TestPlatform p;
            if (bound.screen) {
                p.WriteSettings(SettingsLines({line}));
                p.app.ShowShutdownScreen(kShortRun);
            } else {
                p.WriteLaunchable({line});
                p.app.ShowSetup();
            }
            EXPECT_TRUE(p.ui.messageBoxes().empty()) << where;
            EXPECT_EQ(bound.seen(p, written), inside ? written : bound.replacement) << where;
            if (bound.said.empty()) continue;
            EXPECT_EQ(p.Logged(bound.said), inside ? 0 : 1) << where;
            const Lines errors = p.Errors();
            EXPECT_EQ(std::count(errors.begin(), errors.end(), " --" + bound.said), !inside && bound.errorLogToo ? 1 : 0)
                << where;
        }
    }
}

// The lines only Tamrel writes never stop a run: a value that does not
// read, or is too large for any number the file holds, takes its default
// and the owner is told in both logs, by either reader.
TEST(SettingsBounds, OurLinesThatDoNotReadTakeTheirDefaultsInBothLogsAndNeverABox) {
    const std::pair<std::string, std::string> cases[] = {
        {"Shortest run in seconds =99999", kRunOut},
        {"Shortest run in seconds =32768", kRunOut},
        {"Shortest run in seconds =abc",
         "The number in tamrel.set for shortest run cannot be read, default of 10 being used."},
        {"Joystick button to re-start =40000", kRestartButtonOut},
        {"Joystick button to cancel =x7",
         "The number for joystick button to cancel in tamrel.set cannot be read. Using default of 0 (None)."},
        {"Joystick button to cancel =1e300", kCancelButtonOut},
        {"Idle minutes to power off =99999", kIdleOut},
        {"Idle minutes to power off =thirty",
         "The number for idle minutes to power off in tamrel.set cannot be read. Power off when idle is off."},
        {"Power off at =6pm", "The time for power off at in tamrel.set cannot be read (HH:MM). No closing time is used."},
        {"Wake up at =7:3", "The time for wake up at in tamrel.set cannot be read (HH:MM). No wake-up time is set."},
    };
    for (const auto& [line, said] : cases) {
        for (const bool screen : {true, false}) {
            TestPlatform p;
            // The wait's own lines are read by the run before it, not by the screen.
            if (screen && (line.starts_with("Idle") || line.starts_with("Power off at"))) {
                p.WriteLaunchable({"Shutdown method =2", line});
                p.app.Start();
            } else if (screen) {
                p.WriteSettings(SettingsLines({line}));
                p.app.ShowShutdownScreen(kShortRun);
                EXPECT_TRUE(p.Open("ShutdownScreen")) << line;
                const bool shortestRun = line.starts_with("Shortest");
                // The default guard of 10 seconds stops a run this short.
                EXPECT_EQ(p.Screen("notice").Visible(), shortestRun) << line;
                EXPECT_FALSE(p.ui.joysticksOpen()) << line;
            } else {
                p.WriteLaunchable({line});
                p.app.ShowSetup();
                EXPECT_TRUE(p.Open("SetupWindow")) << line;
            }
            EXPECT_TRUE(p.ui.messageBoxes().empty()) << line;
            EXPECT_EQ(p.Logged(said), 1) << line;
            const Lines errors = p.Errors();
            EXPECT_EQ(std::count(errors.begin(), errors.end(), " --" + said), 1) << line;
        }
    }
}

}  // namespace
}  // namespace tamrel::test
