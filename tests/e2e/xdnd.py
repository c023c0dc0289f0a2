"""Drops a file on an X window as a file manager does, through the XDND protocol (version 5):
the source owns the selection XdndSelection and offers the file as text/uri-list."""

import ctypes
import time
import urllib.parse

_x = ctypes.cdll.LoadLibrary("libX11.so.6")
_x.XOpenDisplay.restype = ctypes.c_void_p
_x.XOpenDisplay.argtypes = [ctypes.c_char_p]
_x.XInternAtom.restype = ctypes.c_ulong
_x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
_x.XDefaultRootWindow.restype = ctypes.c_ulong
_x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
_x.XCreateSimpleWindow.restype = ctypes.c_ulong
_x.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                   ctypes.c_uint, ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong,
                                   ctypes.c_ulong]
_x.XSetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong]
_x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                          ctypes.c_void_p]
_x.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong,
                               ctypes.c_int, ctypes.c_int, ctypes.c_char_p, ctypes.c_int]
_x.XFlush.argtypes = [ctypes.c_void_p]
_x.XPending.argtypes = [ctypes.c_void_p]
_x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
_x.XDestroyWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
_x.XCloseDisplay.argtypes = [ctypes.c_void_p]
_x.XTranslateCoordinates.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_int,
                                     ctypes.c_int, ctypes.POINTER(ctypes.c_int),
                                     ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_ulong)]

CLIENT_MESSAGE, SELECTION_REQUEST, SELECTION_NOTIFY = 33, 30, 31
CURRENT_TIME = 0


class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("l", ctypes.c_long * 5)]


class SelectionRequest(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("owner", ctypes.c_ulong),
                ("requestor", ctypes.c_ulong), ("selection", ctypes.c_ulong),
                ("target", ctypes.c_ulong), ("property", ctypes.c_ulong),
                ("time", ctypes.c_ulong)]


class SelectionNotify(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("requestor", ctypes.c_ulong),
                ("selection", ctypes.c_ulong), ("target", ctypes.c_ulong),
                ("property", ctypes.c_ulong), ("time", ctypes.c_ulong)]


class Event(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("client", ClientMessage),
                ("request", SelectionRequest), ("notify", SelectionNotify),
                ("pad", ctypes.c_long * 24)]


def drop_file(target, path, x, y, timeout=15.0):
    """Drops the Linux file path on the X window target at (x, y) of the screen; returns whether
    the target said it took the drop."""
    display = _x.XOpenDisplay(None)
    atom = lambda name: _x.XInternAtom(display, name.encode(), 0)
    root = _x.XDefaultRootWindow(display)
    source = _x.XCreateSimpleWindow(display, root, 0, 0, 1, 1, 0, 0, 0)
    uri_list = atom("text/uri-list")
    selection = atom("XdndSelection")
    _x.XSetSelectionOwner(display, selection, source, CURRENT_TIME)
    data = ("file://" + urllib.parse.quote(path) + "\r\n").encode()

    def send(name, *longs):
        event = Event()
        event.client.type = CLIENT_MESSAGE
        event.client.window = target
        event.client.message_type = atom(name)
        event.client.format = 32
        for i, value in enumerate(longs):
            event.client.l[i] = value
        _x.XSendEvent(display, target, 0, 0, ctypes.byref(event))
        _x.XFlush(display)

    def wait_for(name):
        wanted = atom(name)
        end = time.time() + timeout
        while time.time() < end:
            if not _x.XPending(display):
                time.sleep(0.01)
                continue
            event = Event()
            _x.XNextEvent(display, ctypes.byref(event))
            if event.type == SELECTION_REQUEST:
                request = event.request
                reply = Event()
                reply.notify.type = SELECTION_NOTIFY
                reply.notify.requestor = request.requestor
                reply.notify.selection = request.selection
                reply.notify.target = request.target
                reply.notify.time = request.time
                reply.notify.property = 0
                if request.target == uri_list:
                    _x.XChangeProperty(display, request.requestor, request.property, uri_list,
                                       8, 0, data, len(data))
                    reply.notify.property = request.property
                _x.XSendEvent(display, request.requestor, 0, 0, ctypes.byref(reply))
                _x.XFlush(display)
            elif event.type == CLIENT_MESSAGE and event.client.message_type == wanted:
                return event.client
        raise AssertionError(f"no {name} from the drop's target")

    try:
        send("XdndEnter", source, 5 << 24, uri_list, 0, 0)
        send("XdndPosition", source, 0, (x << 16) | y, CURRENT_TIME, atom("XdndActionCopy"))
        status = wait_for("XdndStatus")
        accepted = bool(status.l[1] & 1)
        if accepted:
            send("XdndDrop", source, 0, CURRENT_TIME)
            wait_for("XdndFinished")
        else:
            send("XdndLeave", source)
        return accepted
    finally:
        _x.XDestroyWindow(display, source)
        _x.XCloseDisplay(display)
