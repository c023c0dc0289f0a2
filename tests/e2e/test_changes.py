"""Changes of the scheme as a user makes and takes them back: Undo and Redo of a drag, an open
scheme and Fix All; the question at Esc; Paste Colors of a tag and of a style sheet."""

import os
import struct
import unittest

from twdriver import (DEFAULT_TAG, IDC_RED_SLIDER, IDC_TEXT_COLOR, PrefixTestCase, choose_file,
                      poll, run, slider_labels as labels)

APP_NAME = "Tintwright"  # message boxes carry the executable's base name
# Black page, dark grey text that Fix All lightens, links bright enough against both.
DARK = (0, 0, 0, 0x33, 0x33, 0x33, 255, 255, 0, 0, 255, 255, 255, 255, 255)
DARK_TAG = ('<BODY BGCOLOR="#000000" TEXT="#333333" LINK="#FFFF00" VLINK="#00FFFF" '
            'ALINK="#FFFFFF" >')


class ChangesTest(PrefixTestCase):
    def test_undo_and_redo_a_drag_an_open_scheme_and_fix_all(self):
        path = os.path.join(self.tmp, "dark.colors")
        with open(path, "wb") as f:
            f.write(b"TWR" + struct.pack("<15i", *DARK) + b"\0")
        app = self.start()
        app.window.click_control(IDC_TEXT_COLOR)
        # The red thumb, at its left end, dragged right in three moves, the number following.
        left, top, _, bottom = app.window.control(id=IDC_RED_SLIDER)["rect"]
        x, y = app.window.screen(left + 25, (top + bottom) // 2)
        run(["xdotool", "mousemove", "--sync", str(x), str(y), "mousedown", "1"])
        for dx in (30, 60, 90):
            before = labels(app.refresh())[0]
            run(["xdotool", "mousemove", str(x + dx), str(y)])
            poll(lambda: labels(app.refresh())[0] != before, what="the red number to follow")
        run(["xdotool", "mouseup", "1"])
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
        for tag in reversed([fixed_tag] + expected[:-1]):
            app.press("ctrl+y")
            self.assertEqual(app.copy_tag(), tag)

        # Not the scheme opened last: Esc asks, and No ends.
        app.press("Escape")
        box = self.prefix.wait_window(APP_NAME)
        self.assertIn("Save changes to the scheme?", [c["text"] for c in box.children])
        self.prefix.press(APP_NAME, "n")
        app.wait_exit()

    def paste(self, app, text):
        self.prefix.set_clipboard_text(text)
        app.press("ctrl+shift+v")
        return app.copy_tag()

    def test_tags_and_style_sheets_paste_as_browsers_read_them_and_copies_paste_back(self):
        app = self.start()
        self.assertEqual(self.paste(app, "<body bgcolor=chucknorris Text='#55555' link=f00>"),
                         '<BODY BGCOLOR="#C00000" TEXT="#555550" LINK="#0F0000" VLINK="#551A8B" '
                         'ALINK="#EE0000" >')
        sheet = ("body {\n  background-color: #1a73e8;\n  color: white;\n}\n"
                 "a:visited { color: rebeccapurple }\na:active{color:hsl(120 100% 25%)}\n")
        tag = ('<BODY BGCOLOR="#1A73E8" TEXT="#FFFFFF" LINK="#0F0000" VLINK="#663399" '
               'ALINK="#008000" >')
        self.assertEqual(self.paste(app, sheet), tag)

        # Copy Tag, or Copy as CSS, then Paste Colors over the starting colours: the same scheme.
        css = app.copy_css()
        for copied in (tag, css):
            app.press("alt+e", "r")  # Edit > Reset Colors
            self.assertEqual(self.paste(app, copied), tag)


if __name__ == "__main__":
    unittest.main()
