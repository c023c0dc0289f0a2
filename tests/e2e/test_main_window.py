"""The main window driven with real keys and clicks: start, roles, sliders, colour picker."""

import unittest

from twdriver import (ARROW_HIT, CLIENT_SIZE, DEFAULT_BACKGROUND, DEFAULT_TAG,
                      IDC_BACKGROUND_COLOR, IDC_BLUE_SLIDER, IDC_BODY_TAG, IDC_GREEN_SLIDER,
                      IDC_CONTRAST_RATIO, IDC_RED_SLIDER, IDC_TEXT_COLOR, LINE1_RECT, TITLE,
                      TITLE_RECT, TROUGH_HIT, PrefixTestCase, poll, slider_labels as labels)


class StartTest(PrefixTestCase):
    def test_start_shows_title_default_tag_and_background_fill(self):
        app = self.start()
        self.assertEqual(app.window.title, TITLE)
        self.assertEqual(app.window.client_size, CLIENT_SIZE)
        self.assertEqual(labels(app.window), ("255", "235", "215"))
        self.assertEqual(app.window.text(IDC_BODY_TAG), DEFAULT_TAG)
        self.assertEqual(app.copy_tag(), DEFAULT_TAG)
        app.wait_preview_fill(DEFAULT_BACKGROUND)


class SliderTest(PrefixTestCase):
    def test_arrow_and_trough_clicks_change_the_role_shown(self):
        app = self.start()
        w = app.window
        # Background role: red 255 one line left, green 235 one page left.
        w.click_control(IDC_RED_SLIDER, dx=ARROW_HIT)
        w.click_control(IDC_GREEN_SLIDER, dx=TROUGH_HIT)
        self.assertEqual(labels(app.refresh()), ("254", "225", "215"))
        self.assertEqual(app.copy_tag(), DEFAULT_TAG.replace("FFEBD7", "FEE1D7"))
        app.wait_preview_fill((0xFE, 0xE1, 0xD7))

        # Text role: the sliders show black; blue one page right, then one line right.
        w.click_control(IDC_TEXT_COLOR)
        self.assertEqual(labels(app.refresh()), ("0", "0", "0"))
        self.assertEqual(app.copy_tag(), DEFAULT_TAG.replace("FFEBD7", "FEE1D7"))
        w.click_control(IDC_BLUE_SLIDER, dx=-TROUGH_HIT)
        w.click_control(IDC_BLUE_SLIDER, dx=-ARROW_HIT)
        self.assertEqual(labels(app.refresh()), ("0", "0", "11"))
        self.assertEqual(app.copy_tag(),
                         DEFAULT_TAG.replace("FFEBD7", "FEE1D7").replace("000000", "00000B"))
        # The title and the first line are drawn in the new text colour, no longer in black.
        shot = poll(lambda: (s := app.shot()) and
                    app.count_colour(s, TITLE_RECT, (0, 0, 11)) > 20 and s, what="title repaint")
        self.assertGreater(app.count_colour(shot, LINE1_RECT, (0, 0, 11)), 20)
        self.assertEqual(app.count_colour(shot, TITLE_RECT, (0, 0, 0)), 0)

        # Back on the background role, the sliders show its changed components.
        w.click_control(IDC_BACKGROUND_COLOR)
        self.assertEqual(labels(app.refresh()), ("254", "225", "215"))
        # The slider at 0 stays at 0 on a line left, and the tag is rebuilt all the same.
        w.click_control(IDC_TEXT_COLOR)
        w.click_control(IDC_RED_SLIDER, dx=ARROW_HIT)
        self.assertEqual(labels(app.refresh())[0], "0")


class SliderKeysTest(PrefixTestCase):
    def test_tab_reaches_each_slider_and_its_keys_move_it(self):
        app = self.start()  # the focus is on the first role button
        def tab_to(control):
            app.press("Tab")
            return poll(lambda: app.refresh().focus != focus and app.window.focus,
                        what="the focus to move") == control
        focus = app.window.focus
        for _ in range(5):  # past the role buttons
            if tab_to(IDC_RED_SLIDER):
                break
            focus = app.window.focus
        self.assertEqual(app.window.focus, IDC_RED_SLIDER)
        app.press("Left", "Home", "Right", "Next")  # red: 254, 0, 1, 11
        focus = IDC_RED_SLIDER
        self.assertTrue(tab_to(IDC_GREEN_SLIDER))
        app.press("End", "Prior", "Down")  # green: 255, 245, 246
        focus = IDC_GREEN_SLIDER
        self.assertTrue(tab_to(IDC_BLUE_SLIDER))
        app.press("Home", "Up", "Next", "Next", "Prior")  # blue: 0, 0, 10, 20, 10
        poll(lambda: labels(app.refresh()) == ("11", "246", "10"),
             what="the labels to follow the keys")
        self.assertEqual(app.copy_tag(), DEFAULT_TAG.replace("FFEBD7", "0BF60A"))
        app.wait_preview_fill((11, 246, 10))
        focus = IDC_BLUE_SLIDER
        self.assertTrue(tab_to(IDC_BODY_TAG))


class ColourPickerTest(PrefixTestCase):
    def test_ok_takes_the_typed_colour_and_cancel_changes_nothing(self):
        app = self.start()
        app.pick_colour((0x12, 0x34, 0x56))
        changed = DEFAULT_TAG.replace("FFEBD7", "123456")
        self.assertEqual(app.copy_tag(), changed)
        self.assertEqual(labels(app.refresh()), ("18", "52", "86"))
        app.wait_preview_fill((0x12, 0x34, 0x56))

        app.pick_colour((200, 100, 50), accept=False)
        self.assertEqual(app.copy_tag(), changed)
        self.assertEqual(labels(app.refresh()), ("18", "52", "86"))
        app.wait_preview_fill((0x12, 0x34, 0x56))


class ContrastTest(PrefixTestCase):
    def test_the_contrast_window_follows_the_sliders_and_takes_the_main_windows_keys(self):
        app = self.start()
        app.press("ctrl+k")
        contrast = self.prefix.wait_window("Contrast")
        ratios = contrast.text(IDC_CONTRAST_RATIO).split("\r\n\r\n")
        self.assertEqual(len(ratios), 4, ratios)
        self.assertRegex(ratios[0], r"^\d+\.\d\d:1$")

        # A darker background: the text's ratio against it falls. The main window may have
        # moved to make room for the Contrast window beside it.
        app.refresh().click_control(IDC_GREEN_SLIDER, dx=TROUGH_HIT)
        changed = poll(lambda: (r := self.prefix.wait_window("Contrast").text(
            IDC_CONTRAST_RATIO).split("\r\n\r\n")[0]) != ratios[0] and r,
            what="the text's ratio to change")
        self.assertLess(float(changed[:-2]), float(ratios[0][:-2]))

        # A second Ctrl+K brings the window forward and opens no other.
        app.press("ctrl+k")
        def alone_in_front():
            windows, foreground = self.prefix.snapshot()
            return [w.hwnd for w in windows if w.title == "Contrast"] == [foreground]
        poll(alone_in_front, what="one Contrast window, the active one")

        # The main window's keys work in the Contrast window: Copy as CSS.
        css = app.copy_css(title="Contrast")
        self.assertTrue(css.startswith("body { background-color: #FFE1D7; color: #000000; }"),
                        css)
        self.assertIn("a:visited { color: #551A8B; }", css)

        # Escape in the main window still ends the program, the Contrast window with it, once
        # the question about the changed scheme is answered No.
        app.press("Escape")
        self.prefix.press("Tintwright", "n")
        app.wait_exit()


if __name__ == "__main__":
    unittest.main()
