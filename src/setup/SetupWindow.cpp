#include "setup/SetupWindow.h"

#include <limits>

#include "help/HelpTopics.h"
#include "platform/Paths.h"
#include "platform/RuntimeError.h"
#include "run/Application.h"
#include "settings/Numbers.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsWriter.h"
#include "settings/SetupReader.h"
#include "settings/Text.h"
#include "setup/CountdownBoxEditor.h"
#include "setup/KeyChooser.h"
#include "setup/SetupMenus.h"

namespace tamrel {

namespace {

using namespace setup;

constexpr ui::MenuId kMethodItems[] = {kNoShutdown, kShutdown, kPowerOff};
constexpr const char* kMethodCaptions[] = {"Dont shut the machine down", "Shutdown", "Power off"};
// The menus that matter only when the machine is shut down.
constexpr ui::MenuId kShutdownMenus[] = {kCancelKeyMenu, kRestartKeyMenu, kCancelTimeMenu, kSkinMenu,
                                         kCountdownBoxMenu};
constexpr int kTimes[] = {5, 10, 15, 20, 25};
constexpr ui::MenuId kTimeItems[] = {k5Seconds, k10Seconds, k15Seconds, k20Seconds, k25Seconds};

std::string Marked(bool marked, const std::string& caption) { return marked ? ">" + caption : caption; }

bool Fits16(double value) {
    return value >= std::numeric_limits<std::int16_t>::min() && value <= std::numeric_limits<std::int16_t>::max();
}

}  // namespace

SetupWindow::SetupWindow(Application& app) : app_(app), logs_(app.logs()) {}

SetupWindow::~SetupWindow() = default;

void SetupWindow::BuildWindow() {
    ui::Toolkit& ui = app_.platform().ui;
    ui::WindowSpec spec;
    spec.name = "SetupWindow";
    spec.caption = "The Tamrel (V1.10)........ SetUp Mode";
    spec.clientWidth = 13350;
    spec.clientHeight = 9000;
    spec.maximized = true;
    window_ = ui.NewWindow(spec);
    window_->SetMenuBar(SetupMenuBar(ui.DesktopName()));

    preview_ = BuildDefaultLook(*window_, {"defaultSkinPreview", "If your keyboard is hooked up, you can", "15",
                                           ui.DesktopName()});
    preview_.frame->SetToolTip("This is the default skin");

    countdownBox_ = &window_->AddControl(ui::ControlKind::Label, "countdownBox", nullptr, {0, 0, kCountdownBoxWidth, kCountdownBoxHeight});
    countdownBox_->SetText("15");
    countdownBox_->SetFont({"Comic Sans MS", 20, false, false});
    countdownBox_->SetToolTip(
        "This is the Countdown Box. Click and drag it to wher eyou want it on your screen.");

    boxEditor_ = std::make_unique<CountdownBoxEditor>(*this);
    // Built last, so that it stands above the preview and the box.
    keyChooser_ = std::make_unique<KeyChooser>(*this);

    window_->OnMenu([this](ui::MenuId id) { Guarded([this, id] { OnMenu(id); }); });
    window_->OnKeyPress([this](int& code) { Guarded([this, &code] { keyChooser_->OnKeyPress(code); }); });
    window_->OnClick([this] { Guarded([this] { keyChooser_->OnClick(); }); });
    countdownBox_->OnMouseDown([this](int buttons, ui::Twips x, ui::Twips y) {
        Guarded([=, this] { boxEditor_->OnBoxMouseDown(buttons, x, y); });
    });
    window_->OnDragDrop([this](ui::Twips x, ui::Twips y) { Guarded([=, this] { boxEditor_->OnDrop(x, y); }); });
    // Closed from outside the menus: nothing is saved or logged.
    window_->OnCloseRequest([this] { Close(); });
}

void SetupWindow::Show() {
    BuildWindow();
    open_ = true;
    Load();
    if (!open_) return;  // the settings file was damaged
    window_->Show();
}

void SetupWindow::Close() {
    if (!open_) return;
    open_ = false;
    window_->Close();
    app_.WindowClosed();
}

void SetupWindow::Guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const RuntimeError& error) {
        const std::string number = PlainNumber(error.Number());
        app_.platform().ui.ShowMessageBox(
            "The Tamrel has encountered an error: " + error.Description() + " ERR# " + number, ui::Buttons::Ok,
            ui::kAppTitle, ui::Icon::Critical);
        logs_.TryAppendErrorLog(" --Error in setup mode: " + number + ": " + error.Description());
    }
}

void SetupWindow::Load() {
    FileSystem& files = app_.platform().files;
    try {
        logs_.Log("Entering setup mode.");
        if (!files.FileExists(SettingsFilePath(files)) || app_.setupAfterError) {
            app_.setupAfterError = false;
            logs_.Log("Tamrel.set not found. Creating default settings.");
            static_cast<Settings&>(state) = DefaultSettings(files);
            state.DragOffsetX = 0;
            state.DragOffsetY = 0;
        } else if (ReadSettingsForSetup(state, logs_, files, app_.platform().ui) == SetupReadResult::Corrupt) {
            Close();
            return;
        }
        ShowSetupState();
    } catch (const RuntimeError& error) {
        LoadFailed(error);
    }
}

void SetupWindow::ShowSetupState() {
    if (Trim(LowerCase(state.SkinPath)) == "use default" || state.SkinPath.empty()) {
        boxEditor_->UseDefaultSkin();
    } else {
        window_->SetPicture(state.SkinPath);
    }
    window_->SetMenuCaption(kProgramShown, state.ProgramPath.empty() ? "Program to Launch: none"
                                                                     : "Program to launch: " + state.ProgramPath);
    if (state.CancelSeconds < 5 || state.CancelSeconds > 25) state.CancelSeconds = 10;

    std::string cancelCaption = "Current Cancel Key: " + SignedNumber(state.CancelKey);
    if (state.CancelKey == 0) cancelCaption = "Current Cancel Key: none";
    if (state.CancelKey == -1) cancelCaption = "Current Cancel Key: Left mouse click";
    window_->SetMenuCaption(kCancelKeyMenu, cancelCaption);
    std::string restartCaption = "Current re-start key: " + SignedNumber(state.RestartKey);
    if (state.RestartKey == 0) restartCaption = "Current re-start key: none";
    if (state.RestartKey == -1) restartCaption = "Current re-start key: Left mouse click";
    window_->SetMenuCaption(kRestartKeyMenu, restartCaption);

    const int method = state.ShutdownMethod == 1 || state.ShutdownMethod == 2 ? state.ShutdownMethod : 0;
    for (int i = 0; i < 3; ++i) window_->SetMenuCaption(kMethodItems[i], Marked(i == method, kMethodCaptions[i]));
    // The skin and countdown box menus keep what the skin choice gave them.
    for (ui::MenuId menu : {kCancelKeyMenu, kCancelTimeMenu, kRestartKeyMenu}) {
        window_->SetMenuEnabled(menu, state.ShutdownMethod != 0);
    }

    ui::Rect bounds = countdownBox_->Bounds();
    bounds.top = state.BoxX;
    bounds.left = state.BoxY;
    countdownBox_->SetBounds(bounds);
    countdownBox_->SetForeColor(state.BoxColor);
    // One part at a time: a size or bold text that does not convert stops
    // the load with the parts before it already applied.
    ui::Font font = countdownBox_->GetFont();
    font.name = state.BoxFontName;
    countdownBox_->SetFont(font);
    font.size = LabelFontSize(state.BoxFontSize);
    countdownBox_->SetFont(font);
    font.bold = ToBoolean(state.BoxBold);
    countdownBox_->SetFont(font);
    font.italic = state.BoxItalic;
    countdownBox_->SetFont(font);

    for (int time : kTimes) {
        if (state.CancelSeconds == time) ChooseCancelTime(time);
    }
    preview_.restartHint->SetVisible(state.RestartKey != 0);
}

void SetupWindow::LoadFailed(const RuntimeError& error) {
    app_.platform().ui.ShowMessageBox("I have encountered an error! \rSetup mode will automatically start.",
                                      ui::Buttons::Ok, ui::kAppTitle, ui::Icon::None);
    logs_.TryAppendErrorLog(" Encountered error while trying to load " + state.ProgramPath + ". Error was " +
                            error.Description());
    logs_.TryLog(app_.platform().clock.NowText() + " -- Encountered error: " + error.Description());
}

void SetupWindow::OnMenu(ui::MenuId id) {
    switch (id) {
        case kChooseProgram: ChooseProgram(); break;
        case kNoShutdown: ChooseShutdownMethod(0); break;
        case kShutdown: ChooseShutdownMethod(1); break;
        case kPowerOff: ChooseShutdownMethod(2); break;
        case k5Seconds: ChooseCancelTime(5); break;
        case k10Seconds: ChooseCancelTime(10); break;
        case k15Seconds: ChooseCancelTime(15); break;
        case k20Seconds: ChooseCancelTime(20); break;
        case k25Seconds: ChooseCancelTime(25); break;
        case kChooseCancelKey: keyChooser_->OpenForCancelKey(); break;
        case kChooseRestartKey: keyChooser_->OpenForRestartKey(); break;
        case kOpenSkin: boxEditor_->OpenSkin(); break;
        case kDefaultSkin: boxEditor_->UseDefaultSkin(); break;
        case kSelectFont: boxEditor_->SelectFont(); break;
        case kSelectColor: boxEditor_->SelectColor(); break;
        case kResetBox: boxEditor_->ResetBox(); break;
        case kDone: Done(); break;
        case kCancelAndExit: CancelAndExit(); break;
        case kAbout: app_.ShowAbout(); break;
        default:
            if (const std::size_t topic = help::TopicOfMenu(id); topic != static_cast<std::size_t>(-1)) {
                app_.ShowHelpTopic(topic);
            }
            break;
    }
}

void SetupWindow::ChooseProgram() {
    FileSystem& files = app_.platform().files;
    state.ProgramPath = window_->ShowOpenDialog({files.ProgramFolder(), "", files.ProgramFilter()});
    window_->SetCaption(state.ProgramPath);
    window_->SetMenuCaption(kProgramShown, "Launch: " + state.ProgramPath);
}

void SetupWindow::ChooseShutdownMethod(int method) {
    for (int i = 0; i < 3; ++i) window_->SetMenuCaption(kMethodItems[i], Marked(i == method, kMethodCaptions[i]));
    state.ShutdownMethod = static_cast<std::int16_t>(method);
    for (ui::MenuId menu : kShutdownMenus) window_->SetMenuEnabled(menu, method != 0);
}

void SetupWindow::ChooseCancelTime(int seconds) {
    state.CancelSeconds = static_cast<std::int16_t>(seconds);
    for (std::size_t i = 0; i < std::size(kTimes); ++i) {
        window_->SetMenuCaption(kTimeItems[i], Marked(kTimes[i] == seconds, PlainNumber(kTimes[i]) + " Seconds"));
    }
    countdownBox_->SetText(PlainNumber(seconds));
}

bool SetupWindow::BoxPositionFits() {
    const ui::Rect box = countdownBox_->Bounds();
    return Fits16(RoundHalfEven(box.top)) && Fits16(RoundHalfEven(box.left));
}

void SetupWindow::Done() {
    ui::Toolkit& ui = app_.platform().ui;
    FileSystem& files = app_.platform().files;
    // A program the next start could not run is refused here, while the
    // user can still choose another.
    if (state.ProgramPath.empty() || !files.FileExists(state.ProgramPath) || !files.IsRunnable(state.ProgramPath) ||
        files.IsOwnExecutable(state.ProgramPath)) {
        ui.ShowMessageBox("There is a problem with the program to run. Please double check path and filename.",
                          ui::Buttons::Ok, "Problem found!", ui::Icon::Critical);
        return;
    }
    // The file holds positions as 16-bit numbers; a larger one would be
    // read back as a damaged file.
    if (!BoxPositionFits()) {
        ui.ShowMessageBox(
            "The countdown box lies outside the range the settings file can hold. Please move it up or to the "
            "left, then choose Done! again.",
            ui::Buttons::Ok, "Problem found!", ui::Icon::Critical);
        return;
    }
    const ui::Rect box = countdownBox_->Bounds();
    const ui::Font font = countdownBox_->GetFont();
    state.BoxX = static_cast<std::int16_t>(RoundHalfEven(box.top));
    state.BoxY = static_cast<std::int16_t>(RoundHalfEven(box.left));
    state.BoxColor = countdownBox_->ForeColor();
    state.BoxBold = font.bold ? "True" : "False";
    state.BoxFontName = font.name;

    logs_.TryLog("Creating new Tamrel.set file");
    const std::string settingsPath = SettingsFilePath(files);
    try {
        WriteSettingsFile(state, files, app_.platform().clock.NowText());
    } catch (const RuntimeError& error) {
        // The old file is untouched and the window stays, so that the user
        // can mend the cause and choose "Done!" again.
        logs_.TryLog("The settings could not be saved: " + error.Description());
        logs_.TryAppendErrorLog(" --Could not write " + settingsPath + ": " + error.Description());
        ui.ShowMessageBox("Tamrel could not save the settings file " + settingsPath + ".\r" + error.Description() +
                              "\rYour settings are kept in this window: mend the cause, then choose Done! again.",
                          ui::Buttons::Ok, "Settings not saved!", ui::Icon::Critical);
        return;
    }
    logs_.TryLog("Tamrel ended.");
    Close();
}

void SetupWindow::CancelAndExit() {
    const int answer = app_.platform().ui.ShowMessageBox(
        "Your settings will not be saved. Are you sure you want to quit?", ui::Buttons::YesNo, "Quit without saving?",
        ui::Icon::None);
    if (answer == ui::kAnswerNo) return;
    logs_.TryLog("User quit without saving Tamrel.set");
    logs_.TryLog("Tamrel ended.");
    Close();
}

}  // namespace tamrel
