"""Scheme files through the real save and open dialogs, the message for a foreign file, and files
from the desktop: on the command line and dropped on the window."""

import os
import struct
import unittest

from twdriver import (ARROW_HIT, DEFAULT_BACKGROUND, DEFAULT_TAG, IDC_GREEN_SLIDER,
                      IDC_RED_SLIDER, TROUGH_HIT, PrefixTestCase, choose_file, list_folder, long_folder, poll,
                      refuse_long_path, slider_labels as labels, wait_file, write_bmp, xwindow)
from xdnd import drop_file

APP_NAME = "Tintwright"  # message boxes carry the executable's base name
NOT_A_SCHEME = "The file you attempted to load\nis not a valid TWR scheme file."
DEFAULTS = (255, 235, 215, 0, 0, 0, 0, 130, 0, 85, 26, 139, 238, 0, 0)


class SchemeFileTest(PrefixTestCase):
    def test_save_then_reset_then_open_brings_the_scheme_back(self):
        app = self.start()
        # Background red 254 (one line left) and green 225 (one page left).
        app.window.click_control(IDC_RED_SLIDER, dx=ARROW_HIT)
        app.window.click_control(IDC_GREEN_SLIDER, dx=TROUGH_HIT)
        changed = DEFAULT_TAG.replace("FFEBD7", "FEE1D7")
        self.assertEqual(app.copy_tag(), changed)

        path = os.path.join(self.tmp, "new scheme.colors")
        app.press("ctrl+s")
        choose_file(self.prefix, "Save As", path)
        components = (254, 225) + DEFAULTS[2:]
        wait_file(path, b"TWR" + struct.pack("<15i", *components) + b"\0")

        app.press("alt+e", "r")  # Edit > Reset Colors
        self.assertEqual(app.copy_tag(), DEFAULT_TAG)
        app.wait_preview_fill(DEFAULT_BACKGROUND)

        app.press("ctrl+o")
        choose_file(self.prefix, "Open", path)
        self.assertEqual(app.copy_tag(), changed)
        self.assertEqual(labels(app.refresh()), ("254", "225", "215"))
        app.wait_preview_fill((254, 225, 215))

    def test_a_name_typed_without_extension_is_saved_as_a_colors_file(self):
        app = self.start()
        app.press("ctrl+s")
        choose_file(self.prefix, "Save As", os.path.join(self.tmp, "dark"))
        wait_file(os.path.join(self.tmp, "dark.colors"), b"TWR" + struct.pack("<15i", *DEFAULTS)
                  + b"\0")
        self.assertFalse(os.path.exists(os.path.join(self.tmp, "dark")))

    def test_the_open_dialog_lists_the_scheme_files_of_a_folder(self):
        folder = os.path.join(self.tmp, "schemes")
        os.makedirs(folder)
        for name in ("dark.colors", "light.colors", "notes.txt"):
            with open(os.path.join(folder, name), "wb") as f:
                f.write(b"TWR" + struct.pack("<15i", *DEFAULTS) + b"\0")
        app = self.start()
        app.press("ctrl+o")
        self.prefix.wait_window("Open")
        # The first filter, TWR Files, lets in only the scheme files.
        self.assertEqual(sorted(list_folder(self.prefix, "Open", folder, "dark.colors")),
                         ["dark.colors", "light.colors"])
        self.prefix.press("Open", "Escape")
        poll(lambda: xwindow("Open") is None, what="the Open dialog to close")

    def test_the_extension_that_the_dialogs_add_counts_towards_the_longest_path(self):
        # A name typed without an extension gets ".colors": 252 characters make 259, which
        # Wine's dialog takes, 253 make 260, on which it faults.
        folder = long_folder(self.tmp, self.prefix, 240)
        fits = self.prefix.windows_path(folder) + "\\" + "s" * 11
        app = self.start()
        app.press("ctrl+o")
        self.prefix.wait_window("Open")
        refuse_long_path(self.prefix, "Open", fits + "s", fits + "s.colors")
        self.prefix.press("Open", "Escape")
        poll(lambda: xwindow("Open") is None, what="the Open dialog to close")
        app.press("ctrl+s")
        self.prefix.wait_window("Save As")
        refuse_long_path(self.prefix, "Save As", fits + "s", fits + "s.colors")
        self.prefix.press("Save As", "End", "shift+Home")
        self.prefix.type("Save As", fits)
        self.prefix.press("Save As", "Return")
        wait_file(os.path.join(folder, "s" * 11 + ".colors"),
                  b"TWR" + struct.pack("<15i", *DEFAULTS) + b"\0")

    def test_a_picture_that_is_missing_is_named_with_the_reason(self):
        missing = self.prefix.windows_path(os.path.join(self.tmp, "gone.png"))
        path = os.path.join(self.tmp, "names a missing picture.colors")
        with open(path, "wb") as f:
            f.write(b"TWR" + struct.pack("<15i", *DEFAULTS) + bytes([len(missing)])
                    + missing.encode() + bytes([8]) + b"gone.png")
        app = self.start()
        app.press("ctrl+o")
        choose_file(self.prefix, "Open", path)
        box = self.prefix.wait_window(APP_NAME)
        self.assertIn(f"An error has occured.\n{missing} was not found.\nThe scheme's colors are "
                      "applied; its background picture gone.png is not shown.",
                      [c["text"] for c in box.children])
        self.prefix.press(APP_NAME, "Return")
        poll(lambda: xwindow(APP_NAME) is None, what="the message box to close")

    def test_a_file_without_the_magic_is_refused_with_a_message(self):
        app = self.start()
        path = os.path.join(self.tmp, "lower case.colors")
        with open(path, "wb") as f:
            f.write(b"twr" + struct.pack("<15i", *range(15)) + b"\0")
        app.press("ctrl+o")
        choose_file(self.prefix, "Open", path)

        box = self.prefix.wait_window(APP_NAME)
        self.assertIn(NOT_A_SCHEME, [c["text"] for c in box.children])
        self.prefix.press(APP_NAME, "Return")
        poll(lambda: xwindow(APP_NAME) is None, what="the message box to close")
        self.assertEqual(app.copy_tag(), DEFAULT_TAG)
        self.assertEqual(labels(app.refresh()), ("255", "235", "215"))

    def test_a_file_from_the_desktop_opens_as_from_its_menu(self):
        path = os.path.join(self.tmp, "from the desktop.colors")
        with open(path, "wb") as f:
            f.write(b"TWR" + struct.pack("<15i", 1, 2, 3, *DEFAULTS[3:]) + b"\0")
        app = self.start(self.prefix.windows_path(path))
        self.assertEqual(app.copy_tag(), DEFAULT_TAG.replace("FFEBD7", "010203"))
        app.kill()
        missing = self.prefix.windows_path(os.path.join(self.tmp, "gone.colors"))
        app = self.start(missing)
        box = self.prefix.wait_window(APP_NAME)
        self.assertIn(f"{missing} was not found.", [c["text"] for c in box.children])
        self.prefix.press(APP_NAME, "Return")
        poll(lambda: xwindow(APP_NAME) is None, what="the message box to close")
        self.assertEqual(app.copy_tag(), DEFAULT_TAG)
        # Dropped on the window from the desktop: a picture, whatever its name, is the background.
        picture = os.path.join(self.tmp, "dropped.picture")
        write_bmp(picture, 4, 4, lambda x, y: (0x10, 0x20, 0x30))
        self.assertTrue(drop_file(app.xid, picture, *app.window.screen(200, 350)))
        app.wait_preview_fill((0x10, 0x20, 0x30))
        self.assertTrue(app.copy_tag().startswith('<BODY BACKGROUND="dropped.picture" '))


if __name__ == "__main__":
    unittest.main()
