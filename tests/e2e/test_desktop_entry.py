"""scripts/desktop-entry.sh in a private data folder, read by the desktop's own tools: the entry
is valid, a scheme file has Tintwright's type and opens in it, and remove leaves the data folder as
it was, whether or not another program's type and entry lie there."""

import hashlib
import os
import shutil
import tempfile
import unittest

from twdriver import SOURCE_DIR, run, skip_module

SCRIPT = os.path.join(SOURCE_DIR, "scripts", "desktop-entry.sh")
TOOLS = ("desktop-file-validate", "update-desktop-database", "update-mime-database", "gio")
OTHER_TYPE = """<?xml version="1.0" encoding="UTF-8"?>
<mime-info xmlns="http://www.freedesktop.org/standards/shared-mime-info">
  <mime-type type="text/x-notes"><comment>Notes</comment><glob pattern="*.notes"/></mime-type>
</mime-info>
"""
OTHER_ENTRY = "[Desktop Entry]\nType=Application\nName=Notes\nExec=notes %f\nMimeType=text/x-notes;\n"


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def snapshot(folder):
    """Every folder and file under folder, the files by their contents' hashes."""
    seen = {}
    for top, _, files in os.walk(folder):
        seen[os.path.relpath(top, folder) + "/"] = None
        for name in files:
            with open(os.path.join(top, name), "rb") as f:
                seen[os.path.relpath(os.path.join(top, name), folder)] = \
                    hashlib.sha256(f.read()).hexdigest()
    return seen


class DesktopEntryTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        missing = [tool for tool in TOOLS if not shutil.which(tool)]
        if missing:
            skip_module(f"{', '.join(missing)} not installed (scripts/setup.sh installs them)")

    def test_install_registers_a_valid_entry_and_type_and_remove_leaves_the_folder_as_it_was(self):
        for other in (False, True):
            with self.subTest(other_program=other), \
                    tempfile.TemporaryDirectory(prefix="tw-e2e-desktop-entry-") as home:
                data = os.path.join(home, "data")
                os.mkdir(data)
                env = dict(os.environ, HOME=home, XDG_DATA_HOME=data, LC_ALL="C",
                           XDG_CONFIG_HOME=os.path.join(home, "config"))
                if other:
                    write(os.path.join(data, "mime", "packages", "notes.xml"), OTHER_TYPE.encode())
                    write(os.path.join(data, "applications", "notes.desktop"), OTHER_ENTRY.encode())
                    run(["update-mime-database", os.path.join(data, "mime")], env=env)
                    run(["update-desktop-database", os.path.join(data, "applications")], env=env)
                before = snapshot(data)

                run([SCRIPT, "install"], env=env)
                entry = os.path.join(data, "applications", "tintwright.desktop")
                self.assertEqual(run(["desktop-file-validate", entry], env=env).stdout.decode(), "")
                scheme = os.path.join(home, "dark.colors")
                write(scheme, b"TWR" + bytes(range(1, 61)))
                info = run(["gio", "info", "-a", "standard::content-type", scheme], env=env)
                self.assertIn("content-type: application/x-tintwright-colors\n",
                              info.stdout.decode())
                default = run(["gio", "mime", "application/x-tintwright-colors"], env=env)
                self.assertTrue(default.stdout.decode().splitlines()[0]
                                .endswith(": tintwright.desktop"), default.stdout.decode())

                run([SCRIPT, "remove"], env=env)
                self.assertEqual(snapshot(data), before)


if __name__ == "__main__":
    unittest.main()
