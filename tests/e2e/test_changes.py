"""Changes of the scheme as a user makes and takes them back: Undo and Redo of a drag, an open
scheme and Fix All; the question at Esc."""

import os
import struct
import subprocess
import unittest

from twdriver import (DEFAULT_TAG, IDC_RED_SLIDER, IDC_TEXT_COLOR, PrefixTestCase, choose_file,
                      poll, run, slider_labels as labels, xwindow)

APP_NAME = "Tintwright"  # message boxes carry the executable's base name
# Black page, dark grey text that Fix All lightens, links bright enough against both.
DARK = (0, 0, 0, 0x33, 0x33, 0x33, 255, 255, 0, 0, 255, 255, 255, 255, 255)
DARK_TAG = ('<BODY BGCOLOR="#000000" TEXT="#333333" LINK="#FFFF00" VLINK="#00FFFF" '
            'ALINK="#FFFFFF" >')


class UndoTest(PrefixTestCase):
    def drag_red(self, app, distances):
        """Drags the red slider's thumb, at its left end, right by each distance in turn,
        waiting for the number to follow each move; one press and one release."""
        left, top, right, bottom = app.window.control(id=IDC_RED_SLIDER)["rect"]
        x, y = app.window.screen(left + 25, (top + bottom) // 2)
        run(["xdotool", "mousemove", "--sync", str(x), str(y), "mousedown", "1"])
        for dx in distances:
            before = labels(app.refresh())[0]
            subprocess.run(["xdotool", "mousemove", str(x + dx), str(y)], check=True)
            poll(lambda: labels(app.refresh())[0] != before, what="the red number to follow")
        run(["xdotool", "mouseup", "1"])
        return labels(app.refresh())

    def test_undo_and_redo_a_drag_an_open_scheme_and_fix_all(self):
        path = os.path.join(self.tmp, "dark.colors")
        with open(path, "wb") as f:
            f.write(b"TWR" + struct.pack("<15i", *DARK) + b"\0")
        app = self.start()
        app.window.click_control(IDC_TEXT_COLOR)
        dragged = self.drag_red(app, (30, 60, 90))
        dragged_tag = app.copy_tag()
        app.press("ctrl+o")
        choose_file(self.prefix, "Open", path)
        self.assertEqual(app.copy_tag(), DARK_TAG)
        app.press("alt+t", "f")  # Tools > Fix Contrast
        fixed_tag = poll(lambda: (tag := app.copy_tag()) != DARK_TAG and tag,
                         what="Fix All to change the text's colour")

        expected = [DARK_TAG, dragged_tag, DEFAULT_TAG]
        for tag in expected:
            app.press("ctrl+z")
            self.assertEqual(app.copy_tag(), tag)
        self.assertEqual(labels(app.refresh()), ("0", "0", "0"))
        for tag in reversed([fixed_tag] + expected[:-1]):
            app.press("ctrl+y")
            self.assertEqual(app.copy_tag(), tag)
        app.press("ctrl+z", "ctrl+z")
        self.assertEqual(app.copy_tag(), dragged_tag)
        self.assertEqual(labels(app.refresh()), dragged)

        # Not the scheme opened last: Esc asks; Cancel stays, No ends.
        app.press("Escape")
        box = self.prefix.wait_window(APP_NAME)
        self.assertIn("Save changes to the scheme?", [c["text"] for c in box.children])
        self.prefix.press(APP_NAME, "Escape")
        poll(lambda: xwindow(APP_NAME) is None, what="the question to close")
        self.assertTrue(app.alive())
        app.press("Escape")
        self.prefix.press(APP_NAME, "n")
        app.wait_exit()


if __name__ == "__main__":
    unittest.main()
