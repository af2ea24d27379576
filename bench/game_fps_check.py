#!/usr/bin/env python3
"""The real Vantor under Xvfb with many balls in flight (100 000 unless told): reports the
"Fps: " caption the game shows.

Right clicks on the playfield add the balls on the paddle, a hundred a click, a left click
releases them, and the caption is read once a second while they fly (the first ones come back
down to the bottom edge after about three seconds).

Usage: xvfb-run -a -s "-screen 0 1280x1024x24" bench/game_fps_check.py VANTOR [BALLS] [ARG...]
(ARG... goes to Vantor, e.g. --threads 1). Exit status 0 when every reading after the release
lies between 95 and 105.
"""
import os
import re
import subprocess
import sys
import time


def xdotool(*args):
    return subprocess.run(["xdotool", *args], check=True, capture_output=True,
                          text=True).stdout.strip()


def caption(window):
    return xdotool("getwindowname", window)


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    vantor = os.path.abspath(sys.argv[1])
    balls = int(sys.argv[2]) if len(sys.argv) > 2 else 100_000
    clicks = (balls + 99) // 100
    game = subprocess.Popen([vantor, *sys.argv[3:]], cwd=os.path.dirname(vantor),
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    try:
        window = xdotool("search", "--sync", "--onlyvisible", "--name", "Form1|Fps")
        window = window.splitlines()[0]
        # A point of the playfield well above the paddle.
        xdotool("mousemove", "--window", window, "300", "200")
        time.sleep(0.5)
        print(f"before: {caption(window)!r}")
        start = time.time()
        xdotool("click", "--repeat", str(clicks), "--delay", "2", "3")
        print(f"{clicks} right clicks in {time.time() - start:.1f} s: {caption(window)!r}")
        time.sleep(1.5)
        xdotool("click", "1")
        released = time.time()
        readings = []
        for _ in range(4):
            time.sleep(1.0)
            text = caption(window)
            readings.append(text)
            print(f"{time.time() - released:4.1f} s after the release: {text!r}")
        rates = [int(m.group(1)) for m in (re.fullmatch(r"Fps: (\d+)", r) for r in readings)
                 if m]
        ok = len(rates) == len(readings) and all(95 <= r <= 105 for r in rates)
        print("PASS" if ok else "FAIL", rates)
        return 0 if ok else 1
    finally:
        game.terminate()
        try:
            game.wait(timeout=10)
        except subprocess.TimeoutExpired:
            game.kill()


if __name__ == "__main__":
    sys.exit(main())
