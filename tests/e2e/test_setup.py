"""Setup mode on either build, through the real menus and dialogs from no
settings file to a run with the choices; the start with the session."""

import glob
import os
import subprocess

from accessibility import AUTOSTART, SETUP_CAPTION, SETUP_SWITCH, AccessibleProgramTest
from harness import WINE, wait_for


class SetupRoundTripTest(AccessibleProgramTest):
    def drag(self, *points):
        moves = [word for x, y in points[1:] for word in ("sleep", "0.1", "mousemove", str(x), str(y))]
        self.driver.display.xdotool("mousemove", *map(str, points[0]), "mousedown", "1", *moves, "sleep", "0.3",
                                    "mouseup", "1")

    def test_setup_from_nothing_to_a_working_run(self):
        d = self.folder.dir
        front, skin = d + self.folder.write_front_end(seconds=1), d + "skin.bmp"
        subprocess.run(["convert", "-size", "800x600", "gradient:#203040-#406080",
                        "BMP3:" + self.folder.file("skin.bmp")], check=True)
        self.folder.write("text.bmp", ["no picture"])
        process, ui = self.start_without_settings()
        if WINE:
            self.assertTrue(self.driver.screen(process).endswith(" maximised"), "the setup window is not maximised")
            # Labels are STATIC controls whose text is their caption.
            self.assertIn("Your machine will shut down in", ui.labels(SETUP_CAPTION))
            self.driver.key("--delay", "150", "F10", "Down", "Down", "Right")
            wait_for(lambda: len(ui.step("windows", "#32768").split("\n")) == 2, what="the menu and its submenu")
            self.screenshot("windows-setup.png")
            self.driver.key("--delay", "150", "Escape", "Escape", "Escape")

        filters = [ui.open_file(front, "Tamrel Options", "Program to launch", "Choose a different Program to Launch")]
        ui.setup = front  # the window's title shows the program chosen
        ui.wait_shown(front)
        for menu in ("Time to cancel", "Power off when idle"):  # until a shutdown method is chosen
            self.assertFalse(ui.enabled(menu), menu)
        if WINE:  # the native menu from the keyboard alone
            self.driver.key("--delay", "150", *ui.step("menukeys", front, "Tamrel Options", "Shutdown Method",
                                                       "Power off").split())
        else:
            ui.choose("Tamrel Options", "Shutdown Method", "Power off")
        ui.choose("Tamrel Options", "Time to cancel", "5 Seconds")
        ui.choose("Tamrel Options", "Shortest run", "Off")  # the front end's short run counts down
        ui.choose("Tamrel Options", "Power off when idle", "30 Minutes")
        for item in ("Launch: " + front, ">Power off", ">5 Seconds", ">30 Minutes"):
            ui.wait_menu_item(item)

        # Closing time through the time entry. Windows cannot set a wake-up:
        # its item stays grey; elsewhere the entry's None leaves none.
        ui.choose("Tamrel Options", "Closing time...")
        if WINE:  # the entry's hours and minutes fields, by their numbers
            ui.step("dialog", "Closing time", "OK", "101=21", "103=45")
            self.assertIn("Wake-up time... [grey]", ui.menu_items())
        else:
            dialog = ui.find("dialog", "Closing time")
            for field, value in (("Hours", 21), ("Minutes", 45)):
                ui.find("spin button", field, within=dialog).queryValue().currentValue = value
            ui.press_button("Closing time", "OK")
            ui.wait_gone("Closing time", "dialog")
            ui.choose("Tamrel Options", "Wake-up time...")
            ui.press_button("Wake-up time", "None")
        ui.wait_menu_item(">Closing time...")

        ui.choose("Tamrel Options", "Current Cancel Key:  27", "Choose a different Cancel Key")
        ui.wait_shown("Choose cancel key.")
        ui.type("a")
        ui.click_label("   OK")
        ui.wait_menu_item("Current Cancel Key:  97")

        # A file the toolkit cannot show is refused and the skin before stays.
        filters.append(ui.open_file(skin, "Skin", "Open a skin"))
        ui.open_file(d + "text.bmp", "Skin", "Open a skin")
        said = ui.answer_box("Skin not used!", "OK")
        self.assertTrue("not a .bmp picture" in said and (not WINE or said.endswith("icon: shown")), said)
        ui.wait_gone("Skin not used!")
        if WINE:
            self.assertEqual(filters, ["filter: Executable files (.exe .bat)", "filter: Picture files (*.bmp)"])

        # The countdown box, dragged a little over its own place or to the
        # background, keeps the point grabbed under the mouse.
        x, y = ui.place("5")
        self.drag((x + 10, y + 10), (x + 20, y + 20))
        wait_for(lambda: ui.place("5") == (x + 10, y + 10), what="the box to follow a short drag",
                 seen=lambda: ui.place("5"))
        self.drag((x + 20, y + 20), (x + 30, y + 30), (x + 210, y + 160))
        wait_for(lambda: ui.place("5") == (x + 200, y + 150), what="the box where it was dropped",
                 seen=lambda: ui.place("5"))

        if WINE:
            # A font and a colour chosen are kept, and the dialogs open on them
            # again (the system's numbers of the face, style, size and RGB fields).
            face, style, size, red, green, blue = "0x470", "0x471", "0x472", "706", "707", "708"
            ui.choose("Countdown box", "Select font")
            ui.step("dialog", "Font", "OK", f"{face}=DejaVu Sans", f"{style}=Bold", f"{size}=14")
            ui.choose("Countdown box", "Select font")
            self.assertEqual(ui.step("dialog", "Font", "Cancel", face, style, size), "DejaVu Sans\nBold\n14")
            ui.choose("Countdown box", "Select color")
            ui.step("dialog", "Color", "OK", f"{red}=200", f"{green}=100", f"{blue}=50")
            ui.choose("Countdown box", "Select color")
            self.assertEqual(ui.step("dialog", "Color", "Cancel", red, green, blue), "200\n100\n50")

        ui.choose("Tamrel Options", "Done!")
        self.driver.wait_end(process)
        written = self.folder.lines("tamrel.set")  # split at CR LF
        # The box's X is its top, its Y its left, in twips (15 a pixel). The
        # next run shows the program, time and key were written.
        for line in ("Shutdown method =2", "Idle minutes to power off =30", "Power off at =21:45", "Wake up at =",
                     "Countdown box X position = 2250", "Countdown box Y position = 3000",
                     f"Skin ={skin}", *(("Countdown box font =DejaVu Sans", "Countdown box fontsize =14",
                                         "Countdown box bold font =True", "Countdown box color = 3302600")
                                        if WINE else ())):
            self.assertIn(line, written)

        # The next start runs the program and counts down from 5 until the key cancels.
        process = self.driver.start()
        self.expect_screen_after(process)
        self.driver.let_screen_take_input()
        self.driver.key("a")
        self.driver.wait_end(process)
        self.stopped_at("User canceled shutdown at", 1, 5)

    def autostart_entry(self):
        if WINE:  # in the Wine user's own folder
            return (glob.glob(os.path.join(self.driver.session.prefix, "drive_c", "users", "*", "AppData", "Roaming",
                                           "Microsoft", "Windows", "Start Menu", "Programs", "Start[Uu]p",
                                           "Tamrel.lnk")) or [None])[0]
        return (glob.glob(self.folder.file(".config/autostart/tamrel.desktop")) or [None])[0]  # $HOME is the folder

    def test_setup_asked_for_turns_the_start_with_the_session_on_and_off(self):
        # No settings file: setup asked for opens without a box about it.
        process, ui = self.start_accessible(args=[SETUP_SWITCH])
        ui.wait_shown(SETUP_CAPTION)
        ui.choose("Tamrel Options", AUTOSTART)
        ui.wait_menu_item(">" + AUTOSTART)
        entry = wait_for(self.autostart_entry, what="the start with the session")
        if WINE:
            with open(entry, "rb") as link:
                self.assertIn(b"tamrel.exe", link.read().lower())
        else:  # this very executable (the unit tests validate the entry)
            with open(entry) as file:
                self.assertIn(f"\nExec={self.folder.exe}\n", file.read())
        ui.choose("Tamrel Options", ">" + AUTOSTART)
        wait_for(lambda: not self.autostart_entry(), what="the start with the session to go")
        ui.choose("Tamrel Options", "Cancel and Exit")
        ui.answer_box("Quit without saving?", "Yes")
        self.driver.wait_end(process)
        self.assertEqual(self.folder.errors(), [])
        self.assertEqual(self.folder.events()[:3], ["Tamrel started.", "Setup mode asked for on the command line.",
                                                    "Entering setup mode."])
