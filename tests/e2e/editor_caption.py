"""End-to-end check of the real Brickwright under an X server: the caption starts as "Form1",
follows the pointer over the board view ("1,1" top-left, "20,20" bottom-right), the window has
its menu entry's class and an icon, and closing the window ends the program with status 0.

Usage: editor_caption.py PATH_TO_BRICKWRIGHT   (starts its own Xvfb)"""

import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import editor_x11 as x  # noqa: E402

VIEW_LEFT, VIEW_TOP = 8, 8  # the board view inside the client area


def cell_centre(origin, column, row):
    return origin[0] + VIEW_LEFT + 30 * column + 15, origin[1] + VIEW_TOP + 15 * row + 7


def main():
    with x.private_display():
        return check(sys.argv[1])


def check(program):
    home = tempfile.mkdtemp(prefix="brickwright-e2e-")
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", HOME=home,
               XDG_CONFIG_HOME=os.path.join(home, "config"),
               XDG_DATA_HOME=os.path.join(home, "data"),
               XDG_CACHE_HOME=os.path.join(home, "cache"))
    editor = subprocess.Popen([program], env=env)
    failures = []
    try:
        window = x.find_window("Form1")
        mismatch = x.menu_entry_mismatch(window, "io.github.vantor_game.Brickwright.desktop")
        failures += [mismatch] if mismatch else []
        origin = x.client_origin(window)
        for (column, row), expected in (((0, 0), "1,1"), ((19, 19), "20,20"), ((4, 2), "5,3")):
            px, py = cell_centre(origin, column, row)
            x.xdotool("mousemove", "--window", window, px, py)
            seen = x.wait_for_title(window, expected)
            if seen != expected:
                failures.append(f"pointer at cell ({column}, {row}): caption {seen!r}, "
                                f"expected {expected!r}")
        x.close_window(window)
        status = editor.wait(timeout=x.PATIENCE)
        if status != 0:
            failures.append(f"Brickwright exited with status {status}")
    finally:
        if editor.poll() is None:
            editor.kill()
            editor.wait()
            failures.append("Brickwright did not exit after its window was closed")
        shutil.rmtree(home, ignore_errors=True)
    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print("caption followed the pointer; the editor closed with status 0")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
