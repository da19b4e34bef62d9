"""The installed package on a real Debian 12 cabinet (Xorg, openbox, logind,
polkit): set up by the machine's keyboard, started by its autostart entry,
and the machine really powers off, or really stays on. Each scenario is a
fresh boot on an overlay of the disk the setup boot left."""

import os
import re
import time
import unittest

import pictures
from machine import HOME, SETTINGS, STATE, Machine

IMAGE = os.environ.get("TAMREL_MACHINE_IMAGE", "")
RUNS = os.environ.get("TAMREL_MACHINE_RUNS", "build/machine/runs")
DOCS = os.environ.get("TAMREL_MACHINE_DOCS")  # where to keep the screen pictures, when given
FRONT_END = HOME + "/frontend.sh"
BOOT = 300  # to the session, under TCG on a loaded machine
COUNTDOWN = 5
measured = []  # (what, seconds) for the table at the end
setup_disk = None


def setUpModule():
    """The first boot: setup driven by the machine's keyboard alone writes the
    settings and the autostart entry; the later boots start from its disk."""
    global setup_disk
    if not os.path.isfile(os.path.join(IMAGE, "rootfs.img")):
        raise unittest.SkipTest("TAMREL_MACHINE_IMAGE names no image (scripts/test-machine.sh builds one)")
    machine = Machine(IMAGE, "setup", RUNS, start="tamrel").start()
    try:
        machine.wait_line(r"^LAB ACTIVE .*Tamrel.set not found!", BOOT)
        machine.keys("ret")  # OK: run setup
        machine.wait_line(r"^LAB ACTIVE .*SetUp Mode$", 60)
        time.sleep(2)
        choose(machine, "Program", ["down", "right", "down", "ret"], r"^LAB ACTIVE .* Open$")
        mark = len(machine.lines)
        machine.type_text(FRONT_END + "\n", gap=0.15)
        # Back in the setup window (whose title then shows the program; the
        # settings file says whether it was taken).
        machine.wait_line(r"^LAB ACTIVE \S+ (?!Open$)", 60, after=mark)
        time.sleep(2)
        choose(machine, "Power off", ["down", "down", "right", "down", "down", "ret"])
        choose(machine, "5 Seconds", ["down"] * 5 + ["right", "ret"])
        choose(machine, "Shortest run: Off", ["down"] * 6 + ["right", "ret"])
        # Below Shortest run: Power off when idle, then the autostart item.
        choose(machine, "Autostart", ["down"] * 8 + ["ret"])
        machine.screendump("setup-chosen")
        choose(machine, "Done!", ["down"] * 9 + ["ret"])
        machine.wait_line(r"^LOG .*Tamrel ended\.", 60)
        machine.power_button()
        machine.wait_off(120)
        settings = machine.read_text(SETTINGS)
        autostart = machine.read_text(HOME + "/.config/autostart/tamrel.desktop")
    except BaseException:
        machine.kill()
        raise
    for line in (f"Program ={FRONT_END}", "Shutdown method =2", f"Seconds to cancel ={COUNTDOWN}"):
        if line not in (settings or "").split("\n"):
            raise AssertionError(f"setup wrote no line {line!r}: {settings!r}")
    if not autostart or "Exec=/usr/bin/tamrel" not in autostart:
        raise AssertionError(f"setup wrote no autostart entry starting /usr/bin/tamrel: {autostart!r}")
    setup_disk = machine.overlay


def tearDownModule():
    if measured:
        print("\n  measured on the real clock                       seconds")
        for what, seconds in measured:
            print(f"  {what:<48} {seconds:6.1f}")


def choose(machine, what, moves, wait_for=None):
    """F10 opens the setup's menus; the moves walk to an item and take it."""
    machine.poll_serial()
    mark = len(machine.lines)
    machine.keys("f10", *moves)
    if wait_for:
        machine.wait_line(wait_for, 60, after=mark)
    time.sleep(2)  # the menu closed and the window has the keyboard again


def screen_up(machine, run=1, timeout=BOOT):
    """Waits for the shutdown screen after the front end's run `run`."""
    end = machine.wait_line(rf"^LAB FRONTEND END {run}$", timeout)
    machine.wait_line(r"^LAB ACTIVE ", 60, after=machine.lines.index(end))
    machine.wait_line(r"^LOG .*Program \(frontend\.sh\) finished!", 60, after=machine.lines.index(end))
    time.sleep(0.5)


class Cabinet(unittest.TestCase):
    def boot(self, name, **options):
        machine = Machine(IMAGE, name, RUNS, backing=setup_disk, **options).start()
        self.addCleanup(machine.kill)
        return machine

    def test_the_front_end_ends_and_the_machine_powers_off(self):
        machine = self.boot("power-off", frontend=3)
        machine.wait_line(r"^LAB FRONTEND START 1", BOOT)
        ended = machine.wait_line(r"^LAB FRONTEND END 1", 60)
        # The countdown runs from the moment its window is up; Qt's start on
        # an emulated processor comes before that and is not counted.
        shown = machine.wait_line(r"^LAB ACTIVE ", 60, after=machine.lines.index(ended))
        asked = machine.wait_line(r"^LOG .*Shutting down PC, using shutdown method 2", 60)
        off = machine.wait_off(120)
        measured.append(("front end's end -> powered off", off - ended.at))
        measured.append((f"countdown of {COUNTDOWN} s, screen up -> power-off asked", asked.at - shown.at))
        self.assertGreater(asked.at - shown.at, COUNTDOWN - 1.5)
        # Room for an emulated machine on a busy host; a countdown that
        # stalled would take far longer.
        self.assertLess(asked.at - shown.at, COUNTDOWN + 8)
        log = machine.read_text(STATE + "/talog1.txt")
        self.assertIn("Shutting down PC, using shutdown method 2", log)
        self.assertEqual(machine.read_text(HOME + "/frontend.runs").strip(), "1")

    def test_escape_during_the_countdown_keeps_it_on(self):
        machine = self.boot("escape")
        screen_up(machine)
        mark = len(machine.lines)
        machine.keys("esc")
        machine.wait_line(r"^LOG .*Tamrel ended\.", 30, after=mark)
        machine.stays_on(COUNTDOWN + 5)
        machine.power_button()
        machine.wait_off(120)
        log = machine.read_text(STATE + "/talog1.txt")
        self.assertRegex(log, r"User canceled shutdown at [1-5] seconds\.")
        self.assertNotIn("Shutting down PC", log)

    def test_the_restart_key_runs_the_front_end_again(self):
        # The re-start key is Enter (13), set by hand in the settings file.
        machine = self.boot("restart", settings="Key_to_re-start=13")
        screen_up(machine)
        machine.keys("ret")
        machine.wait_line(r"^LAB FRONTEND START 2", 60)
        screen_up(machine, run=2, timeout=60)
        mark = len(machine.lines)
        machine.keys("esc")
        machine.wait_line(r"^LOG .*Tamrel ended\.", 30, after=mark)
        machine.power_button()
        machine.wait_off(120)
        self.assertEqual(machine.read_text(HOME + "/frontend.runs").strip(), "2")
        self.assertIn("User chose to cancel shutdown and re-start program", machine.read_text(STATE + "/talog2.txt"))

    def screen(self, name, **options):
        """The shutdown screen as the machine shows it, 2 s into a 25 s countdown."""
        machine = self.boot(name, settings="Seconds_to_cancel=25" + options.pop("settings", ""), **options)
        screen_up(machine)
        time.sleep(2)  # the first paint
        shot = machine.screendump(name)
        if DOCS:
            pictures.to_png(shot, os.path.join(DOCS, f"machine-{name}.png"))
        mark = len(machine.lines)
        machine.keys("esc")
        machine.wait_line(r"^LOG .*Tamrel ended\.", 30, after=mark)
        machine.kill()
        return pictures.Picture(shot)

    def test_the_shutdown_screen_on_the_real_screen(self):
        # The default look: full screen (no frame or panel of the window
        # manager: the corners are the window's own background) with the
        # texts inside the centred frame.
        picture = self.screen("screen-default")
        background = picture.at(0, 0)
        picture.cover(picture.width - 32, picture.height - 32, background)
        for corner in ((picture.width - 1, 0), (0, picture.height - 1), (picture.width - 33, picture.height - 33)):
            self.assertEqual(picture.at(*corner), background, corner)
        box = picture.box_of(background)
        self.assertIsNotNone(box, "the screen is blank")
        frame_w, frame_h = 9495 // 15, 5295 // 15
        left, top = (picture.width - frame_w) // 2, (picture.height - frame_h) // 2
        self.assertTrue(left - 2 <= box[0] and top - 2 <= box[1] and box[2] <= left + frame_w + 2
                        and box[3] <= top + frame_h + 2, f"texts at {box}, frame at {left},{top} {frame_w}x{frame_h}")
        self.assertGreater(box[2] - box[0], frame_w // 2, "the heading is missing")

        # A skin: drawn unscaled from the top-left corner, its red frame and
        # gradient where the picture has them, the countdown number on it.
        picture = self.screen("screen-skin", settings=",Skin=/usr/local/share/lab-skin.bmp")
        self.assertTrue(pictures.near(picture.at(5, 5), (200, 0, 0)), picture.at(5, 5))
        self.assertTrue(pictures.near(picture.at(790, 590), (200, 0, 0)), picture.at(790, 590))
        self.assertTrue(pictures.near(picture.at(700, 100), (20, 96, 160)), picture.at(700, 100))
        self.assertTrue(pictures.near(picture.at(700, 500), (20, 163, 160)), picture.at(700, 500))
        self.assertFalse(pictures.near(picture.at(picture.width - 40, picture.height - 40), (20, 163, 160)))
