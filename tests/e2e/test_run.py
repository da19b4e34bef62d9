"""A run on either build: the wait, the screen and its cancel key, the marker
file, Tamrel itself refused as the program, a second instance."""

import os
import time

from harness import WINE, ProgramTest, wait_for

NOT_FOUND = "I could not find the config file, Tamrel.set. You must run setup to correct it"
WILL_NOT_RUN = "The tamrel will not be able to run until you fix the problem."
PROGRAM_PROBLEM = ("There is a problem with the program you are trying to launch, or it's path. "
                   "You must run setup to correct it")


class RunTest(ProgramTest):
    def test_the_screen_follows_the_program_and_escape_cancels(self):
        front = self.folder.write_front_end(seconds=1.5)
        # A joystick button beside the key: the screen listens, the wait does not.
        self.folder.write_settings("Seconds to cancel =10", "Joystick button to cancel =3")
        process = self.driver.start()
        def sdl_loaded():
            with open(f"/proc/{process.pid}/maps") as maps:
                return "libSDL2" in maps.read()
        if not WINE:
            time.sleep(0.5)
            devices = [os.readlink(f"/proc/{process.pid}/fd/{fd}") for fd in os.listdir(f"/proc/{process.pid}/fd")]
            self.assertEqual([d for d in devices if d.startswith("/dev/input")], [], "a device opened during the wait")
            self.assertFalse(sdl_loaded(), "the joystick library was loaded during the wait")
        self.expect_screen_after(process)
        if not WINE:
            wait_for(sdl_loaded, what="the screen listening to the joysticks")
            self.screenshot("linux-default.png")
        self.driver.let_screen_take_input()
        # The second logged must show that the countdown has counted.
        time.sleep(2.2)
        self.driver.key("Escape")
        self.driver.wait_end(process)
        stopped = self.stopped_at("User canceled shutdown at", *((5, 9) if WINE else (7, 8)))
        self.expect_whole_run(front, f"User canceled shutdown at {stopped} seconds.", "Tamrel ended.")

    def test_with_the_marker_file_the_run_ends_without_the_screen(self):
        self.folder.write_front_end(seconds=0.5)
        self.folder.write_settings()
        open(self.driver.marker, "w").close()
        process = self.driver.start()
        self.driver.wait_end(process)
        self.assertIn(f"{self.driver.marker_logged} is present, so tamrel will end without shutting PC down.",
                      self.folder.events())

    def test_tamrel_itself_as_the_program_is_refused_and_cancelling_ends_it(self):
        # Written as a user writes it: the unit tests compare the system's own path.
        program = f"Program ={self.folder.dir}{os.path.basename(self.folder.exe)}"
        self.folder.write_settings(program)
        process = self.driver.start()
        self.driver.box("Tamrel has encountered a problem!", "Cancel", PROGRAM_PROBLEM, "OK,Cancel")
        self.driver.box("tamrel", "OK", WILL_NOT_RUN, "OK")
        self.driver.wait_end(process)
        self.assertEqual(self.folder.errors(), ["--Problem with program or its path: " + program])

    def test_a_second_instance_waits_and_says_so(self):
        self.folder.write_front_end(seconds=12)
        self.folder.write_settings()
        first = self.driver.start()
        wait_for(lambda: os.path.exists(self.folder.file("started.txt")), 30, what="the front end")
        started = time.monotonic()
        second = self.driver.start()
        self.driver.box("tamrel", "OK", "Tamrel is already running in this folder.", "OK", timeout=30)
        waited = time.monotonic() - started
        # A loaded machine may take more than 10 seconds for a box.
        self.assertTrue(5 <= waited <= 25, f"the box came after {waited:.1f} s, not about 5")
        self.driver.wait_end(second)
        self.expect_screen_after(first)
        self.cancel_and_expect_end(first, self.folder.front_end)

    def test_a_front_end_that_fails_at_once_leaves_the_machine_on_and_says_why(self):
        self.folder.write_front_end(seconds=0, last="exit /b 3" if WINE else "exit 3")
        self.folder.write_settings("Shutdown method =2", "Seconds to cancel =5", "Shortest run in seconds =10")
        process = self.driver.start()
        self.driver.screen(process)
        why = wait_for(self.folder.errors, 10, 0.1, "the reason")[0].removeprefix(" --")  # Unattended pins it
        if WINE:  # Linux labels are read only through AT-SPI; the unit tests pin what shows
            self.assertIn(why, self.driver.run("labels", "")[0].split("\n"), "the reason is not on the screen")
        time.sleep(5 + 5)  # the countdown's time and more: a shutdown would end the run or reach logind
        if not WINE:
            self.assertEqual(self.driver.bus.calls(), [])
        self.assertIn("Program ended with exit status 3 after ...", self.folder.events())
        self.driver.key("Escape")
        self.driver.wait_end(process)
        self.assertEqual(self.folder.events()[-2:], ["User canceled shutdown at 5 seconds.", "Tamrel ended."])
