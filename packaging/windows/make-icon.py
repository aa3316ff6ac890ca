#!/usr/bin/env python3
"""Writes packaging/windows/duskwarren.ico, the icon of the Windows game and
its shortcuts, from the icons a Linux build draws (packaging/CMakeLists.txt:
the hero's tile at 16, 32, 48, 64, 128 and 256 pixels). Each picture goes
in as the PNG it is (an icon may hold PNGs since Windows Vista), so the
icon is small and pixel for pixel the same. Run it again when the hero's
tile changes:

    cmake --preset ci && cmake --build --preset ci --target duskwarren_icons
    packaging/windows/make-icon.py [build/ci/packaging/icons]
"""
import os
import struct
import sys

SIZES = (16, 32, 48, 64, 128, 256)
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def read_png(path, size):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != PNG_SIGNATURE or data[12:16] != b"IHDR":
        sys.exit(f"{path}: not a PNG")
    width, height = struct.unpack(">II", data[16:24])
    if (width, height) != (size, size):
        sys.exit(f"{path}: {width} x {height}, not {size} x {size}")
    return data


def icon(pngs):
    """The .ico file: a header, one directory entry per picture, the PNGs."""
    header = struct.pack("<HHH", 0, 1, len(pngs))
    offset = len(header) + 16 * len(pngs)
    entries, images = b"", b""
    for size, data in pngs:
        side = 0 if size == 256 else size  # 0 stands for 256
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data), offset)
        images += data
        offset += len(data)
    return header + entries + images


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
    icons = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "build/ci/packaging/icons")
    pngs = []
    for size in SIZES:
        path = os.path.join(icons, f"{size}x{size}", "duskwarren.png")
        if not os.path.isfile(path):
            sys.exit(f"no {path}: build the target duskwarren_icons first")
        pngs.append((size, read_png(path, size)))
    out = os.path.join(root, "packaging/windows/duskwarren.ico")
    with open(out + ".tmp", "wb") as f:
        f.write(icon(pngs))
    os.replace(out + ".tmp", out)
    print(f"{os.path.normpath(out)}: {os.path.getsize(out)} bytes, {len(pngs)} pictures")


if __name__ == "__main__":
    main()
