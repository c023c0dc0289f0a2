"""Drops a file on an X window as a file manager does, through the XDND protocol (version 5):
the source owns the selection XdndSelection and offers the file as text/uri-list."""

import ctypes
import time
import urllib.parse

from ctypes import c_int, c_long, c_ulong, c_void_p

_x = ctypes.cdll.LoadLibrary("libX11.so.6")
for name, result, args in (
        ("XOpenDisplay", c_void_p, [ctypes.c_char_p]),
        ("XInternAtom", c_ulong, [c_void_p, ctypes.c_char_p, c_int]),
        ("XDefaultRootWindow", c_ulong, [c_void_p]),
        ("XCreateSimpleWindow", c_ulong, [c_void_p, c_ulong] + [c_int] * 2 + [c_ulong] * 5),
        ("XSetSelectionOwner", c_int, [c_void_p, c_ulong, c_ulong, c_ulong]),
        ("XSendEvent", c_int, [c_void_p, c_ulong, c_int, c_long, c_void_p]),
        ("XChangeProperty", c_int, [c_void_p, c_ulong, c_ulong, c_ulong, c_int, c_int,
                                    ctypes.c_char_p, c_int]),
        ("XPending", c_int, [c_void_p]), ("XNextEvent", c_int, [c_void_p, c_void_p]),
        ("XFlush", c_int, [c_void_p]), ("XDestroyWindow", c_int, [c_void_p, c_ulong]),
        ("XCloseDisplay", c_int, [c_void_p])):
    getattr(_x, name).restype, getattr(_x, name).argtypes = result, args

CLIENT_MESSAGE, SELECTION_REQUEST, SELECTION_NOTIFY = 33, 30, 31
_HEAD = [("type", c_int), ("serial", c_ulong), ("send_event", c_int), ("display", c_void_p)]


class _Client(ctypes.Structure):
    _fields_ = _HEAD + [("window", c_ulong), ("message_type", c_ulong), ("format", c_int),
                        ("l", c_long * 5)]


class _Selection(ctypes.Structure):  # a SelectionRequest has its owner first, a notify not
    _fields_ = _HEAD + [("owner", c_ulong), ("requestor", c_ulong), ("selection", c_ulong),
                        ("target", c_ulong), ("property", c_ulong), ("time", c_ulong)]


class _Notify(ctypes.Structure):
    _fields_ = _HEAD + [("requestor", c_ulong), ("selection", c_ulong), ("target", c_ulong),
                        ("property", c_ulong), ("time", c_ulong)]


class _Event(ctypes.Union):
    _fields_ = [("type", c_int), ("client", _Client), ("request", _Selection),
                ("notify", _Notify), ("pad", c_long * 24)]


def drop_file(target, path, x, y, timeout=15.0):
    """Drops the Linux file path on the X window target at screen point (x, y); returns whether
    the target took the drop."""
    display = _x.XOpenDisplay(None)
    atom = lambda name: _x.XInternAtom(display, name.encode(), 0)
    source = _x.XCreateSimpleWindow(display, _x.XDefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0)
    uri_list, data = atom("text/uri-list"), f"file://{urllib.parse.quote(path)}\r\n".encode()
    _x.XSetSelectionOwner(display, atom("XdndSelection"), source, 0)

    def send(window, event):
        _x.XSendEvent(display, window, 0, 0, ctypes.byref(event))
        _x.XFlush(display)

    def message(name, *longs):
        event = _Event()
        event.client.type, event.client.window, event.client.format = CLIENT_MESSAGE, target, 32
        event.client.message_type = atom(name)
        event.client.l[:len(longs)] = longs
        send(target, event)

    def wait_for(name):
        """The target's message; meanwhile its requests for the file's address are answered."""
        end = time.time() + timeout
        while time.time() < end:
            if not _x.XPending(display):
                time.sleep(0.01)
                continue
            event = _Event()
            _x.XNextEvent(display, ctypes.byref(event))
            if event.type == SELECTION_REQUEST:
                r, reply = event.request, _Event()
                if r.target == uri_list:
                    _x.XChangeProperty(display, r.requestor, r.property, uri_list, 8, 0, data,
                                       len(data))
                n = reply.notify
                n.type, n.requestor, n.selection, n.target, n.time = (
                    SELECTION_NOTIFY, r.requestor, r.selection, r.target, r.time)
                n.property = r.property if r.target == uri_list else 0
                send(r.requestor, reply)
            elif event.type == CLIENT_MESSAGE and event.client.message_type == atom(name):
                return event.client
        raise AssertionError(f"no {name} from the drop's target")

    try:
        message("XdndEnter", source, 5 << 24, uri_list)
        message("XdndPosition", source, 0, (x << 16) | y, 0, atom("XdndActionCopy"))
        if not wait_for("XdndStatus").l[1] & 1:
            message("XdndLeave", source)
            return False
        message("XdndDrop", source, 0, 0)
        wait_for("XdndFinished")
        return True
    finally:
        _x.XDestroyWindow(display, source)
        _x.XCloseDisplay(display)
