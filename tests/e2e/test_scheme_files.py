"""Scheme files through the real save and open dialogs, and the message for a foreign file."""

import os
import struct
import unittest

from twdriver import (ARROW_HIT, DEFAULT_BACKGROUND, DEFAULT_TAG, IDC_GREEN_SLIDER,
                      IDC_RED_SLIDER, TROUGH_HIT, PrefixTestCase, choose_file, poll,
                      slider_labels as labels, wait_file, xwindow)

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


if __name__ == "__main__":
    unittest.main()
