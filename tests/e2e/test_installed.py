"""The program as the package installs it (TAMREL_EXE=/usr/bin/tamrel): its
settings come from $XDG_CONFIG_HOME/tamrel, its logs go to
$XDG_STATE_HOME/tamrel, made when missing, and nothing goes beside it.
Run by scripts/test-package.sh once the package is installed."""

import os
import shutil
import subprocess
import tempfile
import unittest

from harness import ENCODING, TAMREL, TEMPLATE, PrivateDisplay, PrivateSystemBus, kill, wait_for


class InstalledTest(unittest.TestCase):
    def setUp(self):
        self.home = tempfile.mkdtemp(prefix="tamrel-home-")
        self.addCleanup(shutil.rmtree, self.home, ignore_errors=True)
        self.display = PrivateDisplay()
        self.addCleanup(self.display.close)
        self.bus = PrivateSystemBus({"CanPowerOff": "yes"})
        self.addCleanup(self.bus.close)

    def path(self, *parts):
        return os.path.join(self.home, *parts)

    def test_a_run_reads_and_writes_the_users_own_folders(self):
        os.makedirs(self.path("config", "tamrel"))
        front = self.path("front.sh")
        with open(front, "w") as script:
            script.write("#!/bin/sh\nexit 0\n")
        os.chmod(front, 0o755)
        made = subprocess.run([TEMPLATE, f"Program ={front}", "Shutdown method =2", "Seconds to cancel =5"],
                              capture_output=True, check=True)
        with open(self.path("config", "tamrel", "tamrel.set"), "wb") as file:
            file.write(made.stdout)
        before = sorted(os.listdir(os.path.dirname(TAMREL)))

        env = {"PATH": "/usr/bin:/bin", "HOME": self.home, "DISPLAY": self.display.display,
               "DBUS_SYSTEM_BUS_ADDRESS": self.bus.address, "XDG_SESSION_ID": "c7",
               "XDG_RUNTIME_DIR": self.home, "LANG": "C.UTF-8",
               "XDG_CONFIG_HOME": self.path("config"), "XDG_STATE_HOME": self.path("state", "deep")}
        process = subprocess.Popen([TAMREL], cwd="/", env=env, stderr=subprocess.PIPE, text=True)
        self.addCleanup(kill, process)
        wait_for(lambda: "PowerOff False" in self.bus.calls(), timeout=30, what="PowerOff")
        self.display.xdotool("key", "Escape")
        process.wait(20)
        process.stderr.close()

        with open(self.path("state", "deep", "tamrel", "talog1.txt"), encoding=ENCODING) as log:
            events = log.read()
        self.assertIn("Launching program: front.sh", events)
        self.assertIn("Shutting down PC, using shutdown method 2", events)
        self.assertEqual(sorted(os.listdir(self.path("config", "tamrel"))), ["tamrel.set"])
        self.assertNotIn("tamrel.txt", os.listdir(self.path("state", "deep", "tamrel")), "an error was logged")
        self.assertEqual(sorted(os.listdir(os.path.dirname(TAMREL))), before)


if __name__ == "__main__":
    unittest.main()
