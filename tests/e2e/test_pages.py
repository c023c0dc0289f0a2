"""The scheme written into HTML pages through the real open dialog, each page kept byte for byte
outside what was written, and a page's colours read back."""

import os
import unittest

from twdriver import (ARROW_HIT, IDC_RED_SLIDER, PrefixTestCase, choose_file, wait_file,
                      write_bmp)

CHANGED_TAG = ('<BODY BGCOLOR="#FEEBD7" TEXT="#000000" LINK="#008200" '
               'VLINK="#551A8B" ALINK="#EE0000" >')
TILE = (0x20, 0x40, 0x60)
AFTER = b' LINK="#008200" VLINK="#551A8B" ALINK="#EE0000"'


class ApplyToPageTest(PrefixTestCase):
    def write(self, name, content):
        path = os.path.join(self.tmp, name)
        with open(path, "wb") as f:
            f.write(content)
        return path

    def test_pages_in_three_encodings_keep_every_byte_outside_the_tag_then_open(self):
        head = b"<!DOCTYPE html>\r\n<html><head><title>Caf\xc3\xa9 <body></title></head>\r\n"
        text = b"\r\n<!-- <body> -->\r\n<p>Caf\xc3\xa9</p></body></html>\r\n"
        pages = {  # before, the tag, after
            "bom.htm": (b"\xef\xbb\xbf" + head, b'<Body class="main" text=red>', text),
            "utf8.html": (head.replace(b"\r\n", b"\n"), b"<BODY\n\tTEXT='red'\n>", b"\n\xe2\x82\xac"),
            "code page.htm": (b"<p>Caf\xe9\n", b"<body bgcolor=white link='#00f'>", b"\n\xe9"),
        }
        tags = {
            "bom.htm": b'<Body class="main" text="#000000" BGCOLOR="#FEEBD7"' + AFTER + b">",
            "utf8.html": b'<BODY\n\tTEXT="#000000"\nBGCOLOR="#FEEBD7"' + AFTER + b" >",
            "code page.htm": (b'<body bgcolor="#FEEBD7" link="#008200" TEXT="#000000" '
                              b'VLINK="#551A8B" ALINK="#EE0000">'),
        }
        app = self.start()
        app.window.click_control(IDC_RED_SLIDER, dx=ARROW_HIT)  # background red 254
        self.assertEqual(app.copy_tag(), CHANGED_TAG)
        for name, (before, tag, after) in pages.items():
            path = self.write(name, before + tag + after)
            app.press("alt+s", "a")  # Schemes > Apply to Page...
            choose_file(self.prefix, "Open", path)
            wait_file(path, before + tags[name] + after)

        app.press("alt+e", "r")  # Edit > Reset Colors
        app.press("alt+s", "p")  # Schemes > Open Page Colors...
        choose_file(self.prefix, "Open", os.path.join(self.tmp, "code page.htm"))
        self.assertEqual(app.copy_tag(), CHANGED_TAG)

    def test_a_picture_under_the_page_is_named_in_its_encoding_and_one_style_element(self):
        os.makedirs(os.path.join(self.tmp, "pictures"))
        picture = os.path.join(self.tmp, "pictures", "tuil\u00e9.bmp")
        write_bmp(picture, 4, 4, lambda x, y: TILE)
        before = b'<meta charset="windows-1252">\n<head></head>\n'
        path = self.write("latin.htm", before + b"<body>\n\xe9")
        app = self.start()
        app.press("alt+t", "b")  # Tools > Show Backgrounds?
        app.press("alt+t", "l")  # Tools > Load Background
        choose_file(self.prefix, "Open", picture)

        app.press("alt+s", "a")
        choose_file(self.prefix, "Open", path)
        tagged = before + (b'<body BACKGROUND="pictures/tuil\xe9.bmp" TEXT="#000000"' + AFTER
                           + b">\n\xe9")
        wait_file(path, tagged)

        for rule in (b'background-color: #FFEBD7; background-image: url("pictures/tuil\xe9.bmp")',
                     b"background-color: #FFEBD7"):
            app.press("alt+s", "t")  # Schemes > Apply Style Sheet to Page...
            choose_file(self.prefix, "Open", path)
            wait_file(path, tagged.replace(
                b"</head>", b'<style id="tintwright-colors">\nbody { ' + rule
                + b"; color: #000000; }\na:link { color: #008200; }\n"
                b"a:visited { color: #551A8B; }\na:active { color: #EE0000; }\n</style></head>"))
            app.press("alt+t", "b")  # the second time without the picture

        # Read back, the picture found from the page's folder and shown.
        app.press("alt+e", "r")  # Edit > Reset Colors, which hides the picture
        app.press("alt+s", "p")  # Schemes > Open Page Colors...
        choose_file(self.prefix, "Open", path)
        self.assertEqual(app.copy_tag(), '<BODY BACKGROUND="pictures/tuil\u00e9.bmp" TEXT="#000000"'
                         + AFTER.decode() + " >")
        app.wait_preview_fill(TILE)


if __name__ == "__main__":
    unittest.main()
