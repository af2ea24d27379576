#!/usr/bin/env python3
"""The browser build plays the same game: vantor-replay built for WebAssembly and run with node
prints the same bytes as the native one, for the README's example and for 10 000 balls over
2 000 frames with dumps along the way.

Usage: web_replay.py NATIVE_REPLAY WASM_REPLAY.js BOARD.brd   (exit 77: no node or no build)
"""
import os
import shutil
import subprocess
import sys
import tempfile

README_SCRIPT = """# two hundred and one balls against the default board
move 300
add
add
release
frames 500
dump
"""


def many_balls():
    lines = []
    for k in range(100):
        lines += [f"move {100 + (k * 37) % 400}.5", "add", "release", "frames 5"]
    lines += ["frames 500", "dump"] * 3
    return "\n".join(lines) + "\nkey P\nframes 10\nkey P\nframes 1\ndump\n"


def main():
    native, wasm, board = sys.argv[1:4]
    node = shutil.which("node") or shutil.which("nodejs")
    if node is None or not os.path.exists(wasm):
        print("SKIP: needs node and the browser build (make web)")
        return 77
    with tempfile.TemporaryDirectory() as work:
        for name, text, seed in (("readme", README_SCRIPT, "7"), ("many", many_balls(), "11")):
            script = os.path.join(work, name)
            with open(script, "w") as f:
                f.write(text)
            args = [board, script, "--seed", seed]
            want = subprocess.run([native] + args, check=True, capture_output=True).stdout
            got = subprocess.run([node, wasm] + args, check=True, capture_output=True).stdout
            if got != want or not want:
                print(f"FAIL: the {name} script's dumps differ", file=sys.stderr)
                return 1
    print("web replay: the same dumps")
    return 0


if __name__ == "__main__":
    sys.exit(main())
