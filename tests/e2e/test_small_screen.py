"""Setup mode of the real Linux program on a 640x480 screen, through AT-SPI:
the key chooser and the About window in full view, the chooser driven by
the keyboard alone, and a close request that closes the open chooser
first. (A module of its own: its class needs a display of another size,
and the AT-SPI library serves one bus per process.)"""

import os
import unittest

from accessibility import SETUP_CAPTION, AccessibleProgramTest


class SmallScreenSetupTest(AccessibleProgramTest):
    screen = (640, 480)

    def test_on_640x480_the_key_chooser_and_about_fit_and_a_close_closes_the_chooser_first(self):
        process, ui = self.start_without_settings()
        ui.choose("Tamrel Options", "Shutdown Method", "Power off")  # the keys can be chosen once it is
        ui.choose("Tamrel Options", "Current Cancel Key:  27", "Choose a different Cancel Key")
        chooser = ui.find("panel", "Choose cancel key.")
        self.assertEqual(ui.off_screen(chooser), [])
        # The keyboard alone: the same key again accepts it.
        ui.type_key("q", SETUP_CAPTION)
        ui.find("label", "113", within=chooser)
        ui.type_key("q", SETUP_CAPTION)
        ui.gone("panel", "Choose cancel key.")
        ui.find("menu item", "Current Cancel Key:  113", showing=False)

        ui.choose("Help", "About The Tamrel")
        about = ui.find("frame", "About The Tamrel (V1.10)")
        self.assertEqual(ui.off_screen(about), [])
        ui.press(ui.find("push button", "OK", within=about))
        ui.gone("frame", "About The Tamrel (V1.10)")

        ui.choose("Tamrel Options", "Current Cancel Key:  113", "Choose a different Cancel Key")
        ui.find("panel", "Choose cancel key.")
        ui.close_request(SETUP_CAPTION)
        ui.gone("panel", "Choose cancel key.")
        self.assertIsNone(process.poll(), "the close request closed setup, not the chooser")
        ui.close_request(SETUP_CAPTION)
        process.wait(10)
        self.assertFalse(os.path.exists(self.folder.file("tamrel.set")), "a settings file was written")



if __name__ == "__main__":
    unittest.main()
