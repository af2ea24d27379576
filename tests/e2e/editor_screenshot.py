"""Makes the README's picture of Brickwright: imports a brick sheet through the real file
dialog, paints a board with the mouse (strokes and a Shift-drag rectangle), marks a brick
unbreakable and captures the window with its menu bar and status bar. Not a test; a developer
script. It runs with a home folder of its own, so no setting or recovery copy is left behind.

Usage: editor_screenshot.py PATH_TO_BRICKWRIGHT BRICK_SHEET OUTPUT_PNG"""

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


def make(program, sheet, output):
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
        dialog = x.find_window("Load Bricks")
        time.sleep(0.5)
        x.xdotool("type", "--window", dialog, os.path.abspath(sheet))
        x.xdotool("key", "Return")
        time.sleep(1.0)

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
        select_brick(window, 11)
        drag(window, [(column, 13) for column in range(4, 16, 2)])
        select_brick(window, 10)
        drag(window, [(column, 13) for column in range(5, 16, 2)])
        # A gap in the wall, erased with the right button.
        drag(window, [(9, 9), (10, 9), (9, 8), (10, 8)], button=3)
        x.xdotool("mousemove", "--window", window, *cell(12, 16))
        time.sleep(0.5)
        subprocess.run(["timeout", "20", "import", "-window", str(window), output], check=True)
    finally:
        # The board is unsaved on purpose; closing would ask about it.
        if editor.poll() is None:
            editor.kill()
            editor.wait()
        shutil.rmtree(home, ignore_errors=True)


def main():
    with x.private_display():
        make(*sys.argv[1:4])
    return 0


if __name__ == "__main__":
    sys.exit(main())
