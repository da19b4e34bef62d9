"""The Windows zip (TAMREL_ZIP) as a user gets it."""

import os
import re
import subprocess
import unittest
import zipfile

from accessibility import SETUP_CAPTION
from harness import ProgramTest
from test_run import NOT_FOUND

ZIP = os.environ.get("TAMREL_ZIP")
OBJDUMP = os.environ.get("TAMREL_OBJDUMP", "x86_64-w64-mingw32-objdump")


@unittest.skipUnless(ZIP, "no zip named (TAMREL_ZIP)")
class ZipTest(ProgramTest):
    def test_unpacked_alone_it_runs_offers_setup_and_logs_in_its_folder(self):
        with zipfile.ZipFile(ZIP) as archive:
            self.assertEqual(sorted(archive.namelist()), ["LICENSE.txt", "README.txt", "tamrel.exe"])
            for name in ("README.txt", "LICENSE.txt"):
                text = archive.read(name)
                self.assertTrue(text.endswith(b"\r\n") and text.count(b"\n") == text.count(b"\r\n"),
                                f"{name} has lines that do not end with CR LF")
            archive.extractall(self.folder.path)  # over the build's tamrel.exe
        os.remove(self.folder.file("sleeper.exe"))
        self.assertLessEqual(os.path.getsize(self.folder.exe), 1 << 20, "tamrel.exe is over 1 MiB")
        headers = subprocess.run([OBJDUMP, "-p", self.folder.exe], check=True, capture_output=True,
                                 text=True).stdout
        self.assertTrue("\tsymbols stripped\n" in headers, "tamrel.exe is not stripped")
        # The prefix of the program's bitness holds the system's DLLs, no MinGW runtime.
        system = os.path.join(self.driver.session.prefix, "drive_c", "windows", "system32")
        dlls = re.findall(r"DLL Name: (\S+)", headers)
        self.assertIn("KERNEL32.dll", dlls)
        self.assertEqual([dll for dll in dlls if not os.path.exists(os.path.join(system, dll.lower()))], [],
                         "tamrel.exe needs DLLs that are not the system's")

        process = self.driver.start()
        self.driver.box("Tamrel.set not found!", "OK", NOT_FOUND, "OK,Cancel")
        self.driver.screen(process)
        self.driver.step("menu", SETUP_CAPTION, "Tamrel Options", "Cancel and Exit")
        self.driver.box("Quit without saving?", "Yes")
        self.driver.wait_end(process)
        # What the quit leaves: SetupWindowTest; the error log shows where the logs go.
        self.assertEqual(self.folder.errors(), ["--Tamrel.set not found!"])
