#!/usr/bin/env python3
"""Builds the game's tile sheet from its text pictures.

    python3 tools/tiles/tilesheet.py               # art.txt -> the two sheets below
    python3 tools/tiles/tilesheet.py --check       # exit 1 if they disagree
    python3 tools/tiles/tilesheet.py --from-sheet  # tilesheet.png -> art.txt

Reads assets/tiles/art.txt (the hand-drawn tiles) and assets/font/cp437-8x8.txt
(every other code: its font glyph in light grey on black) and writes

- assets/tiles/tilesheet.png: 128 x 128, 16 x 16 tiles of 8 x 8, the tile of
  glyph g at column g % 16, row g / 16, a palette PNG of the 16 game colours.
  This is the file the build turns into the 256 tile files (assets/tiles/
  CMakeLists.txt runs duskwarren-tiles split on it).
- docs/tilesheet.png: the same at 4x with a grid and the glyph codes.

Whoever edits tilesheet.png in a paint program instead (keep to the 16
colours) brings art.txt up to date with --from-sheet: it rewrites the
pictures of art.txt from the sheet and adds a picture for every other code
whose tile is no longer its plain font glyph.

Standard library only.
"""
import argparse
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import pngio  # noqa: E402

ROOT = pathlib.Path(__file__).resolve().parents[2]
ART = ROOT / "assets/tiles/art.txt"
FONT = ROOT / "assets/font/cp437-8x8.txt"
SHEET = ROOT / "assets/tiles/tilesheet.png"
DOCS = ROOT / "docs/tilesheet.png"

# One letter per game colour (see the legend at the top of art.txt).
LEGEND = {
    ".": 0, "b": 1, "g": 2, "c": 3, "r": 4, "m": 5, "n": 6, "l": 7,
    "d": 8, "B": 9, "G": 10, "C": 11, "R": 12, "M": 13, "Y": 14, "W": 15,
}
FLOOR_MARK = ","  # the floor tile's own pixel shows through here
FLOOR = 219
FONT_COLOUR = 7  # light grey, for codes without a picture of their own


def read_font():
    glyphs = {}
    current = None
    for line in FONT.read_text().splitlines():
        if not line or line.startswith("#") and not set(line) <= {"#", "."}:
            continue
        if line.startswith("glyph "):
            current = int(line.split()[1])
            glyphs[current] = []
            continue
        glyphs[current].append(line)
    return glyphs


def read_art():
    """Returns {code: (name, rows of 8 strings)} in file order."""
    tiles = {}
    lines = ART.read_text().splitlines()
    i = 0
    while i < len(lines):
        line = lines[i].rstrip()
        i += 1
        if not line or line.startswith("#"):
            continue
        words = line.split()
        if words[0] != "tile" or len(words) < 2:
            sys.exit(f"{ART}:{i}: expected 'tile CODE name', got {line!r}")
        code = int(words[1])
        if not 0 <= code <= 255 or code in tiles:
            sys.exit(f"{ART}:{i}: bad or repeated code {code}")
        rows = [r.rstrip() for r in lines[i:i + 8]]
        for n, r in enumerate(rows):
            if len(r) != 8 or any(ch not in LEGEND and ch != FLOOR_MARK for ch in r):
                sys.exit(f"{ART}:{i + n + 1}: tile {code} row must be 8 legend letters, got {r!r}")
        tiles[code] = (" ".join(words[2:]), rows)
        i += 8
    return tiles


def build_tiles():
    font = read_font()
    art = read_art()
    if FLOOR not in art:
        sys.exit(f"{ART}: the floor tile {FLOOR} is needed")
    floor = [[LEGEND[ch] for ch in row] for row in art[FLOOR][1]]
    tiles = {}
    for code in range(256):
        if code in art:
            rows = art[code][1]
            tiles[code] = [[floor[y][x] if ch == FLOOR_MARK else LEGEND[ch]
                            for x, ch in enumerate(row)] for y, row in enumerate(rows)]
        else:
            tiles[code] = [[FONT_COLOUR if ch == "#" else 0 for ch in row] for row in font[code]]
    return tiles, art


LETTERS = {v: k for k, v in LEGEND.items()}


def art_from_sheet():
    """Rewrites art.txt from tilesheet.png; returns the codes changed."""
    rows, _ = pngio.read_palette_png(SHEET)
    if len(rows) != 128 or any(len(r) != 128 for r in rows):
        sys.exit(f"{SHEET} must be 128 x 128 pixels")
    if any(v > 15 for r in rows for v in r):
        sys.exit(f"{SHEET} uses palette entries beyond the 16 game colours")
    cut = lambda g: [rows[(g // 16) * 8 + y][(g % 16) * 8:(g % 16) * 8 + 8]  # noqa: E731
                     for y in range(8)]
    font = read_font()
    art = read_art()
    floor = cut(FLOOR)
    text = ART.read_text().splitlines()
    changed = []
    out = []
    i = 0
    while i < len(text):
        line = text[i]
        words = line.split()
        if words[:1] == ["tile"] and len(words) >= 2 and int(words[1]) in art:
            code = int(words[1])
            old = art[code][1]
            tile = cut(code)
            new = []
            for y in range(8):
                new.append("".join(
                    FLOOR_MARK if old[y][x] == FLOOR_MARK and tile[y][x] == floor[y][x]
                    and code != FLOOR else LETTERS[tile[y][x]] for x in range(8)))
            if new != old:
                changed.append(code)
            out.append(line)
            out.extend(new)
            i += 9
            continue
        out.append(line)
        i += 1
    added = []
    for code in range(256):
        if code in art:
            continue
        plain = [[FONT_COLOUR if ch == "#" else 0 for ch in row] for row in font[code]]
        tile = cut(code)
        if tile != plain:
            added.append(code)
            out += ["", f"tile {code} (from the sheet)"]
            out += ["".join(LETTERS[v] for v in row) for row in tile]
    ART.write_text("\n".join(out).rstrip() + "\n")
    return changed, added


def sheet_rows(tiles):
    rows = [[0] * 128 for _ in range(128)]
    for code, tile in tiles.items():
        x0, y0 = (code % 16) * 8, (code // 16) * 8
        for y in range(8):
            for x in range(8):
                rows[y0 + y][x0 + x] = tile[y][x]
    return rows


def docs_rows(tiles, art, font):
    """4x sheet with a grid; each cell shows the code, drawn tiles in yellow."""
    grid, label, label_art, panel = 16, 17, 18, 19
    palette = list(pngio.GAME_PALETTE) + [(70, 70, 110), (150, 150, 170), (255, 220, 120),
                                          (28, 28, 44)]
    scale, pad, label_h = 4, 2, 10
    cell_w, cell_h = 8 * scale + 2 * pad, 8 * scale + 2 * pad + label_h
    width, height = 16 * cell_w + 1, 16 * cell_h + 1
    rows = [[panel] * width for _ in range(height)]
    for code, tile in tiles.items():
        cx, cy = (code % 16) * cell_w, (code // 16) * cell_h
        for x in range(cx, cx + cell_w + 1):
            rows[cy][x] = grid
            rows[cy + cell_h][x] = grid
        for y in range(cy, cy + cell_h + 1):
            rows[y][cx] = grid
            rows[y][cx + cell_w] = grid
        for y in range(8 * scale):
            for x in range(8 * scale):
                rows[cy + pad + y][cx + pad + x] = tile[y // scale][x // scale]
        text = "%03d" % code
        colour = label_art if code in art else label
        tx = cx + (cell_w - 24) // 2
        ty = cy + 2 * pad + 8 * scale
        for i, ch in enumerate(text):
            for y, line in enumerate(font[ord(ch)]):
                for x, bit in enumerate(line):
                    if bit == "#":
                        rows[ty + y][tx + 8 * i + x] = colour
    return rows, palette


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--check", action="store_true",
                        help="exit 1 when assets/tiles/tilesheet.png differs from art.txt")
    parser.add_argument("--from-sheet", action="store_true",
                        help="rewrite art.txt from assets/tiles/tilesheet.png")
    args = parser.parse_args()
    if args.from_sheet:
        changed, added = art_from_sheet()
        print(f"art.txt: {len(changed)} pictures changed {changed}, {len(added)} added {added}")
        tiles, art = build_tiles()
        DOCS.parent.mkdir(parents=True, exist_ok=True)
        doc, palette = docs_rows(tiles, art, read_font())
        pngio.write_palette_png(DOCS, doc, palette)
        return 0
    tiles, art = build_tiles()
    rows = sheet_rows(tiles)
    if args.check:
        current, _ = pngio.read_palette_png(SHEET)
        if current != rows:
            differ = sorted({(y // 8) * 16 + x // 8 for y in range(128) for x in range(128)
                             if current[y][x] != rows[y][x]})
            print(f"{SHEET} and {ART} disagree on glyphs {differ}: run "
                  f"tools/tiles/tilesheet.py (art -> sheet) or with --from-sheet (sheet -> art)")
            return 1
        print("tile sheet matches the art")
        return 0
    pngio.write_palette_png(SHEET, rows, pngio.GAME_PALETTE)
    DOCS.parent.mkdir(parents=True, exist_ok=True)
    doc, palette = docs_rows(tiles, art, read_font())
    pngio.write_palette_png(DOCS, doc, palette)
    print(f"wrote {SHEET.relative_to(ROOT)} and {DOCS.relative_to(ROOT)}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
