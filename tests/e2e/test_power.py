"""The logind power service against a mock logind on a private bus."""

import os
import subprocess
import unittest

from harness import PrivateSystemBus

PROBE = os.environ.get("TAMREL_POWER_PROBE", "build/tests/e2e/tamrel_power_probe")


def probe(bus_address, *args, session="c7"):
    env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "DBUS_SYSTEM_BUS_ADDRESS": bus_address}
    if session:
        env["XDG_SESSION_ID"] = session
    return subprocess.run([PROBE, *args], env=env, capture_output=True, text=True, timeout=30).stdout.strip()


class LogindPowerTest(unittest.TestCase):
    def bus(self, parameters=None):
        bus = PrivateSystemBus(parameters)
        self.addCleanup(bus.close)
        return bus

    def test_right_follows_can_power_off_and_power_off_is_not_forced(self):
        bus = self.bus({"CanPowerOff": "yes"})
        self.assertEqual(probe(bus.address, "right"), "granted")
        probe(bus.address, "exit", "1")
        probe(bus.address, "exit", "8")
        # Each request asks for the right first.
        self.assertEqual(bus.calls(), ["CanPowerOff", "CanPowerOff", "PowerOff False", "CanPowerOff",
                                       "PowerOff False"])

    def test_any_other_answer_refuses(self):
        for answer in ("no", "challenge", "na"):
            bus = self.bus({"CanPowerOff": answer})
            self.assertEqual(probe(bus.address, "right"), "refused", answer)
            probe(bus.address, "exit", "8")
            self.assertNotIn("PowerOff False", bus.calls(), answer)

    def test_log_off_ends_the_own_session_only(self):
        bus = self.bus()
        probe(bus.address, "exit", "0", session="c7")
        self.assertEqual(bus.calls(), ["CanPowerOff", 'TerminateSession "c7"'])

    def test_no_bus_refuses_quietly(self):
        self.assertEqual(probe("unix:path=/nonexistent/bus", "right"), "refused")
        self.assertEqual(probe("unix:path=/nonexistent/bus", "exit", "8"), "asked")


if __name__ == "__main__":
    unittest.main()
