"""How the program ends, and what does not end it; F1 and the help engines."""

import html
import os
import re
import shutil
import subprocess
import unittest
import urllib.parse

from twdriver import (BIN_DIR, DEFAULT_TAG, EXE, IDC_BODY_TAG, IDC_TEXT_COLOR, SOURCE_DIR, TITLE,
                      App, PrefixTestCase, browsed_addresses, click_screen, poll,
                      stand_in_browser, xwindow)


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

    def test_in_the_tag_box_ctrl_x_cuts_and_ctrl_v_and_ctrl_z_edit(self):
        app = self.start()
        app.window.click_control(IDC_BODY_TAG)
        before = self.prefix.clipboard_sequence()
        app.press("ctrl+Home", "ctrl+shift+End", "ctrl+x")  # the box wraps the tag
        poll(lambda: self.prefix.clipboard_sequence() != before, what="the cut to the clipboard")
        self.assertEqual(poll(self.prefix.clipboard_text, what="the clipboard"), DEFAULT_TAG)
        poll(lambda: app.refresh().text(IDC_BODY_TAG) == "", what="the tag box to be empty")

        def wait_tag_box(text, what):
            seen = []
            try:
                poll(lambda: seen.append(app.refresh().text(IDC_BODY_TAG)) or seen[-1] == text,
                     what=what)
            except AssertionError as e:
                raise AssertionError(f"{e}; the tag box holds {seen[-1]!r}") from None
        app.press("ctrl+z")
        wait_tag_box(DEFAULT_TAG, "the cut to be undone")
        app.press("ctrl+Home", "ctrl+shift+End", "Delete")
        wait_tag_box("", "the tag box to be emptied")
        app.press("ctrl+v")
        wait_tag_box(DEFAULT_TAG, "the paste")
        self.assertTrue(app.alive())
        # Outside the tag box Ctrl+X is still File > Exit.
        app.window.click_control(IDC_TEXT_COLOR)
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
    def browsed_page(self, app):
        """Presses F1 and returns the Unix path of the page that reaches the desktop's browser:
        winebrowser starts the browsers of Wine's setting, here a stand-in that writes down its
        address."""
        browsed = stand_in_browser(self.prefix, self.tmp)
        app.press("F1")
        address = browsed_addresses(browsed)
        self.assertEqual(len(address), 1, address)
        self.assertRegex(address[0], r"^file://")
        return urllib.parse.unquote(address[0][len("file://"):])

    def test_f1_opens_the_first_page_in_the_desktops_browser(self):
        # Wine here has no HTML engine for HTML Help: F1 hands the page to winebrowser.
        before = set(self.prefix.processes())
        app = self.start()
        page = self.browsed_page(app)
        self.assertTrue(os.path.samefile(page, os.path.join(BIN_DIR, "help", "welcome.htm")),
                        page)
        # The page that HTML Help opens at: the first of the contents.
        with open(page, encoding="cp1252") as f:
            title = re.search(r"<title>([^<]*)</title>", f.read(), re.I).group(1)
        self.assertEqual(html.unescape(title), first_contents_entry())
        self.assertIsNone(self.prefix.find_window(HELP_TITLE))

        app.press("Escape")
        app.wait_exit()
        try:
            poll(lambda: not self.programs_since(before),
                 what="no process of the program left in the prefix")
        except AssertionError as failure:
            raise AssertionError(f"{failure}; left: {self.programs_since(before)}") from None

    def test_f1_with_wines_html_engine_but_no_gecko_opens_the_browser(self):
        # As wineboot makes a prefix with the HTML engine on: a gecko folder in the system
        # folder, with a plugin in it, but no Gecko to draw a page.
        self.assertTrue(os.path.isdir(os.path.join(self.prefix.path, "drive_c", "windows",
                                                   "system32", "gecko")))
        env = self.prefix.env
        self.prefix.env = dict(env, WINEDLLOVERRIDES="mscoree=;winemenubuilder.exe=d")
        try:
            app = self.start()
        finally:
            self.prefix.env = env
        page = self.browsed_page(app)
        self.assertTrue(os.path.samefile(page, os.path.join(BIN_DIR, "help", "welcome.htm")),
                        page)
        self.assertIsNone(self.prefix.find_window(HELP_TITLE))

    def test_f1_finds_the_help_in_a_folder_of_any_name(self):
        folder = os.path.join(self.tmp, "Tïntwright #1 100%")
        os.makedirs(folder, exist_ok=True)
        for name in (os.path.basename(EXE), "ImgLib.dll"):
            shutil.copy2(os.path.join(BIN_DIR, name), folder)
        shutil.copytree(os.path.join(BIN_DIR, "help"), os.path.join(folder, "help"),
                        dirs_exist_ok=True)
        app = App(self.prefix, os.path.join(folder, os.path.basename(EXE)))
        self.addCleanup(app.kill)
        page = self.browsed_page(app)
        self.assertTrue(os.path.samefile(page, os.path.join(folder, "help", "welcome.htm")), page)

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
