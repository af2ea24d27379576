#!/usr/bin/env python3
"""The game's web page in headless Chromium with many balls in flight: reports the "Fps: " title.

Right-button releases (a hundred balls each) are queued on the page the way its pointer handler
queues them, then a left release frees them all, and the title is read once a second while they
fly.

Usage: bench/web_fps_check.py [BALLS...]   (after make web; default 100000)
Prints one line per ball count: the count, the four readings, and the milliseconds the game
itself ran per frame (between the loop's waits, drawing to the canvas included), which does not
depend on how busy the rest of the machine keeps the browser.
"""
import os
import re
import socket
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
from web_page import Page, wait_for  # noqa: E402


def rates(page, balls):
    page.eval("location.reload()")
    time.sleep(1)
    wait_for("the game starts", lambda: page.eval("document.title").startswith("Fps: "), 30)
    page.eval(f"""(() => {{
        const wait = Module.vantorWait;
        let resumed = performance.now();
        Module.busy = 0;
        Module.vantorWait = (ms) => {{
            Module.busy += performance.now() - resumed;
            return wait(ms).then(() => {{ resumed = performance.now(); }});
        }};
        Module._vantor_pointer(0, 0, 0, 300, 200);
        for (let i = 0; i < {balls // 100}; ++i) Module._vantor_pointer(2, 2, 0, 300, 200);
        Module._vantor_pointer(2, 1, 0, 300, 200);
    }})()""")
    readings = []
    busy = []
    for _ in range(5):
        time.sleep(1.0)
        readings.append(page.eval("document.title"))
        busy.append(page.eval("(b => (Module.busy = 0, b))(Module.busy)"))
    rates = [int(m.group(1)) if m else 0
             for m in (re.fullmatch(r"Fps: (\d+)", r) for r in readings[1:])]
    frames = max(sum(rates), 1)
    return rates, round(sum(busy[1:]) / frames, 2)


def main():
    counts = [int(a) for a in sys.argv[1:]] or [100000]
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        port = s.getsockname()[1]
    server = subprocess.Popen([sys.executable, "-m", "http.server", str(port), "--bind",
                               "127.0.0.1"], cwd=os.path.join(ROOT, "build", "web"),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(0.5)
    page = Page(f"http://127.0.0.1:{port}/index.html")
    try:
        for balls in counts:
            readings, work = rates(page, balls)
            print(f"{balls} balls: {readings}, {work} ms of work a frame", flush=True)
    finally:
        page.close()
        server.kill()
    return 0


if __name__ == "__main__":
    sys.exit(main())
