#include "setup/SetupWindow.h"

#include <limits>
#include <stdexcept>

#include "platform/RuntimeError.h"
#include "settings/Numbers.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsWriter.h"
#include "settings/SetupReader.h"
#include "settings/Text.h"
#include "setup/ChosenPath.h"
#include "setup/LookEditor.h"
#include "setup/KeyChooser.h"
#include "setup/SetupMenus.h"
#include "log/Printable.h"

namespace tamrel {

namespace {

using namespace setup;

bool IsDefaultSkin(const std::string& path) { return path.empty() || Trim(LowerCase(path)) == "use default"; }

std::string Marked(bool marked, const std::string& caption) { return marked ? ">" + caption : caption; }

// The choices whose value the file may hold beyond the items offered, and
// the member each sets.
struct ValueChoice {
    Command command;
    ui::MenuId fromFile;
    const char* unit;
    std::int16_t Settings::*member;
};

constexpr ValueChoice kValueChoices[] = {
    {Command::ChooseCancelTime, kCancelTimeFromFile, "Seconds", &Settings::cancelSeconds},
    {Command::ChooseShortestRun, kShortestRunFromFile, "Seconds", &Settings::shortestRun},
    {Command::ChooseIdleMinutes, kIdleFromFile, "Minutes", &Settings::idleMinutes},
};

const ValueChoice* ValueChoiceOf(Command command) {
    for (const ValueChoice& choice : kValueChoices) {
        if (choice.command == command) return &choice;
    }
    return nullptr;
}

// The times of day setup asks for in the time entry, and the member each
// sets. An entry for no time yet starts at `suggested`.
struct TimeChoice {
    Command command;
    ui::MenuId item;
    const char* title;
    const char* prompt;
    int suggested;
    std::int16_t Settings::*member;
};

constexpr TimeChoice kTimeChoices[] = {
    {Command::ChooseClosingTime, kClosingTime, "Closing time",
     "When the clock reaches this time while the program runs, Tamrel asks it to end and the countdown "
     "follows. None: no closing time.", 18 * 60, &Settings::closingTime},
    {Command::ChooseWakeTime, kWakeTime, "Wake-up time",
     "Before each power-off, Tamrel sets the machine's clock alarm to wake it at this time. None: no "
     "wake-up.", 8 * 60, &Settings::wakeTime},
};

const TimeChoice& TimeChoiceOf(Command command) {
    for (const TimeChoice& choice : kTimeChoices) {
        if (choice.command == command) return choice;
    }
    throw std::logic_error("no time choice for this command");
}

bool Fits16(double value) {
    return value >= std::numeric_limits<std::int16_t>::min() && value <= std::numeric_limits<std::int16_t>::max();
}

// How Tamrel starts where there is no desktop session to run its entry.
std::string ConsoleStartText(const std::string& user) {
    const std::string who = user.empty() ? "USER" : user;
    return "On the console no desktop session starts Tamrel. Enable the unit tamrel@.service that comes "
           "with Tamrel: it runs Tamrel on tty1 as " + who + ", in place of the tty's login prompt:\r\r"
           "sudo systemctl enable tamrel@" + who + "\r\r"
           "Or let the console log " + who + " in by itself and start tamrel from " + who + "'s ~/.profile.";
}

}  // namespace

SetupWindow::SetupWindow(Platform& platform, Logs& logs, Navigator& navigator)
    : platform_(platform), logs_(logs), navigator_(navigator) {
    // A file written before the check existed gets it on.
    state_.shortestRun = kDefaultShortestRun;
}

SetupWindow::~SetupWindow() = default;

void SetupWindow::BuildWindow() {
    ui::Toolkit& ui = platform_.ui;
    ui::WindowSpec spec;
    spec.name = "SetupWindow";
    spec.caption = "The Tamrel (V1.10)........ SetUp Mode";
    spec.clientWidth = 13350;
    spec.clientHeight = 9000;
    spec.maximized = true;
    window_ = ui.NewWindow(spec);
    menus_ = SetupMenuTable(ui.desktop());
    window_->SetMenuBar(SetupMenuBar(menus_));

    preview_ = BuildDefaultLook(*window_, {"defaultSkinPreview", "If your keyboard is hooked up, you can", "15",
                                           ui::DesktopName(ui.desktop())});
    preview_.frame->SetToolTip("This is the default skin");

    countdownBox_ = &window_->AddControl(ui::ControlKind::Label, "countdownBox", nullptr, {0, 0, kCountdownBoxWidth, kCountdownBoxHeight});
    countdownBox_->SetText("15");
    countdownBox_->SetFont({"Comic Sans MS", 20, false, false});
    countdownBox_->SetToolTip(
        "This is the Countdown Box. Click and drag it to wher eyou want it on your screen.");

    lookEditor_ = std::make_unique<LookEditor>(platform_, logs_, *window_, state_, preview_, *countdownBox_);
    // Built last, so that it stands above the preview and the box.
    keyChooser_ = std::make_unique<KeyChooser>(
        ui,
        [this](const std::string& line) {
            logs_.TryLog(line);
            logs_.TryAppendErrorLog(" --" + line);
        },
        *window_, state_, *preview_.restartHint);

    window_->OnMenu([this](ui::MenuId id) { Guarded([this, id] { OnMenu(id); }); });
    window_->OnKeyPress([this](int& code) { Guarded([this, &code] { keyChooser_->OnKeyPress(code); }); });
    window_->OnClick([this] { Guarded([this] { keyChooser_->OnClick(); }); });
    countdownBox_->OnMouseDown([this](int buttons, ui::Twips x, ui::Twips y) {
        Guarded([=, this] { lookEditor_->OnBoxMouseDown(buttons, x, y); });
    });
    window_->OnDragDrop([this](ui::Twips x, ui::Twips y) { Guarded([=, this] { lookEditor_->OnDrop(x, y); }); });
    // Closed from outside the menus: nothing is saved or logged. An open key
    // chooser goes first, as its Cancel would, so that Alt+F4 serves it as
    // Escape cannot (Escape is a key it may choose).
    window_->OnCloseRequest([this] {
        Guarded([this] {
            if (keyChooser_->IsOpen()) {
                keyChooser_->Cancel();
            } else {
                Close();
            }
        });
    });
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
    navigator_.WindowClosed();
}

void SetupWindow::Guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const RuntimeError& error) {
        const std::string number = PlainNumber(error.Number());
        platform_.ui.ShowMessageBox(
            "The Tamrel has encountered an error: " + Printable(error.Description()) + " ERR# " + number, ui::Buttons::Ok,
            ui::kAppTitle, ui::Icon::Critical);
        logs_.TryAppendErrorLog(" --Error in setup mode: " + number + ": " + error.Description());
    }
}

void SetupWindow::Load() {
    FileSystem& files = platform_.files;
    std::vector<BadValue> badValues;
    try {
        logs_.Log("Entering setup mode.");
        const SettingsSource source = FindSettings(files);
        if (!files.FileExists(source.path)) {
            logs_.Log("Tamrel.set not found. Creating default settings.");
            StartFromDefaults();
        } else if (ReadSettingsForSetup(state_, logs_, files, platform_.ui, &badValues) == SetupReadResult::Corrupt) {
            // The system's file stays, so the user needs a file of their own.
            if (!source.system) {
                Close();
                return;
            }
            badValues.clear();
            StartFromDefaults();
        }
    } catch (const RuntimeError& error) {
        // Only a file that cannot be read at all gives way to the defaults.
        LoadFailed(error);
        StartFromDefaults();
    }
    ShowState(badValues);
    ReportBadValues(badValues);
}

void SetupWindow::StartFromDefaults() {
    static_cast<Settings&>(state_) = DefaultSettings(platform_.files);
    state_.dragOffsetX = 0;
    state_.dragOffsetY = 0;
}

void SetupWindow::ShowState(std::vector<BadValue>& badValues) {
    if (state_.cancelSeconds < 5 || state_.cancelSeconds > 25) state_.cancelSeconds = 10;
    // A time edited into the file stays what "Done!" writes, so it is shown
    // as chosen; the menus are built anew before anything else marks them.
    bool offered = false;
    for (const ValueChoice& choice : kValueChoices) {
        offered = OfferValue(menus_, choice.command, choice.fromFile, state_.*choice.member, choice.unit) || offered;
    }
    if (offered) window_->SetMenuBar(SetupMenuBar(menus_));

    const Settings defaults = DefaultSettings(platform_.files);
    // A value the window cannot take takes its default; the others stay.
    const auto useDefault = [&](Field field, const std::string& value, const RuntimeError& error) {
        badValues.push_back({std::string(KeyOf(field).written) + Printable(value), Printable(error.Description())});
        CopyField(state_, defaults, field);
    };
    if (IsDefaultSkin(state_.skinPath)) {
        lookEditor_->UseDefaultSkin();
    } else {
        try {
            window_->SetPicture(state_.skinPath);
        } catch (const RuntimeError& error) {
            useDefault(Field::SkinPath, state_.skinPath, error);
            lookEditor_->UseDefaultSkin();
        }
    }
    window_->SetMenuCaption(kProgramShown, state_.programPath.empty() ? "Program to Launch: none"
                                                                     : "Program to launch: " + Printable(state_.programPath));

    window_->SetMenuCaption(kCancelKeyMenu, KeyCaption(KeyRole::Cancel, KeyCaptionStyle::Loaded, state_.cancelKey, state_.cancelButton));
    window_->SetMenuCaption(kRestartKeyMenu, KeyCaption(KeyRole::Restart, KeyCaptionStyle::Loaded, state_.restartKey, state_.restartButton));
    Mark(Command::ChooseMethod, state_.shutdownMethod == 1 || state_.shutdownMethod == 2 ? state_.shutdownMethod : 0);
    Mark(Command::ChooseShortestRun, state_.shortestRun);
    Mark(Command::ChooseIdleMinutes, state_.idleMinutes);
    ShowAutostart();
    for (const TimeChoice& choice : kTimeChoices) ShowTime(choice.command);
    // The skin and countdown box menus keep what the skin choice gave them.
    for (ui::MenuId menu :
         {kCancelKeyMenu, kCancelTimeMenu, kRestartKeyMenu, kShortestRunMenu, kIdleMenu, kClosingTime, kWakeTime}) {
        window_->SetMenuEnabled(menu, state_.shutdownMethod != 0);
    }
    for (const SetupMenuDef* item : SetupMenuItems(menus_)) {
        if (item->unavailable) window_->SetMenuEnabled(item->id, false);
    }

    ui::Rect bounds = countdownBox_->Bounds();
    bounds.top = state_.boxTop;
    bounds.left = state_.boxLeft;
    countdownBox_->SetBounds(bounds);
    countdownBox_->SetForeColor(state_.boxColor);
    ui::Font font = countdownBox_->GetFont();
    font.name = state_.boxFontName;
    font.italic = state_.boxItalic;
    try {
        font.size = LabelFontSize(state_.boxFontSize);
    } catch (const RuntimeError& error) {
        useDefault(Field::BoxFontSize, state_.boxFontSize, error);
        font.size = LabelFontSize(state_.boxFontSize);
    }
    try {
        font.bold = ToBoolean(state_.boxBold);
    } catch (const RuntimeError& error) {
        useDefault(Field::BoxBold, state_.boxBold, error);
        font.bold = ToBoolean(state_.boxBold);
    }
    countdownBox_->SetFont(font);

    for (const SetupMenuDef* item : SetupMenuItems(menus_)) {
        if (item->command == Command::ChooseCancelTime && item->argument == state_.cancelSeconds) {
            ChooseCancelTime(item->argument);
        }
    }
    FitCountdownBox(*countdownBox_);
    preview_.restartHint->SetVisible(state_.restartKey != 0);
}

void SetupWindow::ReportBadValues(const std::vector<BadValue>& badValues) {
    if (badValues.empty()) return;
    std::string lines;
    for (const BadValue& bad : badValues) {
        const std::string told = bad.line + " (" + bad.why + ")";
        logs_.TryLog("This line of tamrel.set could not be used, so setup shows its default instead: " + told);
        logs_.TryAppendErrorLog(" --Setup could not use this line of tamrel.set: " + told);
        lines += told + "\r";
    }
    platform_.ui.ShowMessageBox("These lines of tamrel.set could not be used:\r" + lines +
                                    "Setup shows the default for each of them; every other setting was kept as "
                                    "the file had it.",
                                ui::Buttons::Ok, "Settings partly loaded", ui::Icon::None);
}

void SetupWindow::LoadFailed(const RuntimeError& error) {
    platform_.ui.ShowMessageBox("I have encountered an error! \rSetup mode will automatically start.\r"
                                "tamrel.set could not be read (" + Printable(error.Description()) +
                                    "), so setup holds the default settings; \"Done!\" replaces the file with "
                                    "what it holds then.",
                                ui::Buttons::Ok, ui::kAppTitle, ui::Icon::None);
    logs_.TryAppendErrorLog(" Encountered error while trying to load " + state_.programPath + ". Error was " +
                            error.Description());
    logs_.TryLog(platform_.clock.NowText() + " -- Encountered error: " + error.Description());
}

void SetupWindow::OnMenu(ui::MenuId id) {
    const SetupMenuDef& item = SetupMenuItem(menus_, id);
    switch (item.command) {
        case Command::None: break;
        case Command::ChooseProgram: ChooseProgram(); break;
        case Command::ChooseMethod: ChooseShutdownMethod(item.argument); break;
        case Command::ChooseCancelTime: ChooseCancelTime(item.argument); break;
        case Command::ChooseShortestRun:
        case Command::ChooseIdleMinutes: ChooseValue(item.command, item.argument); break;
        case Command::ChooseClosingTime:
        case Command::ChooseWakeTime: ChooseTime(item.command); break;
        case Command::ToggleAutostart: ToggleAutostart(); break;
        case Command::ChooseCancelKey: keyChooser_->Open(KeyRole::Cancel); break;
        case Command::ChooseRestartKey: keyChooser_->Open(KeyRole::Restart); break;
        case Command::OpenSkin: lookEditor_->OpenSkin(); break;
        case Command::UseDefaultSkin: lookEditor_->UseDefaultSkin(); break;
        case Command::SelectFont: lookEditor_->SelectFont(); break;
        case Command::SelectColor: lookEditor_->SelectColor(); break;
        case Command::ResetBox: lookEditor_->ResetBox(); break;
        case Command::Done: Done(); break;
        case Command::CancelAndExit: CancelAndExit(); break;
        case Command::ShowAbout: navigator_.ShowAbout(); break;
        case Command::ShowHelpTopic: navigator_.ShowHelpTopic(static_cast<std::size_t>(item.argument)); break;
    }
}

void SetupWindow::Mark(Command command, int value) {
    for (const SetupMenuDef* item : SetupMenuItems(menus_)) {
        if (item->command == command) window_->SetMenuCaption(item->id, Marked(item->argument == value, item->caption));
    }
}

void SetupWindow::ChooseValue(Command command, int value) {
    if (const ValueChoice* choice = ValueChoiceOf(command)) state_.*choice->member = static_cast<std::int16_t>(value);
    Mark(command, value);
}

void SetupWindow::ChooseTime(Command command) {
    const TimeChoice& choice = TimeChoiceOf(command);
    std::int16_t& time = state_.*choice.member;
    const bool set = time != kNoTimeOfDay;
    const std::string now = set ? TimeOfDayText(time) : "none";
    const std::string prompt = std::string(choice.prompt) + "\nNow: " + now + ".";
    const ui::TimeAnswer answer = window_->ShowTimeDialog({choice.title, prompt, set ? time : choice.suggested});
    if (!answer) return;  // Cancel keeps the time
    // Only what the file can hold is taken; anything else is none.
    time = static_cast<std::int16_t>(*answer >= 0 && *answer < 24 * 60 ? *answer : kNoTimeOfDay);
    ShowTime(command);
}

void SetupWindow::ShowTime(Command command) {
    const TimeChoice& choice = TimeChoiceOf(command);
    const SetupMenuDef& item = SetupMenuItem(menus_, choice.item);
    // A time this system cannot use is kept for the file but not shown as set.
    const bool set = state_.*choice.member != kNoTimeOfDay && !item.unavailable;
    window_->SetMenuCaption(choice.item, Marked(set, item.caption));
}

void SetupWindow::ShowAutostart() {
    const SetupMenuDef& item = SetupMenuItem(menus_, kAutostart);
    window_->SetMenuCaption(kAutostart, Marked(platform_.autostart.IsOn(), item.caption));
}

void SetupWindow::ToggleAutostart() {
    Autostart& autostart = platform_.autostart;
    const std::string entry = Printable(autostart.EntryPath());
    const bool on = !autostart.IsOn();
    // No desktop session runs entries on the console: something else must start Tamrel.
    if (on && platform_.ui.desktop() == ui::Desktop::Console) {
        logs_.TryLog("On the console Tamrel is started by the system, not by " + entry + ".");
        platform_.ui.ShowMessageBox(ConsoleStartText(Printable(autostart.User())), ui::Buttons::Ok,
                                    "Starting on the console", ui::Icon::None);
        return;
    }
    try {
        autostart.SetOn(on);
        logs_.TryLog(on ? "Tamrel will start by itself: " + entry + " written."
                        : "Tamrel will no longer start by itself: " + entry + " removed.");
    } catch (const RuntimeError& error) {
        logs_.TryLog("Tamrel could not change " + entry + ": " + error.Description());
        logs_.TryAppendErrorLog(" --Could not change " + entry + ": " + error.Description());
        platform_.ui.ShowMessageBox("Tamrel could not change " + entry + ".\r" + Printable(error.Description()),
                                    ui::Buttons::Ok, "Start not changed!", ui::Icon::Critical);
    }
    ShowAutostart();
}

void SetupWindow::ChooseProgram() {
    FileSystem& files = platform_.files;
    const std::optional<std::string> chosen = KeepChosenPath(
        platform_.ui, window_->ShowOpenDialog({files.SettingsFolder(), "", files.ProgramFilter()}),
        "Program not chosen!");
    if (!chosen) return;  // the program stays
    state_.programPath = *chosen;
    window_->SetCaption(Printable(state_.programPath));
    window_->SetMenuCaption(kProgramShown, "Launch: " + Printable(state_.programPath));
}

void SetupWindow::ChooseShutdownMethod(int method) {
    Mark(Command::ChooseMethod, method);
    state_.shutdownMethod = static_cast<std::int16_t>(method);
    for (const SetupMenuDef* item : SetupMenuItems(menus_)) {
        if (item->forShutdownOnly) window_->SetMenuEnabled(item->id, method != 0);
    }
}

void SetupWindow::ChooseCancelTime(int seconds) {
    state_.cancelSeconds = static_cast<std::int16_t>(seconds);
    // Once chosen, every time is worded alike.
    for (const SetupMenuDef* item : SetupMenuItems(menus_)) {
        if (item->command == Command::ChooseCancelTime) {
            window_->SetMenuCaption(item->id, Marked(item->argument == seconds, PlainNumber(item->argument) + " Seconds"));
        }
    }
    countdownBox_->SetText(PlainNumber(seconds));
    FitCountdownBox(*countdownBox_);
}

bool SetupWindow::BoxPositionFits() {
    const ui::Rect box = countdownBox_->Bounds();
    return Fits16(RoundHalfEven(box.top)) && Fits16(RoundHalfEven(box.left));
}

void SetupWindow::Done() {
    ui::Toolkit& ui = platform_.ui;
    FileSystem& files = platform_.files;
    // A path the settings file cannot hold on one line could never be
    // launched.
    if (state_.programPath.find_first_of("\r\n") != std::string::npos) {
        ui.ShowMessageBox("The program's path holds a line break, which the settings file cannot hold. Please "
                          "choose the program again.",
                          ui::Buttons::Ok, "Problem found!", ui::Icon::Critical);
        return;
    }
    // A program the next start could not run is refused here, while the
    // user can still choose another.
    if (state_.programPath.empty() || !files.FileExists(state_.programPath) || !files.IsRunnable(state_.programPath) ||
        files.IsOwnExecutable(state_.programPath)) {
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
    state_.boxTop = static_cast<std::int16_t>(RoundHalfEven(box.top));
    state_.boxLeft = static_cast<std::int16_t>(RoundHalfEven(box.left));
    state_.boxColor = countdownBox_->ForeColor();
    // The font name stays as the file or the font dialog named it, not as
    // the family the label happened to get.
    state_.boxBold = font.bold ? "True" : "False";

    logs_.TryLog("Creating new Tamrel.set file");
    const std::string settingsPath = SettingsFilePath(files);
    try {
        WriteSettingsFile(state_, files, platform_.clock.NowText());
    } catch (const RuntimeError& error) {
        // The old file is untouched and the window stays, so that the user
        // can mend the cause and choose "Done!" again.
        logs_.TryLog("The settings could not be saved: " + error.Description());
        logs_.TryAppendErrorLog(" --Could not write " + settingsPath + ": " + error.Description());
        ui.ShowMessageBox("Tamrel could not save the settings file " + Printable(settingsPath) + ".\r" +
                              Printable(error.Description()) +
                              "\rYour settings are kept in this window: mend the cause, then choose Done! again.",
                          ui::Buttons::Ok, "Settings not saved!", ui::Icon::Critical);
        return;
    }
    logs_.TryLog("Tamrel ended.");
    Close();
}

void SetupWindow::CancelAndExit() {
    const int answer = platform_.ui.ShowMessageBox(
        "Your settings will not be saved. Are you sure you want to quit?", ui::Buttons::YesNo, "Quit without saving?",
        ui::Icon::None);
    if (answer == ui::kAnswerNo) return;
    logs_.TryLog("User quit without saving Tamrel.set");
    logs_.TryLog("Tamrel ended.");
    Close();
}

}  // namespace tamrel
