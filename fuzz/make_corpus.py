#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

usage: fuzz/make_corpus.py [TILES_DIR [FUZZ_BUILD_DIR]]

The seeds come from the shipped data files (assets/res/*.dat), from tile
files laid out by a build (TILES_DIR, e.g. build/dev/game/tiles), from
recordings of the golden games made by that build's duskwarren-replay
(beside TILES_DIR), from checkpoints of short games written by the fuzz build's
checkpoint_seeds (FUZZ_BUILD_DIR/fuzz, played in the game folder beside
TILES_DIR), and from a few hand-made inputs at the edges of each format.
"""
import os
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
RES = os.path.join(ROOT, "assets", "res")
RS = b"\x1e"


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def res(name):
    with open(os.path.join(RES, name), "rb") as f:
        return f.read()


def tile_header(width, height, first=253):
    return bytes([first, 0, 0, 0, 0, 0, 0]) + struct.pack("<HH", width, height)


def key_value():
    for name in ("party.dat", "spells.dat", "rose.dat", "shops.dat"):
        write("keyvalue", name, res(name))
    write("keyvalue", "lf-only", res("rose.dat").replace(b"\r\n", b"\n"))
    write("keyvalue", "edges", b"a=b=c\r\n=x\r\nKEY=Value\r\nkey=second\r\nno line\r\n"
          b"n= 12abc\r\nm=2.5\r\nq=3.5\r\nbig=1e40\r\nneg=-1e40\r\nnan=NaN\r\n"
          b"huge=99999999999\r\nq2=\"the grey WANDERER\"\r\nlast=1")


# Where the tile target reads its placement (from the end of an input): one
# put at a position near the page, in "pset" mode.
PLACEMENT = b"\x00\x30\x00\x02\x00\x48\x00\x02\x00"


def tiles(tiles_dir):
    if tiles_dir and os.path.isdir(tiles_dir):
        for glyph in (0, 35, 45, 64, 120, 176, 178, 219, 224, 231, 236, 241, 244, 247, 248, 249,
                      253, 254):
            path = os.path.join(tiles_dir, "%03db0808.til" % glyph)
            if os.path.exists(path):
                with open(path, "rb") as f:
                    write("tile", "glyph%03d" % glyph, f.read() + PLACEMENT)
    write("tile", "huge-32767", tile_header(32767, 32767) + b"\xff\x0f\xaa\x55" * 300 + PLACEMENT)
    write("tile", "huge-high-bits", tile_header(0xFFFF, 0xFFFF) + b"\x81" * 64 + PLACEMENT)
    write("tile", "zero", tile_header(0, 0) + b"\xff" * 32 + PLACEMENT)
    write("tile", "quirk-25", tile_header(25, 25) + bytes(range(256)) * 2 + PLACEMENT)
    write("tile", "width-12", tile_header(12, 3) + b"\xff\xf0" * 12 + PLACEMENT)
    write("tile", "wrong-first-byte", tile_header(8, 8, first=252) + b"\xff" * 32 + PLACEMENT)
    write("tile", "truncated", tile_header(8, 8) + b"\xff" * 9 + PLACEMENT)
    write("tile", "header-only", tile_header(8, 8)[:5])


def typed_line():
    for i, text in enumerate((b"12.5", b"13.5", b"abc", b"-7x", b"  42", b"&H7FFFFFFF",
                              b"&hFFFFFFFFFF", b"&O777", b"&B1011", b"&Q1",
                              b"123456789012345678901234567890", b"-1e40", b"1e-400", b"+.5e1",
                              b"12\x08\x083", b"\x1b9\t1")):
        write("typedline", "line%02d" % i, text)


def marked_text():
    icon = lambda b: b"{{" + bytes([b]) + b"}}"
    line1 = b"[" + icon(247) + b"001/" + icon(236) + b"052/" + icon(231) + b"07/" + icon(35) + \
        b"10/" + icon(241) + b"014]"
    line2 = b"[" + icon(248) + b"1234/" + icon(ord("k")) + b"2/" + icon(ord("b")) + b"1]"
    for i, text in enumerate((line1, line2, b"[{{h}}012]", b"{{{}}", b"{{ab}}", b"xx{{k}",
                              b"{{K}}{{k}}{{M}}{{g}}{{H}}{{B}}", b"")):
        # The last two bytes place the text (row, column) when read from the end.
        write("markedtext", "text%02d" % i, text + b"\x07\x01\x05")


def game():
    party, spells, rose, shops = (res(n) for n in ("party.dat", "spells.dat", "rose.dat",
                                                    "shops.dat"))
    walk = b"8888666622224444 8642 " * 3
    spellsKeys = b"wvtphfb+-hhttpp  wwvvff"
    write("game", "shipped-walk", walk + RS + party + RS + spells + RS + rose + RS + shops)
    write("game", "shipped-spells", spellsKeys + walk + RS + party + RS + spells + RS + rose + RS +
          shops)
    write("game", "shipped-restart", b"86~ 42~ 8+" + RS + party + RS + spells + RS + rose + RS +
          shops)
    write("game", "all-missing", walk + b"~ +-")
    write("game", "all-empty", walk + RS + RS + RS + RS)
    lf = lambda data: data.replace(b"\r\n", b"\n")
    write("game", "lf-only", walk + RS + lf(party) + RS + lf(spells) + RS + lf(rose) + RS +
          lf(shops))
    huge = party.replace(b"/Stat/5=4", b"/Stat/5=2000000000").replace(b"/Stat/6=3",
                                                                     b"/Stat/6=-2000000000")
    write("game", "huge-sight", walk + spellsKeys + RS + huge + RS + spells + RS + rose + RS + shops)
    far = b"".join(b"rose(%d,%d)=1000000000\r\n" % (d, j) for d in range(5) for j in (1, 2))
    write("game", "far-rose", walk + RS + party + RS + spells + RS + far + RS + shops)
    huge_floor = b"\xdb" + tile_header(32767, 32767) + b"\x5a" * 600
    write("game", "huge-floor-tile", walk + RS + party + RS + spells + RS + rose + RS + shops + RS +
          huge_floor)
    write("game", "no-hero-tile", walk + RS + party + RS + spells + RS + rose + RS + shops + RS +
          b"x" + tile_header(8, 8, first=0))
    zero = spells.replace(b"spell/905/sas=8 heal", b"spell/905/sas=0 heal")
    write("game", "heal-max-zero", b"hhhhhh" + walk + RS + party + RS + zero + RS + rose + RS + shops)


def fnv_chain(previous, text):
    h = previous
    for b in text:
        h = ((h ^ b) * 16777619) & 0xFFFFFFFF
    return h


def recording_text(lines):
    """Recording lines (without checksums) with their chained checksums."""
    out, chain = b"", 2166136261
    for text in lines:
        chain = fnv_chain(chain, text)
        out += text + b" %08x\n" % chain
    return out


def recordings(tiles_dir):
    game_dir = os.path.dirname(os.path.abspath(tiles_dir)) if tiles_dir else None
    replay = os.path.join(game_dir, "duskwarren-replay") if game_dir else None
    if replay and os.path.exists(replay):
        games = os.path.join(ROOT, "tests", "golden", "games")
        with tempfile.TemporaryDirectory() as work:
            for name in ("spells", "fight-die-switch-restart", "doors-gates"):
                with open(os.path.join(games, name + ".keys")) as f:
                    keys = f.read().strip()
                out = os.path.join(work, name + ".dwrec")
                subprocess.run([replay, "--data", game_dir, "--keys", keys, "--record", out],
                               check=True, stdout=subprocess.DEVNULL)
                with open(out, "rb") as f:
                    data = f.read()
                write("recording", name, data)
            write("recording", "cut", data[:len(data) * 2 // 3 - 5])
    header = b"dwrec 1 game=1.0.0 seed=-5 data=0123456789abcdef"
    write("recording", "window-keys", recording_text([
        header.replace(b"seed=-5", b"seed=-"), b"t 45296.015625", b"t 45296.0703125",
        b"c 12:34:56 12-07-2026", b"k 20", b"k 0048", b"k 0050", b"k 1b", b"e quit"]))
    write("recording", "clock-edges", recording_text([
        header, b"t 0", b"t -0.5", b"t 1e-05", b"t 86399.99999999999", b"t 1.7976931348623157e+308",
        b"c 00:00:60 02-31-0000", b"c 23:59:59 12-01-9999", b"k 00", b"k ff", b"k 0102030405060708"]))
    write("recording", "damaged", recording_text([header, b"k 20", b"k 36"]).replace(b"k 36",
                                                                                   b"k 37"))
    write("recording", "header-only", recording_text([header]))
    # What a recording may claim wrongly, and files that are none at all.
    write("recording", "keys-after-quit", recording_text([
        header, b"t 0", b"k 40", b"k 37", b"k 0d", b"k 1b", b"k 36", b"k 36", b"e quit"]))
    write("recording", "not-a-recording", b"myhost\n")
    write("recording", "cut-in-magic", b"dwr")


def checkpoints(tiles_dir, fuzz_build):
    game_dir = os.path.dirname(os.path.abspath(tiles_dir)) if tiles_dir else None
    seeds = os.path.join(fuzz_build, "fuzz", "checkpoint_seeds") if fuzz_build else None
    folder = os.path.join(HERE, "corpus", "checkpoint")
    os.makedirs(folder, exist_ok=True)
    if game_dir and seeds and os.path.exists(seeds):
        subprocess.run([seeds, game_dir, folder], check=True)
    write("checkpoint", "magic-only", b"dwcp")
    write("checkpoint", "empty-build", b"dwcp\x01\x00\x00\x00\x00\x00\x00\x00" + bytes(8))


def main():
    tiles_dir = sys.argv[1] if len(sys.argv) > 1 else None
    checkpoints(tiles_dir, sys.argv[2] if len(sys.argv) > 2 else None)
    key_value()
    tiles(tiles_dir)
    recordings(tiles_dir)
    typed_line()
    marked_text()
    game()


if __name__ == "__main__":
    main()
