"""scripts/desktop-entry.sh in a private data folder, read by the desktop's own tools."""

import hashlib
import os
import pathlib
import shutil
import tempfile
import unittest

from twdriver import SOURCE_DIR, run, skip_module

SCRIPT = os.path.join(SOURCE_DIR, "scripts", "desktop-entry.sh")
TOOLS = ("desktop-file-validate", "update-desktop-database", "update-mime-database", "gio")


def snapshot(folder):
    """Every folder and file under folder, the files by their contents' hashes."""
    return {str(p.relative_to(folder)): p.is_file() and hashlib.sha256(p.read_bytes()).hexdigest()
            for p in pathlib.Path(folder).rglob("*")}


class DesktopEntryTest(unittest.TestCase):
    def test_install_registers_a_valid_entry_and_type_and_remove_leaves_the_folder_as_it_was(self):
        if [tool for tool in TOOLS if not shutil.which(tool)]:
            skip_module(f"one of {TOOLS} is not installed (scripts/setup.sh installs them)")
        # An empty data folder, and one where another program's type and entry lie.
        for other in (False, True):
            with self.subTest(other_program=other), tempfile.TemporaryDirectory() as home:
                data = pathlib.Path(home, "data")
                env = dict(os.environ, HOME=home, XDG_DATA_HOME=str(data), LC_ALL="C",
                           XDG_CONFIG_HOME=os.path.join(home, "config"))
                data.mkdir()
                if other:
                    (data / "mime" / "packages").mkdir(parents=True)
                    (data / "mime" / "packages" / "notes.xml").write_text(
                        '<mime-info xmlns="http://www.freedesktop.org/standards/shared-mime-info">'
                        '<mime-type type="text/x-notes"><glob pattern="*.notes"/></mime-type>'
                        "</mime-info>\n")
                    (data / "applications").mkdir()
                    (data / "applications" / "notes.desktop").write_text(
                        "[Desktop Entry]\nType=Application\nName=Notes\nExec=notes %f\n"
                        "MimeType=text/x-notes;\n")
                    run(["update-mime-database", str(data / "mime")], env=env)
                    run(["update-desktop-database", str(data / "applications")], env=env)
                before = snapshot(data)

                run([SCRIPT, "install"], env=env)
                entry = data / "applications" / "tintwright.desktop"
                self.assertEqual(run(["desktop-file-validate", entry], env=env).stdout, b"")
                scheme = pathlib.Path(home, "dark.colors")
                scheme.write_bytes(b"TWR" + bytes(range(1, 61)))
                info = run(["gio", "info", "-a", "standard::content-type", scheme], env=env)
                self.assertIn(b"content-type: application/x-tintwright-colors\n", info.stdout)
                default = run(["gio", "mime", "application/x-tintwright-colors"], env=env).stdout
                self.assertTrue(default.splitlines()[0].endswith(b": tintwright.desktop"), default)

                run([SCRIPT, "remove"], env=env)
                self.assertEqual(snapshot(data), before)


if __name__ == "__main__":
    unittest.main()
