#!/usr/bin/env python3
"""Draws the default brick sheet: a row of 30 x 15 bricks written as a 24-bit uncompressed BMP.

Every brick has a raised bevel (light top and left edges, dark bottom and right edges), a soft
vertical gradient and a glossy band near the top. A few have a look of their own: riveted steel
for the unbreakable brick, hazard stripes for the explosive one, a shine for gold.

Usage: scripts/make-bricks.py [OUT.bmp]   (default: assets/bricks.bmp beside this script)
"""

import os
import struct
import sys

W, H = 30, 15

# (name, base colour, style)
BRICKS = [
    ("red", (214, 48, 49), "plain"),
    ("orange", (240, 134, 36), "plain"),
    ("yellow", (246, 206, 52), "plain"),
    ("green", (76, 180, 72), "plain"),
    ("teal", (32, 176, 170), "plain"),
    ("blue", (52, 120, 222), "plain"),
    ("violet", (132, 82, 204), "plain"),
    ("pink", (232, 90, 160), "plain"),
    ("ice", (178, 222, 240), "plain"),
    ("steel", (138, 146, 158), "steel"),
    ("gold", (222, 172, 40), "gold"),
    ("hazard", (40, 40, 44), "hazard"),
]


def clamp(v):
    return max(0, min(255, int(round(v))))


def mix(c, other, t):
    return tuple(clamp(a + (b - a) * t) for a, b in zip(c, other))


def scale(c, f):
    return tuple(clamp(a * f) for a in c)


WHITE = (255, 255, 255)
BLACK = (0, 0, 0)


def body(base, style, x, y):
    """The brick's face inside the bevel."""
    # Light from above: a little brighter at the top, darker at the bottom.
    t = y / (H - 1)
    c = scale(base, 1.10 - 0.22 * t)
    if style == "hazard":
        # Yellow and black stripes leaning to the right, four pixels wide.
        if ((x + y) // 4) % 2 == 0:
            c = scale((250, 196, 30), 1.08 - 0.2 * t)
    if style == "gold":
        # A diagonal shine across the face.
        d = abs((x - 2 * y) - 4)
        if d < 3:
            c = mix(c, WHITE, 0.55 - 0.15 * d)
    # The glossy band.
    if y in (3, 4) and style != "hazard":
        c = mix(c, WHITE, 0.22 if y == 3 else 0.12)
    if style == "steel":
        # Brushed metal: faint horizontal streaks, and a rivet near each end.
        c = scale(c, 1.0 + (0.05 if (y * 7 + x // 5) % 3 == 0 else -0.02))
        for rx in (5, W - 6):
            dx, dy = x - rx, y - H // 2
            if abs(dx) <= 1 and abs(dy) <= 1 and abs(dx) + abs(dy) < 2 or (dx, dy) == (1, 1):
                # A round rivet head lit from the top left.
                if dx + dy < 0:
                    c = mix(base, WHITE, 0.6)
                elif dx + dy > 0:
                    c = mix(base, BLACK, 0.5)
                else:
                    c = mix(base, WHITE, 0.15)
    return c


def pixel(base, style, x, y):
    # Distance to each edge decides the bevel: the nearest edge wins, top and left on ties so
    # the light corner is top-left.
    top, left, bottom, right = y, x, H - 1 - y, W - 1 - x
    nearest = min(top, left, bottom, right)
    if nearest == 0:
        if bottom == 0 or right == 0:
            return mix(base, BLACK, 0.55)
        return mix(base, WHITE, 0.60)
    if nearest == 1:
        if bottom == 1 or right == 1:
            return mix(base, BLACK, 0.30)
        return mix(base, WHITE, 0.32)
    return body(base, style, x, y)


def sheet_rows():
    """Rows of (r, g, b) top first."""
    rows = []
    for y in range(H):
        row = []
        for _, base, style in BRICKS:
            for x in range(W):
                row.append(pixel(base, style, x, y))
        rows.append(row)
    return rows


def write_bmp(path, rows):
    width, height = len(rows[0]), len(rows)
    stride = (width * 3 + 3) & ~3
    image = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        image += line
    header_size = 14 + 40
    file_header = struct.pack("<2sIHHI", b"BM", header_size + len(image), 0, 0, header_size)
    info_header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(image),
                              2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(file_header + info_header + image)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "assets", "bricks.bmp")
    write_bmp(out, sheet_rows())
    print(f"wrote {out}: {len(BRICKS)} bricks, {len(BRICKS) * W} x {H} pixels")


if __name__ == "__main__":
    main()
