"""The Linux program against stop requests and lost or missing displays."""

import os
import signal
import time

from harness import ProgramTest, SilentCompositor, wait_for, without_wayland_plugin


class HardeningTest(ProgramTest):
    def test_a_stop_request_is_passed_on_to_the_program_or_ends_the_countdown_with_the_machine_on(self):
        front = self.folder.file("front.sh")
        with open(front, "w") as script:
            # What the script starts must go with it.
            script.write("#!/bin/sh\ntrap 'echo stopped > stopped.txt; exit 0' TERM\n"
                         "sh -c \"trap 'echo child > child.txt; exit 0' TERM; touch started.txt;"
                         " while :; do sleep 0.05; done\" &\nwhile :; do sleep 0.05; done\n")
        os.chmod(front, 0o755)
        self.folder.write_settings("Shutdown method =2", "Seconds to cancel =5")
        process = self.driver.start()
        wait_for(lambda: os.path.exists(self.folder.file("started.txt")), what="the program")
        process.send_signal(signal.SIGTERM)
        process.wait(10)
        self.assertEqual(self.folder.events()[-1],
                         "Tamrel was asked to stop (signal 15) while front.sh was running.")
        for mark in ("stopped.txt", "child.txt"):
            wait_for(lambda: os.path.exists(self.folder.file(mark)), what=f"the program's own end ({mark})")
        self.folder.write_front_end()
        process = self.driver.start()
        self.driver.screen(process)
        # The second logged must show that the countdown has counted.
        time.sleep(1.2)
        process.send_signal(signal.SIGTERM)
        process.wait(10)
        self.stopped_at("Tamrel was asked to stop (signal 15) at", 3, 4)
        self.assertEqual(self.bus.calls(), [])  # and, ended, it can ask for nothing more

    def test_a_lost_display_ends_it_without_a_shutdown(self):
        self.folder.write_settings("Shutdown method =2", "Seconds to cancel =5")
        # Without an answering compositor it uses X.
        process = self.driver.start(extra_env={"WAYLAND_DISPLAY": "wayland-9"})
        self.expect_screen_after(process)
        self.display.close()
        self.assertEqual(process.wait(10), 1)
        self.assertTrue(self.folder.events()[-1].startswith("Tamrel lost the display: "), self.folder.events()[-1])
        self.assertEqual(self.bus.calls(), [])  # and, ended, it can ask for nothing more

    def test_a_frozen_compositor_or_one_qt_has_no_plugin_for_gives_way_to_x(self):
        self.folder.write_settings("Shutdown method =2", "Seconds to cancel =25")
        silent = SilentCompositor(self.folder.file("wayland-frozen"))
        self.addCleanup(silent.close)
        unplugged = without_wayland_plugin(self.folder.path)
        for prefix in ([], unplugged) if unplugged else ([],):
            for name in ("started.txt", "ended.txt"):
                if os.path.exists(self.folder.file(name)):
                    os.remove(self.folder.file(name))
            process = self.driver.start(extra_env={"WAYLAND_DISPLAY": silent.name}, prefix=prefix)
            self.expect_screen_after(process)
            self.cancel_and_expect_end(process, "front.sh")

    def test_without_a_display_that_serves_nothing_is_launched_and_it_says_so_at_once(self):
        self.folder.write_settings("Shutdown method =2", "Seconds to cancel =5")
        silent = SilentCompositor(self.folder.file("wayland-frozen"))
        self.addCleanup(silent.close)
        self.display.display = ""
        cases = [([], None, "no display is set (WAYLAND_DISPLAY and DISPLAY are empty)"),
                 ([], "wayland-9", "the Wayland compositor of wayland-9 does not answer (No such file or directory)"),
                 ([], silent.name,
                  f"the Wayland compositor of {silent.name} does not answer (no answer within 3 seconds)")]
        unplugged = without_wayland_plugin(self.folder.path)
        if unplugged:
            cases.append((unplugged, silent.name, f"the Wayland compositor of {silent.name} cannot be used: "
                          "Qt's plugin for it is not installed (package qt6-wayland)"))
        for prefix, wayland, why in cases:
            began = time.monotonic()
            process = self.driver.start(extra_env={"WAYLAND_DISPLAY": wayland} if wayland else None, prefix=prefix)
            self.assertEqual(process.wait(15), 1)
            self.assertLess(time.monotonic() - began, 8, why)
            why = "Tamrel could not open the display: " + why
            self.assertEqual(self.folder.events()[-1], why)
            self.assertTrue(self.folder.lines("tamrel.txt")[-1].endswith(" --" + why))
            self.assertIn(why, self.driver.said())
        self.assertFalse(os.path.exists(self.folder.file("started.txt")), "the program was launched")
        self.assertNotIn("Launching program: front.sh", self.folder.events())
        self.assertEqual(self.bus.calls(), [])
