"""A power-off from outside (the power button, another program) while the
front end runs, against the mock logind: Tamrel holds a delay inhibitor for
the run only, and on PrepareForShutdown(true) asks the front end to end,
gives it logind's longest delay less a second, and ends without its screen
or a power-off of its own. Sleep, a shutdown called off, and a logind that
refuses to wait change nothing."""

import os
import time

import dbus

from harness import ProgramTest, wait_for

ASKED = "The system is shutting down: asking front.sh to end."
HELD = ("shutdown", "Tamrel", "Letting front.sh save and end", "delay")
# logind waits 4 s at most: the front end has 3.
DELAY = {"CanPowerOff": "yes", "InhibitDelayMaxUSec": 4_000_000}

# Saves over 2 s once asked to end: the whole group is asked, its sleep too.
SAVING = """#!/bin/sh
save() {
    for part in 1 2 3 4; do echo "part $part" >> save.txt; sleep 0.5; done
    echo complete >> save.txt
    exit 0
}
trap save TERM
touch started.txt
sleep 60 &
wait
"""
# Not to be asked: only the force of the limit ends it.
DEAF = """#!/bin/sh
trap '' TERM
touch started.txt
sleep 60
"""


class OutsideShutdownTest(ProgramTest):
    def front_end(self, script):
        path = self.folder.file("front.sh")
        with open(path, "w") as file:
            file.write(script)
        os.chmod(path, 0o755)

    def logind(self):
        connection = dbus.bus.BusConnection(self.bus.address)
        self.addCleanup(connection.close)
        return connection.get_object("org.freedesktop.login1", "/org/freedesktop/login1")

    def inhibitors(self):
        listed = self.logind().ListInhibitors(dbus_interface="org.freedesktop.login1.Manager")
        return [tuple(str(field) for field in inhibitor[:4]) for inhibitor in listed]

    def prepare(self, what, starting):
        self.logind().Prepare(what, starting, dbus_interface="org.freedesktop.DBus.Mock")

    def start(self, script, parameters=DELAY):
        self.bus = self.driver.use_logind(parameters)
        self.front_end(script)
        self.folder.write_settings("Shutdown method =2", "Seconds to cancel =5")
        for name in ("started.txt", "save.txt"):
            if os.path.exists(self.folder.file(name)):
                os.remove(self.folder.file(name))
        process = self.driver.start()
        wait_for(lambda: os.path.exists(self.folder.file("started.txt")), 20, what="the front end's start")
        return process

    def shut_down_from_outside(self, script):
        """Logind's word while the front end runs: the time Tamrel took to end, and its last log lines."""
        process = self.start(script)
        wait_for(lambda: self.inhibitors() == [HELD], 10, what="the inhibitor", seen=self.inhibitors)
        began = time.monotonic()
        self.prepare("Shutdown", True)
        self.driver.wait_end(process, 15)
        took = time.monotonic() - began
        self.assertFalse(self.driver.screen_shown(process))
        self.assertEqual(self.inhibitors(), [])
        events = self.folder.events()
        self.assertIn(ASKED, events, events)
        # No screen, no countdown, no power-off of Tamrel's own: the machine is going off already.
        self.assertEqual(self.bus.call_times("PowerOff"), [])
        self.assertEqual(self.folder.errors(), [])
        return took, events[events.index(ASKED):]

    def test_the_inhibitor_is_held_for_the_run_only_and_sleep_or_a_shutdown_called_off_change_nothing(self):
        process = self.start(SAVING.replace("sleep 60 &", "sleep 3 &"))
        wait_for(lambda: self.inhibitors() == [HELD], 10, what="the inhibitor", seen=self.inhibitors)
        for what, starting in (("Sleep", True), ("Sleep", False), ("Shutdown", False)):
            self.prepare(what, starting)
        # The front end runs its course; the screen follows as ever.
        self.driver.screen(process, 15)
        self.assertFalse(os.path.exists(self.folder.file("save.txt")), "the front end was asked to end")
        self.assertEqual(self.inhibitors(), [])
        self.cancel_and_expect_end(process, "front.sh")
        self.assertNotIn(ASKED, self.folder.events())
        self.assertEqual(self.bus.all_calls().count('Inhibit "shutdown" "Tamrel" "Letting front.sh save and end" '
                                                    '"delay"'), 1)

        # A logind that will not wait: the run goes on as ever, with one line saying so.
        process = self.start(SAVING.replace("sleep 60 &", "sleep 2 &"),
                             {**DELAY, "InhibitError": "Access denied to the delay."})
        self.prepare("Shutdown", True)
        self.driver.screen(process, 15)
        self.cancel_and_expect_end(process, "front.sh")
        events = self.folder.events()
        self.assertNotIn(ASKED, events)
        self.assertEqual([line for line in events if "from outside" in line], [
            "A power-off from outside will not wait for front.sh to save and end: logind refused "
            "(Access denied to the delay.)."])

    def test_a_shutdown_from_outside_lets_the_front_end_save_or_ends_it_at_logind_s_limit(self):
        took, last = self.shut_down_from_outside(SAVING)
        with open(self.folder.file("save.txt")) as save:
            self.assertEqual(save.read().split("\n")[-2:], ["complete", ""])
        self.assertEqual(last, [ASKED, "Program (front.sh) finished!", "Program ended with exit status 0 after ...",
                                "Tamrel ended."])
        self.assertLess(took, 3.5)

        took, last = self.shut_down_from_outside(DEAF)
        self.assertEqual(last, [ASKED, "front.sh did not end within 3 seconds of being asked, so it was ended by force.",
                                "Program (front.sh) finished!", "Program ended by signal 9 after ...",
                                "Tamrel ended."])
        self.assertGreater(took, 2.8)
        self.assertLess(took, 6)
