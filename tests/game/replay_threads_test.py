#!/usr/bin/env python3
"""vantor-replay gives the same bytes at every thread count, and the same as before the frame
had threads: the README's example, 10 000 balls over 2 000 frames, and 50 000 balls breaking
bricks (enough for the threads to take part), at 1, 2, 3 and 8 threads, against the SHA-256 of
the dumps the single-threaded game printed.

Usage: replay_threads_test.py VANTOR_REPLAY DEFAULT_BOARD.brd
"""
import hashlib
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "e2e"))
from web_replay import README_SCRIPT, many_balls  # noqa: E402

CROWD_SCRIPT = "move 300\n" + "add\n" * 500 + "release\nframes 100\ndump\n"

EXPECTED = [
    ("readme", README_SCRIPT, "7",
     "0ebe3a16aaa2daf7f6eeafea77885e1f3edcf40e1ebde267a31c95decf120e86"),
    ("many", many_balls(), "11",
     "25969f3e8439d19694284742aaae06094a80842bbee97e839fc088934e1f63ca"),
    ("crowd", CROWD_SCRIPT, "5",
     "f1332d5b845b55ed6a67537c4e92ec7b6e033fe8fc2106e0a7c09938f8e56af7"),
]


def main():
    replay, board = sys.argv[1:3]
    failures = 0
    with tempfile.TemporaryDirectory() as work:
        for name, text, seed, expected in EXPECTED:
            script = os.path.join(work, name)
            with open(script, "w") as f:
                f.write(text)
            for threads in ("1", "2", "3", "8"):
                out = subprocess.run([replay, board, script, "--seed", seed, "--threads", threads],
                                     check=True, capture_output=True).stdout
                if hashlib.sha256(out).hexdigest() != expected:
                    print(f"FAIL: the {name} script at {threads} threads", file=sys.stderr)
                    failures += 1
    print("replay: the same dumps at every thread count" if failures == 0 else "")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
