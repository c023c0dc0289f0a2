"""The program as scripts/run.sh starts it, on a desktop with a real window manager (openbox):
the desktop manages, frames, lists and activates its window like any other, its About box
comes up over it, and when it ends no Wine process of its prefix is left."""

import os
import shutil
import subprocess
import tempfile
import unittest

from twdriver import (BUILD_DIR, CLIENT_SIZE, EXE, TITLE, WinePrefix, poll, require_environment,
                      run, xwindow)

ABOUT_TITLE = "About TWR 2.0"
LAUNCHER = os.path.join(BUILD_DIR, "wine-desktop")


def xprop(*args):
    return run(["xprop", *args]).stdout.decode()


def root_windows(atom):
    """The window ids in a window-list property of the root window."""
    out = xprop("-root", atom)
    if "#" not in out:
        return []
    return [int(w, 16) for w in out.split("#", 1)[1].replace(",", " ").split()]


def window_info(xid):
    return run(["xwininfo", "-id", str(xid), "-tree"]).stdout.decode()


class DesktopTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        require_environment()
        if not shutil.which("openbox"):
            raise AssertionError("openbox is not installed (scripts/setup.sh installs it)")
        # The window manager keeps its settings and cache out of the user's home.
        cls.home = tempfile.mkdtemp(prefix="tw-e2e-openbox-")
        env = dict(os.environ, XDG_CONFIG_HOME=cls.home, XDG_CACHE_HOME=cls.home)
        cls.wm_log = open(os.path.join(cls.home, "openbox.log"), "w+b")
        cls.wm = subprocess.Popen(["openbox", "--sm-disable"], env=env, stdin=subprocess.DEVNULL,
                                  stdout=cls.wm_log, stderr=cls.wm_log)
        cls.addClassCleanup(cls.stop_window_manager)

        def managing():
            if cls.wm.poll() is not None:
                cls.wm_log.seek(0)
                raise AssertionError(f"openbox ended with {cls.wm.returncode}: "
                                     f"{cls.wm_log.read().decode(errors='replace')}")
            return "window id" in xprop("-root", "_NET_SUPPORTING_WM_CHECK")
        poll(managing, what="openbox to manage the display")
        # The desktop prefix without a server kept alive: Wine ends as it does for the user.
        cls.prefix = WinePrefix("desktop", keep_server=False)
        cls.addClassCleanup(cls.prefix.close)

    @classmethod
    def stop_window_manager(cls):
        cls.wm.terminate()
        cls.wm.wait(10)
        cls.wm_log.close()
        shutil.rmtree(cls.home, ignore_errors=True)

    def test_the_desktop_manages_the_window_and_wine_ends_with_the_program(self):
        env = dict(self.prefix.env, TW_WINEPREFIX=self.prefix.path)
        program = subprocess.Popen([LAUNCHER, EXE], env=env, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(program.kill)
        xid = poll(lambda: xwindow(TITLE), 60, 0.05, "the main window")
        main = self.prefix.wait_window(TITLE)
        self.assertEqual(main.client_size, CLIENT_SIZE)

        # Managed: a normal top-level window in a frame of the manager's, with its title bar,
        # listed for the taskbar and Alt+Tab, and active at start.
        self.assertIn("Normal", xprop("-id", str(xid), "WM_STATE"))
        info = window_info(xid)
        self.assertIn("Override Redirect State: no", run(["xwininfo", "-id", str(xid)])
                      .stdout.decode())
        root = int(info.split("Root window id: ", 1)[1].split()[0], 16)
        parent = int(info.split("Parent window id: ", 1)[1].split()[0], 16)
        self.assertNotEqual(parent, root, "the window manager has not framed the window")
        extents = xprop("-id", str(xid), "_NET_FRAME_EXTENTS").split("=", 1)[1]
        left, right, top, bottom = (int(v) for v in extents.split(","))
        self.assertGreater(top, bottom, "no title bar in the frame")
        self.assertIn(xid, root_windows("_NET_CLIENT_LIST"))
        self.assertNotIn("SKIP_TASKBAR", xprop("-id", str(xid), "_NET_WM_STATE"))
        poll(lambda: root_windows("_NET_ACTIVE_WINDOW") == [xid],
             what="the main window to be the active one")

        # The About box comes up over the main window, tied to it; Escape closes it alone.
        self.prefix.press(TITLE, "alt+h", "a")
        about = self.prefix.wait_window(ABOUT_TITLE)
        about_xid = about.xwindow
        self.assertIn(f"window id # 0x{xid:x}", xprop("-id", str(about_xid), "WM_TRANSIENT_FOR"))
        stacking = root_windows("_NET_CLIENT_LIST_STACKING")
        self.assertGreater(stacking.index(about_xid), stacking.index(xid))
        self.prefix.press(ABOUT_TITLE, "Escape")
        poll(lambda: xwindow(ABOUT_TITLE) is None, what="the About box to close")
        self.assertIsNotNone(xwindow(TITLE))
        self.assertIsNone(program.poll())

        # Escape in the main window ends the program, and Wine ends with it.
        self.prefix.press(TITLE, "Escape")
        self.assertEqual(program.wait(30), 0)
        poll(lambda: not self.prefix.processes(), 30, 0.2,
             "every Wine process of the prefix to end")


if __name__ == "__main__":
    unittest.main()
