#!/usr/bin/env python3
"""The road of a board, walked with the real programs under a private Xvfb.

Brickwright imports a brick sheet through its real file dialog, a brick is picked in the
palette, cells are painted with clicks and a drag, one is erased with the right button, one
brick is marked "Unbreakable" and the board is saved as board.brd beside a copy of Vantor.
The file is checked byte by byte with its own small reader. Then that Vantor starts, must show
exactly the painted bricks, takes a hundred balls, releases them, and the breakable bricks must
go while the unbreakable one stays. Both programs must end with status 0 when closed.

Every step has a name and a time limit. When one fails, the step is named, and the last few
screenshots, one of the whole screen at the moment of failure, both programs' output and the
saved board go to the artifacts folder.

Usage: road_e2e.py --editor BRICKWRIGHT --game VANTOR --sheet BRICKS.BMP --artifacts DIR
"""

import argparse
import contextlib
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import editor_x11 as x11  # noqa: E402  the shared Xvfb, xdotool and screenshot helpers

HERE = os.path.dirname(os.path.abspath(__file__))

CELL_W, CELL_H, COLUMNS, ROWS = 30, 15, 20, 20
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)

# The editor window: board view, buttons, palette, preview and options, in pixels of its client
# area (below the menu bar, found when the window opens).
VIEW = (8, 8)
LOAD_BRICKS = (8 + 44, 312 + 12)
SAVE_BOARD = (8 + 44, 368 + 12)
PALETTE = (104 + 40, 312 + 10)
PREVIEW = (192, 312)
UNBREAKABLE = (232 + 20, 344 + 8)

# The game window: the playfield's top-left corner, the paddle's centre row.
PLAYFIELD = (8, 8)
PADDLE_Y = 440
POINTER_Y = 470  # over the playfield, below the paddle: steering never covers a brick

# The board that is painted. Brick numbers are positions in the sheet (0 red, 3 green,
# 9 steel); the sheet must hold at least ten bricks.
CLICK_BRICK = 0
CLICKED = [(2, 3), (5, 3), (8, 3), (11, 3), (14, 3), (17, 3), (4, 11), (15, 11)]
DRAG_BRICK = 3
DRAGGED = [(column, 7) for column in range(3, 17)]
ERASED = (9, 7)
HARD_BRICK = 9
HARD = [(6, 9), (13, 9)]

# Time limits. The machine may be busy with other builds, so every wait polls for its condition
# and gives up only after PATIENCE seconds; a step may take a few such waits. The balls get
# CLEARING seconds of play to clear every breakable brick, many times what a quiet machine needs.
PATIENCE = x11.PATIENCE
STEP = 3 * PATIENCE
CLEARING = 240

SHEET_BRICKS_NEEDED = 10
BOARD_HEADER = 14
CELL_RECORD = 6
BRICK_RECORD = 1358


class StepFailed(Exception):
    pass


class StepTimeout(Exception):
    pass


def sheet_bricks(path):
    """The sheet's bricks as 30 x 15 x 3 bytes each, read with ImageMagick, not with the
    programs' own picture code."""
    geometry = subprocess.run(["identify", "-format", "%w %h", path], capture_output=True,
                              text=True, timeout=20, check=True).stdout.split()
    width, height = int(geometry[0]), int(geometry[1])
    if height != CELL_H or width % CELL_W != 0:
        raise StepFailed(f"{path} is {width} x {height}, not a brick sheet")
    raw = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True,
                         timeout=20, check=True).stdout
    sheet = x11.Shot(width, height, raw)
    return [sheet.region(CELL_W * i, 0, CELL_W, CELL_H) for i in range(width // CELL_W)]


def erased_cell():
    """What the editor shows for an empty cell: its own grid lines on top and left, white
    inside."""
    rows = []
    for row in range(CELL_H):
        rows.append(bytes(BLACK) * CELL_W if row == 0 else bytes(BLACK) + bytes(WHITE) * 29)
    return b"".join(rows)


WHITE_CELL = bytes(WHITE) * (CELL_W * CELL_H)


class Road:
    def __init__(self, args, work):
        self.args = args
        self.work = work
        self.artifacts = os.path.abspath(args.artifacts)
        self.step_name = "prepare"
        self.origin = (0, 0)  # the editor's client area in its window, found at its start
        self.shots = []
        self.processes = {}
        self.logs = {}
        self.game_folder = os.path.join(work, "game")
        self.board_path = os.path.join(self.game_folder, "board.brd")
        self.bricks = sheet_bricks(args.sheet)
        if len(self.bricks) < SHEET_BRICKS_NEEDED:
            raise StepFailed(f"{args.sheet} holds {len(self.bricks)} bricks, "
                             f"this walk needs {SHEET_BRICKS_NEEDED}")
        # Where the painted bricks end up, cell by cell, once the erased one is gone.
        self.painted = {cell: CLICK_BRICK for cell in CLICKED}
        self.painted.update({cell: DRAG_BRICK for cell in DRAGGED})
        self.painted.update({cell: HARD_BRICK for cell in HARD})
        del self.painted[ERASED]
        self.breakable = [cell for cell, brick in self.painted.items() if brick != HARD_BRICK]

    # --- steps, processes and artifacts -------------------------------------------------------

    @contextlib.contextmanager
    def step(self, name, timeout):
        """Runs one named step; it fails if it takes longer than timeout seconds."""
        self.step_name = name
        print(f"-- {name}", flush=True)
        started = time.monotonic()

        def expired(signum, frame):
            raise StepTimeout(f"no result within {timeout} s")

        signal.signal(signal.SIGALRM, expired)
        signal.setitimer(signal.ITIMER_REAL, timeout)
        try:
            yield
        finally:
            signal.setitimer(signal.ITIMER_REAL, 0)
        print(f"   done in {time.monotonic() - started:.1f} s", flush=True)

    def start(self, name, argv, env, cwd):
        log = open(os.path.join(self.artifacts, f"{name}.log"), "w")
        self.logs[name] = log.name
        self.processes[name] = subprocess.Popen(argv, env=env, cwd=cwd, stdout=log,
                                                stderr=subprocess.STDOUT)
        log.close()
        return self.processes[name]

    def output(self, name):
        with open(self.logs[name], errors="replace") as f:
            return f.read()

    def alive(self, name):
        process = self.processes[name]
        if process.poll() is not None:
            raise StepFailed(f"{name} ended with status {process.returncode}:\n"
                             f"{self.output(name)[-2000:]}")

    def stop_all(self):
        for process in self.processes.values():
            if process.poll() is None:
                process.kill()
                process.wait()

    def shoot(self, window, label):
        shot = x11.screenshot(window)
        self.shots.append((label, shot))
        del self.shots[:-6]  # the last few are enough to see what went wrong
        return shot

    def save_artifacts(self):
        for i, (label, shot) in enumerate(self.shots):
            with contextlib.suppress(Exception):
                shot.save_png(os.path.join(self.artifacts, f"shot-{i}-{label}.png"))
        with contextlib.suppress(Exception):
            subprocess.run(["import", "-window", "root",
                            os.path.join(self.artifacts, "screen-at-failure.png")],
                           timeout=20, check=False)
        if os.path.exists(self.board_path):
            shutil.copy2(self.board_path, os.path.join(self.artifacts, "board.brd"))

    def wait_window(self, pattern, program, timeout):
        """Polls for a visible window whose whole title matches pattern; fails early when the
        program ends."""
        deadline = time.monotonic() + timeout
        while True:
            self.alive(program)
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                                    f"^{pattern}$"], capture_output=True, text=True,
                                   timeout=PATIENCE, check=False).stdout.split()
            if found:
                return int(found[0])
            if time.monotonic() > deadline:
                raise StepFailed(f"no window titled {pattern!r} within {timeout} s")
            time.sleep(0.1)

    def wait_gone(self, window, timeout):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            search = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", ".*"],
                                    capture_output=True, text=True, timeout=PATIENCE,
                                    check=False)
            # A search that failed (another window went while it looked) proves nothing.
            if search.returncode == 0 and str(window) not in search.stdout.split():
                return
            time.sleep(0.1)
        raise StepFailed(f"window {window} is still open after {timeout} s")

    def until(self, check, timeout, what):
        """Calls check() until it returns None (success) or timeout passes; fails with the
        last complaint it returned."""
        deadline = time.monotonic() + timeout
        while True:
            complaint = check()
            if complaint is None:
                return
            if time.monotonic() > deadline:
                raise StepFailed(f"{what}: {complaint}")
            time.sleep(0.2)

    def close(self, program, window, timeout=PATIENCE):
        x11.close_window(window)
        process = self.processes[program]
        try:
            status = process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise StepFailed(f"{program} did not end within {timeout} s of closing its window")
        if status != 0:
            raise StepFailed(f"{program} ended with status {status}:\n"
                             f"{self.output(program)[-2000:]}")

    # --- the editor ---------------------------------------------------------------------------

    def editor_cells(self, window, expected, label):
        """None when every listed cell of the board view shows the expected bytes, else a
        complaint."""
        shot = self.shoot(window, label)
        wrong = []
        for (column, row), pixels in expected.items():
            x, y = self.at(VIEW)
            seen = shot.region(x + CELL_W * column, y + CELL_H * row, CELL_W, CELL_H)
            if seen != pixels:
                wrong.append((column, row))
        return f"cells {wrong[:20]} do not show what they should" if wrong else None

    def preview_shows(self, window, brick):
        shot = self.shoot(window, f"preview-{brick}")
        if shot.region(*self.at(PREVIEW), CELL_W, CELL_H) == self.bricks[brick]:
            return None
        return f"the preview does not show brick {brick + 1} of the sheet"

    def click(self, window, x, y, button=1):
        x11.xdotool("mousemove", "--window", window, x, y)
        time.sleep(0.05)
        x11.xdotool("click", button)
        time.sleep(0.05)

    def cell_point(self, cell):
        column, row = cell
        x, y = self.at(VIEW)
        return x + CELL_W * column + CELL_W // 2, y + CELL_H * row + CELL_H // 2

    def at(self, point):
        """A point of the editor's client area in window pixels."""
        return point[0] + self.origin[0], point[1] + self.origin[1]

    def select_brick(self, window, brick):
        with self.step(f"select brick {brick + 1} in the palette", STEP):
            self.click(window, *self.at(PALETTE))
            time.sleep(0.3)
            x11.xdotool("key", "Home")
            for _ in range(brick):
                x11.xdotool("key", "Down")
            x11.xdotool("key", "Return")
            self.until(lambda: self.preview_shows(window, brick), PATIENCE, "palette selection")

    def type_into_dialog(self, dialog, text):
        # Qt focuses the name field of its own file dialog; plain typing goes to the focus,
        # which works without a window manager where sending to a window may not.
        x11.xdotool("windowfocus", "--sync", dialog)
        time.sleep(0.3)
        x11.xdotool("type", "--delay", "20", text, timeout=60)
        time.sleep(0.2)
        x11.xdotool("key", "Return")

    def edit_board(self):
        env = dict(os.environ, QT_QPA_PLATFORM="xcb",
                   XDG_CONFIG_HOME=os.path.join(self.work, "config"),
                   XDG_CACHE_HOME=os.path.join(self.work, "cache"),
                   XDG_DATA_HOME=os.path.join(self.work, "data"),
                   LSAN_OPTIONS=f"suppressions={HERE}/editor_lsan.supp:print_suppressions=0")
        env.pop("SDL_VIDEODRIVER", None)
        with self.step("start Brickwright", STEP):
            self.start("Brickwright", [self.args.editor], env, self.work)
            window = self.wait_window("Form1", "Brickwright", PATIENCE)
            self.origin = x11.client_origin(window)
            empty = {(c, r): erased_cell() for c in range(COLUMNS) for r in range(ROWS)}
            self.until(lambda: self.editor_cells(window, empty, "editor-start"), PATIENCE,
                       "the empty grid")

        with self.step("Load Bricks: open the file dialog", STEP):
            self.click(window, *self.at(LOAD_BRICKS))
            dialog = self.wait_window("Load Bricks", "Brickwright", PATIENCE)
        with self.step("Load Bricks: type the sheet's path and confirm", STEP):
            self.type_into_dialog(dialog, os.path.abspath(self.args.sheet))
            self.wait_gone(dialog, PATIENCE)
            self.alive("Brickwright")
            self.until(lambda: self.preview_shows(window, 0), PATIENCE, "after the import")

        self.select_brick(window, CLICK_BRICK)
        with self.step("paint cells with left clicks", STEP):
            for cell in CLICKED:
                self.click(window, *self.cell_point(cell))
            expected = {cell: self.bricks[CLICK_BRICK] for cell in CLICKED}
            self.until(lambda: self.editor_cells(window, expected, "clicked"), PATIENCE, "clicks")

        self.select_brick(window, DRAG_BRICK)
        with self.step("paint cells with a left-button drag", STEP):
            x11.xdotool("mousemove", "--window", window, *self.cell_point(DRAGGED[0]))
            time.sleep(0.05)
            x11.xdotool("mousedown", 1)
            for cell in DRAGGED:
                x, y = self.cell_point(cell)
                # Through the cell's left part to its centre: two movements inside it, so
                # motion compression cannot skip a cell.
                x11.xdotool("mousemove", "--window", window, x - 8, y)
                time.sleep(0.03)
                x11.xdotool("mousemove", "--window", window, x, y)
                time.sleep(0.03)
            x11.xdotool("mouseup", 1)
            expected = {cell: self.bricks[DRAG_BRICK] for cell in DRAGGED}
            self.until(lambda: self.editor_cells(window, expected, "dragged"), PATIENCE, "drag")

        self.select_brick(window, HARD_BRICK)
        with self.step("paint the future unbreakable brick", STEP):
            for cell in HARD:
                self.click(window, *self.cell_point(cell))
            expected = {cell: self.bricks[HARD_BRICK] for cell in HARD}
            self.until(lambda: self.editor_cells(window, expected, "hard"), PATIENCE, "clicks")

        with self.step("erase a cell with the right button", STEP):
            self.click(window, *self.cell_point(ERASED), button=3)
            self.until(lambda: self.editor_cells(window, {ERASED: erased_cell()}, "erased"),
                       PATIENCE, "right click")

        # Away from the brick and back, as a user picks a brick that is already on the board.
        self.select_brick(window, CLICK_BRICK)
        self.select_brick(window, HARD_BRICK)
        with self.step("mark the selected brick Unbreakable", STEP):
            self.click(window, *self.at(UNBREAKABLE))
            time.sleep(0.3)
            self.alive("Brickwright")

        with self.step("the editor shows the whole painted board", STEP):
            expected = {(c, r): erased_cell() for c in range(COLUMNS) for r in range(ROWS)}
            expected.update({cell: self.bricks[b] for cell, b in self.painted.items()})
            self.until(lambda: self.editor_cells(window, expected, "editor-board"), PATIENCE,
                       "board")

        with self.step("Save Board: open the file dialog", STEP):
            self.click(window, *self.at(SAVE_BOARD))
            dialog = self.wait_window("Save Board", "Brickwright", PATIENCE)
        with self.step("Save Board: type board.brd in the game's folder and confirm", STEP):
            self.type_into_dialog(dialog, self.board_path)
            self.wait_gone(dialog, PATIENCE)
            self.until(lambda: None if os.path.exists(self.board_path) else "no file", PATIENCE,
                       f"{self.board_path} was not written")
            self.alive("Brickwright")

        with self.step("close Brickwright", STEP):
            self.close("Brickwright", window)

    # --- the file -----------------------------------------------------------------------------

    def check_board_file(self):
        with self.step("check board.brd byte by byte", STEP):
            data = open(self.board_path, "rb").read()
            problems = []
            n = len(self.bricks)
            if len(data) != BOARD_HEADER + 400 * CELL_RECORD + n * BRICK_RECORD:
                raise StepFailed(f"board.brd is {len(data)} bytes, expected "
                                 f"{BOARD_HEADER + 400 * CELL_RECORD + n * BRICK_RECORD}")
            magic, version, offset, last = struct.unpack_from("<4shii", data, 0)
            if (magic, version, offset, last) != (b"VNTR", 1, 2414, n - 1):
                problems.append(f"header {magic!r} {version} {offset} {last}")
            for row in range(ROWS):
                for column in range(COLUMNS):
                    at = BOARD_HEADER + CELL_RECORD * (COLUMNS * row + column)
                    used, index = struct.unpack_from("<hi", data, at)
                    if (column, row) in self.painted:
                        expected = (-1, self.painted[(column, row)])
                    elif (column, row) == ERASED:
                        expected = (0, DRAG_BRICK)  # erasing keeps the brick it held
                    else:
                        expected = (0, 0)
                    if (used, index) != expected:
                        problems.append(f"cell ({column}, {row}) holds {(used, index)}, "
                                        f"expected {expected}")
            for i in range(n):
                at = BOARD_HEADER + 400 * CELL_RECORD + BRICK_RECORD * i
                index, = struct.unpack_from("<i", data, at)
                pixels = data[at + 4:at + 4 + 1350]
                explosive, unbreakable = struct.unpack_from("<hh", data, at + 1354)
                if index != i:
                    problems.append(f"brick {i} has Index {index}")
                if pixels != self.bricks[i]:
                    problems.append(f"brick {i}'s pixels differ from the sheet")
                want = -1 if i == HARD_BRICK else 0
                if (explosive, unbreakable) != (0, want):
                    problems.append(f"brick {i} has Explosive {explosive}, "
                                    f"Unbreakable {unbreakable}; expected 0, {want}")
            if problems:
                raise StepFailed("; ".join(problems[:12]))

    # --- the game -----------------------------------------------------------------------------

    def game_cell(self, shot, cell):
        column, row = cell
        return shot.region(PLAYFIELD[0] + CELL_W * column, PLAYFIELD[1] + CELL_H * row,
                           CELL_W, CELL_H)

    def board_as_painted(self, window):
        shot = self.shoot(window, "game-start")
        wrong = []
        for row in range(ROWS):
            for column in range(COLUMNS):
                brick = self.painted.get((column, row))
                want = self.bricks[brick] if brick is not None else WHITE_CELL
                if self.game_cell(shot, (column, row)) != want:
                    wrong.append((column, row))
        return f"cells {wrong[:20]} are not as painted" if wrong else None

    def paddle_at(self, window, x):
        x11.xdotool("mousemove", "--window", window, PLAYFIELD[0] + x, PLAYFIELD[1] + POINTER_Y)

        def check():
            shot = self.shoot(window, f"paddle-{x}")
            black = [px for px in range(600)
                     if shot.pixel(PLAYFIELD[0] + px, PLAYFIELD[1] + PADDLE_Y) == BLACK]
            if black and abs((black[0] + black[-1]) / 2 - x) <= 1:
                return None
            return f"black on the paddle's row at {black[:1]}..{black[-1:]}"

        self.until(check, PATIENCE, f"the paddle did not follow the pointer to x = {x}")

    def ball_pixels(self, shot):
        """Pixels that are not white between the board and the paddle: only balls go there."""
        band = shot.region(PLAYFIELD[0], PLAYFIELD[1] + 305, 600, 120)
        white = bytes(WHITE)
        return sum(1 for i in range(0, len(band), 3) if band[i:i + 3] != white)

    def play(self):
        env = dict(os.environ, ASAN_OPTIONS="detect_leaks=0")
        env.pop("SDL_VIDEODRIVER", None)
        game = os.path.join(self.game_folder, "Vantor")
        with self.step("start Vantor from its folder", STEP):
            # Started from elsewhere: the game must find board.brd beside itself.
            self.start("Vantor", [game], env, self.work)
            window = self.wait_window("(Form1|Fps: [0-9]+)", "Vantor", PATIENCE)
        with self.step("Vantor shows the painted board", STEP):
            self.until(lambda: self.board_as_painted(window), PATIENCE, "the playfield")
            if "built-in" in self.output("Vantor"):
                raise StepFailed("the game played its built-in board:\n" + self.output("Vantor"))

        with self.step("steer the paddle with the mouse", STEP):
            self.paddle_at(window, 150)
            self.paddle_at(window, 300)

        with self.step("a hundred balls with the right button, released with the left", STEP):
            before = self.ball_pixels(self.shoot(window, "before-release"))
            x11.xdotool("click", 3)
            time.sleep(0.1)
            x11.xdotool("click", 1)
            # One ball covers about 65 pixels; a hundred fanning out cover many times that.
            most = 0

            def fanned_out():
                nonlocal most
                most = max(most, self.ball_pixels(self.shoot(window, "released")))
                return None if most >= 600 else f"at most {most} ball pixels (before: {before})"

            self.until(fanned_out, PATIENCE, "a hundred balls below the board after the release")
            print(f"   up to {most} ball pixels below the board (before: {before})")

        cleared = set()
        with self.step("the balls clear the breakable bricks, not the unbreakable one",
                       CLEARING + PATIENCE):
            deadline = time.monotonic() + CLEARING
            sweep = [150, 300, 450, 300]
            turn = 0
            while True:
                self.alive("Vantor")
                shot = self.shoot(window, "playing")
                for cell in self.painted:
                    if self.game_cell(shot, cell) == WHITE_CELL:
                        if cell in HARD:
                            raise StepFailed(f"the unbreakable brick at {cell} was cleared")
                        cleared.add(cell)
                if len(cleared) == len(self.breakable) or time.monotonic() > deadline:
                    break
                # Keep playing, as a player does: steer so balls come back up, and release the
                # ball that waits on the paddle once every other one is lost.
                x11.xdotool("mousemove", "--window", window,
                            PLAYFIELD[0] + sweep[turn % len(sweep)], PLAYFIELD[1] + POINTER_Y)
                x11.xdotool("click", 1)
                turn += 1
                time.sleep(0.3)
            print(f"   {len(cleared)} of {len(self.breakable)} breakable bricks cleared")
            if len(cleared) < len(self.breakable):
                left = sorted(set(self.breakable) - cleared)
                raise StepFailed(f"only {len(cleared)} of {len(self.breakable)} breakable "
                                 f"bricks were cleared in {CLEARING} s; still there: {left}")

        with self.step("the unbreakable brick is still there", STEP):
            # Balls keep flying over it for a while longer; it must never go, and it must show
            # its own pixels again once no ball covers it.
            crossed = 0
            watch_until = time.monotonic() + 5
            while time.monotonic() < watch_until:
                self.alive("Vantor")
                shot = self.shoot(window, "watching")
                for cell in HARD:
                    seen = self.game_cell(shot, cell)
                    if seen == WHITE_CELL:
                        raise StepFailed(f"the unbreakable brick at {cell} was cleared")
                    crossed += seen != self.bricks[HARD_BRICK]
                time.sleep(0.2)
            print(f"   a ball covered the unbreakable brick in {crossed} captures")

            def intact():
                shot = self.shoot(window, "unbreakable")
                wrong = [cell for cell in HARD
                         if self.game_cell(shot, cell) != self.bricks[HARD_BRICK]]
                return f"cells {wrong} do not show the brick" if wrong else None

            self.until(intact, PATIENCE, "the unbreakable brick")

        with self.step("close Vantor", STEP):
            self.close("Vantor", window)

    def walk(self):
        os.makedirs(self.game_folder)
        shutil.copy2(self.args.game, os.path.join(self.game_folder, "Vantor"))
        self.step_name = "start a private Xvfb"
        with x11.private_display("1280x1024x24"):
            try:
                self.edit_board()
                self.check_board_file()
                self.play()
            except BaseException:
                with contextlib.suppress(Exception):
                    self.save_artifacts()
                raise
            finally:
                self.stop_all()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--editor", required=True)
    parser.add_argument("--game", required=True)
    parser.add_argument("--sheet", required=True)
    parser.add_argument("--artifacts", required=True)
    args = parser.parse_args()
    for name in ("editor", "game", "sheet", "artifacts"):
        setattr(args, name, os.path.abspath(getattr(args, name)))

    # Ended from outside (ctest's time limit): still stop the programs and the X server.
    signal.signal(signal.SIGTERM, lambda signum, frame: sys.exit("terminated"))
    shutil.rmtree(args.artifacts, ignore_errors=True)
    os.makedirs(args.artifacts)
    started = time.monotonic()
    road = None
    try:
        with tempfile.TemporaryDirectory(prefix="vantor-road-") as work:
            road = Road(args, work)
            road.walk()
    except (StepFailed, StepTimeout, subprocess.SubprocessError, RuntimeError, OSError) as e:
        step = road.step_name if road else "prepare"
        print(f"FAIL in step '{step}': {e}", file=sys.stderr)
        print(f"artifacts (screenshots, program output, board.brd): {args.artifacts}",
              file=sys.stderr)
        return 1
    shutil.rmtree(args.artifacts, ignore_errors=True)
    print(f"the road of a board: all steps passed in {time.monotonic() - started:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
