"""Checks the committed art files for what the program relies on when it embeds
and draws them: formats, sizes, image counts, masks and the shadow ring alphas.

Run from anywhere: python3 tests/assets/test_artwork.py
"""

import os
import struct
import sys
import unittest
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
ART = os.path.join(ROOT, "assets", "art")
TOOLS = os.path.join(ROOT, "tools", "art")


def read(name):
    with open(os.path.join(ART, name), "rb") as f:
        return f.read()


# --- decoders -------------------------------------------------------------

def png_chunks(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    pos, chunks = 8, []
    while pos < len(data):
        length, kind = struct.unpack_from(">I4s", data, pos)
        payload = data[pos + 8:pos + 8 + length]
        crc = struct.unpack_from(">I", data, pos + 8 + length)[0]
        if zlib.crc32(kind + payload) != crc:
            raise ValueError("bad CRC in %r" % kind)
        chunks.append((kind, payload))
        pos += 12 + length
    return chunks


def png_rgba(data):
    """Decodes an 8-bit RGBA PNG (any filter types) into rows of (r, g, b, a)."""
    chunks = png_chunks(data)
    width, height, depth, colour_type = struct.unpack(">IIBB", chunks[0][1][:10])
    if (depth, colour_type) != (8, 6):
        raise ValueError("not 8-bit RGBA")
    raw = zlib.decompress(b"".join(p for k, p in chunks if k == b"IDAT"))
    stride, bpp = width * 4, 4
    rows, previous, pos = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[pos], bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        for i in range(stride):
            left = line[i - bpp] if i >= bpp else 0
            up, up_left = previous[i], previous[i - bpp] if i >= bpp else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - up_left
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - up_left)
                pred = left if pa <= pb and pa <= pc else up if pb <= pc else up_left
                line[i] = (line[i] + pred) & 255
        rows.append([tuple(line[x * 4:x * 4 + 4]) for x in range(width)])
        previous = line
    return rows


def bmp(data):
    """Decodes an uncompressed 24-bit or 1-bit BMP. Returns (info, palette, rows);
    rows hold (r, g, b) tuples or palette indices, top row first."""
    if data[:2] != b"BM":
        raise ValueError("not a BMP")
    file_size, _, _, offset = struct.unpack_from("<IHHI", data, 2)
    keys = ("size", "width", "height", "planes", "bits", "compression", "image_size", "xppm", "yppm", "used", "important")
    info = dict(zip(keys, struct.unpack_from("<IiiHHIIiiII", data, 14)))
    info["file_size"] = file_size
    info["actual_size"] = len(data)
    palette_count = info["used"] or (1 << info["bits"] if info["bits"] <= 8 else 0)
    palette = [tuple(data[54 + 4 * i:54 + 4 * i + 3][::-1]) for i in range(palette_count)]
    width, height, bits = info["width"], abs(info["height"]), info["bits"]
    stride = ((width * bits + 31) // 32) * 4
    rows = []
    for y in range(height):
        stored = height - 1 - y if info["height"] > 0 else y
        line = data[offset + stored * stride:offset + (stored + 1) * stride]
        if bits == 24:
            rows.append([(line[3 * x + 2], line[3 * x + 1], line[3 * x]) for x in range(width)])
        elif bits == 1:
            rows.append([(line[x // 8] >> (7 - x % 8)) & 1 for x in range(width)])
        else:
            raise ValueError("unexpected bit depth %d" % bits)
    return info, palette, rows


def jpeg_segments(data):
    """Marker segments from SOI up to and including SOS: a list of (marker, payload)."""
    if data[:2] != b"\xff\xd8":
        raise ValueError("not a JPEG")
    pos, segments = 2, []
    while pos < len(data):
        if data[pos] != 0xFF:
            raise ValueError("lost marker sync at %d" % pos)
        marker = data[pos + 1]
        length = struct.unpack_from(">H", data, pos + 2)[0]
        segments.append((marker, data[pos + 4:pos + 2 + length]))
        pos += 2 + length
        if marker == 0xDA:
            break
    return segments


# --- the background -------------------------------------------------------

class BackgroundJpegTest(unittest.TestCase):
    """The picture at 1x and the same drawing at 2x for high-dpi screens."""
    FILES = {"background.jpg": ((770, 445), 200000), "background_2x.jpg": ((1540, 890), 400000)}

    def each_file(self, check):
        for name, (size, limit) in self.FILES.items():
            with self.subTest(name=name):
                data = read(name)
                segments = jpeg_segments(data)
                check(data, segments, [m for m, _ in segments], size, limit)

    def test_is_baseline_of_its_size_with_three_8_bit_components(self):
        def check(data, segments, markers, size, limit):
            frames = [(m, p) for m, p in segments if 0xC0 <= m <= 0xCF and m not in (0xC4, 0xC8, 0xCC)]
            self.assertEqual([m for m, _ in frames], [0xC0], "exactly one frame, baseline (SOF0)")
            precision, height, width, components = struct.unpack_from(">BHHB", frames[0][1])
            self.assertEqual((width, height), size)
            self.assertEqual(precision, 8)
            self.assertEqual(components, 3)
        self.each_file(check)

    def test_carries_no_metadata(self):
        def check(data, segments, markers, size, limit):
            self.assertNotIn(0xE1, markers, "EXIF/XMP segment")
            self.assertNotIn(0xFE, markers, "comment segment")
            self.assertFalse(any(0xE2 <= m <= 0xEF for m in markers), "profile or vendor segment")
        self.each_file(check)

    def test_stream_is_complete_and_of_a_sensible_size(self):
        def check(data, segments, markers, size, limit):
            self.assertEqual(data[-2:], b"\xff\xd9")
            self.assertEqual(markers[-1], 0xDA)
            self.assertGreater(len(data), 40000, "suspiciously small: picture content missing?")
            self.assertLess(len(data), limit, "too large to embed comfortably")
        self.each_file(check)


# --- the slider strips ----------------------------------------------------

STRIPS = {"bar_light": (60, 1), "bar_dark": (60, 1), "arrows": (15, 8), "thumb": (10, 16)}
HEIGHT = 13
# Each strip at 1x and, for high-dpi screens, at 2x: the file name's suffix.
SCALES = {1: "", 2: "_2x"}


def load_strip(stem):
    colour_info, _, colour = bmp(read(stem + ".bmp"))
    mask_info, palette, mask = bmp(read(stem + "_mask.bmp"))
    return colour_info, colour, mask_info, palette, mask


def cells(stem, scale=1):
    """The strip's images as (colour rows, mask rows) pairs, left to right."""
    _, colour, _, _, mask = load_strip(stem + SCALES[scale])
    width, count = STRIPS[stem]
    width *= scale
    return [([row[i * width:(i + 1) * width] for row in colour], [row[i * width:(i + 1) * width] for row in mask])
            for i in range(count)]


def column(rows, x):
    return [row[x] for row in rows]


def luminance(rgb):
    r, g, b = rgb
    return 0.299 * r + 0.587 * g + 0.114 * b


def mean_opaque(cell, fn):
    colour, mask = cell
    values = [fn(c) for crow, mrow in zip(colour, mask) for c, m in zip(crow, mrow) if not m]
    return sum(values) / len(values)


class StripFormatTest(unittest.TestCase):
    def each_strip(self, check):
        for stem in STRIPS:
            for scale, suffix in SCALES.items():
                with self.subTest(strip=stem + suffix):
                    check(stem, scale, *load_strip(stem + suffix))

    def test_colour_and_mask_bitmaps_have_the_strip_size(self):
        def check(stem, scale, colour_info, colour, mask_info, palette, mask):
            width, count = STRIPS[stem]
            for info in (colour_info, mask_info):
                self.assertEqual(info["size"], 40, "BITMAPINFOHEADER")
                self.assertEqual((info["width"], info["height"]), (width * count * scale, HEIGHT * scale),
                                 "bottom-up, full size")
                self.assertEqual((info["planes"], info["compression"]), (1, 0))
                self.assertEqual(info["file_size"], info["actual_size"])
            self.assertEqual(colour_info["bits"], 24)
            self.assertEqual(mask_info["bits"], 1)
            self.assertEqual(palette, [(0, 0, 0), (255, 255, 255)], "mask palette black, white")
        self.each_strip(check)

    def test_transparent_pixels_are_black_so_and_then_or_composites(self):
        def check(stem, scale, colour_info, colour, mask_info, palette, mask):
            for y in range(HEIGHT * scale):
                for x, bit in enumerate(mask[y]):
                    if bit:
                        self.assertEqual(colour[y][x], (0, 0, 0), "pixel (%d, %d)" % (x, y))
        self.each_strip(check)

    def test_every_image_has_a_shape_and_a_transparent_outline(self):
        for stem in STRIPS:
            for scale in SCALES:
                for i, (colour, mask) in enumerate(cells(stem, scale)):
                    if stem == "thumb" and i % 4 == 1:
                        continue  # the thumb's middle piece is a solid slice of its body
                    with self.subTest(strip=stem, scale=scale, image=i):
                        flat = [bit for row in mask for bit in row]
                        self.assertIn(0, flat, "image has no opaque pixel")
                        self.assertIn(1, flat, "image has no transparent pixel")


class BarTest(unittest.TestCase):
    def test_middle_columns_are_uniform_so_the_bar_stretches(self):
        for stem in ("bar_light", "bar_dark"):
            for scale in SCALES:
                with self.subTest(bar=stem, scale=scale):
                    colour, mask = cells(stem, scale)[0]
                    for x in range(6 * scale, 54 * scale):
                        self.assertEqual(column(colour, x), column(colour, 6 * scale), "colour column %d" % x)
                        self.assertEqual(column(mask, x), column(mask, 6 * scale), "mask column %d" % x)

    def test_ends_are_rounded_within_six_pixels(self):
        for stem in ("bar_light", "bar_dark"):
            with self.subTest(bar=stem):
                _, mask = cells(stem)[0]
                opaque_rows = [y for y in range(HEIGHT) if 0 in mask[y]]
                top, bottom = opaque_rows[0], opaque_rows[-1]
                for x in (0, 59):
                    self.assertEqual(mask[top][x], 1, "corner (%d, %d) should be cut off" % (x, top))
                    self.assertEqual(mask[bottom][x], 1, "corner (%d, %d) should be cut off" % (x, bottom))
                middle = (top + bottom) // 2
                self.assertEqual(mask[middle][0], 0, "end reaches the strip edge")

    def test_track_is_light_and_fill_is_darker_green(self):
        light = mean_opaque(cells("bar_light")[0], luminance)
        dark_cell = cells("bar_dark")[0]
        self.assertGreater(light, 170)
        self.assertLess(mean_opaque(dark_cell, luminance), light - 60)
        self.assertGreater(mean_opaque(dark_cell, lambda c: c[1] - c[2]), 30, "fill bar should be olive green")


class ArrowTest(unittest.TestCase):
    @staticmethod
    def mark_columns(cell):
        """x of every pixel of the pale, unsaturated arrow mark on the green button."""
        colour, mask = cell
        return [x for y in range(HEIGHT) for x in range(len(colour[0]))
                if not mask[y][x] and luminance(colour[y][x]) > 130 and max(colour[y][x]) - min(colour[y][x]) < 50]

    def test_images_0_to_3_point_left_and_4_to_7_point_right(self):
        # A triangle's mass lies toward its base, away from its tip.
        for i, cell in enumerate(cells("arrows")):
            with self.subTest(image=i):
                xs = self.mark_columns(cell)
                self.assertGreaterEqual(len(xs), 6, "arrow mark missing")
                where = (sum(xs) / len(xs) - min(xs)) / float(max(xs) - min(xs))
                if i < 4:
                    self.assertGreater(where, 0.55)
                else:
                    self.assertLess(where, 0.45)

    def test_the_four_looks_of_each_button_differ(self):
        images = cells("arrows")
        for first in (0, 4):
            looks = [images[first + j][0] for j in range(4)]
            for a in range(4):
                for b in range(a + 1, 4):
                    self.assertNotEqual(looks[a], looks[b], "arrow images %d and %d" % (first + a, first + b))

    def test_hot_is_brighter_and_disabled_greyer_than_normal(self):
        images = cells("arrows")
        for first in (0, 4):
            normal, hot, disabled = images[first], images[first + 1], images[first + 3]
            self.assertGreater(mean_opaque(hot, luminance), mean_opaque(normal, luminance))
            saturation = lambda c: max(c) - min(c)  # noqa: E731
            self.assertLess(mean_opaque(disabled, saturation), mean_opaque(normal, saturation) / 2)


class ThumbTest(unittest.TestCase):
    """Thumb image index = look * 4 + piece; pieces left end, middle, grip, right end."""

    def setUp(self):
        self.images = cells("thumb")

    def piece(self, look, piece):
        return self.images[look * 4 + piece]

    def test_ends_join_into_one_closed_thumb(self):
        for look in range(4):
            with self.subTest(look=look):
                _, left = self.piece(look, 0)
                _, right = self.piece(look, 3)
                self.assertEqual(column(left, 9), [0] * HEIGHT, "left end is solid where it meets the right end")
                self.assertEqual(column(right, 0), [0] * HEIGHT, "right end is solid where it meets the left end")
                self.assertEqual(left[0][0], 1, "left end is rounded")
                self.assertEqual(right[0][9], 1, "right end is rounded")

    def test_middle_piece_has_uniform_columns(self):
        for look in range(4):
            with self.subTest(look=look):
                colour, mask = self.piece(look, 1)
                for x in range(10):
                    self.assertEqual(column(colour, x), column(colour, 0))
                    self.assertEqual(column(mask, x), [0] * HEIGHT)

    def test_grip_is_centred_and_transparent_around_its_marks(self):
        for look in range(4):
            with self.subTest(look=look):
                _, mask = self.piece(look, 2)
                opaque = [x for row in mask for x, bit in enumerate(row) if not bit]
                self.assertTrue(opaque)
                self.assertEqual(column(mask, 0), [1] * HEIGHT)
                self.assertEqual(column(mask, 9), [1] * HEIGHT)
                self.assertEqual(mask[0], [1] * 10)
                self.assertEqual(mask[HEIGHT - 1], [1] * 10)
                self.assertAlmostEqual((min(opaque) + max(opaque)) / 2.0, 4.5, delta=0.5)

    def test_looks_differ(self):
        for piece in range(4):
            looks = [self.piece(look, piece)[0] for look in range(4)]
            for a in range(4):
                for b in range(a + 1, 4):
                    self.assertNotEqual(looks[a], looks[b], "piece %d, looks %d and %d" % (piece, a, b))


# --- the shadow rings -----------------------------------------------------

RINGS = {
    "shadow5.png": {"top": [15, 31, 53, 79, 111], "left": [15, 31, 53, 79, 111],
                    "right": [15, 31, 53, 79, 111], "bottom": [15, 31, 53, 79, 111]},
    "shadow10.png": {"top": [11, 19, 28, 40, 53, 68, 85, 105, 122, 137],
                     "left": [11, 19, 28, 40, 53, 68, 85, 105, 122, 137],
                     "right": [11, 19, 28, 40, 53, 68, 85, 105, 122, 124],
                     "bottom": [11, 19, 28, 40, 53, 68, 85, 105, 122, 124]},
}
SIZE = 100


class ShadowRingTest(unittest.TestCase):
    def each_ring(self):
        for name, ramps in RINGS.items():
            with self.subTest(ring=name):
                yield name, ramps, len(ramps["top"]), png_rgba(read(name))

    def test_format_is_100_square_rgba_without_extra_chunks(self):
        for name in RINGS:
            with self.subTest(ring=name):
                chunks = png_chunks(read(name))
                kinds = [k for k, _ in chunks]
                self.assertEqual(kinds[0], b"IHDR")
                self.assertEqual(kinds[-1], b"IEND")
                self.assertEqual(set(kinds[1:-1]), {b"IDAT"}, "no gamma, time or text chunks")
                width, height, depth, colour_type, _, _, interlace = struct.unpack(">IIBBBBB", chunks[0][1])
                self.assertEqual((width, height, depth, colour_type, interlace), (SIZE, SIZE, 8, 6, 0))

    def test_every_pixel_is_black_and_the_inside_transparent(self):
        for _, _, width, rows in self.each_ring():
            self.assertTrue(all(p[:3] == (0, 0, 0) for row in rows for p in row))
            inside = [rows[y][x][3] for y in range(width, SIZE - width) for x in range(width, SIZE - width)]
            self.assertEqual(set(inside), {0})

    def test_straight_edges_carry_the_exact_ramp_on_all_four_sides(self):
        for _, ramps, width, rows in self.each_ring():
            for along in range(width, SIZE - width):
                for k in range(width):
                    self.assertEqual(rows[k][along][3], ramps["top"][k], "top, x %d, depth %d" % (along, k))
                    self.assertEqual(rows[SIZE - 1 - k][along][3], ramps["bottom"][k], "bottom, x %d" % along)
                    self.assertEqual(rows[along][k][3], ramps["left"][k], "left, y %d, depth %d" % (along, k))
                    self.assertEqual(rows[along][SIZE - 1 - k][3], ramps["right"][k], "right, y %d" % along)

    def test_corners_fade_to_zero_at_the_corner_pixel(self):
        for _, ramps, width, rows in self.each_ring():
            strongest = max(max(r) for r in ramps.values())
            for cx, cy, sx, sy in ((0, 0, 1, 1), (SIZE - 1, 0, -1, 1), (0, SIZE - 1, 1, -1),
                                   (SIZE - 1, SIZE - 1, -1, -1)):
                self.assertEqual(rows[cy][cx][3], 0, "corner pixel (%d, %d)" % (cx, cy))
                diagonal = [rows[cy + sy * i][cx + sx * i][3] for i in range(width)]
                self.assertEqual(diagonal, sorted(diagonal), "alpha grows from the corner inward")
                square = [rows[cy + sy * j][cx + sx * i][3] for i in range(width) for j in range(width)]
                self.assertLessEqual(max(square), strongest)
                # The ramp turns: halfway along the corner square the outermost
                # pixel is fainter than the outermost pixel of a straight edge.
                self.assertLess(rows[cy + sy * (width // 2)][cx][3], ramps["left"][0])

    def test_top_left_corner_is_a_quarter_circle(self):
        for _, _, width, rows in self.each_ring():
            for i in range(width):
                for j in range(width):
                    self.assertAlmostEqual(rows[j][i][3], rows[i][j][3], delta=1)


# --- generators and committed files ---------------------------------------

class CommittedFilesMatchGeneratorsTest(unittest.TestCase):
    """The committed rings and strips are what the generators make today: a
    generator changed without rebuilding the assets fails here."""

    @classmethod
    def setUpClass(cls):
        sys.path.insert(0, TOOLS)
        import imagefiles
        import make_rings
        import make_skins
        cls.imagefiles, cls.make_rings, cls.make_skins = imagefiles, make_rings, make_skins

    def test_rings(self):
        self.assertEqual(self.make_rings.ring_png(self.make_rings.RING5), read("shadow5.png"))
        self.assertEqual(self.make_rings.ring_png(self.make_rings.RING10), read("shadow10.png"))
        # At 2x: twice the size, the ring twice as wide with the same ends,
        # and the inside fully transparent.
        for name, ring in (("shadow5_2x.png", self.make_rings.RING5),
                           ("shadow10_2x.png", self.make_rings.RING10)):
            with self.subTest(ring=name):
                self.assertEqual(self.make_rings.ring_png(ring, 2), read(name))
                rows = png_rgba(read(name))
                width = 2 * len(ring["ramp"])
                self.assertEqual((len(rows), len(rows[0])), (2 * SIZE, 2 * SIZE))
                middle = [rows[SIZE][x][3] for x in range(2 * SIZE)]
                self.assertEqual(middle[width - 1], ring["inner"]["left"])
                self.assertLess(middle[0], ring["ramp"][0])
                self.assertEqual(set(middle[width:2 * SIZE - width]), {0})

    def test_strips(self):
        for stem, pic in self.make_skins.build_strips().items():
            with self.subTest(strip=stem):
                self.assertEqual(self.imagefiles.bmp24_bytes(pic.colour), read(stem + ".bmp"))
                self.assertEqual(self.imagefiles.bmp1_bytes(pic.transparent), read(stem + "_mask.bmp"))


if __name__ == "__main__":
    unittest.main()
