#!/usr/bin/env bash
# Writes the seed corpus: real boards (the default board, the end-to-end board and a few small
# ones with every kind of cell) and real brick sheets in every picture encoding the editor reads.
# The seeds are committed; run this only to make them again.
#
# Usage: fuzz/make-corpus.sh DEFAULT_BOARD.brd
#   DEFAULT_BOARD.brd is the default board (assets/board.brd).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
default_board=${1:?usage: fuzz/make-corpus.sh DEFAULT_BOARD.brd}
boards=$root/fuzz/corpus/board
sheets=$root/fuzz/corpus/sheet
mkdir -p "$boards" "$sheets"

cp "$default_board" "$boards/default.brd"
python3 - "$boards" "$root/tests/e2e" <<'EOF'
import os, struct, sys
out, e2e = sys.argv[1], sys.argv[2]
sys.path.insert(0, e2e)
import game_make_board

def board(cells, bricks, extra=b""):
    """cells: {(column, row): (used, index)}; bricks: [(rgb, explosive, unbreakable)]"""
    data = bytearray(b"VNTR") + struct.pack("<hii", 1, 2414, len(bricks) - 1)
    for row in range(20):
        for column in range(20):
            used, index = cells.get((column, row), (0, 0))
            data += struct.pack("<hi", used, index)
    for i, (rgb, explosive, unbreakable) in enumerate(bricks):
        data += struct.pack("<i", i) + bytes(rgb) * 450 + struct.pack("<hh", explosive, unbreakable)
    return bytes(data) + extra

def write(name, data):
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)

write("e2e.brd", game_make_board.board_bytes())

# Every cell used: in-table, negative and beyond-table indices, Used values other than -1.
cells = {}
for row in range(20):
    for column in range(20):
        kind = (column + row) % 6
        cells[(column, row)] = [(-1, 0), (-1, 1), (-1, -1), (-1, 7), (1, 0), (-1, 0x7FFFFFFF)][kind]
write("full.brd", board(cells, [((200, 30, 30), 0, 0), ((40, 60, 200), 0, -1)]))

# One brick, a few cells, balls placed by the bytes after the table.
write("balls.brd", board({(3, 2): (-1, 0), (10, 10): (-1, 0), (19, 19): (-1, 0)},
                         [((10, 200, 10), -1, 0)],
                         bytes([40, 10, 64, 255, 200, 30, 200, 0, 128, 100, 10, 128])))

# Damaged headers.
good = board({(0, 0): (-1, 0)}, [((1, 2, 3), 0, 0), ((4, 5, 6), 0, 0)])
write("short-by-one.brd", good[:-1])
write("header-13.brd", good[:13])
write("last-minus-one.brd", good[:10] + struct.pack("<i", -1) + good[14:])
write("last-32767.brd", good[:10] + struct.pack("<i", 32767) + good[14:])
EOF

# Sheets: the first three bricks of the default sheet in each encoding.
src=$root/assets/bricks.bmp
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
convert "$src" -crop 90x15+0+0 +repage "$tmp/three.png"
convert "$tmp/three.png" -type TrueColor BMP3:"$sheets/rgb24.bmp"
convert "$tmp/three.png" -type TrueColorAlpha BMP:"$sheets/rgb32.bmp"
convert "$tmp/three.png" -colors 200 -type Palette -compress None BMP3:"$sheets/indexed8.bmp"
convert "$tmp/three.png" -colors 200 -type Palette -compress RLE BMP3:"$sheets/rle8.bmp"
convert "$tmp/three.png" -colors 16 -type Palette -compress None BMP3:"$sheets/indexed4.bmp"
convert "$tmp/three.png" -monochrome -type Bilevel BMP3:"$sheets/mono.bmp"
convert "$tmp/three.png" -type TrueColor -define bmp:subtype=RGB565 BMP:"$sheets/rgb565.bmp"
convert "$tmp/three.png" -flip -type TrueColor BMP3:"$tmp/flipped.bmp"
convert "$tmp/three.png" PNG24:"$sheets/sheet.png"
convert "$tmp/three.png" -colors 64 PNG8:"$sheets/palette.png"
convert "$tmp/three.png" "$sheets/sheet.gif"
convert "$tmp/three.png" -quality 80 "$sheets/sheet.jpg"
convert "$tmp/three.png" "$sheets/sheet.ppm"
convert "$tmp/three.png" -crop 30x15+0+0 +repage "$sheets/one.ico"
convert "$tmp/three.png" -crop 30x15+0+0 +repage -monochrome "$sheets/one.xbm"
convert "$tmp/three.png" -crop 30x15+0+0 +repage -colors 8 "$sheets/one.xpm"
# Top-down: the same 24-bit file with the rows reversed and a negative height.
python3 - "$tmp/flipped.bmp" "$sheets/topdown.bmp" <<'EOF'
import struct, sys
data = bytearray(open(sys.argv[1], "rb").read())
height = struct.unpack_from("<i", data, 22)[0]
struct.pack_into("<i", data, 22, -abs(height))
open(sys.argv[2], "wb").write(data)
EOF
# Pictures that claim huge sizes in a few bytes: a BMP header of 100 000 x 100 000 pixels with
# almost no pixel data, the same as a PNG, and a complete 1-bit PNG of 32768 bricks (983 040 x 15)
# that compresses to a few kilobytes.
python3 - "$sheets" <<'EOF'
import os, struct, sys, zlib
out = sys.argv[1]

def mono_bmp_header(width, height, pixel_bytes):
    offset = 14 + 40 + 8
    header = b"BM" + struct.pack("<IHHI", offset + pixel_bytes, 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 1, 0, pixel_bytes, 2835, 2835, 2, 2)
    return header + info + b"\x00\x00\x00\x00\xff\xff\xff\x00"

def chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data +
            struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

def mono_png(width, height, rows):
    raw = b"".join(b"\x00" + b"\x00" * ((width + 7) // 8) for _ in range(rows))
    ihdr = struct.pack(">IIBBBBB", width, height, 1, 0, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(raw, 9)) +
            chunk(b"IEND", b""))

with open(os.path.join(out, "claims-huge.bmp"), "wb") as f:
    f.write(mono_bmp_header(100000, 100000, 64) + bytes(64))
with open(os.path.join(out, "claims-huge.png"), "wb") as f:
    f.write(mono_png(100000, 100000, 1))
with open(os.path.join(out, "bricks-32768.png"), "wb") as f:
    f.write(mono_png(983040, 15, 15))
EOF
ls -l "$boards" "$sheets"
