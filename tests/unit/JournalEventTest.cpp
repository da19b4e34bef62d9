// What a fleet's collector gets of each run: every log line, and the events
// it filters on with the facts the run knew.

#include <cstdlib>
#include <functional>

#include "TestPlatform.h"

namespace tamrel::test {
namespace {

using Kind = headless::WaitEvent::Kind;

constexpr const char* kKindNames[] = {"line",    "started",  "ended",   "countdown", "cancelled", "re-started",
                                      "asked",   "refused",  "guard",   "idle",      "closing",   "error"};

// One event, its kind's name first, then only the facts it has.
std::string Facts(const Event& e) {
    std::string facts = kKindNames[static_cast<int>(e.kind)];
    if (!e.program.empty()) facts += " " + e.program;
    if (e.exitStatus) facts += " status=" + std::to_string(*e.exitStatus);
    if (e.signal) facts += " signal=" + std::to_string(*e.signal);
    if (e.runSeconds) facts += " run=" + std::to_string(*e.runSeconds);
    if (!e.action.empty()) facts += " " + e.action;
    return facts;
}

// The events a collector filters on, without the plain lines.
Lines Notable(const TestPlatform& t) {
    Lines notable;
    for (const Event& e : t.events.sent) {
        if (e.kind != EventKind::Line && e.kind != EventKind::Error) notable.push_back(Facts(e));
    }
    return notable;
}

Lines TextsOf(const TestPlatform& t, const std::function<bool(EventKind)>& which) {
    Lines texts;
    for (const Event& e : t.events.sent) {
        if (which(e.kind)) texts.push_back(e.text);
    }
    return texts;
}

void RunFront(TestPlatform& t, const Lines& settings, const ProgramEnd& end) {
    t.processes.EndProgramWith(end);
    t.WriteLaunchable(settings);
    t.app.Start();
}

TEST(JournalEvent, EveryLineOfBothLogsIsSentInOrderWithTheProgramOnceItIsKnown) {
    // A run that powers off, and one too short to, which also writes the error log.
    TestPlatform off;
    RunFront(off, {"Shutdown method =2"}, {0, ProgramEnd::How::Exited, 3, 3600.4});
    off.ui.Advance(10000);
    TestPlatform shortRun;
    RunFront(shortRun, {"Shortest run in seconds =30"}, {0, ProgramEnd::How::Signalled, 9, 2.4});
    for (TestPlatform* t : {&off, &shortRun}) {
        EXPECT_EQ(TextsOf(*t, [](EventKind k) { return k != EventKind::Error && k != EventKind::CountdownStarted; }),
                  t->Events());
        Lines errors = t->Errors();
        for (std::string& entry : errors) entry.erase(0, entry.find_first_not_of(" -"));
        EXPECT_EQ(TextsOf(*t, [](EventKind k) { return k == EventKind::Error; }), errors);
        ASSERT_GT(t->events.sent.size(), 3u);
        EXPECT_EQ(t->events.sent[0].program, "");  // "Tamrel started."
        EXPECT_EQ(t->events.sent.back().program, "front.exe");
    }
    EXPECT_EQ(shortRun.Errors().size(), 1u);
}

TEST(JournalEvent, EachKindCarriesItsFacts) {
    const auto idle = [](TestPlatform& t) {
        t.StartScripted({"Shutdown method =2", "Idle minutes to power off =30"}, {{10 * kMinute, Kind::Input, {}}});
    };
    const auto closing = [](TestPlatform& t) {
        t.StartScripted({"Shutdown method =1", "Power off at =18:00"}, {{kMinute, Kind::ClosingTime, {}}});
        t.ui.PressKey("ShutdownScreen", 27);
    };
    const std::tuple<std::string, std::function<void(TestPlatform&)>, Lines> cases[] = {
        {"powered off",
         [](TestPlatform& t) {
             RunFront(t, {"Shutdown method =2"}, {0, ProgramEnd::How::Exited, 3, 3600.4});
             t.ui.Advance(10000);
         },
         {"started front.exe", "ended front.exe status=3 run=3600", "countdown front.exe run=3600 power-off",
          "asked front.exe run=3600 power-off"}},
        {"launcher outlived",
         [](TestPlatform& t) {
             RunFront(t, {"Shortest run in seconds =30"}, {0, ProgramEnd::How::Signalled, 9, 2.4, 40.6});
         },
         {"started front.exe", "ended front.exe signal=9 run=41", "countdown front.exe run=41 shutdown"}},
        {"guard",
         [](TestPlatform& t) { RunFront(t, {"Shortest run in seconds =30"}, {0, ProgramEnd::How::Signalled, 9, 2.4}); },
         {"started front.exe", "ended front.exe signal=9 run=2", "guard front.exe run=2 stay-on"}},
        {"cancelled",
         [](TestPlatform& t) {
             t.ShowScreen();
             t.ui.PressKey("ShutdownScreen", 27);
         },
         {"countdown front.exe run=3600 shutdown", "cancelled front.exe run=3600 cancel"}},
        {"re-started",
         [](TestPlatform& t) {
             t.ShowScreen({"Key to re-start = 32"});
             t.ui.PressKey("ShutdownScreen", 32);
         },
         {"countdown front.exe run=3600 shutdown", "re-started front.exe run=3600 re-start"}},
        {"refused",
         [](TestPlatform& t) {
             t.power.Refuse("no");
             t.ShowScreen({"Shutdown method =2"});
             t.ui.Advance(10000);
         },
         {"countdown front.exe run=3600 power-off", "refused front.exe run=3600 power-off"}},
        {"idle", idle,
         {"started front.exe", "idle front.exe end-program", "ended front.exe signal=15 run=2400",
          "countdown front.exe run=2400 power-off"}},
        {"closing time", closing,
         {"started front.exe", "closing front.exe end-program", "ended front.exe signal=15 run=60",
          "countdown front.exe run=60 shutdown", "cancelled front.exe run=60 cancel"}},
    };
    for (const auto& [name, run, expected] : cases) {
        TestPlatform t;
        run(t);
        EXPECT_EQ(Notable(t), expected) << name;
    }

    // Only the journal has the countdown's start (the files are checked above).
    TestPlatform t;
    t.ShowScreen({"Shutdown method =2"});
    EXPECT_EQ(TextsOf(t, [](EventKind k) { return k == EventKind::CountdownStarted; }),
              Lines{"Countdown started: 10 seconds before the power-off."});
}

}  // namespace
}  // namespace tamrel::test
