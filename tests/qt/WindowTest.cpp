// Windows: covering the screen, the background picture, typed keys, clicks
// on the background as against clicks on controls, the focus, and closing.

// Mouse clicks go through the window system, which picks the widget under
// the pointer, as a real click does.
#define QTEST_QPA_MOUSE_HANDLING

#include <QApplication>
#include <QCursor>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
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

// The geometry the X server itself has for the window.
QRect ServerGeometry(QWidget* window) {
    QProcess xwininfo;
    xwininfo.start("xwininfo", {"-id", QString::number(window->winId())});
    xwininfo.waitForFinished();
    const QString info = QString::fromLocal8Bit(xwininfo.readAllStandardOutput());
    auto value = [&](const QString& key) {
        return QRegularExpression(key + R"(:\s*(-?\d+))").match(info).captured(1).toInt();
    };
    return {value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"), value("Height")};
}

// The screen covers the display without a window manager and shows its
// picture unscaled from the top left; an injected click gives it the X input
// focus without reporting a click.
TEST_F(QtBackendTest, FullScreenWindowCoversTheScreenShowsItsPictureAndTakesTheKeysFromAnInjectedClick) {
    auto window = toolkit.NewWindow(FullScreen("ShutdownScreen"));
    int clicks = 0;
    std::vector<int> codes;
    window->OnClick([&] { ++clicks; });
    window->OnKeyPress([&](int& code) { codes.push_back(code); });
    window->Show();
    QWidget* widget = FindWidget("ShutdownScreen");
    ASSERT_NE(widget, nullptr);

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    toolkit.SetCursorPos(10000, 10000);
    EXPECT_EQ(QCursor::pos(), screen.bottomRight());
    toolkit.InjectLeftClick();
    EXPECT_TRUE(WaitFor([&] { return widget->isActiveWindow(); }));
    ASSERT_TRUE(WaitFor([&] { return Exposed(widget); }));

    EXPECT_EQ(widget->frameGeometry(), screen);
    EXPECT_DOUBLE_EQ(window->Width(), toolkit.ScreenWidth());
    EXPECT_DOUBLE_EQ(window->Height(), toolkit.ScreenHeight());
    EXPECT_TRUE(widget->windowFlags() & Qt::FramelessWindowHint);
    if (!QStandardPaths::findExecutable("xwininfo").isEmpty()) {
        EXPECT_EQ(ServerGeometry(widget), screen);
    }

    // Around the picture, and without one, the platform's window colour.
    const QColor background = widget->palette().color(QPalette::Window);
    TempFolder folder;
    window->SetPicture(folder.Write("skin.bmp", Bitmap(4, 3, 0x0000FF, 0xFF0000)));
    const QImage shown = widget->grab().toImage();
    EXPECT_EQ(shown.pixelColor(0, 0), QColor(255, 0, 0));
    EXPECT_EQ(shown.pixelColor(3, 2), QColor(0, 0, 255));
    EXPECT_EQ(shown.pixelColor(4, 0), background);
    EXPECT_EQ(shown.pixelColor(0, 3), background);
    window->ClearPicture();
    EXPECT_EQ(widget->grab().toImage().pixelColor(0, 0), background);
    const std::string missing = folder.Path("missing.bmp");
    const std::string text = folder.Write("text.bmp", "This is no picture at all.\r\n");
    for (const auto& [path, number, description] :
         {std::tuple{missing, error::kFileNotFound, "File not found: " + missing},
          std::tuple{text, error::kInvalidPicture, "Invalid picture: " + text}}) {
        try {
            window->SetPicture(path);
            ADD_FAILURE() << path << " was accepted as a picture";
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.Number(), number);
            EXPECT_EQ(error.Description(), description);
        }
    }

    // Real key events from the server: they reach the window only if it has
    // the X input focus.
    if (!Xdotool({"key", "Escape", "a", "shift+a", "F1", "Tab", "Return"})) {
        GTEST_SKIP() << "xdotool not found: keys from the X server not tried";
    }
    EXPECT_TRUE(WaitFor([&] { return codes.size() >= 5; }));
    EXPECT_EQ(codes, (std::vector<int>{27, 97, 65, 9, 13}));
    EXPECT_EQ(clicks, 0);
}

// Typed keys reach the window as the code of the character they type, a
// focused control notwithstanding; of the clicks, only a left one on the
// background does.
TEST_F(QtBackendTest, WindowGetsTypedCharactersAndOnlyLeftClicksOnItsBackground) {
    auto window = toolkit.NewWindow(Plain("Input"));
    ui::Control& label = window->AddControl(ui::ControlKind::Label, "caption", nullptr, {150, 150, 1500, 300});
    label.SetText("A label");
    ui::Control& frame = window->AddControl(ui::ControlKind::Frame, "panel", nullptr, {1500, 1500, 3000, 1500});
    ui::Control& inner = window->AddControl(ui::ControlKind::Label, "innerCaption", &frame, {150, 300, 1500, 300});
    inner.SetText("In the frame");
    ui::Control& button = window->AddControl(ui::ControlKind::Button, "pushButton", nullptr, {150, 3600, 1500, 450});
    std::vector<std::string> clicked;
    auto logs = [&clicked](std::string name) { return [&clicked, name] { clicked.push_back(name); }; };
    window->OnClick(logs("window"));
    label.OnClick(logs("caption"));
    frame.OnClick(logs("panel"));
    inner.OnClick(logs("innerCaption"));
    button.OnClick(logs("pushButton"));
    std::vector<int> codes;
    window->OnKeyPress([&](int& code) { codes.push_back(code); });
    window->Show();
    QWidget* widget = FindWidget("Input");
    ASSERT_TRUE(WaitFor([&] { return Exposed(widget); }));

    // The last Escape comes without text, as some input sources send it.
    const std::vector<std::pair<Qt::Key, QString>> keys = {
        {Qt::Key_Escape, QChar(27)}, {Qt::Key_Return, "\r"},      {Qt::Key_A, "a"},
        {Qt::Key_A, "A"},            {Qt::Key_F1, ""},            {Qt::Key_Left, ""},
        {Qt::Key_Delete, QChar(127)}, {Qt::Key_unknown, QChar(0x20AC)}, {Qt::Key_Backspace, "\b"},
        {Qt::Key_Eacute, QChar(0xE9)}, {Qt::Key_Escape, ""}};
    for (const auto& [key, text] : keys) QTest::sendKeyEvent(QTest::Click, widget, key, text, Qt::NoModifier);
    auto* focused = Find<QPushButton>("pushButton");
    focused->setFocus();
    QTest::sendKeyEvent(QTest::Click, focused, Qt::Key_Tab, QString("\t"), Qt::NoModifier);
    EXPECT_EQ(codes, (std::vector<int>{27, 13, 97, 65, 8, 233, 27, 9}));

    auto centreOf = [&](const char* name) {
        QWidget* control = FindWidget(name);
        return control->mapTo(widget, control->rect().center());
    };
    const QPoint background(390, 10);
    for (const auto& [mouseButton, at] : std::vector<std::pair<Qt::MouseButton, QPoint>>{
             {Qt::LeftButton, centreOf("caption")},
             {Qt::LeftButton, centreOf("innerCaption")},
             {Qt::LeftButton, FindWidget("panel")->mapTo(widget, QPoint(5, 5))},
             {Qt::LeftButton, centreOf("pushButton")},
             {Qt::RightButton, centreOf("caption")},
             {Qt::RightButton, background},
             {Qt::MiddleButton, background},
             {Qt::LeftButton, background}}) {
        QTest::mouseClick(widget, mouseButton, {}, at);
    }
    DrainEvents();
    EXPECT_EQ(clicked, (std::vector<std::string>{"caption", "innerCaption", "panel", "pushButton", "window"}));
}

// One window closes from its own tick; the other from its key handler, in
// which the form lets go of it too. Neither ticks, shows or reports again.
TEST_F(QtBackendTest, ClosedWindowStaysHiddenAndSilentEvenWhenClosedFromItsOwnHandler) {
    auto ticking = toolkit.NewWindow(Plain("Ticking"));
    auto keyed = toolkit.NewWindow(Plain("Keyed"));
    ui::Timer& closer = ticking->AddTimer(20);
    ui::Timer& timer = keyed->AddTimer(20);
    int closerTicks = 0, ticks = 0, keys = 0, clicks = 0;
    closer.OnTick([&] {
        ++closerTicks;
        ticking->Close();
    });
    timer.OnTick([&] { ++ticks; });
    ticking->OnKeyPress([&](int&) { ++keys; });
    keyed->OnClick([&] { ++clicks; });
    keyed->OnKeyPress([&](int& code) {
        ++keys;
        code = 0;
        keyed->Close();
        keyed.reset();
    });
    ticking->Show();
    keyed->Show();
    QWidget* tickingWidget = FindWidget("Ticking");
    QPointer<QWidget> keyedWidget = FindWidget("Keyed");
    closer.SetEnabled(true);
    timer.SetEnabled(true);
    ASSERT_TRUE(WaitFor([&] { return closerTicks >= 1 && ticks >= 2; }));
    closer.SetEnabled(true);  // a closed window's timer stays stopped

    QTest::sendKeyEvent(QTest::Click, keyedWidget, Qt::Key_Escape, QString(QChar(27)), Qt::NoModifier);
    EXPECT_FALSE(keyed);
    const int ticksAtClose = ticks;
    QuietFor(150);  // no tick may come any more
    EXPECT_EQ(closerTicks, 1);
    EXPECT_EQ(ticks, ticksAtClose);
    EXPECT_FALSE(tickingWidget->isVisible());
    QTest::sendKeyEvent(QTest::Click, tickingWidget, Qt::Key_A, QString("a"), Qt::NoModifier);
    if (keyedWidget) {
        EXPECT_FALSE(keyedWidget->isVisible());
        QTest::sendKeyEvent(QTest::Click, keyedWidget, Qt::Key_Escape, QString(QChar(27)), Qt::NoModifier);
        QTest::mouseClick(keyedWidget, Qt::LeftButton, {}, QPoint(5, 5));
    }
    EXPECT_EQ(keys, 1);
    EXPECT_EQ(clicks, 0);
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
