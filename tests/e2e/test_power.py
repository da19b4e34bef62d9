"""The logind power service against a mock logind on a private bus."""

import os
import subprocess
import unittest

from harness import PrivateSystemBus

PROBE = os.environ.get("TAMREL_POWER_PROBE", "build/tests/e2e/tamrel_power_probe")


def probe(bus_address, *args):
    env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "DBUS_SYSTEM_BUS_ADDRESS": bus_address,
           "XDG_SESSION_ID": "c7"}
    return subprocess.run([PROBE, *args], env=env, capture_output=True, text=True, timeout=30).stdout.strip()


class LogindPowerTest(unittest.TestCase):
    def test_right_follows_can_power_off_which_each_request_asks_first(self):
        bus = PrivateSystemBus({"CanPowerOff": "yes"})
        self.addCleanup(bus.close)
        self.assertEqual(probe(bus.address, "right"), "granted")
        for flags in ("1", "8", "0"):
            probe(bus.address, "exit", flags)
        # The power-off is not forced; the log-off ends the own session only.
        self.assertEqual(bus.calls(), ["CanPowerOff", "CanPowerOff", "PowerOff False", "CanPowerOff",
                                       "PowerOff False", "CanPowerOff", 'TerminateSession "c7"'])

    def test_any_other_answer_or_no_bus_refuses_quietly(self):
        for answer in ("no", "challenge", "na"):
            bus = PrivateSystemBus({"CanPowerOff": answer})
            self.addCleanup(bus.close)
            self.assertEqual(probe(bus.address, "right"), "refused", answer)
            probe(bus.address, "exit", "8")
            self.assertNotIn("PowerOff False", bus.calls(), answer)
        self.assertEqual(probe("unix:path=/nonexistent/bus", "right"), "refused")
        self.assertEqual(probe("unix:path=/nonexistent/bus", "exit", "8"), "asked")
