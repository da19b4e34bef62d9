"""What only the Linux program has: clicks of either button, the power-off's
wait for programs holding it up, the re-start of an updated executable, the
wait for what a launcher leaves running."""

import os
import shutil
import signal
import time

import dbus

from harness import ProgramTest, pids_of, wait_for


class TamrelTest(ProgramTest):
    def test_only_a_left_click_on_the_background_cancels(self):
        self.folder.write_settings("Key to cancel =-1", "Seconds to cancel =25")
        process = self.driver.start()
        self.driver.screen(process)
        self.driver.let_screen_take_input()
        self.driver.click(512, 384)  # the frame
        self.driver.click(20, 20, button=3)
        self.assert_still_running(process, "a click on the frame or of the right button cancelled")
        self.driver.click(20, 20)
        self.driver.wait_end(process)
        self.stopped_at("User canceled shutdown at", 23, 24)

    def test_the_restart_key_starts_a_new_run_even_of_a_replaced_executable(self):
        self.folder.write_settings("Key to re-start =32", "Seconds to cancel =25")
        first = self.driver.start()
        self.driver.screen(first)
        # An update replaces the file; the running program's own is then gone.
        shutil.copy2(self.folder.exe, self.folder.exe + ".new")
        os.replace(self.folder.exe + ".new", self.folder.exe)
        self.driver.let_screen_take_input()
        self.driver.key("space")
        self.driver.wait_end(first)
        second = wait_for(lambda: pids_of(self.folder.exe), what="the new instance")[0]
        self.driver.screen(second)
        self.driver.let_screen_take_input()
        self.driver.key("Escape")
        wait_for(lambda: self.folder.events()[-1:] == ["Tamrel ended."], what="the new run's end")  # in a new log

    def test_what_a_launcher_leaves_running_is_waited_for_but_not_a_daemon(self):
        front = self.folder.file("front.sh")
        with open(front, "w") as script:
            script.write("#!/bin/sh\ntouch started.txt\n(sleep 3; date +%s.%N > ended.txt) &\n"
                         "setsid sh -c 'echo $$ > daemon.txt; exec sleep 60' &\nexit 0\n")
        os.chmod(front, 0o755)
        self.folder.write_settings("Shutdown method =2", "Seconds to cancel =5", "Shortest run in seconds =2")
        process = self.driver.start()
        named = self.folder.file("daemon.txt")
        wait_for(lambda: os.path.exists(named) and os.path.getsize(named), what="the daemon")
        with open(named) as pid:
            daemon = int(pid.read())
        self.addCleanup(os.kill, daemon, signal.SIGKILL)
        self.expect_screen_after(process)
        self.driver.let_screen_take_input()
        self.driver.key("Escape")
        self.driver.wait_end(process)
        ended = [line.split(" --- ", 1)[-1] for line in self.folder.lines("talog1.txt") if "Program ended" in line]
        self.assertRegex(ended[0], r"^Program ended with exit status 0 after 0 seconds; "
                                   r"what it started ended after [34] seconds\.$")
        self.stopped_at("User canceled shutdown at", 3, 5)
        self.assertEqual(self.folder.errors(), [], "the run was taken for a failed one")
        os.kill(daemon, 0)  # still running

    def test_the_power_off_waits_while_a_program_blocks_it_and_the_keys_still_work(self):
        # A killed front end and a file from before the shortest run: nothing tells that the run failed.
        self.folder.write_front_end(last="kill -9 $$")
        self.folder.write_settings("Shutdown method =2", "Seconds to cancel =5", "-Shortest run in seconds =")
        logind = dbus.Interface(dbus.bus.BusConnection(self.bus.address).get_object(
            "org.freedesktop.login1", "/org/freedesktop/login1"), "org.freedesktop.login1.Manager")
        # Held while the descriptor is open; a delay changes nothing.
        held = logind.Inhibit("sleep:shutdown", "Arcade saver", "saving the high scores", "block").take()
        delay = logind.Inhibit("shutdown", "Updater", "finishing a download", "delay").take()
        self.addCleanup(os.close, delay)
        process = self.driver.start()
        waiting = "Waiting for Arcade saver: saving the high scores"  # on the screen as in the log
        wait_for(lambda: waiting in self.folder.events(), 20, what="the wait for the holder")
        wait_for(lambda: len(self.bus.call_times("ListInhibitors")) >= 3, what="logind asked again")
        asked = self.bus.call_times("ListInhibitors")
        self.assertTrue(1.5 <= asked[2] - asked[0] <= 3, f"asked at {asked}, not every second")
        self.assertNotIn("PowerOff False", self.bus.calls())
        os.close(held)
        dropped = time.time()
        powered_off = wait_for(lambda: self.bus.call_times("PowerOff"), what="PowerOff")[0]
        self.assertLessEqual(powered_off - dropped, 2)  # Unattended pins what is logged meanwhile
        self.driver.key("Escape")
        self.driver.wait_end(process)
        self.assertEqual(self.folder.events()[-2:], ["User canceled shutdown at 0 seconds.", "Tamrel ended."])
