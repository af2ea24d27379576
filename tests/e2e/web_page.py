#!/usr/bin/env python3
"""The game's web page in headless Chromium, driven through the DevTools protocol over a pipe.

The default board's bricks stand on the canvas pixel for pixel; the paddle follows the pointer;
a right click adds balls that a left release frees and that clear bricks, and sounds play from the
first click on; P pauses and resumes (a board loaded while paused stays paused); a dropped bad
board, a file larger than any board and a folder show their messages and the game goes on; the
arrow keys and a gamepad's stick steer. A board from ?board= plays, and Copy link's address opens
the game on it, while a damaged link or one whose board the game refuses shows why and the
default board plays; fingers steer, add balls and release them; full screen; the page installs
as an app, a new build replaces its offline copy, and with the server stopped the page plays
from that copy. No frame rate: that is bench/'s business.

Usage: web_page.py WEB_DIR BRDTOOL BOARD.brd   (exit 77: no Chromium or no browser build)
"""
import base64
import json
import os
import re
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import time
import zlib

from game_make_board import board_bytes

SKIP = 77
LARGEST_BOARD = 2414 + 1358 * 32767
CHROMIUM = shutil.which("chromium") or shutil.which("chromium-browser")


def fail(message):
    print("FAIL:", message, file=sys.stderr)
    sys.exit(1)


class Page:
    """One tab, commands and answers as NUL-terminated JSON on fds 3 and 4."""

    def __init__(self, url):
        to_browser, self.out = os.pipe()
        self.inp, from_browser = os.pipe()
        for fd in (to_browser, from_browser):
            os.set_inheritable(fd, True)

        def pipes():
            os.dup2(to_browser, 3)
            os.dup2(from_browser, 4)

        self.profile = tempfile.mkdtemp(prefix="vantor-web-")
        self.proc = subprocess.Popen(
            [CHROMIUM, "--headless=new", "--no-sandbox", "--disable-gpu",
             "--remote-debugging-pipe", "--window-size=800,600",
             "--user-data-dir=" + self.profile, url],
            preexec_fn=pipes, close_fds=False, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        os.close(to_browser)
        os.close(from_browser)
        self.buffer = b""
        self.next_id = 0
        self.session = None
        deadline = time.time() + 60
        while time.time() < deadline:
            pages = [t for t in self.call("Target.getTargets")["targetInfos"]
                     if t["type"] == "page"]
            if pages:
                break
            time.sleep(0.2)
        self.session = self.call("Target.attachToTarget", targetId=pages[0]["targetId"],
                                 flatten=True)["sessionId"]

    def call(self, method, **params):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params}
        if self.session and not method.startswith("Target."):
            message["sessionId"] = self.session
        os.write(self.out, json.dumps(message).encode() + b"\0")
        while True:
            while b"\0" not in self.buffer:
                chunk = os.read(self.inp, 1 << 20)
                if not chunk:
                    fail("Chromium went away")
                self.buffer += chunk
            raw, self.buffer = self.buffer.split(b"\0", 1)
            answer = json.loads(raw)
            if answer.get("id") == self.next_id:
                if "error" in answer:
                    fail(f"{method}: {answer['error']}")
                return answer["result"]

    def eval(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, awaitPromise=True,
                           returnByValue=True)
        if "exceptionDetails" in result:
            fail(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def at(self, x, y):
        """The page point over playfield pixel (x, y), whatever the canvas's scale."""
        return self.eval(f"""(r => [r.left + ({x} + 0.5) * r.width / 600,
                                    r.top + ({y} + 0.5) * r.height / 480])
                             (Module.canvas.getBoundingClientRect())""")

    def mouse(self, kind, x, y, button="none", buttons=0):
        x, y = self.at(x, y)
        self.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button=button,
                  buttons=buttons, clickCount=1 if kind != "mouseMoved" else 0)

    def click(self, button, x, y):
        mask = {"left": 1, "right": 2}[button]
        self.mouse("mousePressed", x, y, button, mask)
        self.mouse("mouseReleased", x, y, button, 0)

    def key_p(self):
        for kind in ("keyDown", "keyUp"):
            self.call("Input.dispatchKeyEvent", type=kind, key="p", code="KeyP",
                      windowsVirtualKeyCode=80, text="p" if kind == "keyDown" else "")

    def key(self, kind, code, virtual):
        self.call("Input.dispatchKeyEvent", type=kind, key=code, code=code,
                  windowsVirtualKeyCode=virtual)

    def pixels(self, height=480):
        """The canvas's top rows as RGB bytes."""
        values = self.eval(f"""Array.from(Module.canvas.getContext('2d')
            .getImageData(0, 0, 600, {height}).data.filter((v, i) => i % 4 != 3))""")
        return bytes(values)

    def drop(self, name, data):
        """Drops a file named name holding data (a JavaScript expression) onto the page."""
        self.eval(f"""(() => {{
            const data = new DataTransfer();
            data.items.add(new File([{data}], {json.dumps(name)}));
            document.dispatchEvent(new DragEvent('drop', {{dataTransfer: data}}));
        }})()""")

    def drop_folder(self, path):
        """Drops a real folder, as the browser hands it over from a file manager."""
        for kind in ("dragEnter", "dragOver", "drop"):
            self.call("Input.dispatchDragEvent", type=kind, x=300, y=300,
                      data={"items": [], "files": [path], "dragOperationsMask": 1})

    def touch(self, kind, *fingers):
        """A touch event for fingers (id, x, y): touchEnd lifts the fingers it names."""
        points = [dict(zip(("x", "y"), self.at(x, y)), id=i) for i, x, y in fingers]
        self.call("Input.dispatchTouchEvent", type=kind, touchPoints=points)

    def goto(self, url):
        """Loads url afresh; waits until its game runs."""
        self.call("Page.navigate", url=url)
        wait_for(f"{url} starts", lambda: self.eval(
            f"location.href == {json.dumps(url)} && document.title.startsWith('Fps: ')"))

    def close(self):
        self.proc.kill()
        self.proc.wait()
        shutil.rmtree(self.profile, ignore_errors=True)


def wait_for(what, check, seconds=60):
    deadline = time.time() + seconds
    while time.time() < deadline:
        value = check()
        if value:
            return value
        time.sleep(0.1)
    fail(what)


def render(brdtool, board, work):
    """The board's bricks as the game draws them at start, the playfield's top 300 rows in RGB."""
    png = os.path.join(work, "board.png")
    subprocess.run([brdtool, "render", board, png], check=True, stdout=subprocess.DEVNULL)
    return subprocess.run(["convert", png, "-depth", "8", "rgb:-"], check=True,
                          capture_output=True).stdout


def link_data(data):
    """What a board link's fragment holds for these bytes."""
    return base64.urlsafe_b64encode(zlib.compress(data)).decode().rstrip("=")


def noisy_board(bricks=30):
    """A good board whose bricks are noise, which no link can hold."""
    out = bytearray(board_bytes()[:2414])
    out[10:14] = struct.pack("<i", bricks - 1)
    for index in range(bricks):
        out += struct.pack("<i", index) + os.urandom(1350) + bytes(4)
    return base64.b64encode(out).decode()


def main():
    web_dir, brdtool, board = sys.argv[1:4]
    if CHROMIUM is None or not os.path.exists(os.path.join(web_dir, "Vantor.wasm")):
        print("SKIP: needs chromium and the browser build (make web)")
        return SKIP
    work = tempfile.mkdtemp(prefix="vantor-web-")
    expected = render(brdtool, board, work)
    other = os.path.join(work, "other.brd")
    with open(other, "wb") as f:
        f.write(board_bytes())
    expected_other = render(brdtool, other, work)
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        port = s.getsockname()[1]
    # The site: a copy of the page's files in web/ (a new build replaces some), a board beside
    # it for ?board=.
    site = os.path.join(work, "web")
    shutil.copytree(web_dir, site, ignore=lambda folder, names: [
        n for n in names if os.path.isdir(os.path.join(folder, n)) and n != "icons"])
    page_url = f"http://127.0.0.1:{port}/web/index.html"
    server = subprocess.Popen([sys.executable, "-m", "http.server", str(port), "--bind",
                               "127.0.0.1"], cwd=work, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
    page = None
    try:
        wait_for("the server starts", lambda: socket.socket().connect_ex(("127.0.0.1", port)) == 0)
        page = Page(page_url)
        wait_for("the game starts", lambda: page.eval("document.title").startswith("Fps: "))
        if page.pixels(300) != expected:
            fail("the bricks on the canvas differ from the default board")

        row = 440 * 600 * 3

        def paddle_at(x):
            return page.pixels()[row + (x - 40) * 3: row + (x + 40) * 3] == bytes(80 * 3)

        def paddle_follows(x):
            # Moved again while waiting: a message that wraps the bar rescales the playfield.
            wait_for(f"the paddle follows the pointer to x {x}",
                     lambda: page.mouse("mouseMoved", x, 300) or paddle_at(x))

        paddle_follows(100)

        page.mouse("mouseMoved", 300, 300)
        page.click("right", 300, 300)
        page.click("left", 300, 300)
        wait_for("the freed balls clear bricks", lambda: page.pixels(300) != expected)

        page.key_p()
        wait_for("P pauses", lambda: page.eval("document.title") == "Paused")
        still = page.pixels()
        time.sleep(0.5)
        if page.pixels() != still:
            fail("the paused game still draws")
        # A board loaded while paused is drawn from the start, and the game stays paused.
        with open(board, "rb") as f:
            page.drop("board.brd", f"Uint8Array.from(atob('{base64.b64encode(f.read()).decode()}'),"
                      " c => c.charCodeAt(0))")
        wait_for("the board loaded while paused is drawn", lambda: page.pixels(300) == expected)
        loaded = page.pixels()
        time.sleep(0.5)
        if page.eval("document.title") != "Paused" or page.pixels() != loaded:
            fail("loading a board while paused resumed the game")
        page.key_p()
        wait_for("P resumes", lambda: page.pixels() != loaded)

        os.mkdir(os.path.join(work, "folder.brd"))
        for name, drop, message in (
                ("bad.brd", lambda: page.drop("bad.brd", "new Uint8Array(100)"), "bad.brd: "),
                ("a file larger than any board",
                 lambda: page.drop("big.brd", f"new Uint8Array({LARGEST_BOARD + 1})"),
                 f"big.brd: file is {LARGEST_BOARD + 1} bytes, more than the largest board "
                 f"({LARGEST_BOARD} bytes)"),
                ("a folder", lambda: page.drop_folder(os.path.join(work, "folder.brd")),
                 "folder.brd: is a folder, not a board file")):
            drop()
            wait_for(f"{name}: the message shows",
                     lambda: page.eval("document.getElementById('message').textContent")
                     .startswith(message))
        paddle_follows(500)  # the game goes on

        wait_for("the released balls sound", lambda: page.eval("Module.vantorEffectsStarted") > 0)
        page.key("keyDown", "ArrowLeft", 37)
        wait_for("the left arrow steers the paddle to the wall", lambda: paddle_at(40))
        page.key("keyUp", "ArrowLeft", 37)
        page.eval("""(() => {
            const pad = {index: 0, axes: [1, 0], buttons: Array.from({length: 16},
                                                                      () => ({pressed: false}))};
            navigator.getGamepads = () => [pad];
            window.dispatchEvent(new Event('gamepadconnected'));
        })()""")
        wait_for("a gamepad's stick steers the paddle to the other wall", lambda: paddle_at(560))

        # A board from the site, and Copy link's address for it, which opens the game on it.
        copy_link = ("navigator.clipboard.writeText = t => Promise.resolve(window.copied = t);"
                     "document.getElementById('copyLink').click()")
        page.goto(f"{page_url}?board=../other.brd")
        wait_for("the board from ?board= plays", lambda: page.pixels(300) == expected_other)
        page.eval(copy_link)
        link = wait_for("Copy link gives a link", lambda: page.eval("window.copied"))
        if not link.startswith(page_url + "#board="):
            fail(f"Copy link gave {link}")
        page.goto(link.replace("#", "?visit=link#"))
        wait_for("the linked board plays", lambda: page.pixels(300) == expected_other)

        # Fingers: one steers, a second one's tap adds balls, lifting the first frees them.
        page.touch("touchStart", (0, 100, 300))
        wait_for("a finger moves the paddle", lambda: paddle_at(100))
        page.touch("touchMove", (0, 450, 300))
        wait_for("the paddle follows the finger", lambda: paddle_at(450))
        page.touch("touchStart", (0, 450, 300), (1, 200, 200))
        page.touch("touchEnd", (1, 200, 200))
        page.touch("touchEnd", (0, 450, 300))
        wait_for("the balls a tap added clear bricks", lambda: page.pixels(300) != expected_other)

        page.drop("noisy.brd", f"Uint8Array.from(atob('{noisy_board()}'), c => c.charCodeAt(0))")
        wait_for("Copy link says to share a board too large for a link", lambda: page.eval(
            copy_link) or page.eval("document.getElementById('message').textContent")
            .endswith("share its .brd file instead"))

        data = link.split("#board=")[1]
        middle = len(data) // 2
        damaged = data[:middle] + ("A" if data[middle] != "A" else "B") + data[middle + 1:]
        for visit, data, message in (
                ("damaged", damaged, "board link: the link is damaged"),
                ("foreign", "board*link", "board link: the link is damaged"),
                ("long", "A" * 40000, "board link: the link is longer than 32768 characters"),
                ("refused", link_data(b"VNTR" + bytes(10)),
                 "board link: file is 14 bytes, but its header announces 1 brick")):
            page.goto(f"{page_url}?visit={visit}#board={data}")
            wait_for(f"a {visit} link shows why",
                     lambda: page.eval("document.getElementById('message').textContent")
                     .startswith(message))
            wait_for(f"the default board plays after a {visit} link",
                     lambda: page.pixels(300) == expected)

        page.call("Runtime.evaluate", expression="document.getElementById('fullScreen').click()",
                  userGesture=True)
        wait_for("full screen", lambda: page.eval("document.getElementById('fullScreen')"
                                                  ".textContent == 'Leave full screen'"))

        # The app: installable, and its offline copy plays with the server gone.
        if page.call("Page.getInstallabilityErrors")["installabilityErrors"]:
            fail(f"not installable: {page.call('Page.getInstallabilityErrors')}")
        wait_for("the offline copy is kept", lambda: page.eval(
            "caches.keys().then(k => k.length == 1 && !!navigator.serviceWorker.controller)"))
        with open(os.path.join(site, "service_worker.js")) as f:
            worker = f.read()
        with open(os.path.join(site, "service_worker.js"), "w") as f:
            f.write(re.sub(r"'vantor-[0-9a-f]+'", "'vantor-next'", worker))
        page.goto(f"{page_url}?visit=update")
        wait_for("a new build's copy replaces the old one",
                 lambda: page.eval("caches.keys()") == ["vantor-next"])
        server.kill()
        server.wait()
        page.goto(f"{page_url}?visit=offline")
        wait_for("the offline copy plays the default board", lambda: page.pixels(300) == expected)
    finally:
        if page:
            page.close()
        server.kill()
        shutil.rmtree(work, ignore_errors=True)
    print("web page: all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
