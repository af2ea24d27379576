#!/usr/bin/env python3
"""The real Vantor end to end.

Headless first (without a display: status 1 and why; then SDL's dummy video driver): a damaged
board.brd ends the game with status 1 and a message naming the file; a missing one is replaced
by the built-in board; SIGINT ends it with status 0. Then under a private Xvfb: the window has
its menu entry's class and an icon, the bricks stand where the board puts them, the paddle
follows the pointer, the caption shows a frame rate (any: rates are bench/'s business), P pauses,
and both closing the window and SIGTERM (also while paused) end the game with status 0.

Usage: game_e2e.py VANTOR
"""
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import editor_x11 as x11  # noqa: E402  the shared Xvfb and xdotool helpers
import game_make_board  # noqa: E402

PLAYFIELD_LEFT = 8
PLAYFIELD_TOP = 8
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
PADDLE_Y = 440
WAIT = 60  # seconds any condition may take on a busy machine


def fail(message):
    print("FAIL:", message, file=sys.stderr)
    sys.exit(1)


def start(folder, env):
    return subprocess.Popen([os.path.join(folder, "Vantor")], cwd=folder, env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)


def stop(process, sig, what):
    """Sends sig and expects a clean exit with status 0."""
    process.send_signal(sig)
    try:
        _, err = process.communicate(timeout=WAIT)
    except subprocess.TimeoutExpired:
        process.kill()
        fail(f"{what}: the game did not end")
    if process.returncode != 0:
        fail(f"{what}: exit status {process.returncode}\n{err}")
    return err


def headless_checks(folder):
    # Empty data folders, so that no board installed on this machine is found.
    env = dict(os.environ, XDG_DATA_HOME=folder, XDG_DATA_DIRS=folder)
    for name in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"):
        env.pop(name, None)
    board = os.path.join(folder, "board.brd")

    # No display: said so at once, status 1, rather than a game running where nobody sees it.
    try:
        result = subprocess.run([os.path.join(folder, "Vantor")], cwd=folder, env=env,
                                capture_output=True, text=True, timeout=WAIT)
    except subprocess.TimeoutExpired:
        fail("without a display the game runs on")
    if result.returncode != 1 or "there is no display" not in result.stderr:
        fail(f"no display: status {result.returncode}, stderr {result.stderr!r}")
    env["SDL_VIDEODRIVER"] = "dummy"

    # A board cut short inside its brick table: reported, status 1, and never a message box
    # that would wait for a click with no display to show it on.
    with open(board, "wb") as f:
        f.write(game_make_board.board_bytes()[:3000])
    result = subprocess.run([os.path.join(folder, "Vantor")], cwd=folder, env=env,
                            capture_output=True, text=True, timeout=WAIT)
    if result.returncode != 1 or "board.brd" not in result.stderr:
        fail(f"damaged board: status {result.returncode}, stderr {result.stderr!r}")

    # No board at all: the built-in one is played (once its line is out, the game has set up
    # its window and its handling of SIGINT).
    os.remove(board)
    game = start(folder, env)
    line = game.stderr.readline()
    if game.poll() is not None or "; playing the built-in board" not in line:
        fail(f"missing board: status {game.poll()}, stderr {line!r}")
    stop(game, signal.SIGINT, "SIGINT")
    if os.path.exists(board):
        fail("the game created board.brd")


def screenshot(window):
    """The window's pixels as a function of (x, y) giving (r, g, b)."""
    try:
        return x11.screenshot(window).pixel
    except RuntimeError as e:
        fail(str(e))


def playfield_pixel(pixel, x, y):
    return pixel(PLAYFIELD_LEFT + x, PLAYFIELD_TOP + y)


def check_bricks(pixel):
    bricks = {(column, row): game_make_board.BRICKS[index][:3]
              for (column, row), index in game_make_board.LAYOUT.items()}
    for row in range(20):
        for column in range(20):
            centre = playfield_pixel(pixel, 30 * column + 15, 15 * row + 7)
            corner = playfield_pixel(pixel, 30 * column + 1, 15 * row + 1)
            expected = bricks.get((column, row), WHITE)
            if centre != expected or corner != expected:
                fail(f"cell ({column}, {row}) shows {centre} and {corner}, expected {expected}")


def paddle_at(window, x):
    """Moves the pointer over the playfield at x and returns the paddle's extent on its centre
    row once it has followed."""
    x11.xdotool("mousemove", "--window", window, PLAYFIELD_LEFT + x, PLAYFIELD_TOP + 350)
    deadline = time.monotonic() + WAIT
    while time.monotonic() < deadline:
        pixel = screenshot(window)
        black = [px for px in range(600) if playfield_pixel(pixel, px, PADDLE_Y) == BLACK]
        if black and abs((black[0] + black[-1]) / 2 - x) <= 1:
            return black[0], black[-1]
        time.sleep(0.1)
    fail(f"the paddle did not follow the pointer to x = {x}: black at {black[:1]}..{black[-1:]}")


def check_scaled(window):
    """Resized to 1300 x 1100, the picture doubles and sits centred at (37, 43); the pointer
    maps back to playfield pixels."""
    x11.xdotool("windowmove", window, 0, 0)
    x11.xdotool("windowsize", window, 1300, 1100)
    left, top = 37 + 2 * PLAYFIELD_LEFT, 43 + 2 * PLAYFIELD_TOP
    red = game_make_board.BRICKS[0][:3]
    deadline = time.monotonic() + WAIT
    while True:
        x11.xdotool("mousemove", "--window", window, left + 2 * 300, top + 2 * 350)
        time.sleep(0.2)
        pixel = screenshot(window)
        # Cell (0, 2) spans playfield x 0..29, y 30..44: window x 53..112, y 119..148.
        inside = [pixel(left, top + 60), pixel(left + 59, top + 89)]
        outside = [pixel(left - 1, top + 60), pixel(left, top + 59)]
        paddle = [px for px in range(left, left + 1200)
                  if pixel(px, top + 2 * PADDLE_Y) == BLACK]
        if (inside == [red, red] and red not in outside and paddle
                and (paddle[0], paddle[-1]) == (left + 2 * 260, left + 2 * 340 + 1)):
            return
        if time.monotonic() > deadline:
            fail(f"scaled: brick {inside}, beside it {outside}, paddle "
                 f"{paddle[:1]}..{paddle[-1:]} (expected {left + 520}..{left + 681})")


def wait_for_rate(window):
    deadline = time.monotonic() + WAIT
    title = ""
    while time.monotonic() < deadline:
        title = x11.xdotool("getwindowname", window)
        if re.fullmatch(r"Fps: \d+", title):
            return title
        time.sleep(0.2)
    fail(f"the caption reads {title!r}, not a frame rate")


def display_checks(folder):
    with open(os.path.join(folder, "board.brd"), "wb") as f:
        f.write(game_make_board.board_bytes())

    with x11.private_display("1600x1200x24"):
        env = dict(os.environ)  # with DISPLAY now naming the private server
        env.pop("SDL_VIDEODRIVER", None)
        game = start(folder, env)
        window = x11.find_window("(Form1|Fps: [0-9]+)")
        if x11.menu_entry_mismatch(window, "io.github.vantor_game.Vantor.desktop"):
            fail(x11.menu_entry_mismatch(window, "io.github.vantor_game.Vantor.desktop"))
        caption = wait_for_rate(window)
        check_bricks(screenshot(window))
        left, right = paddle_at(window, 150)
        if (left, right) != (110, 190):
            fail(f"paddle at 150 spans {left}..{right}")
        paddle_at(window, 450)
        # Held at the edge: the paddle stops at 560.
        x11.xdotool("mousemove", "--window", window, PLAYFIELD_LEFT + 599, PLAYFIELD_TOP + 350)
        paddle_at(window, 560)
        check_scaled(window)
        x11.close_window(window)
        try:
            _, err = game.communicate(timeout=WAIT)
        except subprocess.TimeoutExpired:
            game.kill()
            fail("closing the window did not end the game")
        if game.returncode != 0:
            fail(f"closing the window: exit status {game.returncode}\n{err}")
        print(f"under Xvfb: bricks in place, paddle follows, caption {caption!r}")

        # Paused, the loop blocks on events: SIGTERM must still end it.
        game = start(folder, env)
        window = x11.find_window("(Form1|Fps: [0-9]+)")
        x11.xdotool("key", "--window", window, "p")
        if x11.wait_for_title(window, "Paused", WAIT) != "Paused":
            fail("P did not pause the game")
        time.sleep(0.5)
        stop(game, signal.SIGTERM, "SIGTERM while paused")


def main():
    vantor = sys.argv[1]
    with tempfile.TemporaryDirectory(prefix="vantor-e2e-") as folder:
        shutil.copy2(vantor, os.path.join(folder, "Vantor"))
        headless_checks(folder)
        display_checks(folder)
    print("Vantor end to end: all checks passed")


if __name__ == "__main__":
    main()
