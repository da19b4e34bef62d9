"""Setup mode of the real Linux program under Xvfb, driven from outside as an
assistive technology drives it, through AT-SPI: no settings file, setup,
choices made through the real menus and dialogs, "Done!", and the next start
runs with them. The power-off goes to a mock logind on a private bus."""

import os
import shutil
import tempfile
import unittest

import accessibility
from accessibility import AccessibleProgramTest, tree
from harness import wait_for


class SetupRoundTripTest(AccessibleProgramTest):
    def setUp(self):
        super().setUp()
        self.elsewhere = tempfile.mkdtemp(prefix="tamrel-game-")

    def tearDown(self):
        super().tearDown()
        shutil.rmtree(self.elsewhere, ignore_errors=True)

    def write_game(self):
        path = os.path.join(self.elsewhere, "game.sh")
        with open(path, "w") as script:
            script.write("#!/bin/sh\ntouch \"$(dirname \"$0\")/ran\"\n")
        os.chmod(path, 0o755)
        return path

    def test_setup_from_nothing_to_a_working_run(self):
        game = self.write_game()
        process, ui = self.start_without_settings()

        ui.choose("Tamrel Options", "Program to launch", "Choose a different Program to Launch")
        dialog = ui.find("dialog", None)
        pyatspi = accessibility.pyatspi
        name_field = next(n for n in tree(dialog) if n.getRoleName() == "text" and
                          n.getState().contains(pyatspi.STATE_EDITABLE) and n.getState().contains(pyatspi.STATE_SHOWING))
        name_field.queryEditableText().setTextContents(game)
        ui.press(next(n for n in tree(dialog) if n.getRoleName() == "push button" and n.name == "Open"))
        ui.find("frame", game)  # the window's title shows the program chosen
        ui.find("menu item", "Launch: " + game, showing=False)

        self.assertFalse(ui.enabled("Time to cancel"))  # until a shutdown method is chosen
        ui.choose("Tamrel Options", "Shutdown Method", "Power off")
        ui.find("menu item", ">Power off", showing=False)
        ui.choose("Tamrel Options", "Time to cancel", "5 Seconds")
        ui.find("menu item", ">5 Seconds", showing=False)

        ui.choose("Tamrel Options", "Current Cancel Key:  27", "Choose a different Cancel Key")
        ui.find("panel", "Choose cancel key.")
        ui.type_key("x")
        ui.click(ui.find("label", "   OK"))
        ui.find("menu item", "Current Cancel Key:  120", showing=False)

        ui.choose("Tamrel Options", "Done!")
        process.wait(10)
        with open(self.folder.file("tamrel.set"), newline="") as settings:
            lines = settings.read().split("\r\n")
        for line in (f"Program ={game}", "Shutdown method =2", "Seconds to cancel =5", "Key to cancel =120",
                     "Key to re-start =0", "Run Setup = no"):
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
        self.assertRegex(events[-2], r"^User canceled shutdown at [1-5] seconds\.$")
        self.assertNotIn("PowerOff", " ".join(self.bus.calls()))


if __name__ == "__main__":
    unittest.main()
