// The toolkit's life: Qt started only by the first call that needs it, Run
// and Quit, and the timers.

#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "QtTestSupport.h"

namespace tamrel::qt::test {
namespace {

// Twips follow Qt's logical pixels; the screen's device pixels are what a
// skin must fill, whatever the scaling.
TEST(QtToolkitStart, QtStartsWithTheFirstWindowAnEarlyQuitIsNotRememberedAndScalingKeepsTheDevicePixels) {
    if (!HaveDisplay()) GTEST_SKIP() << "No X display: the Qt backend tests need an X server";
    QSize plain;
    ui::Twips plainTwips = 0;
    {
        QtToolkit toolkit;
        // A Quit before Qt exists must neither start it nor crash.
        toolkit.Quit();
        EXPECT_EQ(QCoreApplication::instance(), nullptr);

        auto window = toolkit.NewWindow({"Early", "Early", false, false, 1500, 1500});
        ASSERT_NE(QCoreApplication::instance(), nullptr);
        EXPECT_FALSE(QApplication::quitOnLastWindowClosed());

        // A Quit before Run does not end the Run that follows at once.
        toolkit.Quit();
        QTimer::singleShot(300, [&toolkit] { toolkit.Quit(); });
        QElapsedTimer running;
        running.start();
        toolkit.Run();
        EXPECT_GE(running.elapsed(), 250);
        plain = {toolkit.ScreenPixelWidth(), toolkit.ScreenPixelHeight()};
        plainTwips = toolkit.ScreenWidth();
    }
    qputenv("QT_SCALE_FACTOR", "2");
    // Unset however the test ends, so that the tests after it are unscaled.
    const std::shared_ptr<void> unscaled(nullptr, [](void*) { qunsetenv("QT_SCALE_FACTOR"); });
    QtToolkit toolkit;
    toolkit.ProcessPendingEvents();  // starts Qt
    ASSERT_DOUBLE_EQ(QGuiApplication::primaryScreen()->devicePixelRatio(), 2);
    EXPECT_EQ(QSize(toolkit.ScreenPixelWidth(), toolkit.ScreenPixelHeight()), plain);
    EXPECT_DOUBLE_EQ(toolkit.ScreenWidth(), plainTwips / 2);
}

// A start the display hangs ends the program, told why, at the limit or a
// moment after a stop request; a start that ends in time leaves the request
// to the event loop.
TEST(QtToolkitStart, TheWatchdogEndsAHangingStartAtItsLimitOrOnAStopRequest) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto hang = [](bool stop) {
        StopRequests requests;
        const StartWatchdog watchdog(requests, 1, [](const std::string& why) { std::fprintf(stderr, "<%s>", why.c_str()); });
        if (stop) ::kill(::getpid(), SIGTERM);  // as from outside: to the process
        QThread::sleep(5);
    };
    EXPECT_EXIT(hang(false), ::testing::ExitedWithCode(1), "<the display did not answer within 1 seconds>");
    EXPECT_EXIT(hang(true), ::testing::ExitedWithCode(1),
                "<the display did not answer when Tamrel was asked to stop \\(signal 15\\)>");

    StopRequests requests;
    QElapsedTimer started;
    started.start();
    {
        const StartWatchdog watchdog(requests, 1, [](const std::string&) { std::_Exit(2); });
        ::kill(::getpid(), SIGTERM);  // as from outside: to the process
        QThread::msleep(300);
    }
    EXPECT_LT(started.elapsed(), 900);
    QThread::msleep(1200);  // past both limits: the watchdog is gone
    pollfd waiting{requests.fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&waiting, 1, 0), 1);
    signalfd_siginfo request{};
    ASSERT_EQ(::read(requests.fd(), &request, sizeof request), static_cast<ssize_t>(sizeof request));
    EXPECT_EQ(request.ssi_signo, static_cast<unsigned>(SIGTERM));
}

TEST_F(QtBackendTest, TimerTicksEveryIntervalWithoutDriftAndStopsWhenDisabled) {
    auto window = toolkit.NewWindow({"Ticking", "Ticking", false, false, 1500, 1500});
    ui::Timer& timer = window->AddTimer(50);
    QElapsedTimer clock;
    std::vector<qint64> ticks;
    timer.OnTick([&] {
        ticks.push_back(clock.elapsed());
        // Slow handling: a timer that counts from the end of the handler
        // would fall 20 ms behind at every tick.
        QThread::msleep(20);
        if (ticks.size() == 10) timer.SetEnabled(false);
    });
    clock.start();
    timer.SetEnabled(true);
    ASSERT_TRUE(WaitFor([&] { return ticks.size() == 10; }, 3000));
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        EXPECT_GE(ticks[i], 50 * static_cast<qint64>(i + 1) - 2) << "tick " << i + 1 << " came early";
    }
    EXPECT_LT(ticks.back(), 600) << "the ticks drift";

    // Disabled, it stays quiet; enabled again, it starts a whole interval later.
    QuietFor(200);
    EXPECT_EQ(ticks.size(), 10u);
    clock.restart();
    timer.SetEnabled(true);
    ASSERT_TRUE(WaitFor([&] { return ticks.size() == 11; }, 1000));
    EXPECT_GE(ticks.back(), 48);
    timer.SetEnabled(false);
}

}  // namespace
}  // namespace tamrel::qt::test
