"""Names in any script: a picture and a scheme in a folder named in Cyrillic and CJK with an
emoji, through the real dialogs; the tag and the style sheet name the picture exactly; scheme
files of the code-page form and of the marked UTF-8 form both open."""

import os
import struct
import unittest

from twdriver import DEFAULT_TAG, PREVIEW_RECT, PrefixTestCase, choose_file, poll, wait_file, \
    write_bmp

FOLDER = "Фото 写真 📷"
PICTURE = "Grüße_写真.bmp"
COLOURS = DEFAULT_TAG[DEFAULT_TAG.index("TEXT="):]
DEFAULTS = struct.pack("<15i", 255, 235, 215, 0, 0, 0, 0, 130, 0, 85, 26, 139, 238, 0, 0)
TILE = (0x20, 0x60, 0xA0)
UTF8_MARKER = b"\xEF\xBB\xBF"


def field(data):
    return bytes([len(data)]) + data


class NamesTest(PrefixTestCase):
    def load_picture(self, app, path):
        app.press("alt+t", "b")  # Tools > Show Backgrounds?
        app.press("alt+t", "l")  # Tools > Load Background
        choose_file(self.prefix, "Open", path)
        poll(lambda: app.client_pixel(app.shot(), *PREVIEW_RECT[:2]) == TILE, what="the tiles")

    def test_a_picture_and_a_scheme_in_a_folder_named_in_any_script(self):
        folder = os.path.join(self.tmp, FOLDER)
        os.makedirs(folder)
        picture = os.path.join(folder, PICTURE)
        write_bmp(picture, 8, 8, lambda x, y: TILE)
        app = self.start()
        self.load_picture(app, picture)
        self.assertEqual(app.copy_tag(), f'<BODY BACKGROUND="{PICTURE}" ' + COLOURS)
        self.assertIn(f'background-image: url("{PICTURE}");', app.copy_css())

        scheme = os.path.join(folder, "mine.colors")
        app.press("ctrl+s")
        choose_file(self.prefix, "Save As", scheme)
        path = self.prefix.windows_path(picture).encode()
        wait_file(scheme, b"TWR" + DEFAULTS + field(UTF8_MARKER + path) +
                  field(UTF8_MARKER + PICTURE.encode()))

        app.kill()
        app = self.start()
        app.press("alt+t", "b")
        app.press("ctrl+o")
        choose_file(self.prefix, "Open", scheme)
        self.assertEqual(app.copy_tag(), f'<BODY BACKGROUND="{PICTURE}" ' + COLOURS)
        poll(lambda: app.client_pixel(app.shot(), *PREVIEW_RECT[:2]) == TILE,
             what="the tiles of the reopened scheme")

    def test_a_scheme_file_in_the_code_page_form_still_opens(self):
        picture = os.path.join(self.tmp, "Café.bmp")
        write_bmp(picture, 8, 8, lambda x, y: TILE)
        scheme = os.path.join(self.tmp, "today.colors")
        with open(scheme, "wb") as f:
            f.write(b"TWR" + DEFAULTS + field(self.prefix.windows_path(picture).encode("cp1252"))
                    + field("Café.bmp".encode("cp1252")))
        app = self.start()
        app.press("alt+t", "b")
        app.press("ctrl+o")
        choose_file(self.prefix, "Open", scheme)
        self.assertEqual(app.copy_tag(), '<BODY BACKGROUND="Café.bmp" ' + COLOURS)
        poll(lambda: app.client_pixel(app.shot(), *PREVIEW_RECT[:2]) == TILE, what="the tiles")


if __name__ == "__main__":
    unittest.main()
