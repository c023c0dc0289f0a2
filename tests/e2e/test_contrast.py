"""The Contrast window's Fix and Tools > Simulate Vision, driven with real keys and clicks."""

import unittest

from twdriver import DEFAULT_TAG, PREVIEW_RECT, PrefixTestCase, poll

# The Contrast window's columns and the New Link row's Fix button.
IDC_CONTRAST_AA = 1032
IDC_CONTRAST_FIX_LINK = 1041
IDC_SAMPLE_FRAME = 1017
# The New Link line of the sample page, in client pixels.
LINE2_RECT = (37, 352, 373, 372)


def near(a, b):
    return all(abs(x - y) <= 1 for x, y in zip(a, b))


class FixTest(PrefixTestCase):
    def test_fix_gives_the_new_link_the_nearest_colour_that_passes(self):
        app = self.start()
        app.press("ctrl+k")
        contrast = self.prefix.wait_window("Contrast")
        self.assertEqual(contrast.text(IDC_CONTRAST_AA).split("\r\n\r\n")[1], "Fail")
        contrast.click_control(IDC_CONTRAST_FIX_LINK)
        # #047E00: the nearest in OKLab of #008200's hue reaching 4.5:1 on #FFEBD7 and 3:1
        # against black, as a search of every colour finds it.
        poll(lambda: self.prefix.wait_window("Contrast").text(IDC_CONTRAST_AA)
             .split("\r\n\r\n")[1] == "Pass", what="the New Link row to pass")
        self.assertEqual(app.copy_tag(), DEFAULT_TAG.replace("008200", "047E00"))


class SimulateVisionTest(PrefixTestCase):
    def test_each_view_draws_the_page_as_its_matrix_says_and_keeps_the_tag(self):
        app = self.start()
        # View, its key in the pop-up, and the page's background and new link as it draws them.
        views = [("protanopia", "p", (0xF2, 0xEC, 0xD6), (0x85, 0x74, 0x00)),
                 ("deuteranopia", "d", (0xF7, 0xF0, 0xD7), (0x79, 0x6C, 0x19)),
                 ("tritanopia", "t", (0xFF, 0xE6, 0xE5), (0x00, 0x7E, 0x6D)),
                 ("achromatopsia", "a", (0xEE, 0xEE, 0xEE), (0x6F, 0x6F, 0x6F))]
        for name, key, background, link in views:
            with self.subTest(view=name):
                app.press("alt+t", "v", key)
                poll(lambda: app.refresh().text(IDC_SAMPLE_FRAME) ==
                     f"Sample Homepage (as seen with {name})", what=f"the {name} frame")
                shot = poll(lambda: (s := app.shot()) and
                            not isinstance(fill := app.preview_fill(s), set) and
                            near(fill, background) and s, what=f"the {name} background")
                left, top, right, bottom = LINE2_RECT
                drawn = sum(1 for y in range(top, bottom) for x in range(left, right)
                            if near(app.client_pixel(shot, x, y), link))
                self.assertGreater(drawn, 20)
                self.assertEqual(app.copy_tag(), DEFAULT_TAG)
        app.press("alt+t", "v", "n")
        app.wait_preview_fill((0xFF, 0xEB, 0xD7))


if __name__ == "__main__":
    unittest.main()
