"""How the program ends, and what does not end it; F1 and the help engines."""

import os
import shutil
import subprocess
import unittest

from twdriver import (BIN_DIR, DEFAULT_TAG, EXE, IDC_BODY_TAG, SOURCE_DIR, TITLE, App,
                      PrefixTestCase, click_screen, poll, xwindow)


class EndingTest(PrefixTestCase):
    def test_enter_leaves_the_window_open_wherever_the_focus_is(self):
        app = self.start()
        app.press("Return")  # the focus is on the first role button
        app.window.click_control(IDC_BODY_TAG)
        app.press("Return")
        # Ctrl+T is handled after both Enters: the window is still there, the tag untouched.
        self.assertEqual(app.copy_tag(), DEFAULT_TAG)
        self.assertTrue(app.alive())

    def test_escape_ends_the_program(self):
        app = self.start()
        app.press("Escape")
        app.wait_exit()

    def test_ctrl_x_ends_the_program(self):
        app = self.start()
        app.press("ctrl+x")
        app.wait_exit()

    def test_the_close_box_ends_the_program(self):
        app = self.start()
        click_screen(*app.window.close_box())
        app.wait_exit()


class HelpTest(PrefixTestCase):
    def test_without_its_html_help_f1_starts_the_help_engine_on_the_file_beside_it(self):
        # The program and its DLL in a folder of their own, without Tintwright.chm.
        folder = os.path.join(self.tmp, "without-chm")
        os.makedirs(folder, exist_ok=True)
        for name in (os.path.basename(EXE), "ImgLib.dll"):
            shutil.copy2(os.path.join(BIN_DIR, name), folder)
        app = App(self.prefix, os.path.join(folder, os.path.basename(EXE)))
        self.addCleanup(app.kill)
        app.press("F1")
        # Wine's help engine runs as winhlp32.exe; there is no Tintwright.HLP, so it names the
        # one it was asked for.
        poll(lambda: subprocess.run(["xdotool", "search", "--onlyvisible", "--class",
                                     "winhlp32.exe"], stdout=subprocess.DEVNULL).returncode == 0,
             what="a window of the help engine")
        def help_file_named():
            return next((c["text"] for w in self.prefix.peek() if w.pid != app.window.pid
                         for c in w.children if "Tintwright.HLP" in c["text"]), None)

        message = poll(help_file_named, what="the help engine to name the help file")
        self.assertIn("Tintwright.HLP", message)
        self.assertIsNotNone(xwindow(TITLE))


if __name__ == "__main__":
    unittest.main()
