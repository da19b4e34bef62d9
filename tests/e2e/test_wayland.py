"""The real Linux program on Wayland: under a headless sway (windows read
with swaymsg, keys typed with wtype, pictures taken with grim) and under
cage, the kiosk compositor, which runs it as its only program. Both refuse
root, so when the tests run as root the compositor and Tamrel run as an
unprivileged user of their own. The power-off goes to a mock logind on a
private bus that this user may use too."""

import glob
import json
import os
import pwd
import re
import shutil
import subprocess
import tempfile
import unittest

from harness import SCREENSHOTS, TAMREL, LinuxDriver, PrivateSystemBus, ProgramFolder, ProgramTest, kill, wait_for

USER = "tamrel-e2e"
SETUP_CAPTION = "The Tamrel (V1.10)........ SetUp Mode"
SIZE = (1024, 768)


def unprivileged_user():
    """The command prefix that runs a program as the tests' user and that
    user's ids; nothing to change when the tests do not run as root."""
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


def give(path, uid, gid):
    for root, folders, files in os.walk(path):
        for name in [root] + [os.path.join(root, item) for item in folders + files]:
            os.lchown(name, uid, gid)


def pixel(picture, x, y):
    """The colour at a point of a picture, as #RRGGBB."""
    text = subprocess.run(["convert", picture, "-crop", f"1x1+{x}+{y}", "-depth", "8", "txt:-"],
                          capture_output=True, text=True).stdout
    found = re.search(r"#[0-9A-F]{6}", text)
    return found.group(0) if found else text


class Compositor:
    """A headless wlroots compositor whose runtime folder (its socket, and
    the user's runtime folder for Tamrel) is the program folder."""

    def __init__(self, command, runtime, prefix, env=None):
        self.runtime = runtime
        self.log = tempfile.NamedTemporaryFile(prefix="tamrel-compositor-", suffix=".log")
        self.env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": runtime, "XDG_RUNTIME_DIR": runtime,
                    "WLR_BACKENDS": "headless", "WLR_RENDERER": "pixman", "WLR_LIBINPUT_NO_DEVICES": "1",
                    "LANG": "C.UTF-8", **(env or {})}
        self.process = subprocess.Popen([*prefix, *command], env=self.env, stdout=self.log, stderr=self.log)
        self.socket = wait_for(self._socket, 20, what="the compositor's socket")
        self.env["WAYLAND_DISPLAY"] = self.socket

    def _socket(self):
        if self.process.poll() is not None:
            raise AssertionError(f"the compositor ended: {self.output()[-2000:]}")
        found = [name for name in glob.glob(os.path.join(self.runtime, "wayland-*")) if not name.endswith(".lock")]
        return os.path.basename(found[0]) if found else None

    def run(self, *command, check=True):
        return subprocess.run(command, env=self.env, capture_output=True, check=check)

    def keys(self, *names):
        """Types the keys one wtype call each: Qt takes a key only a while
        after the keyboard it comes from appeared, and held a moment."""
        for name in names:
            self.run("wtype", "-s", "300", "-P", name, "-s", "80", "-p", name)

    def screenshot(self, path):
        self.run("grim", path)

    def output(self):
        """What the compositor and the programs it started said."""
        self.log.seek(0)
        return self.log.read().decode(errors="replace")

    def close(self):
        # Asked first, so that it ends what it started (cage's Xwayland).
        self.process.terminate()
        try:
            self.process.wait(5)
        except subprocess.TimeoutExpired:
            kill(self.process)
        self.log.close()


class Sway(Compositor):
    def __init__(self, runtime, prefix):
        config = os.path.join(runtime, "sway.config")
        with open(config, "w") as file:
            file.write(f"xwayland disable\noutput HEADLESS-1 resolution {SIZE[0]}x{SIZE[1]}\n")
        super().__init__(["sway", "--config", config], runtime, prefix)
        self.env["SWAYSOCK"] = wait_for(lambda: glob.glob(os.path.join(runtime, "sway-ipc.*.sock")),
                                        what="sway's IPC socket")[0]
        # A keyboard that stays, as a cabinet's does. Each wtype call adds
        # one and takes it away when it ends; a seat left without any makes
        # Qt close its menus and lose the next key.
        self.keyboard = subprocess.Popen(["wtype", "-s", "86400000"], env=self.env)

    def close(self):
        kill(self.keyboard)
        super().close()

    def windows(self, pid=None):
        """The windows (of the process with this id) in sway's tree."""
        tree = json.loads(self.run("swaymsg", "-t", "get_tree", "--raw").stdout)
        found, nodes = [], [tree]
        while nodes:
            node = nodes.pop()
            nodes += node.get("nodes", []) + node.get("floating_nodes", [])
            if node.get("pid") and (pid is None or node["pid"] == pid):
                found.append(node)
        return found

    def focused(self, pid, name=None):
        """The window of the process that has the focus, optionally by its
        title."""
        for window in self.windows(pid):
            if window.get("focused") and (name is None or window.get("name") == name):
                return window
        return None


class WaylandDriver(LinuxDriver):
    """LinuxDriver's program folder and mock logind, with the program on a
    compositor of its own as the tests' user."""

    def __init__(self, test):
        self.prefix, self.uid, self.gid = unprivileged_user()
        self.own_display = False  # closed here, once made
        self.bus = PrivateSystemBus({"CanPowerOff": "yes"}, any_user=True)
        self.folder = ProgramFolder(TAMREL)
        self.marker = self.marker_logged = self.folder.file("holdmark.tes")
        self.processes = []
        self.display = None

    def env(self):
        return {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": self.folder.path,
                "XDG_RUNTIME_DIR": self.folder.path, "DBUS_SYSTEM_BUS_ADDRESS": self.bus.address,
                "XDG_SESSION_ID": "c7", "LANG": "C.UTF-8"}

    def start_sway(self):
        give(self.folder.path, self.uid, self.gid)
        self.display = Sway(self.folder.path, self.prefix)
        process = subprocess.Popen([*self.prefix, self.folder.exe], cwd="/",
                                   env={**self.env(), "WAYLAND_DISPLAY": self.display.socket},
                                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        self.processes.append(process)
        return process

    def start_cage(self, extra_env=None):
        """Cage starts Tamrel itself and ends with it; returns cage."""
        give(self.folder.path, self.uid, self.gid)
        self.display = Compositor(["cage", "--", self.folder.exe], self.folder.path, self.prefix,
                                  {**self.env(), **(extra_env or {})})
        return self.display.process

    def screen(self, process, timeout=10):
        """Waits for the screen to have the focus; returns its size."""
        window = wait_for(lambda: self.display.focused(process.pid), timeout, what="the shutdown screen's focus")
        if window.get("fullscreen_mode") != 1:
            raise AssertionError(f"the screen is not full screen: {window.get('rect')}")
        return f"{window['rect']['width']}x{window['rect']['height']}"

    def screen_shown(self, process):
        return bool(self.display.windows(process.pid))

    def key(self, *names):
        self.display.keys(*names)

    def close(self):
        super().close()
        if self.display:
            self.display.close()


class WaylandTest(ProgramTest):
    def setUp(self):
        for tool in ("sway", "cage", "wtype", "grim", "swaymsg"):
            if not shutil.which(tool):
                self.skipTest(f"{tool} is not installed")
        self.driver = WaylandDriver(self)
        self.addCleanup(self.driver.close)
        self.folder, self.bus = self.driver.folder, self.driver.bus

    def screenshot(self, name, crop=None):
        if SCREENSHOTS:
            self.driver.display.screenshot(os.path.join(SCREENSHOTS, name))


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
        self.stopped_at("User canceled shutdown at", 22, 25)
        self.assertEqual(self.bus.calls(), [])
        # Nothing tried that Wayland does not allow (Qt would warn).
        self.assertEqual(process.stderr.read(), "")

    def test_the_countdown_powers_off_and_a_lost_compositor_ends_the_screen(self):
        self.folder.write_settings("Shutdown method =2", "Seconds to cancel =5")
        process = self.driver.start_sway()
        self.driver.screen(process)
        wait_for(lambda: "PowerOff False" in self.bus.calls(), timeout=10, what="PowerOff")
        self.expect_whole_run("front.sh", "Shutting down PC, using shutdown method 2", "tamrel ended.")
        self.driver.display.close()  # the machine stayed on: the mock did nothing
        self.assertEqual(process.wait(10), 1)
        self.assertTrue(self.folder.events()[-1].startswith("Tamrel lost the display: "), self.folder.events()[-1])
        self.assertEqual(self.bus.calls(), ["ListInhibitors", "CanPowerOff", "PowerOff False"])

    def test_setup_and_its_help_by_keyboard_alone(self):
        process = self.driver.start_sway()

        def shows(title):
            wait_for(lambda: self.driver.display.focused(process.pid, title), 15, what=title)

        shows("Tamrel.set not found!")
        self.driver.key("Return")
        shows(SETUP_CAPTION)
        self.screenshot("wayland-setup.png")
        # F10 opens the first menu; Left goes round to Help, whose first two
        # items are About and a topic; Escape closes them.
        for keys, title in ((["F10", "Left", "Return"], "About The Tamrel (V1.10)"),
                            (["F10", "Left", "Down", "Return"], "Help: Choosing program to launch")):
            self.driver.key(*keys)
            shows(title)
            self.driver.key("Escape")
            shows(SETUP_CAPTION)
        # "Cancel and Exit" ends the first menu; Alt opens the bar too.
        self.driver.key("F10", "Up", "Return")
        shows("Quit without saving?")
        self.driver.key("Tab", "space")  # No: setup stays
        shows(SETUP_CAPTION)
        self.driver.key("Alt_L", "Down", "Up", "Return")
        shows("Quit without saving?")
        self.driver.key("Return")
        self.assertEqual(process.wait(10), 0)
        self.assertEqual(self.folder.events()[-2:], ["User quit without saving Tamrel.set", "Tamrel ended."])
        self.assertFalse(os.path.exists(self.folder.file("tamrel.set")))


class CageTest(WaylandTest):
    def test_the_kiosk_shows_the_screen_over_the_whole_output_and_powers_off(self):
        self.folder.write_settings("Shutdown method =2", "Seconds to cancel =5")
        # The protocol trace tells the output's size and the window's: cage
        # with this renderer has no picture to take.
        cage = self.driver.start_cage({"WAYLAND_DEBUG": "1"})
        wait_for(lambda: "PowerOff False" in self.bus.calls(), 30, what="PowerOff")
        self.expect_whole_run("front.sh", "Shutting down PC, using shutdown method 2", "tamrel ended.")
        said = self.driver.display.output()
        output = re.search(r"wl_output@\d+\.mode\(\d+, (\d+), (\d+),", said)
        sizes = re.findall(r"xdg_toplevel@\d+\.configure\((\d+), (\d+),", said)
        self.assertTrue(output and sizes, said[-2000:])
        self.assertEqual(sizes[-1], output.groups(), "the screen does not cover the output")
        self.assertIsNone(cage.poll())  # the machine stays on: the mock did nothing


if __name__ == "__main__":
    unittest.main()
