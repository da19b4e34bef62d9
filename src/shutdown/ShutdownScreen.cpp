#include "shutdown/ShutdownScreen.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/RuntimeError.h"
#include "settings/DamagedSettings.h"
#include "settings/Numbers.h"
#include "settings/SettingsFile.h"
#include "settings/Text.h"
#include "shutdown/DefaultLook.h"
#include "log/Printable.h"

namespace tamrel {

namespace {

// Room for a few lines of explanation in the middle of any screen.
constexpr ui::Twips kNoticeWidth = 9000;
constexpr ui::Twips kNoticeHeight = 2400;
constexpr ui::Twips kIdleLineHeight = 600;

// How long a failed run lasted, never rounded up to the limit it missed.
std::string RunLengthText(double seconds, int limit) {
    if (seconds + 0.5 < limit) return DurationText(seconds);  // as that rounds
    if (seconds < 60) {
        const long tenths = static_cast<long>(seconds * 10 + 1e-9);
        return PlainNumber(tenths / 10) + "." + PlainNumber(tenths % 10) + " seconds";
    }
    return "less than " + PlainNumber(limit) + " seconds";
}

}  // namespace

ShutdownScreen::ShutdownScreen(Platform& platform, Logs& logs, Navigator& navigator, RunReport run)
    : platform_(platform),
      logs_(logs),
      navigator_(navigator),
      run_(std::move(run)),
      joystick_(
          platform.ui, [this](int button) { OnJoystickButton(button); },
          // Listened for only when a button is chosen, which may now go unheard.
          [this](const std::string& line) { LogBoth(line); },
          [this](const std::string& need, const std::string& why) {
              LogBoth("The joystick buttons chosen in tamrel.set cannot be listened for. " + need + " (" +
                      Printable(why) + ")");
          }) {
    logs_.SetProgram(run_.program);
    // The name is the user's file's; the screen shows it as one line.
    run_.program = Printable(run_.program);
}

void ShutdownScreen::LogBoth(const std::string& line) {
    logs_.TryLog(line);
    logs_.TryAppendErrorLog(" --" + line);
}

Event ShutdownScreen::RunEvent(EventKind kind, std::string action) const {
    Event event = Event::Of(kind, std::move(action));
    event.runSeconds = std::lround(run_.seconds);
    return event;
}

ShutdownScreen::~ShutdownScreen() = default;

void ShutdownScreen::BuildWindow() {
    ui::WindowSpec spec;
    spec.name = "ShutdownScreen";
    spec.borderless = true;
    spec.fullScreen = true;
    window_ = platform_.ui.NewWindow(spec);

    countdownNumber_ = &window_->AddControl(ui::ControlKind::Label, "countdownNumber", nullptr,
                                  {3960, 2280, kCountdownBoxWidth, kCountdownBoxHeight});
    countdownNumber_->SetVisible(false);
    countdownNumber_->SetFont({"MS Sans Serif", 8.25, false, false});

    look_ = tamrel::BuildDefaultLook(*window_, {"defaultLook", "If the keyboard is hooked up, you can", "ERR",
                                        ui::DesktopName(platform_.ui.desktop())});

    // Built after the looks, so that it stands above them.
    notice_ = &window_->AddControl(ui::ControlKind::Label, "notice", nullptr, {0, 0, kNoticeWidth, kNoticeHeight});
    notice_->SetFont({"MS Sans Serif", 13.5, true, false});
    notice_->SetVisible(false);

    idleLine_ = &window_->AddControl(ui::ControlKind::Label, "idleLine", nullptr, {0, 0, kNoticeWidth, kIdleLineHeight});
    idleLine_->SetFont({"MS Sans Serif", 13.5, true, false});
    idleLine_->SetVisible(false);

    countdownTimer_ = &window_->AddTimer(1000);
    countdownTimer_->OnTick([this] { OnTick(); });
    replyTimer_ = &window_->AddTimer(kReplyPollMs);
    replyTimer_->OnTick([this] { PollSystem(); });
    window_->OnKeyPress([this](int& code) { OnKeyPress(code); });
    window_->OnClick([this] { OnClick(); });
}

void ShutdownScreen::Show() {
    BuildWindow();
    platform_.ui.OnStopRequest([this](int number) { OnStopRequest(number); });
    window_->Show();
    open_ = true;
    SetUp();
}

void ShutdownScreen::Close() {
    if (!open_) return;
    open_ = false;
    platform_.ui.OnStopRequest(nullptr);
    joystick_.Stop();
    countdownTimer_->SetEnabled(false);
    replyTimer_->SetEnabled(false);
    window_->Close();
    navigator_.WindowClosed();
}

void ShutdownScreen::SetUp() {
    // Every failure of the set-up, the settings check included, ends the
    // screen without shutting down.
    try {
        FileSystem& files = platform_.files;
        if (files.IsFolder(SettingsFilePath(files))) {
            ReportSettingsFolder(logs_, files, platform_.ui);
            Close();
            return;
        }
        const SettingsSource source = FindSettings(files);
        if (!files.FileExists(source.path)) {
            SettingsMissing();
            return;
        }
        LogSource(logs_, source);
        switch (ReadSettings(source)) {
            case ReadOutcome::EarlyEnd:
                if (RunFailed()) LogFailedRun();
                Close();
                return;
            case ReadOutcome::Corrupt:
                ReportDamagedSettings(logs_, files, platform_.ui, source, kDamagedFilePrompt);
                Close();
                return;
            case ReadOutcome::Complete:
                break;
        }
        if (LowerCase(settings_.skinPath) != "use default") {
            ShowSkinLook();
        } else {
            ShowDefaultLook();
        }
        // Powering off after a failed run would do it at every start, with
        // no way to tell why: the owner is told instead, and the keys work.
        if (RunFailed()) ExplainFailedRun();
        if (EndedIdle() || EndedAtClosingTime()) ShowIdleLine();
        TakeFocus();
        if (!RunFailed()) {
            countdownTimer_->SetEnabled(true);
            Event started = RunEvent(EventKind::CountdownStarted, PowerActionName());
            started.text = "Countdown started: " + PlainNumber(secondsLeft_) + " seconds before the " + started.action + ".";
            logs_.Tell(std::move(started));
        }
    } catch (const RuntimeError& error) {
        SetUpFailed(error);
    }
}

void ShutdownScreen::ShowSkinLook() {
    Settings& s = settings_;
    if (s.boxFontName.empty()) s.boxFontName = "comic sans ms";
    if (LenientNumber(s.boxFontSize) == 0) s.boxFontSize = "20";
    const double size = LabelFontSize(s.boxFontSize);
    if (s.boxBold.empty()) s.boxBold = "False";
    countdownNumber_->SetFont({s.boxFontName, size, ToBoolean(s.boxBold), s.boxItalic});
    countdownNumber_->SetForeColor(s.boxColor);
    countdownNumber_->SetBounds({static_cast<ui::Twips>(s.boxLeft), static_cast<ui::Twips>(s.boxTop), kCountdownBoxWidth, kCountdownBoxHeight});
    if (!s.skinPath.empty()) window_->SetPicture(s.skinPath);
    countdownNumber_->SetText(PlainNumber(secondsLeft_));
    FitCountdownBox(*countdownNumber_);
    countdownNumber_->SetVisible(true);
}

void ShutdownScreen::ShowDefaultLook() {
    CentreDefaultLook(look_, *window_);
    for (ui::Control* control : {look_.frame, look_.heading, look_.number, look_.seconds, look_.cancelHint}) control->SetVisible(true);
    look_.number->SetText(PlainNumber(secondsLeft_));
    look_.restartHint->SetVisible(settings_.restartKey != 0);
}

bool ShutdownScreen::RunFailed() const {
    // A run Tamrel ended says nothing of whether the program works.
    return !EndedIdle() && !EndedAtClosingTime() && settings_.shortestRun > 0 && run_.seconds < settings_.shortestRun;
}

void ShutdownScreen::ShowIdleLine() {
    // Just above the number, whichever look shows it.
    const ui::Rect below = look_.frame->Visible() ? look_.frame->Bounds() : countdownNumber_->Bounds();
    const ui::Twips left = below.left + (below.width - kNoticeWidth) / 2;
    idleLine_->SetBounds({std::max<ui::Twips>(left, 0), std::max<ui::Twips>(below.top - kIdleLineHeight, 0),
                          kNoticeWidth, kIdleLineHeight});
    idleLine_->SetText(EndedAtClosingTime() ? "Closing time (" + TimeOfDayText(run_.closingTime) + ")."
                                            : "Nobody has played for " + MinutesText(run_.idleMinutes) + ".");
    idleLine_->SetVisible(true);
}

std::string ShutdownScreen::LogFailedRun() {
    const std::string why = run_.program + " ended after " + RunLengthText(run_.seconds, settings_.shortestRun) +
                            ", sooner than the " + PlainNumber(settings_.shortestRun) +
                            " seconds a normal run takes. The machine stays on.";
    logs_.TryLog(why, RunEvent(EventKind::Guard, "stay-on"));
    logs_.TryAppendErrorLog(" --" + why);
    return why;
}

void ShutdownScreen::ExplainFailedRun() { ShowNotice(LogFailedRun()); }

void ShutdownScreen::ShowNotice(const std::string& text) {
    for (ui::Control* number : {countdownNumber_, look_.heading, look_.number, look_.seconds}) number->SetVisible(false);
    notice_->SetText(text);
    notice_->SetBounds({(window_->Width() - kNoticeWidth) / 2, (window_->Height() - kNoticeHeight) / 2, kNoticeWidth,
                        kNoticeHeight});
    notice_->SetVisible(true);
}

void ShutdownScreen::TakeFocus() {
    counting_ = false;
    window_->TakeFocus();
    platform_.ui.ProcessPendingEvents();
    counting_ = true;
    // Opened only when asked for: a cabinet without a button choice keeps
    // its joysticks to itself.
    if (settings_.cancelButton != 0 || settings_.restartButton != 0 || EndedIdle()) joystick_.Start();
}

void ShutdownScreen::SettingsMissing() {
    ui::Toolkit& ui = platform_.ui;
    const int answer = ui.ShowMessageBox(
        "Tamrel.set config file not found! Do you wish to setup Tamrel now?", ui::Buttons::YesNo,
        "Tamrel.set not found!", ui::Icon::None);
    if (answer == ui::kAnswerYes) {
        navigator_.ShowSetup();
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

void ShutdownScreen::SetUpFailed(const RuntimeError& error) {
    const std::string description = Printable(error.Description());
    platform_.ui.ShowMessageBox("Tamrel has encountered a problem and will end. (" + description +
                                          ")\r Please check Tamrel.txt for help",
                                      ui::Buttons::Ok, ui::kAppTitle, ui::Icon::None);
    logs_.TryAppendErrorLog("---Tamrel encountered error.  (" + description +
                              "). Please check for proper setup.");
    Close();
}

}  // namespace tamrel
