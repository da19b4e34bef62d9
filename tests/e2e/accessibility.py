"""Driving the real program as an assistive technology does, through AT-SPI
on a private session bus; under Wine winedriver.WineUi has the same words, so
that a case in setup mode is written once for both builds."""

import contextlib
import importlib.util
import os
import re
import shutil
import signal
import subprocess
import tempfile
import unittest

from harness import WINE, PrivateDisplay, ProgramTest, dbus_call, dbus_daemon, kill, stop, wait_for
from test_run import NOT_FOUND

AT_SPI_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"  # the one that has python3-dbusmock
SETUP_CAPTION = "The Tamrel (V1.10)........ SetUp Mode"
# The captions and switches that differ between the builds.
POWER_OFF = "Shutdown" if WINE else "Power off"
AUTOSTART = "Start Tamrel when Windows starts" if WINE else "Start Tamrel when the desktop session starts"
SETUP_SWITCH = "/setup" if WINE else "--setup"
pyatspi = None  # imported once the session bus it must use exists


class AccessibilityBus:
    """A private session bus with the AT-SPI bus launcher on it, as a desktop has."""

    def __init__(self, display):
        self.dir = tempfile.mkdtemp(prefix="tamrel-a11y-")
        self.session, self.address = dbus_daemon(self.dir, "--session")
        # HOME and the runtime folder hold the AT-SPI bus's socket.
        env = {"DBUS_SESSION_BUS_ADDRESS": self.address, "DISPLAY": display.display, "HOME": self.dir,
               "XDG_RUNTIME_DIR": self.dir, "PATH": os.environ.get("PATH", "/usr/bin:/bin")}
        # A group of its own: the launcher starts the AT-SPI bus as its child.
        self.launcher = subprocess.Popen([AT_SPI_LAUNCHER, "--launch-immediately"], env=env, stdout=subprocess.DEVNULL,
                                         stderr=subprocess.DEVNULL, start_new_session=True)
        self.a11y_address = wait_for(lambda: dbus_call(self.address, "org.a11y.Bus", "/org/a11y/bus",
                                                       "org.a11y.Bus.GetAddress"), what="the AT-SPI bus")
        self.calls = []

    def do_action(self, bus_name, path, index):
        """Starts an action: one opening a modal dialog replies only when it closed,
        and Qt drops a call asking for no reply. The call's end tells it has run."""
        self.calls.append(subprocess.Popen(
            ["dbus-send", f"--bus={self.a11y_address}", "--print-reply", "--reply-timeout=120000",
             f"--dest={bus_name}", path, "org.a11y.atspi.Action.DoAction", f"int32:{index}"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        return self.calls[-1]

    def close(self):
        for call in self.calls:
            kill(call)
        stop(self.launcher)
        with contextlib.suppress(ProcessLookupError):  # the AT-SPI bus it started
            os.killpg(self.launcher.pid, signal.SIGKILL)
        stop(self.session)
        self.session.stdout.close()
        shutil.rmtree(self.dir, ignore_errors=True)


def settle():
    """Takes in the events that keep the library's view of the program up to date."""
    from gi.repository import GLib
    context = GLib.MainContext.default()
    while context.iteration(False):
        pass


def tree(node):
    yield node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from tree(child)


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


class Driver:
    setup = SETUP_CAPTION  # the setup window's title, which shows the program once one is chosen

    def __init__(self, a11y, display, process):
        self.a11y, self.display, self.process = a11y, display, process
        self.app = wait_for(self._app, what="tamrel on the AT-SPI bus")

    def _app(self):
        if self.process.poll() is not None:
            raise AssertionError("tamrel ended early")
        settle()
        return next((app for app in pyatspi.Registry.getDesktop(0)
                     if app is not None and app.get_process_id() == self.process.pid), None)

    def nodes(self, root=None):
        settle()
        root = root or self.app
        root.clear_cache()
        yield from tree(root)

    def match(self, role, name, shown=True, within=None):
        for node in self.nodes(within):
            try:
                if role in (None, node.getRoleName()) and name in (None, node.name) and (not shown or showing(node)):
                    return node
            except Exception:  # a widget that went away while looked at
                continue

    def find(self, role, name, showing=True, within=None):
        return wait_for(lambda: self.match(role, name, showing, within), 10, 0.05, f"{role} '{name}'",
                        lambda: "the program shows:\n" + "\n".join(f"{node.getRoleName()} '{node.name}'"
                                                                   for node in list(tree(self.app))[:200]))

    def wait_gone(self, name, role=None):
        wait_for(lambda: self.match(role, name) is None, 10, 0.05, f"{role} '{name}' to go")

    def press(self, node):
        action = node.queryAction()
        index = next(i for i in range(action.nActions) if action.getName(i).lower() in ("press", "click", "activate"))
        return self.a11y.do_action(node.app.bus_name, node.path, index)

    def enabled(self, caption):
        return self.find("menu item", caption, showing=False).getState().contains(pyatspi.STATE_ENABLED)

    def choose(self, *path):
        """Chooses a menu item through its menus, which must be enabled: the
        accessibility layer would reach an item of a disabled menu too."""
        for caption in path[:-1]:
            if not self.enabled(caption):
                raise AssertionError(f"menu '{caption}' is disabled")
        self.press(self.find("menu item", path[-1], showing=False))

    def window(self, title):
        search = ["search", "--onlyvisible", "--pid", str(self.process.pid), "--all", "--name", f"^{re.escape(title)}$"]
        return wait_for(lambda: self.display.xdotool(*search).stdout.split(), what=f"tamrel's window {title}")[0]

    def close_request(self, title):
        self.display.close_request(self.window(title))

    # The words of the cases both builds share; winedriver.WineUi has them too.
    def wait_shown(self, name):
        return self.find(None, name)

    def wait_menu_item(self, caption):
        self.find("menu item", caption, showing=False)

    def press_button(self, window, caption):
        """Presses a button that opens no modal window, and waits until it has."""
        self.press(self.find("push button", caption, within=self.find(None, window))).wait(10)

    def answer_box(self, title, button):
        box = self.find("alert", title)
        said = "\n".join(node.name for node in tree(box))
        self.press(self.find("push button", button, within=box))
        return said

    def type(self, text):
        self.key(self.setup, *text)

    def open_file(self, path, *menu_path):
        self.choose(*menu_path)
        dialog = self.find("dialog", None)
        name_field = next(n for n in tree(dialog) if n.getRoleName() == "text" and showing(n) and
                          n.getState().contains(pyatspi.STATE_EDITABLE))
        name_field.queryEditableText().setTextContents(path)
        self.press(next(n for n in tree(dialog) if n.getRoleName() == "push button" and n.name == "Open"))
        self.wait_gone(None, "dialog")

    def click_label(self, caption):
        x, y, width, height = self.find("label", caption).queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        self.display.xdotool("mousemove", str(x + width // 2), str(y + height // 2), "click", "1")

    def place(self, label):
        return tuple(self.find("label", label).queryComponent().getExtents(pyatspi.DESKTOP_COORDS)[:2])

    def windows(self, prefix):
        titles = []
        self.app.clear_cache()
        for node in self.app:  # the windows are the application's children
            try:
                if node.name.startswith(prefix) and showing(node):
                    titles.append(node.name)
            except Exception:  # one that went away while looked at
                continue
        return sorted(titles)

    def labels(self, window):
        return [node.name for node in self.nodes(self.find(None, window)) if node.getRoleName() == "label"]

    def text(self, window):
        return self.find("text", None, within=self.find(None, window)).queryText().getText(0, -1)

    def area(self, window):
        x, y, width, height = self.find(None, window).queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return f"{width}x{height}+{x}+{y}"

    def off_screen(self, name):
        outside = []
        for node in self.nodes(self.find(None, name)):
            if showing(node):
                x, y, width, height = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                if x < 0 or y < 0 or x + width > self.display.width or y + height > self.display.height:
                    outside.append(f"{node.getRoleName()} '{node.name}' at {x},{y} {width}x{height}")
        return outside

    def key(self, title, *keys):
        window = self.window(title)
        for step in (("windowfocus", "--sync", window), ("key", "--delay", "150", *keys)):
            result = self.display.xdotool(*step)
            if result.returncode != 0:
                raise AssertionError(f"xdotool {' '.join(step)}: {result.stderr}")


class AccessibleProgramTest(ProgramTest):
    """The program on a display as large as `screen`: on Linux the class's,
    with its AT-SPI bus; under Wine Wine's own desktop of that size."""

    own_display = False  # the class's, which its AT-SPI bus serves
    screen = (1024, 768)
    noreset = False  # the server keeps its idle state when its last client leaves

    @classmethod
    def setUpClass(cls):
        global pyatspi
        if WINE:
            return
        if not os.path.exists(AT_SPI_LAUNCHER) or not importlib.util.find_spec("pyatspi"):
            raise unittest.SkipTest("at-spi2-core or python3-pyatspi is not installed")
        cls.display = PrivateDisplay(*cls.screen, noreset=cls.noreset)
        cls.a11y = AccessibilityBus(cls.display)
        os.environ.pop("AT_SPI_BUS_ADDRESS", None)
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = cls.a11y.address
        os.environ["DISPLAY"] = cls.display.display
        pyatspi = importlib.import_module("pyatspi")

    @classmethod
    def tearDownClass(cls):
        if WINE:
            return
        cls.a11y.close()
        cls.display.close()

    def start_accessible(self, args=()):
        if WINE:
            from winedriver import WineUi
            width, height = self.screen
            self.driver.virtual_desktop(True, f"{width}x{height}")
            return self.driver.start(args=args), WineUi(self.driver, self.screen)
        env = {"DBUS_SESSION_BUS_ADDRESS": self.a11y.address, "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"}
        process = self.driver.start(extra_env=env, args=args)
        return process, Driver(self.a11y, self.display, process)

    def start_without_settings(self):
        process, ui = self.start_accessible()
        self.driver.box("Tamrel.set not found!", "OK", NOT_FOUND, "OK,Cancel")
        ui.wait_shown(SETUP_CAPTION)
        return process, ui
