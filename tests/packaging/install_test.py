#!/usr/bin/env python3
"""The installation as users get it, checked from the outside.

install BUILD_DIR: `cmake --install` into a temporary DESTDIR with the prefix /usr; the layout,
    the desktop entries, AppStream metadata, MIME type, icons and man pages are checked with the
    desktop's own validators, then the installed Vantor, headless, with a private HOME and XDG
    folders, must pick its board in the documented order (each board is known by the line the
    game writes on standard error). Then twice into a player's ~/.local, and uninstalled.
package BUILD_DIR: the Debian package made by CPack from that build, and lintian on it.
"""
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PROGRAMS = ["Vantor", "Brickwright", "brdtool", "vantor-replay"]
GAME_ID = "io.github.vantor_game.Vantor"
EDITOR_ID = "io.github.vantor_game.Brickwright"
SIZES = [16, 32, 48, 64, 128, 256]
FAILURES = []


def fail(message):
    FAILURES.append(message)
    print("FAIL:", message, file=sys.stderr)


def run(command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, timeout=120, **kwargs)


def expected_files():
    files = [f"usr/bin/{p}" for p in PROGRAMS]
    files += ["usr/share/vantor/default.brd", "usr/share/vantor/bricks.bmp",
              "usr/share/mime/packages/vantor-board.xml", "usr/share/doc/vantor/copyright",
              "usr/share/doc/vantor/changelog.gz", "usr/share/lintian/overrides/vantor",
              "usr/share/man/man6/Vantor.6.gz", "usr/share/man/man1/Brickwright.1.gz",
              "usr/share/man/man1/brdtool.1.gz", "usr/share/man/man1/vantor-replay.1.gz"]
    for app in (GAME_ID, EDITOR_ID):
        files += [f"usr/share/applications/{app}.desktop",
                  f"usr/share/metainfo/{app}.metainfo.xml"]
        files += [f"usr/share/icons/hicolor/{n}x{n}/apps/{app}.png" for n in SIZES]
    return sorted(files)


def check_layout(root):
    found = sorted(os.path.relpath(os.path.join(d, f), root)
                   for d, _, names in os.walk(root) for f in names)
    if found != expected_files():
        fail(f"installed files: missing {sorted(set(expected_files()) - set(found))}, "
             f"unexpected {sorted(set(found) - set(expected_files()))}")
    for p in PROGRAMS:
        if not os.access(os.path.join(root, "usr/bin", p), os.X_OK):
            fail(f"{p} is not executable")
    share = os.path.join(root, "usr/share")
    for app, category in ((GAME_ID, "ArcadeGame"), (EDITOR_ID, "2DGraphics")):
        desktop = os.path.join(share, "applications", app + ".desktop")
        metainfo = os.path.join(share, "metainfo", app + ".metainfo.xml")
        for command in (["desktop-file-validate", desktop],
                        ["appstreamcli", "validate", "--no-net", metainfo],
                        ["xmllint", "--noout", metainfo]):
            result = run(command)
            if result.returncode != 0 or "error" in result.stdout.lower():
                fail(f"{' '.join(command[:-1])} {app}: {result.stdout}{result.stderr}")
        with open(desktop) as f:
            entry = f.read()
        for line in ("MimeType=application/x-vantor-board;", f"Icon={app}", " %f\n", category,
                     "StartupWMClass="):
            if line not in entry:
                fail(f"{app}.desktop lacks {line!r}")
        # Each screenshot's declared size is the picture's own.
        with open(metainfo) as f:
            shot = re.search(r'width="(\d+)" height="(\d+)">[^<]*/(docs/[\w.-]+)', f.read())
        with open(os.path.join(SOURCE, shot.group(3)), "rb") as f:
            if struct.unpack(">II", f.read(24)[16:24]) != (int(shot[1]), int(shot[2])):
                fail(f"{app}: the screenshot is not {shot[1]} x {shot[2]} pixels")
        for n in SIZES:
            with open(os.path.join(share, f"icons/hicolor/{n}x{n}/apps/{app}.png"), "rb") as f:
                if struct.unpack(">II", f.read(24)[16:24]) != (n, n):
                    fail(f"{app} icon {n}: wrong size")
    result = run(["xmllint", "--noout", os.path.join(share, "mime/packages/vantor-board.xml")])
    if result.returncode != 0:
        fail(f"MIME type: {result.stderr}")
    if shutil.which("man"):
        for page in expected_files():
            if "/man/" in page:
                result = run(["man", "--warnings", "-l", os.path.join(root, page)],
                             env=dict(os.environ, MANWIDTH="80"))
                if result.returncode != 0 or result.stderr or "NAME" not in result.stdout:
                    fail(f"man {page}: {result.stderr}")


def board_bytes(brick):
    """A valid board whose one used cell is painted with the brick index given (its identity
    shows in the stderr line anyway; the bytes differ so that no two boards are the same)."""
    out = bytearray(b"VNTR") + struct.pack("<hii", 1, 2414, 0)
    for cell in range(400):
        out += struct.pack("<hi", -1 if cell == brick else 0, 0)
    return bytes(out + struct.pack("<i", 0) + bytes((brick, 0, 0)) * 450 + bytes(4))


def played(vantor, env, *arguments):
    """The line the game writes about its board; the game is then closed with SIGINT."""
    game = subprocess.Popen([vantor, *arguments], env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True)
    try:
        line = game.stderr.readline()  # the game has its window and handles SIGINT by then
        game.send_signal(signal.SIGINT)
        rest = game.communicate(timeout=120)[1]
    except subprocess.TimeoutExpired:
        game.kill()
        return "the game did not end"
    if game.returncode != 0:
        return f"status {game.returncode}: {line}{rest}"
    return line.strip()


def check_board_order(root, scratch):
    vantor = os.path.join(root, "usr/bin/Vantor")
    installed = os.path.join(root, "usr/share/vantor/default.brd")
    home, data_home, other = (os.path.join(scratch, n) for n in ("home", "data", "other"))
    env = dict(os.environ, SDL_VIDEODRIVER="dummy", HOME=home,
               XDG_DATA_DIRS=f"{other}:{os.path.join(root, 'usr/share')}",
               ASAN_OPTIONS="detect_leaks=0")
    for name in ("DISPLAY", "WAYLAND_DISPLAY", "XDG_DATA_HOME"):
        env.pop(name, None)

    def place(path, brick):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(board_bytes(brick))
        return path

    named = place(os.path.join(scratch, "named board.brd"), 1)
    with_data_home = dict(env, XDG_DATA_HOME=data_home)
    # From the last choice to the first: each new board must win over those already there.
    steps = [("the installed default board", None, installed, env),
             ("the first XDG_DATA_DIRS folder", 2, os.path.join(other, "vantor/board.brd"), env),
             ("~/.local/share", 3, os.path.join(home, ".local/share/vantor/board.brd"), env),
             ("XDG_DATA_HOME", 4, os.path.join(data_home, "vantor/board.brd"), with_data_home),
             ("beside the program", 5, os.path.join(root, "usr/bin/board.brd"), with_data_home)]
    for what, brick, board, environment in steps:
        if brick is not None:
            place(board, brick)
        line = played(vantor, environment)
        if line != f"Vantor: playing {board}":
            fail(f"{what}: {line!r}")
    line = played(vantor, with_data_home, named)
    if line != f"Vantor: playing {named}":
        fail(f"named board: {line!r}")
    os.remove(os.path.join(root, "usr/bin/board.brd"))
    # Data folders that do not name the installation's: its own default board all the same.
    line = played(vantor, dict(env, HOME=scratch, XDG_DATA_DIRS=scratch))
    if line != f"Vantor: playing {installed}":
        fail(f"only the installation's own board: {line!r}")
    os.remove(installed)
    line = played(vantor, dict(env, HOME=scratch, XDG_DATA_DIRS=scratch))
    if not line.endswith("; playing the built-in board"):
        fail(f"no board anywhere: {line!r}")
    for arguments, status, stream in ((["--help"], 0, "stdout"), (["--bogus"], 2, "stderr")):
        result = run([vantor, *arguments], env=env)
        if result.returncode != status or "Usage: Vantor [BOARD.brd]" not in getattr(result,
                                                                                    stream):
            fail(f"Vantor {arguments[0]}: status {result.returncode}")


def check_player_prefix(build, scratch):
    """make install PREFIX=~/.local twice over the player's own board, then make uninstall."""
    prefix = os.path.join(scratch, "player/.local")
    data = os.path.join(prefix, "share/vantor")
    mine = os.path.join(data, "board.brd")
    os.makedirs(data)
    for name, content in (("board.brd", board_bytes(7)), ("bricks.bmp", b"my own sheet")):
        with open(os.path.join(data, name), "wb") as f:
            f.write(content)
    env = dict(os.environ, HOME=os.path.join(scratch, "player"), SDL_VIDEODRIVER="dummy",
               XDG_DATA_DIRS=scratch, ASAN_OPTIONS="detect_leaks=0")
    for name in ("DESTDIR", "DISPLAY", "WAYLAND_DISPLAY", "XDG_DATA_HOME"):
        env.pop(name, None)
    for _ in range(2):
        run(["cmake", "--install", build, "--prefix", prefix], env=env)
    for name, content in (("board.brd", board_bytes(7)), ("bricks.bmp", b"my own sheet")):
        with open(os.path.join(data, name), "rb") as f:
            if f.read() != content:
                fail(f"installing replaced the player's {name}")
    os.remove(mine)
    line = played(os.path.join(prefix, "bin/Vantor"), env)
    if line != f"Vantor: playing {data}/default.brd":
        fail(f"the game installed under ~/.local does not find its default board: {line!r}")
    page = run(["zcat", os.path.join(prefix, "share/man/man6/Vantor.6.gz")]).stdout
    if f"{data}/default.brd" not in page:
        fail("the manual page does not name the installation's default board")
    if shutil.which("update-mime-database") and not os.path.exists(
            os.path.join(prefix, "share/mime/application/x-vantor-board.xml")):
        fail("the MIME cache was not refreshed after installing")
    # Uninstalling keeps what changed since, and what the installation never made.
    with open(os.path.join(data, "default.brd"), "ab") as f:
        f.write(b"edited")
    with open(mine, "wb") as f:
        f.write(b"mine")
    run(["cmake", f"-DRECORD={build}/install_record.txt", "-P",
         os.path.join(SOURCE, "packaging/uninstall.cmake")], env=env)
    left = [f for f in sorted(os.path.relpath(os.path.join(d, f), prefix)
                              for d, _, names in os.walk(prefix) for f in names)
            if not f.endswith(".cache") and not re.match(r"share/mime/(?!packages/)", f)]
    if left != [f"share/vantor/{name}" for name in ("board.brd", "bricks.bmp", "default.brd")]:
        fail(f"uninstalling left {left}")


def check_package(build, scratch):
    result = run(["cpack", "-G", "DEB", "-B", scratch], cwd=build)
    debs = [f for f in os.listdir(scratch) if f.endswith(".deb")]
    if result.returncode != 0 or len(debs) != 1:
        fail(f"cpack: {result.stdout}{result.stderr}")
        return
    deb = os.path.join(scratch, debs[0])
    contents = run(["dpkg-deb", "-c", deb]).stdout
    fields = run(["dpkg-deb", "-f", deb, "Depends", "Section"]).stdout
    for wanted in ["./" + f for f in expected_files()]:
        if wanted not in contents:
            fail(f"the package lacks {wanted}")
    if "libsdl2" not in fields or "libqt6widgets6" not in fields:
        fail(f"the package's dependencies: {fields}")
    if shutil.which("lintian"):
        result = run(["lintian", "--fail-on", "error", deb])
        if result.returncode != 0:
            fail(f"lintian: {result.stdout}")
    else:
        print("lintian is not installed; the package is not checked with it")


def main():
    mode, build = sys.argv[1], os.path.abspath(sys.argv[2])
    with tempfile.TemporaryDirectory(prefix="vantor-install-") as scratch:
        if mode == "package":
            check_package(build, scratch)
        else:
            root = os.path.join(scratch, "root")
            result = run(["cmake", "--install", build, "--prefix", "/usr"],
                         env=dict(os.environ, DESTDIR=root))
            if result.returncode != 0:
                fail(f"cmake --install: {result.stdout}{result.stderr}")
            else:
                check_layout(root)
                check_board_order(root, scratch)
                check_player_prefix(build, scratch)
    if FAILURES:
        sys.exit(1)
    print(f"{mode}: all checks passed")


if __name__ == "__main__":
    main()
