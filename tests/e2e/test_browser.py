"""The tag where it is used: copied from the running program into a small page and rendered
by headless Chromium, with no network and a fresh profile."""

import html
import json
import os
import re
import shutil
import struct
import subprocess
import tempfile
import unittest
import urllib.parse
import zlib

from twdriver import (IDC_BODY_TAG, IDC_LINK_COLOR, PREVIEW_RECT, PrefixTestCase, Image,
                      browsed_addresses, choose_file, poll, skip_module, stand_in_browser,
                      write_bmp)

CHROMIUM = shutil.which("chromium") or "/usr/bin/chromium"
PAGE_SIZE = (640, 400)
PAGE = """<HTML>
<HEAD><TITLE>A page of the web author</TITLE></HEAD>
{tag}
<P style="font-size:40px">A paragraph in the text colour.</P>
<P style="font-size:40px"><A href="elsewhere.html">A link never followed</A></P>
</BODY>
</HTML>
"""


# The page's computed colours as the browser resolves them. A page cannot read :visited (its
# computed style hides the visited colour), so the visited and active colours are the ones each
# page declares, from its style sheet's rule or from the tag's VLINK and ALINK (the document's
# vlinkColor and alinkColor), each resolved by the browser on an element of its own.
PROBE = """<HTML>
<HEAD><TITLE>A page of the web author</TITLE>{head}</HEAD>
{body}
<A id="link" href="elsewhere.html">A link never followed</A>
<PRE id="seen"></PRE>
<SCRIPT>
function resolved(colour) {
  const probe = document.createElement("span");
  probe.style.color = colour;
  document.body.appendChild(probe);
  const computed = getComputedStyle(probe).color;
  probe.remove();
  return colour ? computed : "none declared";
}
function declared(selector, property) {
  for (const sheet of document.styleSheets)
    for (const rule of sheet.cssRules)
      if (rule.selectorText === selector) return rule.style.color;
  return document[property];
}
const body = getComputedStyle(document.body);
document.getElementById("seen").textContent = JSON.stringify({
  background: body.backgroundColor, picture: body.backgroundImage, text: body.color,
  link: getComputedStyle(document.getElementById("link")).color,
  visited: resolved(declared("a:visited", "vlinkColor")),
  active: resolved(declared("a:active", "alinkColor"))});
</SCRIPT>
</BODY>
</HTML>
"""


def chromium(page, *args):
    profile = tempfile.mkdtemp(prefix="tw-e2e-chromium-")
    try:
        return subprocess.run(
            [CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
             "--no-first-run", "--disable-background-networking", "--disable-component-update",
             "--disable-sync", "--proxy-server=127.0.0.1:9",
             "--host-resolver-rules=MAP * ~NOTFOUND", f"--user-data-dir={profile}", *args,
             "file://" + page],
            check=True, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=60).stdout
    finally:
        shutil.rmtree(profile, ignore_errors=True)


def computed_colours(folder, head, body):
    """The colours that Chromium computes for a page with this head and body start tag."""
    page = os.path.join(folder, "probe.html")
    with open(page, "w", encoding="latin-1") as f:
        f.write(PROBE.replace("{head}", head).replace("{body}", body))
    dom = chromium(page, "--dump-dom").decode("latin-1")
    return json.loads(html.unescape(re.search(r'<pre id="seen">(.*?)</pre>', dom).group(1)))


def render(folder, tag):
    """Writes the page with this tag into folder and returns Chromium's screenshot of it."""
    page = os.path.join(folder, "page.html")
    with open(page, "w", encoding="latin-1") as f:
        f.write(PAGE.format(tag=tag))
    shot = os.path.join(folder, "page.png")
    chromium(page, f"--screenshot={shot}", f"--window-size={PAGE_SIZE[0]},{PAGE_SIZE[1]}")
    return Image(path=shot)


def write_rgba_png(path, width, height, rgba_at):
    """Writes a 32-bit PNG whose pixel (x, y) is rgba_at(x, y), with no gamma or colour chunk
    that a browser might apply."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    rows = b"".join(b"\0" + bytes(c for x in range(width) for c in rgba_at(x, y))
                    for y in range(height))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" +
                chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)) +
                chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def attribute(tag, name):
    start = tag.index(f' {name}="') + len(name) + 3
    return tag[start:tag.index('"', start)]


def rgb(hex_text):
    return tuple(int(hex_text[i:i + 2], 16) for i in (1, 3, 5))


class BrowserTest(PrefixTestCase):
    @classmethod
    def setUpClass(cls):
        if not os.path.exists(CHROMIUM):
            skip_module("Chromium is not installed (scripts/setup.sh installs it)")
        super().setUpClass()

    def assert_page_shows_scheme(self, tag):
        page = render(self.tmp, tag)
        background, text, link = (rgb(attribute(tag, n)) for n in ("BGCOLOR", "TEXT", "LINK"))
        # The margin around the text is the page background.
        for x, y in ((0, 0), (PAGE_SIZE[0] - 1, PAGE_SIZE[1] - 1), (2, PAGE_SIZE[1] // 2)):
            self.assertEqual(page.pixel(x, y), background)
        # The strokes of the letters are in the text and link colours.
        self.assertGreater(page.count(text), 100, f"text colour {text}")
        self.assertGreater(page.count(link), 100, f"link colour {link}")

    def test_default_and_changed_schemes_colour_the_page(self):
        app = self.start()
        self.assert_page_shows_scheme(app.copy_tag())

        app.pick_colour((0x12, 0x34, 0x56))  # background
        app.window.click_control(IDC_LINK_COLOR)
        app.pick_colour((0xF0, 0xC0, 0x20))  # new links
        tag = app.copy_tag()
        self.assertIn('BGCOLOR="#123456"', tag)
        self.assertIn('LINK="#F0C020"', tag)
        self.assert_page_shows_scheme(tag)

    def test_a_background_image_tiles_the_page(self):
        corner, body = (0x20, 0xA0, 0x40), (0xE0, 0xE0, 0xF0)
        write_bmp(os.path.join(self.tmp, "paper.bmp"), 50, 40,
                  lambda x, y: corner if x < 3 and y < 3 else body)
        app = self.start()
        app.press("alt+t", "b")  # Tools > Show Backgrounds?
        app.press("alt+t", "l")  # Tools > Load Background
        choose_file(self.prefix, "Open", os.path.join(self.tmp, "paper.bmp"))
        tag = app.copy_tag()
        self.assertTrue(tag.startswith('<BODY BACKGROUND="paper.bmp" '), tag)

        page = render(self.tmp, tag)
        # Tiles from the page's top-left corner: the marked corner every 50 by 40 pixels.
        for x in range(0, PAGE_SIZE[0], 50):
            self.assertEqual(page.pixel(x, 0), corner, (x, 0))
        for y in range(0, PAGE_SIZE[1], 40):
            self.assertEqual(page.pixel(0, y), corner, (0, y))
        self.assertEqual(page.pixel(25, 20), body)

    def assert_css_colours_page_as_tag(self, app, background_colour=None):
        tag, css = app.copy_tag(), app.copy_css()
        by_tag = computed_colours(self.tmp, "", tag)
        by_css = computed_colours(self.tmp, f"<STYLE>{css}</STYLE>", "<BODY>")
        if background_colour:
            # Under a picture the CSS keeps the colour that the tag's BACKGROUND form drops.
            self.assertEqual(by_css.pop("background"), background_colour)
            by_tag.pop("background")
        self.assertEqual(by_css, by_tag)
        # Not equal by default: the link is the tag's LINK colour.
        self.assertEqual(by_tag["link"], "rgb({}, {}, {})".format(*rgb(attribute(tag, "LINK"))))
        return by_tag

    def test_a_page_styled_by_the_copied_css_looks_as_with_the_tag(self):
        write_bmp(os.path.join(self.tmp, "paper.bmp"), 8, 8, lambda x, y: (0xE0, 0xE0, 0xF0))
        app = self.start()
        self.assert_css_colours_page_as_tag(app)
        app.pick_colour((0x12, 0x34, 0x56))  # background
        app.window.click_control(IDC_LINK_COLOR)
        app.pick_colour((0xF0, 0xC0, 0x20))  # new links
        self.assertEqual(self.assert_css_colours_page_as_tag(app)["background"],
                         "rgb(18, 52, 86)")
        app.press("alt+t", "b")  # Tools > Show Backgrounds?
        app.press("alt+t", "l")  # Tools > Load Background
        choose_file(self.prefix, "Open", os.path.join(self.tmp, "paper.bmp"))
        seen = self.assert_css_colours_page_as_tag(app, "rgb(18, 52, 86)")
        self.assertTrue(seen["picture"].endswith('/paper.bmp")'), seen)

    def test_a_half_transparent_tile_shows_as_the_browser_shows_it(self):
        width, height = 24, 5  # the tile's rows lie above the sample page's title
        write_rgba_png(os.path.join(self.tmp, "veil.png"), width, height,
                       lambda x, y: (x * 11, 255 - y * 50, (x * y * 7) % 256, 128))
        app = self.start()
        app.press("alt+t", "b")  # Tools > Show Backgrounds?
        left, top = PREVIEW_RECT[:2]
        face = app.client_pixel(app.shot(), left, top)
        app.press("alt+t", "l")  # Tools > Load Background
        choose_file(self.prefix, "Open", os.path.join(self.tmp, "veil.png"))
        shot = poll(lambda: (s := app.shot()) and app.client_pixel(s, left, top) != face and s,
                    what="the tiles")
        page = render(self.tmp, app.copy_tag())
        for y in range(height):
            for x in range(PREVIEW_RECT[2] - left):
                ours, browser = app.client_pixel(shot, left + x, top + y), page.pixel(x, y)
                self.assertTrue(all(abs(a - b) <= 2 for a, b in zip(ours, browser)),
                                f"({x}, {y}): the sample page {ours}, the browser {browser}")

    def test_f5_hands_a_page_with_the_tag_and_its_picture_to_the_desktops_browser(self):
        browsed = stand_in_browser(self.prefix, self.tmp)
        corner, body = (0x20, 0xA0, 0x40), (0xE0, 0xE0, 0xF0)
        picture = os.path.join(self.tmp, "preview tile.bmp")
        write_bmp(picture, 50, 40, lambda x, y: corner if x < 3 and y < 3 else body)
        app = self.start(self.prefix.windows_path(picture))
        poll(lambda: 'BACKGROUND="preview tile.bmp"' in app.refresh().text(IDC_BODY_TAG),
             what="the picture of the command line to be the background")
        tag = app.copy_tag()
        app.press("F5")
        address = browsed_addresses(browsed)
        self.assertEqual(len(address), 1, address)
        page = urllib.parse.unquote(address[0][len("file://"):])
        with open(page, encoding="utf-8") as f:
            self.assertIn(tag, f.read())

        shot = os.path.join(self.tmp, "preview.png")
        chromium(page, f"--screenshot={shot}", f"--window-size={PAGE_SIZE[0]},{PAGE_SIZE[1]}")
        shown = Image(path=shot)
        self.assertEqual([shown.pixel(x, 0) for x in (0, 50, 100)], [corner] * 3)
        self.assertEqual(shown.pixel(25, 20), body)
        for colour in (rgb(attribute(tag, name)) for name in ("TEXT", "LINK")):
            self.assertGreater(shown.count(colour), 20, colour)

        app.press("Escape")  # the picture is a change: the program asks to save it first
        self.prefix.wait_window("Tintwright")
        self.prefix.press("Tintwright", "n")
        app.wait_exit()
        self.assertFalse(os.path.exists(os.path.dirname(page)), "the preview's folder is removed")


if __name__ == "__main__":
    unittest.main()
