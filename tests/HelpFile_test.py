"""The built Tintwright.chm, read with libchm's extract_chmLib rather than with the compiler
that wrote it: every menu command of res/Tintwright.rc has an entry in the contents under its
menu, on a page that names it and its keys; every link inside resolves; every page has a title."""

import html.parser
import os
import re
import subprocess
import tempfile
import unittest
import urllib.parse

HELP_FILE = os.environ.get("TW_HELP_FILE", "")
RESOURCE_SCRIPT = os.environ.get("TW_RESOURCE_SCRIPT", "")


def menu_commands(path):
    """(menu, command, keys) for every command of the menu bar, as the menu shows them."""
    commands, menus = [], [None]  # the pop-ups open around the line, innermost last
    with open(path, encoding="cp1252") as f:
        for line in f:
            if m := re.match(r'\s*POPUP\s+"([^"]*)"', line):
                menus.append(m.group(1).replace("&", ""))
            elif re.match(r'\s*END\b', line) and len(menus) > 1:
                menus.pop()
            elif m := re.match(r'\s*MENUITEM\s+"([^"]*)"', line):
                name, _, keys = m.group(1).replace("&", "").partition("\\t")
                # "..." only says that a dialog follows: the help names the command without it.
                commands.append((menus[-1], name.strip().removesuffix("..."), keys.strip()))
    return commands


class Page(html.parser.HTMLParser):
    """A page, contents or index file: its title, text, anchors, links and sitemap entries."""

    def __init__(self, text):
        super().__init__(convert_charrefs=True)
        self.title, self.text, self.anchors, self.links = None, [], set(), []
        self.entries = []  # (depth, name, local) of the sitemap's entries, in order
        self._depth, self._entry, self._in_title = 0, None, False
        self.feed(text)
        self.close()
        self.text = " ".join(" ".join(self.text).split())

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        self.anchors.update(attrs[key] for key in ("id", "name") if attrs.get(key) and
                            tag != "param")
        self.links += [attrs[key] for key in ("href", "src") if attrs.get(key)]
        if tag == "title":
            self._in_title, self.title = True, ""
        elif tag == "ul":
            self._depth += 1
        elif tag == "object" and attrs.get("type") == "text/sitemap":
            self._entry = {}
        elif tag == "param" and self._entry is not None:
            self._entry[attrs.get("name", "").lower()] = attrs.get("value", "")

    def handle_endtag(self, tag):
        if tag == "title":
            self._in_title = False
        elif tag == "ul":
            self._depth -= 1
        elif tag == "object" and self._entry is not None:
            self.entries.append((self._depth, self._entry.get("name"), self._entry.get("local")))
            self.links += [self._entry["local"]] if self._entry.get("local") else []
            self._entry = None

    def handle_data(self, data):
        if self._in_title:
            self.title += data
        self.text.append(data)


class HelpFileTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not os.path.exists(HELP_FILE):
            raise AssertionError(f"{HELP_FILE} is not built")
        cls.folder = tempfile.TemporaryDirectory(prefix="tw-help-")
        subprocess.run(["extract_chmLib", HELP_FILE, cls.folder.name], check=True,
                       stdout=subprocess.DEVNULL)
        cls.pages = {}
        for root, _, files in os.walk(cls.folder.name):
            for name in files:
                path = os.path.relpath(os.path.join(root, name), cls.folder.name)
                if path.lower().endswith((".htm", ".html", ".hhc", ".hhk", ".css")):
                    with open(os.path.join(root, name), encoding="cp1252") as f:
                        cls.pages[path.replace(os.sep, "/")] = f.read()
        cls.parsed = {path: Page(text) for path, text in cls.pages.items()
                      if not path.endswith(".css")}
        contents = [p for p in cls.parsed if p.lower().endswith(".hhc")]
        if len(contents) != 1:
            raise AssertionError(f"one contents file expected, found {contents}")
        cls.contents = cls.parsed[contents[0]].entries

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def resolve(self, source, link):
        """The page a link from source leads to, and its anchor; fails for a link outside."""
        parts = urllib.parse.urlsplit(link)
        self.assertFalse(parts.scheme or parts.netloc, f"{source}: {link} leads outside the file")
        target = posix_join(source, urllib.parse.unquote(parts.path)) if parts.path else source
        self.assertIn(target, self.pages, f"{source}: {link} names no file in the help")
        if parts.fragment:
            self.assertIn(parts.fragment, self.parsed[target].anchors,
                          f"{source}: {link} names no anchor of {target}")
        return target

    def test_every_menu_command_has_its_entry_and_page_under_its_menu(self):
        commands = menu_commands(RESOURCE_SCRIPT)
        self.assertGreater(len(commands), 10)
        for menu, command, keys in commands:
            with self.subTest(command=command):
                found = [i for i, entry in enumerate(self.contents) if entry[1] == command]
                self.assertTrue(found, f'no entry "{command}" in the contents')
                depth, _, local = self.contents[found[0]]
                parent = next(e for e in reversed(self.contents[:found[0]]) if e[0] < depth)
                self.assertEqual(parent[1], f"{menu} menu")
                page = self.resolve("contents.hhc", local)
                self.assertIn(command, self.parsed[page].text)
                if keys:
                    self.assertIn(keys, self.parsed[page].text)

    def test_every_link_inside_leads_to_a_file_of_the_help(self):
        links = 0
        for source, page in self.parsed.items():
            for link in page.links:
                links += 1
                self.resolve(source, link)
        self.assertGreater(links, 50)

    def test_every_page_has_a_title(self):
        pages = [p for p in self.parsed if p.lower().endswith((".htm", ".html"))]
        self.assertGreater(len(pages), 5)
        for path in pages:
            self.assertTrue((self.parsed[path].title or "").strip(), f"{path} has no title")
        # The contents open at the first page, under that page's own title.
        first = self.resolve("contents.hhc", self.contents[0][2])
        self.assertEqual(self.contents[0][1], self.parsed[first].title.strip())


def posix_join(source, relative):
    """A path inside the archive, relative to the folder of source."""
    folder = os.path.dirname(source)
    return os.path.normpath(os.path.join(folder, relative)).replace(os.sep, "/").lstrip("/")


if __name__ == "__main__":
    unittest.main()
