"""The Linux program under a headless sway and under cage, the kiosk compositor;
both refuse root, so then they and Tamrel run as an unprivileged user."""

import contextlib
import glob
import json
import os
import pathlib
import pwd
import re
import shutil
import signal
import subprocess
import tempfile
import time

from accessibility import SETUP_CAPTION
from harness import LinuxDriver, ProgramTest, kill, pixel, session_env, stop, wait_for

USER = "tamrel-e2e"
SIZE = (1024, 768)


def unprivileged_user():
    if os.geteuid() != 0:
        return [], os.getuid(), os.getgid()
    try:
        entry = pwd.getpwnam(USER)
    except KeyError:
        subprocess.run(["useradd", "--system", "--user-group", "--no-create-home", "--home-dir", "/nonexistent",
                        "--shell", "/usr/sbin/nologin", USER], check=True)
        entry = pwd.getpwnam(USER)
    prefix = ["setpriv", f"--reuid={entry.pw_uid}", f"--regid={entry.pw_gid}", "--clear-groups"]
    return prefix, entry.pw_uid, entry.pw_gid


class Compositor:
    """A headless wlroots compositor whose runtime folder is the program folder."""

    def __init__(self, command, runtime, prefix, bus, **extra):
        self.runtime = runtime
        self.log = tempfile.NamedTemporaryFile(prefix="tamrel-compositor-", suffix=".log")
        self.env = session_env(runtime, bus, WLR_BACKENDS="headless", WLR_RENDERER="pixman",
                               WLR_LIBINPUT_NO_DEVICES="1", **extra)
        self.process = subprocess.Popen([*prefix, *command], env=self.env, stdout=self.log, stderr=self.log)
        self.socket = wait_for(self._socket, 20, what="the compositor's socket")
        self.env["WAYLAND_DISPLAY"] = self.socket

    def _socket(self):
        if self.process.poll() is not None:
            raise AssertionError(f"the compositor ended: {self.output()[-2000:]}")
        found = [name for name in glob.glob(os.path.join(self.runtime, "wayland-*")) if not name.endswith(".lock")]
        return os.path.basename(found[0]) if found else None

    def run(self, *command):
        return subprocess.run(command, env=self.env, capture_output=True, check=True)

    def screenshot(self, path, crop=None):
        self.run("grim", path)

    def output(self):
        self.log.seek(0)
        return self.log.read().decode(errors="replace")

    def close(self):
        stop(self.process)  # asked first, so that it ends what it started (cage's Xwayland)
        self.log.close()


class Sway(Compositor):
    def __init__(self, runtime, prefix, bus):
        config = os.path.join(runtime, "sway.config")
        with open(config, "w") as file:
            file.write(f"xwayland disable\noutput HEADLESS-1 resolution {SIZE[0]}x{SIZE[1]}\n")
        super().__init__(["sway", "--config", config], runtime, prefix, bus)
        self.env["SWAYSOCK"] = wait_for(lambda: glob.glob(os.path.join(runtime, "sway-ipc.*.sock")),
                                        what="sway's IPC socket")[0]
        # A keyboard that stays, as a cabinet's does: each wtype call adds one
        # for its time, and a seat left without any makes Qt lose keys.
        self.keyboard = subprocess.Popen(["wtype", "-s", "86400000"], env=self.env)

    def close(self):
        kill(self.keyboard)
        super().close()

    def windows(self, pid, node=None):
        if node is None:
            node = json.loads(self.run("swaymsg", "-t", "get_tree", "--raw").stdout)
        found = [node] if node.get("pid") == pid else []
        for child in node.get("nodes", []) + node.get("floating_nodes", []):
            found += self.windows(pid, child)
        return found

    def focused(self, pid, name=None):
        return next((window for window in self.windows(pid)
                     if window.get("focused") and name in (None, window.get("name"))), None)


class WaylandDriver(LinuxDriver):
    def __init__(self, test):
        self.prefix, uid, gid = unprivileged_user()
        super().__init__(test, any_user=True)
        os.chown(self.folder.path, uid, gid)  # the user's runtime folder; what is in it the user may read

    def start_sway(self, outer=()):
        """`outer`: a prefix run as root, before the user's own."""
        self.display = Sway(self.folder.path, self.prefix, self.bus)
        return self.start(prefix=[*outer, *self.prefix], display={"WAYLAND_DISPLAY": self.display.socket})

    def screen(self, process, timeout=10):
        window = wait_for(lambda: self.display.focused(process.pid), timeout, what="the shutdown screen's focus")
        if window.get("fullscreen_mode") != 1:
            raise AssertionError(f"the screen is not full screen: {window.get('rect')}")
        return f"{window['rect']['width']}x{window['rect']['height']}"

    def screen_shown(self, process):
        return bool(self.display.windows(process.pid))

    def key(self, *names):
        # One wtype call each: Qt takes a key only a while after the keyboard
        # it comes from appeared, and held a moment.
        for name in names:
            self.display.run("wtype", "-s", "300", "-P", name, "-s", "80", "-p", name)

    def close(self):
        super().close()
        if self.display:
            self.display.close()


class WaylandTest(ProgramTest):
    own_display, display = False, None  # each test's compositor

    def make_driver(self):
        for tool in ("sway", "cage", "wtype", "grim", "swaymsg"):
            if not shutil.which(tool):
                self.skipTest(f"{tool} is not installed")
        return WaylandDriver(self)


class SwayTest(WaylandTest):
    def test_the_screen_comes_full_screen_and_escape_cancels(self):
        self.folder.write_settings("Seconds to cancel =25")
        process = self.driver.start_sway()
        self.expect_screen_after(process)
        # Drawn to the corners: no title bar or border of sway's is left.
        picture = self.folder.file("screen.png")
        self.driver.display.screenshot(picture)
        corners = [pixel(picture, x, y) for x in (0, SIZE[0] - 1) for y in (0, SIZE[1] - 1)]
        self.assertEqual(corners, [pixel(picture, SIZE[0] // 2, 40)] * 4)
        self.cancel_and_expect_end(process, "front.sh")
        # Nothing tried that Wayland does not allow (Qt would warn).
        self.assertEqual(self.driver.said(), "")

    def test_setup_and_its_help_by_keyboard_alone(self):
        process = self.driver.start_sway()

        def shows(title):
            wait_for(lambda: self.driver.display.focused(process.pid, title), 15, what=title)

        shows("Tamrel.set not found!")
        self.driver.key("Return")
        shows(SETUP_CAPTION)
        self.screenshot("wayland-setup.png")
        # F10 opens the first menu, Left goes round to Help (About, a topic).
        for keys, title in ((["F10", "Left", "Return"], "About The Tamrel (V1.10)"),
                            (["F10", "Left", "Down", "Return"], "Help: Choosing program to launch")):
            self.driver.key(*keys)
            shows(title)
            self.driver.key("Escape")
            shows(SETUP_CAPTION)
        # Alt opens the bar too; "Cancel and Exit" ends the first menu.
        self.driver.key("Alt_L", "Down", "Up", "Return")
        shows("Quit without saving?")
        self.driver.key("Return")
        self.assertEqual(process.wait(10), 0)  # what the quit leaves: SetupWindowTest

    def start_to_freeze(self):
        """A run whose front end freezes sway as it ends."""
        self.folder.write_front_end(last="while [ ! -s sway.pid ]; do sleep 0.05; done; kill -STOP $(cat sway.pid)")
        self.folder.write_settings("Shutdown method =2")
        process = self.driver.start_sway()
        sway = self.driver.display.process
        with open(self.folder.file("sway.pid"), "w") as file:
            file.write(str(sway.pid))
        self.addCleanup(sway.send_signal, signal.SIGCONT)
        return process

    def test_a_compositor_frozen_while_the_program_ran_ends_it_in_time_without_a_shutdown(self):
        process = self.start_to_freeze()
        self.assertEqual(process.wait(15), 1)
        why = (f"Tamrel could not open the display: the Wayland compositor of {self.driver.display.socket} does not "
               "answer (no answer within 3 seconds)")
        self.assertEqual(self.folder.events()[-1], why)
        self.assertIn("Program (front.sh) finished!", self.folder.events())
        self.assertEqual(self.bus.calls(), [])

    def test_a_stop_request_while_the_frozen_compositor_is_asked_is_answered_at_once(self):
        process = self.start_to_freeze()
        wait_for(lambda: "Program (front.sh) finished!" in self.folder.events(), 15, what="the program's end")
        process.send_signal(signal.SIGTERM)
        began = time.monotonic()
        self.assertEqual(process.wait(10), 1)
        self.assertLess(time.monotonic() - began, 2)
        self.assertEqual(self.folder.events()[-1],
                         "Tamrel lost the display: the display did not answer when Tamrel was asked to stop (signal 15)")
        self.assertEqual(self.bus.calls(), [])


class SwayIdleTest(WaylandTest):
    # Keeps running until asked to end, noting each start and the request;
    # run again, it ends by itself.
    FRONT_END = ("#!/bin/sh\ntrap 'echo TERM >> asked.txt; exit 0' TERM\necho $$ >> started.txt\n"
                 "[ $(wc -l < started.txt) -gt 1 ] && exit 0\nwhile :; do sleep 1; done\n")
    ASKED = "No input for 1 minute: asking front.sh to end."

    def end_front_end(self):
        with contextlib.suppress(FileNotFoundError, ProcessLookupError, ValueError):
            with open(self.folder.file("started.txt")) as started:
                os.killpg(int(started.read().split()[0]), signal.SIGKILL)

    def test_keys_keep_the_front_end_running_past_the_limit_without_them_it_is_asked_to_end_and_a_key_runs_it_again(
            self):
        path = self.folder.file("front.sh")
        with open(path, "w") as script:
            script.write(self.FRONT_END)
        os.chmod(path, 0o755)
        self.folder.write_settings("Shutdown method =2", "Idle minutes to power off =1", "Seconds to cancel =15")
        process = self.driver.start_sway()
        self.addCleanup(self.end_front_end)
        wait_for(lambda: os.path.exists(self.folder.file("started.txt")), 20, what="the front end's start")
        asked = lambda: os.path.exists(self.folder.file("asked.txt"))  # noqa: E731
        started = time.monotonic()
        # Past the limit, with a key now and then: the compositor says nobody is gone.
        while time.monotonic() - started < 80:
            self.driver.key("Shift_L")
            time.sleep(10)
        self.assertFalse(asked(), self.folder.events())
        self.assertIsNone(process.poll())
        self.assertFalse(self.driver.screen_shown(process), "the screen came while somebody played")
        # Then nobody: asked to end a minute after the last key, and the screen follows.
        wait_for(asked, 75, 0.5, "the request to end", self.folder.events)
        self.assertEqual(self.driver.screen(process, 30), f"{SIZE[0]}x{SIZE[1]}")
        events = self.folder.events()
        self.assertIn(self.ASKED, events)
        self.assertEqual(events[events.index(self.ASKED) + 1:][:2], ["Program (front.sh) finished!",
                                                                    "Program ended with exit status 0 after ..."])
        # Somebody is there: any key but the cancel key runs it again. Its
        # own end then counts down to the power-off.
        self.driver.key("a")
        runs = lambda: pathlib.Path(self.folder.file("started.txt")).read_text().split()  # noqa: E731
        wait_for(lambda: len(runs()) == 2, 20, 0.5, "the front end's second run", self.folder.events)
        wait_for(lambda: "tamrel ended." in self.folder.events(), 60, 0.5, "the accepted power-off",
                 self.folder.events)
        self.assertEqual(len(self.bus.call_times("PowerOff")), 1)


class CageTest(WaylandTest):
    def test_the_kiosk_shows_the_screen_over_the_whole_output_powers_off_and_ends_with_cage(self):
        self.folder.write_settings("Shutdown method =2", "Seconds to cancel =5")
        # Cage starts Tamrel itself and ends with it. The protocol trace tells
        # the sizes: cage with this renderer has no picture.
        self.driver.display = cage = Compositor(["cage", "--", self.folder.exe], self.folder.path, self.driver.prefix,
                                                self.bus, WAYLAND_DEBUG="1")
        wait_for(lambda: "tamrel ended." in self.folder.events(), 30, what="the accepted power-off")
        self.expect_whole_run("front.sh", "Shutting down PC, using shutdown method 2", "tamrel ended.")
        said = self.driver.display.output()
        output = re.search(r"wl_output@\d+\.mode\(\d+, (\d+), (\d+),", said)
        sizes = re.findall(r"xdg_toplevel@\d+\.configure\((\d+), (\d+),", said)
        self.assertTrue(output and sizes, said[-2000:])
        self.assertEqual(sizes[-1], output.groups(), "the screen does not cover the output")
        self.assertIsNone(cage.process.poll())  # the machine stays on: the mock did nothing
        self.driver.display.close()
        # The display going away after an accepted power-off is the system going down.
        wait_for(lambda: self.folder.events()[-1] == "The system is shutting down.", what="the system's end",
                 seen=self.folder.events)
        self.assertFalse([line for line in self.folder.errors() if "lost the display" in line])
        self.assertEqual(self.bus.calls(), ["ListInhibitors", "CanPowerOff", "PowerOff False"])
