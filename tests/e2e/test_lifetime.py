"""How the program ends, and what does not end it; F1 and the help engines."""

import html
import os
import re
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


HELP_TITLE = "Tintwright Help"


def first_contents_entry():
    """The name of the first entry of the help's contents, which is its first page's title."""
    with open(os.path.join(SOURCE_DIR, "help", "contents.hhc"), encoding="cp1252") as f:
        return html.unescape(re.search(r'name="Name" value="([^"]*)"', f.read()).group(1))


class HelpTest(PrefixTestCase):
    def test_f1_opens_one_help_window_at_its_contents_that_ends_with_the_program(self):
        before = set(self.prefix.processes())
        app = self.start()
        app.press("F1")
        help_window = self.prefix.wait_window(HELP_TITLE)
        items = help_window.control(cls="SysTreeView32")["items"]
        self.assertEqual(items[0], [0, first_contents_entry()])

        # Again from the main window: the help window comes to the front, no second one opens.
        app.press("F1")
        poll(lambda: self.prefix.snapshot()[1] == help_window.hwnd,
             what="the help window to come to the front")
        self.assertEqual([w.hwnd for w in self.prefix.peek() if w.title == HELP_TITLE],
                         [help_window.hwnd])

        app.press("Escape")
        app.wait_exit()
        poll(lambda: self.prefix.find_window(HELP_TITLE) is None,
             what="the help window to close with the program")
        try:
            poll(lambda: not self.programs_since(before),
                 what="no process of the program left in the prefix")
        except AssertionError as failure:
            raise AssertionError(f"{failure}; left: {self.programs_since(before)}") from None

    def programs_since(self, before):
        """Command lines of the prefix's processes that were not in before, less the services
        of Wine's system folder that a program's first use of COM starts for the prefix."""
        left = []
        for pid in set(self.prefix.processes()) - before:
            try:
                with open(f"/proc/{pid}/cmdline", "rb") as f:
                    command = f.read().split(b"\0")[0].decode("latin-1")
            except OSError:
                continue  # ended meanwhile
            if not command.lower().startswith("c:\\windows\\system32\\"):
                left.append(command)
        return left

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
