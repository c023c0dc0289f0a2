"""Background images: the toggle, a real image chosen in the real open dialog, the tiles on
screen, the name in the tag and the path in a saved scheme; the PNG copy offered for a format
that browsers do not show."""

import os
import stat
import struct
import subprocess
import unittest

from twdriver import (DEFAULT_BACKGROUND, DEFAULT_TAG, PREVIEW_RECT, Image, PrefixTestCase,
                      choose_file, list_folder, long_folder, poll, refuse_long_path, wait_file, write_bmp,
                      xwindow)

TILE_W, TILE_H = 40, 30
CORNER, BODY = (0x12, 0x9A, 0x3C), (0xC8, 0x64, 0x32)
APP_NAME = "Tintwright"  # message boxes carry the executable's base name
COLOURS = DEFAULT_TAG[DEFAULT_TAG.index("TEXT="):]


def tile_colour(x, y):
    return CORNER if x < 2 and y < 2 else BODY


def default_scheme_naming(path, name):
    """The scheme file of the starting colours with a background picture's path and name."""
    return (b"TWR" + struct.pack("<15i", 255, 235, 215, 0, 0, 0, 0, 130, 0, 85, 26, 139, 238, 0, 0)
            + bytes([len(path)]) + path.encode() + bytes([len(name)]) + name.encode())


def pattern(x, y):
    """An asymmetric picture, so that a flip or a lost row shows."""
    return ((x * 23 + y * 5) % 256, (y * 37) % 256, (x * y * 11 + 7) % 256)


def write_picture(path, width, height):
    """Writes the pattern in the format of path's extension, through ImageMagick. A picture
    without an orientation goes into a TGA top row first yet marked bottom-up, so it gets one."""
    pixels = bytes(c for y in range(height) for x in range(width) for c in pattern(x, y))
    subprocess.run(["convert", "ppm:-", "-orient", "TopLeft", path], check=True,
                   input=f"P6 {width} {height} 255\n".encode() + pixels)


class BackgroundTest(PrefixTestCase):
    def edge_tile_origins(self):
        """Top-left corners of the tiles in the first row and the first column, where no text
        is drawn over them."""
        left, top, right, bottom = PREVIEW_RECT
        return ([(x, top) for x in range(left, right, TILE_W)] +
                [(left, y) for y in range(top + TILE_H, bottom, TILE_H)])

    def test_show_load_tile_save_and_hide(self):
        image = os.path.join(self.tmp, "tile.bmp")
        write_bmp(image, TILE_W, TILE_H, tile_colour)
        app = self.start()
        colours = COLOURS

        app.press("alt+t", "b")  # Tools > Show Backgrounds?
        self.assertEqual(app.copy_tag(), '<BODY BACKGROUND="" ' + colours)
        # No image yet: the page shows the browser's default white that contrast is checked
        # against, not the colour.
        app.wait_preview_fill((255, 255, 255))

        app.press("alt+t", "l")  # Tools > Load Background, enabled now
        choose_file(self.prefix, "Open", image)
        self.assertEqual(app.copy_tag(), '<BODY BACKGROUND="tile.bmp" ' + colours)
        shot = poll(lambda: (s := app.shot()) and
                    app.client_pixel(s, *PREVIEW_RECT[:2]) == CORNER and s, what="the tiles")
        origins = self.edge_tile_origins()
        self.assertEqual(len(origins), 9 + 4)
        for x, y in origins:
            self.assertEqual(app.client_pixel(shot, x, y), CORNER, (x, y))
            if x + 5 < PREVIEW_RECT[2] and y + 5 < PREVIEW_RECT[3]:
                self.assertEqual(app.client_pixel(shot, x + 5, y + 5), BODY, (x, y))

        # A scheme saved now carries the image's full path and its name.
        scheme = os.path.join(self.tmp, "with image.colors")
        app.press("ctrl+s")
        choose_file(self.prefix, "Save As", scheme)
        wait_file(scheme, default_scheme_naming(self.prefix.windows_path(image), "tile.bmp"))

        app.press("alt+t", "b")  # hide: the colour and BGCOLOR come back, the image is kept
        self.assertEqual(app.copy_tag(), DEFAULT_TAG)
        app.wait_preview_fill(DEFAULT_BACKGROUND)
        app.press("alt+t", "b")
        self.assertEqual(app.copy_tag(), '<BODY BACKGROUND="tile.bmp" ' + colours)
        poll(lambda: app.client_pixel(app.shot(), *PREVIEW_RECT[:2]) == CORNER,
             what="the tiles again")


class FilterTest(PrefixTestCase):
    def test_pngs_and_gifs_are_listed_and_chosen(self):
        folder = os.path.join(self.tmp, "pictures")
        os.makedirs(folder)
        for name in ("sky.png", "dots.gif", "photo.jpeg", "scan.tiff", "notes.txt"):
            write_picture(os.path.join(folder, name), 4, 3)
        app = self.start()
        app.press("alt+t", "b")  # Tools > Show Backgrounds?
        for name in ("sky.png", "dots.gif"):
            app.press("alt+t", "l")  # Tools > Load Background
            self.prefix.wait_window("Open")
            # The first filter, All Supported Images, lets in the pictures only.
            self.assertEqual(sorted(list_folder(self.prefix, "Open", folder, "sky.png")),
                             ["dots.gif", "photo.jpeg", "scan.tiff", "sky.png"])
            choose_file(self.prefix, "Open", os.path.join(folder, name))
            self.assertEqual(app.copy_tag(), f'<BODY BACKGROUND="{name}" ' + COLOURS)


class LongPathTest(PrefixTestCase):
    def test_a_path_too_long_for_the_dialog_is_refused_and_the_program_lives(self):
        # Wine's file dialog faults on a path of 260 characters or more, ending the program.
        picture = os.path.join(long_folder(self.tmp, self.prefix, 270), "sky.png")
        write_picture(picture, 4, 3)
        app = self.start()
        app.press("alt+t", "b")  # Tools > Show Backgrounds?
        app.press("alt+t", "l")  # Tools > Load Background
        self.prefix.wait_window("Open")
        windows_path = self.prefix.windows_path(picture)
        refuse_long_path(self.prefix, "Open", windows_path, windows_path)
        self.prefix.press("Open", "Escape")
        poll(lambda: xwindow("Open") is None, what="the Open dialog to close")
        self.assertEqual(app.copy_tag(), '<BODY BACKGROUND="" ' + COLOURS)


class PngCopyTest(PrefixTestCase):
    WIDTH, HEIGHT = 37, 23

    def load(self, app, path):
        """Shows backgrounds, loads the picture and returns the question that follows."""
        app.press("alt+t", "b")  # Tools > Show Backgrounds?
        app.press("alt+t", "l")  # Tools > Load Background
        choose_file(self.prefix, "Open", path)
        box = self.prefix.wait_window(APP_NAME)
        return [c["text"] for c in box.children if c["class"].lower() == "static"]

    def answer(self, key):
        """Answers the message box: Return for its first button, a letter for a named one."""
        self.prefix.press(APP_NAME, key)
        poll(lambda: xwindow(APP_NAME) is None, what="the message box to close")

    def test_yes_saves_a_png_copy_that_the_tag_and_a_scheme_name(self):
        tga = os.path.join(self.tmp, "photo.tga")
        write_picture(tga, self.WIDTH, self.HEIGHT)
        app = self.start()
        question = ("Web browsers do not show TGA pictures, so your page would have no "
                    "background.\n\nSave a PNG copy to use instead?")
        self.assertIn(question, self.load(app, tga))
        self.answer("Return")  # Yes
        png = os.path.join(self.tmp, "photo copy.png")
        choose_file(self.prefix, "Save As", png)

        self.assertEqual(app.copy_tag(), '<BODY BACKGROUND="photo copy.png" ' + COLOURS)
        copy = Image(path=png)
        self.assertEqual((copy.width, copy.height), (self.WIDTH, self.HEIGHT))
        for y in range(self.HEIGHT):
            for x in range(self.WIDTH):
                self.assertEqual(copy.pixel(x, y), pattern(x, y), (x, y))

        scheme = os.path.join(self.tmp, "copy.colors")
        app.press("ctrl+s")
        choose_file(self.prefix, "Save As", scheme)
        wait_file(scheme, default_scheme_naming(self.prefix.windows_path(png), "photo copy.png"))

    def test_the_png_extension_counts_towards_the_longest_path(self):
        # ".png" added to a name typed without it: 256 characters make 260.
        tga = os.path.join(self.tmp, "long.tga")
        write_picture(tga, self.WIDTH, self.HEIGHT)
        typed = self.prefix.windows_path(long_folder(self.tmp, self.prefix, 250)) + "\\" + "p" * 5
        app = self.start()
        self.load(app, tga)
        self.answer("Return")  # Yes
        self.prefix.wait_window("Save As")
        refuse_long_path(self.prefix, "Save As", typed, typed + ".png")
        self.prefix.press("Save As", "Escape")
        poll(lambda: xwindow("Save As") is None, what='the "Save As" dialog to close')
        self.assertEqual(app.copy_tag(), '<BODY BACKGROUND="long.tga" ' + COLOURS)

    def test_no_keeps_the_pcx(self):
        pcx = os.path.join(self.tmp, "scan.pcx")
        write_picture(pcx, self.WIDTH, self.HEIGHT)
        app = self.start()
        self.assertTrue(any("do not show PCX pictures" in t for t in self.load(app, pcx)))
        self.answer("n")  # No
        self.assertEqual(app.copy_tag(), '<BODY BACKGROUND="scan.pcx" ' + COLOURS)
        self.assertIsNone(xwindow("Save As"))

    def test_a_refused_copy_says_why_and_the_tga_stays(self):
        tga = os.path.join(self.tmp, "kept.tga")
        write_picture(tga, self.WIDTH, self.HEIGHT)
        # A read-only file in the copy's place, which Windows refuses to replace.
        taken = os.path.join(self.tmp, "taken.png")
        with open(taken, "wb") as f:
            f.write(b"not to be replaced")
        os.chmod(taken, stat.S_IRUSR | stat.S_IRGRP | stat.S_IROTH)
        self.addCleanup(os.chmod, taken, stat.S_IRUSR | stat.S_IWUSR)
        app = self.start()
        self.load(app, tga)
        self.answer("Return")  # Yes
        self.prefix.press("Save As", "End", "shift+Home")
        self.prefix.type("Save As", self.prefix.windows_path(taken))
        self.prefix.press("Save As", "Return")
        # The dialog's own question whether to replace the file, then the program's message.
        replace = self.prefix.wait_window("Error")
        self.assertIn("File already exists.\nDo you want to replace it?",
                      [c["text"] for c in replace.children])
        self.prefix.press("Error", "y")
        poll(lambda: xwindow("Save As") is None, what='the "Save As" dialog to close')
        box = self.prefix.wait_window(APP_NAME)
        denied = f"Access to {self.prefix.windows_path(taken)} was denied."
        self.assertIn(denied, [c["text"] for c in box.children])
        self.answer("Return")

        self.assertEqual(app.copy_tag(), '<BODY BACKGROUND="kept.tga" ' + COLOURS)
        with open(taken, "rb") as f:
            self.assertEqual(f.read(), b"not to be replaced")
        self.assertEqual([n for n in os.listdir(self.tmp) if n.endswith(".tmp")], [])


if __name__ == "__main__":
    unittest.main()
