"""The shutdown screen of the real Linux program on an unattended cabinet,
read through AT-SPI: the power-off waits while a program holds it up
through the mock logind."""

import os
import time
import unittest

import dbus

from accessibility import AccessibleProgramTest
from harness import wait_for


class UnattendedTest(AccessibleProgramTest):
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
