"""The Windows backend's idle wait under Wine, through idleprobe.exe: X input
to the Wine desktop reaches the last-input time, and a front end is asked to
close its windows before it is ended by force."""

import os
import shutil
import subprocess
import tempfile
import time
import unittest

from harness import wait_for
from winedriver import WineSession

TOOLS = os.path.dirname(os.environ.get("TAMREL_SLEEPER", "build-win64/tests/wine/sleeper.exe"))


class WineIdleTest(unittest.TestCase):
    def setUp(self):
        self.session = WineSession()
        self.dir = tempfile.mkdtemp(dir=self.session.root, prefix="idle-")
        for tool in ("idleprobe.exe", "windowfront.exe"):
            shutil.copy2(os.path.join(TOOLS, tool), self.dir)
        self.probe = None
        # Off the front end's window: one appearing under the pointer is motion to Wine.
        self.session.display.xdotool("mousemove", "1020", "760")

    def tearDown(self):
        if self.probe and self.probe.poll() is None:
            self.probe.kill()
            self.probe.wait()
        self.session.idle()

    def start(self, front, idle_ms, grace_ms):
        self.probe = subprocess.Popen(["timeout", "-k", "5", "90", "wine", "idleprobe.exe", front, str(idle_ms),
                                       str(grace_ms)], cwd=self.dir, env=self.session.env,
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for(lambda: os.path.exists(self.file("front-started.txt")), 30, 0.1, "the front end")

    def file(self, name):
        return os.path.join(self.dir, name)

    def report(self):
        """idleprobe's lines, once it has ended: {what: [ms from its start, ...]} and the forced flag."""
        self.assertEqual(self.probe.wait(timeout=60), 0)
        seen, forced = {}, None
        with open(self.file("idleprobe.txt")) as lines:
            for line in lines:
                what, at, *rest = line.split()
                seen.setdefault(what, []).append(int(at))
                if what == "ended":
                    forced = rest == ["forced=1"]
        return seen, forced

    def test_keys_and_motion_on_the_wine_desktop_keep_the_front_end_running_and_one_that_closes_is_not_forced(self):
        self.start("windowfront.exe", 3000, 10000)
        x = self.session.display.xdotool
        x("mousemove", "200", "200")
        began = time.monotonic()
        for step in range(6):
            time.sleep(1)
            if step % 2:
                x("key", "shift")
            else:
                x("mousemove_relative", "--", str(7 - 14 * (step % 4 // 2)), "5")
        played = (time.monotonic() - began) * 1000
        seen, forced = self.report()
        self.assertGreaterEqual(len(seen.get("input", [])), 5, seen)
        # Due 3 s after the last input, not 3 s after the start.
        self.assertGreater(seen["due"][0], played + 2500, seen)
        self.assertLess(seen["due"][0] - max(seen["input"]), 4500, seen)
        self.assertTrue(os.path.exists(self.file("front-closed.txt")))
        self.assertFalse(forced, seen)
        self.assertLess(seen["ended"][0] - seen["due"][0], 8000, seen)

    def test_a_front_end_that_ignores_its_close_is_ended_by_force_after_the_grace_with_all_it_started(self):
        with open(self.file("front.bat"), "w") as batch:
            batch.write("@echo off\r\nstart windowfront.exe keep\r\nwindowfront.exe keep\r\n")
        # Long enough for both windows to be up before the close.
        self.start("front.bat", 5000, 2000)
        seen, forced = self.report()
        # Wine tells a window taking the focus as input; nothing came after.
        self.assertGreaterEqual(seen["due"][0] - max(seen.get("input", [0])), 5000, seen)
        self.assertTrue(os.path.exists(self.file("front-kept.txt")))
        self.assertTrue(forced)
        self.assertGreaterEqual(seen["ended"][0] - seen["due"][0], 2000, seen)
        self.assertLess(seen["ended"][0] - seen["due"][0], 8000, seen)
        # Nothing of the job is left.
        self.session.idle()


if __name__ == "__main__":
    unittest.main()
