"""Small helpers for driving a real window under Xvfb: xdotool for the pointer and keys, and
the X library (through ctypes) for what xdotool cannot do, closing a window the way a window
manager does."""

import contextlib
import ctypes
import ctypes.util
import os
import re
import select
import subprocess
import time


@contextlib.contextmanager
def private_display(screen="1024x768x24", timeout=60):
    """Runs a private Xvfb for the duration of the block, with DISPLAY pointing at it. Xvfb
    picks a free display number itself (-displayfd), so parallel tests never race for one."""
    read_fd, write_fd = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", screen, "-nolisten", "tcp"],
        pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_fd)
    try:
        ready, _, _ = select.select([read_fd], [], [], timeout)
        number = os.read(read_fd, 64).decode().strip() if ready else ""
        if not number:
            raise RuntimeError("Xvfb did not start")
        previous = os.environ.get("DISPLAY")
        os.environ["DISPLAY"] = ":" + number
        try:
            yield os.environ["DISPLAY"]
        finally:
            if previous is None:
                os.environ.pop("DISPLAY", None)
            else:
                os.environ["DISPLAY"] = previous
    finally:
        os.close(read_fd)
        server.terminate()
        try:
            server.wait(timeout=10)
        except subprocess.TimeoutExpired:
            server.kill()
            server.wait()


def xdotool(*args, timeout=10):
    result = subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True,
                            timeout=timeout, check=False)
    if result.returncode != 0:
        raise RuntimeError(f"xdotool {' '.join(map(str, args))} failed: {result.stderr.strip()}")
    return result.stdout.strip()


def find_window(title, timeout=60):
    """The id of the visible window whose title is exactly `title`."""
    out = xdotool("search", "--sync", "--onlyvisible", "--name", f"^{title}$", timeout=timeout)
    return int(out.split()[0])


def wait_for_title(window, expected, timeout=30.0):
    """Waits until the window's title reads `expected`; returns the last title seen."""
    deadline = time.monotonic() + timeout
    title = None
    while time.monotonic() < deadline:
        title = xdotool("getwindowname", window)
        if title == expected:
            return title
        time.sleep(0.05)
    return title


def menu_entry_mismatch(window, entry):
    """Why a dock would not show the window as its menu entry (packaging/ENTRY): a WM_CLASS
    other than the entry's StartupWMClass, or no icon. None when nothing is amiss."""
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../packaging",
                           entry)) as f:
        wanted = re.search(r"^StartupWMClass=(.*)$", f.read(), re.M).group(1)
    found = [subprocess.run(["xprop", "-id", str(window), *args], capture_output=True,
                            text=True, timeout=20).stdout
             for args in (["WM_CLASS"], ["-len", "8", "_NET_WM_ICON"])]
    if not found[0].endswith(f', "{wanted}"\n') or "_NET_WM_ICON(CARDINAL)" not in found[1]:
        return f"{found[0]}{found[1][:40]}: expected the class {wanted!r} and an icon"
    return None


def window_geometry(window):
    """(x, y, width, height) of the window on the screen."""
    fields = dict(line.split("=", 1) for line in
                  xdotool("getwindowgeometry", "--shell", window).splitlines() if "=" in line)
    return int(fields["X"]), int(fields["Y"]), int(fields["WIDTH"]), int(fields["HEIGHT"])


class Shot:
    """The pixels of one capture, as 8-bit red, green, blue, row by row."""

    def __init__(self, width, height, raw):
        self.width, self.height, self.raw = width, height, raw

    def pixel(self, x, y):
        at = 3 * (y * self.width + x)
        return tuple(self.raw[at:at + 3])

    def region(self, x, y, width, height):
        """The bytes of a rectangle, row by row, in the same layout as the capture."""
        return b"".join(self.raw[3 * (row * self.width + x):3 * (row * self.width + x + width)]
                        for row in range(y, y + height))

    def save_png(self, path, timeout=20):
        subprocess.run(["convert", "-size", f"{self.width}x{self.height}", "-depth", "8",
                        "rgb:-", path], input=self.raw, timeout=timeout, check=True)


def screenshot(window, timeout=20):
    """The window's pixels, cut from the root window so that a window that has gone cannot
    hang the capture (importing a vanished window waits for ever)."""
    x, y, width, height = window_geometry(window)
    raw = subprocess.run(
        ["import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}", "-depth", "8",
         "rgb:-"], capture_output=True, timeout=timeout, check=True).stdout
    if len(raw) != width * height * 3:
        raise RuntimeError(f"screenshot of {len(raw)} bytes for {width} x {height}")
    return Shot(width, height, raw)


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class _Event(ctypes.Union):
    _fields_ = [("xclient", _ClientMessage), ("pad", ctypes.c_long * 24)]


def close_window(window):
    """Asks the window to close with WM_DELETE_WINDOW, as the close button of a frame does."""
    x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.POINTER(_Event)]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

    display = x11.XOpenDisplay(None)
    if not display:
        raise RuntimeError("cannot open the X display")
    try:
        event = _Event()
        event.xclient.type = 33  # ClientMessage
        event.xclient.window = window
        event.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
        event.xclient.format = 32
        event.xclient.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
        event.xclient.data[1] = 0  # CurrentTime
        if not x11.XSendEvent(display, window, 0, 0, ctypes.byref(event)):
            raise RuntimeError("XSendEvent failed")
        x11.XFlush(display)
    finally:
        x11.XCloseDisplay(display)


def client_origin(window, timeout=15):
    """Where Brickwright's client area (the 664 x 585 area every control is placed in) begins
    in the window, as (x, y): the menu bar above it is as high as the desktop's font makes it.
    Found through the board view's top grid line, 601 black pixels starting at (8, 8) of the
    area."""
    line = b"\0\0\0" * 601
    deadline = time.monotonic() + timeout
    while True:
        shot = screenshot(window)
        for y in range(shot.height):
            row = shot.region(0, y, shot.width, 1)
            at = row.find(line)
            while at >= 0 and at % 3 != 0:
                at = row.find(line, at + 1)
            if at >= 0:
                return at // 3 - 8, y - 8
        if time.monotonic() > deadline:
            raise RuntimeError("the board view's grid was not found in the window")
        time.sleep(0.2)
