"""The logind power service against a mock logind on a private bus, alone
and in the program: what logind answers is what the user and the logs are
told, and a slow logind never holds up the keys."""

import os
import signal
import subprocess
import time
import unittest

import dbus

from harness import WINE, PrivateSystemBus, ProgramTest, stop, wait_for

PROBE = os.environ.get("TAMREL_POWER_PROBE", "build/tests/e2e/tamrel_power_probe")
REFUSED = "Power-off refused, the machine stays on: "
AUTHENTICATION = "Interactive authentication required."


def probe(bus_address, *args):
    env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "DBUS_SYSTEM_BUS_ADDRESS": bus_address,
           "XDG_SESSION_ID": "c7"}
    return subprocess.run([PROBE, *args], env=env, capture_output=True, text=True, timeout=30).stdout.strip()


def without_logind(bus):
    stop(bus.mock)
    return bus


class LogindPowerTest(unittest.TestCase):
    def bus(self, **parameters):
        bus = PrivateSystemBus(parameters)
        self.addCleanup(bus.close)
        return bus

    def test_each_answer_of_logind_is_the_answer_of_the_request(self):
        cases = [  # logind's parameters, the probe's answer, the calls logind saw
            ({"CanPowerOff": "yes"}, "accepted", ["CanPowerOff", "PowerOff False"]),
            # Asked anyway, never interactively: logind decides.
            ({"CanPowerOff": "challenge"}, "accepted", ["CanPowerOff", "PowerOff False"]),
            ({"CanPowerOff": "challenge", "PowerOffError": AUTHENTICATION}, f"refused: {AUTHENTICATION}",
             ["CanPowerOff", "PowerOff False", "PowerOff raised: "
              f"org.freedesktop.DBus.Error.InteractiveAuthorizationRequired: {AUTHENTICATION}"]),
            ({"CanPowerOff": "no"}, 'refused: logind answers CanPowerOff with "no"', ["CanPowerOff"]),
            ({"CanPowerOff": "na"}, 'refused: logind answers CanPowerOff with "na"', ["CanPowerOff"]),
        ]
        for parameters, answer, calls in cases:
            bus = self.bus(**parameters)
            self.assertEqual(probe(bus.address, "exit", "8"), answer, parameters)
            self.assertEqual(bus.calls(), calls, parameters)
        # The log-off ends the own session only.
        bus = self.bus(CanPowerOff="yes")
        self.assertEqual(probe(bus.address, "exit", "0"), "accepted")
        self.assertEqual(bus.calls(), ['TerminateSession "c7"'])

    def test_no_bus_or_no_logind_is_a_refusal_in_the_bus_words(self):
        self.assertEqual(probe("unix:path=/nonexistent/bus", "exit", "8"),
                         "refused: no system bus: No such file or directory")
        bus = without_logind(self.bus())
        answer = probe(bus.address, "exit", "1")
        self.assertRegex(answer, r"^refused: \S.*org\.freedesktop\.login1")

    def test_only_block_inhibitors_of_the_shutdown_hold_it_up(self):
        bus = self.bus()
        logind = dbus.Interface(dbus.bus.BusConnection(bus.address).get_object(
            "org.freedesktop.login1", "/org/freedesktop/login1"), "org.freedesktop.login1.Manager")
        held = [logind.Inhibit(what, who, "why", mode).take()
                for what, who, mode in (("sleep:shutdown", "saver", "block"), ("shutdown", "updater", "delay"),
                                        ("sleep", "player", "block"))]
        for fd in held:
            self.addCleanup(os.close, fd)
        self.assertEqual(probe(bus.address, "blockers").splitlines(), ["saver: why", "end"])


@unittest.skipIf(WINE, "logind is Linux's")
class RefusedPowerOffTest(ProgramTest):
    def run_to_zero(self, **parameters):
        self.bus = self.driver.use_logind(parameters)
        self.folder.write_settings("Shutdown method =2", "Seconds to cancel =5")
        process = self.driver.start()
        self.driver.screen(process)
        return process

    def test_a_refusal_is_told_in_both_logs_and_the_keys_still_work(self):
        cases = [  # logind's parameters, the words after REFUSED
            ({"CanPowerOff": "no"}, 'logind answers CanPowerOff with "no"'),
            ({"CanPowerOff": "na"}, 'logind answers CanPowerOff with "na"'),
            ({"CanPowerOff": "challenge", "PowerOffError": AUTHENTICATION}, AUTHENTICATION),
        ]
        for parameters, words in cases:
            process = self.run_to_zero(**parameters)
            wait_for(lambda: self.folder.errors(), 20, what="the refusal", seen=self.folder.events)
            self.assertEqual(self.folder.errors(), [" --" + REFUSED + words])
            self.driver.key("Escape")
            self.driver.wait_end(process)
            events = self.folder.events()
            self.assertEqual(events[-3:], [REFUSED + words, "User canceled shutdown at 0 seconds.", "Tamrel ended."])
            self.assertFalse([line for line in events if line.startswith("Shutting down PC")], parameters)
            os.remove(self.folder.file("tamrel.txt"))

    def test_without_logind_the_refusal_names_what_is_missing(self):
        process = self.run_to_zero(CanPowerOff="yes")
        without_logind(self.bus)
        wait_for(lambda: self.folder.errors(), 20, what="the refusal", seen=self.folder.events)
        self.assertTrue(self.folder.events()[-1].startswith(REFUSED), self.folder.events())
        self.assertIn("org.freedesktop.login1", self.folder.events()[-1])
        self.assertEqual(self.folder.errors(), [" --" + self.folder.events()[-1]])
        self.driver.key("Escape")
        self.driver.wait_end(process)

    def test_after_an_accepted_power_off_a_stop_is_the_system_going_down(self):
        process = self.run_to_zero(CanPowerOff="challenge")
        wait_for(lambda: "tamrel ended." in self.folder.events(), 20, what="the accepted power-off")
        process.send_signal(signal.SIGHUP)
        self.driver.wait_end(process)
        self.assertEqual(self.folder.events()[-3:], ["Shutting down PC, using shutdown method 2", "tamrel ended.",
                                                     "The system is shutting down."])
        self.assertEqual(self.folder.errors(), [])

    def test_a_forged_inhibitor_text_stays_on_its_own_line(self):
        self.bus = self.driver.use_logind({"CanPowerOff": "yes"})
        logind = dbus.Interface(dbus.bus.BusConnection(self.bus.address).get_object(
            "org.freedesktop.login1", "/org/freedesktop/login1"), "org.freedesktop.login1.Manager")
        forged = "x\r\n12/07/26 03:00:00 --- User canceled shutdown at 3 seconds."
        held = logind.Inhibit("shutdown", "saver\a\x1b[2J", forged, "block").take()
        self.addCleanup(os.close, held)
        self.folder.write_settings("Shutdown method =2", "Seconds to cancel =5")
        process = self.driver.start()
        line = "Waiting for saver\\x07\\x1B[2J: x\\r\\n12/07/26 03:00:00 --- User canceled shutdown at 3 seconds."
        wait_for(lambda: line in self.folder.events(), 20, what="the wait for the holder", seen=self.folder.events)
        self.driver.key("Escape")
        self.driver.wait_end(process)
        self.assertEqual(self.folder.events()[-3:], [line, "User canceled shutdown at 0 seconds.", "Tamrel ended."])

    def test_a_slow_logind_never_holds_up_the_keys(self):
        process = self.run_to_zero(ListInhibitorsDelay=8)
        wait_for(lambda: self.bus.call_times("ListInhibitors"), 20, what="the question to logind")
        time.sleep(1)  # logind is busy for seven seconds more
        pressed = time.monotonic()
        self.driver.key("Escape")
        self.driver.wait_end(process)
        self.assertLess(time.monotonic() - pressed, 0.3)
        self.assertEqual(self.folder.events()[-2:], ["User canceled shutdown at 0 seconds.", "Tamrel ended."])
