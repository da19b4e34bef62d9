#include "help/HelpTopics.h"

#include <string_view>

#include "settings/Text.h"
#include "log/Printable.h"

namespace tamrel::help {

namespace {

struct TopicText {
    const char* title;
    const char* windows;
    // Null: the Windows text holds for both, "{desktop}" naming the desktop
    // Tamrel returns to.
    const char* linux;
    bool keyCodes;
    bool resolution;
    const char* linuxTitle = nullptr;
};

const TopicText kTopics[] = {
    {"Help: Choosing program to launch",
     "The program to launch must be given with its complete, valid path: an .exe, a .bat or a shortcut "
     "(.lnk) file.\n"
     "Choose it in setup mode: Tamrel Options, Program to launch, Choose a different Program to Launch. "
     "You can also edit the Program = line of tamrel.set.\n"
     "A bad path is reported at the next start, and setup mode is offered.\n"
     "To give the program parameters, put the path of a shortcut to it on the Program = line (setup's "
     "Open dialog lists only .exe and .bat files): its target is started with the shortcut's arguments "
     "and working folder (Start in), and waited for. A batch file works too; it starts the program with "
     "\"start /w\", so that the batch file waits until the program ends:\n\n"
     "REM Starts the emulator with a game\n"
     "start /w c:\\emulator\\emu.exe game\n"
     "exit\n"
     "REM End of the batch file",
     "The program to launch must be given with its complete path: a program or a shell script that "
     "you may run.\n"
     "Choose it in setup mode: Tamrel Options, Program to launch, Choose a different Program to Launch. "
     "You can also edit the Program = line of tamrel.set.\n"
     "A bad path is reported at the next start, and setup mode is offered.\n"
     "Tamrel passes no parameters to the program. Write a shell script that starts the program and "
     "waits for it (no & at the end), give it its #! line and the execute bit (chmod +x), and launch "
     "the script:\n\n"
     "#!/bin/sh\n"
     "# Starts the emulator with a game\n"
     "/usr/games/emulator game\n"
     "# End of the script",
     false, false},
    {"Help: Choosing shutdown method",
     "The shutdown method tells what happens after the launched program ends:\n"
     "0 = no shutdown: Tamrel ends and Windows is shown.\n"
     "1 = shut down: works on most versions of Windows.\n"
     "2 = power off: for machines that method 1 does not switch off.\n"
     "Set it in setup mode (Tamrel Options, Shutdown Method; a \">\" marks the current choice) or on the "
     "Shutdown method = line of tamrel.set.\n"
     "Shortest run: a program that ends sooner than this after it starts has failed, so Tamrel says why "
     "and leaves the machine on. Off turns this check off.",
     "The shutdown method tells what happens after the launched program ends:\n"
     "0 = no shutdown: Tamrel ends and the desktop is shown.\n"
     "1 = shut down: the machine is powered off.\n"
     "2 = power off: the same on Linux.\n"
     "Set it in setup mode (Tamrel Options, Shutdown Method; a \">\" marks the current choice) or on the "
     "Shutdown method = line of tamrel.set.\n"
     "Shortest run: a program that ends sooner than this after it starts has failed, so Tamrel says why "
     "and leaves the machine on. Off turns this check off. While another program holds up the power-off "
     "(an upgrade, a backup), Tamrel shows what it waits for.",
     false, false},
    {"Help: Choosing cancel key",
     "With a shutdown method other than 0, the shutdown screen counts a number down to zero, then shuts "
     "the computer down.\n"
     "Press the cancel key before zero to cancel and return to {desktop}, for maintenance.\n"
     "Choose the key in setup mode: the key box shows the first key you press, or a click of the left "
     "mouse button, as the choice; press the same key again, or click OK, to accept it. Closing the setup "
     "window while the box is open (its close button, or Alt+F4) puts the box away and keeps the old key.\n"
     "You can also write the code on the Key to cancel = line of tamrel.set.\n"
     "Codes: -1 left mouse click, 13 Enter, 27 Escape, 32 space bar.\n"
     "A joystick button (of an arcade panel) can cancel too, beside the key: press it while the key box "
     "is open, as a key; it shows as Joystick button and its number. \"Dont use a joystick button\" "
     "clears it. In tamrel.set: Joystick button to cancel =, 1 to 32, 0 for none.",
     nullptr, true, false},
    {"Help: Choosing a re-start key",
     "Since version 1.10 the shutdown can also be cancelled with the re-start key, which starts the "
     "launched program again.\n"
     "Choose it in the same key box as the cancel key: the first key pressed is shown, pressing it again "
     "or clicking OK accepts it, and closing the setup window while the box is open keeps the old key. "
     "The box also offers not to use any re-start key.\n"
     "The re-start key cannot be the cancel key: choosing it gives a message, and the box stays open for "
     "another key.\n"
     "Choosing a cancel key equal to the re-start key asks first: Yes sets the re-start key to none, No "
     "lets you choose another cancel key.\n"
     "A joystick button can re-start too, chosen in the same box; it cannot be the cancel button.\n"
     "A skin may show which key re-starts.",
     nullptr, true, false},
    {"Help: Choosing a cancel time",
     "With shutdown method 1 or 2 the shutdown screen counts down.\n"
     "The count starts at the cancel time: 5 to 25 seconds. Any other value gives 10 seconds.\n"
     "For example, a cancel time of 17 starts the count at 17; a cancel time of 4 is not valid and "
     "gives 10.",
     nullptr, false, false},
    {"Help: Power off when idle",
     "A cabinet left on with nobody playing can power itself off. With a shutdown method chosen, choose "
     "Tamrel Options, Power off when idle: Off, or 15, 30, 60 or 120 minutes. The Idle minutes to power off "
     "= line of tamrel.set may hold any number from 1 to 1440; 0 is off.\n"
     "While the launched program runs, every keyboard, mouse and joystick of the machine counts, whichever "
     "window has the focus: a key, a mouse button, mouse motion, a joystick button, or a joystick axis moved "
     "more than a quarter of its range.\n"
     "Not counted: a program keeping the screen awake (front ends in attract mode and emulators do), and a "
     "stick that drifts or jitters by itself.\n"
     "After that many minutes without input, Tamrel asks the program to close its windows, ends it after "
     "15 seconds if it is still running, and shows the shutdown screen, saying why. Any key, click or "
     "joystick button there other than the cancel key runs the program again; the cancel key leaves the "
     "machine on.",
     "A cabinet left on with nobody playing can power itself off. With a shutdown method chosen, choose "
     "Tamrel Options, Power off when idle: Off, or 15, 30, 60 or 120 minutes. The Idle minutes to power off "
     "= line of tamrel.set may hold any number from 1 to 1440; 0 is off.\n"
     "While the launched program runs, every keyboard, mouse and joystick of the machine counts, whichever "
     "window has the focus: a key, a mouse button, mouse motion, a joystick button, or a joystick axis moved "
     "more than a quarter of its range. A joystick you may not read (see its group, usually input) does "
     "not count; the log names it.\n"
     "Not counted: a program resetting the screen saver (front ends in attract mode and emulators do), and "
     "a stick that drifts or jitters by itself.\n"
     "On Wayland the compositor tells of input. Where it offers only idle notices that programs can hold "
     "off (org_kde_kwin_idle: Debian 12's sway and cage), a program holding an idle inhibitor keeps the "
     "machine from counting as idle.\n"
     "After that many minutes without input, Tamrel asks the program to end (SIGTERM), ends it after 15 "
     "seconds if it is still running, and shows the shutdown screen, saying why. Any key, click or joystick "
     "button there other than the cancel key runs the program again; the cancel key leaves the machine on.",
     false, false},
    {"Help: Choosing a closing time",
     "A museum or an arcade hall can have the machine power itself off at closing time. With a shutdown "
     "method chosen, choose Tamrel Options, Closing time..., set the hours and minutes (24-hour clock) and "
     "choose OK; None means no closing time, Cancel keeps the time as it was. A \">\" marks the item while "
     "a time is set. The Power off at = line of tamrel.set holds it as HH:MM, such as 18:00; empty is none.\n"
     "When the clock reaches that time while the launched program runs, Tamrel logs it, asks the program to "
     "close its windows, ends it after 15 seconds if it is still running, and shows the shutdown screen with "
     "the line \"Closing time (18:00).\" above the countdown. The cancel key leaves the machine on; the "
     "re-start key runs the program again, and closing time comes again the next day.\n"
     "Starting the machine after closing time does not power it off: only reaching the time while the "
     "program runs counts. Changes of the clock and daylight saving are followed.",
     "A museum or an arcade hall can have the machine power itself off at closing time. With a shutdown "
     "method chosen, choose Tamrel Options, Closing time..., set the hours and minutes (24-hour clock) and "
     "choose OK; None means no closing time, Cancel keeps the time as it was. A \">\" marks the item while "
     "a time is set. The Power off at = line of tamrel.set holds it as HH:MM, such as 18:00; empty is none.\n"
     "When the clock reaches that time while the launched program runs, Tamrel logs it, asks the program to "
     "end (SIGTERM), ends it after 15 seconds if it is still running, and shows the shutdown screen with the "
     "line \"Closing time (18:00).\" above the countdown. The cancel key leaves the machine on; the re-start "
     "key runs the program again, and closing time comes again the next day.\n"
     "Starting the machine after closing time does not power it off: only reaching the time while the "
     "program runs counts. Changes of the clock and daylight saving are followed.",
     false, false},
    {"Help: Choosing a wake-up time",
     "Windows cannot set the machine's clock alarm before it powers off, so Tamrel offers no wake-up time "
     "here (the item is grey). The machine's firmware does it: in the BIOS/UEFI setup, turn on the setting "
     "usually called \"power on by RTC\", \"RTC alarm\" or \"resume by alarm\" and give it the time. "
     "Combined with a closing time, the machine is then off at night and on again in the morning.",
     "With a shutdown method chosen, choose Tamrel Options, Wake-up time..., set the hours and minutes "
     "(24-hour clock) and choose OK; None means no wake-up, Cancel keeps the time as it was. A \">\" marks "
     "the item while a time is set. The Wake up at = line of tamrel.set holds it as HH:MM, such as 08:30; "
     "empty is none.\n"
     "Just before any power-off Tamrel makes, it sets the machine's real-time clock alarm to the next time "
     "the clock shows that time and logs it, such as \"Wake-up set for Tue 08:30.\" Combined with a "
     "closing time, the machine is off at night and on again in the morning.\n"
     "Two things must allow it:\n"
     "- Access to /dev/rtc0. The Tamrel package's udev rule gives it to the user of the active seat; without "
     "it (another install, or Tamrel started outside the seat) the log says that the alarm could not be set.\n"
     "- The firmware must let the clock alarm wake the machine: in the BIOS/UEFI setup the setting is "
     "usually called \"RTC wake\" or \"power on by RTC\". Some machines wake only from a shutdown, not "
     "after the power was cut.\n"
     "If the alarm cannot be set, the machine still powers off, and both logs say why.",
     false, false},
    {"Help: Creating a new skin",
     "The default shutdown screen is plain. A skin is a picture of the screen's size, made in any paint "
     "program.\n"
     "Note the resolution shown below, set the new picture's size in pixels to it, paint, and save it "
     "as a .bmp file, best in {settings} or in a folder named Skins inside it.",
     nullptr, false, true},
    {"Help: Opening a skin",
     "Load a saved skin in setup mode (Skin, Open a skin), or write its complete path on the Skin = line "
     "of tamrel.set.\n"
     "Setup refuses a skin that does not load: a message names the file and why, and the previous look "
     "stays. A skin on the Skin = line that does not load is reported when setup opens, which shows the "
     "default skin instead.\n"
     "At the shutdown screen, a missing or damaged skin makes Tamrel say so (\"Tamrel has encountered a "
     "problem...\") and end without shutting down. A skin whose name does not end in .bmp (in lower case) "
     "gives a message and a plain background.",
     nullptr, false, false},
    {"Help: Using default skin",
     "Without a chosen skin, a plain default skin is used. It cannot be changed.\n"
     "It does not name the keys: it says \"press the assigned key to cancel and return to {desktop}.\"",
     nullptr, false, false},
    {"Help: What is the Countdown Box?",
     "The countdown box holds the countdown number. It shows as a box only in setup mode; the shutdown "
     "screen shows the number alone.\n"
     "It grows with a large font so that the whole number shows, and is never smaller than its usual "
     "size. Its X and Y position can be written in tamrel.set, but it is "
     "easier to drag it into place in setup mode.",
     nullptr, false, false},
    {"Help: Selecting Countdown Box Font",
     "Choose the font and font size of the countdown box in setup mode (Countdown box, Select font), "
     "best to match the skin.\n"
     "The Countdown box menu turns grey on Skin, Use default skin (and when setup opens with the default "
     "skin) and on choosing not to shut down; opening a skin, or choosing Shutdown or Power off, turns it "
     "on again.",
     nullptr, false, false},
    {"Help: Choosing Countdown Box Font Color",
     "Choose the colour of the countdown number in setup mode (Countdown box, Select color), or set it "
     "on the Countdown box color = line of tamrel.set.\n"
     "Black (0) is the default.",
     nullptr, false, false},
    {"Help: Positioning the Countdown Box",
     "In setup mode, drag the countdown box anywhere with the left mouse button.\n"
     "A skin can carry a line with a gap, such as \"The arcade will shut down in    seconds.\", and "
     "the box dragged into the gap looks part of the skin.\n"
     "The position can also be given on the Countdown box X position = and Countdown box Y position = "
     "lines; 0 and 0, the upper left corner, is the default.",
     nullptr, false, false},
    {"Help: Resetting the Coundown Box",
     "Countdown box, Reset Countdown Box moves the box back to its default place in the upper left "
     "corner and makes the number black, the default colour.",
     nullptr, false, false},
    {"Help: Finishing",
     "Tamrel Options, Done! writes tamrel.set and closes setup mode; if anything is wrong, a warning box "
     "says so and setup mode stays open. The next start runs as you set it up.\n"
     "Tip: use a cancel time of 25 for a test run, then lower it.",
     nullptr, false, false},
    {"Help: Running setup mode again",
     "To run setup mode again, start tamrel.exe /setup (or --setup), for example from a shortcut whose "
     "target ends with /setup. Or change the line \"Run setup = no\" to \"Run setup = yes\" in "
     "tamrel.set and start Tamrel; finishing setup sets it back to no.\n"
     "Setup mode is also offered when the program to launch or its path is bad, and when tamrel.set is "
     "missing.\n"
     "A damaged tamrel.set is not deleted: Tamrel says so, keeps it as tamrel.bad in {logs} for repair "
     "and ends; setup mode is offered at the next start.",
     "To run setup mode again, choose Tamrel Setup in the applications menu (installed package), or "
     "start tamrel --setup from a terminal. Or change the line \"Run setup = no\" to \"Run setup = "
     "yes\" in tamrel.set and start Tamrel; finishing setup sets it back to no.\n"
     "Setup mode is also offered when the program to launch or its path is bad, and when tamrel.set is "
     "missing.\n"
     "A damaged tamrel.set is not deleted: Tamrel says so, keeps it as tamrel.bad in {logs} for repair "
     "and ends; setup mode is offered at the next start.\n"
     "Your own tamrel.set is in {settings}. The installed Tamrel of a user who has none reads the "
     "system's, tamrel/tamrel.set in a folder of $XDG_CONFIG_DIRS (by default /etc/xdg); setup starts "
     "from it, and Done! writes your own file. The system's file is never changed.",
     false, false},
    {"Help: Running The Tamrel when Windows starts",
     "To start Tamrel with Windows, test your setup first. Then choose Tamrel Options, Start Tamrel when "
     "Windows starts: a mark shows that it is on, and choosing it again turns it off. It puts a shortcut "
     "to this Tamrel, {executable}, into your Startup folder, or removes it: {entry}.\n"
     "You may also do it by hand: create a shortcut to {executable} and put it into the Windows Startup "
     "folder. Any shortcut there to it counts as on, and turning the choice off removes each.",
     "To start Tamrel with the desktop session, test your setup first. Then choose Tamrel Options, Start "
     "Tamrel when the desktop session starts: a mark shows that it is on, and choosing it again turns it "
     "off. It writes the autostart entry {entry}, which starts this very Tamrel, {executable}, or "
     "removes it. The folder follows $XDG_CONFIG_HOME (by default ~/.config/autostart).\n"
     "You may also write an entry by hand: any .desktop file in that folder whose Exec= line starts "
     "{executable} counts as on, and turning the choice off removes each.\n"
     "On the console, with no desktop session, Tamrel draws on the screen itself and the choice writes "
     "nothing: enable the unit tamrel@.service that comes with the package, sudo systemctl enable "
     "tamrel@USER, which runs Tamrel on tty1 as USER in place of that tty's login prompt; or let the "
     "console log USER in by itself and start tamrel from USER's ~/.profile. Where USER may not open "
     "the screen or the keyboards, Tamrel names the group to join: video or input.",
     false, false, "Help: Running The Tamrel when the desktop session starts"},
    {"Help: Troubleshooting",
     "Setup mode is better than editing tamrel.set by hand, because it checks for mistakes.\n"
     "The error log tamrel.txt in {logs} holds most errors with their date and time; you "
     "may delete it at any time.\n"
     "Each run also writes the event log talog1.txt; talog2.txt and talog3.txt hold the two runs before.\n"
     "If a program does not launch, try starting it directly from Windows.",
     "Setup mode is better than editing tamrel.set by hand, because it checks for mistakes.\n"
     "The error log tamrel.txt in {logs} holds most errors with their date and time; you "
     "may delete it at any time.\n"
     "Each run also writes the event log talog1.txt; talog2.txt and talog3.txt hold the two runs before.\n"
     "If a program does not launch, try starting it directly from a terminal.",
     false, false},
    {"Help: Using Glaunch with The Tamrel",
     "Glaunch can be launched without trouble. It runs other programs by ending itself and starting "
     "again afterwards. To keep that from causing a shutdown, a batch file in Glaunch's misc folder "
     "writes the marker file holdmark.tes in Tamrel's folder, runs the other program and deletes the "
     "marker again. While the marker exists, Tamrel ends without the shutdown screen. (c:\\holdmark.tes "
     "counts too, where you may write to c:\\.)\n\n"
     "rem Runs a program without a shutdown\n"
     "echo> \"{marker}\"\n"
     "start /w c:\\games\\other.exe\n"
     "del \"{marker}\"",
     "Glaunch, or any front end that runs other programs by ending itself and starting again "
     "afterwards, must keep that from causing a shutdown. Its script writes the marker file, runs the "
     "other program and deletes the marker again. While the marker exists, Tamrel ends without the "
     "shutdown screen. Give the script the execute bit (chmod +x):\n\n"
     "#!/bin/sh\n"
     "# Runs a program without a shutdown\n"
     "touch \"$XDG_RUNTIME_DIR/holdmark.tes\"\n"
     "/usr/games/other\n"
     "rm \"$XDG_RUNTIME_DIR/holdmark.tes\"\n\n"
     "This Tamrel looks for the marker as {marker} (in {settings} where XDG_RUNTIME_DIR is not set).",
     false, false},
};

constexpr const char* kDesktop = "{desktop}";

std::vector<HelpTopicDef> Build(bool onWindows) {
    std::vector<HelpTopicDef> topics;
    for (const TopicText& topic : kTopics) {
        const bool own = !onWindows && topic.linux;
        std::string text = own ? topic.linux : topic.windows;
        const std::size_t desktop = text.find(kDesktop);
        if (desktop != std::string::npos) {
            text.replace(desktop, std::string_view(kDesktop).size(), onWindows ? "Windows" : "the desktop");
        }
        topics.push_back({!onWindows && topic.linuxTitle ? topic.linuxTitle : topic.title, text, topic.keyCodes,
                          topic.resolution});
    }
    return topics;
}

void Put(std::string& text, std::string_view token, const std::string& value) {
    const std::string shown = Printable(value);
    for (auto at = text.find(token); at != std::string::npos; at = text.find(token, at + shown.size())) {
        text.replace(at, token.size(), shown);
    }
}

}  // namespace

std::string WithPlaces(std::string text, const Places& places) {
    Put(text, "{settings}", places.settings);
    Put(text, "{logs}", places.logs);
    Put(text, "{marker}", places.marker);
    Put(text, "{entry}", places.entry);
    Put(text, "{executable}", places.executable);
    return text;
}

const std::vector<HelpTopicDef>& HelpTopics(ui::Desktop desktop) {
    static const std::vector<HelpTopicDef> windows = Build(true);
    static const std::vector<HelpTopicDef> others = Build(false);
    return desktop == ui::Desktop::Windows ? windows : others;
}

}  // namespace tamrel::help
