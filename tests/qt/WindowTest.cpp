// Windows: covering the screen, the background picture, typed keys, clicks
// on the background as against clicks on controls, the focus, and closing.

// Mouse clicks go through the window system, which picks the widget under
// the pointer, as a real click does.
#define QTEST_QPA_MOUSE_HANDLING

#include <QApplication>
#include <QCursor>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>
#include <QWindow>

#include "QtTestSupport.h"
#include "platform/RuntimeError.h"

namespace tamrel::qt::test {
namespace {

ui::WindowSpec FullScreen(const std::string& name) { return {name, "", true, true, 0, 0}; }
ui::WindowSpec Plain(const std::string& name) { return {name, name, false, false, 6000, 4500}; }

bool Exposed(QWidget* widget) { return widget && widget->windowHandle() && widget->windowHandle()->isExposed(); }

// The geometry the X server itself has for the window, as "WxH+X+Y".
QString ServerGeometry(QWidget* window) {
    QProcess xwininfo;
    xwininfo.start("xwininfo", {"-id", QString::number(window->winId())});
    xwininfo.waitForFinished();
    int values[4] = {-1, -1, -1, -1};
    const char* keys[4] = {"Width:", "Height:", "Absolute upper-left X:", "Absolute upper-left Y:"};
    for (const QString& line : QString::fromLocal8Bit(xwininfo.readAllStandardOutput()).split('\n')) {
        for (int i = 0; i < 4; ++i) {
            if (line.trimmed().startsWith(keys[i])) values[i] = line.section(':', 1).trimmed().toInt();
        }
    }
    return QString("%1x%2+%3+%4").arg(values[0]).arg(values[1]).arg(values[2]).arg(values[3]);
}

TEST_F(QtBackendTest, FullScreenWindowCoversTheWholeScreenWithoutAWindowManager) {
    auto window = toolkit.NewWindow(FullScreen("ShutdownScreen"));
    window->Show();
    QWidget* widget = FindWidget("ShutdownScreen");
    ASSERT_NE(widget, nullptr);
    ASSERT_TRUE(WaitFor([&] { return Exposed(widget); }));

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(widget->frameGeometry(), screen);
    EXPECT_DOUBLE_EQ(window->Width(), toolkit.ScreenWidth());
    EXPECT_DOUBLE_EQ(window->Height(), toolkit.ScreenHeight());
    EXPECT_TRUE(widget->windowFlags() & Qt::FramelessWindowHint);
    if (!QStandardPaths::findExecutable("xwininfo").isEmpty()) {
        EXPECT_EQ(ServerGeometry(widget),
                  QString("%1x%2+0+0").arg(screen.width()).arg(screen.height()));
    }
    // The plain background is the platform's window colour.
    EXPECT_EQ(widget->grab().toImage().pixelColor(5, 5), widget->palette().color(QPalette::Window));
}

TEST_F(QtBackendTest, PictureIsDrawnUnscaledFromTheTopLeftAndBadFilesRaise) {
    TempFolder folder;
    auto window = toolkit.NewWindow(Plain("Skinned"));
    QWidget* widget = FindWidget("Skinned");
    ASSERT_NE(widget, nullptr);
    const QColor background = widget->palette().color(QPalette::Window);

    const std::string skin = folder.Write("skin.bmp", Bitmap(4, 3, 0x0000FF, 0xFF0000));
    window->SetPicture(skin);
    QImage shown = widget->grab().toImage();
    EXPECT_EQ(shown.pixelColor(0, 0), QColor(255, 0, 0));
    EXPECT_EQ(shown.pixelColor(3, 2), QColor(0, 0, 255));
    EXPECT_EQ(shown.pixelColor(4, 0), background);
    EXPECT_EQ(shown.pixelColor(0, 3), background);

    window->ClearPicture();
    EXPECT_EQ(widget->grab().toImage().pixelColor(0, 0), background);

    const std::string missing = folder.Path("missing.bmp");
    try {
        window->SetPicture(missing);
        ADD_FAILURE() << "a missing file was accepted";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.Number(), error::kFileNotFound);
        EXPECT_EQ(error.Description(), "File not found: " + missing);
    }
    const std::string text = folder.Write("text.bmp", "This is no picture at all.\r\n");
    try {
        window->SetPicture(text);
        ADD_FAILURE() << "a text file was accepted as a picture";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.Number(), error::kInvalidPicture);
        EXPECT_EQ(error.Description(), "Invalid picture: " + text);
    }
}

TEST_F(QtBackendTest, KeysGiveTheCodeOfTheCharacterTheyType) {
    auto window = toolkit.NewWindow(Plain("Keys"));
    // A control that takes the focus: Tab must still reach the window.
    window->AddControl(ui::ControlKind::Button, "pushButton", nullptr, {150, 150, 1500, 450});
    std::vector<int> codes;
    window->OnKeyPress([&](int& code) { codes.push_back(code); });
    window->Show();
    QWidget* widget = FindWidget("Keys");
    auto* button = Find<QPushButton>("pushButton");
    ASSERT_TRUE(widget && button);

    using QTest::Click;
    QTest::sendKeyEvent(Click, widget, Qt::Key_Escape, QString(QChar(27)), Qt::NoModifier);
    QTest::sendKeyEvent(Click, widget, Qt::Key_Return, QString("\r"), Qt::NoModifier);
    QTest::sendKeyEvent(Click, widget, Qt::Key_A, QString("a"), Qt::NoModifier);
    QTest::sendKeyEvent(Click, widget, Qt::Key_A, QString("A"), Qt::ShiftModifier);
    QTest::sendKeyEvent(Click, widget, Qt::Key_F1, QString(), Qt::NoModifier);
    QTest::sendKeyEvent(Click, widget, Qt::Key_Left, QString(), Qt::NoModifier);
    QTest::sendKeyEvent(Click, widget, Qt::Key_Delete, QString(QChar(127)), Qt::NoModifier);
    QTest::sendKeyEvent(Click, widget, Qt::Key_unknown, QString(QChar(0x20AC)), Qt::NoModifier);
    QTest::sendKeyEvent(Click, widget, Qt::Key_Backspace, QString("\b"), Qt::NoModifier);
    QTest::sendKeyEvent(Click, widget, Qt::Key_Eacute, QString(QChar(0xE9)), Qt::NoModifier);
    // Without text, as some input sources send them.
    QTest::sendKeyEvent(Click, widget, Qt::Key_Escape, QString(), Qt::NoModifier);
    button->setFocus();
    QTest::sendKeyEvent(Click, button, Qt::Key_Tab, QString("\t"), Qt::NoModifier);
    EXPECT_EQ(codes, (std::vector<int>{27, 13, 97, 65, 8, 233, 27, 9}));
}

TEST_F(QtBackendTest, OnlyALeftClickOnTheBackgroundReachesTheWindow) {
    auto window = toolkit.NewWindow(Plain("Clicks"));
    ui::Control& label = window->AddControl(ui::ControlKind::Label, "caption", nullptr, {150, 150, 1500, 300});
    label.SetText("A label");
    ui::Control& frame = window->AddControl(ui::ControlKind::Frame, "panel", nullptr, {1500, 1500, 3000, 1500});
    ui::Control& inner = window->AddControl(ui::ControlKind::Label, "innerCaption", &frame, {150, 300, 1500, 300});
    inner.SetText("In the frame");
    ui::Control& button = window->AddControl(ui::ControlKind::Button, "pushButton", nullptr, {150, 3600, 1500, 450});
    int windowClicks = 0, labelClicks = 0, frameClicks = 0, innerClicks = 0, buttonClicks = 0;
    window->OnClick([&] { ++windowClicks; });
    label.OnClick([&] { ++labelClicks; });
    frame.OnClick([&] { ++frameClicks; });
    inner.OnClick([&] { ++innerClicks; });
    button.OnClick([&] { ++buttonClicks; });
    window->Show();
    QWidget* widget = FindWidget("Clicks");
    ASSERT_TRUE(WaitFor([&] { return Exposed(widget); }));

    auto centreOf = [&](const char* name) {
        QWidget* control = FindWidget(name);
        return control->mapTo(widget, control->rect().center());
    };
    QTest::mouseClick(widget, Qt::LeftButton, {}, centreOf("caption"));
    QTest::mouseClick(widget, Qt::LeftButton, {}, centreOf("innerCaption"));
    QTest::mouseClick(widget, Qt::LeftButton, {}, FindWidget("panel")->mapTo(widget, QPoint(5, 5)));
    QTest::mouseClick(widget, Qt::LeftButton, {}, centreOf("pushButton"));
    QTest::mouseClick(widget, Qt::RightButton, {}, centreOf("caption"));
    QTest::mouseClick(widget, Qt::RightButton, {}, QPoint(390, 10));
    QTest::mouseClick(widget, Qt::MiddleButton, {}, QPoint(390, 10));
    QCoreApplication::processEvents();
    EXPECT_EQ(windowClicks, 0);
    EXPECT_EQ(labelClicks, 1);
    EXPECT_EQ(innerClicks, 1);
    EXPECT_EQ(frameClicks, 1);
    EXPECT_EQ(buttonClicks, 1);

    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(390, 10));
    QCoreApplication::processEvents();
    EXPECT_EQ(windowClicks, 1);
    EXPECT_EQ(labelClicks, 1);
}

TEST_F(QtBackendTest, InjectedClickGivesTheScreenTheKeysWithoutAClick) {
    auto window = toolkit.NewWindow(FullScreen("ShutdownScreen"));
    int clicks = 0;
    std::vector<int> codes;
    window->OnClick([&] { ++clicks; });
    window->OnKeyPress([&](int& code) { codes.push_back(code); });
    window->Show();
    QWidget* widget = FindWidget("ShutdownScreen");

    toolkit.SetCursorPos(10000, 10000);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(QCursor::pos(), screen.bottomRight());
    toolkit.InjectLeftClick();
    toolkit.ProcessPendingEvents();
    EXPECT_TRUE(WaitFor([&] { return widget->isActiveWindow(); }));
    EXPECT_EQ(clicks, 0);

    // Real key events from the server: they reach the window only if it has
    // the X input focus.
    if (!Xdotool({"key", "Escape", "a", "shift+a", "F1", "Tab", "Return"})) {
        GTEST_SKIP() << "xdotool not found: keys from the X server not tried";
    }
    EXPECT_TRUE(WaitFor([&] { return codes.size() >= 5; }));
    EXPECT_EQ(codes, (std::vector<int>{27, 97, 65, 9, 13}));
    EXPECT_EQ(clicks, 0);
}

TEST_F(QtBackendTest, ClosedWindowStaysHiddenAndSilentEvenWhenClosedFromItsOwnHandler) {
    auto window = toolkit.NewWindow(FullScreen("ShutdownScreen"));
    ui::Timer& timer = window->AddTimer(20);
    int ticks = 0, keys = 0, clicks = 0;
    timer.OnTick([&] { ++ticks; });
    window->OnClick([&] { ++clicks; });
    window->OnKeyPress([&](int& code) {
        ++keys;
        code = 0;
        window->Close();
        window.reset();  // the form lets go of its window inside the handler
    });
    window->Show();
    QPointer<QWidget> widget = FindWidget("ShutdownScreen");
    timer.SetEnabled(true);
    ASSERT_TRUE(WaitFor([&] { return ticks >= 2; }));

    QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_Escape, QString(QChar(27)), Qt::NoModifier);
    EXPECT_FALSE(window);
    const int ticksAtClose = ticks;
    QuietFor(150);
    EXPECT_EQ(ticks, ticksAtClose);
    if (widget) {
        EXPECT_FALSE(widget->isVisible());
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_Escape, QString(QChar(27)), Qt::NoModifier);
        QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(5, 5));
    }
    EXPECT_EQ(keys, 1);
    EXPECT_EQ(clicks, 0);
}

TEST_F(QtBackendTest, CloseStopsTimersAndEventsForGood) {
    auto window = toolkit.NewWindow(Plain("Closing"));
    ui::Timer& timer = window->AddTimer(20);
    int ticks = 0, keys = 0;
    timer.OnTick([&] {
        ++ticks;
        window->Close();  // from inside its own tick
    });
    window->OnKeyPress([&](int&) { ++keys; });
    window->Show();
    QWidget* widget = FindWidget("Closing");
    timer.SetEnabled(true);
    ASSERT_TRUE(WaitFor([&] { return ticks == 1; }));
    timer.SetEnabled(true);
    QuietFor(150);
    EXPECT_EQ(ticks, 1);
    EXPECT_FALSE(widget->isVisible());
    QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_A, QString("a"), Qt::NoModifier);
    EXPECT_EQ(keys, 0);
}

TEST_F(QtBackendTest, MaximisedWindowTakesTheFreeScreenAndCloseRequestsGoToTheForm) {
    auto window = toolkit.NewWindow({"Setup", "Setup", false, false, 13350, 9000, true});
    int requests = 0;
    window->Show();
    QWidget* widget = FindWidget("Setup");
    ASSERT_TRUE(WaitFor([&] { return Exposed(widget); }));
    EXPECT_EQ(widget->geometry(), QGuiApplication::primaryScreen()->availableGeometry());
    EXPECT_TRUE(widget->windowState() & Qt::WindowMaximized);

    widget->close();  // refused without a handler
    EXPECT_TRUE(widget->isVisible());
    window->OnCloseRequest([&] { ++requests; });
    widget->close();
    EXPECT_EQ(requests, 1);
    EXPECT_TRUE(widget->isVisible());  // the form closes it, or not
    window->Close();
    widget->close();
    EXPECT_EQ(requests, 1);
}

// A press on a control reports its buttons and point; a drag it asks for
// reports a drop on the background, the picture included, at the release
// point. Another control takes the drop; the dragged one, which is leaving
// its place, does not.
TEST_F(QtBackendTest, DraggedControlIsDroppedOnTheBackgroundOnly) {
    auto window = toolkit.NewWindow(Plain("Drags"));
    // As large as the countdown box, so that short moves end over its old place.
    ui::Control& box = window->AddControl(ui::ControlKind::Label, "Box", nullptr, {1500, 1500, 3255, 2295});
    window->AddControl(ui::ControlKind::Label, "Other", nullptr, {5250, 600, 600, 300});
    box.SetText("15");
    std::vector<std::vector<double>> presses, drops;
    box.OnMouseDown([&](int buttons, ui::Twips x, ui::Twips y) {
        presses.push_back({double(buttons), x, y});
        if (buttons == ui::kLeftButton) window->BeginDrag(box);
    });
    window->OnDragDrop([&](ui::Twips x, ui::Twips y) { drops.push_back({x, y}); });
    window->Show();
    QWidget* widget = FindWidget("Drags");
    ASSERT_TRUE(WaitFor([&] { return Exposed(widget); }));
    toolkit.InjectLeftClick();

    const QPoint boxAt = widget->mapToGlobal(QPoint(100 + 5, 100 + 4));
    auto drag = [&](QPoint to) {
        // The X server tells no one when a drag is over.
        QuietFor(300);
        const QPoint end = widget->mapToGlobal(to);
        return Xdotool({"mousemove", QString::number(boxAt.x()), QString::number(boxAt.y()), "mousedown", "1",
                        "sleep", "0.1", "mousemove", QString::number(end.x() - 20), QString::number(end.y() - 20),
                        "sleep", "0.1", "mousemove", QString::number(end.x()), QString::number(end.y()),
                        "sleep", "0.1", "mouseup", "1"});
    };
    // Every event of the drags has come once a right click after them has.
    auto settle = [&](std::size_t pressesSoFar) {
        Xdotool({"mousemove", QString::number(boxAt.x()), QString::number(boxAt.y()), "click", "3"});
        const bool came = WaitFor([&] { return presses.size() == pressesSoFar; });
        DrainEvents();
        return came;
    };
    if (!drag(QPoint(380, 280))) GTEST_SKIP() << "xdotool not found: no drag tried";
    ASSERT_TRUE(WaitFor([&] { return !drops.empty(); }));
    ASSERT_EQ(presses.size(), 1u);
    EXPECT_EQ(presses[0], (std::vector<double>{1, 75, 60}));
    EXPECT_EQ(drops[0], (std::vector<double>{5700, 4200}));

    drag(QPoint(370, 50));   // over another control: no drop
    drag(QPoint(120, 110));  // over the box's own place: a short move
    ASSERT_TRUE(settle(4));
    EXPECT_EQ(presses[3][0], ui::kRightButton);
    ASSERT_EQ(drops.size(), 2u);
    EXPECT_EQ(drops[1], (std::vector<double>{1800, 1650}));

    // The picture is the background, under the box as much as around it.
    TempFolder folder;
    window->SetPicture(folder.Write("skin.bmp", Bitmap(320, 200, 0x336699, 0xFFFFFF)));
    drag(QPoint(200, 150));
    drag(QPoint(370, 50));
    ASSERT_TRUE(settle(7));
    ASSERT_EQ(drops.size(), 3u);
    EXPECT_EQ(drops[2], (std::vector<double>{3000, 2250}));
}

TEST_F(QtBackendTest, DialogWindowTabsBetweenButtonsWhoseKeysPressThem) {
    ui::WindowSpec spec = Plain("About");
    spec.dialog = true;
    auto window = toolkit.NewWindow(spec);
    ui::Control& first = window->AddControl(ui::ControlKind::Button, "First", nullptr, {150, 150, 1500, 450});
    ui::Control& second = window->AddControl(ui::ControlKind::Button, "Second", nullptr, {150, 900, 1500, 450});
    std::vector<std::string> pressed;
    std::vector<int> codes;
    first.OnClick([&] { pressed.push_back("First"); });
    second.OnClick([&] { pressed.push_back("Second"); });
    window->OnKeyPress([&](int& code) { codes.push_back(code); });
    window->Show();
    window->BringToFront();
    ASSERT_TRUE(WaitFor([&] { return FindWidget("About")->isActiveWindow(); }));
    auto* one = Find<QPushButton>("First");
    auto* two = Find<QPushButton>("Second");
    one->setFocus();
    QTest::keyClick(one, Qt::Key_Tab);
    EXPECT_TRUE(two->hasFocus());
    QTest::keyClick(two, Qt::Key_Return);
    QTest::keyClick(two, Qt::Key_Backtab, Qt::ShiftModifier);
    QTest::keyClick(one, Qt::Key_Space);
    QTest::keyClick(one, Qt::Key_Escape);
    EXPECT_EQ(pressed, (std::vector<std::string>{"Second", "First"}));
    EXPECT_EQ(codes, std::vector<int>{27});
}

}  // namespace
}  // namespace tamrel::qt::test
