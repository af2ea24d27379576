"""End-to-end check of a Brickwright session under a private X server, with the keys and the
mouse a user has: the sheet given on the command line is imported; a click paints, Ctrl+Z takes
it back and Ctrl+Y brings it again; with Mirror (M) a click paints the mirrored cell too; F5 plays
the unsaved board in Vantor, whose window shows the painted bricks, and closing the game removes
the file it was given; a Shift-drag fills a rectangle; Ctrl+S asks for a name the
first time and then saves to the board's file without asking; a clean window closes at once.
Then a board given on the command line is painted and the editor is killed (kill -9): the next
start offers the recovery copy and Return restores it. Quit asks about the unsaved board, a close
meanwhile does not get past the question, and Escape keeps the window; closing asks again, and
Return saves the board back to its own file before the editor ends with status 0.

Usage: editor_session_e2e.py PATH_TO_BRICKWRIGHT BRICK_SHEET"""

import glob
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import editor_x11 as x  # noqa: E402
from road_e2e import erased_cell, sheet_bricks  # noqa: E402

VIEW = (8, 8)  # the board view in the client area
PREVIEW = (192, 312)  # the selected brick's preview in the client area
GAME_PLAYFIELD = (8, 8)  # the playfield in the game's window
CELL_W, CELL_H = 30, 15
CELL_BYTES = 6
CELLS_AT = 14


class Session:
    def __init__(self, program, sheet, work):
        self.program = program
        self.sheet = os.path.abspath(sheet)
        self.work = work
        self.bricks = sheet_bricks(sheet)
        self.env = dict(os.environ, QT_QPA_PLATFORM="xcb", HOME=work,
                        XDG_CONFIG_HOME=os.path.join(work, "config"),
                        XDG_DATA_HOME=os.path.join(work, "data"),
                        XDG_CACHE_HOME=os.path.join(work, "cache"),
                        TMPDIR=os.path.join(work, "tmp"))
        os.makedirs(self.env["TMPDIR"])
        self.env.pop("SDL_VIDEODRIVER", None)
        # Each running editor keeps its own copy here, beside the game's board.
        self.recovery = os.path.join(work, "data", "vantor", "recovery")
        self.editor = None
        self.window = None
        self.origin = (0, 0)

    def start(self, *args):
        self.editor = subprocess.Popen([self.program, *args], env=self.env, cwd=self.work)

    def attach(self):
        self.window = x.find_window("Form1")
        self.origin = x.client_origin(self.window)

    def point(self, column, row):
        return (self.origin[0] + VIEW[0] + CELL_W * column + CELL_W // 2,
                self.origin[1] + VIEW[1] + CELL_H * row + CELL_H // 2)

    def click(self, column, row, button=1):
        x.xdotool("mousemove", "--window", self.window, *self.point(column, row))
        time.sleep(0.05)
        x.xdotool("click", button)
        time.sleep(0.05)

    def play_files(self):
        return glob.glob(os.path.join(self.env["TMPDIR"], "brickwright-play-*"))

    def game_shows(self, game, cells):
        shot = x.screenshot(game)
        wrong = [cell for cell, pixels in cells.items()
                 if shot.region(GAME_PLAYFIELD[0] + CELL_W * cell[0],
                                GAME_PLAYFIELD[1] + CELL_H * cell[1], CELL_W, CELL_H) != pixels]
        return f"the game's cells {wrong} do not show their bricks" if wrong else None

    def recovery_copies(self):
        return glob.glob(os.path.join(self.recovery, "*.brd"))

    def preview(self):
        shot = x.screenshot(self.window)
        return shot.region(self.origin[0] + PREVIEW[0], self.origin[1] + PREVIEW[1], CELL_W,
                           CELL_H)

    def keys_reach_window(self):
        """Waits until the window takes shortcuts. Without a window manager the focus is given
        by hand, and Qt makes the window active only a while later: a shortcut pressed before
        that is lost. Keys 2 and 1 pick bricks in the palette, the preview shows when one has
        arrived, and one that was lost is simply pressed again (picking a brick twice changes
        nothing). Brick 1, the one this session paints with, is picked last."""
        x.xdotool("windowfocus", "--sync", self.window)
        for key, brick in (("2", 1), ("1", 0)):
            deadline = time.monotonic() + x.PATIENCE
            while self.preview() != self.bricks[brick]:
                if time.monotonic() > deadline:
                    raise AssertionError(f"key {key} never reached the window")
                x.xdotool("key", key)
                time.sleep(0.2)

    def key(self, *keys):
        self.keys_reach_window()
        x.xdotool("key", *keys)

    def shows(self, cells):
        """None when every listed cell shows its bytes, else a complaint."""
        shot = x.screenshot(self.window)
        wrong = [cell for cell, pixels in cells.items()
                 if shot.region(self.origin[0] + VIEW[0] + CELL_W * cell[0],
                                self.origin[1] + VIEW[1] + CELL_H * cell[1], CELL_W,
                                CELL_H) != pixels]
        return f"cells {wrong} do not show what they should" if wrong else None

    def until(self, check, what, timeout=x.PATIENCE):
        deadline = time.monotonic() + timeout
        while True:
            problem = check()
            if problem is None:
                return
            if time.monotonic() > deadline:
                raise AssertionError(f"{what}: {problem}")
            time.sleep(0.2)

    def type_into(self, title, text):
        dialog = x.find_window(title)
        x.xdotool("windowfocus", "--sync", dialog)
        time.sleep(0.3)
        x.xdotool("type", "--delay", "20", text, timeout=60)
        time.sleep(0.2)
        x.xdotool("key", "Return")

    def exits(self, timeout=x.PATIENCE):
        status = self.editor.wait(timeout=timeout)
        if status != 0:
            raise AssertionError(f"Brickwright exited with status {status}")

    def still_open(self, seconds=1.0):
        time.sleep(seconds)
        if self.editor.poll() is not None:
            raise AssertionError("Brickwright ended although the close was cancelled")

    def stop(self):
        if self.editor is not None and self.editor.poll() is None:
            self.editor.kill()
            self.editor.wait()


def used_cells(path):
    with open(path, "rb") as f:
        data = f.read()
    used = set()
    for k in range(400):
        at = CELLS_AT + CELL_BYTES * k
        if data[at:at + 2] == b"\xff\xff":
            used.add((k % 20, k // 20))
    return used


def run(s):
    brick = s.bricks[0]
    first = os.path.join(s.work, "first.brd")

    # A session from the sheet on the command line.
    s.start(s.sheet)
    s.attach()
    s.click(2, 2)
    s.until(lambda: s.shows({(2, 2): brick}), "a left click paints")
    s.key("ctrl+z")
    s.until(lambda: s.shows({(2, 2): erased_cell()}), "Ctrl+Z undoes the click")
    s.key("ctrl+y")
    s.until(lambda: s.shows({(2, 2): brick}), "Ctrl+Y redoes it")
    s.key("m")
    s.click(3, 8)
    s.until(lambda: s.shows({(3, 8): brick, (16, 8): brick}), "with Mirror on, a click paints two")
    s.key("m")

    # F5 plays the unsaved board in Vantor, through a file that goes when the game ends.
    s.key("F5")
    game = x.find_window("(Form1|Fps: [0-9]+)")
    s.until(lambda: s.game_shows(game, {(2, 2): brick, (3, 8): brick, (16, 8): brick}),
            "the game plays the board as painted")
    x.close_window(game)
    s.until(lambda: "; ".join(s.play_files()) or None, "the game's board file goes with it")
    rectangle = {(c, r) for c in range(4, 8) for r in range(4, 7)}
    x.xdotool("mousemove", "--window", s.window, *s.point(4, 4))
    x.xdotool("keydown", "shift")
    x.xdotool("mousedown", 1)
    for c, r in ((5, 5), (6, 5), (7, 6)):
        x.xdotool("mousemove", "--window", s.window, *s.point(c, r))
        time.sleep(0.05)
    x.xdotool("mouseup", 1)
    x.xdotool("keyup", "shift")
    s.until(lambda: s.shows({cell: brick for cell in rectangle}), "a Shift-drag fills")
    s.key("ctrl+s")  # no file yet: the save dialog asks for one
    s.type_into("Save Board", first)
    s.until(lambda: None if os.path.exists(first) else "no file", "Ctrl+S saves")
    if used_cells(first) != {(2, 2), (3, 8), (16, 8)} | rectangle:
        raise AssertionError(f"{first} holds the cells {sorted(used_cells(first))}")
    s.click(10, 10)
    s.key("ctrl+s")  # now straight to the board's file
    s.until(lambda: None if (10, 10) in used_cells(first) else "cell (10, 10) not saved",
            "Ctrl+S saves to the current file")
    x.close_window(s.window)
    s.exits()  # nothing unsaved: no question

    # A board on the command line (named from the current folder), painted, then the editor is
    # killed.
    s.start(os.path.basename(first))
    s.attach()
    s.until(lambda: s.shows({(10, 10): brick}), "the board from the command line")
    s.click(12, 12)
    s.until(lambda: None if s.recovery_copies() else "no recovery copy",
            "the recovery copy is written")
    s.editor.send_signal(signal.SIGKILL)
    s.editor.wait()

    # The next start offers it; Return restores.
    s.start()
    question = x.find_window("Brickwright")
    x.xdotool("windowfocus", "--sync", question)
    time.sleep(0.3)
    x.xdotool("key", "Return")
    s.attach()
    s.until(lambda: s.shows({(12, 12): brick, (10, 10): brick}), "the board is restored")

    # Quit asks, and the window's close button pressed meanwhile waits for the answer; Escape
    # cancels. Closing asks again, and Return saves to the board's file and the editor ends.
    s.key("ctrl+q")
    question = x.find_window("Brickwright")
    x.close_window(s.window)
    x.xdotool("windowfocus", "--sync", question)
    time.sleep(0.3)
    x.xdotool("key", "Escape")
    s.still_open()
    x.close_window(s.window)
    question = x.find_window("Brickwright", besides=(question,))
    x.xdotool("windowfocus", "--sync", question)
    time.sleep(0.3)
    x.xdotool("key", "Return")
    s.exits()
    if (12, 12) not in used_cells(first):
        raise AssertionError(f"{first} lacks the restored cell")
    if s.recovery_copies():
        raise AssertionError("the recovery copy is still there after a clean close")


def main():
    program, sheet = sys.argv[1:3]
    work = tempfile.mkdtemp(prefix="brickwright-session-")
    try:
        with x.private_display():
            s = Session(program, sheet, work)
            try:
                run(s)
            finally:
                s.stop()
    except (AssertionError, RuntimeError, subprocess.TimeoutExpired) as e:
        print("FAIL:", e)
        return 1
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("paint, undo, redo, fill, save, close, kill and recovery all worked")
    return 0


if __name__ == "__main__":
    sys.exit(main())
