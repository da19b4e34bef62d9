"""The Windows build under Wine where Windows differs."""

import os
import subprocess

from harness import ProgramTest, pixel
from winedriver import WineFolder, WineUi


def convert(*args):
    subprocess.run(["convert", *args], check=True)


class WineRunTest(ProgramTest):
    def test_a_program_is_waited_for_and_on_a_skin_only_the_background_click_cancels(self):
        convert("-size", "800x600", "gradient:#102040-#3070a0", "-fill", "#e0b030", "-draw", "circle 600,420 600,330",
                "-fill", "#f0f0f0", "-draw", "rectangle 60,500 360,540", "BMP3:" + self.folder.file("skin.bmp"))
        d = self.folder.dir
        self.folder.write_settings(f"Program ={d}sleeper.exe", "Key to cancel =-1", f"Skin ={d}skin.bmp",
                                   "Countdown box X position = 1000", "Countdown box Y position = 3000",
                                   "Countdown box font =Comic Sans MS", "Countdown box fontsize =48",
                                   "Countdown box bold font =True", "Countdown box color = 255")
        process = self.driver.start()
        self.expect_screen_after(process, "sleeper-started.txt", "sleeper-ended.txt")
        self.driver.let_screen_take_input()
        self.assert_still_running(process, "the click the screen injects at its start cancelled")
        self.screenshot("windows-skin.png")
        # Drawn the right way up and in its own colours: the disc, lower right.
        picture = self.folder.file("screen.png")
        self.driver.display.screenshot(picture)
        self.assertEqual(pixel(picture, 600, 440), "#E0B030")
        self.driver.click(250, 110)
        self.assert_still_running(process, "a click on the countdown box cancelled")
        self.driver.click(900, 700)
        self.driver.wait_end(process)
        self.stopped_at("User canceled shutdown at", 5, 9)

    def test_on_the_default_look_a_click_restarts_a_renamed_executable_but_not_on_the_frame(self):
        self.folder.write_front_end(seconds=3)
        self.folder.write_settings("Key to re-start =-1")
        renamed = self.folder.file("Tamrel Cabinet 100%.exe")
        os.rename(self.folder.exe, renamed)
        self.folder.exe = renamed
        process = self.driver.start()
        self.expect_screen_after(process)
        self.driver.let_screen_take_input()
        self.screenshot("windows-default.png")
        self.driver.click(512, 384)
        self.assert_still_running(process, "a click on the frame re-started")
        for mark in ("started.txt", "ended.txt"):
            os.remove(self.folder.file(mark))
        self.driver.click(40, 40)
        # The new instance runs the whole cycle while Wine may still take the old one down.
        self.expect_screen_after(None)
        self.driver.wait_end(process)
        with open(self.folder.file("rerunta.bat"), "rb") as rerun:
            self.assertEqual(rerun.read(), b"@echo off\r\nREM This file will restart The Tamrel.\r\n"
                             b"REM This file was created by The Tamrel.\r\n"
                             b'start "" "' + self.folder.dir.encode() + b'Tamrel Cabinet 100%%.exe"\r\nexit\r\n')
        self.stopped_at("User chose to cancel shutdown and re-start program at", 5, 9, "talog2.txt")
        # Gone from its place, the executable cannot be started again: both logs say so.
        os.rename(renamed, self.folder.file("elsewhere.exe"))
        self.driver.let_screen_take_input()
        self.driver.click(40, 40)
        self.driver.step("window", "TamrelWindow", "vanish", "20000")
        self.driver.session.idle()
        failed = [line for line in self.folder.events() if line.startswith("Tamrel could not re-start: ")]
        self.assertEqual(len(failed), 1, self.folder.events())
        self.assertIn("Tamrel Cabinet 100%.exe", failed[0])
        self.assertTrue(self.folder.errors()[-1].endswith(" --" + failed[0]), self.folder.errors())

    def test_a_batch_file_that_starts_the_front_end_and_ends_is_waited_for_with_it(self):
        self.folder.write("front.bat", ["@echo off", "start sleeper.exe 4000", "exit"])
        self.folder.write_settings("Seconds to cancel =5", "Shortest run in seconds =2")
        process = self.driver.start()
        self.expect_screen_after(process, "sleeper-started.txt", "sleeper-ended.txt")
        self.cancel_and_expect_end(process, "front.bat")
        ended = [line.split(" --- ", 1)[-1] for line in self.folder.lines("talog1.txt") if "Program ended" in line]
        self.assertRegex(ended[0], r"^Program ended with exit status 0 after [0-2] seconds?; "
                                   r"what it started ended after [4-6] seconds\.$")

    def test_the_countdown_reaches_0_and_asks_for_the_shutdown(self):
        # Wine ends the prefix's session.
        front = self.folder.write_front_end(seconds=0.3)
        self.folder.write_settings("Seconds to cancel =5")
        self.driver.wait_end(self.driver.start())
        self.expect_whole_run(front, "Shutting down PC, using shutdown method 1", "tamrel ended.")

    def test_a_missing_unreadable_truncated_or_header_only_skin_ends_with_a_box(self):
        convert("-size", "640x480", "xc:#204060", "BMP3:" + self.folder.file("whole.bmp.tmp"))
        with open(self.folder.file("whole.bmp.tmp"), "rb") as source:
            data = source.read()
        # The last two: headers that promise more rows than the file holds.
        for skin, content in (("missing.bmp", None), ("bad.bmp", b"BM this is no bitmap"),
                              ("truncated.bmp", data[:20000]), ("header.bmp", data[:54])):
            if content:
                with open(self.folder.file(skin), "wb") as part:
                    part.write(content)
            path = self.folder.dir + skin
            self.folder.write_settings(f"Skin ={path}")
            process = self.driver.start()
            problem = f"File not found: {path}" if skin == "missing.bmp" else f"Invalid picture: {path}"
            self.driver.box("tamrel", "OK")  # its text: ShutdownScreenTest
            self.driver.wait_end(process)
            self.assertEqual(self.folder.errors()[-1],
                             f"---Tamrel encountered error.  ({problem}). Please check for proper setup.")

    def test_a_shortcut_is_started_as_it_says_and_a_broken_one_is_a_program_problem(self):
        d = self.folder.dir
        self.folder.write_front_end(argument="%1")
        os.mkdir(self.folder.file("links"))
        # Arguments and working folder reach the target only through the link.
        self.driver.step("shortcut", d + "links\\front.lnk", d + "front.bat", "3000", d.rstrip("\\"))
        self.folder.write_settings(f"Program ={d}links\\front.lnk")
        process = self.driver.start()
        self.expect_screen_after(process)
        self.cancel_and_expect_end(process, "front.lnk")

        with open(self.folder.file("links/broken.lnk"), "wb") as broken:
            broken.write(b"no shell link")
        self.folder.write_settings(f"Program ={d}links\\broken.lnk")
        process = self.driver.start()
        self.driver.box("tamrel", "OK")  # its text: RunSequenceTest
        self.driver.wait_end(process)
        self.assertEqual(self.folder.errors(), [f"--Program did not launch properly: {d}links\\broken.lnk"])

    def test_a_shortcut_to_tamrel_is_refused_and_a_long_argument_reaches_the_program_whole(self):
        d = self.folder.dir
        self.driver.step("shortcut", d + "Tamrel Cabinet.lnk", d + "tamrel.exe", "", d.rstrip("\\"))
        program = f"Program ={d}Tamrel Cabinet.lnk"
        self.folder.write_settings(program)
        process = self.driver.start()
        self.driver.box("Tamrel has encountered a problem!", "Cancel")  # its text: RunSequenceTest
        self.driver.box("tamrel", "OK")
        self.driver.wait_end(process)
        self.assertEqual(self.folder.errors(), ["--Problem with program or its path: " + program])

        # Past the 1,023 characters the shell's own dialogs show.
        argument = " ".join(f"word{i:04d}" for i in range(267))
        self.folder.write("echo.bat", ["@echo off", ">arguments.txt echo %*"])
        self.driver.step("shortcut", d + "echo.lnk", d + "echo.bat", argument, d.rstrip("\\"))
        self.folder.write_settings(f"Program ={d}echo.lnk", "Shutdown method =0")
        self.driver.wait_end(self.driver.start())
        self.assertEqual(self.folder.lines("arguments.txt"), [argument])

    def test_a_hidden_or_system_marker_at_the_root_or_in_the_program_folder_keeps_the_machine_on(self):
        self.folder.write_settings()
        root, in_folder = self.driver.markers_logged
        # Hidden and system at the root; hidden in the program folder.
        for marker, named, attributes in ((self.driver.marker, root, "6"),
                                          (self.folder.file("holdmark.tes"), in_folder, "2")):
            open(marker, "w").close()
            self.driver.step("attributes", named, attributes)
            self.driver.wait_end(self.driver.start())
            found = f"{named} is present, so tamrel will end without shutting PC down."
            self.assertEqual(self.folder.events()[-2:], [found, "Tamrel ended."])
            self.driver.step("attributes", named, "0x80")
            os.remove(marker)

    def test_an_invalid_executable_is_an_error_told_by_its_system_number(self):
        with open(self.folder.file("fake.exe"), "wb") as fake:
            fake.write(b"not a program")
        self.folder.write_settings(f"Program ={self.folder.dir}fake.exe")
        process = self.driver.start()
        seen = self.driver.step("box", "tamrel", "OK", "30000")
        self.driver.box("Run Setup?", "No", "Do you want to run setup?", "Yes,No")
        self.driver.wait_end(process)
        self.assertRegex(seen, r"encountered an error: .*fake\.exe ERR# 193")
        self.assertRegex(self.folder.errors()[0], r"^--Error encountered: 193: .*fake\.exe$")

    def test_a_program_folder_named_in_greek_logs_launches_and_waits(self):
        front = self.folder
        front.write_front_end(seconds=1.5)
        self.folder = WineFolder(self.driver.session, "Φάκελος")
        self.folder.write_settings(f"Program ={front.dir}front.bat")
        # File names reach Wine as UTF-8; the system code page stays without Greek.
        process = self.driver.start(folder=self.folder, extra_env={"LC_ALL": "C.UTF-8"})
        self.expect_screen_after(process, front.file("started.txt"), front.file("ended.txt"))
        self.cancel_and_expect_end(process, "front.bat")


class WineSetupTest(ProgramTest):
    def test_a_partly_loaded_file_and_a_cancelled_choice_keep_every_other_value(self):
        d, step = self.folder.dir, self.driver.step
        self.folder.write_front_end()
        convert("-size", "320x200", "xc:#336699", "BMP3:" + self.folder.file("skin.bmp"))
        self.folder.write_settings(
            "Run Setup = yes", "Shutdown method =2", "Seconds to cancel =15", "Key to cancel =97",
            "Key to re-start =32", "Countdown box X position =40000", "Countdown box Y position = 600",
            "Countdown box font =Courier New", "Countdown box italic =True", "Countdown box fontsize =14",
            "Countdown box bold font =True", "Countdown box color = 255", f"Skin ={d}skin.bmp",
            "Shortest run in seconds =30")
        keys = [line for line in self.folder.lines("tamrel.set") if not line.startswith("#")]
        process = self.driver.start()
        self.assertIn("\\rCountdown box X position =40000 (", step("box", "Settings partly loaded", "OK", "30000"))
        ui = WineUi(self.driver)
        ui.choose("Tamrel Options", "Program to launch", "Choose a different Program to Launch")
        step("dialog", "Open", "Cancel")
        ui.wait_menu_item(f"Program to launch: {d}front.bat")
        ui.choose("Tamrel Options", "Done!")
        self.driver.wait_end(process)
        # Only the bad value (and the request for setup) changed.
        keys[keys.index("Run Setup = yes")] = "Run Setup = no"
        keys[keys.index("Countdown box X position =40000")] = "Countdown box X position = 0"
        self.assertEqual([line for line in self.folder.lines("tamrel.set") if not line.startswith("#")], keys)

    def test_the_open_dialog_keeps_a_chosen_shortcut(self):
        d = self.folder.dir
        self.folder.write_front_end()
        self.driver.step("shortcut", d + "front.lnk", d + "front.bat", "3000", d.rstrip("\\"))
        self.folder.write_settings("Run Setup = yes")
        process = self.driver.start()
        ui = WineUi(self.driver)
        ui.open_file(d + "front.lnk", "Tamrel Options", "Program to launch", "Choose a different Program to Launch")
        ui.setup = d + "front.lnk"  # the window's title shows the program chosen
        ui.wait_shown(ui.setup)
        ui.wait_menu_item(f"Launch: {d}front.lnk")
        ui.choose("Tamrel Options", "Done!")
        self.driver.wait_end(process)
        self.assertIn(f"Program ={d}front.lnk", self.folder.lines("tamrel.set"))

    def test_the_time_entry_opens_on_the_files_closing_time_and_the_wake_up_item_stays_grey(self):
        step = self.driver.step
        self.folder.write_front_end()
        self.folder.write_settings("Run Setup = yes", "Shutdown method =2", "Power off at =17:40", "Wake up at =06:30")
        process = self.driver.start()
        ui = WineUi(self.driver)
        ui.wait_menu_item(">Closing time...")
        items = ui.menu_items()
        self.assertIn("Wake-up time... [grey]", items)
        self.assertTrue(any("power on by RTC" in item and item.endswith(" [grey]") for item in items), items)
        # The entry's hours and minutes fields; Cancel keeps, OK takes.
        ui.choose("Tamrel Options", ">Closing time...")  # marked: a time is set
        self.assertEqual(step("dialog", "Closing time", "Cancel", "101", "103"), "17\n40")
        ui.choose("Tamrel Options", ">Closing time...")
        step("dialog", "Closing time", "OK", "101=21", "103=5")
        ui.choose("Tamrel Options", "Done!")
        self.driver.wait_end(process)
        written = self.folder.lines("tamrel.set")
        self.assertIn("Power off at =21:05", written)
        self.assertIn("Wake up at =06:30", written)

    def test_switches_answer_in_a_box(self):
        for switch, said, status in (("/version", "tamrel 1.10\\n", 0),
                                     ("/nonsense", 'tamrel: unknown argument "/nonsense"', 2)):
            process = self.driver.start(args=[switch])
            self.assertIn("prompt: " + said, self.driver.step("box", "tamrel", "OK", "30000"))
            self.assertEqual(process.wait(), status)
        self.assertFalse(os.path.exists(self.folder.file("talog1.txt")), "a refused command line started a run")
