"""The real Linux program against what a hostile run tried: FIFOs in a
file's place, stop requests, a lost display and a marker file of another
user."""

import os
import signal
import time
import unittest

from harness import ProgramTest, wait_for

NOBODY = 65534


class HardeningTest(ProgramTest):
    def test_a_fifo_in_place_of_a_log_is_an_error_not_a_hang(self):
        os.mkfifo(self.folder.file("talog1.txt"))
        self.folder.write_settings()
        process = self.start()
        # "The Tamrel has encountered an error: ..."
        wait_for(lambda: self.display.xdotool("search", "--onlyvisible", "--name", "^tamrel$").stdout,
                 what="the error box")
        self.assertIsNone(process.poll())
        self.assertFalse(os.path.exists(self.folder.file("ended.txt")), "nothing was launched")

    def test_a_stop_request_while_the_program_runs_is_passed_on(self):
        front = self.folder.file("front.sh")
        with open(front, "w") as script:
            script.write("#!/bin/sh\ntrap 'echo stopped > stopped.txt; exit 0' TERM\ntouch started.txt\n"
                         "while :; do sleep 0.05; done\n")
        os.chmod(front, 0o755)
        self.folder.write_settings()
        process = self.start()
        wait_for(lambda: os.path.exists(self.folder.file("started.txt")), what="the program")
        process.send_signal(signal.SIGTERM)
        process.wait(10)
        self.assertEqual(self.folder.events()[-1],
                         "Tamrel was asked to stop (signal 15) while front.sh was running.")
        wait_for(lambda: os.path.exists(self.folder.file("stopped.txt")), what="the program's own end")
        self.assertEqual(self.bus.calls(), [])

    def test_a_stop_request_during_the_countdown_leaves_the_machine_on(self):
        self.folder.write_settings("Shutdown method =2", "Seconds to cancel =5")
        process = self.start()
        self.driver.screen(process)
        # The second logged must show that the countdown has counted.
        time.sleep(1.2)
        process.send_signal(signal.SIGTERM)
        process.wait(10)
        self.stopped_at("Tamrel was asked to stop (signal 15) at", 3, 4)
        self.assertEqual(self.folder.events()[-1], "Tamrel ended.")
        self.assertEqual(self.bus.calls(), [])  # and, ended, it can ask for nothing more

    def test_without_a_display_it_ends_after_the_program_without_a_shutdown(self):
        self.folder.write_settings("Shutdown method =2", "Seconds to cancel =5")
        self.display.display = ""
        process = self.start()
        self.assertEqual(process.wait(10), 1)
        why = "Tamrel could not open the display: no display is set (DISPLAY is empty)"
        self.assertEqual(self.folder.events()[-1], why)
        self.assertTrue(self.folder.lines("tamrel.txt")[-1].endswith(" --" + why))
        self.assertIn(why, process.stderr.read())
        self.assertTrue(os.path.exists(self.folder.file("ended.txt")), "the program ran first")
        self.assertEqual(self.bus.calls(), [])

    def test_a_display_lost_during_the_countdown_ends_without_a_shutdown(self):
        self.folder.write_settings("Shutdown method =2", "Seconds to cancel =5")
        process = self.start()
        self.driver.screen(process)
        self.display.close()
        self.assertEqual(process.wait(10), 1)
        self.assertTrue(self.folder.events()[-1].startswith("Tamrel lost the display: "), self.folder.events()[-1])
        self.assertEqual(self.bus.calls(), [])  # and, ended, it can ask for nothing more

    @unittest.skipUnless(os.geteuid() == 0, "needs a second user")
    def test_another_users_marker_does_not_count(self):
        # Tamrel runs as nobody; the marker in its runtime folder is root's.
        os.chmod(self.folder.path, 0o777)
        self.folder.write_settings("Shutdown method =0")
        marker = self.folder.file("holdmark.tes")
        with open(marker, "w"):
            pass
        process = self.start(prefix=["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups"])
        process.wait(15)
        events = self.folder.events()
        self.assertIn(f"{marker} is not a plain file of this user, so it was ignored.", events)
        self.assertNotIn(f"{marker} is present, so tamrel will end without shutting PC down.", events)


if __name__ == "__main__":
    unittest.main()
