#include "shutdown/Form3.h"

#include "platform/Paths.h"
#include "platform/RuntimeError.h"
#include "run/Application.h"
#include "settings/DamagedSettings.h"
#include "settings/Numbers.h"
#include "settings/Text.h"

namespace tamrel {

namespace {

constexpr ui::Twips kFrameWidth = 9495;
constexpr ui::Twips kFrameHeight = 5295;
constexpr ui::Twips kBoxWidth = 3255;
constexpr ui::Twips kBoxHeight = 2295;
// Font sizes a label can take, in points.
constexpr double kLargestFontSize = 2048;

struct FrameLabel {
    ui::Control* Form3::*member;
    const char* name;
    const char* text;
    ui::Rect bounds;
    const char* font;
    double size;
};

}  // namespace

Form3::Form3(Application& app) : app_(app), module_(app.module()) {}

Form3::~Form3() = default;

void Form3::BuildWindow() {
    ui::WindowSpec spec;
    spec.name = "Form3";
    spec.borderless = true;
    spec.fullScreen = true;
    window_ = app_.platform().ui.NewWindow(spec);

    Label5 = &window_->AddControl(ui::ControlKind::Label, "Label5", nullptr,
                                  {3960, 2280, kBoxWidth, kBoxHeight});
    Label5->SetVisible(false);
    Label5->SetFont({"MS Sans Serif", 8.25, false, false});

    Frame1 = &window_->AddControl(ui::ControlKind::Frame, "Frame1", nullptr,
                                  {0, 0, kFrameWidth, kFrameHeight});
    Frame1->SetVisible(false);
    static const FrameLabel kLabels[] = {
        {&Form3::Label1, "Label1", "Your machine will shut down in", {2040, 480, 5535, 495},
         "Comic Sans MS", 18},
        {&Form3::Label2, "Label2", "ERR", {4320, 1920, 810, 435}, "MS Sans Serif", 18},
        {&Form3::Label3, "Label3", "Seconds.", {4080, 2880, 1455, 375}, "Comic Sans MS", 14.25},
        {&Form3::Label6, "Label6", "If the keyboard is hooked up, you can", {2280, 3480, 5415, 495},
         "Comic Sans MS", 12},
        {&Form3::Label4, "Label4", "press the assigned key to cancel and return to Windows.",
         {1560, 3960, 6975, 495}, "Comic Sans MS", 12},
        {&Form3::Label16, "Label16",
         "Or you can press the assigned re-start key to re-start the program.",
         {1080, 4560, 7680, 315}, "Comic Sans MS", 11.25},
    };
    for (const FrameLabel& item : kLabels) {
        ui::Control& label = window_->AddControl(ui::ControlKind::Label, item.name, Frame1, item.bounds);
        label.SetFont({item.font, item.size, true, false});
        label.SetText(item.text);
        this->*item.member = &label;
    }

    Timer1 = &window_->AddTimer(1000);
    Timer1->OnTick([this] { Timer1_Timer(); });
    window_->OnKeyPress([this](int& code) { Form_KeyPress(code); });
    window_->OnClick([this] { Form_Click(); });
}

void Form3::Show() {
    BuildWindow();
    window_->Show();
    open_ = true;
    Form_Activate();
}

void Form3::Close() {
    if (!open_) return;
    open_ = false;
    Timer1->SetEnabled(false);
    window_->Close();
    app_.WindowClosed();
}

void Form3::Form_Activate() {
    // Every failure of the set-up, the settings check included, ends the
    // screen without shutting down.
    try {
        KeyLineCount = 0;
        FileSystem& files = app_.platform().files;
        FolderPrefix = tamrel::FolderPrefix(files.ProgramFolder(), files.Separator());
        if (!files.FileExists(FolderPrefix + "tamrel.set")) {
            MissingFile();
            return;
        }
        switch (ReadSettings()) {
            case ReadOutcome::EarlyEnd:
                Close();
                return;
            case ReadOutcome::Corrupt:
                DiscardDamagedSettings(module_, files, app_.platform().ui, kDamagedFilePrompt);
                Close();
                return;
            case ReadOutcome::Complete:
                break;
        }
        if (LowerCase(SkinPath) != "use default") {
            BuildSkinLook();
        } else {
            BuildDefaultLook();
        }
        TakeFocusAndStart();
    } catch (const RuntimeError& error) {
        ErrorPath(error);
    }
}

void Form3::BuildSkinLook() {
    if (BoxFontName.empty()) BoxFontName = "comic sans ms";
    if (LenientNumber(BoxFontSize) == 0) BoxFontSize = "20";
    const double size = StrictNumber(BoxFontSize);
    if (!(size > 0 && size <= kLargestFontSize)) {
        throw RuntimeError(error::kInvalidPropertyValue, "Invalid property value");
    }
    if (BoxBold.empty()) BoxBold = "False";
    Label5->SetFont({BoxFontName, size, ToBoolean(BoxBold), BoxItalic});
    Label5->SetForeColor(BoxColor);
    Label5->SetBounds({static_cast<ui::Twips>(BoxY), static_cast<ui::Twips>(BoxX), kBoxWidth, kBoxHeight});
    if (!SkinPath.empty()) window_->SetPicture(SkinPath);
    Label5->SetText(PlainNumber(SecondsLeft));
    Label5->SetVisible(true);
}

void Form3::BuildDefaultLook() {
    ui::Rect frame = Frame1->Bounds();
    frame.left = (window_->Width() - frame.width) / 2;
    frame.top = (window_->Height() - frame.height) / 2;
    Frame1->SetBounds(frame);
    for (ui::Control* control : {Frame1, Label1, Label2, Label3, Label4}) control->SetVisible(true);
    Label2->SetText(PlainNumber(SecondsLeft));
    Label16->SetVisible(RestartKey != 0);
}

void Form3::TakeFocusAndStart() {
    ui::Toolkit& ui = app_.platform().ui;
    ReadyForClicks = false;
    // The pointer goes out of sight in the bottom-right corner, and the
    // screen becomes the window that receives the keys.
    ui.SetCursorPos(10000, 10000);
    ClickScreen();
    ui.ProcessPendingEvents();
    if (!open_) return;  // a key already ended the run
    Timer1->SetEnabled(true);
    ReadyForClicks = true;
}

void Form3::ClickScreen() { app_.platform().ui.InjectLeftClick(); }

void Form3::MissingFile() {
    ui::Toolkit& ui = app_.platform().ui;
    const int answer = ui.ShowMessageBox(
        "Tamrel.set config file not found! Do you wish to setup Tamrel now?", ui::Buttons::YesNo,
        "Tamrel.set not found!", ui::Icon::None);
    if (answer == ui::kAnswerYes) {
        app_.ShowSetupWindow();
        Close();
        return;
    }
    ui.ShowMessageBox("The Tamrel cannot work until the tamrel.set file is properly created.",
                      ui::Buttons::Ok, ui::kAppTitle, ui::Icon::None);
    module_.AppendErrorLog(" tamrel.set file not found! User chose not to set up at this time.");
    module_.Log("Problem encountered with tamrel.set file.");
    module_.Log("Tamrel ended.");
    Close();
}

void Form3::ErrorPath(const RuntimeError& error) {
    const std::string description = error.Description();
    app_.platform().ui.ShowMessageBox("Tamrel has encountered a problem and will end. (" + description +
                                          ")\r Please check Tamrel.txt for help",
                                      ui::Buttons::Ok, ui::kAppTitle, ui::Icon::None);
    module_.TryAppendErrorLog("---Tamrel encountered error.  (" + description +
                              "). Please check for proper setup.");
    Close();
}

}  // namespace tamrel
