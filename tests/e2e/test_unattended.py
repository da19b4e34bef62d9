"""The shutdown screen of the real Linux program on an unattended cabinet,
read through AT-SPI: a front end that failed at once leaves the machine on
and says why, and the power-off waits while a program holds it up through
the mock logind."""

import os
import time
import unittest

import dbus

from accessibility import AccessibleProgramTest, showing
from harness import wait_for


class UnattendedTest(AccessibleProgramTest):
    def test_a_front_end_that_fails_at_once_leaves_the_machine_on_and_says_why(self):
        self.folder.write_front_end(seconds=1, last="exit 3")
        self.folder.write_settings("Shutdown method =2", "Seconds to cancel =5", "Shortest run in seconds =10")
        process, ui = self.start_accessible()
        why = "front.sh ended after 1 second, sooner than the 10 seconds a normal run takes. The machine stays on."
        ui.find("label", why)
        self.assertNotIn("5", [n.name for n in ui.nodes() if n.getRoleName() == "label" and showing(n)])
        time.sleep(5 + 5)  # the countdown's time and more: logind must hear nothing
        self.assertEqual(self.bus.calls(), [])
        self.assertIn("Program ended with exit status 3 after ...", self.folder.events())
        self.assertEqual(self.folder.errors(), [" --" + why])
        self.driver.screen(process)
        self.driver.key("Escape")
        process.wait(10)
        self.assertEqual(self.folder.events()[-2:], ["User canceled shutdown at 5 seconds.", "Tamrel ended."])

    def test_the_power_off_waits_while_a_program_blocks_it(self):
        self.folder.write_settings("Shutdown method =2", "Seconds to cancel =5")
        logind = dbus.Interface(dbus.bus.BusConnection(self.bus.address).get_object(
            "org.freedesktop.login1", "/org/freedesktop/login1"), "org.freedesktop.login1.Manager")
        # Held while the descriptor is open; a delay changes nothing.
        held = logind.Inhibit("sleep:shutdown", "Arcade saver", "saving the high scores", "block").take()
        delay = logind.Inhibit("shutdown", "Updater", "finishing a download", "delay").take()
        self.addCleanup(os.close, delay)
        process, ui = self.start_accessible()
        waiting = "Waiting for Arcade saver: saving the high scores"
        ui.find("label", waiting, timeout=20)
        wait_for(lambda: len(self.bus.call_times("ListInhibitors")) >= 3, what="logind asked again")
        asked = self.bus.call_times("ListInhibitors")
        self.assertTrue(1.5 <= asked[2] - asked[0] <= 3, f"asked at {asked}, not every second")
        self.assertNotIn("PowerOff False", self.bus.calls())
        os.close(held)
        dropped = time.time()
        powered_off = wait_for(lambda: self.bus.call_times("PowerOff"), what="PowerOff")[0]
        self.assertLessEqual(powered_off - dropped, 2)
        events = self.folder.events()
        self.assertEqual(events[events.index(waiting):], [
            waiting, "Nothing holds up the shutdown any longer.", "Shutting down PC, using shutdown method 2",
            "tamrel ended."])
        self.assertIsNone(process.poll())


if __name__ == "__main__":
    unittest.main()
