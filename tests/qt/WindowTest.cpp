// Windows: covering the screen, the background picture and the message
// boxes over it, closing, and a control dragged over the background.

// Mouse clicks go through the window system, which picks the widget under
// the pointer, as a real click does.
#define QTEST_QPA_MOUSE_HANDLING

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QImage>
#include <QMessageBox>
#include <QScreen>
#include <QTest>

#include "QtTestSupport.h"
#include "platform/RuntimeError.h"

namespace tamrel::qt::test {
namespace {

ui::WindowSpec Plain(const std::string& name) { return {name, name, false, false, 6000, 4500}; }

// The screen covers the display without a window manager and shows its
// picture unscaled from the top left. (The end-to-end runs pin the size the
// X server has for it, the focus it takes and the keys it then gets.)
// Message boxes come over it and answer only as their buttons allow.
TEST_F(QtBackendTest, FullScreenWindowShowsItsPictureUnscaledAndMessageBoxesOverIt) {
    auto window = toolkit.NewWindow({"ShutdownScreen", "", true, true, 0, 0});
    window->Show();
    QWidget* widget = FindWidget("ShutdownScreen");
    ASSERT_TRUE(Exposed(widget));
    EXPECT_DOUBLE_EQ(window->Width(), toolkit.ScreenWidth());
    EXPECT_DOUBLE_EQ(window->Height(), toolkit.ScreenHeight());
    EXPECT_TRUE(widget->windowFlags() & Qt::FramelessWindowHint);
    // Clamped: the focus click comes in the bottom-right corner.
    toolkit.SetCursorPos(10000, 10000);
    EXPECT_EQ(QCursor::pos(), QGuiApplication::primaryScreen()->geometry().bottomRight());

    // Around the picture, and without one, the platform's window colour.
    const QColor background = widget->palette().color(QPalette::Window);
    TempFolder folder;
    QImage picture(4, 3, QImage::Format_RGB888);
    picture.fill(QColor(0, 0, 255));
    picture.setPixelColor(0, 0, QColor(255, 0, 0));
    picture.save(QString::fromStdString(folder.Path("skin.bmp")), "BMP");
    window->SetPicture(folder.Path("skin.bmp"));
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

    using Box = QMessageBox;
    const std::string prompt = "Tamrel has encountered a problem. (Overflow)\r Please check\r\nthe log";
    // Pressing NoButton: Escape.
    for (const auto& [buttons, press, answer, shown] :
         std::vector<std::tuple<ui::Buttons, Box::StandardButton, int, Box::StandardButtons>>{
             {ui::Buttons::OkCancel, Box::NoButton, ui::kAnswerCancel, Box::Ok | Box::Cancel},
             {ui::Buttons::YesNo, Box::Yes, ui::kAnswerYes, Box::Yes | Box::No},
             {ui::Buttons::YesNo, Box::No, ui::kAnswerNo, Box::Yes | Box::No},
             // With nothing to cancel, Escape answers OK.
             {ui::Buttons::Ok, Box::NoButton, ui::kAnswerOk, Box::Ok}}) {
        const bool critical = buttons == ui::Buttons::Ok;
        bool answered = false;
        AnswerModal<Box>([&](Box& box) {
            answered = true;
            EXPECT_EQ(box.windowTitle(), "A title");
            EXPECT_EQ(box.text(), "Tamrel has encountered a problem. (Overflow)\n Please check\nthe log");
            EXPECT_EQ(box.standardButtons(), shown);
            EXPECT_EQ(box.icon(), critical ? Box::Critical : Box::NoIcon);
            EXPECT_EQ(box.windowModality(), Qt::ApplicationModal);
            EXPECT_EQ(box.parentWidget(), widget);
            if (buttons == ui::Buttons::YesNo) {  // a question has no way out but an answer
                QTest::keyClick(&box, Qt::Key_Escape);
                box.close();
                EXPECT_TRUE(box.isVisible());
            }
            press ? box.button(press)->click() : QTest::keyClick(&box, Qt::Key_Escape);
        });
        const ui::Icon icon = critical ? ui::Icon::Critical : ui::Icon::None;
        EXPECT_EQ(toolkit.ShowMessageBox(prompt, buttons, "A title", icon), answer) << "pressing " << press;
        EXPECT_TRUE(answered);
    }
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

// A press on a control reports its buttons and point; a drag it asks for
// reports a drop on the background at the release point, and none over
// another control. (The end-to-end setup run pins the drop on a picture and
// a short move over the control's own place.)
TEST_F(QtBackendTest, DraggedControlIsDroppedOnTheBackgroundOnly) {
    auto window = toolkit.NewWindow(Plain("Drags"));
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
    ASSERT_TRUE(Exposed(widget));
    toolkit.InjectLeftClick();

    const QPoint boxAt = widget->mapToGlobal(QPoint(100 + 5, 100 + 4));
    const QStringList toBox = {"mousemove", QString::number(boxAt.x()), QString::number(boxAt.y())};
    if (!Xdotool(toBox + QStringList{"click", "3"})) GTEST_SKIP() << "xdotool not found: no drag tried";
    auto drag = [&](QPoint to) {
        // The X server tells no one when a drag is over.
        QuietFor(300);
        const QPoint end = widget->mapToGlobal(to);
        Xdotool(toBox + QStringList{"mousedown", "1", "sleep", "0.1", "mousemove", QString::number(end.x() - 20),
                                    QString::number(end.y() - 20), "sleep", "0.1", "mousemove",
                                    QString::number(end.x()), QString::number(end.y()), "sleep", "0.1",
                                    "mouseup", "1"});
    };
    drag(QPoint(370, 50));  // over the other control
    drag(QPoint(380, 280));
    ASSERT_TRUE(WaitFor([&] { return !drops.empty(); }));
    EXPECT_EQ(drops, (std::vector<std::vector<double>>{{5700, 4200}}));
    EXPECT_EQ(presses, (std::vector<std::vector<double>>{{ui::kRightButton, 75, 60}, {1, 75, 60}, {1, 75, 60}}));
}

}  // namespace
}  // namespace tamrel::qt::test
