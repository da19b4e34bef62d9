"""The real Linux program under Xvfb (no window manager), driven with
xdotool, with a mock logind on a private system bus."""

import os
import subprocess
import time
import unittest

from harness import ProgramTest, wait_for

SCREENSHOTS = os.environ.get("TAMREL_SCREENSHOTS")


class TamrelTest(ProgramTest):
    def windows_of(self, pid):
        return self.display.xdotool("search", "--onlyvisible", "--pid", str(pid)).stdout.split()

    def wait_for_screen(self, process):
        return wait_for(lambda: self.windows_of(process.pid), what="the shutdown screen")[0]

    def wait_for_end(self, process, timeout=10):
        process.wait(timeout)

    def key(self, name):
        self.display.xdotool("key", name)

    def screen_lines(self, restart_key="0", cancel_key="27", method="1", seconds="25"):
        """What the shutdown screen logs of the settings the harness writes."""
        return [
            f"In Tamrel.set, Shutdown method ={method}",
            f"In Tamrel.set, Seconds to cancel ={seconds}",
            f"In Tamrel.set, Key to cancel ={cancel_key}",
            f"In Tamrel.set, Key to re-start ={restart_key}",
            "In Tamrel.set, Countdown box X position = 0",
            "In Tamrel.set, Countdown box Y position = 0",
            "In Tamrel.set, Countdown box font =arial",
            "In Tamrel.set, Countdown box italic =False",
            "In Tamrel.set, Countdown box fontsize =20",
            "In Tamrel.set, Countdown box bold font =False",
            "In Tamrel.set, Countdown box color = 0",
            "In Tamrel.set, Skin =use default",
        ]

    def run_lines(self):
        return [
            "Tamrel started.",
            "In Tamrel.set, Run Setup = no",
            "Launching program: front.sh",
            f"Path to the program: {self.folder.path}/",
            "Program (front.sh) finished!",
            f"{self.folder.file('holdmark.tes')} not found.",
        ]

    def test_escape_cancels_after_the_program_has_ended(self):
        self.folder.write_front_end(seconds=1.0)
        self.folder.write_settings()
        process = self.start()
        time.sleep(0.5)
        self.assertEqual(self.windows_of(process.pid), [], "no window while the program runs")
        self.wait_for_screen(process)
        self.assertTrue(os.path.exists(self.folder.file("ended.txt")))
        if SCREENSHOTS:
            time.sleep(0.3)
            self.display.screenshot(os.path.join(SCREENSHOTS, "linux-default.png"))
        time.sleep(2.2)
        self.key("Escape")
        self.wait_for_end(process)
        events = self.folder.events()
        self.assertEqual(events[:-2], self.run_lines() + self.screen_lines())
        self.assertRegex(events[-2], r"^User canceled shutdown at 2[23] seconds\.$")
        self.assertEqual(events[-1], "Tamrel ended.")
        self.assertEqual(self.bus.calls(), [])

    def test_a_left_click_on_the_background_cancels(self):
        self.folder.write_settings({"Key to cancel": "-1"})
        process = self.start()
        self.wait_for_screen(process)
        time.sleep(0.3)
        self.display.xdotool("mousemove", "512", "384", "click", "1")  # the frame: no cancel
        self.display.xdotool("mousemove", "20", "20", "click", "3")  # the right button: no cancel
        time.sleep(0.5)
        self.assertIsNone(process.poll())
        self.display.xdotool("mousemove", "20", "20", "click", "1")
        self.wait_for_end(process)
        events = self.folder.events()
        self.assertRegex(events[-2], r"^User canceled shutdown at 2[45] seconds\.$")
        self.assertEqual(events[-1], "Tamrel ended.")

    def test_the_countdown_reaches_power_off_and_the_keys_still_work(self):
        self.folder.write_settings({"Shutdown method": "2", "Seconds to cancel": "5"})
        process = self.start()
        self.wait_for_screen(process)
        wait_for(lambda: self.bus.calls(), timeout=10, what="logind")
        wait_for(lambda: "PowerOff False" in self.bus.calls(), timeout=5, what="PowerOff")
        self.assertEqual(self.bus.calls(), ["CanPowerOff", "PowerOff False"])
        self.assertEqual(self.folder.events()[-2:],
                         ["Shutting down PC, using shutdown method 2", "tamrel ended."])
        self.assertIsNone(process.poll())  # the machine stays on: the mock did nothing
        self.key("Escape")
        self.wait_for_end(process)
        self.assertEqual(self.folder.events()[-2:], ["User canceled shutdown at 0 seconds.", "Tamrel ended."])

    def test_the_restart_key_starts_a_new_run(self):
        self.folder.write_settings({"Key to re-start": "32"})
        first = self.start()
        self.wait_for_screen(first)
        time.sleep(0.3)
        self.key("space")
        self.wait_for_end(first)
        # The new instance writes its own log; the old one becomes talog2.txt.
        wait_for(lambda: self.folder.events("talog2.txt"), what="the new run's log")
        events = self.folder.events("talog2.txt")
        self.assertRegex(events[-3], r"^User chose to cancel shutdown and re-start program at 2[45] seconds\.$")
        self.assertEqual(events[-2:], ["Tamrel ended.", "Re-starting Tamrel"])
        second = wait_for(lambda: subprocess.run(["pgrep", "-f", self.folder.exe],
                                                 capture_output=True, text=True).stdout.split(),
                          what="the new instance")
        pid = int(second[0])
        wait_for(lambda: self.windows_of(pid), what="the new instance's screen")
        time.sleep(0.3)
        self.key("Escape")
        wait_for(lambda: self.folder.events()[-1:] == ["Tamrel ended."], what="the new run's end")
        self.assertEqual(self.folder.events()[:6], self.run_lines())

    def test_the_marker_file_ends_the_run_without_a_screen(self):
        # The harness gives Tamrel the program folder as the user's runtime folder.
        marker = self.folder.file("holdmark.tes")
        self.folder.write_settings()
        with open(marker, "w"):
            pass
        process = self.start()
        self.wait_for_end(process)
        self.assertEqual(self.folder.events()[-2:],
                         [f"{marker} is present, so tamrel will end without shutting PC down.", "Tamrel ended."])

    def test_a_missing_settings_file_is_reported_in_message_boxes(self):
        process = self.start()
        wait_for(lambda: self.display.xdotool("search", "--onlyvisible", "--name", "Tamrel.set not found!").stdout,
                 what="the missing-file box")
        self.key("Escape")  # Cancel
        wait_for(lambda: self.display.xdotool("search", "--onlyvisible", "--name", "^tamrel$").stdout,
                 what="the refusal box")
        self.key("Return")
        self.wait_for_end(process)
        self.assertEqual(self.folder.events(), ["Tamrel started.", "Tamrel.set file not found!",
                                                "User selected not to set up Tamrel at this time!!",
                                                "Tamrel ended."])
        errors = self.folder.lines("tamrel.txt")
        self.assertEqual(len(errors), 1)
        self.assertTrue(errors[0].endswith("--Tamrel.set not found!"))


if __name__ == "__main__":
    unittest.main()
