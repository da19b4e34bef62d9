"""Setup mode of the real Linux program under Xvfb, driven from outside as an
assistive technology drives it, through AT-SPI: no settings file, setup,
choices made through the real menus and dialogs (a skin refused among them,
the countdown box dragged), "Done!", and the next start runs with them. The
power-off goes to a mock logind on a private bus."""

import os
import shutil
import subprocess
import tempfile
import unittest

import accessibility
from accessibility import AccessibleProgramTest, showing, tree
from harness import wait_for


class SetupRoundTripTest(AccessibleProgramTest):
    def setUp(self):
        super().setUp()
        self.elsewhere = tempfile.mkdtemp(prefix="tamrel-game-")
        self.addCleanup(shutil.rmtree, self.elsewhere, ignore_errors=True)

    def open_file(self, ui, *menu_path, path):
        """Enters the path in the Open dialog that the menu item opens."""
        ui.choose(*menu_path)
        dialog = ui.find("dialog", None)
        name_field = next(n for n in tree(dialog) if n.getRoleName() == "text" and showing(n) and
                          n.getState().contains(accessibility.pyatspi.STATE_EDITABLE))
        name_field.queryEditableText().setTextContents(path)
        ui.press(next(n for n in tree(dialog) if n.getRoleName() == "push button" and n.name == "Open"))

    def test_setup_from_nothing_to_a_working_run(self):
        game = os.path.join(self.elsewhere, "game.sh")
        with open(game, "w") as script:
            script.write("#!/bin/sh\ntouch \"$(dirname \"$0\")/ran\"\n")
        os.chmod(game, 0o755)
        process, ui = self.start_without_settings()

        self.open_file(ui, "Tamrel Options", "Program to launch", "Choose a different Program to Launch", path=game)
        ui.find("frame", game)  # the window's title shows the program chosen
        ui.find("menu item", "Launch: " + game, showing=False)

        self.assertFalse(ui.enabled("Time to cancel"))  # until a shutdown method is chosen
        ui.choose("Tamrel Options", "Shutdown Method", "Power off")
        ui.find("menu item", ">Power off", showing=False)
        ui.choose("Tamrel Options", "Time to cancel", "5 Seconds")
        ui.choose("Tamrel Options", "Shortest run", "Off")  # the game's short run counts down
        ui.find("menu item", ">5 Seconds", showing=False)

        ui.choose("Tamrel Options", "Current Cancel Key:  27", "Choose a different Cancel Key")
        ui.find("panel", "Choose cancel key.")
        ui.type_key("x")
        ui.click(ui.find("label", "   OK"))
        ui.find("menu item", "Current Cancel Key:  120", showing=False)

        # A skin that cannot be shown is refused and the one before stays.
        skin = os.path.join(self.elsewhere, "skin.bmp")
        subprocess.run(["convert", "-size", "320x200", "xc:#336699", "BMP3:" + skin], check=True)
        self.open_file(ui, "Skin", "Open a skin", path=skin)
        for name, content, why in (("notes.txt", "", "Skin must be a .bmp file!"),
                                   ("text.bmp", "no picture", "not a .bmp picture that Tamrel can read")):
            refused = os.path.join(self.elsewhere, name)
            with open(refused, "w") as file:
                file.write(content)
            self.open_file(ui, "Skin", "Open a skin", path=refused)
            box = ui.find("alert", "Skin not used!")
            self.assertTrue([n for n in tree(box) if why in n.name and refused in n.name], ui.outline())
            ui.press(ui.find("push button", "OK", within=box))
            ui.gone("alert", "Skin not used!")

        # Dragged from inside to (200, 150) of the client area, whose corner
        # the box starts at, it is dropped on the skin.
        x, y, _, _ = ui.find("label", "5").queryComponent().getExtents(accessibility.pyatspi.DESKTOP_COORDS)
        self.display.xdotool("mousemove", str(x + 10), str(y + 10), "mousedown", "1", "sleep", "0.1",
                             "mousemove", str(x + 180), str(y + 130), "sleep", "0.1", "mousemove", str(x + 200),
                             str(y + 150), "sleep", "0.3", "mouseup", "1")
        wait_for(lambda: ui.find("label", "5").queryComponent().getExtents(accessibility.pyatspi.DESKTOP_COORDS)[:2]
                 != (x, y), what="the box to move")

        ui.choose("Tamrel Options", "Done!")
        process.wait(10)
        with open(self.folder.file("tamrel.set"), newline="") as settings:
            lines = settings.read().split("\r\n")
        for line in (f"Program ={game}", "Shutdown method =2", "Seconds to cancel =5", "Key to cancel =120",
                     "Key to re-start =0", "Run Setup = no", f"Skin ={skin}", "Shortest run in seconds =0",
                     # The grabbed point stayed under the mouse: the box's top (X) and left (Y) moved by
                     # 140 and 190 pixels, 15 twips each.
                     "Countdown box X position = 2100", "Countdown box Y position = 2850"):
            self.assertIn(line, lines)

        # The next start launches the program, then counts down from 5 until
        # the key chosen cancels.
        second = self.start()
        wait_for(lambda: os.path.exists(os.path.join(self.elsewhere, "ran")), what="the program chosen")
        self.driver.screen(second)
        self.let_screen_take_input()
        self.display.xdotool("key", "x")
        second.wait(10)
        events = self.folder.events()
        self.assertIn("In Tamrel.set, Shutdown method =2", events)
        self.assertIn("In Tamrel.set, Key to cancel =120", events)
        self.assertEqual(events[-5:-2], ["In Tamrel.set, Shortest run in seconds =0",  # and no failed run after it
                                         "In Tamrel.set, Joystick button to cancel =0",
                                         "In Tamrel.set, Joystick button to re-start =0"])
        self.assertRegex(events[-2], r"^User canceled shutdown at [1-5] seconds\.$")
        self.assertNotIn("PowerOff", " ".join(self.bus.calls()))

    def test_setup_asked_for_turns_the_start_with_the_session_on_and_off(self):
        self.folder.write_settings()  # one that would launch the front end
        process, ui = self.start_accessible(args=["--setup"])
        ui.find("frame", accessibility.SETUP_CAPTION)
        entry = self.folder.file(".config/autostart/tamrel.desktop")  # $HOME is the folder
        caption = "Start Tamrel when the desktop session starts"
        ui.choose("Tamrel Options", caption)
        ui.find("menu item", ">" + caption, showing=False)
        with open(entry) as file:
            self.assertIn(f"\nExec={self.folder.exe}\n", file.read())
        subprocess.run(["desktop-file-validate", entry], check=True)
        ui.choose("Tamrel Options", ">" + caption)
        ui.find("menu item", caption, showing=False)
        self.assertFalse(os.path.exists(entry))
        ui.choose("Tamrel Options", "Cancel and Exit")
        ui.press(ui.find("push button", "Yes"))
        process.wait(10)
        self.assertFalse(os.path.exists(self.folder.file("started.txt")), "the front end was launched")
        self.assertEqual(self.folder.events()[:3], ["Tamrel started.", "Setup mode asked for on the command line.",
                                                    "Entering setup mode."])


if __name__ == "__main__":
    unittest.main()
