// Controls: twips to pixels, their clicks as against the window's keys and
// background clicks, colours, the visibility flag, fonts as the control
// really got them and text measures; the key chooser's texts in those fonts.

// Mouse clicks go through the window system, which picks the widget under
// the pointer, as a real click does.
#define QTEST_QPA_MOUSE_HANDLING

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "QtTestSupport.h"
#include "setup/KeyChooser.h"

namespace tamrel::qt::test {
namespace {

// A control inside a frame is placed relative to the frame. Typed keys reach
// the window as the code of the character they type, a focused control
// notwithstanding; a left click on a control is the control's, and of the
// other clicks only a left one on the background reaches the window.
TEST_F(QtBackendTest, ControlsArePlacedInTwipsTakeTheirClicksAndFontsAndLeaveTheKeysToTheWindow) {
    const double twipsPerPixel = 1440.0 / QGuiApplication::primaryScreen()->logicalDotsPerInch();
    auto window = toolkit.NewWindow({"Input", "Input", false, false, 6000, 4500});
    ui::Control& frame = window->AddControl(ui::ControlKind::Frame, "panel", nullptr, {1440, 720, 4320, 2880});
    // 730 twips are no whole number of pixels.
    ui::Control& label = window->AddControl(ui::ControlKind::Label, "caption", &frame, {730, 1440, 2880, 480});
    ui::Control& button = window->AddControl(ui::ControlKind::Button, "pushButton", nullptr, {150, 3600, 1500, 450});
    label.SetText("In the frame");
    std::vector<std::string> clicked;
    auto logs = [&clicked](std::string name) { return [&clicked, name] { clicked.push_back(name); }; };
    window->OnClick(logs("window"));
    frame.OnClick(logs("panel"));
    label.OnClick(logs("caption"));
    button.OnClick(logs("pushButton"));
    std::vector<int> codes;
    window->OnKeyPress([&](int& code) { codes.push_back(code); });
    EXPECT_TRUE(label.Visible());  // before the window is shown too
    window->Show();
    QWidget* widget = FindWidget("Input");
    QWidget* frameWidget = FindWidget("panel");
    auto* labelWidget = Find<QLabel>("caption");
    auto* buttonWidget = Find<QPushButton>("pushButton");
    ASSERT_TRUE(frameWidget && labelWidget && buttonWidget && Exposed(widget));

    auto px = [&](double twips) { return qRound(twips / twipsPerPixel); };
    EXPECT_EQ(frameWidget->geometry(), QRect(px(1440), px(720), px(4320), px(2880)));
    EXPECT_EQ(labelWidget->parentWidget(), frameWidget);
    EXPECT_EQ(labelWidget->geometry(), QRect(px(730), px(1440), px(2880), px(480)));
    const ui::Rect bounds = label.Bounds();
    EXPECT_DOUBLE_EQ(bounds.left, px(730) * twipsPerPixel);
    EXPECT_DOUBLE_EQ(bounds.width, px(2880) * twipsPerPixel);
    EXPECT_DOUBLE_EQ(window->Width(), px(6000) * twipsPerPixel);

    // The last Escape comes without text, as some input sources send it.
    const std::vector<std::pair<Qt::Key, QString>> keys = {
        {Qt::Key_Escape, QChar(27)}, {Qt::Key_Return, "\r"},      {Qt::Key_A, "a"},
        {Qt::Key_A, "A"},            {Qt::Key_F1, ""},            {Qt::Key_Left, ""},
        {Qt::Key_Delete, QChar(127)}, {Qt::Key_unknown, QChar(0x20AC)}, {Qt::Key_Backspace, "\b"},
        {Qt::Key_Eacute, QChar(0xE9)}, {Qt::Key_Escape, ""}};
    for (const auto& [key, text] : keys) QTest::sendKeyEvent(QTest::Click, widget, key, text, Qt::NoModifier);
    buttonWidget->setFocus();
    QTest::sendKeyEvent(QTest::Click, buttonWidget, Qt::Key_Tab, QString("\t"), Qt::NoModifier);
    EXPECT_EQ(codes, (std::vector<int>{27, 13, 97, 65, 8, 233, 27, 9}));

    auto centreOf = [&](QWidget* control) { return control->mapTo(widget, control->rect().center()); };
    const QPoint background(390, 10);
    for (const auto& [mouseButton, at] : std::vector<std::pair<Qt::MouseButton, QPoint>>{
             {Qt::LeftButton, centreOf(labelWidget)},
             {Qt::LeftButton, frameWidget->mapTo(widget, QPoint(5, 5))},
             {Qt::LeftButton, centreOf(buttonWidget)},
             {Qt::RightButton, centreOf(labelWidget)},
             {Qt::RightButton, background},
             {Qt::MiddleButton, background},
             {Qt::LeftButton, background}}) {
        QTest::mouseClick(widget, mouseButton, {}, at);
    }
    EXPECT_EQ(clicked, (std::vector<std::string>{"caption", "panel", "pushButton", "window"}));

    // Windows colour values; only the low 24 bits count.
    for (const auto& [value, colour] : {std::pair{ui::Color(255), QColor(255, 0, 0)}, {65280, QColor(0, 255, 0)},
                                        {0x123456, QColor(0x56, 0x34, 0x12)}, {0x7F0000FF, QColor(255, 0, 0)}}) {
        label.SetForeColor(value);
        EXPECT_EQ(labelWidget->palette().color(QPalette::WindowText), colour) << value;
    }

    // The font the label really got: a missing family gets a plain face. As
    // large as the measure of its text, it shows the whole text on one line,
    // in whatever font it has.
    const std::string installed = QFontInfo(QApplication::font()).family().toStdString();
    // Comic Sans MS is rarely installed on Linux; fontconfig's guess for it
    // can be an italic script face.
    for (const ui::Font& font :
         {ui::Font{installed, 14.25, true, true}, ui::Font{"Comic Sans MS", 18, true, false},
          ui::Font{"No Such Font Family", 8.25, false, false}, ui::Font{"Comic Sans MS", 13.5, false, true}}) {
        label.SetFont(font);
        const ui::Font got = label.GetFont();
        EXPECT_TRUE(font.name != installed || got.name == installed) << got.name;
        EXPECT_TRUE(QFontDatabase::hasFamily(QString::fromStdString(got.name))) << got.name;
        EXPECT_DOUBLE_EQ(got.size, font.size) << font.name;
        EXPECT_EQ(got.bold, font.bold) << font.name;
        EXPECT_EQ(got.italic, font.italic) << got.name;

        const std::string text = "Press button now to set new cancel key ascii code:";
        label.SetText(text);
        const ui::TextSize size = label.MeasureText(text);
        label.SetBounds({0, 0, size.width, size.height});
        EXPECT_LE(labelWidget->heightForWidth(labelWidget->width()), labelWidget->height()) << font.name << font.size;
        label.SetBounds({0, 0, size.width - 3 * twipsPerPixel, size.height});
        EXPECT_GT(labelWidget->heightForWidth(labelWidget->width()), labelWidget->height()) << font.name << font.size;
    }

    // The text measured is the one given, not the label's.
    label.SetFont({"MS Sans Serif", 72, true, false});
    const ui::TextSize large = label.MeasureText("88");
    EXPECT_GT(large.width, label.MeasureText("8").width);
    // A line is about as high as the size in points: 20 twips a point.
    EXPECT_GE(large.height, 72 * 20);
    EXPECT_LE(large.height, 72 * 20 * 1.6);
    EXPECT_DOUBLE_EQ(label.MeasureText("").width, 0);
    // Whole pixels, as bounds are.
    EXPECT_NEAR(std::remainder(large.width / twipsPerPixel, 1.0), 0.0, 1e-6);

    // Inside a hidden frame a label keeps its own flag.
    frame.SetVisible(false);
    EXPECT_FALSE(frame.Visible());
    EXPECT_TRUE(label.Visible());
    EXPECT_FALSE(labelWidget->isVisible());
    frame.SetVisible(true);
    EXPECT_TRUE(labelWidget->isVisible());
    label.SetVisible(false);
    EXPECT_FALSE(label.Visible());
    EXPECT_FALSE(labelWidget->isVisible());
}

// Every text of the key chooser whole, on one line and inside the box, in
// the fonts Qt really uses. (The end-to-end run on a 640x480 screen pins
// that the box fits it.)
TEST_F(QtBackendTest, KeyChooserShowsEveryTextWhole) {
    auto window = toolkit.NewWindow({"SetupWindow", "Setup", false, false, 13350, 9000, true});
    ui::Control& restartHint = window->AddControl(ui::ControlKind::Label, "restartHint", nullptr, {0, 0, 15, 15});
    SetupState state;
    // "Left Mouse Click" is the widest key the box shows.
    state.cancelKey = -1;
    state.restartKey = -1;
    KeyChooser chooser(toolkit, [](const std::string&) {}, *window, state, restartHint);
    window->Show();
    auto* box = Find<QGroupBox>("keyChooser");
    ASSERT_TRUE(box);

    for (const KeyRole role : {KeyRole::Cancel, KeyRole::Restart}) {
        chooser.Open(role);
        chooser.OnClick();  // captured, so that the hint to OK shows
        ASSERT_TRUE(box->isVisible());
        // The note about buttons, with the longer of its texts (SDL is here).
        auto* note = Find<QLabel>("joystickNote");
        ASSERT_TRUE(note);
        note->setText("Joystick buttons need the SDL 2 library (package libsdl2-2.0-0).");
        note->setVisible(true);
        EXPECT_LT(QFontMetricsF(box->font()).horizontalAdvance(box->title()), box->width() - 20);

        std::vector<QLabel*> shown;
        for (QLabel* label : box->findChildren<QLabel*>()) {
            if (!label->isVisible()) continue;
            const std::string name = label->objectName().toStdString();
            const QFontMetricsF metrics(label->font());
            EXPECT_GE(label->width(), metrics.horizontalAdvance(label->text())) << name;
            // One line, and no more height than the label has: the whole text shows.
            EXPECT_LE(label->heightForWidth(label->width()), label->height()) << name;
            EXPECT_GE(label->height(), metrics.height()) << name;
            EXPECT_TRUE(box->contentsRect().contains(label->geometry())) << name;
            for (const QLabel* other : shown) {
                EXPECT_FALSE(other->geometry().intersects(label->geometry()))
                    << name << " covers " << other->objectName().toStdString();
            }
            shown.push_back(label);
        }
        EXPECT_GE(shown.size(), role == KeyRole::Restart ? 11u : 10u);
        chooser.Cancel();
    }
}

}  // namespace
}  // namespace tamrel::qt::test
