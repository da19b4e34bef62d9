#include "shutdown/ShutdownScreen.h"

#include "platform/Paths.h"
#include "platform/RuntimeError.h"
#include "run/Application.h"
#include "settings/DamagedSettings.h"
#include "settings/Numbers.h"
#include "settings/Text.h"
#include "shutdown/DefaultLook.h"

namespace tamrel {

ShutdownScreen::ShutdownScreen(Application& app) : app_(app), logs_(app.logs()) {}

ShutdownScreen::~ShutdownScreen() = default;

void ShutdownScreen::BuildWindow() {
    ui::WindowSpec spec;
    spec.name = "ShutdownScreen";
    spec.borderless = true;
    spec.fullScreen = true;
    window_ = app_.platform().ui.NewWindow(spec);

    countdownNumber = &window_->AddControl(ui::ControlKind::Label, "countdownNumber", nullptr,
                                  {3960, 2280, kCountdownBoxWidth, kCountdownBoxHeight});
    countdownNumber->SetVisible(false);
    countdownNumber->SetFont({"MS Sans Serif", 8.25, false, false});

    look_ = tamrel::BuildDefaultLook(*window_, {"defaultLook", "If the keyboard is hooked up, you can", "ERR",
                                        app_.platform().ui.DesktopName()});

    countdownTimer = &window_->AddTimer(1000);
    countdownTimer->OnTick([this] { OnTick(); });
    window_->OnKeyPress([this](int& code) { OnKeyPress(code); });
    window_->OnClick([this] { OnClick(); });
}

void ShutdownScreen::Show() {
    BuildWindow();
    // Stopped from outside (the session ending, a kill): the run ends as a
    // cancel would, with the machine left on.
    app_.platform().ui.OnStopRequest([this](int number) {
        logs_.TryLog("Tamrel was asked to stop (signal " + PlainNumber(number) + ") at " + PlainNumber(SecondsLeft) +
                     " seconds.");
        logs_.TryLog("Tamrel ended.");
        Close();
    });
    window_->Show();
    open_ = true;
    Activate();
}

void ShutdownScreen::Close() {
    if (!open_) return;
    open_ = false;
    app_.platform().ui.OnStopRequest(nullptr);
    countdownTimer->SetEnabled(false);
    window_->Close();
    app_.WindowClosed();
}

void ShutdownScreen::Activate() {
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
                DiscardDamagedSettings(logs_, files, app_.platform().ui, kDamagedFilePrompt);
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

void ShutdownScreen::BuildSkinLook() {
    if (BoxFontName.empty()) BoxFontName = "comic sans ms";
    if (LenientNumber(BoxFontSize) == 0) BoxFontSize = "20";
    const double size = LabelFontSize(BoxFontSize);
    if (BoxBold.empty()) BoxBold = "False";
    countdownNumber->SetFont({BoxFontName, size, ToBoolean(BoxBold), BoxItalic});
    countdownNumber->SetForeColor(BoxColor);
    countdownNumber->SetBounds({static_cast<ui::Twips>(BoxY), static_cast<ui::Twips>(BoxX), kCountdownBoxWidth, kCountdownBoxHeight});
    if (!SkinPath.empty()) window_->SetPicture(SkinPath);
    countdownNumber->SetText(PlainNumber(SecondsLeft));
    countdownNumber->SetVisible(true);
}

void ShutdownScreen::BuildDefaultLook() {
    CentreDefaultLook(look_, *window_);
    for (ui::Control* control : {look_.frame, look_.heading, look_.number, look_.seconds, look_.cancelHint}) control->SetVisible(true);
    look_.number->SetText(PlainNumber(SecondsLeft));
    look_.restartHint->SetVisible(RestartKey != 0);
}

void ShutdownScreen::TakeFocusAndStart() {
    ui::Toolkit& ui = app_.platform().ui;
    Counting = false;
    // The pointer goes out of sight in the bottom-right corner, and the
    // screen becomes the window that receives the keys.
    ui.SetCursorPos(10000, 10000);
    ClickScreen();
    ui.ProcessPendingEvents();
    countdownTimer->SetEnabled(true);
    Counting = true;
}

void ShutdownScreen::ClickScreen() { app_.platform().ui.InjectLeftClick(); }

void ShutdownScreen::MissingFile() {
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
    logs_.AppendErrorLog(" tamrel.set file not found! User chose not to set up at this time.");
    logs_.Log("Problem encountered with tamrel.set file.");
    logs_.Log("Tamrel ended.");
    Close();
}

void ShutdownScreen::ErrorPath(const RuntimeError& error) {
    const std::string description = error.Description();
    app_.platform().ui.ShowMessageBox("Tamrel has encountered a problem and will end. (" + description +
                                          ")\r Please check Tamrel.txt for help",
                                      ui::Buttons::Ok, ui::kAppTitle, ui::Icon::None);
    logs_.TryAppendErrorLog("---Tamrel encountered error.  (" + description +
                              "). Please check for proper setup.");
    Close();
}

}  // namespace tamrel
