// Controls: twips to pixels, fonts as the control really got them, colours
// and the visibility flag.

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QScreen>
#include <cmath>

#include "QtTestSupport.h"

namespace tamrel::qt::test {
namespace {

TEST_F(QtBackendTest, BoundsInTwipsFollowTheScreenResolution) {
    const double twipsPerPixel = 1440.0 / QGuiApplication::primaryScreen()->logicalDotsPerInch();
    auto window = toolkit.NewWindow({"Sized", "Sized", false, false, 6000, 4500});
    ui::Control& frame = window->AddControl(ui::ControlKind::Frame, "panel", nullptr, {1440, 720, 4320, 2880});
    ui::Control& label = window->AddControl(ui::ControlKind::Label, "caption", &frame, {720, 1440, 2880, 480});
    QWidget* frameWidget = FindWidget("panel");
    QWidget* labelWidget = FindWidget("caption");
    ASSERT_TRUE(frameWidget && labelWidget);

    auto px = [&](double twips) { return qRound(twips / twipsPerPixel); };
    EXPECT_EQ(frameWidget->geometry(), QRect(px(1440), px(720), px(4320), px(2880)));
    // A control inside a frame is placed relative to the frame.
    EXPECT_EQ(labelWidget->parentWidget(), frameWidget);
    EXPECT_EQ(labelWidget->geometry(), QRect(px(720), px(1440), px(2880), px(480)));
    const ui::Rect bounds = label.Bounds();
    EXPECT_DOUBLE_EQ(bounds.left, px(720) * twipsPerPixel);
    EXPECT_DOUBLE_EQ(bounds.width, px(2880) * twipsPerPixel);

    EXPECT_DOUBLE_EQ(window->Width(), px(6000) * twipsPerPixel);
    EXPECT_DOUBLE_EQ(toolkit.ScreenWidth(), QGuiApplication::primaryScreen()->geometry().width() * twipsPerPixel);

    // Centring as the shutdown screen does it: the halves are not rounded.
    label.SetBounds({(6000.0 - 4321.0) / 2, 0, 4321, 480});
    EXPECT_EQ(labelWidget->x(), px(839.5));
}

TEST_F(QtBackendTest, FontsReportWhatTheControlGotAndMissingFamiliesGetAPlainFace) {
    auto window = toolkit.NewWindow({"Fonts", "Fonts", false, false, 6000, 4500});
    ui::Control& label = window->AddControl(ui::ControlKind::Label, "caption", nullptr, {0, 0, 5535, 495});
    const QString installed = QFontInfo(QApplication::font()).family();

    label.SetFont({installed.toStdString(), 14.25, true, true});
    ui::Font got = label.GetFont();
    EXPECT_EQ(got.name, installed.toStdString());
    EXPECT_DOUBLE_EQ(got.size, 14.25);
    EXPECT_TRUE(got.bold);
    EXPECT_TRUE(got.italic);

    // Comic Sans MS is rarely installed on Linux; fontconfig's guess for it
    // can be an italic script face.
    label.SetFont({"Comic Sans MS", 18, true, false});
    got = label.GetFont();
    EXPECT_TRUE(QFontDatabase::hasFamily(QString::fromStdString(got.name))) << got.name;
    EXPECT_DOUBLE_EQ(got.size, 18);
    EXPECT_TRUE(got.bold);
    EXPECT_FALSE(got.italic) << got.name;
    EXPECT_FALSE(QFontInfo(FindWidget("caption")->font()).italic());

    label.SetFont({"No Such Font Family", 8.25, false, false});
    got = label.GetFont();
    EXPECT_TRUE(QFontDatabase::hasFamily(QString::fromStdString(got.name))) << got.name;
    EXPECT_DOUBLE_EQ(got.size, 8.25);
    EXPECT_FALSE(got.bold);
}

// A label as large as the measure of its text shows the whole text on one
// line, in whatever font it has.
TEST_F(QtBackendTest, MeasuredTextFitsTheLabelThatShowsIt) {
    const double twipsPerPixel = 1440.0 / QGuiApplication::primaryScreen()->logicalDotsPerInch();
    auto window = toolkit.NewWindow({"Measures", "Measures", false, false, 9000, 4500});
    ui::Control& label = window->AddControl(ui::ControlKind::Label, "caption", nullptr, {0, 0, 300, 300});
    auto* labelWidget = Find<QLabel>("caption");
    ASSERT_NE(labelWidget, nullptr);

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

    for (const ui::Font& font : {ui::Font{"MS Sans Serif", 8.25, false, false},
                                 ui::Font{"MS Sans Serif", 13.5, true, false}, ui::Font{"Comic Sans MS", 20, false, true}}) {
        label.SetFont(font);
        const std::string text = "Press button now to set new cancel key ascii code:";
        label.SetText(text);
        const ui::TextSize size = label.MeasureText(text);
        label.SetBounds({0, 0, size.width, size.height});
        EXPECT_LE(labelWidget->heightForWidth(labelWidget->width()), labelWidget->height()) << font.name << font.size;
        label.SetBounds({0, 0, size.width - 3 * twipsPerPixel, size.height});
        EXPECT_GT(labelWidget->heightForWidth(labelWidget->width()), labelWidget->height()) << font.name << font.size;
    }
}

TEST_F(QtBackendTest, ForeColorIsAWindowsColourValueAndVisibleIsTheControlsOwnFlag) {
    auto window = toolkit.NewWindow({"Colours", "Colours", false, false, 6000, 4500});
    ui::Control& frame = window->AddControl(ui::ControlKind::Frame, "panel", nullptr, {0, 0, 4500, 3000});
    ui::Control& label = window->AddControl(ui::ControlKind::Label, "caption", &frame, {150, 150, 1500, 300});
    auto* labelWidget = Find<QLabel>("caption");
    ASSERT_NE(labelWidget, nullptr);
    auto shown = [&] { return labelWidget->palette().color(QPalette::WindowText); };

    label.SetForeColor(255);
    EXPECT_EQ(shown(), QColor(255, 0, 0));
    label.SetForeColor(65280);
    EXPECT_EQ(shown(), QColor(0, 255, 0));
    label.SetForeColor(0x123456);
    EXPECT_EQ(shown(), QColor(0x56, 0x34, 0x12));
    // Only the low 24 bits count.
    label.SetForeColor(static_cast<ui::Color>(0x7F0000FF));
    EXPECT_EQ(shown(), QColor(255, 0, 0));

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

}  // namespace
}  // namespace tamrel::qt::test
