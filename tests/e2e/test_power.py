"""The logind power service against a mock logind on a private bus, alone
and in the program: what logind answers is what the user and the logs are
told, and a slow logind never holds up the keys."""

import os
import signal
import subprocess
import time
import unittest

import dbus

from harness import PrivateSystemBus, ProgramTest, stop, wait_for

PROBE = os.environ.get("TAMREL_POWER_PROBE", "build/tests/e2e/tamrel_power_probe")
REFUSED = "Power-off refused, the machine stays on: "
AUTHENTICATION = "Interactive authentication required."


def probe(bus_address, flags):
    env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "DBUS_SYSTEM_BUS_ADDRESS": bus_address,
           "XDG_SESSION_ID": "c7"}
    return subprocess.run([PROBE, flags], env=env, capture_output=True, text=True, timeout=30).stdout.strip()


class LogindPowerTest(unittest.TestCase):
    def test_each_answer_of_logind_or_the_bus_is_the_answer_of_the_request(self):
        asked = ["CanPowerOff", "PowerOff False"]  # never interactive
        cases = [  # logind's parameters (None: no logind), the flags, the answer, the calls logind saw
            ({"CanPowerOff": "yes"}, "8", "accepted", asked),
            ({"CanPowerOff": "challenge"}, "1", "accepted", asked),
            ({"CanPowerOff": "challenge", "PowerOffError": AUTHENTICATION}, "8", f"refused: {AUTHENTICATION}",
             [*asked, f"PowerOff raised: org.freedesktop.DBus.Error.InteractiveAuthorizationRequired: {AUTHENTICATION}"]),
            ({"CanPowerOff": "no"}, "8", 'refused: logind answers CanPowerOff with "no"', ["CanPowerOff"]),
            ({"CanPowerOff": "na"}, "8", 'refused: logind answers CanPowerOff with "na"', ["CanPowerOff"]),
            ({"CanPowerOff": "yes"}, "0", "accepted", ['TerminateSession "c7"']),  # the own session only
            (None, "8", "refused: The name org.freedesktop.login1 was not provided by any .service files", []),
        ]
        for parameters, flags, answer, calls in cases:
            bus = PrivateSystemBus(parameters or {})
            self.addCleanup(bus.close)
            if parameters is None:
                stop(bus.mock)
            self.assertEqual(probe(bus.address, flags), answer, parameters)
            self.assertEqual(bus.calls(), calls, parameters)
        self.assertEqual(probe("unix:path=/nonexistent/bus", "8"), "refused: no system bus: No such file or directory")


class PowerOffTest(ProgramTest):
    def start_counting(self, **parameters):
        if parameters:
            self.bus = self.driver.use_logind(parameters)
        self.folder.write_settings("Shutdown method =2", "Seconds to cancel =5")
        return self.driver.start()

    def test_a_refusal_is_told_in_both_logs_and_the_keys_still_work(self):
        process = self.start_counting(CanPowerOff="challenge", PowerOffError=AUTHENTICATION)
        wait_for(self.folder.errors, 20, what="the refusal", seen=self.folder.events)
        self.assertEqual(self.folder.errors(), [" --" + REFUSED + AUTHENTICATION])
        self.driver.key("Escape")
        self.driver.wait_end(process)
        events = self.folder.events()
        self.assertEqual(events[-3:], [REFUSED + AUTHENTICATION, "User canceled shutdown at 0 seconds.", "Tamrel ended."])
        self.assertNotIn("tamrel ended.", events)

    def test_after_an_accepted_power_off_a_stop_is_the_system_going_down(self):
        process = self.start_counting(CanPowerOff="challenge")
        wait_for(lambda: "tamrel ended." in self.folder.events(), 20, what="the accepted power-off")
        process.send_signal(signal.SIGHUP)
        self.driver.wait_end(process)
        self.assertEqual(self.folder.events()[-3:], ["Shutting down PC, using shutdown method 2", "tamrel ended.",
                                                     "The system is shutting down."])

    def test_a_forged_inhibitor_text_stays_on_its_own_line(self):
        logind = dbus.Interface(dbus.bus.BusConnection(self.bus.address).get_object(
            "org.freedesktop.login1", "/org/freedesktop/login1"), "org.freedesktop.login1.Manager")
        forged = "x\r\n12/07/26 03:00:00 --- User canceled shutdown at 3 seconds."
        self.addCleanup(os.close, logind.Inhibit("shutdown", "saver\a\x1b[2J", forged, "block").take())
        process = self.start_counting()
        line = "Waiting for saver\\x07\\x1B[2J: x\\r\\n12/07/26 03:00:00 --- User canceled shutdown at 3 seconds."
        wait_for(lambda: line in self.folder.events(), 20, what="the wait for the holder", seen=self.folder.events)
        self.driver.key("Escape")
        self.driver.wait_end(process)
        self.assertEqual(self.folder.events()[-3:], [line, "User canceled shutdown at 0 seconds.", "Tamrel ended."])

    def test_a_slow_logind_never_holds_up_the_keys(self):
        process = self.start_counting(ListInhibitorsDelay=8)
        wait_for(lambda: self.bus.call_times("ListInhibitors"), 20, what="the question to logind")
        time.sleep(1)  # logind is busy for seven seconds more
        pressed = time.monotonic()
        self.driver.key("Escape")
        self.driver.wait_end(process)
        self.assertLess(time.monotonic() - pressed, 0.3)
        self.assertEqual(self.folder.events()[-2:], ["User canceled shutdown at 0 seconds.", "Tamrel ended."])
