"""The end-to-end harness of both builds: a ProgramTest gets a program folder and
a driver, LinuxDriver or, with TAMREL_PLATFORM=wine, winedriver.WineDriver. None
may reach the machine's own power-off: every Linux process gets a private bus
with a mock logind, and under Wine a shutdown ends only the test prefix's session."""

import ctypes
import glob
import json
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import sysconfig
import tempfile
import time
import unittest

WINE = os.environ.get("TAMREL_PLATFORM") == "wine"
TAMREL = os.environ.get("TAMREL_EXE", "build/tamrel")
TEMPLATE = os.environ.get("TAMREL_SETTINGS_TEMPLATE")  # by default the one built beside the program
SCREENSHOTS = os.environ.get("TAMREL_SCREENSHOTS")
LOGIND = os.path.join(os.path.dirname(os.path.abspath(__file__)), "logind_mock.py")
CRLF = "\r\n"
ENCODING = "latin-1"  # the logs and the settings are 8-bit text
HEADER_LINES = 6  # the log's, the last one blank
RUN_LENGTH = re.compile(r"^(Program ended.*?) after .+\.$")
ERROR_DATE = re.compile(r"^\d{1,4}[./-]\d{1,2}[./-]\d{1,4} \d{1,2}:\d{2}(:\d{2})?( ?[AaPp][Mm])?")


def wait_for(condition, timeout=10.0, step=0.02, what="condition", seen=None):
    """The first true value of condition(); a time-out tells what and seen()."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(step)
    raise AssertionError(f"timed out waiting for {what}" + (f"; seen: {seen()}" if seen else ""))


def pids_of(executable):
    def runs(entry):
        try:
            return os.readlink(f"/proc/{entry}/exe") in (executable, executable + " (deleted)")
        except OSError:
            return False
    return [int(entry) for entry in os.listdir("/proc") if entry.isdigit() and runs(entry)]


def kill(process):
    if process.poll() is None:
        process.send_signal(signal.SIGKILL)
        process.wait()


def stop(process):
    process.terminate()
    try:
        process.wait(5)
    except subprocess.TimeoutExpired:
        kill(process)


class ProgramFolder:
    """The program, its settings and a front end; `dir` as the logs name it."""

    front_end = "front.sh"

    def __init__(self, program, root=None, name="tamrel-e2e-"):
        self.path = tempfile.mkdtemp(prefix=name) if root is None else os.path.join(root, name)
        os.makedirs(self.path, exist_ok=True)
        self.exe = os.path.join(self.path, os.path.basename(program))
        shutil.copy2(program, self.exe)
        self.dir = self.path + "/"
        self.template = TEMPLATE or os.path.join(os.path.dirname(program), "tests/support/tamrel_settings_template")

    def file(self, name):
        return os.path.join(self.path, name)

    def write(self, name, lines):
        with open(self.file(name), "wb") as file:
            file.write("".join(line + CRLF for line in lines).encode(ENCODING))

    def write_front_end(self, seconds=0.2, last=""):
        """Leaves started.txt and, when it ends, ended.txt, then runs `last`."""
        path = self.file(self.front_end)
        with open(path, "w") as script:
            script.write(f"#!/bin/sh\ntouch started.txt\nsleep {seconds}\ndate +%s.%N > ended.txt\n{last}\n")
        os.chmod(path, 0o755)
        return self.front_end

    def write_settings(self, *overrides):
        """The template's file launching the front end: "Key =value" replaces
        a key's line, "-Key =" removes it, another line is added."""
        if not os.path.exists(self.file(self.front_end)):
            self.write_front_end()
        made = subprocess.run([self.template, f"Program ={self.dir}{self.front_end}", *overrides],
                              capture_output=True, check=True)
        with open(self.file("tamrel.set"), "wb") as file:
            file.write(made.stdout)

    def lines(self, name):
        if not os.path.exists(self.file(name)):
            return []
        with open(self.file(name), newline="", encoding=ENCODING) as log:
            return log.read().split(CRLF)[:-1]

    def events(self, name="talog1.txt"):
        """The event texts after the header; how long a program ran reads "after ..."."""
        return [RUN_LENGTH.sub(r"\1 after ...", line.split(" --- ", 1)[-1]) for line in self.lines(name)[HEADER_LINES:]]

    def errors(self):
        return [ERROR_DATE.sub("", line) for line in self.lines("tamrel.txt")]

    def close(self):
        for pid in pids_of(self.exe):  # a re-started one
            os.kill(pid, signal.SIGKILL)
        shutil.rmtree(self.path, ignore_errors=True)


def dbus_daemon(folder, *config):
    daemon = subprocess.Popen(["dbus-daemon", *config, "--print-address=1", "--nofork", "--nopidfile",
                               f"--address=unix:dir={folder}"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                              text=True)
    return daemon, daemon.stdout.readline().strip()


def dbus_call(address, destination, path, method, *args):
    result = subprocess.run(["dbus-send", f"--bus={address}", "--print-reply=literal", f"--dest={destination}", path,
                             method, *args], capture_output=True, text=True)
    return result.stdout.strip() if result.returncode == 0 else None


# A run's delay inhibitor and logind's longest delay (the mock's Get logs a GetAll of its own).
HOLDING = ('Inhibit "shutdown" "Tamrel" ', "Get /org/freedesktop/login1 org.freedesktop.login1.Manager.InhibitDelayMaxUSec",
           "GetAll /org/freedesktop/login1 org.freedesktop.login1.Manager")


class PrivateSystemBus:
    def __init__(self, parameters={"CanPowerOff": "yes"}, any_user=False):
        self.dir = tempfile.mkdtemp(prefix="tamrel-bus-")
        self.log = os.path.join(self.dir, "logind.log")
        config = "/usr/share/dbus-1/session.conf"
        if any_user:  # for a program run as another user, whom a session bus refuses
            os.chmod(self.dir, 0o755)
            with open(os.path.join(self.dir, "bus.conf"), "w") as file:
                file.write(f'<busconfig><include>{config}</include>'
                           '<policy context="default"><allow user="*"/></policy></busconfig>')
            config = file.name
        self.daemon, self.address = dbus_daemon(self.dir, f"--config-file={config}")
        env = dict(os.environ, DBUS_SYSTEM_BUS_ADDRESS=self.address)
        self.mock = subprocess.Popen(
            ["/usr/bin/python3", "-m", "dbusmock", "--system", "--template", LOGIND, "-l", self.log, "-p",
             json.dumps(parameters)], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for(lambda: dbus_call(self.address, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                   "org.freedesktop.DBus.NameHasOwner", "string:org.freedesktop.login1")
                 == "boolean true", what="mock logind")

    def _logged(self):
        if not os.path.exists(self.log):
            return []
        with open(self.log) as log:
            return [(float(stamp), call) for stamp, _, call in (line.strip().partition(" ") for line in log) if call]

    def calls(self):
        """What was asked of logind, leaving aside what a run does so that a
        power-off from outside waits for its program (all_calls has it)."""
        return [call for call in self.all_calls() if not call.startswith(HOLDING)]

    def all_calls(self):
        return [call for _, call in self._logged()]

    def call_times(self, name):
        return [stamp for stamp, call in self._logged() if call.split(" ")[0] == name]

    def close(self):
        stop(self.mock)
        stop(self.daemon)
        self.daemon.stdout.close()
        shutil.rmtree(self.dir, ignore_errors=True)


class PrivateDisplay:
    """An Xvfb without a window manager, as on a bare kiosk."""

    def __init__(self, width=1024, height=768, noreset=False):
        self.width, self.height = width, height
        read_end, write_end = os.pipe()
        self.server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24",
             "-nolisten", "tcp", *(["-noreset"] if noreset else [])],
            pass_fds=(write_end,), stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            self.display = ":" + pipe.readline().strip()

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *args], env=dict(os.environ, DISPLAY=self.display),
                              capture_output=True, text=True)

    def close_request(self, window):
        # As a window manager's close button does: there is none here.
        x11 = ctypes.CDLL("libX11.so.6")
        x11.XOpenDisplay.restype = x11.XInternAtom.restype = ctypes.c_void_p
        x11.XInternAtom.argtypes = (ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int)
        x11.XSendEvent.argtypes = (ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p)
        x11.XCloseDisplay.argtypes = (ctypes.c_void_p,)
        connection = x11.XOpenDisplay(self.display.encode())
        # An XClientMessageEvent in the 24 longs of an XEvent.
        event = (ctypes.c_long * 24)(33, 0, 0, 0, int(window), x11.XInternAtom(connection, b"WM_PROTOCOLS", 0), 32,
                                     x11.XInternAtom(connection, b"WM_DELETE_WINDOW", 0))
        x11.XSendEvent(connection, int(window), 0, 0, event)
        x11.XCloseDisplay(connection)

    def screenshot(self, path, crop=None):
        os.makedirs(os.path.dirname(path) or ".", exist_ok=True)
        subprocess.run(["import", "-display", self.display, "-window", "root",
                        *(["-crop", crop, "+repage"] if crop else []), path], check=True)

    def close(self):
        stop(self.server)


def pixel(picture, x, y):
    text = subprocess.run(["convert", picture, "-crop", f"1x1+{x}+{y}", "-depth", "8", "txt:-"],
                          capture_output=True, text=True).stdout
    found = re.search(r"#[0-9A-F]{6}", text)
    return found.group(0) if found else text


class SilentCompositor:
    """A Wayland socket that takes connections and never answers, as a frozen compositor."""

    def __init__(self, path):
        self.socket = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.socket.bind(path)
        self.socket.listen(16)
        self.name = os.path.basename(path)

    def close(self):
        self.socket.close()


def without_wayland_plugin(folder):
    """A command prefix under which Qt's Wayland plugins are missing, as
    without the package qt6-wayland; None where no mount namespace may be made."""
    # This machine's own Qt: other architectures' may be installed beside it.
    found = glob.glob(f"/usr/lib/{sysconfig.get_config_var('MULTIARCH') or '*'}/qt6/plugins/platforms")
    if not found or subprocess.run(["unshare", "--mount", "true"], capture_output=True).returncode != 0:
        return None
    copy = os.path.join(folder, "platforms")
    os.makedirs(copy, exist_ok=True)
    for name in os.listdir(found[0]):
        if "wayland" not in name:
            shutil.copy2(os.path.join(found[0], name), copy)
    return ["unshare", "--mount", "--propagation", "private", "sh", "-c", 'mount --bind "$1" "$2" && shift 2 && exec "$@"',
            "sh", copy, found[0]]


def session_env(home, bus, **extra):
    return {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": home, "XDG_RUNTIME_DIR": home,
            "DBUS_SYSTEM_BUS_ADDRESS": bus.address, "XDG_SESSION_ID": "c7", "LANG": "C.UTF-8", **extra}


def run_tamrel(folder, display, bus, extra_env=None, args=(), prefix=(), stderr=subprocess.DEVNULL):
    """`display`: a PrivateDisplay, or {"WAYLAND_DISPLAY": its socket}. (bench/run.py uses this too.)"""
    env = session_env(folder.path, bus, **(display if isinstance(display, dict) else {"DISPLAY": display.display}))
    return subprocess.Popen([*prefix, folder.exe, *args], cwd="/", env={**env, **(extra_env or {})},
                            stdout=subprocess.DEVNULL, stderr=stderr)


class XInput:
    def key(self, *names):
        self.display.xdotool("key", *names)

    def click(self, x, y, button=1):
        self.display.xdotool("mousemove", str(x), str(y), "click", str(button))


class LinuxDriver(XInput):
    """The runtime folder, with the marker file, is the program folder."""

    keys = {"OK": "Return", "Yes": "Return", "Cancel": "Escape", "No": "Escape"}

    def __init__(self, test, any_user=False):
        self.own_display = test.own_display
        self.display = PrivateDisplay() if self.own_display else test.display
        self.bus = PrivateSystemBus(any_user=any_user)
        self.folder = ProgramFolder(TAMREL)
        self.marker = self.marker_logged = self.folder.file("holdmark.tes")
        self.markers_logged = [self.marker_logged]
        self.processes = []

    def use_logind(self, parameters):
        """A logind of other answers in place of the one that says yes."""
        self.bus.close()
        self.bus = PrivateSystemBus(parameters)
        return self.bus

    def start(self, extra_env=None, args=(), prefix=(), display=None):
        with open(self.folder.file("said.txt"), "a") as said:
            process = run_tamrel(self.folder, display or self.display, self.bus, extra_env, args, prefix, said)
        self.processes.append(process)
        return process

    def said(self):
        with open(self.folder.file("said.txt"), errors="replace") as said:
            return said.read()

    def wait_end(self, process, timeout=20):
        return process.wait(timeout)

    def windows_of(self, pid):
        return self.display.xdotool("search", "--onlyvisible", "--pid", str(pid)).stdout.split()

    def screen_shown(self, process):
        return bool(self.windows_of(process.pid))

    def screen(self, process, timeout=10):
        """Waits for the screen of the process (or id) to have the focus; its size."""
        pid = getattr(process, "pid", process)
        window = wait_for(lambda: self.windows_of(pid), timeout, what="the shutdown screen")[0]
        wait_for(lambda: self.display.xdotool("getwindowfocus").stdout.strip() in self.windows_of(pid),
                 timeout, what="the shutdown screen's focus")
        shape = dict(line.split("=", 1) for line in
                     self.display.xdotool("getwindowgeometry", "--shell", window).stdout.split())
        return f"{shape.get('WIDTH')}x{shape.get('HEIGHT')}"

    def let_screen_take_input(self):
        # The screen drops input until its countdown runs, just after it took the focus.
        time.sleep(0.3)

    def box(self, title, press, prompt=None, buttons=None, timeout=10):
        """Presses the box's button by its key; the prompt is not readable here."""
        wait_for(lambda: self.display.xdotool("search", "--onlyvisible", "--name", f"^{re.escape(title)}$").stdout,
                 timeout, what=f"the box {title!r}")
        self.key(self.keys[press])

    def close(self):
        for process in self.processes:
            kill(process)
        if self.processes and self.said():  # ctest shows it when the test fails
            print(f"tamrel said: {self.said()}", file=sys.stderr)
        self.folder.close()
        self.bus.close()
        if self.own_display:
            self.display.close()


class ProgramTest(unittest.TestCase):
    """On Linux also a mock logind, and a display of its own unless the class shares one."""

    own_display = True

    def make_driver(self):
        if WINE:
            from winedriver import WineDriver  # tests/wine, on PYTHONPATH
            return WineDriver(self)
        return LinuxDriver(self)

    def setUp(self):
        self.driver = self.make_driver()
        self.addCleanup(self.driver.close)
        self.folder = self.driver.folder
        if not WINE:
            self.display, self.bus = self.driver.display, self.driver.bus

    def screenshot(self, name, crop=None):
        if SCREENSHOTS:
            self.driver.display.screenshot(os.path.join(SCREENSHOTS, name), crop)

    def assert_still_running(self, process, why):
        # A key or click is handled at once: a second is ample for a wrong one to show.
        time.sleep(1)
        self.assertIsNone(process.poll(), why)

    def expect_screen_after(self, process, started="started.txt", ended="ended.txt"):
        """No window while the front end runs; then the screen, covering the display."""
        wait_for(lambda: os.path.exists(self.folder.file(started)), 30, what="the front end's start")
        self.assertFalse(self.driver.screen_shown(process), "a tamrel window is up while the front end runs")
        size = self.driver.screen(process)
        self.assertTrue(os.path.exists(self.folder.file(ended)), "the shutdown screen came before the front end ended")
        self.assertEqual(size, "1024x768", "the shutdown screen does not cover the display")

    def stopped_at(self, text, low, high, log="talog1.txt"):
        """The N of the last "TEXT N seconds.", which must lie from low to high."""
        seconds = [int(m.group(1)) for m in (re.fullmatch(re.escape(text) + r" (-?\d+) seconds\.", line)
                                             for line in self.folder.events(log)) if m]
        self.assertTrue(seconds and low <= seconds[-1] <= high, f"{text} {seconds} in {self.folder.events(log)}")
        return seconds[-1]

    def expect_whole_run(self, program, *last):
        """The event log's launch, marker, the settings as the screen logs them, then `last`; no error."""
        lines = [line for line in self.folder.lines("tamrel.set") if not line.startswith(("#", "Run Setup", "Prog"))]
        # The run reads the idle and closing-time lines before its wait, with a shutdown method.
        idle = [line for line in lines if line.startswith(("Idle minutes", "Power off at"))]
        settings = [line for line in lines if line not in idle]
        method = next((line.split("=", 1)[1].strip() for line in lines if line.startswith("Shutdown method")), "0")
        if method in ("", "0"):
            idle = []
        self.assertEqual(self.folder.events(), [
            "Tamrel started.", "In Tamrel.set, Run Setup = no", f"Launching program: {program}",
            f"Path to the program: {self.folder.dir}", *("In Tamrel.set, " + line for line in idle),
            f"Program ({program}) finished!",
            "Program ended with exit status 0 after ...",
            *(f"{marker} not found." for marker in self.driver.markers_logged),
            *("In Tamrel.set, " + line for line in settings), *last])
        self.assertEqual(self.folder.errors(), [])

    def cancel_and_expect_end(self, process, program):
        self.driver.let_screen_take_input()
        self.driver.key("Escape")
        self.driver.wait_end(process)
        events = self.folder.events()
        self.assertIn(f"Program ({program}) finished!", events)
        self.assertEqual(events[-1:], ["Tamrel ended."], "the run did not end after the cancel")
        self.assertEqual(self.folder.errors(), [])
