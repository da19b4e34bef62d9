"""tamrel.exe /check as a configuration manager starts it, from a console or
with its output captured, and as a double-click does, with neither."""

import json
import os
import re
import shlex
import subprocess
import tempfile

from harness import ProgramTest


class WineCheckTest(ProgramTest):
    def settings(self, name, *lines):
        self.folder.write_settings(*lines)
        os.replace(self.folder.file("tamrel.set"), self.folder.file(name))
        return name

    def from_cmd(self, *args, terminal=False):
        """What cmd passes on from tamrel.exe, and the status: its output
        redirected to a file, or with `terminal` its console on a terminal
        of its own (the answer then goes to the console itself)."""
        command = ["timeout", "60", "wine", "cmd", "/c", "tamrel.exe", *args]
        with tempfile.NamedTemporaryFile() as output:
            if terminal:
                command = ["script", "-qefc", shlex.join(command), output.name]
            result = subprocess.run(command, cwd=self.folder.path, env=self.driver.session.env, stdin=subprocess.DEVNULL,
                                    stdout=subprocess.DEVNULL if terminal else output, stderr=subprocess.DEVNULL)
            output.seek(0)
            text = output.read().decode("latin-1")
        return re.sub(r"\x1b\[[?0-9;]*[A-Za-z]", "", text).replace("\r", ""), result.returncode

    def test_from_a_console_or_captured_the_answer_is_printed_and_else_it_is_a_box(self):
        good = self.settings("good.set")
        replaced = self.settings("replaced.set", "Seconds to cancel = 30")
        unusable = self.settings("unusable.set", f"Program ={self.folder.dir}gone.exe")
        before = sorted(os.listdir(self.folder.path))

        text, status = self.from_cmd("/check", good, terminal=True)
        self.assertEqual(status, 0, text)
        self.assertIn("good.set\nstatus 0: complete, every value used as written\n", text)
        text, status = self.from_cmd("/check", replaced)
        self.assertEqual(status, 1, text)
        self.assertIn("Seconds to cancel =", text)
        self.assertIn("out of range: the screen uses 10", text)
        text, status = self.from_cmd("/check", unusable, "/json")
        self.assertEqual(status, 2, text)
        answer = json.loads(text)
        self.assertEqual(answer["status"], 2)
        self.assertTrue(any("does not exist" in finding["finding"] for finding in answer["findings"]), answer)

        # Started as Explorer starts it: no console, no output of its own.
        process = subprocess.Popen(["timeout", "-k", "5", "60", "wine", "tamrel.exe", "/check", replaced],
                                   cwd=self.folder.path, env=self.driver.session.env, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.driver.processes.append(process)
        seen = self.driver.box("tamrel", "OK")
        self.assertIn("out of range: the screen uses 10", seen)
        self.assertIn("status 1: usable, with values replaced", seen)
        self.assertEqual(process.wait(), 1)
        self.assertEqual(sorted(os.listdir(self.folder.path)), before, "the check wrote something")
