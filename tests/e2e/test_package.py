"""The Windows packages: the portable zip runs from its folder; the NSIS installer installs
silently with Start-menu shortcuts to the program and its help, the installed program starts,
and the uninstaller removes it all."""

import glob
import os
import shutil
import struct
import subprocess
import tempfile
import unittest
import zipfile

from twdriver import (BIN_DIR, BUILD_DIR, DEFAULT_TAG, SOURCE_DIR, TITLE, WINE, App,
                      PrefixTestCase, poll, run, xwindow)

INSTALL_DIR = "Tintwright"  # under C:\
CLASSES = r"HKLM\Software\Classes"
OPEN_WITH_KEYS = [CLASSES + rf"\{ext}\OpenWithList\Tintwright.exe" for ext in (".png", ".html")]
OBJDUMP = "x86_64-w64-mingw32-objdump"


def imported_dlls(exe):
    out = run([OBJDUMP, "-p", exe]).stdout.decode()
    return {line.split(":", 1)[1].strip() for line in out.splitlines() if "DLL Name:" in line}


class PackageTest(PrefixTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.packages = tempfile.mkdtemp(prefix="tw-e2e-packages-")
        # Packs what the build holds; the build is up to date when the tests run.
        run(["cpack", "--config", os.path.join(BUILD_DIR, "CPackConfig.cmake"),
             "-B", cls.packages], cwd=BUILD_DIR)
        cls.zip = glob.glob(os.path.join(cls.packages, "Tintwright-*-win64.zip"))[0]
        cls.installer = glob.glob(os.path.join(cls.packages, "Tintwright-*-win64.exe"))[0]

    @classmethod
    def tearDownClass(cls):
        super().tearDownClass()
        shutil.rmtree(cls.packages, ignore_errors=True)

    def drive_c(self, *parts):
        return os.path.join(self.prefix.path, "drive_c", *parts)

    def check_runs(self, exe):
        app = App(self.prefix, exe)
        self.addCleanup(app.kill)
        self.assertEqual(app.copy_tag(), DEFAULT_TAG)
        app.press("Escape")
        app.wait_exit()

    def test_the_zip_holds_what_the_program_needs_and_runs_from_its_folder(self):
        # Every DLL of ours that the program imports travels with it; the runtime is static.
        ours = {d for d in imported_dlls(os.path.join(BIN_DIR, "Tintwright.exe"))
                if os.path.exists(os.path.join(BIN_DIR, d))}
        with zipfile.ZipFile(self.zip) as z:
            names = {n.split("/", 1)[1] for n in z.namelist() if not n.endswith("/")}
            folders = {n.split("/")[0] for n in z.namelist()}
            z.extractall(self.drive_c("portable"))
        pages = {"help/" + n for n in os.listdir(os.path.join(SOURCE_DIR, "help"))
                 if n.endswith((".htm", ".css"))}
        self.assertEqual(names, {"Tintwright.exe", "Tintwright.chm", "README.md"} | ours | pages)
        self.assertEqual(len(folders), 1)
        self.check_runs("C:\\portable\\" + folders.pop() + "\\Tintwright.exe")

    def registry(self, key, *args):
        """What reg.exe says of the key, or None when the key is not there."""
        done = subprocess.run([*WINE, "reg", "query", key, *args], env=self.prefix.env,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        return done.stdout.decode("latin-1") if done.returncode == 0 else None

    def test_silent_install_start_and_uninstall(self):
        # Pages belong to another program, which keeps them.
        run([*WINE, "reg", "add", CLASSES + r"\.htm", "/ve", "/d", "htmlfile", "/f"],
            env=self.prefix.env)
        page_type = self.registry(CLASSES + r"\.htm", "/ve")
        setup = self.prefix.wine(self.installer, "/S", "/D=C:\\" + INSTALL_DIR)
        self.assertEqual(setup.wait(120), 0)
        installed = self.drive_c(INSTALL_DIR)
        for name in ("Tintwright.exe", "Tintwright.chm", "README.md", "Uninstall.exe"):
            self.assertTrue(os.path.exists(os.path.join(installed, name)), name)
        menu = glob.glob(self.drive_c("**", "Start Menu", "Programs", "Tintwright*"),
                         recursive=True)
        self.assertEqual(len(menu), 1, "one Start-menu folder")
        links = sorted(glob.glob(os.path.join(menu[0], "*.lnk")))
        self.assertEqual([os.path.basename(link) for link in links],
                         ["Tintwright Help.lnk", "Tintwright.lnk", "Uninstall.lnk"])
        with open(links[0], "rb") as f:
            target = f.read()
        self.assertTrue(b"Tintwright.chm" in target or "Tintwright.chm".encode("utf-16-le")
                        in target, "the help shortcut leads to the help file")

        self.check_runs(f"C:\\{INSTALL_DIR}\\Tintwright.exe")

        # A scheme file opens in Tintwright as the desktop opens it; pictures and pages offer it
        # under "Open with" and keep the program they open in.
        self.assertIn("Tintwright Color Scheme",
                      self.registry(CLASSES + r"\Tintwright.ColorScheme"))
        for key in OPEN_WITH_KEYS:
            self.assertIsNotNone(self.registry(key), key)
        self.assertEqual(self.registry(CLASSES + r"\.htm", "/ve"), page_type)
        scheme = os.path.join(self.prefix.dir, "double-clicked.colors")
        with open(scheme, "wb") as f:
            f.write(b"TWR" + struct.pack("<15i", 1, 2, 3, 0, 0, 0, 0, 130, 0, 85, 26, 139, 238,
                                         0, 0) + b"\0")
        self.assertEqual(self.prefix.wine("start", "/unix", scheme).wait(60), 0)
        before = self.prefix.clipboard_sequence()
        self.prefix.press(TITLE, "ctrl+t")
        poll(lambda: self.prefix.clipboard_sequence() != before, what="the tag on the clipboard")
        self.assertEqual(poll(self.prefix.clipboard_text, what="the clipboard's text"),
                         DEFAULT_TAG.replace("FFEBD7", "010203"))
        self.prefix.press(TITLE, "Escape")
        poll(lambda: xwindow(TITLE) is None, what="the program to end")

        # The uninstaller copies itself elsewhere and returns at once: wait until the folder
        # and the Start-menu folder are gone, which happens only once each is empty.
        self.prefix.wine(f"C:\\{INSTALL_DIR}\\Uninstall.exe", "/S").wait(60)
        poll(lambda: not os.path.exists(installed) and not os.path.exists(menu[0]), 60, 0.2,
             "the uninstaller to remove the program's folder and its Start-menu folder")
        for key in (CLASSES + r"\.colors", CLASSES + r"\Tintwright.ColorScheme",
                    CLASSES + r"\Applications\Tintwright.exe", *OPEN_WITH_KEYS):
            self.assertIsNone(self.registry(key), key)
        self.assertEqual(self.registry(CLASSES + r"\.htm", "/ve"), page_type)


if __name__ == "__main__":
    unittest.main()
