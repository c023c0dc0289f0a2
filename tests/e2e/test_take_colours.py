"""Colours taken as web authors have them: typed in Edit > Enter Color, and picked from the
screen with Tools > Pick from Screen at 96 and 192 DPI, with real keys and clicks."""

import subprocess
import sys
import unittest

from twdriver import (DEFAULT_BACKGROUND, DEFAULT_TAG, IDC_TEXT_COLOR, Image, PrefixTestCase,
                      click_screen, poll, xwindow)

PICKER = "Pick from Screen"
# Another program's window of one colour, where no Wine window lies.
SWATCH_TITLE, SWATCH_COLOUR, SWATCH_AT = "tw-swatch", (0x3C, 0x5A, 0x78), (20, 20)
SWATCH_PROGRAM = (f"import tkinter; t = tkinter.Tk(); t.title('{SWATCH_TITLE}'); "
                  f"t.geometry('200x150+{SWATCH_AT[0]}+{SWATCH_AT[1]}'); "
                  f"t.configure(bg='#3C5A78'); t.mainloop()")


def pick_at(test, app, x, y):
    """Tools > Pick from Screen by its keys, then a click at screen pixel (x, y)."""
    app.press("ctrl+shift+p")
    test.prefix.wait_window(PICKER)
    click_screen(x, y)
    poll(lambda: xwindow(PICKER) is None, what="the picker to end")


class EnterColorTest(PrefixTestCase):
    def test_each_form_typed_sets_the_role_as_a_browser_reads_it(self):
        app = self.start()
        for text, hex in (("oklch(80% 0.15 160)", "52DB9C"), ("oklch(80% 0.35 30)", "FF9A88"),
                          ("rebeccapurple", "663399"), ("hsl(120 100% 25%)", "008000")):
            with self.subTest(text=text):
                app.press("ctrl+e")
                self.prefix.wait_window("Enter Color")
                self.prefix.type("Enter Color", text)  # over the selected colour
                self.prefix.press("Enter Color", "Return")
                poll(lambda: xwindow("Enter Color") is None, what="Enter Color to close")
                self.assertEqual(app.copy_tag(), DEFAULT_TAG.replace("FFEBD7", hex))


class PickFromScreenTest(PrefixTestCase):
    def test_a_click_takes_the_pixel_of_another_programs_window(self):
        swatch = subprocess.Popen([sys.executable, "-c", SWATCH_PROGRAM])
        self.addCleanup(swatch.wait)
        self.addCleanup(swatch.kill)
        xid = poll(lambda: xwindow(SWATCH_TITLE), what="the swatch window")
        poll(lambda: Image(xid).pixel(100, 75) == SWATCH_COLOUR, what="the swatch drawn")
        app = self.start()
        pick_at(self, app, SWATCH_AT[0] + 100, SWATCH_AT[1] + 75)
        self.assertEqual(app.copy_tag(), DEFAULT_TAG.replace("FFEBD7", "3C5A78"))


class PickAt192DpiTest(PrefixTestCase):
    dpi = 192

    def test_a_click_takes_the_pixel_under_the_pointer_on_the_sample_page(self):
        app = self.start()
        app.window.click_control(id=IDC_TEXT_COLOR)
        # Inside the page, left of and below every line of its text.
        left, top, right, bottom = app.window.control(text="Sample Homepage")["rect"]
        x, y = left + (right - left) // 10, top + (bottom - top) * 85 // 100
        poll(lambda: app.client_pixel(app.shot(), x, y) == DEFAULT_BACKGROUND,
             what="the page drawn")
        pick_at(self, app, *app.window.screen(x, y))
        self.assertEqual(app.copy_tag(), DEFAULT_TAG.replace('TEXT="#000000"', 'TEXT="#FFEBD7"'))


if __name__ == "__main__":
    unittest.main()
