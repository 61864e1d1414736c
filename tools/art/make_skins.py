"""Writes the slider skins: two bars, the arrow buttons and the thumb pieces.

Every strip is a 24-bit BMP plus a 1-bit mask BMP of the same size. Mask bit 1
(white) is transparent, 0 (black) opaque, and every transparent pixel of the
colour strip is pure black, so the program draws a strip by AND-ing the mask and
then OR-ing the colour. A 1-bit mask has no partial transparency, so shape edges
are anti-aliased against the dark night sky the sliders stand on.

Each strip is made twice: at 1x, and at 2x (files ending in "_2x") for
high-dpi screens, from the same shapes sampled at twice the density: every
size below is in 1x pixels.

Usage: make_skins.py OUTPUT_DIR
"""

import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import imagefiles  # noqa: E402

HEIGHT = 13
BAR_WIDTH = 60
ARROW_WIDTH = 15
THUMB_PIECE_WIDTH = 10

# The sky colour behind the sliders: edge pixels are blended toward it.
BACKDROP = (16, 27, 46)
# A pixel whose shape coverage is below this stays transparent.
COVERAGE_THRESHOLD = 0.4

LOOKS = ("normal", "hot", "pressed", "disabled")
THUMB_PIECES = ("left", "middle", "grip", "right")

# Per look: body colour at the top and at the bottom, outline, arrow or grip light.
GREENS = {
    "normal": {"top": (132, 184, 88), "bottom": (62, 112, 44), "edge": (30, 58, 24), "light": (244, 240, 214)},
    "hot": {"top": (170, 216, 112), "bottom": (84, 144, 58), "edge": (40, 74, 30), "light": (255, 252, 232)},
    "pressed": {"top": (56, 98, 40), "bottom": (104, 154, 70), "edge": (26, 48, 20), "light": (222, 226, 196)},
    "disabled": {"top": (118, 128, 110), "bottom": (84, 92, 80), "edge": (48, 54, 46), "light": (160, 166, 150)},
}


def lerp(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def clamp01(v):
    return 0.0 if v < 0.0 else 1.0 if v > 1.0 else v


def rounded_box_distance(px, py, left, top, right, bottom, radius):
    """Signed distance from (px, py) to a rounded rectangle: negative inside."""
    cx, cy = (left + right) / 2, (top + bottom) / 2
    hx, hy = (right - left) / 2 - radius, (bottom - top) / 2 - radius
    qx, qy = abs(px - cx) - hx, abs(py - cy) - hy
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


def triangle_distance(px, py, points):
    """Signed distance-like measure to a triangle: the largest of the three
    edge-line distances, negative inside. Either winding is accepted."""
    (ax, ay), (bx, by), (cx, cy) = points
    winding = 1.0 if (bx - ax) * (cy - ay) - (by - ay) * (cx - ax) > 0 else -1.0
    worst = -1e9
    for i in range(3):
        (ax, ay), (bx, by) = points[i], points[(i + 1) % 3]
        ex, ey = bx - ax, by - ay
        length = math.hypot(ex, ey)
        nx, ny = winding * ey / length, -winding * ex / length
        worst = max(worst, (px - ax) * nx + (py - ay) * ny)
    return worst


class Picture:
    """A small picture: colours plus a transparency flag per pixel."""

    def __init__(self, width, height, scale=1):
        width, height = width * scale, height * scale
        self.width = width
        self.height = height
        self.colour = [[(0, 0, 0)] * width for _ in range(height)]
        self.transparent = [[1] * width for _ in range(height)]

    def put(self, x, y, colour):
        self.colour[y][x] = colour
        self.transparent[y][x] = 0

    def paste(self, other, x0):
        for y in range(other.height):
            for x in range(other.width):
                if not other.transparent[y][x]:
                    self.put(x0 + x, y, other.colour[y][x])


def paint_shape(width, distance, shade, scale):
    """Rasterises one shape at a scale: `distance(px, py)` is its signed distance,
    `shade(x, y, d)` the colour of the pixel whose centre lies at (x + 0.5, y + 0.5)
    and at distance d (d <= 0 inside), all in 1x pixels; a pixel at 2x covers half
    of one each way. The edges' anti-aliasing is a pixel of the scale wide."""
    pic = Picture(width, HEIGHT, scale)
    for y in range(pic.height):
        for x in range(pic.width):
            cx, cy = (x + 0.5) / scale, (y + 0.5) / scale
            d = distance(cx, cy)
            coverage = clamp01(0.5 - d * scale)
            if coverage < COVERAGE_THRESHOLD:
                continue
            pic.put(x, y, lerp(BACKDROP, shade(cx - 0.5, cy - 0.5, d), coverage))
    return pic


def bar(top, bottom, edge, highlight, scale):
    """A 60 x 13 bar, 9 pixels high and centred, with half-round ends. Columns
    6 to 53 are identical so the program can stretch the middle."""
    bar_top, bar_bottom = 2.0, 11.0

    def distance(px, py):
        return rounded_box_distance(px, py, 0.0, bar_top, BAR_WIDTH, bar_bottom, 4.5)

    def shade(x, y, d):
        if d > -1.0:
            return edge
        colour = lerp(top, bottom, (y - bar_top - 1) / (bar_bottom - bar_top - 3))
        if highlight is not None and round(y) == int(bar_top) + 1:
            colour = lerp(colour, highlight, 0.55)
        return colour

    return paint_shape(BAR_WIDTH, distance, shade, scale)


def arrow_button(look, pointing_left, scale):
    """A round 15 x 13 button with a light triangle pointing left or right."""
    g = GREENS[look]
    cx, cy, radius = 7.5, 6.5, 6.4
    shift = 1.0 if look == "pressed" else 0.0
    # Placed so the triangle's centre of mass, not its box, sits mid-button.
    tip, back = (3.8, 9.4) if pointing_left else (11.2, 5.6)
    tri = [(tip + shift, cy + shift), (back + shift, cy - 3.4 + shift), (back + shift, cy + 3.4 + shift)]

    def distance(px, py):
        return math.hypot(px - cx, py - cy) - radius

    def shade(x, y, d):
        if d > -1.0:
            return g["edge"]
        colour = lerp(g["top"], g["bottom"], clamp01((y - 1) / 10))
        inside = clamp01(0.5 - triangle_distance(x + 0.5, y + 0.5, tri) * scale)
        return lerp(colour, g["light"], inside)

    return paint_shape(ARROW_WIDTH, distance, shade, scale)


def thumb_body(look, scale):
    """The whole 20 x 13 pill the thumb's end pieces are cut from."""
    g = GREENS[look]

    def distance(px, py):
        return rounded_box_distance(px, py, 0.0, 0.0, 2 * THUMB_PIECE_WIDTH, HEIGHT, 6.5)

    def shade(x, y, d):
        if d > -1.0:
            return g["edge"]
        colour = lerp(g["top"], g["bottom"], clamp01((y - 1) / 10))
        if round(y) == 1 and look != "pressed":
            colour = lerp(colour, g["light"], 0.35)
        return colour

    return paint_shape(2 * THUMB_PIECE_WIDTH, distance, shade, scale)


def thumb_pieces(look, scale):
    """Left end, middle, grip and right end of the thumb in one look."""
    g = GREENS[look]
    body = thumb_body(look, scale)
    piece = THUMB_PIECE_WIDTH * scale
    left, middle, grip, right = (Picture(THUMB_PIECE_WIDTH, HEIGHT, scale) for _ in range(4))
    for y in range(HEIGHT * scale):
        for x in range(piece):
            if not body.transparent[y][x]:
                left.put(x, y, body.colour[y][x])
            if not body.transparent[y][x + piece]:
                right.put(x, y, body.colour[y][x + piece])
            # The pill's straight run is uniform; its centre column is one of them.
            if not body.transparent[y][piece]:
                middle.put(x, y, body.colour[y][piece])
    # Three raised ridges, a dark groove then a light edge each, centred on the
    # piece so that the grip sits in the thumb's middle when drawn at its centre.
    groove = lerp(g["edge"], g["bottom"], 0.3)
    ridge = lerp(g["top"], g["light"], 0.5)
    for y in range(4 * scale, 9 * scale):
        for x in (2, 4, 6):
            for dx in range(scale):
                grip.put(x * scale + dx, y, groove)
                grip.put((x + 1) * scale + dx, y, ridge)
    return [left, middle, grip, right]


def build_strips(scale=1):
    """Returns the four strips as Pictures at a scale, keyed by file stem."""
    strips = {
        "bar_light": bar((206, 196, 160), (246, 240, 216), (128, 118, 88), None, scale),
        "bar_dark": bar((150, 162, 72), (92, 106, 40), (52, 60, 22), (196, 204, 130), scale),
    }
    arrows = Picture(8 * ARROW_WIDTH, HEIGHT, scale)
    for i, pointing_left in enumerate((True, False)):
        for j, look in enumerate(LOOKS):
            arrows.paste(arrow_button(look, pointing_left, scale), (i * 4 + j) * ARROW_WIDTH * scale)
    strips["arrows"] = arrows
    thumb = Picture(16 * THUMB_PIECE_WIDTH, HEIGHT, scale)
    for j, look in enumerate(LOOKS):
        for k, piece in enumerate(thumb_pieces(look, scale)):
            thumb.paste(piece, (j * 4 + k) * THUMB_PIECE_WIDTH * scale)
    strips["thumb"] = thumb
    return strips


def main(argv):
    if len(argv) != 2:
        sys.exit("usage: make_skins.py OUTPUT_DIR")
    out = argv[1]
    for scale, suffix in ((1, ""), (2, "_2x")):
        for stem, pic in build_strips(scale).items():
            imagefiles.write(os.path.join(out, stem + suffix + ".bmp"),
                             imagefiles.bmp24_bytes(pic.colour))
            imagefiles.write(os.path.join(out, stem + suffix + "_mask.bmp"),
                             imagefiles.bmp1_bytes(pic.transparent))


if __name__ == "__main__":
    main(sys.argv)
