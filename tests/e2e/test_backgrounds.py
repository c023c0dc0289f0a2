"""Background images: the toggle, a real image chosen in the real open dialog, the tiles on
screen, the name in the tag and the path in a saved scheme."""

import os
import struct
import unittest

from twdriver import (DEFAULT_BACKGROUND, DEFAULT_TAG, PREVIEW_RECT, PrefixTestCase,
                      choose_file, poll, wait_file, write_bmp)

TILE_W, TILE_H = 40, 30
CORNER, BODY = (0x12, 0x9A, 0x3C), (0xC8, 0x64, 0x32)


def tile_colour(x, y):
    return CORNER if x < 2 and y < 2 else BODY


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
        colours = DEFAULT_TAG[DEFAULT_TAG.index("TEXT="):]

        app.press("alt+t", "b")  # Tools > Show Backgrounds?
        self.assertEqual(app.copy_tag(), '<BODY BACKGROUND="" ' + colours)
        # No image yet: the page shows the window's own background, not the colour.
        face = app.client_pixel(app.shot(), 2, 2)
        app.wait_preview_fill(face)

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
        full = self.prefix.windows_path(image).encode()
        wait_file(scheme, b"TWR" + struct.pack("<15i", 255, 235, 215, 0, 0, 0, 0, 130, 0,
                                              85, 26, 139, 238, 0, 0)
                  + bytes([len(full)]) + full + bytes([len(b"tile.bmp")]) + b"tile.bmp")

        app.press("alt+t", "b")  # hide: the colour and BGCOLOR come back, the image is kept
        self.assertEqual(app.copy_tag(), DEFAULT_TAG)
        app.wait_preview_fill(DEFAULT_BACKGROUND)
        app.press("alt+t", "b")
        self.assertEqual(app.copy_tag(), '<BODY BACKGROUND="tile.bmp" ' + colours)
        poll(lambda: app.client_pixel(app.shot(), *PREVIEW_RECT[:2]) == CORNER,
             what="the tiles again")


if __name__ == "__main__":
    unittest.main()
