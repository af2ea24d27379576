"""Makes the README's pictures of Brickwright: imports a brick sheet through the real file
dialog, paints a board with the mouse (strokes and a Shift-drag rectangle), marks a brick
unbreakable, and captures the window with its menu bar and status bar in the middle of a quick
stroke whose pointer was reported at three points only. With DIALOG_PNG it also captures the
Load Bricks dialog with its list of file types open. Not a test; a developer script. It runs
with a home folder of its own, so no setting or recovery copy is left behind.

Usage: editor_screenshot.py PATH_TO_BRICKWRIGHT BRICK_SHEET OUTPUT_PNG [DIALOG_PNG]"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import editor_x11 as x  # noqa: E402

VIEW_LEFT, VIEW_TOP = 8, 8
ORIGIN = [0, 0]  # the client area in the window, below the menu bar


def cell(column, row):
    return ORIGIN[0] + VIEW_LEFT + 30 * column + 15, ORIGIN[1] + VIEW_TOP + 15 * row + 7


def area(px, py):
    """A point of the client area in window pixels."""
    return ORIGIN[0] + px, ORIGIN[1] + py


def click(window, px, py, button=1):
    x.xdotool("mousemove", "--window", window, px, py)
    x.xdotool("click", button)
    time.sleep(0.1)


def select_brick(window, index):
    """Opens the palette and picks item `index` with the keyboard, as a user may."""
    click(window, *area(104 + 40, 312 + 10))
    time.sleep(0.3)
    x.xdotool("key", "Home")
    for _ in range(index):
        x.xdotool("key", "Down")
    x.xdotool("key", "Return")
    time.sleep(0.2)


def drag(window, cells, button=1):
    x.xdotool("mousemove", "--window", window, *cell(*cells[0]))
    x.xdotool("mousedown", button)
    for c in cells:
        x.xdotool("mousemove", "--window", window, *cell(*c))
        time.sleep(0.02)
    x.xdotool("mouseup", button)


def rectangle(window, first, last):
    """A Shift-drag from cell `first` to cell `last`: fills the rectangle between them."""
    x.xdotool("mousemove", "--window", window, *cell(*first))
    x.xdotool("keydown", "shift")
    x.xdotool("mousedown", 1)
    x.xdotool("mousemove", "--window", window, *cell(*last))
    time.sleep(0.05)
    x.xdotool("mouseup", 1)
    x.xdotool("keyup", "shift")


def fast_stroke(window, points, button=1):
    """Presses on the first cell and reports the pointer only at the given cells, as the window
    system does for a quick hand; the button stays held."""
    x.xdotool("mousemove", "--window", window, *cell(*points[0]))
    x.xdotool("mousedown", button)
    for c in points[1:]:
        time.sleep(0.1)
        x.xdotool("mousemove", "--window", window, *cell(*c))
    time.sleep(0.5)


def load_sheet(home, sheet, dialog_output):
    """Picks the sheet in the Load Bricks dialog, from a folder of the private home; on the way
    captures the dialog with its file types listed, when asked to."""
    folder = os.path.join(home, "sheets")
    os.makedirs(folder)
    shutil.copy(sheet, os.path.join(folder, "bricks.bmp"))
    dialog = x.find_window("Load Bricks")
    time.sleep(0.5)
    x.xdotool("type", "--window", dialog, folder)
    x.xdotool("key", "Return")  # a folder's name opens the folder
    time.sleep(0.5)
    if dialog_output:
        # An empty name field, so that no completion list covers the dialog.
        x.xdotool("key", "--window", dialog, "ctrl+a", "BackSpace")
        time.sleep(0.3)
        left, top, width, height = x.window_geometry(dialog)
        x.xdotool("mousemove", "--window", dialog, width // 2, height - 24)  # "Files of type"
        x.xdotool("click", 1)
        time.sleep(0.8)
        # The list opens below the dialog and is a little wider than it.
        subprocess.run(["timeout", "20", "import", "-window", "root", "-crop",
                        f"{width + 24}x{height + 64}+{left}+{top}", dialog_output],
                       check=True)
        x.xdotool("key", "Return")  # keeps the first entry, closing the list
        time.sleep(0.3)
    x.xdotool("type", "--window", dialog, "bricks.bmp")
    x.xdotool("key", "Return")
    time.sleep(1.0)


def make(program, sheet, output, dialog_output=None):
    home = tempfile.mkdtemp(prefix="brickwright-shot-")
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", HOME=home,
               XDG_CONFIG_HOME=os.path.join(home, "config"),
               XDG_DATA_HOME=os.path.join(home, "data"),
               XDG_CACHE_HOME=os.path.join(home, "cache"))
    editor = subprocess.Popen([program], env=env)
    try:
        window = x.find_window("Form1")
        ORIGIN[:] = x.client_origin(window)
        click(window, *area(8 + 44, 312 + 12))  # "Load Bricks"
        load_sheet(home, os.path.abspath(sheet), dialog_output)

        # A wall: rows of colours (the middle ones filled as rectangles), an unbreakable frame
        # at the sides, hazard bricks below.
        for row in range(2, 10):
            select_brick(window, (row - 2) % 9)
            if row in (5, 6):
                rectangle(window, (2, row), (17, row))
            else:
                drag(window, [(column, row) for column in range(2, 18)])
        select_brick(window, 9)
        click(window, *area(232 + 30, 344 + 8))  # "Unbreakable"
        drag(window, [(1, row) for row in range(1, 11)])
        drag(window, [(18, row) for row in range(1, 11)])
        drag(window, [(column, 1) for column in range(1, 19)])
        # Every other cell: clicks, since a drag paints each cell on its way.
        select_brick(window, 11)
        for column in range(4, 16, 2):
            drag(window, [(column, 13)])
        select_brick(window, 10)
        for column in range(5, 16, 2):
            drag(window, [(column, 13)])
        # A gap in the wall, erased with the right button.
        drag(window, [(9, 9), (10, 9), (9, 8), (10, 8)], button=3)
        # A quick wave across the bottom rows: three reported points, every cell on the way
        # painted; captured before the button is released.
        select_brick(window, 3)
        fast_stroke(window, [(0, 18), (9, 15), (19, 18)])
        subprocess.run(["timeout", "20", "import", "-window", str(window), output], check=True)
        x.xdotool("mouseup", 1)
    finally:
        # The board is unsaved on purpose; closing would ask about it.
        if editor.poll() is None:
            editor.kill()
            editor.wait()
        shutil.rmtree(home, ignore_errors=True)


def main():
    with x.private_display():
        make(*sys.argv[1:5])
    return 0


if __name__ == "__main__":
    sys.exit(main())
