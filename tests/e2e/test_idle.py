"""Idle power-off of the real program under Xvfb -noreset (without it the
server forgets its idle state when its last client leaves): input keeps the
front end running, a front end that only keeps the screen saver away is
asked to end, the screen says why, and the countdown powers off through the
mock logind unless somebody is there. Each case waits out a one-minute limit."""

import contextlib
import os
import signal
import time

from accessibility import AccessibleProgramTest, Driver
from harness import wait_for

# Keeps the screen saver away as an SDL program does, only faster, and notes
# each start and the request to end.
FRONT_END = """#!/usr/bin/python3
import ctypes, signal, sys, time
import os
open("started.txt", "a").write(f"{os.getpid()}\\n")
def asked(*_):
    open("asked.txt", "a").write("SIGTERM\\n")
    sys.exit(0)
signal.signal(signal.SIGTERM, asked)
x11 = ctypes.CDLL("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XResetScreenSaver.argtypes = x11.XFlush.argtypes = (ctypes.c_void_p,)
display = x11.XOpenDisplay(None)
while True:
    x11.XResetScreenSaver(display)
    x11.XFlush(display)
    time.sleep(5)
"""
ASKED = "No input for 1 minute: asking front.sh to end."
WHY = "Nobody has played for 1 minute."


class IdlePowerOffTest(AccessibleProgramTest):
    noreset = True

    def start_idle(self, *overrides):
        path = self.folder.file("front.sh")
        with open(path, "w") as script:
            script.write(FRONT_END)
        os.chmod(path, 0o755)
        self.folder.write_settings("Shutdown method =2", "Idle minutes to power off =1", *overrides)
        env = {"DBUS_SESSION_BUS_ADDRESS": self.a11y.address, "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"}
        process = self.driver.start(extra_env=env)
        self.addCleanup(self.end_front_ends)
        wait_for(self.front_ends, 30, what="the front end's start")
        return process

    def front_ends(self):
        """The process ids of the front ends started so far."""
        path = self.folder.file("started.txt")
        if not os.path.exists(path):
            return []
        with open(path) as started:
            return [int(pid) for pid in started.read().split()]

    def end_front_ends(self):
        # A re-started instance's front end outlives the test's kill of it.
        for pid in self.front_ends():
            with contextlib.suppress(ProcessLookupError):
                os.kill(pid, signal.SIGKILL)

    def asked(self):
        return os.path.exists(self.folder.file("asked.txt"))

    def expect_asked_to_end(self, process, within):
        wait_for(self.asked, within, 0.5, "the request to end", self.folder.events)
        self.driver.screen(process, 30)
        ui = Driver(self.a11y, self.display, process)
        ui.find("label", WHY)
        events = self.folder.events()
        self.assertIn(ASKED, events)
        self.assertEqual(events[events.index(ASKED) + 1:][:2], ["Program (front.sh) finished!",
                                                               "Program ended with exit status 0 after ..."])
        self.assertIn("In Tamrel.set, Idle minutes to power off =1", events[:events.index(ASKED)])

    def test_keys_and_motion_keep_it_running_and_once_they_stop_a_key_on_the_screen_runs_it_again(self):
        process = self.start_idle("Seconds to cancel =25")
        started = time.monotonic()
        # Past the limit, with input now and then: keys and relative motion.
        while time.monotonic() - started < 80:
            self.display.xdotool("key", "shift")
            time.sleep(8)
            self.display.xdotool("mousemove_relative", "--", "3", "2")
            time.sleep(8)
        self.assertFalse(self.asked(), self.folder.events())
        self.assertIsNone(process.poll())
        self.assertFalse(self.driver.screen_shown(process), "the screen came while somebody played")
        self.expect_asked_to_end(process, 75)
        # Somebody is there: any key but the cancel key runs the program again.
        self.driver.let_screen_take_input()
        self.display.xdotool("key", "space")
        wait_for(lambda: len(self.front_ends()) == 2, 20, what="the program's second start")
        # The first run's log, rotated by the second.
        ended = self.folder.events("talog2.txt")
        self.assertEqual(ended[-2:], ["Tamrel ended.", "Re-starting Tamrel"])
        self.assertTrue(ended[-3].startswith("User chose to cancel shutdown and re-start program at "), ended)
        self.assertEqual(self.bus.call_times("PowerOff"), [])

    def test_nobody_playing_powers_off_after_the_countdown(self):
        process = self.start_idle("Seconds to cancel =5")
        self.expect_asked_to_end(process, 90)
        wait_for(lambda: "tamrel ended." in self.folder.events(), 20, what="the power-off", seen=self.folder.events)
        self.assertEqual(self.folder.events()[-2:], ["Shutting down PC, using shutdown method 2", "tamrel ended."])
        self.assertEqual(len(self.bus.call_times("PowerOff")), 1)
        self.assertEqual(self.folder.errors(), [])
