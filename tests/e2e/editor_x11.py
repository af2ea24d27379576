"""Small helpers for driving a real window under Xvfb: xdotool for the pointer and keys, and
the X library (through ctypes) for what xdotool cannot do, closing a window the way a window
manager does."""

import contextlib
import ctypes
import ctypes.util
import os
import random
import re
import select
import subprocess
import sys
import tempfile
import time

# How long a check waits for something that takes a fraction of a second on a quiet machine. The
# machines the tests run on may be busy with other builds: a check polls for its condition and
# fails only after this long.
PATIENCE = 60


def _start_server(screen, timeout):
    """A new Xvfb and its display, or the reason it did not come up answering.

    The display number is drawn at random far above those other tools probe (Xvfb's own
    -displayfd search starts at 0, xvfb-run -a at 99): a server elsewhere on the machine that
    probes a number in use unlinks that server's socket, and Xvfb started with -displayfd
    leaves no lock file to warn it. A number in use makes this server end at once.

    -noreset: an X server resets when its last client leaves and refuses a client that connects
    meanwhile, so a check that starts one program after another (or after the probe below) would
    lose the next one now and then on a busy machine."""
    number = str(random.randrange(400, 4000))
    display = ":" + number
    read_fd, write_fd = os.pipe()
    log = tempfile.TemporaryFile()
    server = subprocess.Popen(
        ["Xvfb", display, "-displayfd", str(write_fd), "-screen", "0", screen, "-nolisten", "tcp",
         "-noreset"],
        pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=log)
    os.close(write_fd)
    try:
        ready, _, _ = select.select([read_fd], [], [], timeout)
        started = os.read(read_fd, 64).decode().strip() if ready else ""
    finally:
        os.close(read_fd)
    # A client must get through too: a server that ended at once is of no use.
    if started == number and subprocess.run(
            ["xdotool", "getdisplaygeometry"], env=dict(os.environ, DISPLAY=display),
            capture_output=True, timeout=timeout, check=False).returncode == 0:
        log.close()
        return server, display
    _stop_server(server)
    log.seek(0)
    said = log.read().decode(errors="replace").strip().splitlines()
    log.close()
    return None, f"{display} ended with status {server.returncode}: {said[-1:] or 'nothing'}"


def _stop_server(server):
    server.terminate()
    try:
        server.wait(timeout=PATIENCE)
    except subprocess.TimeoutExpired:
        server.kill()
        server.wait()


@contextlib.contextmanager
def private_display(screen="1024x768x24", timeout=PATIENCE, attempts=10):
    """Runs a private Xvfb for the duration of the block, with DISPLAY pointing at it. A number
    that is taken, or a server that does not answer, is replaced by another."""
    failures = []
    for _ in range(attempts):
        server, display = _start_server(screen, timeout)
        if server is not None:
            break
        failures.append(display)
    else:
        raise RuntimeError("Xvfb did not start: " + "; ".join(failures[-3:]))
    previous = os.environ.get("DISPLAY")
    os.environ["DISPLAY"] = display
    try:
        yield display
    finally:
        if previous is None:
            os.environ.pop("DISPLAY", None)
        else:
            os.environ["DISPLAY"] = previous
        # A server that went before the end explains whatever failed after it.
        if server.poll() is not None:
            print(f"the X server {display} ended during the check, with status "
                  f"{server.returncode}", file=sys.stderr)
        _stop_server(server)


def xdotool(*args, timeout=PATIENCE):
    result = subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True,
                            timeout=timeout, check=False)
    if result.returncode != 0:
        raise RuntimeError(f"xdotool {' '.join(map(str, args))} failed: {result.stderr.strip()}")
    return result.stdout.strip()


def find_window(title, timeout=PATIENCE, besides=()):
    """The id of a visible window whose title is exactly `title`, other than those in `besides`
    (a dialog that was answered may still be on the screen for a while on a busy machine).
    Polled, not xdotool's own --sync: a search fails outright when another window goes while it
    looks (a dialog closing, a program ending), and the next search does not."""
    deadline = time.monotonic() + timeout
    while True:
        found = [int(w) for w in subprocess.run(
            ["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"], capture_output=True,
            text=True, timeout=timeout, check=False).stdout.split() if int(w) not in besides]
        if found:
            return found[0]
        if time.monotonic() > deadline:
            raise RuntimeError(f"no visible window titled {title!r} within {timeout} s")
        time.sleep(0.1)


def wait_for_title(window, expected, timeout=PATIENCE):
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

    def save_png(self, path, timeout=PATIENCE):
        subprocess.run(["convert", "-size", f"{self.width}x{self.height}", "-depth", "8",
                        "rgb:-", path], input=self.raw, timeout=timeout, check=True)


def screenshot(window, timeout=PATIENCE):
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


def client_origin(window, timeout=PATIENCE):
    """Where Brickwright's client area (the 664 x 585 area every control is placed in) begins
    in the window, as (x, y): the menu bar above it is as high as the desktop's font makes it.
    Found through the board view's top grid line, 601 black pixels starting at (8, 8) of the
    area, once two captures a moment apart agree: a window just shown may still be moving or
    taking its size."""
    line = b"\0\0\0" * 601
    deadline = time.monotonic() + timeout
    previous = None
    while True:
        shot = screenshot(window)
        found = None
        for y in range(shot.height):
            row = shot.region(0, y, shot.width, 1)
            at = row.find(line)
            while at >= 0 and at % 3 != 0:
                at = row.find(line, at + 1)
            if at >= 0:
                found = (at // 3 - 8, y - 8, shot.width, shot.height)
                break
        if found is not None and found == previous:
            return found[:2]
        previous = found
        if time.monotonic() > deadline:
            raise RuntimeError("the board view's grid was not found in the window")
        time.sleep(0.3)
