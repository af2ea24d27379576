"""Makes the README's picture of Brickwright: imports a brick sheet through the real file
dialog, paints a board with the mouse, marks a brick unbreakable and captures the window.
Not a test; a developer script.

Usage: editor_screenshot.py PATH_TO_BRICKWRIGHT BRICK_SHEET OUTPUT_PNG"""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import editor_x11 as x  # noqa: E402

VIEW_LEFT, VIEW_TOP = 8, 8


def cell(column, row):
    return VIEW_LEFT + 30 * column + 15, VIEW_TOP + 15 * row + 7


def click(window, px, py, button=1):
    x.xdotool("mousemove", "--window", window, px, py)
    x.xdotool("click", button)
    time.sleep(0.1)


def select_brick(window, index):
    """Opens the palette and picks item `index` with the keyboard, as a user may."""
    click(window, 104 + 40, 312 + 10)
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


def make(program, sheet, output):
    env = dict(os.environ, QT_QPA_PLATFORM="xcb")
    editor = subprocess.Popen([program], env=env)
    try:
        window = x.find_window("Form1")
        click(window, 8 + 44, 312 + 12)  # "Load Bricks"
        dialog = x.find_window("Load Bricks")
        time.sleep(0.5)
        x.xdotool("type", "--window", dialog, os.path.abspath(sheet))
        x.xdotool("key", "Return")
        time.sleep(1.0)

        # A wall: rows of colours, an unbreakable frame at the sides, hazard bricks below.
        for row in range(2, 10):
            select_brick(window, (row - 2) % 9)
            drag(window, [(column, row) for column in range(2, 18)])
        select_brick(window, 9)
        click(window, 232 + 30, 344 + 8)  # "Unbreakable"
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
        x.close_window(window)
        editor.wait(timeout=15)
    finally:
        if editor.poll() is None:
            editor.kill()
            editor.wait()


def main():
    with x.private_display():
        make(*sys.argv[1:4])
    return 0


if __name__ == "__main__":
    sys.exit(main())
