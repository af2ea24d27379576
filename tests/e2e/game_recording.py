#!/usr/bin/env python3
"""A game recorded under Xvfb and replayed.

The real Vantor plays with --record and --dump under a private Xvfb, driven by real pointer
movements, clicks, held arrow keys and M (kept in the settings file), until its window is closed; vantor-replay then runs the
recording to the very dump the game printed at exit, and so does Vantor --replay in a window
(SDL's dummy video driver) once it says the replay has ended. A damaged recording is refused
with its line, and a recording that cannot be written stops the game before it starts.

Usage: game_recording.py VANTOR VANTOR_REPLAY
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import editor_x11 as x11  # noqa: E402  the shared Xvfb and xdotool helpers
import game_make_board  # noqa: E402

LEFT, TOP = 8, 8  # the playfield in the window


def fail(message):
    print("FAIL:", message, file=sys.stderr)
    sys.exit(1)


def record(folder, env, recording):
    game = subprocess.Popen([os.path.join(folder, "Vantor"), "--record", recording, "--dump"],
                            cwd=folder, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            text=True)
    try:
        window = x11.find_window("(Form1|Fps: [0-9]+)")
        x11.xdotool("mousemove", "--window", window, LEFT + 200, TOP + 350)
        x11.xdotool("click", "--window", window, "3")
        x11.xdotool("click", "--window", window, "1")
        x11.xdotool("keydown", "--window", window, "Right")
        time.sleep(0.3)
        x11.xdotool("keyup", "--window", window, "Right")
        x11.xdotool("key", "--window", window, "Return", "space", "m")
        time.sleep(1.0)
        x11.close_window(window)
        out, err = game.communicate(timeout=120)
    except (RuntimeError, subprocess.TimeoutExpired) as e:
        game.kill()
        fail(f"recording: {e}\n{game.communicate()[1]}")
    if game.returncode != 0 or not out.startswith("frame "):
        fail(f"recording: status {game.returncode}, dump {out[:80]!r}\n{err}")
    return out


def replay_in_window(folder, env, recording):
    """Vantor --replay under the dummy video driver: the dump it prints at exit, asked for with
    SIGTERM once it reports that the replay has ended."""
    env = dict(env, SDL_VIDEODRIVER="dummy")
    env.pop("DISPLAY", None)
    game = subprocess.Popen([os.path.join(folder, "Vantor"), "--replay", recording, "--dump"],
                            cwd=folder, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            text=True)
    deadline = time.monotonic() + 60
    for line in game.stderr:
        if "the replay has ended" in line or time.monotonic() > deadline:
            break
    game.send_signal(signal.SIGTERM)
    try:
        out, err = game.communicate(timeout=120)
    except subprocess.TimeoutExpired:
        game.kill()
        fail("Vantor --replay did not end")
    if game.returncode != 0:
        fail(f"Vantor --replay: status {game.returncode}\n{err}")
    return out


def refused(folder, env, arguments, message):
    env = dict(env, SDL_VIDEODRIVER="dummy")
    env.pop("DISPLAY", None)
    result = subprocess.run([os.path.join(folder, "Vantor"), *arguments], cwd=folder, env=env,
                            capture_output=True, text=True, timeout=60)
    if result.returncode != 1 or message not in result.stderr:
        fail(f"Vantor {' '.join(arguments)}: status {result.returncode}, {result.stderr!r}")


def main():
    vantor, replay = sys.argv[1:3]
    with tempfile.TemporaryDirectory(prefix="vantor-recording-") as folder:
        shutil.copy2(vantor, os.path.join(folder, "Vantor"))
        with open(os.path.join(folder, "board.brd"), "wb") as f:
            f.write(game_make_board.board_bytes())
        recording = os.path.join(folder, "game.txt")
        # A home of its own, so no settings file of the machine's user is read or written.
        env = dict(os.environ, HOME=folder, XDG_CONFIG_HOME=os.path.join(folder, "config"),
                   SDL_AUDIODRIVER="dummy")
        env.pop("SDL_VIDEODRIVER", None)
        with x11.private_display("1280x1024x24"):
            played = record(folder, dict(env, DISPLAY=os.environ["DISPLAY"]), recording)
        # M switched the sound off, for the next game too; the recording does not hold it.
        with open(os.path.join(folder, "config", "vantor", "vantor.conf")) as f:
            if f.read() != "sound = off\n":
                fail("M did not leave 'sound = off' in the settings file")
        result = subprocess.run([replay, recording], capture_output=True, text=True, timeout=120)
        if result.returncode != 0 or result.stdout != played:
            fail(f"vantor-replay: status {result.returncode}, {result.stderr}\n"
                 f"game:   {played[:200]!r}\nreplay: {result.stdout[:200]!r}")
        if replay_in_window(folder, env, recording) != played:
            fail("Vantor --replay ended in another state than the game")
        with open(recording) as f:
            lines = f.read().splitlines()
        damaged = os.path.join(folder, "damaged.txt")
        with open(damaged, "w") as f:
            f.write("\n".join(lines[:3] + ["frames twelve"] + lines[3:]) + "\n")
        refused(folder, env, ["--replay", damaged],
                "damaged.txt: line 4: frames needs a whole number")
        refused(folder, env, ["--record", os.path.join(folder, "no", "game.txt")],
                "game.txt: cannot write the recording: No such file or directory")
        frames = played.split()[1]
        print(f"a game of {frames} frames recorded under Xvfb replays to the same dump")


if __name__ == "__main__":
    main()
