#!/usr/bin/env python3
"""Draws the programs' icons from the brick sheet, as PNGs of 16 to 256 pixels.

- the game: a wall of bricks from the sheet on the dark playfield, a ball and the paddle;
- the editor: a large brick from the sheet and a paint brush laying a stroke of its colour.

Each icon is drawn once at 768 x 768 (bricks scaled up pixel for pixel) and reduced to every
size by averaging whole blocks of pixels (768 is a multiple of every size), so small icons stay
smooth without any resampling library.

Usage: scripts/make-icons.py SHEET.bmp OUTDIR
Writes OUTDIR/vantor-N.png and OUTDIR/brickwright-N.png for N in 16 32 48 64 128 256 (the
desktop's sizes) and 192 384 (the web pages' app icons), and
OUTDIR/vantor-64.rgba, the game's 64-pixel icon as plain RGBA rows for its window (SDL reads no
PNG).
"""

import os
import struct
import sys
import zlib

SIZES = (16, 32, 48, 64, 128, 256, 192, 384)
M = 768  # the master size
BW, BH = 30, 15  # one brick of the sheet


def read_sheet(path):
    """The bricks of a 24-bit uncompressed BMP sheet, each a list of 15 rows of (r, g, b)."""
    with open(path, "rb") as f:
        data = f.read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    if bits != 24 or compression != 0 or abs(height) != BH or width % BW:
        sys.exit(f"{path}: expected a 24-bit uncompressed sheet, {BH} pixels high")
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(BH):
        line = y if height < 0 else BH - 1 - y
        base = offset + line * stride
        rows.append([tuple(data[base + 3 * x + 2 - c] for c in range(3)) for x in range(width)])
    return [[row[i * BW:(i + 1) * BW] for row in rows] for i in range(width // BW)]


class Canvas:
    """RGBA, straight alpha, one bytearray per channel."""

    def __init__(self):
        self.ch = [bytearray(M * M) for _ in range(4)]

    def put(self, x, y, rgb, a=255):
        if 0 <= x < M and 0 <= y < M:
            i = y * M + x
            if a >= 255 or self.ch[3][i] == 0:
                for c in range(3):
                    self.ch[c][i] = rgb[c]
                self.ch[3][i] = max(a, self.ch[3][i])
            else:
                for c in range(3):
                    self.ch[c][i] = (rgb[c] * a + self.ch[c][i] * (255 - a)) // 255
                self.ch[3][i] = 255 - (255 - a) * (255 - self.ch[3][i]) // 255

    def rect(self, x0, y0, x1, y1, rgb):
        for y in range(max(0, y0), min(M, y1)):
            for x in range(max(0, x0), min(M, x1)):
                self.put(x, y, rgb)

    def rounded(self, x0, y0, x1, y1, r, rgb):
        for y in range(y0, y1):
            for x in range(x0, x1):
                dx = max(x0 + r - x - 0.5, 0, x + 0.5 - (x1 - r))
                dy = max(y0 + r - y - 0.5, 0, y + 0.5 - (y1 - r))
                if dx * dx + dy * dy <= r * r:
                    self.put(x, y, rgb)

    def brick(self, brick, x0, y0, scale, clip=(0, 0, M, M)):
        for y in range(BH * scale):
            for x in range(BW * scale):
                px, py = x0 + x, y0 + y
                if clip[0] <= px < clip[2] and clip[1] <= py < clip[3]:
                    self.put(px, py, brick[y // scale][x // scale])

    def disc(self, cx, cy, r, shade):
        """A ball lit from the top left: shade(t) gives the colour at t = 0 (lit) .. 1 (dark)."""
        for y in range(int(cy - r), int(cy + r) + 1):
            for x in range(int(cx - r), int(cx + r) + 1):
                dx, dy = x + 0.5 - cx, y + 0.5 - cy
                if dx * dx + dy * dy <= r * r:
                    lx, ly = dx + r * 0.35, dy + r * 0.35
                    t = min(1.0, (lx * lx + ly * ly) ** 0.5 / (1.3 * r))
                    self.put(x, y, shade(t))

    def segment(self, ax, ay, bx, by, width, colour):
        """A thick line with round ends; colour(s) gives the colour at s = 0 (a) .. 1 (b)."""
        vx, vy = bx - ax, by - ay
        length2 = vx * vx + vy * vy
        half = width / 2
        for y in range(int(min(ay, by) - half), int(max(ay, by) + half) + 1):
            for x in range(int(min(ax, bx) - half), int(max(ax, bx) + half) + 1):
                px, py = x + 0.5 - ax, y + 0.5 - ay
                s = max(0.0, min(1.0, (px * vx + py * vy) / length2))
                dx, dy = px - s * vx, py - s * vy
                if dx * dx + dy * dy <= half * half:
                    self.put(x, y, colour(s))

    def reduced(self, size):
        """The canvas averaged down to size x size, alpha-weighted; rows of RGBA bytes."""
        k = M // size
        rows = []
        r, g, b, a = self.ch
        for ty in range(size):
            line = bytearray()
            for tx in range(size):
                sr = sg = sb = sa = 0
                for y in range(ty * k, ty * k + k):
                    i = y * M + tx * k
                    for j in range(i, i + k):
                        w = a[j]
                        if w:
                            sa += w
                            sr += r[j] * w
                            sg += g[j] * w
                            sb += b[j] * w
                if sa:
                    line += bytes((sr // sa, sg // sa, sb // sa, (sa + k * k // 2) // (k * k)))
                else:
                    line += b"\0\0\0\0"
            rows.append(bytes(line))
        return rows


def mix(c, d, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(c, d))


def game_icon(bricks):
    """A wall of bricks on the dark playfield, a ball on its way and the paddle."""
    c = Canvas()
    field = (48, 48, 720, 720)
    c.rounded(*field, 96, (34, 38, 64))
    inner = (field[0] + 36, field[1] + 60, field[2] - 36, field[3] - 36)
    scale = 6  # a brick is 180 x 90
    rows = [(0, 1), (1, 2), (2, 3), (5, 9)]  # sheet bricks of each row: red, orange, yellow, blue
    for row, (first, second) in enumerate(rows):
        y = inner[1] + row * BH * scale
        shift = (row % 2) * BW * scale // 2
        for col in range(-1, 5):
            x = inner[0] - shift + col * BW * scale
            brick = bricks[first if col % 2 == 0 else second]
            c.brick(brick, x, y, scale, inner)
    # Two bricks already gone from the bottom row.
    gone = inner[1] + 3 * BH * scale
    c.rect(inner[0] + 2 * BW * scale - BW * scale // 2, gone, inner[0] + 4 * BW * scale
           - BW * scale // 2, gone + BH * scale, (34, 38, 64))
    c.disc(430, 500, 52, lambda t: mix((255, 255, 255), (150, 160, 190), t))
    c.rounded(210, 618, 558, 666, 20, (236, 236, 240))
    return c


def editor_icon(bricks):
    """A large brick from the sheet and a brush painting a stroke of another brick's colour."""
    c = Canvas()
    brick = bricks[5]  # blue
    scale = 20  # 600 x 300
    x0, y0 = 40, 290
    c.rect(x0 + 16, y0 + 16, x0 + BW * scale + 16, y0 + BH * scale + 16, (0, 0, 0))
    c.ch[3] = bytearray(min(v, 70) for v in c.ch[3])  # its shadow, faint
    c.brick(brick, x0, y0, scale)
    paint = bricks[2][BH // 2][BW // 2]  # yellow
    # The stroke across the brick's face, then the brush: wooden handle, metal ferrule, bristles.
    c.segment(150, 440, 420, 440, 50, lambda s: paint)
    c.segment(720, 150, 560, 310, 58, lambda s: mix((196, 128, 64), (150, 90, 40), s))
    c.segment(560, 310, 490, 380, 70, lambda s: mix((220, 224, 232), (150, 156, 170), s))
    c.segment(490, 380, 430, 440, 62, lambda s: mix((70, 52, 40), paint, min(1.0, s * 1.6)))
    return c


def write_png(path, rows):
    size = len(rows)
    raw = b"".join(b"\0" + row for row in rows)

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6,
                                                                    0, 0, 0))
                + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__.strip().splitlines()[-2])
    bricks = read_sheet(sys.argv[1])
    os.makedirs(sys.argv[2], exist_ok=True)
    for name, draw in (("vantor", game_icon), ("brickwright", editor_icon)):
        canvas = draw(bricks)
        for size in SIZES:
            rows = canvas.reduced(size)
            write_png(os.path.join(sys.argv[2], f"{name}-{size}.png"), rows)
            if name == "vantor" and size == 64:
                with open(os.path.join(sys.argv[2], "vantor-64.rgba"), "wb") as f:
                    f.write(b"".join(rows))


if __name__ == "__main__":
    main()
