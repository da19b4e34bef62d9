"""The help of the real Linux program under Xvfb, driven through AT-SPI:
the topic chain from the setup window's Help menu, the key-code table, the
About window's licence, the keyboard alone, and the program's end once the
last window has closed."""

import os
import unittest

import accessibility
from accessibility import AccessibleProgramTest, showing
from harness import wait_for

FIRST, LAST = "Help: Choosing program to launch", "Help: Using Glaunch with The Tamrel"
STARTUP_ITEM = "Running The Tamrel when the desktop session starts"
KEY_CODES = "Some common keyboard ASCII codes"
ABOUT = "About The Tamrel (V1.10)"
LICENSE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "LICENSE")


class HelpTest(AccessibleProgramTest):
    def windows(self, ui, prefix):
        """The titles of the program's windows showing now that begin so."""
        titles = []
        ui.app.clear_cache()
        for node in ui.app:  # the windows are the application's children
            try:
                if node.name.startswith(prefix) and showing(node):
                    titles.append(node.name)
            except Exception:  # one that went away while looked at
                continue
        return sorted(titles)

    def only(self, ui, prefix, title):
        """Waits until the one window of its kind showing is this one."""
        wait_for(lambda: self.windows(ui, prefix) == [title], what=f"'{title}' alone",
                 seen=lambda: self.windows(ui, prefix))
        return ui.find("frame", title)

    def buttons(self, ui, window):
        return {node.name: node for node in ui.nodes(window) if node.getRoleName() == "push button"}

    def focused(self, ui, window):
        """The caption of the window's button that has the keyboard focus."""
        focus = accessibility.pyatspi.STATE_FOCUSED
        return next((name for name, node in self.buttons(ui, window).items() if node.getState().contains(focus)), None)

    def closes(self, ui, title):
        wait_for(lambda: title not in self.windows(ui, title), what=f"'{title}' to close")

    def test_help_windows_from_the_menu_to_the_end(self):
        process, ui = self.start_without_settings()

        # The chain, forwards from the first topic, each shown alone, and
        # one step back. (The unit tests pin the titles in their order.)
        ui.choose("Help", "Selecting program to launch")
        chain = [FIRST]
        while True:
            window = self.only(ui, "Help: ", chain[-1])
            buttons = self.buttons(ui, window)
            self.assertIn("Close", buttons, chain[-1])
            self.assertEqual("Previous Topic" in buttons, len(chain) > 1, chain[-1])
            if chain[-1] == "Help: Creating a new skin":
                labels = [node.name for node in ui.nodes(window) if node.getRoleName() == "label"]
                self.assertIn("1024", labels)
                self.assertIn("768", labels)
            if "Next Topic" not in buttons or len(chain) == 20:
                break
            ui.press(buttons["Next Topic"])
            shown = wait_for(lambda: [t for t in self.windows(ui, "Help: ") if t != chain[-1]], what="the next topic")
            chain.append(shown[0])
        self.assertEqual((len(chain), len(set(chain)), chain[-1]), (18, 18, LAST), chain)
        ui.press(buttons["Previous Topic"])
        window = self.only(ui, "Help: ", chain[-2])

        # Without a mouse: Tab to "Close", Enter presses it.
        for _ in range(3):
            before = self.focused(ui, window)
            if before == "Close":
                break
            ui.type_key("Tab", chain[-2])
            wait_for(lambda: self.focused(ui, window) != before, what="Tab to move the focus")
        self.assertEqual("Close", self.focused(ui, window))
        ui.type_key("Return", chain[-2])
        self.closes(ui, "Help: ")

        ui.choose("Help", STARTUP_ITEM)
        self.only(ui, "Help: ", "Help: " + STARTUP_ITEM)
        ui.type_key("Escape", "Help: " + STARTUP_ITEM)
        self.closes(ui, "Help: ")

        # The key-code table, asked for twice, is one window; the topic stays.
        ui.choose("Help", "Select cancel key")
        window = self.only(ui, "Help: ", "Help: Choosing cancel key")
        show = self.buttons(ui, window)["Show some common ASCII codes"]
        ui.press(show).wait(10)  # the action has run when its call ends
        table = self.only(ui, KEY_CODES, KEY_CODES)
        ui.press(show).wait(10)
        self.only(ui, KEY_CODES, KEY_CODES)
        self.only(ui, "Help: ", "Help: Choosing cancel key")

        ui.choose("Help", "About The Tamrel")
        about = self.only(ui, ABOUT, ABOUT)
        licence = ui.find("text", None, within=about).queryText()
        with open(LICENSE) as text:
            self.assertEqual(text.read().rstrip("\n"), licence.getText(0, -1).rstrip("\n"))

        # Closing the help leaves the setup window, and so the program.
        ui.press(self.buttons(ui, table)["Close"])
        self.closes(ui, KEY_CODES)
        ui.press(self.buttons(ui, window)["Close"])
        self.closes(ui, "Help: ")
        ui.press(self.buttons(ui, about)["OK"])
        self.closes(ui, ABOUT)
        self.assertIsNone(process.poll())

        ui.choose("Tamrel Options", "Cancel and Exit")
        ui.press(ui.find("push button", "Yes"))
        process.wait(10)


if __name__ == "__main__":
    unittest.main()
