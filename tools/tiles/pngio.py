"""Small palette-PNG reader and writer (standard library only).

Used by the tile art scripts in this folder. Images are lists of rows of
palette indices.
"""
import struct
import zlib

# The 16 colours the game draws with.
GAME_PALETTE = [
    (0, 0, 0), (0, 0, 170), (0, 170, 0), (0, 170, 170),
    (170, 0, 0), (170, 0, 170), (170, 85, 0), (170, 170, 170),
    (85, 85, 85), (85, 85, 255), (85, 255, 85), (85, 255, 255),
    (255, 85, 85), (255, 85, 255), (255, 255, 85), (255, 255, 255),
]

_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def _chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_palette_png(path, rows, palette):
    """Writes rows of indices as a palette PNG (4-bit for <= 16 colours)."""
    height = len(rows)
    width = len(rows[0])
    depth = 4 if len(palette) <= 16 else 8
    raw = bytearray()
    for row in rows:
        raw.append(0)
        if depth == 8:
            raw.extend(row)
        else:
            for x in range(0, width, 2):
                hi = row[x]
                lo = row[x + 1] if x + 1 < width else 0
                raw.append((hi << 4) | lo)
    plte = b"".join(bytes(c) for c in palette)
    data = (_SIGNATURE
            + _chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, 3, 0, 0, 0))
            + _chunk(b"PLTE", plte)
            + _chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + _chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(data)


def read_palette_png(path):
    """Reads a non-interlaced palette PNG: (rows of indices, palette)."""
    with open(path, "rb") as f:
        data = f.read()
    if not data.startswith(_SIGNATURE):
        raise ValueError(f"{path} is not a PNG file")
    pos = 8
    idat = b""
    palette = []
    header = None
    while pos < len(data):
        (length,) = struct.unpack(">I", data[pos:pos + 4])
        kind = data[pos + 4:pos + 8]
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"PLTE":
            palette = [tuple(body[i:i + 3]) for i in range(0, len(body), 3)]
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    width, height, depth, colour_type, _, _, interlace = header
    if colour_type != 3 or interlace != 0 or depth not in (1, 2, 4, 8):
        raise ValueError(f"{path}: only non-interlaced palette PNGs are read here")
    raw = zlib.decompress(idat)
    stride = (width * depth + 7) // 8
    rows = []
    prev = bytearray(stride)
    pos = 0
    for _ in range(height):
        filt = raw[pos]
        line = bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        for i in range(stride):
            a = line[i - 1] if i >= 1 else 0
            b = prev[i]
            c = prev[i - 1] if i >= 1 else 0
            if filt == 1:
                line[i] = (line[i] + a) & 255
            elif filt == 2:
                line[i] = (line[i] + b) & 255
            elif filt == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif filt == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + pred) & 255
        prev = line
        per_byte = 8 // depth
        mask = (1 << depth) - 1
        row = []
        for x in range(width):
            byte = line[x // per_byte]
            shift = 8 - depth * (x % per_byte + 1)
            row.append((byte >> shift) & mask)
        rows.append(row)
    return rows, palette


def scale_rows(rows, factor):
    out = []
    for row in rows:
        wide = [v for v in row for _ in range(factor)]
        out.extend(list(wide) for _ in range(factor))
    return out
