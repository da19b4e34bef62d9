"""The Windows build under Wine where Windows differs: clicks on a skin and
the default look, the re-start through rerunta.bat, the shutdown request,
damaged skin bitmaps, shortcuts, programs without a drive letter, a folder
named outside the code page, and setup mode and its help driven through the
real menus, common dialogs, labels and buttons."""

import glob
import os
import subprocess
import unittest

from harness import ProgramTest, wait_for
from test_run import NOT_FOUND

SETUP_TITLE = "The Tamrel (V1.10)........ SetUp Mode"


def convert(*args):
    subprocess.run(["convert", *args], check=True)


class WineRunTest(ProgramTest):
    def refuse_setup_after_error(self, process):
        """The error box, whose text it returns, then No to setup."""
        seen = self.driver.step("box", "tamrel", "OK", "30000")
        self.driver.box("Run Setup?", "No", "Do you want to run setup?", "Yes,No")
        self.driver.wait_end(process)
        return seen

    def test_a_program_is_waited_for_and_on_a_skin_only_the_background_click_cancels(self):
        convert("-size", "800x600", "gradient:#102040-#3070a0", "-fill", "#e0b030", "-draw", "circle 600,420 600,330",
                "-fill", "#f0f0f0", "-draw", "rectangle 60,500 360,540", "BMP3:" + self.folder.file("skin.bmp"))
        d = self.folder.dir
        self.folder.write_settings(f"Program ={d}sleeper.exe", "Key to cancel =-1", f"Skin ={d}skin.bmp",
                                   "Countdown box X position = 1000", "Countdown box Y position = 3000",
                                   "Countdown box font =Comic Sans MS", "Countdown box fontsize =48",
                                   "Countdown box bold font =True", "Countdown box color = 255")
        process = self.start()
        self.expect_screen_after(process, "sleeper-started.txt", "sleeper-ended.txt")
        self.let_screen_take_input()
        self.assert_still_running(process, "the click the screen injects at its start cancelled")
        self.screenshot("windows-skin.png")
        # Drawn the right way up and in its own colours: the disc, lower right.
        self.assertEqual(self.driver.display.pixel(600, 440), "#E0B030")
        self.driver.click(250, 110)
        self.assert_still_running(process, "a click on the countdown box cancelled")
        self.driver.click(900, 700)
        self.driver.wait_end(process)
        stopped = self.stopped_at("User canceled shutdown at", 5, 9)
        self.expect_whole_run("sleeper.exe", f"User canceled shutdown at {stopped} seconds.", "Tamrel ended.")

    def test_on_the_default_look_a_click_restarts_but_not_on_the_frame(self):
        front = self.folder.write_front_end(seconds=3)
        self.folder.write_settings("Key to re-start =-1")
        process = self.start()
        self.expect_screen_after(process)
        self.let_screen_take_input()
        self.screenshot("windows-default.png")
        self.driver.click(512, 384)
        self.assert_still_running(process, "a click on the frame re-started")
        for mark in ("started.txt", "ended.txt"):
            os.remove(self.folder.file(mark))
        self.driver.click(40, 40)
        # The new instance runs the whole cycle again; Wine may still be
        # taking the old one down meanwhile.
        self.expect_screen_after(None)
        self.driver.wait_end(process)
        self.let_screen_take_input()
        self.driver.key("Escape")
        self.driver.step("window", "TamrelWindow", "vanish", "20000")
        self.driver.session.idle()
        with open(self.folder.file("rerunta.bat"), "rb") as rerun:
            self.assertEqual(rerun.read(), b"@echo off\r\nREM This file will restart The Tamrel.\r\n"
                             b"REM This file was created by The Tamrel.\r\nstart tamrel.exe\r\nexit\r\n")
        first = self.stopped_at("User chose to cancel shutdown and re-start program at", 5, 9, "talog2.txt")
        second = self.stopped_at("User canceled shutdown at", 5, 9)
        self.expect_whole_run(front, f"User chose to cancel shutdown and re-start program at {first} seconds.",
                              "Tamrel ended.", "Re-starting Tamrel", log="talog2.txt")
        self.expect_whole_run(front, f"User canceled shutdown at {second} seconds.", "Tamrel ended.")

    def test_the_countdown_reaches_0_and_asks_for_the_shutdown(self):
        # Wine ends the prefix's session.
        front = self.folder.write_front_end(seconds=0.3)
        self.folder.write_settings("Seconds to cancel =5")
        self.driver.wait_end(self.start(timeout=60))
        self.expect_whole_run(front, "Shutting down PC, using shutdown method 1", "tamrel ended.")

    def test_a_missing_unreadable_truncated_or_header_only_skin_ends_with_a_box(self):
        with open(self.folder.file("bad.bmp"), "wb") as bad:
            bad.write(b"BM this is no bitmap")
        # Headers that promise more rows than the file holds.
        whole = self.folder.file("whole.bmp.tmp")
        convert("-size", "640x480", "xc:#204060", "BMP3:" + whole)
        with open(whole, "rb") as source:
            data = source.read()
        for name, size in (("truncated.bmp", 20000), ("header.bmp", 54)):
            with open(self.folder.file(name), "wb") as part:
                part.write(data[:size])
        expected = []
        for skin in ("missing.bmp", "bad.bmp", "truncated.bmp", "header.bmp"):
            path = self.folder.dir + skin
            self.folder.write_settings(f"Skin ={path}")
            process = self.start(timeout=60)
            problem = f"File not found: {path}" if skin == "missing.bmp" else f"Invalid picture: {path}"
            self.driver.box("tamrel", "OK", f"Tamrel has encountered a problem and will end. ({problem})\\r "
                            "Please check Tamrel.txt for help", "OK")
            self.driver.wait_end(process)
            expected.append(f"---Tamrel encountered error.  ({problem}). Please check for proper setup.")
            # The whole file was read, and nothing came after it.
            screen = self.folder.screen_lines()
            self.assertEqual(self.folder.events()[-len(screen):], screen)
        self.assertEqual(self.folder.errors(), expected)

    def test_a_shortcut_is_started_as_it_says_and_a_broken_one_is_a_program_problem(self):
        d = self.folder.dir
        self.folder.write_front_end(argument="%1")
        os.mkdir(self.folder.file("links"))
        # Arguments and working folder reach the target only through the link.
        self.driver.step("shortcut", d + "links\\front.lnk", d + "front.bat", "3000", d.rstrip("\\"))
        self.folder.write_settings(f"Program ={d}links\\front.lnk")
        process = self.start()
        self.expect_screen_after(process)
        self.cancel_and_expect_end(process, "front.lnk")

        with open(self.folder.file("links/broken.lnk"), "wb") as broken:
            broken.write(b"no shell link")
        self.folder.write_settings(f"Program ={d}links\\broken.lnk")
        process = self.start(timeout=60)
        self.driver.box("tamrel", "OK", "The Tamrel had a problem running the program. Check tamrel.txt for more info.",
                        "OK")
        self.driver.wait_end(process)
        self.assertEqual(self.folder.errors(), [f"--Program did not launch properly: {d}links\\broken.lnk"])

    def test_an_invalid_executable_and_a_path_without_a_drive_letter(self):
        self.folder.write_front_end()
        with open(self.folder.file("fake.exe"), "wb") as fake:
            fake.write(b"not a program")
        fake = self.folder.dir + "fake.exe"
        self.folder.write_settings(f"Program ={fake}")
        seen = self.refuse_setup_after_error(self.start(timeout=60))
        self.assertRegex(seen, r"encountered an error: .*fake\.exe ERR# 193")
        self.assertNotIn("%", seen)
        expected = []
        for program in ("front.bat", ".\\front.bat"):
            self.folder.write_settings(f"Program ={program}")
            seen = self.refuse_setup_after_error(self.start(timeout=60))
            self.assertIn(f"encountered an error: The program path has no drive letter: {program} ERR# 15", seen)
            expected.append(f"--Error encountered: 15: The program path has no drive letter: {program}")
        errors = self.folder.errors()
        self.assertRegex(errors[0], r"^--Error encountered: 193: .*fake\.exe$")
        self.assertNotIn("%", errors[0])
        self.assertEqual(errors[1:], expected)

    def test_a_program_folder_named_in_greek_logs_launches_and_waits(self):
        front = self.folder
        front.write_front_end(seconds=1.5)
        self.folder = self.driver.new_folder("Φάκελος")
        self.folder.write_settings(f"Program ={front.dir}front.bat")
        # File names reach Wine as UTF-8; the system code page stays without Greek.
        process = self.driver.start(timeout=60, folder=self.folder, extra_env={"LC_ALL": "C.UTF-8"})
        wait_for(lambda: os.path.exists(front.file("started.txt")), 30, what="the front end")
        self.driver.screen(process)
        self.assertTrue(os.path.exists(front.file("ended.txt")), "the screen came before the front end ended")
        self.cancel_and_expect_end(process, "front.bat")


class WineSetupTest(ProgramTest):
    def off_screen(self, width, height, *form):
        """The visible controls of the form (or of one control in it) that do
        not lie wholly on the screen."""
        return [line for line in self.driver.step("rects", *form).split("\n") if line and (
            lambda x, y, w, h: x < 0 or y < 0 or x + w > width or y + h > height)(*map(int, line.split(" ")[:4]))]

    def test_on_640x480_the_key_chooser_and_about_fit_and_a_close_closes_the_chooser_first(self):
        drive, step, form = self.driver, self.driver.step, SETUP_TITLE
        process = self.open_setup(90, "640x480")
        accept = "Press the same key again to accept it."
        step("menu", form, "Tamrel Options", "Shutdown Method", "Shutdown")  # the keys can be chosen once it is
        step("menu", form, "Tamrel Options", "Current Cancel Key:  27", "Choose a different Cancel Key")
        wait_for(lambda: accept in step("labels", form).split("\n"), what="the key chooser")
        self.assertEqual(self.off_screen(640, 480, form, "Choose cancel key."), [])
        # The keyboard alone: the same key again accepts it.
        step("key", form, "113")
        step("key", form, "113")
        self.menu_has(form, "  Current Cancel Key:  113")
        self.assertNotIn(accept, step("labels", form).split("\n"))

        about = "About The Tamrel (V1.10)"
        step("menu", form, "Help", "About The Tamrel")
        self.assertEqual(self.off_screen(640, 480, about), [])
        step("press", about, "OK")

        step("menu", form, "Tamrel Options", "Current Cancel Key:  113", "Choose a different Cancel Key")
        wait_for(lambda: accept in step("labels", form).split("\n"), what="the key chooser")
        step("close", form)
        wait_for(lambda: accept not in step("labels", form).split("\n"), what="the key chooser to close")
        self.assertIsNone(process.poll(), "the close request closed setup, not the chooser")
        step("close", form)
        drive.wait_end(process)
        self.assertFalse(os.path.exists(self.folder.file("tamrel.set")), "a settings file was written")

    def test_a_partly_loaded_file_and_refused_choices_keep_every_other_value(self):
        d, drive, step = self.folder.dir, self.driver, self.driver.step
        self.folder.write_front_end()
        convert("-size", "320x200", "xc:#336699", "BMP3:" + self.folder.file("skin.bmp"))
        self.folder.write("notes.txt", ["a note"])
        self.folder.write("text.bmp", ["no picture"])
        self.folder.write_settings(
            "Run Setup = yes", "Shutdown method =2", "Seconds to cancel =15", "Key to cancel =97",
            "Key to re-start =32", "Countdown box X position =40000", "Countdown box Y position = 600",
            "Countdown box font =Courier New", "Countdown box italic =True", "Countdown box fontsize =14",
            "Countdown box bold font =True", "Countdown box color = 255", f"Skin ={d}skin.bmp",
            "Shortest run in seconds =30")
        keys = [line for line in self.folder.lines("tamrel.set") if not line.startswith("#")]
        process = self.start(timeout=90)
        self.assertIn("\\rCountdown box X position =40000 (", step("box", "Settings partly loaded", "OK", "30000"))
        form = SETUP_TITLE
        step("menu", form, "Tamrel Options", "Program to launch", "Choose a different Program to Launch")
        step("dialog", "Open", "Cancel")
        self.menu_has(form, f"    Program to launch: {d}front.bat")
        for name, prompt in (("notes.txt", f"Skin must be a .bmp file!\\r{d}notes.txt"),
                             ("text.bmp", f"This skin cannot be used: {d}text.bmp\\rIt is not a .bmp picture that "
                                          "Tamrel can read: not a bitmap, or damaged.\\rThe previous look is kept.")):
            step("menu", form, "Skin", "Open a skin")
            step("open", d + name)
            self.assertEqual(step("box", "Skin not used!", "OK", "30000"),
                             f"title: Skin not used!\nprompt: {prompt}\nbuttons: OK\nicon: shown")
        step("menu", form, "Tamrel Options", "Done!")
        drive.wait_end(process)
        # Only the bad value (and the request for setup) changed.
        keys[keys.index("Run Setup = yes")] = "Run Setup = no"
        keys[keys.index("Countdown box X position =40000")] = "Countdown box X position = 0"
        self.assertEqual([line for line in self.folder.lines("tamrel.set") if not line.startswith("#")], keys)

    def open_setup(self, timeout, desktop="1024x768"):
        self.driver.virtual_desktop(True, desktop)
        process = self.start(timeout=timeout)
        self.driver.box("Tamrel.set not found!", "OK", NOT_FOUND, "OK,Cancel")
        return process

    def menu_has(self, form, *lines):
        seen = self.driver.step("menus", form).split("\n")
        for line in lines:
            self.assertIn(line, seen)

    def wait_label(self, form, expected, what):
        """The countdown box's place once it is EXPECTED."""
        return wait_for(lambda: self.driver.step("label", form, "5") == expected, 5, 0.1, what,
                        lambda: f"{self.driver.step('label', form, '5')}, not {expected}")

    def test_setup_from_no_settings_to_a_file_the_next_start_runs(self):
        d, drive, step = self.folder.dir, self.driver, self.driver.step
        self.folder.write_front_end(seconds=0.3)
        convert("-size", "800x600", "gradient:#203040-#406080", "BMP3:" + self.folder.file("skin.bmp"))
        process = self.open_setup(120)
        form = SETUP_TITLE
        self.assertTrue(drive.screen(process).endswith(" maximised"), "the setup window is not maximised")
        # Labels are STATIC controls whose text is their caption.
        self.assertIn("Your machine will shut down in", step("labels", form).split("\n"))
        drive.key("--delay", "150", "F10", "Down", "Down", "Right")
        wait_for(lambda: len(step("windows", "#32768").split("\n")) == 2, what="the menu and its submenu")
        self.screenshot("windows-setup.png")
        drive.key("--delay", "150", "Escape", "Escape", "Escape")

        step("menu", form, "Tamrel Options", "Program to launch", "Choose a different Program to Launch")
        self.assertEqual(step("open", d + "front.bat"), "filter: Executable files (.exe .bat)")
        form = d + "front.bat"  # the window's caption shows the program now
        # The method from the keyboard alone, through the native menu.
        drive.key("--delay", "150", *step("menukeys", form, "Tamrel Options", "Shutdown Method", "Shutdown").split())
        step("menu", form, "Tamrel Options", "Time to cancel", "5 Seconds")
        step("menu", form, "Tamrel Options", "Shortest run", "Off")  # the front end's short run counts down
        self.menu_has(form, f"    Launch: {d}front.bat", "    >Shutdown", "    >5 Seconds")

        step("menu", form, "Skin", "Open a skin")
        self.assertEqual(step("open", d + "skin.bmp"), "filter: Picture files (*.bmp)")
        # The countdown box shows the chosen time. Dragged, it keeps the
        # point grabbed under the mouse, for a short move over its own place
        # as for one to the background.
        x, y, w, h = map(int, step("label", form, "5").split())
        drive.display.xdotool("mousemove", str(x + 10), str(y + 10), "mousedown", "1", "mousemove", str(x + 20),
                              str(y + 20), "sleep", "0.3", "mouseup", "1")
        self.wait_label(form, f"{x + 10} {y + 10} {w} {h}", "the box did not follow a short drag")
        drive.display.xdotool("mousemove", str(x + 20), str(y + 20), "mousedown", "1", "mousemove", str(x + 30),
                              str(y + 30), "mousemove", "410", "310", "sleep", "0.3", "mouseup", "1")
        self.wait_label(form, f"400 300 {w} {h}", "the box is not where it was dropped")

        # A font and a colour chosen are kept, and the dialogs open on them
        # again (the system's control numbers: face, style and size lists;
        # red, green and blue fields).
        face, style, size, red, green, blue = "0x470", "0x471", "0x472", "706", "707", "708"
        step("menu", form, "Countdown box", "Select font")
        step("dialog", "Font", "OK", f"{face}=DejaVu Sans", f"{style}=Bold", f"{size}=14")
        step("menu", form, "Countdown box", "Select font")
        self.assertEqual(step("dialog", "Font", "Cancel", face, style, size), "DejaVu Sans\nBold\n14")
        step("menu", form, "Countdown box", "Select color")
        step("dialog", "Color", "OK", f"{red}=200", f"{green}=100", f"{blue}=50")
        step("menu", form, "Countdown box", "Select color")
        self.assertEqual(step("dialog", "Color", "Cancel", red, green, blue), "200\n100\n50")

        step("menu", form, "Tamrel Options", "Current Cancel Key:  27", "Choose a different Cancel Key")
        step("key", form, "97")
        step("click", form, "   OK")
        self.menu_has(form, "  Current Cancel Key:  97")
        step("menu", form, "Tamrel Options", "Done!")
        drive.wait_end(process)

        # The box's X is its top, its Y its left, in twips from the client
        # area.
        with open(self.folder.file("tamrel.set"), "rb") as settings:
            raw = settings.read()
        self.assertEqual((raw.count(b"\r"), raw.count(b"\n")), (raw.count(b"\r\n"),) * 2,
                         "tamrel.set has lines without CR LF")
        written = self.folder.lines("tamrel.set")
        for line in ("Run Setup = no", f"Program ={d}front.bat", "Shutdown method =1", "Seconds to cancel =5",
                     "Key to cancel =97", "Key to re-start =0", f"Countdown box X position = {(300 - y) * 15}",
                     f"Countdown box Y position = {(400 - x) * 15}", "Countdown box font =DejaVu Sans",
                     "Countdown box fontsize =14", "Countdown box bold font =True",
                     "Countdown box color = 3302600", f"Skin ={d}skin.bmp", "Shortest run in seconds =0"):
            self.assertIn(line, written)
        self.assertEqual(self.folder.events()[-2:], ["Creating new Tamrel.set file", "Tamrel ended."])

        # The next start runs the program, then counts down; the new key cancels.
        process = self.start(timeout=60)
        self.expect_screen_after(process)
        self.let_screen_take_input()
        drive.key("a")
        drive.wait_end(process)
        self.stopped_at("User canceled shutdown at", 1, 4)

    def test_switches_answer_in_a_box_and_the_start_with_windows_makes_and_removes_the_shortcut(self):
        drive, step = self.driver, self.driver.step
        process = self.start(timeout=60, args=["/version"])
        self.assertIn("prompt: tamrel 1.10\\n", step("box", "tamrel", "OK", "30000"))
        self.assertEqual(process.wait(), 0)
        process = self.start(timeout=60, args=["/nonsense"])
        self.assertIn('prompt: tamrel: unknown argument "/nonsense"', step("box", "tamrel", "OK", "30000"))
        self.assertEqual(process.wait(), 2)
        self.assertFalse(os.path.exists(self.folder.file("talog1.txt")), "a refused command line started a run")

        # Setup asked for on the command line: no box about the missing file.
        drive.virtual_desktop(True)
        process = self.start(timeout=120, args=["/setup"])
        startup = os.path.join(self.driver.session.prefix, "drive_c", "users", "*", "AppData", "Roaming",
                               "Microsoft", "Windows", "Start Menu", "Programs", "Start[Uu]p", "Tamrel.lnk")
        made = lambda: glob.glob(startup)  # noqa: E731  (in the Wine user's own folder)
        step("menu", SETUP_TITLE, "Tamrel Options", "Start Tamrel when Windows starts")
        written = wait_for(lambda: [e for e in self.folder.events() + self.folder.errors() if ".lnk" in e], 10, 0.1,
                           "the shortcut's log line")
        self.assertTrue(made() and written[0].startswith("Tamrel will start by itself: C:\\users\\"), written)
        self.menu_has(SETUP_TITLE, "  >Start Tamrel when Windows starts")
        with open(made()[0], "rb") as link:
            self.assertIn(b"tamrel.exe", link.read().lower())
        step("menu", SETUP_TITLE, "Tamrel Options", ">Start Tamrel when Windows starts")
        wait_for(lambda: not made(), 10, 0.1, "the shortcut's removal")
        self.menu_has(SETUP_TITLE, "  Start Tamrel when Windows starts")
        step("menu", SETUP_TITLE, "Tamrel Options", "Cancel and Exit")
        drive.box("Quit without saving?", "Yes")
        drive.wait_end(process)
        self.assertIn("Setup mode asked for on the command line.", self.folder.events())

    def help_open(self):
        """The titles of the help windows open, the one in front first."""
        return [line.split(" ", 4)[4] for line in self.driver.step("windows", "TamrelWindow").split("\n")
                if line.count(" ") >= 4 and not line.endswith(" " + SETUP_TITLE)]

    def expect_open(self, *titles):
        wait_for(lambda: self.help_open() == list(titles), 5, 0.1, f"the help windows {titles}", self.help_open)

    def test_help_from_the_menu_topic_chain_key_codes_licence_and_the_end(self):
        drive, step = self.driver, self.driver.step
        process = self.open_setup(180)
        setup, first, last = SETUP_TITLE, "Help: Choosing program to launch", "Help: Using Glaunch with The Tamrel"
        step("menu", setup, "Help", "Selecting program to launch")
        self.expect_open(first)
        # The first button has the focus and Enter presses it; Tab and
        # Shift+Tab move between the buttons (Previous, Next, Close).
        drive.key("Return")
        self.expect_open("Help: Choosing shutdown method")
        drive.key("--delay", "150", "Tab", "shift+Tab", "Tab", "Return")
        self.expect_open("Help: Choosing cancel key")
        chain = [first, "Help: Choosing shutdown method", "Help: Choosing cancel key"]
        title = chain[-1]
        while len(chain) < 20 and "Button|Next Topic" in step("controls", title).split("\n"):
            seen = step("press", title, "Next Topic")
            title = seen.split("\n")[0].split(" ", 4)[4]
            chain.append(title)
            self.assertEqual(self.help_open(), [title], "after Next Topic")
            if title == "Help: Creating a new skin":
                controls = step("controls", title).split("\n")
                self.assertIn("Static|1024", controls)
                self.assertIn("Static|768", controls)
                x, y, w, h = seen.split("\n")[0].split(" ")[:4]
                self.screenshot("windows-help.png", f"{w}x{h}+{x}+{y}")
        self.assertEqual((len(chain), title), (18, last), chain)
        self.assertEqual(len(set(chain)), len(chain), "a topic comes twice in the chain")
        self.assertIn("Button|Previous Topic", step("controls", last).split("\n"))
        step("press", last, "Previous Topic")
        self.expect_open("Help: Troubleshooting")

        # Asked for again, a window comes to the front: there is one table.
        topic, table = "Help: Choosing cancel key", "Some common keyboard ASCII codes"
        step("menu", setup, "Help", "Select cancel key")
        drive.run("press", topic, "Show some common ASCII codes")
        self.assertEqual(self.help_open()[:1], [table], "the key-code table is not in front")
        step("menu", setup, "Help", "Select cancel key")
        self.expect_open(topic, table, "Help: Troubleshooting")
        drive.run("press", topic, "Show some common ASCII codes")
        self.expect_open(table, topic, "Help: Troubleshooting")

        about = "About The Tamrel (V1.10)"
        step("menu", setup, "Help", "About The Tamrel")
        self.assertIn("Edit|MIT License\\r\\n\\r\\nCopyright (c) 2026 The Tamrel project\\r\\n", step("controls", about))
        # Escape closes the window with the focus, whichever control has it.
        self.expect_open(about, table, topic, "Help: Troubleshooting")
        drive.key("Escape")
        self.expect_open(table, topic, "Help: Troubleshooting")

        step("press", table, "Close")
        step("press", topic, "Close")
        step("menu", setup, "Tamrel Options", "Cancel and Exit")
        drive.box("Quit without saving?", "Yes", "Your settings will not be saved. Are you sure you want to quit?",
                  "Yes,No")
        self.assert_still_running(process, "Tamrel ended while a help window was open")
        step("press", "Help: Troubleshooting", "Close")
        drive.wait_end(process)


if __name__ == "__main__":
    unittest.main()
