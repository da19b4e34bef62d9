"""Shared pieces of the end-to-end tests: a private system bus with a mock
logind, a private X server, and a program folder holding a copy of tamrel.

Nothing here may reach the machine's own logind: every process started by
these tests gets DBUS_SYSTEM_BUS_ADDRESS pointing at the private bus.
"""

import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

PYTHON = "/usr/bin/python3"
AT_SPI_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"  # the one that has python3-dbusmock


def wait_for(condition, timeout=10.0, step=0.02, what="condition"):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(step)
    raise AssertionError(f"timed out waiting for {what}")


class PrivateSystemBus:
    """A dbus-daemon of our own with python-dbusmock's logind template on it."""

    def __init__(self, parameters=None):
        self.dir = tempfile.mkdtemp(prefix="tamrel-bus-")
        self.log = os.path.join(self.dir, "logind.log")
        self.daemon = subprocess.Popen(
            ["dbus-daemon", "--config-file=/usr/share/dbus-1/session.conf",
             "--print-address=1", "--nofork", "--nopidfile",
             f"--address=unix:dir={self.dir}"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.address = self.daemon.stdout.readline().strip()
        env = dict(os.environ, DBUS_SYSTEM_BUS_ADDRESS=self.address)
        self.mock = subprocess.Popen(
            [PYTHON, "-m", "dbusmock", "--system", "--template", "logind",
             "-l", self.log, "-p", json.dumps(parameters or {})],
            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for(self._logind_up, what="mock logind")

    def _logind_up(self):
        result = subprocess.run(
            ["dbus-send", f"--bus={self.address}", "--print-reply",
             "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
             "org.freedesktop.DBus.NameHasOwner", "string:org.freedesktop.login1"],
            capture_output=True, text=True)
        return "boolean true" in result.stdout

    def calls(self):
        """The logind methods called so far, as 'Name args' texts."""
        if not os.path.exists(self.log):
            return []
        calls = []
        with open(self.log) as log:
            for line in log:
                parts = line.strip().split(" ", 1)
                if len(parts) == 2:
                    calls.append(parts[1])
        return calls

    def call_times(self, name):
        """Wall-clock times (seconds) of the calls of one method."""
        times = []
        if os.path.exists(self.log):
            with open(self.log) as log:
                for line in log:
                    stamp, _, rest = line.strip().partition(" ")
                    if rest.split(" ")[0] == name:
                        times.append(float(stamp))
        return times

    def close(self):
        for process in (self.mock, self.daemon):
            process.terminate()
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()
        self.daemon.stdout.close()
        shutil.rmtree(self.dir, ignore_errors=True)


class PrivateDisplay:
    """An Xvfb without a window manager, as on a bare kiosk."""

    def __init__(self, width=1024, height=768):
        self.width, self.height = width, height
        read_end, write_end = os.pipe()
        self.server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24",
             "-nolisten", "tcp"],
            pass_fds=(write_end,), stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            self.display = ":" + pipe.readline().strip()

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *args], env=dict(os.environ, DISPLAY=self.display),
                              capture_output=True, text=True)

    def screenshot(self, path):
        subprocess.run(["import", "-display", self.display, "-window", "root", path], check=True)

    def close(self):
        self.server.terminate()
        try:
            self.server.wait(5)
        except subprocess.TimeoutExpired:
            self.server.kill()


class AccessibilityBus:
    """A private session bus with the AT-SPI bus launcher on it, as a desktop
    session has, so that a test can read and drive the program's widgets."""

    def __init__(self, display):
        self.dir = tempfile.mkdtemp(prefix="tamrel-a11y-")
        self.session = subprocess.Popen(
            ["dbus-daemon", "--session", "--print-address=1", "--nofork", "--nopidfile",
             f"--address=unix:dir={self.dir}"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.address = self.session.stdout.readline().strip()
        # HOME and the runtime folder hold the AT-SPI bus's socket.
        self.env = {"DBUS_SESSION_BUS_ADDRESS": self.address, "DISPLAY": display.display,
                    "HOME": self.dir, "XDG_RUNTIME_DIR": self.dir,
                    "PATH": os.environ.get("PATH", "/usr/bin:/bin")}
        # A group of its own: the launcher starts the AT-SPI bus as its child.
        self.launcher = subprocess.Popen(
            [AT_SPI_LAUNCHER, "--launch-immediately"], env=self.env,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        self.a11y_address = wait_for(self._a11y_address, what="the AT-SPI bus")
        self.calls = []

    def _a11y_address(self):
        result = subprocess.run(
            ["dbus-send", f"--bus={self.address}", "--print-reply=literal", "--dest=org.a11y.Bus",
             "/org/a11y/bus", "org.a11y.Bus.GetAddress"], capture_output=True, text=True)
        return result.stdout.strip() if result.returncode == 0 else None

    def bus_name_of(self, pid):
        """The unique name the process with this id has on the AT-SPI bus."""
        names = subprocess.run(
            ["dbus-send", f"--bus={self.a11y_address}", "--print-reply=literal",
             "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus.ListNames"],
            capture_output=True, text=True).stdout.split()
        for name in (n for n in names if n.startswith(":")):
            owner = subprocess.run(
                ["dbus-send", f"--bus={self.a11y_address}", "--print-reply=literal",
                 "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
                 "org.freedesktop.DBus.GetConnectionUnixProcessID", f"string:{name}"],
                capture_output=True, text=True).stdout.split()
            if owner and owner[-1] == str(pid):
                return name
        return None

    def do_action(self, bus_name, path, index):
        """Starts an action without waiting for its reply: one that opens a
        modal dialog answers only when the dialog has closed. (A call that
        asks for no reply at all is dropped by Qt.) Returns the call, whose
        end tells that the action has run."""
        self.calls.append(subprocess.Popen(
            ["dbus-send", f"--bus={self.a11y_address}", "--print-reply", "--reply-timeout=120000",
             f"--dest={bus_name}", path, "org.a11y.atspi.Action.DoAction", f"int32:{index}"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        return self.calls[-1]

    def close(self):
        for call in self.calls:
            kill(call)
        self.launcher.terminate()
        try:
            self.launcher.wait(5)
        except subprocess.TimeoutExpired:
            pass
        try:
            os.killpg(self.launcher.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        self.launcher.wait()
        self.session.terminate()
        self.session.wait()
        self.session.stdout.close()
        shutil.rmtree(self.dir, ignore_errors=True)


CRLF = "\r\n"

SETTINGS = {
    "Run Setup": "Run Setup = no",
    "Shutdown method": "Shutdown method =1",
    "Seconds to cancel": "Seconds to cancel =25",
    "Key to cancel": "Key to cancel =27",
    "Key to re-start": "Key to re-start =0",
    "Countdown box X position": "Countdown box X position = 0",
    "Countdown box Y position": "Countdown box Y position = 0",
    "Countdown box font": "Countdown box font =arial",
    "Countdown box italic": "Countdown box italic =False",
    "Countdown box fontsize": "Countdown box fontsize =20",
    "Countdown box bold font": "Countdown box bold font =False",
    "Countdown box color": "Countdown box color = 0",
    "Skin": "Skin =use default",
}


class ProgramFolder:
    """A folder holding a copy of tamrel, its settings and a front end."""

    def __init__(self, tamrel):
        self.path = tempfile.mkdtemp(prefix="tamrel-e2e-")
        self.exe = os.path.join(self.path, "tamrel")
        shutil.copy2(tamrel, self.exe)

    def file(self, name):
        return os.path.join(self.path, name)

    def write_front_end(self, seconds=0.2, name="front.sh"):
        """A front end that sleeps, then notes the wall-clock time it ended."""
        path = self.file(name)
        with open(path, "w") as script:
            script.write(f"#!/bin/sh\nsleep {seconds}\ndate +%s.%N > ended.txt\n")
        os.chmod(path, 0o755)
        return path

    def write_settings(self, values=None):
        """A complete settings file with some values changed ({"Skin": "x.bmp"});
        a value of None leaves the line out."""
        lines = dict(SETTINGS)
        for key, value in (values or {}).items():
            lines[key] = f"{key} ={value}" if value is not None else None
        front_end = self.file("front.sh")
        if not os.path.exists(front_end):
            self.write_front_end()
        program = lines.pop("Program", None) or f"Program ={front_end}"
        text = [lines.pop("Run Setup"), program] + [v for v in lines.values() if v is not None]
        with open(self.file("tamrel.set"), "w", newline="") as settings:
            settings.write(CRLF.join(text) + CRLF)

    def lines(self, name):
        path = self.file(name)
        if not os.path.exists(path):
            return []
        with open(path, newline="") as log:
            return log.read().split(CRLF)[:-1]

    def events(self, name="talog1.txt"):
        """Event texts after ' --- ', header left out."""
        return [line.split(" --- ", 1)[1] for line in self.lines(name) if " --- " in line]

    def close(self):
        subprocess.run(["pkill", "-KILL", "-f", self.exe], capture_output=True)
        shutil.rmtree(self.path, ignore_errors=True)


def run_tamrel(folder, display, bus, prefix=(), extra_env=None):
    """`prefix`: a command that runs tamrel, such as setpriv for another user."""
    env = {
        "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
        "HOME": folder.path,
        "DISPLAY": display.display,
        "DBUS_SYSTEM_BUS_ADDRESS": bus.address,
        "XDG_SESSION_ID": "c7",
        "XDG_RUNTIME_DIR": folder.path,
        "LANG": "C.UTF-8",
        **(extra_env or {}),
    }
    return subprocess.Popen([*prefix, folder.exe], cwd="/", env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)


def kill(process):
    if process.poll() is None:
        process.send_signal(signal.SIGKILL)
        process.wait()


TAMREL = os.environ.get("TAMREL_EXE", "build/tamrel")


class ProgramTest(unittest.TestCase):
    """Each test gets a mock logind and a program folder holding tamrel, and
    its own display unless the class shares one (own_display False)."""

    own_display = True

    def setUp(self):
        if self.own_display:
            self.display = PrivateDisplay()
        self.bus = PrivateSystemBus({"CanPowerOff": "yes"})
        self.folder = ProgramFolder(TAMREL)
        self.processes = []

    def tearDown(self):
        for process in self.processes:
            kill(process)
            if process.stderr:
                # What is there now: a re-started tamrel or its program may
                # still hold the pipe.
                os.set_blocking(process.stderr.fileno(), False)
                try:
                    said = os.read(process.stderr.fileno(), 65536).decode(errors="replace")
                except BlockingIOError:
                    said = ""
                process.stderr.close()
                if said:  # ctest shows it when the test fails
                    print(f"tamrel said: {said}", file=sys.stderr)
        self.folder.close()
        self.bus.close()
        if self.own_display:
            self.display.close()

    def start(self, prefix=(), extra_env=None):
        process = run_tamrel(self.folder, self.display, self.bus, prefix, extra_env)
        self.processes.append(process)
        return process
