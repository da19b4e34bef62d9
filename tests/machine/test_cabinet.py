"""The installed package on a real Debian 12 cabinet (Xorg, openbox, logind,
polkit; cage for the kiosk): set up by the machine's keyboard, started by its
autostart entry, and the machine really powers off, or really stays on. Each
scenario is a fresh boot on an overlay of the disk the setup boot left."""

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
# Setup's Tamrel Options menu, top to bottom: the keyboard walks to an item
# by its place here.
OPTIONS = ["Program to launch", "Shutdown Method", "Select Cancel key", "Select Restart Program key",
           "Time to cancel", "Shortest run", "Power off when idle", "Closing time...",
           "Wake-up time...", "Start Tamrel when the desktop session starts",
           "Done!", "Cancel and Exit"]
JOYSTICK = "/run/lab-joystick"
PROGRAM_ENDED = "3926b301fb14425095274f62f088f240"  # the journal's MESSAGE_IDs (docs/fleet.md)
POWER_OFF_REQUESTED = "93aed922122c42dcb0106c0313689871"
measured = []  # (what, seconds) for the table at the end
setup_disk = None


def setUpModule():
    """The first boot: setup driven by the machine's keyboard alone writes the
    settings and the autostart entry; the later boots start from its disk."""
    global setup_disk
    if not os.path.isfile(os.path.join(IMAGE, "rootfs.img")):
        raise unittest.SkipTest("TAMREL_MACHINE_IMAGE names no image (scripts/test-machine.sh builds one)")
    # Machines booted side by side share one setup boot's disk.
    if os.path.isfile(os.environ.get("TAMREL_MACHINE_SETUP_DISK", "")):
        setup_disk = os.environ["TAMREL_MACHINE_SETUP_DISK"]
        return
    machine = Machine(IMAGE, "setup", RUNS, start="tamrel").start()
    try:
        machine.wait_line(r"^LAB ACTIVE .*Tamrel.set not found!", BOOT)
        machine.keys("ret")  # OK: run setup
        machine.wait_line(r"^LAB ACTIVE .*SetUp Mode$", 60)
        time.sleep(2)
        choose(machine, "Program to launch", ["right", "down", "ret"], r"^LAB ACTIVE .* Open$")
        mark = len(machine.lines)
        machine.type_text(FRONT_END + "\n", gap=0.15)
        # Back in the setup window (whose title then shows the program; the
        # settings file says whether it was taken).
        machine.wait_line(r"^LAB ACTIVE \S+ (?!Open$)", 60, after=mark)
        time.sleep(2)
        choose(machine, "Shutdown Method", ["right", "down", "down", "ret"])  # Power off
        choose(machine, "Time to cancel", ["right", "ret"])  # 5 Seconds
        choose(machine, "Shortest run", ["right", "ret"])  # Off
        choose(machine, "Start Tamrel when the desktop session starts", ["ret"])
        machine.screendump("setup-chosen")
        choose(machine, "Done!", ["ret"])
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


def choose(machine, option, moves, wait_for=None):
    """F10 opens setup's menus on Tamrel Options; down to the option by its
    place in OPTIONS, then the moves take it (or an item of its submenu)."""
    machine.poll_serial()
    mark = len(machine.lines)
    machine.keys("f10", *["down"] * (OPTIONS.index(option) + 1), *moves)
    if wait_for:
        machine.wait_line(wait_for, 60, after=mark)
    time.sleep(2)  # the menu closed and the window has the keyboard again


def screen_up(machine, run=1, timeout=BOOT):
    """Waits for the shutdown screen after the front end's run `run`."""
    end = machine.wait_line(rf"^LAB FRONTEND END {run}$", timeout)
    machine.wait_line(r"^LAB ACTIVE ", 60, after=machine.lines.index(end))
    machine.wait_line(r"^LOG .*Program \(frontend\.sh\) finished!", 60, after=machine.lines.index(end))
    time.sleep(0.5)


def frame_of(picture):
    """Where the default look's frame stands: centred, 9495 x 5295 twips."""
    width, height = 9495 // 15, 5295 // 15
    left, top = (picture.width - width) // 2, (picture.height - height) // 2
    return left, top, left + width, top + height


def line_above_the_frame(picture):
    """Whether text stands above the frame (the line saying why the program
    was ended): the rows between the top and the frame hold more than the
    background."""
    background = picture.at(0, 0)
    left, top, right, _ = frame_of(picture)
    for y in range(top // 2, top - 1):
        row = picture.pixels[(y * picture.width + left) * 3:(y * picture.width + right) * 3]
        if any(tuple(row[x:x + 3]) != background for x in range(0, len(row), 3)):
            return True
    return False


def start_joystick(machine, jitter=False):
    """Plugs the lab's joystick in (uinput); returns its event device."""
    mark = len(machine.lines)
    machine.shell("modprobe uinput 2>/dev/null; setsid -f /usr/local/lib/lab/joystick >/dev/null 2>&1")
    node = machine.wait_line(r"^LAB JOYSTICK /dev/input/event\d+$", 30, after=mark).split()[-1]
    if jitter:
        machine.shell(f"echo jitter on > {JOYSTICK}")
    return node


def holders_of(machine, device):
    """The processes that have device open, by name."""
    return machine.shell(f"for fd in /proc/[0-9]*/fd/*; do [ \"$(readlink $fd)\" = {device} ] && "
                         "cat ${fd%/fd/*}/comm; done; true").split()


def painted(machine, name, timeout=60):
    """The screen once Tamrel has drawn on the console: its black gives way
    to the light grey of setup's window or of the default look."""
    deadline = time.monotonic() + timeout
    while True:
        picture = pictures.Picture(machine.screendump(name))
        if min(picture.at(picture.width // 2, picture.height - 8)) > 150:
            return picture
        if time.monotonic() > deadline:
            raise AssertionError(f"nothing drawn on the console within {timeout} s; see {machine.dir}")
        time.sleep(1)


class SetupBoot(unittest.TestCase):
    def test_setup_by_the_keyboard_wrote_the_settings_and_the_autostart_entry(self):
        self.assertTrue(os.path.isfile(setup_disk), setup_disk)


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
        # The journal kept the run for a fleet's collector: the end and the power-off.
        events = {e.get("MESSAGE_ID"): e for e in machine.journal("SYSLOG_IDENTIFIER=tamrel")}
        ended, asked = events.get(PROGRAM_ENDED, {}), events.get(POWER_OFF_REQUESTED, {})
        self.assertEqual((ended.get("TAMREL_PROGRAM"), ended.get("TAMREL_EXIT_STATUS")), ("frontend.sh", "0"), events)
        self.assertGreaterEqual(int(ended.get("TAMREL_RUN_SECONDS", 0)), 2)
        self.assertEqual((asked.get("TAMREL_ACTION"), asked.get("PRIORITY")), ("power-off", "5"), events)

    def test_the_restart_key_runs_the_front_end_again_and_escape_keeps_it_on(self):
        # The re-start key is Enter (13), set by hand in the settings file.
        machine = self.boot("restart", settings="Key_to_re-start=13")
        screen_up(machine)
        machine.keys("ret")
        machine.wait_line(r"^LAB FRONTEND START 2", 60)
        # Escape during the second countdown: the machine stays on.
        screen_up(machine, run=2, timeout=60)
        mark = len(machine.lines)
        machine.keys("esc")
        machine.wait_line(r"^LOG .*Tamrel ended\.", 30, after=mark)
        machine.stays_on(COUNTDOWN + 5)
        machine.power_button()
        machine.wait_off(120)
        self.assertEqual(machine.read_text(HOME + "/frontend.runs").strip(), "2")
        self.assertIn("User chose to cancel shutdown and re-start program", machine.read_text(STATE + "/talog2.txt"))
        log = machine.read_text(STATE + "/talog1.txt")
        self.assertRegex(log, r"User canceled shutdown at [1-5] seconds\.")
        self.assertNotIn("Shutting down PC", log)

    def test_the_console_unit_shows_the_screen_and_escape_starts_it_again(self):
        # No display server: the package's unit runs Tamrel on tty1, which
        # draws on the DRM device of qemu's standard card.
        machine = self.boot("console", session="console", frontend=3, settings="Seconds_to_cancel=25")
        end = machine.wait_line(r"^LAB FRONTEND END 1$", BOOT)
        machine.wait_line(r"^LOG .*Program \(frontend\.sh\) finished!", 60, after=machine.lines.index(end))
        # Chosen by Tamrel itself, before the front end ran.
        machine.wait_line(r"^LOG .*Drawing on the console: /dev/dri/card0, 1280x800\.$", 1)
        painted(machine, "console-screen")
        time.sleep(1)  # the first paint done
        shot = machine.screendump("console-screen")
        if DOCS:
            pictures.to_png(shot, os.path.join(DOCS, "machine-console.png"))
        # A login session on the seat, which lets the user power off; no
        # display server anywhere.
        seen = machine.shell("loginctl show-session $(ps -o lsession= -p $(pgrep -xo tamrel)) "
                             "-p Type -p Seat -p TTY -p Active -p Service; ps -e -o comm= | grep -xE 'Xorg|Xwayland|cage' || true")
        mark, pressed = len(machine.lines), time.monotonic()
        machine.keys("esc")
        machine.wait_line(r"^LOG .*User canceled shutdown", 30, after=mark)
        machine.wait_line(r"^LOG .*Tamrel ended\.", 30, after=mark)
        # The unit starts Tamrel again, and with it the front end.
        again = machine.wait_line(r"^LAB FRONTEND START 2$", 60, after=mark)
        measured.append(("console: Escape -> the front end runs again", again.at - pressed))
        self.assert_full_screen(pictures.Picture(shot))
        self.assertEqual(sorted(seen.split("\n")), ["Active=yes", "Seat=seat0", "Service=login", "TTY=tty1",
                                                      "Type=tty"], seen)

    def test_setup_on_the_console_then_the_countdown_powers_off(self):
        # The settings ask for setup; the keyboard chooses 10 seconds to
        # cancel, and the unit's next Tamrel counts them down to the power-off.
        # The screen is on the second card, as on a Raspberry Pi whose first
        # is a GPU without outputs: drawn through its framebuffer.
        machine = self.boot("console-setup", session="console", frontend=3, settings="Run_Setup=yes",
                            display="two")
        machine.wait_line(r"^LAB CARDS card0-\S+ disconnected$", BOOT)
        machine.wait_line(r"^LAB CARDS card1-\S+ connected$", 1)
        # Logged before setup starts (the log shown from its first line holds
        # the setup boot's run too).
        drawn = r"^LOG .*Drawing on the console: /dev/dri/card1 through /dev/fb1, 1280x800\.$"
        first = machine.wait_line(drawn, BOOT)
        machine.wait_line(r"^LOG .*Entering setup mode\.", 30, after=machine.lines.index(first))
        painted(machine, "console-setup")
        time.sleep(2)
        choose(machine, "Time to cancel", ["right", "down", "ret"])  # 10 Seconds
        machine.screendump("console-setup-chosen")
        mark = len(machine.lines)
        choose(machine, "Done!", ["ret"])
        machine.wait_line(r"^LOG .*Tamrel ended\.", 60, after=mark)
        machine.wait_line(r"^LAB FRONTEND START 1$", 90, after=mark)
        finished = machine.wait_line(r"^LOG .*Program \(frontend\.sh\) finished!", 60, after=mark)
        machine.wait_line(drawn, 1, after=mark)
        asked = machine.wait_line(r"^LOG .*Shutting down PC, using shutdown method 2", 60, after=mark)
        off = machine.wait_off(120)
        measured.append(("console: countdown of 10 s, front end's end -> asked", asked.at - finished.at))
        measured.append(("console: front end's end -> powered off", off - finished.at))
        # The new setting was used: longer than the 5 seconds before it.
        self.assertGreater(asked.at - finished.at, 10 - 1.5)
        self.assertLess(asked.at - finished.at, 10 + 15)
        settings = machine.read_text(SETTINGS).split("\n")
        self.assertIn("Seconds to cancel =10", settings)
        self.assertIn("Run Setup = no", settings)

    def assert_full_screen(self, picture):
        """No frame or panel of a window manager: the corners are the
        screen's own background, the texts inside the centred frame."""
        background = picture.at(0, 0)
        picture.cover(picture.width - 32, picture.height - 32, background)
        for corner in ((picture.width - 1, 0), (0, picture.height - 1), (picture.width - 33, picture.height - 33)):
            self.assertEqual(picture.at(*corner), background, corner)
        box = picture.box_of(background)
        self.assertIsNotNone(box, "the screen is blank")
        left, top, right, bottom = frame_of(picture)
        self.assertTrue(left - 2 <= box[0] and top - 2 <= box[1] and box[2] <= right + 2 and box[3] <= bottom + 2,
                        f"texts at {box}, frame at {left},{top} to {right},{bottom}")
        self.assertGreater(box[2] - box[0], (right - left) // 2, "the heading is missing")

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
        # The default look: full screen, the texts inside the centred frame.
        self.assert_full_screen(self.screen("screen-default"))

        # A skin: drawn unscaled from the top-left corner, its red frame and
        # gradient where the picture has them, the countdown number on it.
        picture = self.screen("screen-skin", settings=",Skin=/usr/local/share/lab-skin.bmp")
        self.assertTrue(pictures.near(picture.at(5, 5), (200, 0, 0)), picture.at(5, 5))
        self.assertTrue(pictures.near(picture.at(790, 590), (200, 0, 0)), picture.at(790, 590))
        self.assertTrue(pictures.near(picture.at(700, 100), (20, 96, 160)), picture.at(700, 100))
        self.assertTrue(pictures.near(picture.at(700, 500), (20, 163, 160)), picture.at(700, 500))
        self.assertFalse(pictures.near(picture.at(picture.width - 40, picture.height - 40), (20, 163, 160)))

    def test_a_joystick_button_cancels_once_let_go(self):
        # Button 1 cancels; set by hand in the settings file. A long countdown
        # leaves time to look inside while it runs.
        machine = self.boot("joystick", frontend="hold",
                            settings="Joystick_button_to_cancel=1,Seconds_to_cancel=25")
        machine.wait_line(r"^LAB FRONTEND START 1$", BOOT)
        node = start_joystick(machine)
        time.sleep(3)  # udev has given it to the session's user
        # While the front end runs the joystick is all its own: nobody has it
        # open, and Tamrel has not even loaded SDL.
        self.assertEqual(holders_of(machine, node), [])
        self.assertEqual(machine.shell("grep -c libSDL2 /proc/$(pgrep -xo tamrel)/maps || true"), "0")

        # A hand on the button since before the screen came up.
        machine.shell(f"echo press 1 > {JOYSTICK}")
        machine.shell("touch /tmp/lab-frontend-end")
        screen_up(machine)
        # The screen listens to it once SDL is up, which a loaded host may
        # take seconds for (only Tamrel's own files looked at: the countdown
        # runs meanwhile). SDL opens and closes devices as it looks them
        # over: a file gone while listed is no failure.
        deadline = time.monotonic() + 15
        while node not in machine.shell("for fd in /proc/$(pgrep -xo tamrel)/fd/*; do readlink $fd; done 2>/dev/null; true"):
            self.assertLess(time.monotonic(), deadline, f"Tamrel has not opened {node} 15 s into the countdown")
            time.sleep(0.5)
        machine.shell(f"echo release 1 > {JOYSTICK}")
        time.sleep(2)
        self.assertFalse([line for line in machine.log_lines() if "User canceled" in line],
                         "the button held since before the screen, or its release, canceled")
        mark = len(machine.lines)
        machine.shell(f"echo tap 1 > {JOYSTICK}")
        machine.wait_line(r"^LOG .*User canceled shutdown", 30, after=mark)
        machine.wait_line(r"^LOG .*Tamrel ended\.", 30, after=mark)
        machine.stays_on(5)
        machine.power_button()
        machine.wait_off(120)
        log = machine.read_text(STATE + "/talog1.txt")
        self.assertRegex(log, r"User canceled shutdown at \d+ seconds\.")
        self.assertIn("(joystick button 1)", log)
        self.assertNotIn("Shutting down PC", log)

    def test_a_block_inhibitor_holds_the_power_off_until_it_lets_go(self):
        # The front end leaves behind a program of the session that holds
        # the power-off up 40 s from its start: past the countdown's end.
        machine = self.boot("inhibitor", frontend=3, inhibit=40)
        screen_up(machine)
        waiting = machine.wait_line(r"^LOG .*Waiting for Lab backup: Copying the high scores", 60)
        released = machine.wait_line(r"^LAB INHIBITOR END$", 90)
        free = machine.wait_line(r"^LOG .*Nothing holds up the shutdown any longer\.", 30)
        asked = machine.wait_line(r"^LOG .*Shutting down PC, using shutdown method 2", 30)
        off = machine.wait_off(120)
        measured.append(("block inhibitor let go -> Tamrel asks to power off", free.at - released.at))
        measured.append(("block inhibitor let go -> power-off accepted", asked.at - released.at))
        measured.append(("block inhibitor let go -> powered off", off - released.at))
        self.assertLess(machine.lines.index(waiting), machine.lines.index(released))
        # Tamrel looks each second; logind's answer (polkit on an emulated,
        # loaded machine) takes what it takes on top.
        self.assertLess(free.at - released.at, 2.0)
        self.assertLess(asked.at - released.at, 6.0)
        log = machine.read_text(STATE + "/talog1.txt")
        self.assertEqual(log.count("Waiting for Lab backup: Copying the high scores"), 1)

    def test_the_kiosk_under_cage(self):
        # cage on tty1 as a service, running Tamrel, which runs the front end;
        # wlroots needs a graphics card that imports buffers (PRIME): virtio's.
        machine = self.boot("cage", session="cage", frontend=3, settings="Seconds_to_cancel=15", display="virtio")
        end = machine.wait_line(r"^LAB FRONTEND END 1$", BOOT)
        machine.wait_line(r"^LOG .*Program \(frontend\.sh\) finished!", 60, after=machine.lines.index(end))
        # cage's own background is black until the screen has painted.
        deadline = time.monotonic() + 8
        while True:
            time.sleep(1)
            picture = pictures.Picture(machine.screendump("cage-screen"))
            if picture.at(0, 0) != (0, 0, 0) or time.monotonic() > deadline:
                break
        mark = len(machine.lines)
        machine.keys("esc")
        machine.wait_line(r"^LOG .*User canceled shutdown", 30, after=mark)
        # The kiosk's service starts cage and Tamrel again when they end: the
        # second run's countdown runs out and the machine powers itself off.
        machine.wait_line(r"^LAB FRONTEND START 2$", 90, after=mark)
        machine.wait_line(r"^LAB FRONTEND END 2$", 60, after=mark)
        machine.wait_line(r"^LOG .*Shutting down PC, using shutdown method 2", 90, after=mark)
        machine.wait_off(120)
        self.assert_full_screen(picture)
        self.assertEqual(machine.read_text(HOME + "/frontend.runs").strip(), "2")
        # Escape kept it on: the first Tamrel asked for no power-off.
        first_run = machine.log_lines()
        first_run = first_run[:next(i for i, line in enumerate(first_run) if "User canceled shutdown" in line)]
        self.assertFalse([line for line in first_run if "Shutting down PC" in line])

    def test_idle_power_off(self):
        # One minute without input; the joystick's stick is noisy all along.
        machine = self.boot("idle", frontend="hold", settings="Idle_minutes_to_power_off=1")
        machine.wait_line(r"^LAB FRONTEND START 1$", BOOT)
        start_joystick(machine, jitter=True)
        # Keys on the machine's keyboard, then the joystick's button, each
        # for longer than the minute.
        last = None
        for touch in (lambda: machine.keys("shift"), lambda: machine.shell(f"echo tap 1 > {JOYSTICK}")):
            until = time.monotonic() + 70
            while time.monotonic() < until:
                touch()
                last = time.monotonic()
                time.sleep(20)
            self.assertFalse([line for line in machine.log_lines() if "No input for" in line])
            self.assertFalse([line for line in machine.lines if "FRONTEND TERM" in line])
        # The noisy stick alone: the front end is asked to end.
        asked = machine.wait_line(r"^LOG .*No input for 1 minutes?: asking frontend\.sh to end\.", 150)
        machine.wait_line(r"^LAB FRONTEND TERM 1$", 30)
        machine.wait_line(r"^LAB ACTIVE ", 60, after=machine.lines.index(asked))
        time.sleep(1)
        shot = pictures.Picture(machine.screendump("idle-screen"))
        machine.wait_line(r"^LOG .*Shutting down PC, using shutdown method 2", 60)
        machine.wait_off(120)
        measured.append(("idle: last input -> asked to end (1 minute)", asked.at - last))
        self.assertGreater(asked.at - last, 55)
        self.assertTrue(line_above_the_frame(shot), "no line above the countdown says why")
        self.assertIn("asked to end", machine.read_text(HOME + "/frontend.log"))
        self.assertIn("complete", machine.read_text(HOME + "/frontend.save"))

    def test_closing_time_powers_off_and_sets_the_wake_up(self):
        # The machine's clock starts shortly before closing time (a clock
        # alarm more than a day ahead is one this clock may refuse).
        machine = self.boot("closing", frontend="hold", settings="Power_off_at=18:00,Wake_up_at=08:30",
                            clock=time.strftime("%Y-%m-%dT17:50:00", time.gmtime()))
        machine.wait_line(r"^LAB FRONTEND START 1$", BOOT)
        time.sleep(3)  # Tamrel waits for the program, its closing time armed
        # Half a minute before closing time: the clock's change re-arms it.
        machine.shell("date -s 17:59:30 >/dev/null")
        moved = time.monotonic()
        # The next 08:30 in the real-time clock's time base (UTC unless
        # /etc/adjtime says LOCAL), and its day.
        wake = machine.shell("when=$(date -d 'tomorrow 08:30' '+%F %T'); if [ \"$(sed -n 3p /etc/adjtime 2>/dev/null)\""
                             " = LOCAL ]; then date -u -d \"$when\" +%s; else date -d \"$when\" +%s; fi; "
                             "date -d tomorrow +%a").split()
        asked = machine.wait_line(r"^LOG .*Closing time \(18:00\): asking frontend\.sh to end\.", 90)
        machine.wait_line(r"^LAB FRONTEND SAVED 1$", 30)
        machine.wait_line(r"^LAB ACTIVE ", 60, after=machine.lines.index(asked))
        time.sleep(1)
        shot = pictures.Picture(machine.screendump("closing-screen"))
        machine.wait_line(r"^LOG .*Shutting down PC, using shutdown method 2", 60)
        alarm = machine.wait_line(r"^LAB WAKEALARM", 120)
        machine.wait_off(120)
        measured.append(("clock set to 17:59:30 -> closing time reached", asked.at - moved))
        self.assertTrue(25 < asked.at - moved < 45, asked.at - moved)
        self.assertTrue(line_above_the_frame(shot), "no line above the countdown says why")
        self.assertIn("complete", machine.read_text(HOME + "/frontend.save"))
        self.assertIn(f"Wake-up set for {wake[1]} 08:30.", machine.read_text(STATE + "/talog1.txt"))
        self.assertEqual(alarm.split()[2:], [wake[0]], alarm)

    def test_the_power_button_lets_the_front_end_save(self):
        machine = self.boot("power-button", frontend="hold")
        machine.wait_line(r"^LAB FRONTEND START 1$", BOOT)
        time.sleep(5)  # Tamrel waits for the program
        inhibitors = machine.shell("systemd-inhibit --list --no-pager")
        mark = len(machine.lines)
        machine.power_button()
        machine.wait_line(r"^LAB FRONTEND TERM 1$", 60, after=mark)
        machine.wait_line(r"^LAB FRONTEND SAVED 1$", 60, after=mark)
        machine.wait_off(120)
        self.assertEqual(machine.read_text(HOME + "/frontend.save"), "part 1 of 4\npart 2 of 4\npart 3 of 4\n"
                         "part 4 of 4\ncomplete\n")
        self.assertFalse([line for line in machine.lines[mark:] if line.startswith("LAB ACTIVE ")],
                         "a shutdown screen came up")
        log = machine.read_text(STATE + "/talog1.txt")
        self.assertNotIn("Shutting down PC", log)
        self.assertRegex(inhibitors, r"Tamrel.*Letting frontend\.sh save and end")
        self.assertIn("The system is shutting down: asking frontend.sh to end.", log)
