"""Setup on a 640x480 screen, on either build: the key chooser and About in full
view, a close request closing the chooser first. (The AT-SPI library serves one
bus per process, and so one screen size.)"""

import os

from accessibility import POWER_OFF, SETUP_CAPTION, AccessibleProgramTest

CHOOSER, ABOUT = "Choose cancel key.", "About The Tamrel (V1.10)"


class SmallScreenSetupTest(AccessibleProgramTest):
    screen = (640, 480)

    def test_on_640x480_the_key_chooser_and_about_fit_and_a_close_closes_the_chooser_first(self):
        process, ui = self.start_without_settings()
        ui.choose("Help", "About The Tamrel")
        ui.wait_shown(ABOUT)
        self.assertEqual(ui.off_screen(ABOUT), [])
        ui.press_button(ABOUT, "OK")
        ui.wait_gone(ABOUT)

        ui.choose("Tamrel Options", "Shutdown Method", POWER_OFF)  # the keys can be chosen once it is
        ui.choose("Tamrel Options", "Current Cancel Key:  27", "Choose a different Cancel Key")
        ui.wait_shown(CHOOSER)
        self.assertEqual(ui.off_screen(CHOOSER), [])
        ui.close_request(SETUP_CAPTION)
        ui.wait_gone(CHOOSER)
        self.assertIsNone(process.poll(), "the close request closed setup, not the chooser")
        ui.close_request(SETUP_CAPTION)
        self.driver.wait_end(process)
        self.assertFalse(os.path.exists(self.folder.file("tamrel.set")), "a settings file was written")
