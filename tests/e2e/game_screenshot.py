#!/usr/bin/env python3
"""Takes the README's picture of Vantor in play: the default board, a few hundred balls in
flight, under a private Xvfb.

Usage: game_screenshot.py VANTOR OUT.png
VANTOR is a built game with the default board.brd beside it.
"""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import editor_x11 as x11  # noqa: E402


def shows_paddle(path):
    row = subprocess.run(["convert", path, "-crop", "600x1+8+448", "-depth", "8", "rgb:-"],
                         capture_output=True, check=True, timeout=20).stdout
    return b"\x00\x00\x00" * 40 in row


def main():
    vantor, out = sys.argv[1], os.path.abspath(sys.argv[2])
    with x11.private_display("1024x768x24"):
        game = subprocess.Popen([vantor], env=dict(os.environ))
        try:
            window = x11.find_window("(Form1|Fps: [0-9]+)")
            x11.xdotool("mousemove", "--window", window, 8 + 220, 8 + 400)
            for _ in range(3):
                x11.xdotool("click", "--window", window, 3)
            x11.xdotool("click", "--window", window, 1)
            time.sleep(1.2)
            x11.xdotool("mousemove", "--window", window, 8 + 330, 8 + 400)
            time.sleep(0.6)
            # A destroyed brick shows the board without balls and paddle until the frame's own
            # refresh a moment later; take the picture again if it caught that moment.
            for _ in range(20):
                subprocess.run(["import", "-window", str(window), out], check=True, timeout=20)
                if shows_paddle(out):
                    break
                time.sleep(0.05)
        finally:
            game.terminate()
            game.wait(timeout=10)
    print("wrote", out)


if __name__ == "__main__":
    main()
