"""Colours taken as web authors have them: typed in Edit > Enter Color, and picked from the
screen with Tools > Pick from Screen at 96, 144 and 192 DPI and on a second monitor, with real
keys and clicks."""

import os
import subprocess
import sys
import unittest

from twdriver import (DEFAULT_BACKGROUND, DEFAULT_TAG, IDC_TEXT_COLOR, Image, MonitorsDisplay,
                      PrefixTestCase, click_screen, poll, require_environment, xwindow)

PICKER = "Pick from Screen"
# Another program's window of one colour but for one pixel of another in its middle (DOT, in
# window pixels), where no Wine window lies: the pick of a pixel beside it would show.
SWATCH_TITLE, SWATCH_AT, DOT, DOT_COLOUR = "tw-swatch", (20, 20), (100, 75), (0xA0, 0x52, 0x2D)
SWATCH_PROGRAM = (f"import tkinter; t = tkinter.Tk(); t.title('{SWATCH_TITLE}'); "
                  f"t.geometry('200x150+{SWATCH_AT[0]}+{SWATCH_AT[1]}'); "
                  f"t.configure(bg='#3C5A78'); tkinter.Frame(t, bg='#A0522D', width=1, "
                  f"height=1).place(x={DOT[0]}, y={DOT[1]}); t.mainloop()")
# Two monitors of different sizes, (width, height, x, y) in X pixels: the second one, where the
# swatch lies, left of the primary one and reaching above it, so at negative x and y in Windows.
SECOND_MONITOR, PRIMARY_MONITOR = (1280, 1024, 0, 0), (1024, 768, 1280, 256)


def show_swatch(test):
    """The swatch window, shown until the test ends."""
    swatch = subprocess.Popen([sys.executable, "-c", SWATCH_PROGRAM])
    test.addCleanup(swatch.wait)
    test.addCleanup(swatch.kill)
    xid = poll(lambda: xwindow(SWATCH_TITLE), what="the swatch window")
    poll(lambda: Image(xid).pixel(*DOT) == DOT_COLOUR, what="the swatch drawn")


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
        show_swatch(self)
        app = self.start()
        pick_at(self, app, SWATCH_AT[0] + DOT[0], SWATCH_AT[1] + DOT[1])
        self.assertEqual(app.copy_tag(), DEFAULT_TAG.replace("FFEBD7", "A0522D"))


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


class PickAt144DpiTest(PickAt192DpiTest):
    dpi = 144  # 150 %: a logical pixel is no whole number of physical ones


class PickOnSecondMonitorTest(PrefixTestCase):
    primary_monitor = 1

    @classmethod
    def setUpClass(cls):
        require_environment()
        display = MonitorsDisplay(2304, 1024, (SECOND_MONITOR, PRIMARY_MONITOR))
        cls.addClassCleanup(display.close)
        cls.addClassCleanup(os.environ.update, DISPLAY=os.environ["DISPLAY"])
        os.environ["DISPLAY"] = display.name
        super().setUpClass()

    def test_a_click_takes_the_pixel_of_another_programs_window_there(self):
        show_swatch(self)
        app = self.start()
        metrics = app.window.metrics
        self.assertEqual((metrics["cmonitors"], metrics["xvirtualscreen"],
                          metrics["yvirtualscreen"]), (2, -1280, -256))
        pick_at(self, app, SWATCH_AT[0] + DOT[0], SWATCH_AT[1] + DOT[1])
        self.assertEqual(app.copy_tag(), DEFAULT_TAG.replace("FFEBD7", "A0522D"))


if __name__ == "__main__":
    unittest.main()
