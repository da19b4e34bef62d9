// Controls: twips to pixels, fonts as the control really got them, text
// measures, colours and the visibility flag.

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QScreen>
#include <cmath>

#include "QtTestSupport.h"

namespace tamrel::qt::test {
namespace {

double TwipsPerPixel() { return 1440.0 / QGuiApplication::primaryScreen()->logicalDotsPerInch(); }

TEST_F(QtBackendTest, ControlsArePlacedInTwipsAndKeepTheirColourAndTheirOwnVisibleFlag) {
    const double twipsPerPixel = TwipsPerPixel();
    auto window = toolkit.NewWindow({"Sized", "Sized", false, false, 6000, 4500});
    ui::Control& frame = window->AddControl(ui::ControlKind::Frame, "panel", nullptr, {1440, 720, 4320, 2880});
    // 730 twips are no whole number of pixels.
    ui::Control& label = window->AddControl(ui::ControlKind::Label, "caption", &frame, {730, 1440, 2880, 480});
    QWidget* frameWidget = FindWidget("panel");
    auto* labelWidget = Find<QLabel>("caption");
    ASSERT_TRUE(frameWidget && labelWidget);

    auto px = [&](double twips) { return qRound(twips / twipsPerPixel); };
    EXPECT_EQ(frameWidget->geometry(), QRect(px(1440), px(720), px(4320), px(2880)));
    // A control inside a frame is placed relative to the frame.
    EXPECT_EQ(labelWidget->parentWidget(), frameWidget);
    EXPECT_EQ(labelWidget->geometry(), QRect(px(730), px(1440), px(2880), px(480)));
    const ui::Rect bounds = label.Bounds();
    EXPECT_DOUBLE_EQ(bounds.left, px(730) * twipsPerPixel);
    EXPECT_DOUBLE_EQ(bounds.width, px(2880) * twipsPerPixel);
    EXPECT_DOUBLE_EQ(window->Width(), px(6000) * twipsPerPixel);
    EXPECT_DOUBLE_EQ(toolkit.ScreenWidth(), QGuiApplication::primaryScreen()->geometry().width() * twipsPerPixel);

    // Windows colour values; only the low 24 bits count.
    for (const auto& [value, colour] : {std::pair{ui::Color(255), QColor(255, 0, 0)}, {65280, QColor(0, 255, 0)},
                                        {0x123456, QColor(0x56, 0x34, 0x12)}, {0x7F0000FF, QColor(255, 0, 0)}}) {
        label.SetForeColor(value);
        EXPECT_EQ(labelWidget->palette().color(QPalette::WindowText), colour) << value;
    }

    // Before the window is shown, and inside a hidden frame, a label keeps
    // its own flag.
    EXPECT_TRUE(label.Visible());
    frame.SetVisible(false);
    window->Show();
    EXPECT_FALSE(frame.Visible());
    EXPECT_TRUE(label.Visible());
    EXPECT_FALSE(labelWidget->isVisible());
    frame.SetVisible(true);
    EXPECT_TRUE(labelWidget->isVisible());
    label.SetVisible(false);
    EXPECT_FALSE(label.Visible());
    EXPECT_FALSE(labelWidget->isVisible());
}

// A control reports the font it really got; a missing family gets a plain
// face. A label as large as the measure of its text shows the whole text on
// one line, in whatever font it has.
TEST_F(QtBackendTest, FontsAreWhatTheControlGotAndMeasuredTextFitsTheLabel) {
    const double twipsPerPixel = TwipsPerPixel();
    auto window = toolkit.NewWindow({"Fonts", "Fonts", false, false, 9000, 4500});
    ui::Control& label = window->AddControl(ui::ControlKind::Label, "caption", nullptr, {0, 0, 300, 300});
    auto* labelWidget = Find<QLabel>("caption");
    ASSERT_NE(labelWidget, nullptr);
    const std::string installed = QFontInfo(QApplication::font()).family().toStdString();

    // Comic Sans MS is rarely installed on Linux; fontconfig's guess for it
    // can be an italic script face.
    for (const ui::Font& font :
         {ui::Font{installed, 14.25, true, true}, ui::Font{"Comic Sans MS", 18, true, false},
          ui::Font{"No Such Font Family", 8.25, false, false}, ui::Font{"Comic Sans MS", 13.5, false, true}}) {
        label.SetFont(font);
        const ui::Font got = label.GetFont();
        if (font.name == installed) {
            EXPECT_EQ(got.name, installed);
        }
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

    label.SetFont({"MS Sans Serif", 8, false, false});
    const ui::TextSize small = label.MeasureText("88");
    label.SetFont({"MS Sans Serif", 72, true, false});
    const ui::TextSize large = label.MeasureText("88");
    EXPECT_GT(large.width, 4 * small.width);
    EXPECT_GT(large.height, 4 * small.height);
    EXPECT_GT(large.width, label.MeasureText("8").width);
    // A line is about as high as the size in points: 20 twips a point.
    EXPECT_GE(large.height, 72 * 20);
    EXPECT_LE(large.height, 72 * 20 * 1.6);
    EXPECT_DOUBLE_EQ(label.MeasureText("").width, 0);
    // Whole pixels, as bounds are.
    EXPECT_NEAR(std::remainder(large.width / twipsPerPixel, 1.0), 0.0, 1e-6);
}

}  // namespace
}  // namespace tamrel::qt::test
