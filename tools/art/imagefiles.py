"""Minimal, deterministic writers for the picture formats the program embeds.

Only what the artwork needs: PNG (RGBA or RGB, 8 bits per channel, no
ancillary chunks), Windows BMP (24-bit colour and 1-bit monochrome, bottom-up,
BITMAPINFOHEADER) and Windows icons (32-bit images with alpha, the largest as
PNG). A PNG reader takes back what rsvg-convert renders. Pixels are given as
rows of tuples, top row first.
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


def _paeth(left, up, up_left):
    estimate = left + up - up_left
    near_left, near_up, near_corner = abs(estimate - left), abs(estimate - up), abs(estimate - up_left)
    if near_left <= near_up and near_left <= near_corner:
        return left
    return up if near_up <= near_corner else up_left


def png_rows(data):
    """Decodes a non-interlaced 8-bit RGBA or RGB PNG into rows of (r, g, b, a)."""
    if data[:8] != PNG_SIGNATURE:
        raise ValueError("not a PNG")
    pos, header, compressed = 8, None, bytearray()
    while pos < len(data):
        length, kind = struct.unpack_from(">I4s", data, pos)
        if kind == b"IHDR":
            header = struct.unpack_from(">IIBBBBB", data, pos + 8)
        elif kind == b"IDAT":
            compressed += data[pos + 8:pos + 8 + length]
        pos += 12 + length
    width, height, depth, colour_type, _, _, interlace = header
    if depth != 8 or colour_type not in (2, 6) or interlace:
        raise ValueError("only 8-bit, non-interlaced RGB or RGBA")
    step = 4 if colour_type == 6 else 3
    stride = width * step
    raw = zlib.decompress(bytes(compressed))
    rows, above = [], bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            left = line[i - step] if i >= step else 0
            corner = above[i - step] if i >= step else 0
            line[i] = (line[i] + (0, left, above[i], (left + above[i]) >> 1,
                                  _paeth(left, above[i], corner))[kind]) & 255
        rows.append([tuple(line[x:x + step]) + ((255,) if step == 3 else ())
                     for x in range(0, stride, step)])
        above = line
    return rows


def _icon_bitmap(rows):
    """One icon image as a device-independent bitmap: BITMAPINFOHEADER with
    twice the height, bottom-up BGRA pixels, then the 1-bit AND mask, which
    marks as transparent every pixel less than half opaque (what a system
    that draws icons without alpha uses)."""
    size = len(rows)
    colour = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            colour.extend((b, g, r, a))
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, pixel in enumerate(row):
            if pixel[3] < 128:
                line[x // 8] |= 0x80 >> (x % 8)
        mask.extend(line)
    info = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return info + bytes(colour) + bytes(mask)


def ico_bytes(images):
    """An icon file of square RGBA images, in the order given: each below 256
    pixels as a 32-bit bitmap with its mask, the 256-pixel one as a PNG (which
    the icon format allows from Windows Vista on, and keeps the file small)."""
    bodies = [png_bytes(rows) if len(rows) >= 256 else _icon_bitmap(rows) for rows in images]
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = len(head) + 16 * len(images)
    entries = b""
    for rows, body in zip(images, bodies):
        side = len(rows) if len(rows) < 256 else 0  # 0 stands for 256
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(body), offset)
        offset += len(body)
    return head + entries + b"".join(bodies)


def ico_images(data):
    """The images of an icon file as RGBA rows, in file order: 32-bit bitmaps
    and PNGs, as ico_bytes writes them."""
    count = struct.unpack_from("<H", data, 4)[0]
    images = []
    for k in range(count):
        _, _, _, _, _, bits, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * k)
        body = data[offset:offset + length]
        if body[:8] == PNG_SIGNATURE:
            images.append(png_rows(body))
            continue
        size = struct.unpack_from("<i", body, 4)[0]
        if bits != 32:
            raise ValueError("only 32-bit icon bitmaps")
        start, stride = 40, 4 * size
        rows = []
        for y in reversed(range(size)):
            line = body[start + y * stride:start + (y + 1) * stride]
            rows.append([(r, g, b, a) for b, g, r, a in struct.iter_unpack("4B", line)])
        images.append(rows)
    return images


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)
