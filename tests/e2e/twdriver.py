"""Drives the built Tintwright.exe under Wine on the test command's Xvfb, as a user would.

Input goes through the X server (xdotool): every key and every typed text through
WinePrefix.press and WinePrefix.type, which first make the target window the active one with
a click, as a user would, and wait until Wine and the X server both say it is. Window texts,
control positions, the foreground window and the Windows clipboard come from e2e_peek.exe,
which runs in the same Wine session and only reads; pixels from screenshots of the program's X
window (xwd). Every test class gets a private copy of the build's Wine prefix with its own
wineserver, which is killed at the end, so that no Wine process outlives the class.
"""

import json
import os
import shutil
import struct
import subprocess
import tempfile
import time
import unittest

BIN_DIR = os.environ.get("TW_BIN_DIR", "")
BUILD_DIR = os.environ.get("TW_BUILD_DIR", "")
SOURCE_DIR = os.environ.get("TW_SOURCE_DIR", "")
EXE = os.path.join(BIN_DIR, "Tintwright.exe")
PEEK = os.path.join(BIN_DIR, "e2e_peek.exe")

TITLE = " Tintwright 2.0"
CLIENT_SIZE = (416, 450)
PREVIEW_RECT = (29, 293, 387, 421)  # client pixels, right and bottom exclusive
TITLE_RECT = (31, 299, 382, 330)
LINE1_RECT = (37, 335, 373, 355)
DEFAULT_TAG = ('<BODY BGCOLOR="#FFEBD7" TEXT="#000000" LINK="#008200" '
               'VLINK="#551A8B" ALINK="#EE0000" >')
DEFAULT_BACKGROUND = (0xFF, 0xEB, 0xD7)

# Control and command ids of the main window.
IDC_BACKGROUND_COLOR, IDC_TEXT_COLOR, IDC_LINK_COLOR = 1000, 1001, 1002
IDC_RED_SLIDER, IDC_GREEN_SLIDER, IDC_BLUE_SLIDER = 1010, 1011, 1012
IDC_RED_VALUE, IDC_GREEN_VALUE, IDC_BLUE_VALUE = 1013, 1014, 1015
IDC_BODY_TAG = 1016
# The Contrast window's column of ratios, a row per line, rows apart by a blank line.
IDC_CONTRAST_RATIO = 1031

ARROW_HIT = 6  # pixels from a scroll bar's end: inside its arrow button
TROUGH_HIT = 30  # pixels from a scroll bar's end: in the trough, past the arrow

# Files that Wine may rewrite in place are copied; the large system files are hard links.
_LINKED_SUFFIXES = (".dll", ".exe", ".drv", ".sys", ".ttf", ".fon", ".acm", ".cpl", ".ocx",
                    ".tlb", ".nls", ".ax", ".ds", ".mui", ".ime", ".vxd", ".com", ".msstyles")


# Wine without address randomization where the system allows it (tools/norandom says why).
WINE = [os.path.join(SOURCE_DIR, "tools", "norandom"), "wine"]
SESSION_PROGRAM = r"C:\windows\system32\cmd.exe"


def poll(predicate, timeout=15.0, interval=0.05, what="a condition"):
    """Returns the first true value of predicate(), or fails after timeout seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)


# The test command provides everything these tests need, so there a missing piece fails the run.
SKIP_IS_FAILURE = os.environ.get("TW_E2E_SKIP_IS_FAILURE") == "1"


def skip_module(reason):
    """Skips the module, or fails it when TW_E2E_SKIP_IS_FAILURE=1 (ctest knows the skip's text)."""
    if SKIP_IS_FAILURE:
        raise AssertionError(f"{reason}, and TW_E2E_SKIP_IS_FAILURE=1 makes that a failure")
    raise unittest.SkipTest(f"e2e not run: {reason}")


def require_environment():
    if not os.environ.get("DISPLAY"):
        skip_module("no DISPLAY (scripts/test.sh starts Xvfb)")
    if not os.path.exists(EXE):
        raise AssertionError(f"{EXE} is not built")


def run(args, **kwargs):
    return subprocess.run(args, check=True, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          **kwargs)


class WinePrefix:
    """A private copy of one of the build's Wine prefixes with its own wineserver: the tests'
    ("tests", unmanaged windows) or the one scripts/run.sh uses ("desktop"), at 96 DPI or at
    the screen density dpi."""

    BASES = {"tests": "wineprefix", "desktop": "desktop-wineprefix"}

    def __init__(self, kind="tests", keep_server=True, dpi=96, primary_monitor=None):
        self.kind = kind
        self.dir = tempfile.mkdtemp(prefix="tw-e2e-")
        self.path = os.path.join(self.dir, "prefix")
        base = os.path.join(BUILD_DIR, self.BASES[kind] + ("" if dpi == 96 else f"-{dpi}dpi"))
        run([os.path.join(SOURCE_DIR, "tools", "wine-prefix"), kind, base, str(dpi)])
        self._clone(base, self.path)
        if primary_monitor is not None:
            # Monitors as Xinerama lists them (Xvfb's RandR has one output), the primary one
            # of them at Windows' (0, 0).
            with open(os.path.join(self.path, "user.reg"), "a") as f:
                f.write(f'\n[Software\\\\Wine\\\\X11 Driver] 0\n"UseXRandR"="N"\n'
                        f'"PrimaryMonitor"="{primary_monitor}"\n')
        self.log = os.path.join(self.dir, "wine.log")
        # Wine's errors only, kept for the diagnosis of a failed wait.
        self.env = dict(os.environ, WINEPREFIX=self.path, WINEDEBUG="-all,err+all",
                        # No menu entries or file associations outside the prefix.
                        WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
        self._watch()
        self.session = None
        if not keep_server:
            return
        # The server outlives the call: it must not inherit a pipe that run() would wait on.
        subprocess.run(["wineserver", "-p"], env=self.env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # Start Wine's services now, so that the first program's start is not a test's wait.
        self.wine("cmd", "/c", "exit").wait(120)
        # A program that lives as long as the prefix, as a user's session does: without one,
        # Wine's desktop process ends after each program and starts again with the next.
        # Named in full: a bare "cmd" runs through start.exe, a second process that shows up late.
        self.session = subprocess.Popen([*WINE, SESSION_PROGRAM], env=self.env,
                                        stdin=subprocess.PIPE,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def _watch(self):
        """Ends the prefix's processes and removes it should this test process be killed (a
        ctest timeout) before close(): a detached watcher, gone once the folder is."""
        script = (f'while kill -0 {os.getpid()} 2>/dev/null && [ -d "{self.dir}" ]; do sleep 0.5; '
                  f'done; if [ -d "{self.dir}" ]; then WINEPREFIX="{self.path}" wineserver -k; '
                  f'rm -rf "{self.dir}"; fi')
        # The inner shell is left to init, in a session of its own: out of reach of whatever
        # kills this process's tree or its process group.
        subprocess.run(["sh", "-c", f"({script}) >/dev/null 2>&1 &"], check=True,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, start_new_session=True)

    @staticmethod
    def _clone(base, target):
        for root, dirs, files in os.walk(base):
            rel = os.path.relpath(root, base)
            os.makedirs(os.path.join(target, rel), exist_ok=True)
            for name in dirs + files:
                src, dst = os.path.join(root, name), os.path.join(target, rel, name)
                if os.path.islink(src):
                    os.symlink(os.readlink(src), dst)
                    if name in dirs:
                        dirs.remove(name)
                elif name in files:
                    if name.lower().endswith(_LINKED_SUFFIXES):
                        os.link(src, dst)
                    else:
                        shutil.copy2(src, dst)

    def windows_path(self, path):
        """The Windows form of a Unix path, through drive Z:."""
        return "Z:" + os.path.abspath(path).replace("/", "\\")

    def wine(self, *args, cwd=None):
        """Starts a Windows program; what it and Wine say goes to the prefix's log."""
        with open(self.log, "ab") as log:
            return subprocess.Popen([*WINE, *args], env=self.env, cwd=cwd or self.dir,
                                    stdin=subprocess.DEVNULL, stdout=log, stderr=log)

    def diagnosis(self):
        """What a failed wait leaves to read: the windows shown, the prefix's Wine processes
        and the end of its log."""
        try:
            shown = ", ".join(f'"{w.title}"' for w in self.peek()) or "none"
        except AssertionError as e:
            shown = f"unknown ({e})"
        processes = []
        for pid in self.processes():
            try:
                with open(f"/proc/{pid}/cmdline", "rb") as f:
                    processes.append(f.read().replace(b"\0", b" ").decode(errors="replace"))
            except OSError:
                pass
        try:
            with open(self.log, "rb") as f:
                log = f.read()[-2000:].decode(errors="replace")
        except OSError:
            log = ""
        return (f"windows shown: {shown}; Wine processes: {processes}; "
                f"the end of the log: {log or 'empty'}")

    def _peek(self, *args):
        done = subprocess.run([*WINE, PEEK, *args], env=self.env, cwd=self.dir,
                              stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, timeout=30)
        if done.returncode != 0:
            raise AssertionError(f"e2e_peek.exe {' '.join(args)} ended with {done.returncode}: "
                                 f"{done.stderr.decode('latin-1')}")
        return json.loads(done.stdout.decode("latin-1"))

    def snapshot(self):
        """Every visible top-level window with its controls, and the foreground window's
        handle, as e2e_peek.exe reports them."""
        data = self._peek()
        return [Window(self, w, data["metrics"]) for w in data["windows"]], data["foreground"]

    def peek(self):
        """Every visible top-level window with its controls."""
        return self.snapshot()[0]

    def clipboard_sequence(self):
        """The Windows clipboard's sequence number; reading it leaves the clipboard alone."""
        return self._peek("--clipboard-sequence")

    def set_clipboard_text(self, text):
        """Puts text on the Windows clipboard, as a user copies it elsewhere."""
        self._peek("--set-clipboard-text", text.encode().hex())

    def clipboard_text(self):
        """The Windows clipboard's text, or None. Reading it opens the clipboard for a moment,
        and a program that tries to copy in that moment fails: read it only after the
        sequence number has changed."""
        return self._peek("--clipboard-text")

    # Keyboard: the only way keys reach a window

    def activate(self, title):
        """Clicks the window with this title where the click reaches the window itself, then
        waits until it is Wine's foreground window and the X keyboard focus is where Wine
        receives keys: Wine hands every key it receives to its foreground window. (Wine asks
        for the X focus with the time of the message it is handling, and the X server ignores
        the request when that time is older than its last change of focus, as after a closed
        dialog; the focus then stays on another window of the program.)"""
        window = self.wait_window(title)
        if window.neutral[0] < 0:
            raise AssertionError(f'no free point to click in "{title}"')
        window.click(*window.neutral)
        seen = {}

        def is_active():
            windows, seen["foreground"] = self.snapshot()
            seen["x focus"] = focus = x_focus()
            ours = {w.xwindow for w in windows}
            if seen["foreground"] != window.hwnd:
                return False
            if focus in ours:
                return True
            # Focus on the root: keys go to the window under the pointer, left on the target.
            return focus in (x_root(), POINTER_ROOT) and pointer_window() in ours
        try:
            poll(is_active, what=f'"{title}" to be the active window')
        except AssertionError as e:
            raise AssertionError(f"{e}; last seen {seen}, the window is {window.hwnd} on X "
                                 f"window {window.xwindow}; {self.diagnosis()}") from None
        return window

    def press(self, title, *names):
        """Key presses (xdotool names, such as "ctrl+t") to the window with this title."""
        self.activate(title)
        run(["xdotool", "key", "--delay", "30", *names])

    def type(self, title, text):
        """Types text into the window with this title, where its focus is."""
        self.activate(title)
        run(["xdotool", "type", "--delay", "15", text])

    def find_window(self, title):
        for window in self.peek():
            if window.title == title:
                return window
        return None

    def wait_window(self, title, timeout=15.0):
        try:
            return poll(lambda: self.find_window(title), timeout, 0.1, f'the window "{title}"')
        except AssertionError as e:
            shown = ", ".join(f'"{w.title}"' for w in self.peek())
            raise AssertionError(f"{e}; the windows shown are {shown or 'none'}") from None

    def processes(self):
        """Pids of every process that runs in this prefix (wineserver included)."""
        marker = b"\0WINEPREFIX=" + self.path.encode() + b"\0"
        found = []
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open(f"/proc/{entry}/environ", "rb") as f:
                    env = b"\0" + f.read()
            except OSError:
                continue
            if marker in env:
                found.append(int(entry))
        return found

    def close(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)
        if self.session:
            self.session.stdin.close()
            self.session.wait(20)
        poll(lambda: not self.processes(), 20, 0.1, "every Wine process of the prefix to end")
        shutil.rmtree(self.dir, ignore_errors=True)


class Window:
    """One top-level window as e2e_peek.exe saw it: geometry in X screen pixels, and controls."""

    def __init__(self, prefix, data, metrics):
        self.prefix = prefix
        self.hwnd = data["hwnd"]
        self.pid = data["pid"]
        self.xwindow = data["xwindow"]
        self.neutral = tuple(data["neutral"])
        self.title = data["title"]
        self.cls = data["class"]
        # Windows counts from the primary monitor's top left, X from the virtual screen's.
        dx, dy = -metrics["xvirtualscreen"], -metrics["yvirtualscreen"]
        self.client_origin = (data["client"][0] + dx, data["client"][1] + dy)
        self.client_size = tuple(data["client"][2:])
        left, top, right, bottom = data["frame"]
        self.frame = (left + dx, top + dy, right + dx, bottom + dy)
        self.children = data["children"]
        self.focus = data["focus"]  # the id of the control with the keyboard focus, 0 for none
        self.metrics = metrics

    def control(self, id=None, text=None, cls=None):
        for child in self.children:
            if id is not None and child["id"] != id:
                continue
            if text is not None and child["text"].replace("&", "") != text:
                continue
            if cls is not None and child["class"].lower() != cls.lower():
                continue
            return child
        raise AssertionError(f"no control id={id} text={text!r} in {self.title!r}")

    def text(self, id):
        return self.control(id=id)["text"]

    def screen(self, x, y):
        return self.client_origin[0] + x, self.client_origin[1] + y

    def click(self, x, y):
        """A left click at client pixel (x, y)."""
        click_screen(*self.screen(x, y))

    def click_control(self, id=None, text=None, cls=None, dx=None):
        """Clicks a control in its centre, or dx pixels from its left edge (from the right
        edge when dx is negative)."""
        left, top, right, bottom = self.control(id, text, cls)["rect"]
        x = (left + right) // 2 if dx is None else (left + dx if dx >= 0 else right + dx)
        self.click(x, (top + bottom) // 2)

    def close_box(self):
        """Screen point in the middle of the close box of the caption."""
        left, top, right, _ = self.frame
        frame = self.metrics["cxdlgframe"]
        return (right - frame - self.metrics["cxsize"] // 2 - 1,
                top + self.metrics["cydlgframe"] + self.metrics["cycaption"] // 2)


def click_screen(x, y):
    """A left click at screen pixel (x, y). xdotool's --sync waits for a pointer motion, which
    never comes when the pointer is there already."""
    here = subprocess.run(["xdotool", "getmouselocation", "--shell"], stdout=subprocess.PIPE,
                          check=True).stdout.decode()
    if f"X={x}\nY={y}\n" in here:
        run(["xdotool", "click", "1"])
    else:
        run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", "1"])


POINTER_ROOT = 1  # the X focus value that sends keys to the window under the pointer


def x_focus():
    """The X window that has the keyboard focus."""
    out = subprocess.run(["xdotool", "getwindowfocus", "-f"], stdout=subprocess.PIPE,
                         stderr=subprocess.DEVNULL).stdout.split()
    return int(out[0]) if out else None


def x_root():
    out = run(["xwininfo", "-root"]).stdout.decode()
    return int(out.split("Window id: ", 1)[1].split()[0], 16)


def pointer_window():
    """The top-level X window under the pointer."""
    out = run(["xdotool", "getmouselocation", "--shell"]).stdout.decode()
    return int(out.split("WINDOW=", 1)[1].split()[0])


def xwindow(title):
    """The X window id of the top-level window with this exact title, or None."""
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout.split()
    return int(out[0]) if out else None


def slider_labels(window):
    """The three number labels beside the sliders, red, green, blue."""
    return tuple(window.text(i) for i in (IDC_RED_VALUE, IDC_GREEN_VALUE, IDC_BLUE_VALUE))


class Image:
    """An RGB picture: a screenshot of one X window in window pixels, or an image file."""

    def __init__(self, xid=None, path=None):
        if path:
            ppm = run(["convert", path, "-depth", "8", "ppm:-"]).stdout
        else:
            xwd = run(["xwd", "-silent", "-id", str(xid)]).stdout
            ppm = run(["convert", "xwd:-", "-depth", "8", "ppm:-"], input=xwd).stdout
        fields, pos = [], 0
        while len(fields) < 4:  # magic, width, height, maximum value; comments skipped
            while ppm[pos:pos + 1].isspace():
                pos += 1
            if ppm[pos:pos + 1] == b"#":
                pos = ppm.index(b"\n", pos)
                continue
            end = pos
            while not ppm[end:end + 1].isspace():
                end += 1
            fields.append(ppm[pos:end])
            pos = end
        self.width, self.height = int(fields[1]), int(fields[2])
        self.pixels = ppm[pos + 1:]

    def count(self, colour, rect=None):
        left, top, right, bottom = rect or (0, 0, self.width, self.height)
        return sum(1 for y in range(top, bottom) for x in range(left, right)
                   if self.pixel(x, y) == colour)

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.pixels[i:i + 3])

    def save_png(self, path):
        header = f"P6 {self.width} {self.height} 255\n".encode()
        run(["convert", "ppm:-", path], input=header + self.pixels)


class App:
    """The running program: its main window, keyboard, mouse, clipboard and screenshots."""

    def __init__(self, prefix, exe=EXE, *args):
        self.prefix = prefix
        self.proc = prefix.wine(exe, *args)
        try:
            self.xid = poll(lambda: xwindow(TITLE), 60, 0.05, "the main window")
        except AssertionError as e:
            state = "running" if self.alive() else f"ended with {self.proc.returncode}"
            raise AssertionError(f"{e}; the program is {state}; {prefix.diagnosis()}") from None
        self.window = prefix.wait_window(TITLE)

    def refresh(self):
        """Reads the main window's controls again."""
        self.window = self.prefix.wait_window(TITLE)
        return self.window

    def press(self, *names):
        """Key presses to the main window."""
        self.prefix.press(TITLE, *names)

    def alive(self):
        return self.proc.poll() is None

    def wait_exit(self, timeout=10.0):
        self.proc.wait(timeout)
        poll(lambda: xwindow(TITLE) is None, timeout, 0.05, "the main window to go")

    def kill(self):
        if self.alive():
            self.proc.kill()
        self.proc.wait()
        # Its window goes a moment later; the next program's must not be taken for it.
        poll(lambda: xwindow(TITLE) is None, 10, 0.05, "the main window to go")

    # Clipboard

    def copy_tag(self, keys="ctrl+t", title=TITLE):
        """Ctrl+T (or keys, pressed in the window with this title), and the text that the
        program puts on the Windows clipboard. The X clipboard is left out: Wine's bridge to it
        runs on its own and can lose a copy to a concurrent import."""
        before = self.prefix.clipboard_sequence()
        self.prefix.press(title, keys)
        poll(lambda: self.prefix.clipboard_sequence() != before, 10, 0.05,
             "the program to copy to the clipboard")
        return poll(self.prefix.clipboard_text, 10, 0.05, "the text on the clipboard")

    def copy_css(self, title=TITLE):
        """Edit > Copy as CSS by its keys, and the style sheet on the clipboard."""
        return self.copy_tag("ctrl+shift+t", title)

    # The colour dialog

    def pick_colour(self, rgb, accept=True):
        """Ctrl+P, the real colour dialog opened to its full form, the components typed into
        its Red, Green and Blue fields, then OK or Cancel."""
        self.press("ctrl+p")
        picker = self.prefix.wait_window("Color")
        picker.click_control(text="Define Custom Colors >>")
        picker = self.prefix.wait_window("Color")
        for label, value in zip(("Red:", "Green:", "Blue:"), rgb):
            # The field is the edit box to the right of its label, on the same line.
            lx, ly = picker.control(text=label)["rect"][:2]
            field = min((c for c in picker.children
                         if c["class"].lower() == "edit" and c["rect"][0] > lx),
                        key=lambda c: (abs(c["rect"][1] - ly), c["rect"][0]))
            left, top, right, bottom = field["rect"]
            picker.click((left + right) // 2, (top + bottom) // 2)
            self.prefix.press("Color", "End", "shift+Home")
            self.prefix.type("Color", str(value))
        picker.click_control(text="OK" if accept else "Cancel", cls="button")
        poll(lambda: xwindow("Color") is None, what="the colour dialog to close")

    # Pixels

    def shot(self):
        return Image(self.xid)

    def client_pixel(self, image, x, y):
        return image.pixel(self.window.client_origin[0] - self.window.frame[0] + x,
                           self.window.client_origin[1] - self.window.frame[1] + y)

    def preview_fill(self, image):
        """The colour in the page background's corners, where no text is drawn."""
        left, top, right, bottom = PREVIEW_RECT
        corners = {self.client_pixel(image, x, y)
                   for x, y in ((left, top), (right - 1, top), (left, bottom - 1),
                                (right - 1, bottom - 1))}
        return corners.pop() if len(corners) == 1 else corners

    def wait_preview_fill(self, colour):
        seen = []
        try:
            poll(lambda: seen.append(self.preview_fill(self.shot())) or seen[-1] == colour,
                 10, 0.1, f"the preview to be filled with {colour}")
        except AssertionError as e:
            self.save_failure_shot()
            raise AssertionError(f"{e}; the last screenshot shows {seen[-1]}") from None

    def save_failure_shot(self):
        """Keeps a screenshot of the window for a failed check, under TW_E2E_SHOTS if set."""
        folder = os.environ.get("TW_E2E_SHOTS")
        if folder:
            os.makedirs(folder, exist_ok=True)
            self.shot().save_png(os.path.join(folder, f"failure-{time.time():.0f}.png"))

    def count_colour(self, image, rect, colour):
        left, top, right, bottom = rect
        return sum(1 for y in range(top, bottom) for x in range(left, right)
                   if self.client_pixel(image, x, y) == colour)


class MonitorsDisplay:
    """An Xvfb display of its own, width by height, its screen split into monitors, each
    (width, height, x, y) in X pixels: RandR monitors, which the server's Xinerama lists."""

    def __init__(self, width, height, monitors):
        read, write = os.pipe()
        self.server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-noreset", "-screen", "0",
             f"{width}x{height}x24", "-nolisten", "tcp"], pass_fds=(write,),
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as f:
            number = f.readline().strip()
        if not number:
            raise AssertionError("Xvfb did not start")
        self.name = f":{number}"
        try:
            # The first monitor takes the screen's one output, which would be a monitor of its
            # own; sizes in millimetres at about 100 DPI.
            for i, (w, h, x, y) in enumerate(monitors):
                run(["xrandr", "--setmonitor", f"TW-{i}", f"{w}/{w // 4}x{h}/{h // 4}+{x}+{y}",
                     "screen" if i == 0 else "none"], env=dict(os.environ, DISPLAY=self.name))
        except BaseException:
            self.close()
            raise

    def close(self):
        self.server.terminate()  # which removes its socket
        self.server.wait(20)


class PrefixTestCase(unittest.TestCase):
    """One Wine prefix for the class, at its density; one program per test, ended after it.
    With primary_monitor set, on the display's monitors with that one the primary."""
    dpi = 96
    primary_monitor = None

    @classmethod
    def setUpClass(cls):
        require_environment()
        cls.prefix = WinePrefix(dpi=cls.dpi, primary_monitor=cls.primary_monitor)
        cls.tmp = tempfile.mkdtemp(prefix="tw-e2e-files-")

    @classmethod
    def tearDownClass(cls):
        cls.prefix.close()
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def start(self, *args):
        """The program, started with args on its command line."""
        app = App(self.prefix, EXE, *args)
        self.addCleanup(app.kill)
        return app


def write_bmp(path, width, height, colour_at):
    """Writes a 24-bit BMP whose pixel (x, y), counted from the top left, is colour_at(x, y)."""
    row = (3 * width + 3) // 4 * 4
    rows = []
    for y in reversed(range(height)):  # bottom-up
        line = bytearray()
        for x in range(width):
            r, g, b = colour_at(x, y)
            line += bytes((b, g, r))
        rows.append(bytes(line.ljust(row, b"\0")))
    pixels = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def choose_file(prefix, title, path):
    """Types a full Windows path into the file name field of the real file dialog and
    presses Enter. A path that the keyboard cannot type (outside ASCII: typed keys of other
    scripts do not reach Wine) is pasted there instead."""
    prefix.press(title, "End", "shift+Home")
    windows_path = prefix.windows_path(path)
    if windows_path.isascii():
        prefix.type(title, windows_path)
    else:
        prefix.set_clipboard_text(windows_path)
        prefix.press(title, "ctrl+v")
    prefix.press(title, "Return")
    poll(lambda: xwindow(title) is None, what=f'the "{title}" dialog to close')


def list_folder(prefix, title, folder, shown):
    """Goes into folder in the real file dialog and returns the names its list shows, once
    shown is among them: the files that the dialog's first filter lets in."""
    prefix.press(title, "End", "shift+Home")
    prefix.type(title, prefix.windows_path(folder) + "\\")
    prefix.press(title, "Return")
    def listed():
        items = [c.get("items") for c in prefix.wait_window(title).children
                 if c["class"] == "SysListView32"]
        return items and shown in items[0] and items[0]
    return poll(listed, what=f"the files of {folder} to be listed")


def stand_in_browser(prefix, tmp):
    """Makes winebrowser, which starts the browsers of Wine's setting, start a stand-in that
    writes down the addresses it is given; returns the file it writes them to."""
    browsed = os.path.join(tmp, "browsed")
    if os.path.exists(browsed):
        os.remove(browsed)
    browser = os.path.join(tmp, "browser.sh")
    with open(browser, "w") as f:
        f.write(f'#!/bin/sh\nprintf "%s\\n" "$@" >> "{browsed}"\n')
    os.chmod(browser, 0o755)
    run([*WINE, "reg", "add", r"HKCU\Software\Wine\WineBrowser", "/v", "Browsers", "/d",
         browser, "/f"], env=prefix.env)
    return browsed


def browsed_addresses(browsed):
    """Waits for the stand-in browser to be started and returns the addresses it was given."""
    def read_browsed():
        if os.path.exists(browsed):
            with open(browsed) as f:
                return f.read().split()
        return None
    return poll(read_browsed, what="the browser to be started")


def refuse_long_path(prefix, title, typed, shown, app_name="Tintwright"):
    """Types a path into the real file dialog that the program refuses as too long, naming
    shown (the path as the dialog would take it); the message is dismissed, the dialog stays."""
    prefix.press(title, "End", "shift+Home")
    prefix.type(title, typed)
    prefix.press(title, "Return")
    box = prefix.wait_window(app_name)
    message = ("This path is longer than 259 characters, more than the file dialog can take:\n"
               f"{shown}\n\nPlease choose a file whose path is shorter.")
    if message not in [c["text"] for c in box.children]:
        raise AssertionError(f"{message!r} not among {[c['text'] for c in box.children]}")
    prefix.press(app_name, "Return")
    poll(lambda: xwindow(app_name) is None, what="the message box to close")
    prefix.wait_window(title)


def long_folder(tmp, prefix, length):
    """A new folder under tmp whose Windows path has exactly length characters."""
    folder = tmp
    while len(prefix.windows_path(folder)) < length - 30:
        folder = os.path.join(folder, "a folder with a long name")
    folder += "x" * (length - len(prefix.windows_path(folder)))
    os.makedirs(folder)
    return folder


def wait_file(path, content, timeout=10.0):
    def matches():
        try:
            with open(path, "rb") as f:
                return f.read() == content
        except OSError:
            return False
    try:
        poll(matches, timeout, 0.05, f"{path} to be written")
    except AssertionError:
        found = open(path, "rb").read() if os.path.exists(path) else None
        raise AssertionError(f"{path}: expected {content!r}, found {found!r}") from None
