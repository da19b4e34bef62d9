#include "help/AboutWindow.h"

namespace tamrel {

const char* const kLicenceText =
    "MIT License\n"
    "\n"
    "Copyright (c) 2026 The Tamrel project\n"
    "\n"
    "Permission is hereby granted, free of charge, to any person obtaining a copy\n"
    "of this software and associated documentation files (the \"Software\"), to deal\n"
    "in the Software without restriction, including without limitation the rights\n"
    "to use, copy, modify, merge, publish, distribute, sublicense, and/or sell\n"
    "copies of the Software, and to permit persons to whom the Software is\n"
    "furnished to do so, subject to the following conditions:\n"
    "\n"
    "The above copyright notice and this permission notice shall be included in all\n"
    "copies or substantial portions of the Software.\n"
    "\n"
    "THE SOFTWARE IS PROVIDED \"AS IS\", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR\n"
    "IMPLIED, INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY,\n"
    "FITNESS FOR A PARTICULAR PURPOSE AND NONINFRINGEMENT. IN NO EVENT SHALL THE\n"
    "AUTHORS OR COPYRIGHT HOLDERS BE LIABLE FOR ANY CLAIM, DAMAGES OR OTHER\n"
    "LIABILITY, WHETHER IN AN ACTION OF CONTRACT, TORT OR OTHERWISE, ARISING FROM,\n"
    "OUT OF OR IN CONNECTION WITH THE SOFTWARE OR THE USE OR OTHER DEALINGS IN THE\n"
    "SOFTWARE.\n";

namespace {

// 600 by 420 pixels at 15 twips a pixel: with its frame the window still
// fits a 640 by 480 screen, as many cabinets' CRTs are.
constexpr ui::Twips kAboutWidth = 9000;
constexpr ui::Twips kAboutHeight = 6300;
constexpr ui::Twips kMargin = 240;
constexpr ui::Twips kInner = kAboutWidth - 2 * kMargin;
// The longest heading has room for a second line: fonts wider than the
// design's wrap it.
constexpr ui::Twips kLargeHeight = 600;
constexpr ui::Twips kLineHeight = 270;

}  // namespace

AboutWindow::AboutWindow(Platform& platform, Navigator& navigator)
    : HelpWindow(platform, navigator, "AboutWindow", "About The Tamrel (V1.10)", kAboutWidth, kAboutHeight) {
    const ui::Font large{"MS Sans Serif", 12, true, false};
    AddLabel("purpose", "Created as a launch platform for arcade machine Front Ends", {kMargin, 120, kInner, kLargeHeight})
        .SetFont(large);
    AddLabel("anyProgram", "But can be used to launch just about any program.", {kMargin, 720, kInner, 360})
        .SetFont(large);
    AddLabel("maker", "Made by the Tamrel project.", {kMargin, 1080, kInner, 360}).SetFont(large);
    AddLabel("version",
             "Version 1.10  (01/26/2008): Added option to restart Tamrel instead of going to " +
                 ui::DesktopName(platform_.ui.desktop()) + ".",
             {kMargin, 1500, kInner, 2 * kLineHeight});
    AddLabel("testersCaption", "Thanks to my Beta testers:", {kMargin, 2100, kInner, kLineHeight});
    AddLabel("firstTesters", "the arcade cabinet builders", {kMargin, 2370, kInner / 2 - 60, kLineHeight});
    AddLabel("secondTesters", "the front end makers", {kMargin + kInner / 2 + 60, 2370, kInner / 2 - 60, kLineHeight});
    AddLabel("licenceCaption", "License:", {kMargin, 2700, kInner, kLineHeight});
    constexpr ui::Twips kButtonTop = kAboutHeight - 120 - 420;
    ui::Control& licence = window_->AddControl(ui::ControlKind::TextBox, "licence", nullptr,
                                               {kMargin, 2970, kInner, kButtonTop - 120 - 2970});
    licence.SetText(kLicenceText);
    AddButton("ok", "OK", {kAboutWidth - kMargin - 1440, kButtonTop, 1440, 420}, [this] { Close(); });
    Show();
}

}  // namespace tamrel
