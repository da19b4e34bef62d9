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

constexpr ui::Twips kWidth = 11520;
constexpr ui::Twips kHeight = 7800;

}  // namespace

AboutWindow::AboutWindow(Platform& platform, Navigator& navigator)
    : HelpWindow(platform, navigator, "AboutWindow", "About The Tamrel (V1.10)", kWidth, kHeight) {
    const ui::Font large{"MS Sans Serif", 12, true, false};
    AddLabel("purpose", "Created as a launch platform for arcade machine Front Ends", {240, 240, 11040, 360}).SetFont(large);
    AddLabel("anyProgram", "But can be used to launch just about any program.", {240, 660, 11040, 360}).SetFont(large);
    AddLabel("maker", "Made by the Tamrel project.", {240, 1080, 11040, 360}).SetFont(large);
    AddLabel("version",
             "Version 1.10  (01/26/2008): Added option to restart Tamrel instead of going to Windows. ",
             {240, 1560, 11040, 300});
    AddLabel("comments", "Comments and reports of faults are welcome through the project's issue tracker.",
             {240, 1920, 11040, 300});
    AddLabel("testersCaption", "Thanks to my Beta testers:", {240, 2280, 2880, 300});
    AddLabel("firstTesters", "the arcade cabinet builders", {3240, 2280, 2880, 300});
    AddLabel("secondTesters", "the front end makers", {6240, 2280, 2880, 300});
    AddLabel("forumCaption", "Programmers' forum:", {240, 2640, 2400, 300});
    AddLabel("forum", "the discussions of the Tamrel project (see its README)", {2760, 2640, 8520, 300});
    AddLabel("licenceCaption", "License:", {240, 3000, 2400, 300});
    ui::Control& licence = window_->AddControl(ui::ControlKind::TextBox, "licence", nullptr, {240, 3360, 9000, 4200});
    licence.SetText(kLicenceText);
    AddLabel("besideLicence", "", {9360, 3360, 1920, 300});
    AddButton("ok", "OK", {9600, 6960, 1440, 420}, [this] { Close(); });
    Show();
}

}  // namespace tamrel
