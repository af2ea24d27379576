#!/usr/bin/env python3
"""Writes the board the game's end-to-end check plays, and prints where its bricks are.

Usage: game_make_board.py OUT.brd
Prints one line per used cell: COLUMN ROW RED GREEN BLUE.
"""
import struct
import sys

# Solid bricks, easy to find in a screenshot: (red, green, blue, explosive, unbreakable).
BRICKS = [
    (200, 30, 30, 0, 0),
    (30, 160, 60, -1, 0),
    (40, 60, 200, 0, -1),
]

# (column, row) -> brick index
LAYOUT = {}
for column in range(20):
    LAYOUT[(column, 2)] = 0
for column in range(5, 15):
    LAYOUT[(column, 5)] = 1
LAYOUT[(0, 9)] = 2
LAYOUT[(19, 19)] = 2


def board_bytes():
    out = bytearray(b"VNTR")
    out += struct.pack("<hii", 1, 2414, len(BRICKS) - 1)
    for row in range(20):
        for column in range(20):
            index = LAYOUT.get((column, row))
            out += struct.pack("<hi", -1 if index is not None else 0, index or 0)
    for i, (r, g, b, explosive, unbreakable) in enumerate(BRICKS):
        out += struct.pack("<i", i) + bytes((r, g, b)) * 450
        out += struct.pack("<hh", explosive, unbreakable)
    return bytes(out)


def main():
    with open(sys.argv[1], "wb") as f:
        f.write(board_bytes())
    for (column, row), index in sorted(LAYOUT.items()):
        r, g, b = BRICKS[index][:3]
        print(column, row, r, g, b)


if __name__ == "__main__":
    main()
