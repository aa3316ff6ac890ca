#!/usr/bin/env python3
"""Writes the pictures of the player's guide (docs/glyphs/*.png) from tiles.

    python3 tools/tiles/glyphs.py [--tiles build/release/game/tiles]
                                  [--out docs/glyphs] [--scale 4] [--check]

Reads the NNNb0808.til files the build made (decoded by the tile file
format, as tools/tiles/mockroom.py does) and writes each glyph a player
meets as an 8 x 8 picture enlarged by whole pixels (default 4, so 32 x 32),
named NNN-name.png. Run it after a change to the tile sheet and commit the
pictures with docs/playing.md. With --check it writes nothing and exits 1
when a picture in --out differs from the tiles. Standard library only.
"""
import argparse
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import pngio  # noqa: E402
from mockroom import decode_til  # noqa: E402

ROOT = pathlib.Path(__file__).resolve().parents[2]

# Every glyph the map, the hero and the status lines show, with its file name.
GLYPHS = [
    (120, "hero"), (219, "floor"), (176, "rock"), (249, "unseen"), (247, "stairs"),
    (45, "open-door"), (254, "locked-door"), (35, "gate"), (178, "block-wall"),
    (248, "gold"), (236, "hp-potion"), (244, "mp-potion"), (231, "treasure"),
    (241, "mystic-orb"),
    (253, "snake"), (240, "orc"), (243, "viperess"), (224, "zombie"), (227, "shadow"),
    (107, "key-icon"), (98, "bomb-icon"),
]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--tiles", default=str(ROOT / "build/release/game/tiles"))
    parser.add_argument("--out", default=str(ROOT / "docs/glyphs"))
    parser.add_argument("--scale", type=int, default=4)
    parser.add_argument("--check", action="store_true",
                        help="compare the pictures in --out with the tiles; write nothing")
    args = parser.parse_args()
    if not 1 <= args.scale <= 32:
        parser.error("--scale must be 1..32")
    out = pathlib.Path(args.out)
    if not args.check:
        out.mkdir(parents=True, exist_ok=True)
    stale = []
    for code, name in GLYPHS:
        path = pathlib.Path(args.tiles) / ("%03db0808.til" % code)
        try:
            tile = decode_til(path.read_bytes())
        except OSError as error:
            sys.exit(f"glyphs.py: cannot read {path}: {error.strerror} (build the game first)")
        if tile is None or len(tile) != 8 or any(len(row) != 8 for row in tile):
            sys.exit(f"glyphs.py: {path} is not an 8 x 8 tile")
        rows = []
        for row in tile:
            wide = [c for c in row for _ in range(args.scale)]
            rows.extend(list(wide) for _ in range(args.scale))
        picture = out / ("%03d-%s.png" % (code, name))
        if args.check:
            try:
                shown, palette = pngio.read_palette_png(picture)
            except (OSError, ValueError):
                shown, palette = None, None
            if shown != rows or palette[:16] != pngio.GAME_PALETTE:
                stale.append(picture.name)
        else:
            pngio.write_palette_png(picture, rows, pngio.GAME_PALETTE)
    if args.check:
        if stale:
            sys.exit(f"glyphs.py: {', '.join(stale)} differ from the tiles in {args.tiles}; "
                     "run python3 tools/tiles/glyphs.py and commit docs/glyphs/")
        print(f"the {len(GLYPHS)} pictures in {out} match the tiles")
        return
    print(f"wrote {len(GLYPHS)} pictures to {out}")


if __name__ == "__main__":
    main()
