"""Writes the program's icon, heyu.ico: the window picture's night sky, its
green aurora band and a white daisy, drawn anew for every size.

Each size is its own SVG, rendered by rsvg-convert at exactly that size: at 16
to 24 pixels a few bold shapes (sky, one aurora band, the
meadow's edge, a daisy of eight petals); at 32 and 40 a fading curtain, stars
and a fuller daisy; from 48 pixels on the two children on the crest, and at
256 the curtain's rays, grass and the children as the window picture draws
them. The images go into one icon file, 32-bit with alpha, the 256-pixel one
as PNG.

Usage: make_icon.py OUTPUT_ICO
"""

import math
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import imagefiles  # noqa: E402
import make_background  # noqa: E402

SIZES = (16, 20, 24, 32, 40, 48, 64, 256)

# Transparent margin around the tile: none where every pixel counts, a little
# from 48 pixels on, where the shell shows icons side by side.
MARGIN = {16: 0, 20: 0, 24: 0, 32: 0, 40: 0, 48: 2, 64: 3, 256: 12}

# Colours of the window picture.
SKY_TOP, SKY_BOTTOM = "#07122a", "#1b4758"
AURORA, AURORA_HEM, AURORA_GLOW = "#3fdc9c", "#c4ffe2", "#2fb8b0"
MEADOW, MEADOW_DARK = "#0f3a2b", "#061610"
PETAL, PETAL_SHADE, HEART, HEART_SHADE = "#f8f7ff", "#c9c6e6", "#f2c44a", "#c98a22"
SILHOUETTE = make_background.SILHOUETTE
RIM = "#9fd8ff"
OUTLINE = "#0b1c2c"


def f(v):
    return make_background.f(v)


def svg_open(size, grid):
    """The document; drawing coordinates run over a grid x grid tile inside the margin."""
    margin = MARGIN[size]
    scale = (size - 2 * margin) / float(grid)
    return ['<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">'
            % (size, size, size, size),
            '<g transform="translate(%s,%s) scale(%s)">' % (f(margin), f(margin), repr(scale))]


def svg_close(out):
    out.append("</g></svg>")
    return "\n".join(out) + "\n"


def tile_defs(grid, radius, extra=""):
    return ("<defs>"
            '<clipPath id="tile"><rect width="%s" height="%s" rx="%s"/></clipPath>'
            '<linearGradient id="sky" x1="0" y1="0" x2="0" y2="1">'
            '<stop offset="0" stop-color="%s"/><stop offset="1" stop-color="%s"/></linearGradient>'
            "%s</defs>" % (f(grid), f(grid), f(radius), SKY_TOP, SKY_BOTTOM, extra))


def rim(grid, radius, width, opacity):
    """A faint light edge, so the dark tile stands apart on a dark taskbar."""
    inset = width / 2.0
    return ('<rect x="%s" y="%s" width="%s" height="%s" rx="%s" fill="none" stroke="%s" '
            'stroke-width="%s" opacity="%s"/>'
            % (f(inset), f(inset), f(grid - width), f(grid - width), f(radius - inset), RIM, f(width), opacity))


def daisy(cx, cy, radius, petals, heart, fullness, shaded=False, turn=0.0, outline=0.0):
    """A daisy seen from the front: petals with rounded tips from the heart
    outward, each as wide as fullness times its share of the ring two thirds
    out, so gaps open between the tips; a golden heart on top. An outline,
    drawn under the petals, keeps them apart from a light sky at small sizes."""
    width = fullness * 2 * math.pi * radius * 0.66 / petals
    inner = heart * 0.5
    petal = '<rect x="%s" y="%s" width="%s" height="%s" rx="%s" transform="rotate(%%s)"/>' % (
        f(inner), f(-width / 2), f(radius - inner), f(width), f(width / 2))
    turns = [f(turn + 360.0 * i / petals) for i in range(petals)]
    parts = ['<g transform="translate(%s,%s)">' % (f(cx), f(cy))]
    if outline:
        parts.append('<g fill="%s" stroke="%s" stroke-width="%s" stroke-linejoin="round">%s</g>'
                     % (OUTLINE, OUTLINE, f(outline * 2), "".join(petal % t for t in turns)))
    parts.append('<g fill="%s">%s</g>' % ("url(#petal)" if shaded else PETAL, "".join(petal % t for t in turns)))
    if heart:
        parts.append('<circle r="%s" fill="%s"/>' % (f(heart), "url(#heart)" if shaded else HEART))
    parts.append("</g>")
    return "".join(parts)


# --- 16, 20 and 24 pixels: a few bold shapes ----------------------------------

def small_svg(size):
    grid = 16
    out = svg_open(size, grid)
    out.append(tile_defs(grid, 3))
    out.append('<g clip-path="url(#tile)">')
    out.append('<rect width="16" height="16" fill="url(#sky)"/>')
    if size >= 20:
        for x, y in ((3.5, 2.5), (8.5, 1.8), (13.2, 7.6)):
            out.append('<circle cx="%s" cy="%s" r="0.55" fill="#ffffff"/>' % (f(x), f(y)))
    # The aurora: one band that sags toward the middle, its lower hem lit.
    band = "M-1,4 C4,9.5 9,9 17,2.5"
    out.append('<path d="%s" stroke="%s" stroke-width="3.2" fill="none"/>' % (band, AURORA))
    out.append('<path d="%s" stroke="%s" stroke-width="1" fill="none" transform="translate(0,1.4)"/>'
               % (band, AURORA_HEM))
    out.append('<path d="M0,12.5 Q6,10.5 16,12 V16 H0 Z" fill="%s"/>' % MEADOW)
    out.append("</g>")
    out.append(daisy(10.5, 10.5, 4.9, 8, 1.7, 0.75, turn=22.5, outline=0.6))
    return svg_close(out)


# --- 32 and 40 pixels: curtain, stars, a fuller daisy ------------------------

def medium_svg(size):
    grid = 32
    out = svg_open(size, grid)
    curtain = ('<linearGradient id="curtain" x1="0" y1="0" x2="0" y2="1">'
               '<stop offset="0" stop-color="%s" stop-opacity="0"/>'
               '<stop offset="0.55" stop-color="%s" stop-opacity="0.55"/>'
               '<stop offset="0.85" stop-color="%s"/>'
               '<stop offset="1" stop-color="%s"/></linearGradient>'
               % (AURORA_GLOW, AURORA_GLOW, AURORA, AURORA_HEM))
    out.append(tile_defs(grid, 6, curtain))
    out.append('<g clip-path="url(#tile)">')
    out.append('<rect width="32" height="32" fill="url(#sky)"/>')
    for x, y, r in ((5, 4, 0.6), (15, 3, 0.7), (25.5, 4.5, 0.6), (28.5, 13, 0.55), (3, 14, 0.5)):
        out.append('<circle cx="%s" cy="%s" r="%s" fill="#ffffff"/>' % (f(x), f(y), f(r)))
    # The curtain hangs from a soft top down to a bright hem along the same sag.
    out.append('<path d="M-2,3 C8,12 18,14 34,2 L34,9 C18,21 8,19 -2,10 Z" fill="url(#curtain)"/>')
    out.append('<path d="M-2,10 C8,19 18,21 34,9" stroke="%s" stroke-width="1.2" fill="none"/>' % AURORA_HEM)
    out.append('<path d="M0,25 Q12,20.5 32,24 V32 H0 Z" fill="%s"/>' % MEADOW)
    out.append('<path d="M0,29 Q10,27 20,32 H0 Z" fill="%s"/>' % MEADOW_DARK)
    out.append("</g>")
    out.append(rim(grid, 6, 1, 0.22))
    out.append(daisy(21, 21, 9.4, 12, 3.1, 0.75, turn=8, outline=0.7))
    return svg_close(out)


# --- 48 and 64 pixels: the children on the crest -----------------------------

def child_silhouettes(y0):
    """The boy pointing up and the girl beside him, hand in hand, in bold
    shapes that keep their outline at 48 pixels; feet on the line y0."""
    fill = 'fill="%s"' % SILHOUETTE
    limb = 'stroke="%s" stroke-linecap="round" fill="none"' % SILHOUETTE
    bx, gx = 18.5, 26.5
    return "".join([
        '<g>',
        # Boy: head, shirt, shorts and legs; the left arm raised to the sky.
        '<circle cx="%s" cy="%s" r="2.3" %s/>' % (f(bx), f(y0 - 13.2), fill),
        '<path d="M%s,%s h5 l0.4,6 h-5.8 Z" %s/>' % (f(bx - 2.5), f(y0 - 10.8), fill),
        '<path d="M%s,%s V%s M%s,%s V%s" stroke-width="1.6" %s/>'
        % (f(bx - 1.2), f(y0 - 5), f(y0 - 0.6), f(bx + 1.2), f(y0 - 5), f(y0 - 0.6), limb),
        '<path d="M%s,%s L%s,%s" stroke-width="1.5" %s/>' % (f(bx - 1.8), f(y0 - 10), f(bx - 5.6), f(y0 - 16.4), limb),
        '<path d="M%s,%s L%s,%s" stroke-width="1.3" %s/>' % (f(bx + 2.2), f(y0 - 10), f(bx + 4.6), f(y0 - 6.4), limb),
        # Girl: head with two pigtails, a flared dress, legs; her hand in his.
        '<circle cx="%s" cy="%s" r="2.1" %s/>' % (f(gx), f(y0 - 11.6), fill),
        '<circle cx="%s" cy="%s" r="0.95" %s/>' % (f(gx - 2.3), f(y0 - 10.6), fill),
        '<circle cx="%s" cy="%s" r="0.95" %s/>' % (f(gx + 2.3), f(y0 - 10.6), fill),
        '<path d="M%s,%s h3.4 l1.9,6 h-7.2 Z" %s/>' % (f(gx - 1.7), f(y0 - 9.4), fill),
        '<path d="M%s,%s V%s M%s,%s V%s" stroke-width="1.2" %s/>'
        % (f(gx - 1), f(y0 - 3.6), f(y0 - 0.5), f(gx + 1), f(y0 - 3.6), f(y0 - 0.5), limb),
        '<path d="M%s,%s L%s,%s" stroke-width="1.1" %s/>' % (f(gx - 1.6), f(y0 - 8.8), f(gx - 3.2), f(y0 - 6.4), limb),
        "</g>"])


def large_svg(size):
    grid = 64
    out = svg_open(size, grid)
    extra = ('<linearGradient id="curtain" x1="0" y1="0" x2="0" y2="1">'
             '<stop offset="0" stop-color="#7a4cd8" stop-opacity="0"/>'
             '<stop offset="0.35" stop-color="#7a4cd8" stop-opacity="0.3"/>'
             '<stop offset="0.65" stop-color="%s" stop-opacity="0.6"/>'
             '<stop offset="0.9" stop-color="%s"/>'
             '<stop offset="1" stop-color="%s"/></linearGradient>'
             '<radialGradient id="glow"><stop offset="0" stop-color="#4cc4a4" stop-opacity="0.8"/>'
             '<stop offset="1" stop-color="#3aa890" stop-opacity="0"/></radialGradient>'
             '<radialGradient id="petal" cx="0.2" cy="0.5" r="0.9">'
             '<stop offset="0" stop-color="%s"/><stop offset="1" stop-color="%s"/></radialGradient>'
             '<radialGradient id="heart" cx="0.4" cy="0.35" r="0.7">'
             '<stop offset="0" stop-color="%s"/><stop offset="1" stop-color="%s"/></radialGradient>'
             % (AURORA_GLOW, AURORA, AURORA_HEM, PETAL, PETAL_SHADE, HEART, HEART_SHADE))
    out.append(tile_defs(grid, 12, extra))
    out.append('<g clip-path="url(#tile)">')
    out.append('<rect width="64" height="64" fill="url(#sky)"/>')
    for x, y, r in ((8, 7, 0.7), (20, 4.5, 0.6), (33, 8, 0.8), (47, 5, 0.6), (57, 11, 0.7), (5, 22, 0.6),
                    (58, 26, 0.5), (40, 15, 0.5)):
        out.append('<circle cx="%s" cy="%s" r="%s" fill="#ffffff"/>' % (f(x), f(y), f(r)))
    out.append('<ellipse cx="23" cy="36" rx="22" ry="12" fill="url(#glow)"/>')
    out.append('<path d="M-2,4 C14,22 34,28 66,8 L66,22 C34,42 14,36 -2,18 Z" fill="url(#curtain)"/>')
    out.append('<path d="M-2,18 C14,36 34,42 66,22" stroke="%s" stroke-width="1.4" fill="none"/>' % AURORA_HEM)
    out.append('<path d="M0,44 Q16,39 34,42 T64,40 V64 H0 Z" fill="#10303a"/>')
    out.append('<path d="M0,49 Q20,43 64,49 V64 H0 Z" fill="%s"/>' % MEADOW)
    out.append(child_silhouettes(45.5))
    out.append('<path d="M0,58 Q14,55 30,64 H0 Z" fill="%s"/>' % MEADOW_DARK)
    out.append('<path d="M47,53 Q49,59 46,66" stroke="#0c2a1c" stroke-width="2.4" fill="none"/>')
    out.append("</g>")
    out.append(rim(grid, 12, 1.4, 0.25))
    out.append(daisy(47, 45, 14, 16, 4.5, 0.7, shaded=True, turn=6, outline=0.7))
    return svg_close(out)


# --- 256 pixels: the window picture's own drawing ----------------------------

def huge_svg(size):
    """The full scene at 256 pixels: curtain and rays of the aurora over a
    starry sky, grass on the crest, the children as the window picture draws
    them, rim-lit by the aurora, and a two-layered daisy in front."""
    grid = 256
    out = svg_open(size, grid)
    extra = ('<linearGradient id="curtain" x1="0" y1="0" x2="0" y2="1">'
             '<stop offset="0" stop-color="#7a4cd8" stop-opacity="0"/>'
             '<stop offset="0.3" stop-color="#8457e0" stop-opacity="0.3"/>'
             '<stop offset="0.6" stop-color="%s" stop-opacity="0.6"/>'
             '<stop offset="0.9" stop-color="%s"/>'
             '<stop offset="1" stop-color="%s" stop-opacity="0"/></linearGradient>'
             '<linearGradient id="ray" x1="0" y1="0" x2="0" y2="1">'
             '<stop offset="0" stop-color="#c8b4ff" stop-opacity="0"/>'
             '<stop offset="0.6" stop-color="#8cf5d8" stop-opacity="0.6"/>'
             '<stop offset="1" stop-color="#e0fff0" stop-opacity="0.9"/></linearGradient>'
             '<radialGradient id="glow"><stop offset="0" stop-color="#3aa890" stop-opacity="0.5"/>'
             '<stop offset="1" stop-color="#3aa890" stop-opacity="0"/></radialGradient>'
             '<radialGradient id="starGlow"><stop offset="0" stop-color="#ffffff" stop-opacity="0.6"/>'
             '<stop offset="1" stop-color="#cfe0ff" stop-opacity="0"/></radialGradient>'
             '<radialGradient id="petal" cx="0.15" cy="0.5" r="0.95">'
             '<stop offset="0" stop-color="%s"/><stop offset="0.6" stop-color="%s"/>'
             '<stop offset="1" stop-color="%s"/></radialGradient>'
             '<radialGradient id="heart" cx="0.4" cy="0.35" r="0.7">'
             '<stop offset="0" stop-color="#ffe27a"/><stop offset="0.6" stop-color="%s"/>'
             '<stop offset="1" stop-color="%s"/></radialGradient>'
             '<filter id="soft" x="-10%%" y="-30%%" width="120%%" height="160%%">'
             '<feGaussianBlur stdDeviation="3 4"/></filter>'
             '<filter id="rimLight" x="-10%%" y="-10%%" width="120%%" height="120%%">'
             '<feOffset in="SourceAlpha" dx="0" dy="3" result="lowered"/>'
             '<feComposite in="SourceAlpha" in2="lowered" operator="out" result="top"/>'
             '<feFlood flood-color="#a8ffe0" flood-opacity="0.8"/>'
             '<feComposite in2="top" operator="in" result="rim"/>'
             '<feGaussianBlur in="rim" stdDeviation="0.8"/>'
             '<feComposite in2="SourceAlpha" operator="in" result="inside"/>'
             '<feMerge><feMergeNode in="SourceGraphic"/><feMergeNode in="inside"/></feMerge></filter>'
             % (AURORA_GLOW, AURORA, AURORA_HEM, PETAL, PETAL, PETAL_SHADE, HEART, HEART_SHADE))
    out.append(tile_defs(grid, 44, extra))
    out.append('<g clip-path="url(#tile)">')
    out.append('<rect width="256" height="256" fill="url(#sky)"/>')
    rand = make_background.Rand(19)
    for _ in range(70):
        x, y = rand.uniform(4, 252), rand.uniform(4, 150)
        out.append('<circle cx="%s" cy="%s" r="%.2f" fill="#ffffff" opacity="%.2f"/>'
                   % (f(x), f(y), 0.5 + 1.1 * rand.uniform(0, 1) ** 3, 0.4 + 0.6 * rand.uniform(0, 1)))
    for x, y in ((40, 30), (150, 22), (226, 64)):
        out.append('<circle cx="%d" cy="%d" r="9" fill="url(#starGlow)"/>' % (x, y))
        out.append('<circle cx="%d" cy="%d" r="1.8" fill="#ffffff"/>' % (x, y))
    out.append('<ellipse cx="110" cy="150" rx="100" ry="50" fill="url(#glow)"/>')

    def hem(x):
        return 64 + 80 * math.sin(math.pi * (x + 8) / 300.0) - 44 * (x / 256.0) + 3 * math.sin(x / 9.0)

    out.append('<g filter="url(#soft)">')
    for x in range(-8, 266, 3):
        top = hem(x) - 58 - 10 * math.sin(x / 23.0)
        out.append('<rect x="%d" y="%s" width="4" height="%s" fill="url(#curtain)" opacity="%.2f"/>'
                   % (x, f(top), f(hem(x) + 8 - top), 0.8 + 0.2 * math.sin(x / 7.0)))
    out.append("</g>")
    out.append('<path d="M%s" stroke="%s" stroke-width="3" fill="none" opacity="0.9" filter="url(#soft)"/>'
               % (make_background.pts([(x, hem(x)) for x in range(-8, 266, 4)]), AURORA_HEM))
    x = 2.0
    while x < 256:
        length = rand.uniform(20, 50)
        out.append('<rect x="%s" y="%s" width="1.2" height="%s" fill="url(#ray)" opacity="%.2f"/>'
                   % (f(x), f(hem(x) - length), f(length + 2), rand.uniform(0.2, 0.6)))
        x += rand.uniform(4, 9)

    def ridge(x):
        return 174 + 6 * math.sin(x / 30.0 + 0.5)

    def crest(x):
        return 192 - 18 * math.exp(-((x - 96) / 70.0) ** 2) + 3 * math.sin(x / 17.0)

    out.append('<path fill="#10303a" d="%s"/>' % land(ridge))
    out.append('<path fill="%s" d="%s"/>' % (MEADOW, land(crest)))
    make_background.grass_along(out, crest, -4, 260, rand, "#0a1f19", 0.9, 3, 9, 1.6, 2.4)
    # The children of the window picture, feet on the crest.
    out.append('<g transform="translate(%s,%s) scale(0.52)" filter="url(#rimLight)">'
               % (f(96 - 0.52 * 406), f(crest(96) + 1 - 0.52 * 263)))
    make_background.boy(out)
    make_background.girl(out)
    out.append("</g>")
    make_background.grass_along(out, lambda x: crest(x) + 4, 40, 150, rand, "#0a1f19", 1.0, 3, 7, 1.5, 1.8)
    out.append('<path d="M0,232 Q60,218 120,256 H0 Z" fill="%s"/>' % MEADOW_DARK)
    out.append('<path d="M180,206 Q188,232 176,262" stroke="#0c2a1c" stroke-width="7" fill="none"/>')
    out.append(make_background.leaf(178, 236, 34, -160, "#134029"))
    out.append("</g>")
    out.append(rim(grid, 44, 4, 0.25))
    out.append(daisy(182, 174, 58, 24, 0, 0.6, shaded=True, turn=4, outline=1.5))
    out.append(daisy(182, 174, 44, 16, 17, 0.55, shaded=True, turn=11))
    return svg_close(out)


def land(fn):
    return "M-4,260 L%s L260,260 Z" % make_background.pts([(x, fn(x)) for x in range(-4, 261, 4)])


def icon_svg(size):
    if size <= 24:
        return small_svg(size)
    if size <= 40:
        return medium_svg(size)
    return large_svg(size) if size < 256 else huge_svg(size)


def render(svg, size):
    """The SVG rendered at size x size pixels, as RGBA rows."""
    png = subprocess.run(["rsvg-convert", "--width", str(size), "--height", str(size), "--format", "png"],
                         input=svg.encode("utf-8"), stdout=subprocess.PIPE, check=True).stdout
    return imagefiles.png_rows(png)


def main(argv):
    if len(argv) != 2:
        sys.exit("usage: make_icon.py OUTPUT_ICO")
    images = [render(icon_svg(size), size) for size in SIZES]
    imagefiles.write(argv[1], imagefiles.ico_bytes(images))


if __name__ == "__main__":
    main(sys.argv)
