"""The help's real windows in setup mode, on either build: their buttons and
keys, the key-code table, the About licence, and the end after the last one."""

import os

from accessibility import AccessibleProgramTest
from harness import WINE, wait_for

FIRST, SECOND, SKIN = "Help: Choosing program to launch", "Help: Choosing shutdown method", "Help: Creating a new skin"
TOPIC, KEY_CODES = "Help: Choosing cancel key", "Some common keyboard ASCII codes"
ABOUT = "About The Tamrel (V1.10)"
LICENSE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "LICENSE")


class HelpTest(AccessibleProgramTest):
    def only(self, ui, prefix, title):
        wait_for(lambda: ui.windows(prefix) == [title], what=f"'{title}' alone", seen=lambda: ui.windows(prefix))

    def in_front(self, ui, title):
        if WINE:  # AT-SPI does not tell which window is in front
            wait_for(lambda: ui.titles()[:1] == [title], 5, 0.1, f"'{title}' in front", ui.titles)

    def test_help_windows_from_the_menu_to_the_end(self):
        process, ui = self.start_without_settings()

        # Enter presses the first button, which has the focus; Tab and Shift+Tab move.
        ui.choose("Help", "Selecting program to launch")
        self.only(ui, "Help: ", FIRST)
        ui.key(FIRST, "Return")
        self.only(ui, "Help: ", SECOND)
        ui.key(SECOND, "Tab", "shift+Tab", "Tab", "Return")
        self.only(ui, "Help: ", TOPIC)
        # Escape closes the window with the focus, whichever control has it (the next "alone" shows it).
        ui.key(TOPIC, "Escape")

        # The skin topic measures the real screen. (The topic chain's buttons: HelpTest.)
        ui.choose("Help", "About the skin", "Creating a new skin")
        self.only(ui, "Help: ", SKIN)
        self.assertLessEqual({"1024", "768"}, set(ui.labels(SKIN)))
        self.screenshot(("windows" if WINE else "linux") + "-help.png", ui.area(SKIN))
        ui.press_button(SKIN, "Close")

        # The key-code table, asked for twice, is one window that comes to the front.
        ui.choose("Help", "Select cancel key")
        self.only(ui, "Help: ", TOPIC)
        ui.press_button(TOPIC, "Show some common ASCII codes")
        self.only(ui, KEY_CODES, KEY_CODES)
        ui.choose("Help", "Select cancel key")
        self.in_front(ui, TOPIC)
        ui.press_button(TOPIC, "Show some common ASCII codes")
        self.only(ui, KEY_CODES, KEY_CODES)
        self.in_front(ui, KEY_CODES)
        self.only(ui, "Help: ", TOPIC)

        ui.choose("Help", "About The Tamrel")
        self.only(ui, ABOUT, ABOUT)
        with open(LICENSE) as text:
            self.assertEqual(text.read().rstrip("\n"), ui.text(ABOUT).rstrip("\n"))
        ui.key(ABOUT, "Escape")
        ui.wait_gone(ABOUT)

        # Setup ends first; the program, once its last window has closed.
        ui.press_button(KEY_CODES, "Close")
        ui.wait_gone(KEY_CODES)
        ui.choose("Tamrel Options", "Cancel and Exit")
        ui.answer_box("Quit without saving?", "Yes")
        self.assert_still_running(process, "Tamrel ended while a help window was open")
        ui.press_button(TOPIC, "Close")
        self.driver.wait_end(process)
