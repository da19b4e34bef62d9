"""The user's input as the wait for the program sees it: X11's raw input on
an Xvfb started with -noreset (without it the server forgets its idle state
when its last client leaves), and a compositor's idle notification under a
headless sway. The probe prints what the sources report."""

import ctypes
import os
import queue
import shutil
import subprocess
import tempfile
import threading
import time
import types
import unittest

from harness import stop
from test_wayland import Sway, unprivileged_user

PROBE = os.environ.get("TAMREL_INPUT_PROBE", "build/tests/e2e/tamrel_input_probe")


class Probe:
    def __init__(self, args, env):
        self.process = subprocess.Popen([PROBE, *args], env=env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        text=True)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            self.lines.put(line.rstrip("\n"))

    def next(self, timeout=5.0):
        """The next line, or None when none came in time."""
        try:
            return self.lines.get(timeout=timeout)
        except queue.Empty:
            return None

    def until(self, wanted, timeout=5.0):
        """The lines up to and with `wanted`; fails when it does not come."""
        seen = []
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            line = self.next(deadline - time.monotonic())
            if line is not None:
                seen.append(line)
                if line.startswith(wanted):
                    return seen
        raise AssertionError(f"no {wanted!r} in {seen}")

    def quiet(self, seconds=1.0):
        """The lines that came within `seconds`."""
        time.sleep(seconds)
        seen = []
        while not self.lines.empty():
            seen.append(self.lines.get())
        return seen

    def close(self):
        self.process.stdin.close()
        try:
            self.process.wait(5)
        except subprocess.TimeoutExpired:
            stop(self.process)
        self.process.stdout.close()


def xvfb():
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-noreset", "-nolisten", "tcp", "-screen", "0",
                               "640x480x24"], pass_fds=(write_end,), stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        return server, ":" + pipe.readline().strip()


class X11RawInput(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server, cls.display = xvfb()
        cls.env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "DISPLAY": cls.display}

    @classmethod
    def tearDownClass(cls):
        stop(cls.server)

    def probe(self, *args, env=None):
        probe = Probe(args, env or self.env)
        self.addCleanup(probe.close)
        return probe

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, check=True)

    def reset_screen_saver(self, times):
        """What SDL programs do against the screen saver; not input."""
        x11 = ctypes.CDLL("libX11.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        for name in ("XResetScreenSaver", "XFlush", "XCloseDisplay"):
            getattr(x11, name).argtypes = (ctypes.c_void_p,)
        connection = x11.XOpenDisplay(self.display.encode())
        for _ in range(times):
            x11.XResetScreenSaver(connection)
            x11.XFlush(connection)
            time.sleep(0.1)
        x11.XCloseDisplay(connection)

    def test_keys_buttons_and_relative_motion_count_from_any_client_a_screen_saver_reset_does_not(self):
        probe = self.probe("x11", self.display)
        self.assertEqual(probe.next(), "ready 1")
        self.assertEqual(probe.quiet(0.5), [])
        for action in (["key", "a"], ["mousemove_relative", "--", "-5", "7"], ["click", "3"], ["keydown", "shift"]):
            self.xdotool(*action)
            self.assertEqual(probe.next(), "input", action)
            probe.quiet(0.3)
        self.xdotool("keyup", "shift")  # a release alone is no new input
        self.reset_screen_saver(5)
        self.assertEqual(probe.quiet(0.5), [])

    def test_the_wait_takes_x11_without_a_compositor_that_answers(self):
        for extra in ({}, {"WAYLAND_DISPLAY": "wayland-gone", "XDG_RUNTIME_DIR": tempfile.gettempdir()}):
            probe = self.probe("1", env={**self.env, **extra})
            # The display and the joysticks (none here, and nothing to say about that).
            self.assertEqual(probe.next(), "ready 2", extra)
            self.xdotool("key", "space")
            self.assertEqual(probe.next(), "input", extra)
            probe.close()

    def test_without_a_display_to_watch_the_program_is_never_taken_for_idle(self):
        probe = self.probe("1", env={"PATH": self.env["PATH"], "DISPLAY": ":9999"})
        self.assertEqual(probe.until("ready"), [
            "active",
            "note: Keys and mice cannot be watched (the X display :9999 does not answer): "
            "the program is not ended for want of input.",
            "ready 1"])

    def test_a_lost_display_is_told_once_and_the_wait_blocks_again(self):
        server, display = xvfb()
        probe = self.probe("x11", display, env={**self.env, "DISPLAY": display})
        self.assertEqual(probe.next(), "ready 1")
        stop(server)
        self.assertEqual(probe.until("active"),
                         ["note: The X display was lost: keys and mice are no longer watched.", "active"])
        self.assertEqual(probe.quiet(0.5), [])
        # No spinning on a descriptor that stays readable.
        with open(f"/proc/{probe.process.pid}/stat") as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
        self.assertLess(int(fields[11]) + int(fields[12]), 20)  # utime + stime, in ticks


class SwayIdleNotification(unittest.TestCase):
    def setUp(self):
        for tool in ("sway", "wtype"):
            if not shutil.which(tool):
                self.skipTest(f"{tool} is not installed")
        prefix, uid, gid = unprivileged_user()
        self.runtime = tempfile.mkdtemp(prefix="tamrel-input-")
        self.addCleanup(shutil.rmtree, self.runtime, True)
        os.chown(self.runtime, uid, gid)
        self.sway = Sway(self.runtime, prefix, types.SimpleNamespace(address="unix:path=/nonexistent"))
        self.addCleanup(self.sway.close)

    def probe(self, *args):
        probe = Probe(args, self.sway.env)
        self.addCleanup(probe.close)
        return probe

    def key(self):
        self.sway.run("wtype", "-k", "a")

    def test_idle_after_the_time_without_keys_and_active_again_at_a_key(self):
        probe = self.probe("wayland", self.sway.socket, "3000")
        self.assertEqual(probe.next(), "ready 1")
        time.sleep(1.0)
        self.key()  # before the time: not idle yet, and nothing to tell
        pressed = time.monotonic()
        self.assertEqual(probe.quiet(1.0), [])
        self.assertEqual(probe.next(5), "idle")
        self.assertGreater(time.monotonic() - pressed, 2.5)  # counted from the key, not the start
        self.key()
        self.assertEqual([probe.next(), probe.next()], ["input", "active"])
        self.assertEqual(probe.next(5), "idle")

    def test_the_wait_takes_the_compositor_which_starts_out_active(self):
        probe = self.probe("1")
        self.assertEqual(probe.until("ready"), ["active", "ready 2"])
        self.assertEqual(probe.quiet(0.5), [])


if __name__ == "__main__":
    unittest.main()
