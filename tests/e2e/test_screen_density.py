"""The main window and the Contrast window at 96, 144 and 192 DPI: at 96 every pixel of the
sample page stays where it was; at higher densities no two controls overlap and the page with
its lines fills its frame, covering no control."""

import os
import subprocess
import unittest

from twdriver import (CLIENT_SIZE, DEFAULT_BACKGROUND, TITLE, PrefixTestCase, choose_file, poll,
                      write_bmp)

# The link colours of the default scheme: lines 2 to 4 of the sample page and nothing else.
LINK_COLOURS = ((0x00, 0x82, 0x00), (0x55, 0x1A, 0x8B), (0xEE, 0x00, 0x00))
PAGE_GROUP = "Sample Homepage"
GROUP_BOXES = ("Color Picker", "Body Tag", PAGE_GROUP)


def overlap(a, b):
    return a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]


def inside(inner, outer):
    return (outer[0] <= inner[0] and outer[1] <= inner[1] and inner[2] <= outer[2]
            and inner[3] <= outer[3])


def is_group(control):
    return control["class"].lower() == "button" and control["text"] in GROUP_BOXES


def screen_width():
    out = subprocess.run(["xdotool", "getdisplaygeometry"], stdout=subprocess.PIPE, check=True)
    return int(out.stdout.split()[0])


def assert_laid_out(test, window):
    """Every control inside the client area; no two group boxes, and no two other controls,
    overlap; each other control lies inside a group box or outside them all."""
    width, height = window.client_size
    controls = [c for c in window.children if c["rect"][2] > c["rect"][0]]
    groups = [c for c in controls if is_group(c)]
    others = [c for c in controls if not is_group(c)]
    for c in controls:
        test.assertTrue(inside(c["rect"], (0, 0, width, height)), c)
    for kind in (groups, others):
        for i, a in enumerate(kind):
            for b in kind[i + 1:]:
                test.assertFalse(overlap(a["rect"], b["rect"]), (a, b))
    for c in others:
        for g in groups:
            test.assertTrue(inside(c["rect"], g["rect"]) or not overlap(c["rect"], g["rect"]),
                            (c, g))


def bounds(app, image, colour):
    """The client rectangle around every pixel of colour in the window, or None."""
    ox = app.window.client_origin[0] - app.window.frame[0]
    oy = app.window.client_origin[1] - app.window.frame[1]
    xs, ys = [], []
    width, height = app.window.client_size
    for y in range(height):
        row = 3 * ((oy + y) * image.width + ox)
        for x in range(width):
            if tuple(image.pixels[row + 3 * x:row + 3 * x + 3]) == colour:
                xs.append(x)
                ys.append(y)
    return (min(xs), min(ys), max(xs) + 1, max(ys) + 1) if xs else None


class NinetySixDpiTest(PrefixTestCase):
    def test_the_page_and_its_frames_are_drawn_where_they_always_were(self):
        app = self.start()
        self.assertEqual(app.window.client_size, CLIENT_SIZE)
        self.assertEqual(app.window.control(text=PAGE_GROUP)["rect"], [8, 263, 406, 439])
        app.wait_preview_fill(DEFAULT_BACKGROUND)
        shot = app.shot()
        self.assertEqual(bounds(app, shot, DEFAULT_BACKGROUND), (29, 293, 387, 421))
        # The etched frames: the outer one dark at its top left, the inner one light there.
        outer, inner = app.client_pixel(shot, 24, 288), app.client_pixel(shot, 28, 292)
        self.assertEqual(app.client_pixel(shot, 391, 425), inner)
        self.assertEqual(app.client_pixel(shot, 387, 421), outer)
        self.assertNotEqual(outer, inner)
        self.assertEqual(bounds(app, shot, LINK_COLOURS[0]), (101, 354, 305, 367))


class HighDensity:
    """The checks at one density; the classes below give it, and the pixels that a tile 40
    pixels wide and its 2-pixel corner take there."""
    dpi = tile_width = corner_width = None

    def test_the_main_window_grows_and_its_page_fills_its_frame(self):
        app = self.start()
        w = app.window
        # The window grows with the density: 416 by 450 client pixels at 96 DPI.
        self.assertGreaterEqual(w.client_size[0], CLIENT_SIZE[0] * self.dpi // 96 - 2)
        assert_laid_out(self, w)

        # The page's background: inside the group box, covering no other control, and filling
        # most of the box as at 96 DPI (358 by 128 pixels of its 398 by 175).
        shot = poll(lambda: (s := app.shot()) and bounds(app, s, DEFAULT_BACKGROUND) and s,
                    what="the page to be painted")
        page = bounds(app, shot, DEFAULT_BACKGROUND)
        group = w.control(text=PAGE_GROUP)["rect"]
        self.assertTrue(inside(page, group), (page, group))
        for c in w.children:
            if c["text"] != PAGE_GROUP:
                self.assertFalse(overlap(page, c["rect"]), c)
        self.assertGreater((page[2] - page[0]) / (group[2] - group[0]), 0.85)
        self.assertGreater((page[3] - page[1]) / (group[3] - group[1]), 0.65)

        # Every pixel of the three link lines lies within the page, clear of its edges, and
        # each line lies below the one before.
        lines = [bounds(app, shot, colour) for colour in LINK_COLOURS]
        for line in lines:
            self.assertIsNotNone(line)
            self.assertTrue(inside(line, (page[0] + 2, page[1] + 2, page[2] - 2, page[3] - 2)),
                            (line, page))
        for upper, lower in zip(lines, lines[1:]):
            self.assertLess(upper[1], lower[1])

    def test_the_contrast_window_grows_without_overlaps(self):
        app = self.start()
        app.press("ctrl+k")
        contrast = self.prefix.wait_window("Contrast")
        assert_laid_out(self, contrast)
        # 345 by 128 dialog units: 518 by 208 pixels at 96 DPI.
        self.assertGreaterEqual(contrast.client_size[0], 518 * self.dpi // 96 - 8)
        # On the screen, and clear of the main window where the screen has room for both side
        # by side (the main window moved if need be); else clear of its caption's buttons.
        main = self.prefix.find_window(TITLE)
        left, top, right, bottom = contrast.frame
        self.assertGreaterEqual(left, 0)
        self.assertGreaterEqual(top, 0)
        if main.frame[2] - main.frame[0] + right - left < screen_width():
            self.assertFalse(overlap(contrast.frame, main.frame), (contrast.frame, main.frame))
        else:
            buttons = (main.frame[2] - 3 * main.metrics["cxsize"] - main.metrics["cxdlgframe"],
                       main.frame[1], main.frame[2], main.client_origin[1])
            self.assertFalse(overlap(contrast.frame, buttons), (contrast.frame, buttons))


    def test_background_tiles_grow_as_in_a_browser_at_this_zoom_in_the_pictures_colours(self):
        corner, body = (0x12, 0x9A, 0x3C), (0xC8, 0x64, 0x32)
        image = os.path.join(self.tmp, "tile.bmp")
        write_bmp(image, 40, 30, lambda x, y: corner if x < 2 and y < 2 else body)
        app = self.start()
        app.press("alt+t", "b")  # Tools > Show Backgrounds?
        app.press("alt+t", "l")  # Tools > Load Background
        choose_file(self.prefix, "Open", image)
        shot = poll(lambda: (s := app.shot()) and bounds(app, s, corner) and s, what="the tiles")
        left, top = bounds(app, shot, corner)[:2]
        page_right = bounds(app, shot, body)[2]
        # The page's top row: the corners' runs, a tile apart, and only the picture's colours.
        row = [app.client_pixel(shot, x, top) for x in range(left, page_right)]
        self.assertEqual(set(row), {corner, body})
        starts = [x for x in range(len(row)) if row[x] == corner and (x == 0 or row[x - 1] != corner)]
        self.assertEqual(starts[:3], [0, self.tile_width, 2 * self.tile_width])
        self.assertEqual(row[:self.corner_width + 1], [corner] * self.corner_width + [body])


class At40DpiTest(PrefixTestCase):
    dpi = 40

    def test_a_picture_of_one_pixel_tiles_the_page(self):
        # Below 48 DPI the pixel scales to less than one: it still takes a whole pixel.
        colour = (0x12, 0x9A, 0x3C)
        image = os.path.join(self.tmp, "dot.bmp")
        write_bmp(image, 1, 1, lambda x, y: colour)
        app = self.start()
        app.press("alt+t", "b")  # Tools > Show Backgrounds?
        app.press("alt+t", "l")  # Tools > Load Background
        choose_file(self.prefix, "Open", image)
        poll(lambda: (s := app.shot()) and bounds(app, s, colour), what="the tiles")
        self.assertIn('BACKGROUND="dot.bmp"', app.copy_tag())


class At144DpiTest(HighDensity, PrefixTestCase):
    dpi, tile_width, corner_width = 144, 60, 3


class At192DpiTest(HighDensity, PrefixTestCase):
    dpi, tile_width, corner_width = 192, 80, 4


if __name__ == "__main__":
    unittest.main()
