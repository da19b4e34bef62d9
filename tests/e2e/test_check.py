"""tamrel --check as a configuration manager runs it: no display, a file
named, the status and the findings as text or JSON."""

import json
import os
import shutil
import subprocess
import tempfile
import unittest

from harness import TAMREL, TEMPLATE


class CheckTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="tamrel-check-")
        self.addCleanup(shutil.rmtree, self.folder, ignore_errors=True)
        self.front = os.path.join(self.folder, "front.sh")
        shutil.copy("/bin/true", self.front)

    def check(self, lines, *args):
        path = os.path.join(self.folder, "new.set")
        with open(path, "wb") as file:
            file.write(subprocess.run([TEMPLATE, f"Program ={self.front}", *lines],
                                      capture_output=True, check=True).stdout)
        env = {key: value for key, value in os.environ.items() if key not in ("DISPLAY", "WAYLAND_DISPLAY")}
        return subprocess.run([TAMREL, "--check", path, *args], capture_output=True, text=True, env=env, timeout=20)

    def test_good_replaced_and_unusable_files_give_their_status_text_and_json(self):
        good = self.check([])
        self.assertEqual(good.returncode, 0, good.stdout + good.stderr)

        replaced = self.check(["Seconds to cancel = 30"])
        self.assertEqual(replaced.returncode, 1, replaced.stdout)
        self.assertIn("out of range: the screen uses 10", replaced.stdout)
        self.assertIn("Seconds to cancel =", replaced.stdout)

        unusable = self.check([f"Program ={self.folder}/gone"], "--json")
        self.assertEqual(unusable.returncode, 2, unusable.stdout)
        answer = json.loads(unusable.stdout)
        self.assertEqual(answer["status"], 2)
        self.assertTrue(any("does not exist" in finding["finding"] for finding in answer["findings"]), answer)

        missing = subprocess.run([TAMREL, "--check", os.path.join(self.folder, "none.set")], capture_output=True,
                                 text=True, timeout=20)
        self.assertEqual(missing.returncode, 2)
        self.assertEqual(sorted(os.listdir(self.folder)), ["front.sh", "new.set"], "the check wrote something")


if __name__ == "__main__":
    unittest.main()
