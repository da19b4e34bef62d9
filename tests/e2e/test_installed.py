"""The installed program (TAMREL_EXE=/usr/bin/tamrel, run by scripts/test-package.sh)
uses $XDG_CONFIG_HOME/tamrel and $XDG_STATE_HOME/tamrel, and nothing beside it;
without a file of the user's own, the system's from $XDG_CONFIG_DIRS."""

import os
import shutil
import subprocess
import tempfile
import unittest

from harness import ENCODING, TAMREL, TEMPLATE, PrivateDisplay, PrivateSystemBus, kill, session_env, wait_for


class InstalledTest(unittest.TestCase):
    def test_a_run_reads_and_writes_the_users_own_folders(self):
        self.run_and_power_off(system=False)

    def test_a_user_without_a_file_runs_on_the_systems_which_stays_unchanged(self):
        self.run_and_power_off(system=True)

    def run_and_power_off(self, system):
        home = tempfile.mkdtemp(prefix="tamrel-home-")
        self.addCleanup(shutil.rmtree, home, ignore_errors=True)
        display, bus = PrivateDisplay(), PrivateSystemBus()
        self.addCleanup(display.close)
        self.addCleanup(bus.close)
        config, state, front = (os.path.join(home, *parts) for parts in (("config",), ("state", "deep"), ("front.sh",)))
        # The first folder of the list that has the file wins.
        systems = [os.path.join(home, name) for name in ("empty", "fleet", "later")]
        settings = os.path.join(systems[1] if system else config, "tamrel", "tamrel.set")
        for folder in [config] + systems:
            os.makedirs(os.path.join(folder, "tamrel"))
        shutil.copy("/bin/true", front)
        contents = subprocess.run([TEMPLATE, f"Program ={front}", "Shutdown method =2", "Seconds to cancel =5"],
                                  capture_output=True, check=True).stdout
        for path in (settings, os.path.join(systems[2], "tamrel", "tamrel.set")):
            with open(path, "wb") as file:
                file.write(contents if path == settings else b"damaged")
        before = sorted(os.listdir(os.path.dirname(TAMREL)))

        env = session_env(home, bus, DISPLAY=display.display, XDG_CONFIG_HOME=config, XDG_STATE_HOME=state,
                          XDG_CONFIG_DIRS=":".join(systems))
        del env["HOME"]  # absolute XDG folders need no home
        process = subprocess.Popen([TAMREL], cwd="/", env=env, stderr=subprocess.DEVNULL)
        self.addCleanup(kill, process)
        def logged():
            path = os.path.join(state, "tamrel", "talog1.txt")
            if not os.path.exists(path):
                return ""
            with open(path, encoding=ENCODING) as log:
                return log.read()

        # Logged once logind has accepted it.
        wait_for(lambda: "tamrel ended." in logged(), timeout=30, what="the accepted power-off")
        self.assertIn("PowerOff False", bus.calls())
        display.xdotool("key", "Escape")
        process.wait(20)

        events = logged()
        self.assertIn("Launching program: front.sh", events)
        self.assertIn("Shutting down PC, using shutdown method 2", events)
        if system:
            self.assertIn("This user has no tamrel.set: reading the system's, " + settings, events)
            with open(settings, "rb") as file:
                self.assertEqual(file.read(), contents)
        self.assertEqual(os.listdir(os.path.join(config, "tamrel")), [] if system else ["tamrel.set"])
        self.assertNotIn("tamrel.txt", os.listdir(os.path.join(state, "tamrel")), "an error was logged")
        self.assertEqual(sorted(os.listdir(os.path.dirname(TAMREL))), before)
