"""Minimal, deterministic writers for the picture formats the program embeds.

Only what the artwork needs: PNG (RGBA or RGB, 8 bits per channel, no
ancillary chunks) and Windows BMP (24-bit colour and 1-bit monochrome, bottom-up,
BITMAPINFOHEADER). Pixels are given as rows of tuples, top row first.
"""

import struct
import zlib

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def _png_chunk(kind, payload):
    body = kind + payload
    return struct.pack(">I", len(payload)) + body + struct.pack(">I", zlib.crc32(body))


def png_bytes(rows, alpha=True):
    """Encode rows of (r, g, b[, a]) tuples as a PNG with only IHDR, IDAT and IEND."""
    height = len(rows)
    width = len(rows[0])
    channels = 4 if alpha else 3
    raw = bytearray()
    for row in rows:
        if len(row) != width:
            raise ValueError("ragged rows")
        raw.append(0)  # filter type None: simple, and the rings compress well anyway
        for pixel in row:
            raw.extend(pixel[:channels])
    header = struct.pack(">IIBBBBB", width, height, 8, 6 if alpha else 2, 0, 0, 0)
    return (PNG_SIGNATURE
            + _png_chunk(b"IHDR", header)
            + _png_chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + _png_chunk(b"IEND", b""))


def _bmp_file(width, height, bits, palette, pixel_data):
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0,
                       len(pixel_data), 2835, 2835, len(palette) // 4, 0)
    offset = 14 + len(info) + len(palette)
    head = struct.pack("<2sIHHI", b"BM", offset + len(pixel_data), 0, 0, offset)
    return head + info + palette + pixel_data


def bmp24_bytes(rows):
    """Encode rows of (r, g, b) tuples as a bottom-up 24-bit BMP."""
    height = len(rows)
    width = len(rows[0])
    pad = b"\0" * ((4 - (width * 3) % 4) % 4)
    data = bytearray()
    for row in reversed(rows):
        for r, g, b in row:
            data.extend((b, g, r))
        data.extend(pad)
    return _bmp_file(width, height, 24, b"", bytes(data))


def bmp1_bytes(rows):
    """Encode rows of 0/1 values as a bottom-up 1-bit BMP with palette (black, white)."""
    height = len(rows)
    width = len(rows[0])
    stride = ((width + 31) // 32) * 4
    data = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, bit in enumerate(row):
            if bit:
                line[x // 8] |= 0x80 >> (x % 8)
        data.extend(line)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    return _bmp_file(width, height, 1, palette, bytes(data))


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)
