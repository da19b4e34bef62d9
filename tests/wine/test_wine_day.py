"""The real tamrel.exe under Wine asking its front end to end for a reason of
its own: nobody playing (X input to the Wine desktop is playing), the end of
the session, closing time. windowfront.exe is the front end; its
front-messages.txt tells what it was sent, in order."""

import datetime
import os
import shutil
import subprocess
import time

from harness import ProgramTest, wait_for
from winedriver import SLEEPER, WineUi

WINDOWFRONT = os.path.join(os.path.dirname(SLEEPER), "windowfront.exe")


class WineDayTest(ProgramTest):
    def setUp(self):
        super().setUp()
        self.ui = WineUi(self.driver)

    def front_end(self, keep=False):
        """windowfront.exe as front.exe; with `keep`, one that ignores its close."""
        shutil.copy2(WINDOWFRONT, self.folder.file("front.exe"))
        if keep:
            open(self.folder.file("front-keep.txt"), "w").close()
        self.folder.front_end = "front.exe"
        return self.folder.front_end

    def marked(self, name):
        return os.path.exists(self.folder.file(name))

    def messages(self):
        return [line.split(" ")[0] for line in self.folder.lines("front-messages.txt")]

    def start(self, *settings, seconds=90):
        self.folder.write_settings(*settings)
        process = self.driver.start(seconds=seconds)
        wait_for(lambda: self.marked("front-started.txt"), 30, 0.1, "the front end's start")
        return process

    def screen_line(self, process, line):
        self.driver.screen(process, 30)
        wait_for(lambda: line in self.ui.labels(""), 10, 0.2, repr(line), lambda: self.ui.labels(""))

    def after(self, first, count):
        """The `count` event lines after `first`, which must be there."""
        events = self.folder.events()
        self.assertIn(first, events)
        return events[events.index(first) + 1:][:count]

    def test_input_keeps_the_front_end_past_the_idle_limit_then_one_that_ignores_its_close_is_ended_by_force(self):
        program = self.front_end(keep=True)
        process = self.start("Shutdown method =2", "Idle minutes to power off =1", "Seconds to cancel =5",
                             seconds=240)
        x = self.driver.display.xdotool
        # On the front end's window, whose X window takes the keys.
        x("mousemove", "200", "200")
        began = time.monotonic()
        step = 0
        while time.monotonic() - began < 75:
            time.sleep(7)
            step += 1
            if step % 2:
                x("key", "shift")
            else:
                x("mousemove_relative", "--", str(9 - 18 * (step // 2 % 2)), "4")
        self.assertEqual(self.messages(), [], self.folder.events())
        self.assertFalse(self.driver.screen_shown(process), "the screen came while somebody played")
        quiet = time.monotonic()
        wait_for(lambda: self.marked("front-kept.txt"), 75, 0.2, "the front end's close", self.folder.events)
        asked = time.monotonic()
        self.assertGreater(asked - quiet, 50, "asked to end before a minute without input")
        self.screen_line(process, "Nobody has played for 1 minute.")
        self.assertGreater(time.monotonic() - asked, 13, "ended before its 15 s to close")
        self.driver.wait_end(process)
        self.assertEqual(self.after(f"No input for 1 minute: asking {program} to end.", 3), [
            f"{program} did not end within 15 seconds of being asked, so it was ended by force.",
            f"Program ({program}) finished!", "Program ended with exit status 1 after ..."])
        self.assertIn("In Tamrel.set, Idle minutes to power off =1", self.folder.events())
        self.assertEqual(self.folder.events()[-2:], ["Shutting down PC, using shutdown method 2", "tamrel ended."])
        self.assertEqual(self.folder.errors(), [])

    def test_the_end_of_the_session_closes_the_front_end_before_tamrel_ends_without_its_screen(self):
        program = self.front_end()
        process = self.start("Seconds to cancel =30")
        ended = subprocess.run(["timeout", "60", "wine", "wineboot", "--end-session"], env=self.driver.session.env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.assertEqual(ended.returncode, 0, "wineboot did not end the session")
        self.assertEqual(process.wait(timeout=20), 0)
        self.assertIn("close", self.messages())
        self.assertEqual(self.after(f"The system is shutting down: asking {program} to end.", 3), [
            f"Program ({program}) finished!", "Program ended with exit status 0 after ...", "Tamrel ended."])
        self.assertEqual(self.folder.errors(), [])

    def test_closing_time_reached_while_the_front_end_runs_closes_it_and_the_screen_says_why(self):
        program = self.front_end()
        # The first whole minute that leaves the front end time to start.
        due = (datetime.datetime.now() + datetime.timedelta(seconds=70)).replace(second=0, microsecond=0)
        at = due.strftime("%H:%M")
        process = self.start("Shutdown method =2", f"Power off at ={at}", "Seconds to cancel =30",
                             seconds=150)
        self.assertLess(datetime.datetime.now(), due, "the front end started after the closing time")
        left = (due - datetime.datetime.now()).total_seconds()
        wait_for(lambda: self.marked("front-closed.txt"), left + 30, 0.1, "the front end's close", self.folder.events)
        self.assertGreaterEqual(datetime.datetime.now(), due - datetime.timedelta(seconds=1), "closed too early")
        self.screen_line(process, f"Closing time ({at}).")
        self.assertEqual(self.messages(), ["close"])
        self.assertEqual(self.after(f"Closing time ({at}): asking {program} to end.", 2), [
            f"Program ({program}) finished!", "Program ended with exit status 0 after ..."])
        self.cancel_and_expect_end(process, program)
        self.assertIn(f"In Tamrel.set, Power off at ={at}", self.folder.events())
