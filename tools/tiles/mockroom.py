#!/usr/bin/env python3
"""Renders a mock play screen and title from the tiles, to look at the art.

    python3 tools/tiles/mockroom.py --tiles build/release/game/tiles out.png
    python3 tools/tiles/mockroom.py --sheet assets/tiles/tilesheet.png out.png

With --tiles it reads the 256 NNNb0808.til files the build made (decoded here
by the tile file format, independently of the game's code); with
--sheet it cuts the tiles from the sheet. The picture is the 320 x 200 screen:
a few rooms with items, monsters, doors, the hero, rock and not-yet-seen
cells, the frame border and the two status lines with their icons, and the
title screen below it, scaled by --scale (default 4, nearest neighbour).
Standard library only.
"""
import argparse
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import pngio  # noqa: E402
from tilesheet import read_font  # noqa: E402

ROOT = pathlib.Path(__file__).resolve().parents[2]

# Map letters of the mock level below -> glyph codes.
CELLS = {
    "#": 176, ".": 219, "?": 249, ">": 247, "-": 45, "L": 254, "G": 35, "B": 178, "W": 177,
    "$": 248, "h": 236, "m": 244, "t": 231, "o": 241,
    "s": 253, "O": 240, "v": 243, "z": 224, "S": 227, "@": 120,
}

# Generated area: rows 2..24, columns 2..39 (38 wide, 23 tall).
LEVEL = """\
??????????????????????????????????????
??????????????????????????????????????
????####################??????????????
????#...$....#......#..#####??????????
????#..h..s..-..O...G...m..#??????????
????#........#......#..o...#??????????
????#..t.....#..$...#......#??????????
????##L#######..@...####W###??????????
?????#...#???#......B..?#..#??????????
?????#.>.#???###-####..?#.S#??????????
?????#.z.#???????#.v.$.?#..#??????????
?????#####???????#..m..?####??????????
?????????????????#######??????????????
??????????????????????????????????????
??????????????????????????????????????
??????????????????????????????????????
??????????????????????????????????????
??????????????????????????????????????
??????????????????????????????????????
??????????????????????????????????????
??????????????????????????????????????
??????????????????????????????????????
??????????????????????????????????????
"""


def decode_til(data):
    """A tile file as the game reads it: rows of colour indices, or None."""
    if not data or data[0] != 253:
        return None
    byte = lambda i: data[i] if i < len(data) else 0  # noqa: E731
    width = (byte(7) | byte(8) << 8) & 0x7FFF
    height = (byte(9) | byte(10) << 8) & 0x7FFF
    out_w, out_h = (24, 24) if (width, height) == (25, 25) else (width, height)
    img = [[0] * out_w for _ in range(out_h)]
    pos = 11
    for y in range(height):
        for p in range(4):
            b = 0
            for x in range(width):
                if x % 8 == 0:
                    b = byte(pos)
                    pos += 1
                if b & 0x80 and x < out_w and y < out_h:
                    img[y][x] ^= 1 << p
                b = (b << 1) & 255
    return img


def load_tiles(args):
    tiles = {}
    if args.sheet:
        rows, _ = pngio.read_palette_png(args.sheet)
        for g in range(256):
            x0, y0 = (g % 16) * 8, (g // 16) * 8
            tiles[g] = [rows[y0 + y][x0:x0 + 8] for y in range(8)]
    else:
        for g in range(256):
            path = pathlib.Path(args.tiles) / ("%03db0808.til" % g)
            tiles[g] = decode_til(path.read_bytes())
    return tiles


class Screen:
    def __init__(self, font, tiles):
        self.px = [[0] * 320 for _ in range(200)]
        self.font, self.tiles = font, tiles

    def put(self, x, y, img):
        if img is None:
            return
        for dy, row in enumerate(img):
            for dx, v in enumerate(row):
                if 0 <= x + dx < 320 and 0 <= y + dy < 200:
                    self.px[y + dy][x + dx] = v

    def char(self, row, col, code, fg, bg):
        for dy, line in enumerate(self.font[code]):
            for dx, bit in enumerate(line):
                self.px[(row - 1) * 8 + dy][(col - 1) * 8 + dx] = fg if bit == "#" else bg

    def border(self):
        for col in range(2, 40):
            self.char(1, col, 196, 3, 0)
            self.char(25, col, 196, 3, 0)
        for row in range(2, 25):
            self.char(row, 1, 179, 3, 0)
            self.char(row, 40, 179, 3, 0)
        self.char(1, 1, 218, 3, 0)
        self.char(1, 40, 191, 3, 0)
        self.char(25, 1, 192, 3, 0)
        self.char(25, 40, 217, 3, 0)

    def marked(self, row, text):
        """Icon mark-up, right-aligned to end in column 39."""
        cells, i = [], 0
        while i < len(text):
            if text[i:i + 2] == b"{{" and text[i + 3:i + 5] == b"}}":
                g = {ord("m"): 244, ord("g"): 248, ord("h"): 236, ord("k"): 231,
                     ord("b"): 231}.get(text[i + 2] | 0x20 if 65 <= text[i + 2] <= 90 else
                                        text[i + 2], text[i + 2])
                cells.append(("icon", g))
                i += 5
            else:
                cells.append(("char", text[i]))
                i += 1
        col = 40 - len(cells)
        for k, (kind, v) in enumerate(cells):
            if kind == "icon":
                self.put((col + k - 1) * 8, (row - 1) * 8, self.tiles[v])
            else:
                self.char(row, col + k, v, 9, 0)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    src = parser.add_mutually_exclusive_group(required=True)
    src.add_argument("--tiles", help="folder of the 256 NNNb0808.til files")
    src.add_argument("--sheet", help="a 128 x 128 tile sheet PNG")
    parser.add_argument("--scale", type=int, default=4)
    parser.add_argument("--crop", help="X,Y,W,H: only this part of the two screens "
                        "(stacked: the title screen starts at y = 204)")
    parser.add_argument("out")
    args = parser.parse_args()
    font, tiles = read_font(), load_tiles(args)

    play = Screen(font, tiles)
    play.border()
    for r, line in enumerate(LEVEL.splitlines()):
        for c, ch in enumerate(line):
            play.put(8 * (c + 2) - 8, 8 * (r + 2) - 8, tiles[CELLS[ch]])
    for col, ch in enumerate(b"Aldric"):
        play.char(1, 3 + col, ch, 9, 0)
    play.marked(1, b"[{{\xf7}}001/{{\xec}}025/{{\xe7}}05/{{#}}04/{{\xf1}}010]")
    play.marked(25, b"[{{g}}120/{{k}}2/{{b}}1]")

    title = Screen(font, tiles)
    title.border()
    for i, ch in enumerate(b" { DUSKWARREN }"):
        if ch > 32:
            title.put(96 + 8 * i, 80, tiles[ch])

    rows = play.px + [[0] * 320 for _ in range(4)] + title.px
    if args.crop:
        x, y, w, h = (int(v) for v in args.crop.split(","))
        rows = [row[x:x + w] for row in rows[y:y + h]]
    palette = list(pngio.GAME_PALETTE)
    pngio.write_palette_png(args.out, pngio.scale_rows(rows, args.scale), palette)
    print(f"wrote {args.out}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
