#include "settings/SettingsWriter.h"

#include "settings/SettingsFile.h"
#include "settings/SettingsKeys.h"
#include "settings/Text.h"

namespace tamrel {

namespace {

constexpr const char* kKeyCodeComment =
    "# The number is the character code that the key types, as the keyboard reports it to Tamrel.";

std::string Key(Field field) { return std::string(KeyOf(field).written); }

void CorrectRanges(Settings& s) {
    if (s.shutdownMethod < 0 || s.shutdownMethod > 2) s.shutdownMethod = 0;
    if (s.cancelSeconds < 5 || s.cancelSeconds > 25) s.cancelSeconds = 10;
    if (s.cancelKey < -1 || s.cancelKey == 0) s.cancelKey = 27;
    if (s.restartKey < -1) s.restartKey = 0;
    if (s.restartKey == s.cancelKey) s.restartKey = 0;
    if (s.shortestRun < 0 || s.shortestRun > 3600) s.shortestRun = kDefaultShortestRun;
    for (std::int16_t* button : {&s.cancelButton, &s.restartButton}) {
        if (*button < 0 || *button > kMaxJoystickButton) *button = 0;
    }
    if (s.restartButton == s.cancelButton) s.restartButton = 0;
    if (s.idleMinutes < 0 || s.idleMinutes > kMaxIdleMinutes) s.idleMinutes = 0;
    for (std::int16_t* time : {&s.closingTime, &s.wakeTime}) {
        if (*time < 0 || *time >= 24 * 60) *time = kNoTimeOfDay;
    }
}

}  // namespace

std::string SettingsFileText(Settings& s, const std::string& createdOn) {
    CorrectRanges(s);
    const std::string lines[] = {
        "########## Tamrel settings file... created on " + createdOn,
        "# This is the configuration file for The Tamrel by the Tamrel project.",
        "# The Tamrel can be used to launch your favorite program, then shutdown the PC",
        "# when the program finishes.",
        "# This program was created to use with home arcade machines, but can be used in ",
        "# other applications.",
        "# To comment on this program, or for advanced help, email the Tamrel project (see its README).",
        "#",
        "# You can set up the way The Tamrel looks and performs here.",
        "#",
        "# Each line in this file beginning with # will be ignored.",
        "#",
        "# The next line allows you to run The Tamrel in the setup mode.",
        "# Although you can set up The Tamrel by editing this file, it is recommended you",
        "# set this command to yes to use The Tamrel to set up these parameters.",
        "# If you set this command to yes, the setup routine will run when you start The Tamrel.",
        "# This command will change back to no afterwards.",
        Key(Field::RunSetup) + " no",
        "#",
        "# Next line tells The Tamrel the program to start, including complete path.",
        Key(Field::Program) + s.programPath,
        "#",
        "# Next line decides shutdown method. 0= Dont shutdown 1= Shutdown 2= Powerdown.",
        "# Default is 0 (Dont Shutdown.)",
        Key(Field::ShutdownMethod) + PlainNumber(s.shutdownMethod),
        "#",
        "# Next line states number of seconds to cancel shutdown. Min=5 Max= 25 Default is 10.",
        Key(Field::CancelSeconds) + PlainNumber(s.cancelSeconds),
        "#",
        "# Next line decides which key to press to cancel the shutdown and go into Windows.",
        kKeyCodeComment,
        "# -1 is LEFT MOUSE CLICK. 27 is ESCAPE Key. 13 is ENTER Key. Default is 27(ESCAPE Key ).",
        Key(Field::CancelKey) + PlainNumber(s.cancelKey),
        "#",
        "# Next line decides which key to press to cancel the shutdown and restart the program.",
        kKeyCodeComment,
        "# This key cannot be the same as the cancel key. If so, it will be set to 0.",
        "# -1 is LEFT MOUSE CLICK. 27 is ESCAPE Key. 13 is ENTER Key. Default is 0(None).",
        Key(Field::RestartKey) + PlainNumber(s.restartKey),
        "#",
        "# Next line chooses Countdown box X position on the shutdown screen. Default is 0.",
        Key(Field::BoxTop) + SignedNumber(s.boxTop),
        "# Next line chooses countdown box Y position on the shutdown screen. Default is 0.",
        Key(Field::BoxLeft) + SignedNumber(s.boxLeft),
        "# Next line chooses countdown box font. Default is Arial.",
        Key(Field::BoxFontName) + s.boxFontName,
        "# Next line decides if count down box is in italics. Choices are True or False. Default is False.",
        Key(Field::BoxItalic) + (s.boxItalic ? "True" : "False"),
        "# Next line chooses countdown box font size.",
        Key(Field::BoxFontSize) + s.boxFontSize,
        "# Next line chooses countdown box font bold. Choices are True or False. Default is False.",
        Key(Field::BoxBold) + s.boxBold,
        "# Next line is the color of the number displayed in the countdown box.",
        "# Colors are numbers from 0 to 255. Black is 0, Red is 255. Default is 0 (Black)",
        Key(Field::BoxColor) + SignedNumber(s.boxColor),
        "#",
        "# Next line states the skin to use, including complete path.",
        Key(Field::SkinPath) + s.skinPath,
        "#",
        "# You can create a skin using MSPaint. You may try other paint programs,",
        "# just make sure you save it as a bmp file.",
        "# If you have problems running The Tamrel, consult a file called tamrel.txt.",
        "# Most errors or problems encounterd by The Tamrel will be stored in tamrel.txt.",
        "# Also consult the readme.txt file, or run setup mode and check the Help files.",
        "# Next line: a program that ends sooner than this many seconds after it starts has failed, and the "
        "machine stays on. 0 turns this off.",
        Key(Field::ShortestRun) + PlainNumber(s.shortestRun),
        "# Next line: the joystick button that cancels the shutdown, as the joystick numbers it (1 to 32). 0 is "
        "none. Default is 0.",
        Key(Field::CancelButton) + PlainNumber(s.cancelButton),
        "# Next line: the joystick button that re-starts the program. It cannot be the cancel button. 0 is none. "
        "Default is 0.",
        Key(Field::RestartButton) + PlainNumber(s.restartButton),
        "# Next line: with a shutdown method, the front end is asked to end and the countdown starts after this "
        "many minutes without a key, button, mouse motion or joystick (1 to 1440). 0 is off. Default is 0.",
        Key(Field::IdleMinutes) + PlainNumber(s.idleMinutes),
        "# Next line: with a shutdown method, the time of day (HH:MM, 24-hour clock) at which the front end is "
        "asked to end and the countdown starts. Empty is none.",
        Key(Field::ClosingTime) + TimeOfDayText(s.closingTime),
        "# Next line: the time of day (HH:MM) at which the machine's clock wakes it up after Tamrel powered it "
        "off. Empty is none.",
        Key(Field::WakeTime) + TimeOfDayText(s.wakeTime),
    };
    static_assert(sizeof lines / sizeof lines[0] == 76);
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

void WriteSettingsFile(Settings& state, FileSystem& files, const std::string& createdOn) {
    const std::string text = SettingsFileText(state, createdOn);
    files.ReplaceFile(SettingsFilePath(files), text);
}

}  // namespace tamrel
