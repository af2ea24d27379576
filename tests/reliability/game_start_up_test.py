#!/usr/bin/env python3
"""The real Vantor started on hostile boards, headless (SDL's dummy video driver).

For every damaged board.brd, and for a folder, a FIFO and a device in its place, the game must
end at once with status 1 and exactly one line on standard error naming the file and what is
wrong with it and what the player can do, leaving every file beside it as it was. A board in a folder whose name has spaces
and non-ASCII characters, and a 2 GiB sparse board, are played; a damaged one there is named
exactly.

Usage: game_start_up_test.py VANTOR
"""
import os
import select
import shutil
import signal
import stat
import struct
import subprocess
import sys
import tempfile

FAILURES = []
WAIT = 60  # seconds the game may take to start or end on a busy machine

# What every refusal ends with: what the player can do about it.
ADVICE = (". Replace or delete this file (without it the game plays its built-in board), or start "
          "the game with another board.")


def fail(message):
    FAILURES.append(message)
    print("FAIL:", message, file=sys.stderr)


def board_bytes(bricks=2):
    """A valid board: one painted cell, `bricks` solid bricks."""
    out = bytearray(b"VNTR") + struct.pack("<hii", 1, 2414, bricks - 1)
    for cell in range(400):
        out += struct.pack("<hi", -1 if cell == 0 else 0, 0)
    for i in range(bricks):
        out += struct.pack("<i", i) + bytes((200, 30 + i, 30)) * 450 + struct.pack("<hh", 0, 0)
    return bytes(out)


def with_last_brick_index(data, last):
    return data[:10] + struct.pack("<i", last) + data[14:]


def snapshot(folder):
    """Every entry below folder: kind, and bytes (or size, for sparse files) of regular files."""
    entries = {}
    for dirpath, dirnames, filenames in os.walk(folder):
        for name in dirnames + filenames:
            path = os.path.join(dirpath, name)
            info = os.lstat(path)
            if stat.S_ISREG(info.st_mode):
                if info.st_size > 64 << 20:
                    entries[path] = ("file", info.st_size, info.st_mtime_ns)
                else:
                    with open(path, "rb") as f:
                        entries[path] = ("file", f.read(), info.st_mtime_ns)
            else:
                entries[path] = (stat.S_IFMT(info.st_mode), os.path.realpath(path))
    return entries


def environment():
    env = dict(os.environ, SDL_VIDEODRIVER="dummy")
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    return env


def expect_refused(folder, what, message):
    """Runs the game in folder; expects status 1 and exactly 'Vantor: BOARD: message' and the
    advice."""
    board = os.path.join(folder, "board.brd")
    before = snapshot(folder)
    try:
        result = subprocess.run([os.path.join(folder, "Vantor")], cwd=folder, env=environment(),
                                capture_output=True, timeout=WAIT)
    except subprocess.TimeoutExpired:
        fail(f"{what}: the game hangs")
        return
    stderr = result.stderr.decode("utf-8", "replace")
    expected = f"Vantor: {board}: {message}{ADVICE}\n"
    if result.returncode != 1:
        fail(f"{what}: exit status {result.returncode}, stderr {stderr!r}")
    if stderr != expected:
        fail(f"{what}: stderr {stderr!r}, expected {expected!r}")
    if snapshot(folder) != before:
        fail(f"{what}: the files beside the game changed")


def expect_played(folder, what):
    """Runs the game in folder until it names its board (by then it handles SIGINT); it must
    still be running, and end with status 0 on SIGINT with that one line on standard error."""
    before = snapshot(folder)
    game = subprocess.Popen([os.path.join(folder, "Vantor")], cwd=folder, env=environment(),
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    line = game.stderr.readline() if select.select([game.stderr], [], [], WAIT)[0] else b""
    if not line or game.poll() is not None:
        game.kill()
        fail(f"{what}: status {game.wait()}, stderr {line + game.stderr.read()!r}")
        return
    game.send_signal(signal.SIGINT)
    try:
        _, err = game.communicate(timeout=WAIT)
    except subprocess.TimeoutExpired:
        game.kill()
        fail(f"{what}: the game did not end on SIGINT")
        return
    expected = f"Vantor: playing {os.path.join(folder, 'board.brd')}\n".encode()
    if game.returncode != 0 or line + err != expected:
        fail(f"{what}: status {game.returncode}, stderr {line + err!r}")
    if snapshot(folder) != before:
        fail(f"{what}: the files beside the game changed")


def install(vantor, folder):
    os.makedirs(folder)
    shutil.copy2(vantor, os.path.join(folder, "Vantor"))
    return os.path.join(folder, "board.brd")


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def main():
    vantor = os.path.abspath(sys.argv[1])
    good = board_bytes()
    with tempfile.TemporaryDirectory(prefix="vantor-start-up-") as root:
        folder = os.path.join(root, "plain")
        board = install(vantor, folder)

        files = [
            ("an empty file", b"", "this is not a board file (it does not start with VNTR)"),
            ("a picture", b"\x89PNG\r\n\x1a\n" + good[8:3000],
             "this is not a board file (it does not start with VNTR)"),
            ("13 bytes", good[:13], "file is 13 bytes, too short for a board header (14 bytes)"),
            ("LastBrickIndex -1", with_last_brick_index(good, -1),
             "invalid LastBrickIndex -1 in the header (must be 0 to 32766)"),
            ("LastBrickIndex 0x7FFFFFFF", with_last_brick_index(good, 0x7FFFFFFF),
             "header announces 2147483648 bricks, more than the 32767 a board can hold"),
            ("LastBrickIndex 32767", with_last_brick_index(good, 32767),
             "header announces 32768 bricks, more than the 32767 a board can hold"),
            ("one byte short", good[:-1],
             "file is 5129 bytes, but its header announces 2 bricks (5130 bytes)"),
        ]
        for what, data, message in files:
            write(board, data)
            expect_refused(folder, what, message)
            os.remove(board)

        os.mkdir(board)
        expect_refused(folder, "a folder", "is a folder, not a board file")
        os.rmdir(board)
        os.mkfifo(board)
        expect_refused(folder, "a FIFO", "is not a regular file")
        os.remove(board)
        os.symlink("/dev/zero", board)
        expect_refused(folder, "a device", "is not a regular file")
        os.remove(board)

        # Spaces and non-ASCII characters in the game's folder.
        odd = os.path.join(root, "Jeux d’été – ünïcödé ✓")
        odd_board = install(vantor, odd)
        write(odd_board, good[:3000])
        expect_refused(odd, "a damaged board in a non-ASCII folder",
                       "file is 3000 bytes, but its header announces 2 bricks (5130 bytes)")
        write(odd_board, good)
        expect_played(odd, "a board in a non-ASCII folder")

        # 2 GiB, almost all of it a hole: only the announced board is read.
        write(board, good)
        os.truncate(board, 2 << 30)
        expect_played(folder, "a 2 GiB sparse board")

    if FAILURES:
        sys.exit(1)
    print("all start-up checks passed")


if __name__ == "__main__":
    main()
