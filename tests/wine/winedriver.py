"""The Wine driver of harness.py: the Windows build on a private X display in the
fresh prefix scripts/test-windows.sh makes (TAMREL_E2E_PREFIX), as the tests end its session;
boxdriver.exe drives the windows from inside, sleeper.exe is a front end."""

import atexit
import functools
import os
import shutil
import subprocess
import tempfile

from accessibility import SETUP_CAPTION
from harness import TAMREL, PrivateDisplay, ProgramFolder, XInput, stop, wait_for

BOXDRIVER = os.environ.get("TAMREL_BOXDRIVER", "build-win64/tests/wine/boxdriver.exe")
SLEEPER = os.environ.get("TAMREL_SLEEPER", "build-win64/tests/wine/sleeper.exe")


def winpath(path):
    return "Z:" + path.replace("/", "\\")


@functools.cache  # the display and prefix every test shares: Wine's server outlives a test
class WineSession:
    def __init__(self):
        self.display = PrivateDisplay()
        self.root = tempfile.mkdtemp(prefix="tamrel-wine-")
        self.prefix = os.environ["TAMREL_E2E_PREFIX"]
        self.env = dict(os.environ, DISPLAY=self.display.display, WINEPREFIX=self.prefix, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=", LC_ALL="C")
        self.idle()
        self.folders = 0
        atexit.register(self.close)

    def idle(self):
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=60, check=True)

    def close(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL, timeout=20)
        self.display.close()
        shutil.rmtree(self.root, ignore_errors=True)


class WineFolder(ProgramFolder):
    front_end = "front.bat"

    def __init__(self, session, name):
        session.folders += 1
        super().__init__(TAMREL, session.root, f"{session.folders:02d}-{name}")
        shutil.copy2(SLEEPER, self.file("sleeper.exe"))
        self.dir = winpath(self.path) + "\\"

    def write_front_end(self, seconds=0.2, argument=None, last=""):
        """The sleeper (for %1 ms with argument "%1") between started.txt and ended.txt."""
        self.write(self.front_end, ["@echo off", "echo started> started.txt",
                                    f"sleeper.exe {argument or int(seconds * 1000)}", "echo done> ended.txt", last])
        return self.front_end


class WineDriver(XInput):
    def __init__(self, test):
        self.session = WineSession()
        self.display = self.session.display
        self.test = test
        self.folder = WineFolder(self.session, test.id().rsplit(".", 1)[-1].removeprefix("test_"))
        self.marker = os.path.join(self.session.prefix, "drive_c", "holdmark.tes")
        self.marker_logged = "c:\\holdmark.tes"
        # Then the one a user who may not write to the root of C: makes.
        self.markers_logged = [self.marker_logged, self.folder.dir + "holdmark.tes"]
        self.processes = []
        self.desktop = False

    def start(self, folder=None, extra_env=None, args=(), seconds=90):
        """tamrel.exe, ended after `seconds`."""
        folder = folder or self.folder
        with open(folder.file("wine.out"), "wb") as output:
            exe = os.path.basename(folder.exe)
            process = subprocess.Popen(["timeout", "-k", "5", str(seconds), "wine", exe, *args], cwd=folder.path,
                                       env=dict(self.session.env, **(extra_env or {})), stdout=output,
                                       stderr=subprocess.STDOUT)
        self.processes.append(process)
        return process

    def wait_end(self, process):
        self.test.assertEqual(process.wait(), 0, "tamrel.exe ended with this status (124: killed after its time limit)")

    def run(self, *args):
        """boxdriver's output, in a file: a Wine server it started would hold a pipe."""
        with tempfile.TemporaryFile() as output:
            result = subprocess.run(["timeout", "60", "wine", BOXDRIVER, *args], env=self.session.env,
                                    stdout=output, stderr=subprocess.DEVNULL)
            output.seek(0)
            seen = output.read().decode("latin-1").replace("\r", "").rstrip("\n")
        return seen, result.returncode == 0

    def step(self, *args):
        seen, ok = self.run(*args)
        self.test.assertTrue(ok, f"boxdriver {' '.join(args)}: {seen}")
        return seen

    def screen_shown(self, process):
        return not self.run("absent", "TamrelWindow")[1]

    def screen(self, process, timeout=30):
        return self.step("window", "TamrelWindow", "appear", str(timeout * 1000)).removeprefix("window: ")

    def let_screen_take_input(self):
        """Waits for the countdown to count: the screen drops keys and clicks until then."""
        def numbers():
            return [int(text) for text in self.run("labels", "")[0].split("\n") if text.isdigit()]
        first = wait_for(numbers, 10, 0.1, "the countdown")
        wait_for(lambda: min(numbers() or first) < min(first), 5, 0.1, "the countdown to count")

    def box(self, title, press, prompt=None, buttons=None, timeout=30):
        """Answers the next box so titled; checks its prompt (CR LF as \\r \\n) and buttons if given."""
        seen = self.step("box", title, press, str(timeout * 1000))
        if prompt is not None:
            self.test.assertEqual(seen, f"title: {title}\nprompt: {prompt}\nbuttons: {buttons}\nicon: none")
        return seen

    def virtual_desktop(self, on, size="1024x768"):
        """Wine's own desktop, where windows have frames and can be maximised
        (there is no window manager); switched while no Wine process runs."""
        self.session.idle()
        self.desktop = on
        for key, value, data in (("Explorer\\Desktops", "Default", size), ("Explorer", "Desktop", "Default")):
            key = "HKCU\\Software\\Wine\\" + key
            change = ["add", key, "/v", value, "/d", data] if on else ["delete", key, "/v", value]
            subprocess.run(["wine", "reg", *change, "/f"], env=self.session.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=60)
        self.session.idle()
        if not on:
            # The desktop's window took the X focus with it; the root window
            # passes keys to the one under the pointer again.
            root = self.display.xdotool("search", "--maxdepth", "0", "--name", "").stdout.split()[0]
            self.display.xdotool("windowfocus", root)

    def close(self):
        for process in self.processes:
            stop(process)  # timeout passes it on to Wine
        if os.path.exists(self.marker):
            os.remove(self.marker)
        try:
            if self.desktop:
                self.virtual_desktop(False)
            self.session.idle()
        except subprocess.TimeoutExpired:
            # All of the test prefix's, so the next test starts clean.
            subprocess.run(["wineserver", "-k"], env=self.session.env, timeout=20)
            raise AssertionError("Wine processes were still running after the test") from None


class WineUi:
    def __init__(self, driver, screen=(1024, 768)):
        self.driver, self.step, self.setup = driver, driver.step, SETUP_CAPTION
        self.width, self.height = screen

    def places(self):
        """Each window's title and place as WxH+X+Y, the one in front first."""
        return {line.split(" ", 4)[4]: "{2}x{3}+{0}+{1}".format(*line.split(" ")) for line
                in self.step("windows", "TamrelWindow").split("\n") if line.count(" ") >= 4}

    def titles(self):
        return list(self.places())

    def windows(self, prefix):
        return sorted(title for title in self.titles() if title.startswith(prefix))

    def area(self, window):
        return self.places()[window]

    def controls(self, window, kind):
        return [line.split("|", 1)[1] for line in self.step("controls", window).split("\n")
                if line.startswith(kind + "|")]

    def labels(self, window):
        return self.controls(window, "Static")

    def text(self, window):
        return self.controls(window, "Edit")[0].replace("\\r\\n", "\n")

    def key(self, window, *keys):
        """Into the window in front, which has the focus."""
        self.driver.key("--delay", "150", *keys)

    def shown(self, name):
        return name in self.titles() or any(line.split("|", 1)[-1] == name
                                            for line in self.step("controls", self.setup).split("\n"))

    def wait_shown(self, name):
        wait_for(lambda: self.shown(name), 20, 0.1, f"{name!r} shown")

    def wait_gone(self, name):
        wait_for(lambda: not self.shown(name), 10, 0.1, f"{name!r} to go")

    def choose(self, *path):
        self.step("menu", self.setup, *path)

    def menu_items(self):
        """The setup window's menu items, a disabled one ending " [grey]"."""
        return [line.strip() for line in self.step("menus", self.setup).split("\n")]

    def wait_menu_item(self, caption):
        wait_for(lambda: caption in self.menu_items(), 10, 0.1, f"the menu item {caption!r}", self.menu_items)

    def enabled(self, caption):
        return caption in self.menu_items()

    def open_file(self, path, *menu_path):
        """Enters the path in the Open dialog the item opens; the dialog's filter."""
        self.choose(*menu_path)
        return self.step("open", path)

    def click_label(self, caption):
        self.step("click", self.setup, caption)

    def place(self, label):
        return tuple(map(int, self.step("label", self.setup, label).split()[:2]))

    def type(self, text):
        for char in text:  # as characters, to the setup window whether or not it has the focus
            self.step("key", self.setup, str(ord(char)))

    def off_screen(self, name):
        """The visible controls of the window or control so named not wholly on the screen."""
        within = (name,) if name in self.titles() else (self.setup, name)
        return [line for line in self.step("rects", *within).split("\n") if line and (
            lambda x, y, w, h: x < 0 or y < 0 or x + w > self.width or y + h > self.height)(
                *map(int, line.split(" ")[:4]))]

    def press_button(self, window, caption):
        self.step("press", window, caption)

    def answer_box(self, title, button):
        return self.driver.box(title, button)

    def close_request(self, title):
        self.step("close", title)
