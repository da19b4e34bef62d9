"""The logind power service against a mock logind on a private bus, alone
and in the program: what logind answers is what the user and the logs are
told, and a slow logind never holds up the keys."""

import os
import shutil
import signal
import socket
import subprocess
import tempfile
import time
import unittest

from harness import RUN_LENGTH, PrivateSystemBus, ProgramTest, stop, wait_for

PROBE = os.environ.get("TAMREL_POWER_PROBE", "build/tests/e2e/tamrel_power_probe")
REFUSED = "Power-off refused, the machine stays on: "
AUTHENTICATION = "Interactive authentication required."


def probe(bus_address, flags):
    env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "DBUS_SYSTEM_BUS_ADDRESS": bus_address,
           "XDG_SESSION_ID": "c7"}
    return subprocess.run([PROBE, flags], env=env, capture_output=True, text=True, timeout=30).stdout.strip()


class JournalSocket:
    """A journal of the test's own: the socket libsystemd writes to, put in
    the place of /run/systemd/journal for the program alone (a mount
    namespace of its own, so nothing changes for the machine)."""

    PLACE = ('set -e; journal=/run/systemd/journal; if [ ! -d $journal ]; then top=/run/systemd; '
             '[ -d $top ] || top=/run; mount -t tmpfs tmpfs $top; mkdir -p $journal; fi; '
             'mount --bind "$1" $journal; shift; exec "$@"')

    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="tamrel-journal-")
        self.socket = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
        self.socket.bind(os.path.join(self.dir, "socket"))
        self.socket.setblocking(False)
        self.prefix = ["unshare", "--mount", "--propagation", "private", "sh", "-c", self.PLACE, "sh", self.dir]

    def entries(self):
        """Each datagram's fields, in the journal's native format."""
        entries = []
        while True:
            try:
                data = self.socket.recv(1 << 20)
            except BlockingIOError:
                return entries
            # NAME=value lines: Tamrel's values are single lines, which need no other form.
            entries.append(dict(line.split("=", 1) for line in data.decode().splitlines()))

    def close(self):
        self.socket.close()
        shutil.rmtree(self.dir, ignore_errors=True)


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

    def test_the_journal_gets_every_line_and_the_events_with_their_fields(self):
        if subprocess.run(["unshare", "--mount", "true"], capture_output=True).returncode != 0:
            self.skipTest("no mount namespace here for a journal of the test's own")
        journal = JournalSocket()
        self.addCleanup(journal.close)
        self.folder.write_settings("Shutdown method =2", "Seconds to cancel =5")
        process = self.driver.start(prefix=journal.prefix)
        # Read only now: a journal that takes nothing holds up no part of the run.
        wait_for(lambda: "tamrel ended." in self.folder.events(), 20, what="the accepted power-off",
                 seen=self.folder.events)
        entries = []
        wait_for(lambda: entries.extend(journal.entries()) or len(entries) > len(self.folder.events()), 10,
                 what="the rest of the journal's entries", seen=lambda: entries)
        process.send_signal(signal.SIGHUP)
        self.driver.wait_end(process)
        entries += journal.entries()
        self.assertTrue(all(e["SYSLOG_IDENTIFIER"] == "tamrel" for e in entries), entries)
        # All but the countdown's start, which only the journal has; no error this run.
        lines = [RUN_LENGTH.sub(r"\1 after ...", e["MESSAGE"]) for e in entries
                 if e.get("MESSAGE_ID") != "e465c7eda1a841f39c5c1d308db9c5fd"]
        self.assertEqual(lines, self.folder.events())
        kept = ("MESSAGE_ID", "PRIORITY", "TAMREL_PROGRAM", "TAMREL_EXIT_STATUS", "TAMREL_RUN_SECONDS", "TAMREL_ACTION")
        # A front end of 0.2 s: the run's seconds only roughly, under load.
        facts = [{k: int(v) < 5 if k == "TAMREL_RUN_SECONDS" else v for k, v in e.items() if k in kept}
                 for e in entries if "MESSAGE_ID" in e]
        self.assertEqual(facts, [
            {"MESSAGE_ID": "ea7277eec0454527b98d2c78232916ab", "PRIORITY": "6", "TAMREL_PROGRAM": "front.sh"},
            {"MESSAGE_ID": "3926b301fb14425095274f62f088f240", "PRIORITY": "6", "TAMREL_PROGRAM": "front.sh",
             "TAMREL_EXIT_STATUS": "0", "TAMREL_RUN_SECONDS": True},
            {"MESSAGE_ID": "e465c7eda1a841f39c5c1d308db9c5fd", "PRIORITY": "6", "TAMREL_PROGRAM": "front.sh",
             "TAMREL_RUN_SECONDS": True, "TAMREL_ACTION": "power-off"},
            {"MESSAGE_ID": "93aed922122c42dcb0106c0313689871", "PRIORITY": "5", "TAMREL_PROGRAM": "front.sh",
             "TAMREL_RUN_SECONDS": True, "TAMREL_ACTION": "power-off"}])

    def test_a_slow_logind_never_holds_up_the_keys(self):
        process = self.start_counting(ListInhibitorsDelay=8)
        wait_for(lambda: self.bus.call_times("ListInhibitors"), 20, what="the question to logind")
        time.sleep(1)  # logind is busy for seven seconds more
        pressed = time.monotonic()
        self.driver.key("Escape")
        self.driver.wait_end(process)
        self.assertLess(time.monotonic() - pressed, 0.3)
        self.assertEqual(self.folder.events()[-2:], ["User canceled shutdown at 0 seconds.", "Tamrel ended."])
