"""Writes the window's background picture as SVG: a night meadow with flowers
under an aurora, two children on the crest seen from behind, the boy pointing up
to the left where the sliders are.

The picture is laid out around the controls the window puts on it: the channel
names and sliders on the left stand on calm, dark sky with only a faint aurora;
the top corners stay dark for the product name and the corner glyphs; the
children and the flowers sit where the window's hot spots are.

make-art.sh renders the SVG with rsvg-convert and encodes it as baseline JPEG.
All randomness comes from fixed seeds, so the output never changes between runs.

Usage: make_background.py OUTPUT_SVG
"""

import math
import random
import sys

WIDTH, HEIGHT = 770, 445

# Where the window's hot spots lie (left, top, right, bottom).
BOY_BOX = (336, 96, 424, 264)
GIRL_BOX = (427, 120, 475, 272)
LEFT_FLOWER_BOX = (56, 280, 104, 344)
POPPY_BOX = (152, 312, 200, 376)
MEADOW_BOX = (496, 272, 688, 400)
# Channel names and sliders: the aurora stays faint over this column.
CONTROLS_BOX = (40, 36, 280, 215)


class Rand:
    """Seeded random numbers built only on random(), whose sequence for a given
    seed is stable across Python versions."""

    def __init__(self, seed):
        self._r = random.Random(seed)

    def uniform(self, a, b):
        return a + (b - a) * self._r.random()

    def chance(self, p):
        return self._r.random() < p

    def pick(self, items):
        return items[int(self._r.random() * len(items)) % len(items)]


def f(v):
    """Coordinates with one decimal: enough precision, stable text."""
    text = "%.1f" % v
    return text[:-2] if text.endswith(".0") else text


def pts(points):
    return " ".join("%s,%s" % (f(x), f(y)) for x, y in points)


def smoothstep(e0, e1, x):
    t = max(0.0, min(1.0, (x - e0) / (e1 - e0)))
    return t * t * (3 - 2 * t)


# --- the land -------------------------------------------------------------

def crest_y(x):
    """Height of the main meadow's skyline: a low crest under the children,
    falling toward both sides, with a gentle roll away from the children."""
    base = 263 + 40 * ((x - 405) / 405.0) ** 2
    roll = min(1.0, abs(x - 410) / 140.0)
    return base + roll * (3.5 * math.sin(x / 41.0) + 2.0 * math.sin(x / 17.0 + 1.3))


def far_ridge_y(x):
    return 281 + 9 * math.sin(x / 83.0 + 0.7) + 4 * math.sin(x / 29.0 + 2.1)


def front_left_y(x):
    """A nearer swell in the lower left, so the land rolls toward the corner."""
    return 338 + 0.0009 * (x - 120) ** 2 + 4 * math.sin(x / 37.0)


def front_right_y(x):
    return 352 + 0.0011 * (x - 700) ** 2 + 3 * math.sin(x / 31.0 + 0.4)


def crest_light(fn, x0, x1, opacity):
    """A soft band of aurora light along a skyline: it separates the rolling layers."""
    return ('<path d="M%s" stroke="#3fcfa8" stroke-width="5" fill="none" opacity="%.2f" filter="url(#glowBlur)"/>'
            % (pts([(x, fn(x)) for x in range(x0, x1 + 1, 5)]), opacity))


def land_path(fn, x0, x1, step=5):
    points = [(x, fn(x)) for x in range(x0, x1 + 1, step)]
    return "M%s,%d L%s L%s,%d Z" % (f(x0), HEIGHT + 2, pts(points), f(x1), HEIGHT + 2)


# --- the aurora -----------------------------------------------------------

def through(points, x):
    """Smooth curve through (x, y) control points (Catmull-Rom), flat past the ends."""
    if x <= points[0][0]:
        return points[0][1]
    if x >= points[-1][0]:
        return points[-1][1]
    i = 0
    while points[i + 1][0] < x:
        i += 1
    p0 = points[max(i - 1, 0)][1]
    p1, p2 = points[i][1], points[i + 1][1]
    p3 = points[min(i + 2, len(points) - 1)][1]
    t = (x - points[i][0]) / float(points[i + 1][0] - points[i][0])
    return 0.5 * (2 * p1 + (p2 - p0) * t + (2 * p0 - 5 * p1 + 4 * p2 - p3) * t * t
                  + (3 * p1 - p0 - 3 * p2 + p3) * t * t * t)


# Lower edge of the main curtain: it comes down from the upper left, dips lowest
# behind the children and lifts again toward the right.
AURORA_EDGE = [(-20, 38), (120, 62), (260, 112), (360, 172), (430, 198), (520, 184), (640, 150), (790, 128)]


def aurora_base(x):
    return through(AURORA_EDGE, x) + 7 * math.sin(x / 23.0) + 4 * math.sin(x / 9.0 + 1.0)


def aurora_height(x):
    return 62 + 90 * math.exp(-((x - 420) / 170.0) ** 2) + 12 * math.sin(x / 31.0 + 0.5)


def aurora_strength(x):
    """Faint over the controls column, brightest above and behind the children."""
    rise = smoothstep(250, 390, x)
    fall = 1.0 - 0.45 * smoothstep(500, 760, x)
    return 0.05 + 0.03 * smoothstep(60, 220, x) + 0.92 * rise * fall


def aurora_flicker(x):
    return 0.7 + 0.2 * math.sin(x / 13.0 + 0.3) + 0.12 * math.sin(x / 5.3 + 2.0) + 0.06 * math.sin(x / 2.1)


def aurora(out):
    # A broad bloom under the curtain, so its brightest part lights the sky around it.
    out.append('<g filter="url(#bloomBlur)">')
    for x in range(-10, WIDTH + 20, 12):
        out.append('<circle cx="%d" cy="%s" r="38" fill="#3fd8a8" opacity="%.3f"/>'
                   % (x, f(aurora_base(x) - 28), 0.16 * aurora_strength(x)))
    out.append("</g>")
    out.append('<g filter="url(#auroraBlur)">')
    for i in range(0, 400):
        x = -10 + i * 2
        base = aurora_base(x)
        top = base - aurora_height(x)
        op = aurora_strength(x) * aurora_flicker(x)
        out.append('<rect x="%s" y="%s" width="3" height="%s" fill="url(#curtain)" opacity="%.3f"/>'
                   % (f(x), f(top), f(base - top + 6), min(op, 1.0)))
    out.append("</g>")
    # The glowing lower hem of the curtain, where aurora light is strongest.
    out.append('<g filter="url(#auroraBlur)">')
    for i in range(0, 400):
        x = -10 + i * 2
        base = aurora_base(x)
        out.append('<rect x="%s" y="%s" width="3" height="26" fill="url(#hem)" opacity="%.3f"/>'
                   % (f(x), f(base - 24), 0.8 * aurora_strength(x) ** 1.5 * aurora_flicker(x + 7)))
    out.append("</g>")
    # A nearer fold of the curtain hangs lower in front of the first one where
    # the aurora is brightest, so the light seems to ripple.
    out.append('<g filter="url(#auroraBlur)">')
    for i in range(0, 190):
        x = 330 + i * 2
        base = aurora_base(x) + 18 + 10 * math.sin(x / 37.0 + 0.8)
        height = 0.55 * aurora_height(x)
        op = (smoothstep(330, 420, x) * (1 - smoothstep(560, 700, x))
              * aurora_flicker(x * 1.7 + 20) * 0.55)
        out.append('<rect x="%s" y="%s" width="3" height="%s" fill="url(#curtain)" opacity="%.3f"/>'
                   % (f(x), f(base - height), f(height + 6), min(op, 1.0)))
    out.append("</g>")
    # Finer rays on top of the soft curtain give it its folded, striped look.
    rand = Rand(7)
    out.append('<g filter="url(#rayBlur)">')
    x = 230.0
    while x < WIDTH + 10:
        base = aurora_base(x)
        length = aurora_height(x) * rand.uniform(0.5, 0.95)
        op = aurora_strength(x) * rand.uniform(0.15, 0.55)
        out.append('<rect x="%s" y="%s" width="1.2" height="%s" fill="url(#ray)" opacity="%.3f"/>'
                   % (f(x), f(base - length), f(length + 3), op))
        x += rand.uniform(2.5, 7.0)
    out.append("</g>")
    # A second, higher and fainter band of violet and teal over the right half.
    out.append('<g filter="url(#auroraBlur)" opacity="0.55">')
    for i in range(0, 150):
        x = 300 + i * 2
        base = 118 - 40 * smoothstep(300, 600, x) + 5 * math.sin(x / 19.0)
        height = 45 + 10 * math.sin(x / 27.0)
        op = smoothstep(300, 420, x) * (1 - smoothstep(560, 620, x)) * aurora_flicker(x + 50) * 0.6
        out.append('<rect x="%s" y="%s" width="3" height="%s" fill="url(#curtainHigh)" opacity="%.3f"/>'
                   % (f(x), f(base - height), f(height), op))
    out.append("</g>")


# --- stars ----------------------------------------------------------------

def stars(out):
    rand = Rand(11)
    out.append('<g>')
    for _ in range(330):
        x, y = rand.uniform(0, WIDTH), rand.uniform(0, 300)
        if y > crest_y(x) - 6:
            continue
        size = rand.uniform(0, 1) ** 3
        radius = 0.35 + 0.9 * size
        bright = 0.35 + 0.65 * rand.uniform(0, 1) ** 1.5
        # Stars thin out low in the sky and are quieter where text and sliders lie.
        bright *= 1.0 - 0.6 * smoothstep(200, 290, y)
        if CONTROLS_BOX[0] - 6 < x < CONTROLS_BOX[2] + 6 and CONTROLS_BOX[1] - 6 < y < CONTROLS_BOX[3] + 6:
            bright *= 0.45
            radius = min(radius, 0.7)
        tint = rand.pick(["#ffffff", "#fff4e0", "#dfe8ff", "#e8fff8"])
        out.append('<circle cx="%s" cy="%s" r="%.2f" fill="%s" opacity="%.2f"/>' % (f(x), f(y), radius, tint, bright))
    # A few bright stars with a soft halo, away from the controls and the corner glyphs.
    for x, y, r in ((318, 22, 1.4), (560, 28, 1.3), (628, 132, 1.2), (22, 200, 1.0),
                    (735, 190, 1.3), (470, 62, 1.0), (300, 170, 1.1), (655, 236, 0.9)):
        out.append('<circle cx="%d" cy="%d" r="%.1f" fill="url(#starGlow)"/>' % (x, y, r * 5))
        out.append('<circle cx="%d" cy="%d" r="%.1f" fill="#ffffff"/>' % (x, y, r))
    out.append("</g>")


# --- grass ----------------------------------------------------------------

def blade(x, y, height, lean, width):
    """One curved grass blade standing at (x, y) as a closed path."""
    tip_x, tip_y = x + lean, y - height
    mid_x = x + lean * 0.35
    return ("M%s,%s Q%s,%s %s,%s Q%s,%s %s,%s Z"
            % (f(x - width / 2), f(y + 1), f(mid_x - width * 0.2), f(y - height * 0.55), f(tip_x), f(tip_y),
               f(mid_x + width * 0.4), f(y - height * 0.5), f(x + width / 2), f(y + 1)))


def grass_along(out, fn, x0, x1, rand, colour, density, min_h, max_h, width, spacing):
    paths = []
    x = float(x0)
    while x < x1:
        if rand.chance(density):
            h = rand.uniform(min_h, max_h)
            paths.append(blade(x, fn(x) + rand.uniform(0, 2.5), h, rand.uniform(-0.45, 0.45) * h, width))
        x += rand.uniform(spacing * 0.5, spacing * 1.5)
    out.append('<path fill="%s" d="%s"/>' % (colour, " ".join(paths)))


# --- flowers --------------------------------------------------------------

def stem(x0, y0, x1, y1, bend, width, colour="#0f2a1c"):
    mx, my = (x0 + x1) / 2 + bend, (y0 + y1) / 2
    return ('<path d="M%s,%s Q%s,%s %s,%s" stroke="%s" stroke-width="%s" fill="none" stroke-linecap="round"/>'
            % (f(x0), f(y0), f(mx), f(my), f(x1), f(y1), colour, f(width)))


def leaf(x, y, length, angle, colour="#12331f"):
    return ('<path d="M0,0 Q%s,%s %s,0 Q%s,%s 0,0 Z" fill="%s" transform="translate(%s,%s) rotate(%s)"/>'
            % (f(length * 0.5), f(-length * 0.28), f(length), f(length * 0.5), f(length * 0.22), colour,
               f(x), f(y), f(angle)))


def daisy(cx, cy, radius, petals, petal_colour, centre_colour, tilt=0.0, squash=1.0):
    """A round flower head: petals as ellipses around a centre disc."""
    parts = ['<g transform="translate(%s,%s) rotate(%s) scale(1,%s)">' % (f(cx), f(cy), f(tilt), f(squash))]
    for i in range(petals):
        a = 360.0 * i / petals
        parts.append('<ellipse cx="%s" cy="0" rx="%s" ry="%s" fill="%s" transform="rotate(%s)"/>'
                     % (f(radius * 0.55), f(radius * 0.5), f(radius * 0.2), petal_colour, f(a)))
    parts.append('<circle r="%s" fill="%s"/>' % (f(radius * 0.3), centre_colour))
    parts.append("</g>")
    return "".join(parts)


def meadow_texture(out):
    """Short blades in two shades over the meadow, so it reads as grass."""
    rand = Rand(17)
    shades = {"#0f2e24": [], "#071711": []}
    for _ in range(1300):
        x, y = rand.uniform(-4, WIDTH + 4), rand.uniform(256, HEIGHT)
        if y < crest_y(x) + 5:
            continue
        depth = (y - 256) / float(HEIGHT - 256)
        h = rand.uniform(2.5, 5.5) * (0.6 + 1.6 * depth)
        shades["#0f2e24" if rand.chance(0.5) else "#071711"].append(
            blade(x, y, h, rand.uniform(-0.5, 0.5) * h, 0.9 + 1.1 * depth))
    for colour, paths in shades.items():
        out.append('<path fill="%s" opacity="0.8" d="%s"/>' % (colour, " ".join(paths)))


def left_flower(out):
    """The single tall flower in the lower left: a pale daisy on a long stem."""
    x0, y0, x1, y1 = LEFT_FLOWER_BOX
    cx, cy = 81, 300
    out.append(stem(cx, cy + 4, 78, y1 - 2, -5, 2.2))
    out.append(leaf(78, 330, 17, -35))
    out.append(leaf(79, 322, 14, -150))
    out.append('<circle cx="%d" cy="%d" r="19" fill="url(#flowerGlow)"/>' % (cx, cy))
    out.append(daisy(cx, cy, 15, 14, "#dcdcf2", "#e8c04a", tilt=8, squash=0.82))
    out.append(daisy(cx, cy, 10, 10, "#f4f2ff", "#f0c850", tilt=20, squash=0.82))


def poppy(out):
    """The red poppy: a cup of two back petals and a scalloped front petal with
    a dark seed head showing between them, a drooping bud beside it."""
    x0, y0, x1, y1 = POPPY_BOX
    cx = 175
    out.append(stem(cx, 340, 173, y1 - 1, 5, 2.4))
    out.append(stem(176, 362, 193, 346, -2, 1.6))
    out.append('<ellipse cx="193" cy="343" rx="3.2" ry="4.6" fill="#2e5a2a" transform="rotate(25 193 343)"/>')
    out.append('<path d="M191.5,340 q1.5,-2 3,0" stroke="#c42222" stroke-width="1" fill="none"/>')
    out.append(leaf(173, 366, 16, -20))
    out.append(leaf(174, 357, 13, -165))
    out.append('<circle cx="%d" cy="330" r="24" fill="url(#poppyGlow)"/>' % cx)
    # Back petals, seen over the rim of the cup.
    out.append('<path d="M175,335 C158,338 146,327 151,317 C155,310 166,310 175,317 Z" fill="url(#poppyBack)"/>')
    out.append('<path d="M175,335 C192,338 204,327 199,317 C195,310 184,310 175,317 Z" fill="url(#poppyBack)"/>')
    # The seed head and the ring of dark stamens inside the cup.
    for i in range(14):
        a = 2 * math.pi * i / 14
        out.append('<circle cx="%s" cy="%s" r="1" fill="#1c0606"/>'
                   % (f(cx + 8.5 * math.cos(a)), f(320 + 3.2 * math.sin(a))))
    out.append('<ellipse cx="%d" cy="320" rx="5.5" ry="2.4" fill="#14100a"/>' % cx)
    out.append('<path d="M171,320 h8" stroke="#3a3020" stroke-width="0.7"/>')
    # The front petal: a cup with a scalloped rim, lit from above.
    rim = "M157,322 C160,317.5 166,319 170,321.5 C173,318.5 177,318.5 180,321.5 C184,319 190,317.5 193,322"
    out.append('<path d="%s C195,333 187,343 175,343 C163,343 155,333 157,322 Z" fill="url(#poppyFront)"/>' % rim)
    out.append('<path d="M170,322 C169,330 171,337 174,342 M180,322 C181,330 179,337 176,342" '
               'stroke="#8a1010" stroke-width="0.8" fill="none" opacity="0.8"/>')
    out.append('<path d="%s" stroke="#ff8a66" stroke-width="0.9" fill="none" opacity="0.75"/>' % rim)


def flower_meadow(out):
    """A drift of small flowers on the slope right of the children: densest
    inside the meadow hot spot and thinning out around it, smaller toward the
    crest, larger in front, with grass between the stems."""
    x0, y0, x1, y1 = MEADOW_BOX
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    rand = Rand(23)
    colours = [("#d6d2ea", "#d8b444"), ("#dcb0c4", "#e0c064"), ("#b0a2da", "#e2d690"),
               ("#e2d49a", "#c88c2c"), ("#c43030", "#300808"), ("#96bee4", "#e4e0b0"),
               ("#e4b8d0", "#eed066"), ("#d6d2ea", "#d8b444")]
    heads = []
    for _ in range(420):
        x = rand.uniform(x0 - 40, x1 + 40)
        y = rand.uniform(y0, y1 + 20)
        if y < crest_y(x) + 6 or y > HEIGHT - 8:
            continue
        nx, ny = (x - cx) / ((x1 - x0) / 2.0), (y - cy) / ((y1 - y0) / 2.0)
        if not rand.chance(math.exp(-(nx * nx + ny * ny) ** 2 / 1.2)):
            continue
        depth = max(0.0, min(1.0, (y - y0) / float(y1 - y0)))
        heads.append((y, x, 1.6 + 4.6 * depth ** 1.2, rand.pick(colours), rand.uniform(-30, 30),
                      rand.uniform(7, 16) * (0.5 + depth)))
    heads.sort()
    out.append('<ellipse cx="%s" cy="%s" rx="%d" ry="%d" fill="url(#meadowGlow)"/>'
               % (f(cx), f(cy + 6), (x1 - x0) // 2 + 20, (y1 - y0) // 2))
    for y, x, r, (petal, centre), tilt, stem_len in heads:
        out.append(stem(x, y + r * 0.5, x + tilt * 0.05, y + stem_len, tilt * 0.06, max(0.8, r * 0.22)))
        if r > 4.0 and rand.chance(0.4):
            out.append(leaf(x, y + stem_len * 0.7, r * 2, rand.pick([-30, -150, -20, -160])))
        out.append(daisy(x, y, r * 1.6, 6 if r < 3.5 else 8, petal, centre, tilt=tilt, squash=0.75))
        if rand.chance(0.6):
            h = r * rand.uniform(2.0, 3.5)
            out.append('<path fill="#0a2019" d="%s"/>'
                       % blade(x + rand.uniform(-r, r), y + stem_len * 0.8, h, rand.uniform(-0.4, 0.4) * h, 1.4))


def scattered_flowers(out):
    """A few small flowers elsewhere in the foreground, so the whole meadow flowers."""
    rand = Rand(31)
    colours = [("#e9e4fa", "#e0bc48"), ("#f4bfd4", "#f0d070"), ("#c2b2ee", "#f2e6a0")]
    zones = [(20, 40, 318, 430), (110, 150, 350, 440), (210, 300, 360, 440), (300, 480, 300, 330),
             (700, 765, 330, 440), (520, 700, 410, 440)]
    for zx0, zx1, zy0, zy1 in zones:
        for _ in range(7):
            x, y = rand.uniform(zx0, zx1), rand.uniform(zy0, zy1)
            if y < crest_y(x) + 10:
                continue
            r = 1.8 + 4.0 * (y - 280) / 165.0
            petal, centre = rand.pick(colours)
            out.append(stem(x, y + r * 0.5, x, y + r * 3.2, 1, max(0.8, r * 0.2)))
            out.append(daisy(x, y, r * 1.5, 7, petal, centre, tilt=rand.uniform(-20, 20), squash=0.75))


def fireflies(out):
    rand = Rand(41)
    for _ in range(16):
        x, y = rand.uniform(440, 760), rand.uniform(285, 420)
        if y < crest_y(x) + 4:
            continue
        out.append('<circle cx="%s" cy="%s" r="3.5" fill="url(#fireflyGlow)"/>' % (f(x), f(y)))
        out.append('<circle cx="%s" cy="%s" r="0.8" fill="#f6ffb0"/>' % (f(x), f(y)))


# --- the children ---------------------------------------------------------

SILHOUETTE = "#060b10"
LIMB = 'stroke="%s" stroke-linecap="round" stroke-linejoin="round" fill="none"' % SILHOUETTE


def boy(out):
    """The boy, from behind: tousled hair, T-shirt and shorts, his left arm raised
    and pointing up to the left toward the sliders, his right hand holding the
    girl's."""
    fill = 'fill="%s"' % SILHOUETTE
    out.append('<g>')
    # Legs, tapering to the ankles, and shoes.
    out.append('<path d="M386,224 L401,224 L398,256 L388,256 Z" %s/>' % fill)
    out.append('<path d="M404,224 L420,224 L417,256 L407,256 Z" %s/>' % fill)
    out.append('<ellipse cx="392" cy="259" rx="6.5" ry="4.2" %s/>' % fill)
    out.append('<ellipse cx="413" cy="259" rx="6.5" ry="4.2" %s/>' % fill)
    # Shorts.
    out.append('<path d="M383,196 L422,196 L424,228 L404,229 L402.5,219 L401,229 L381,228 Z" %s/>' % fill)
    # Raised left arm: sleeve, upper arm, forearm, fist, thumb and index finger.
    out.append('<path d="M391,153 L379,140" stroke-width="13" %s/>' % LIMB)
    out.append('<path d="M384,146 L368,132" stroke-width="9.5" %s/>' % LIMB)
    out.append('<path d="M368,132 L354,114" stroke-width="7.5" %s/>' % LIMB)
    out.append('<ellipse cx="351" cy="110" rx="5.2" ry="4.2" transform="rotate(-52 351 110)" %s/>' % fill)
    out.append('<path d="M354.5,108 L354,103.5" stroke-width="2.4" %s/>' % LIMB)
    out.append('<path d="M348.5,107 L343,100" stroke-width="2.8" %s/>' % LIMB)
    # Right arm down toward the girl's hand.
    out.append('<path d="M418,154 C424,168 426,182 428,197" stroke-width="8" %s/>' % LIMB)
    out.append('<circle cx="428.5" cy="200" r="4.2" %s/>' % fill)
    # T-shirt: short right sleeve; the left shoulder lifts into the raised arm.
    out.append('<path d="M384,152 C389,144 397,141 404,141 C411,141 418,143 422,149 L427,163 L420,166 '
               'L421,200 L384,200 L384,170 Z" %s/>' % fill)
    # Neck, head, ears and tousled hair.
    out.append('<rect x="398" y="131" width="11" height="14" rx="4" %s/>' % fill)
    out.append('<ellipse cx="403.5" cy="122" rx="13" ry="14" %s/>' % fill)
    out.append('<ellipse cx="390.5" cy="125" rx="2.6" ry="4" %s/>' % fill)
    out.append('<ellipse cx="416.5" cy="125" rx="2.6" ry="4" %s/>' % fill)
    for cx, cy, r in ((394, 114, 4.6), (399, 110, 5.2), (405, 108.8, 5.4), (411, 110.5, 5), (415, 115, 4.2),
                      (392, 118.5, 3.8)):
        out.append('<circle cx="%s" cy="%s" r="%s" %s/>' % (f(cx), f(cy), f(r), fill))
    out.append('<path d="M404,106 Q406,100 412,99.5 Q408,102 408.5,107 Z" %s/>' % fill)
    out.append("</g>")


def girl(out):
    """The girl, from behind: two pigtails with bows, a flared dress, her left
    hand in the boy's, her head tipped up to the sky."""
    fill = 'fill="%s"' % SILHOUETTE
    out.append('<g>')
    # Legs and shoes.
    out.append('<path d="M446,228 L445,263" stroke-width="6.5" %s/>' % LIMB)
    out.append('<path d="M459,228 L460,263" stroke-width="6.5" %s/>' % LIMB)
    out.append('<ellipse cx="444.5" cy="266.5" rx="5.5" ry="3.6" %s/>' % fill)
    out.append('<ellipse cx="461" cy="266.5" rx="5.5" ry="3.6" %s/>' % fill)
    # Arms: the left one reaches to the boy's hand, the right hangs loosely.
    out.append('<path d="M440,170 C436,182 433,192 431,199" stroke-width="6.5" %s/>' % LIMB)
    out.append('<path d="M465,170 C469,184 471,198 471,211" stroke-width="6.5" %s/>' % LIMB)
    out.append('<circle cx="471" cy="213" r="3.4" %s/>' % fill)
    # Dress: narrow at the shoulders, flaring to a wavy hem.
    out.append('<path d="M439,166 C444,162 461,162 466,166 L468,190 C472,204 475,218 476,230 '
               'C470,233 465,230 460,233 C455,230 450,233 445,230 C440,233 434,231 428,231 '
               'C430,216 433,202 437,190 Z" %s/>' % fill)
    # Neck, head tipped back a little, hair falling to the shoulders.
    out.append('<rect x="448" y="152" width="9" height="14" rx="3" %s/>' % fill)
    out.append('<ellipse cx="452.5" cy="144" rx="13" ry="13.5" transform="rotate(-6 452.5 144)" %s/>' % fill)
    out.append('<path d="M440,146 C439,158 441,165 444,170 L461,170 C464,165 466,158 465,146 Z" %s/>' % fill)
    # Pigtails curling out below the ears, each tied with a small bow.
    for side in (-1, 1):
        def m(x):
            return 905 - x if side > 0 else x
        out.append('<path d="M%s,148 C%s,152 %s,160 %s,173 C%s,177 %s,176 %s,172 C%s,164 %s,158 %s,154 Z" %s/>'
                   % (f(m(441)), f(m(434)), f(m(429.5)), f(m(430.5)), f(m(432.5)), f(m(436)), f(m(436.5)),
                      f(m(437)), f(m(440)), f(m(444)), fill))
        bx, by = m(439.5), 151.5
        out.append('<path d="M%s,%s l%s,-4.5 l0,8.5 Z M%s,%s l%s,-4.5 l0,8.5 Z" %s/>'
                   % (f(bx), f(by), f(-5.5), f(bx), f(by), f(5.5), fill))
    out.append("</g>")


def clothing_folds(out):
    """Faint seams where aurora light catches the clothes: the shirt's hem above
    the shorts, the dress's waist and a fold of its skirt."""
    out.append('<g stroke="#17303a" stroke-width="1" fill="none" stroke-linecap="round" opacity="0.9">')
    out.append('<path d="M385,199.5 L420,199.5"/>')
    out.append('<path d="M402.5,212 L402.5,219"/>')
    out.append('<path d="M438,189.5 C447,191.5 458,191.5 467.5,189.5"/>')
    out.append('<path d="M447,196 C445,208 443,219 441,229 M459,196 C461,208 464,219 466,229"/>')
    out.append("</g>")


def children(out):
    # The aurora behind them lights their outlines: the rim filter adds a thin
    # teal edge, strongest where the outline faces up.
    out.append('<g filter="url(#rimLight)">')
    boy(out)
    girl(out)
    out.append("</g>")
    clothing_folds(out)


# --- assembly -------------------------------------------------------------

DEFS = """<defs>
<linearGradient id="sky" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#03060f"/>
  <stop offset="0.3" stop-color="#081328"/>
  <stop offset="0.55" stop-color="#0d2038"/>
  <stop offset="0.68" stop-color="#163449"/>
  <stop offset="0.75" stop-color="#1c4250"/>
  <stop offset="1" stop-color="#1c4250"/>
</linearGradient>
<radialGradient id="skyGlow" cx="420" cy="230" r="300" gradientUnits="userSpaceOnUse">
  <stop offset="0" stop-color="#2b7a72" stop-opacity="0.42"/>
  <stop offset="0.5" stop-color="#1a4c5a" stop-opacity="0.18"/>
  <stop offset="1" stop-color="#0d2038" stop-opacity="0"/>
</radialGradient>
<linearGradient id="curtain" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#7a4cd8" stop-opacity="0"/>
  <stop offset="0.25" stop-color="#8457e0" stop-opacity="0.22"/>
  <stop offset="0.5" stop-color="#2fb8b0" stop-opacity="0.45"/>
  <stop offset="0.82" stop-color="#5cf0a8" stop-opacity="0.9"/>
  <stop offset="0.93" stop-color="#b4ffd2" stop-opacity="1"/>
  <stop offset="1" stop-color="#7dffb4" stop-opacity="0"/>
</linearGradient>
<linearGradient id="hem" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#8affc0" stop-opacity="0"/>
  <stop offset="0.7" stop-color="#c8ffe0" stop-opacity="0.8"/>
  <stop offset="1" stop-color="#c8ffe0" stop-opacity="0"/>
</linearGradient>
<linearGradient id="curtainHigh" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#9a64f0" stop-opacity="0"/>
  <stop offset="0.45" stop-color="#8a5ce8" stop-opacity="0.5"/>
  <stop offset="0.85" stop-color="#3ad0b8" stop-opacity="0.7"/>
  <stop offset="1" stop-color="#3ad0b8" stop-opacity="0"/>
</linearGradient>
<linearGradient id="ray" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#c8b4ff" stop-opacity="0"/>
  <stop offset="0.55" stop-color="#8cf5d8" stop-opacity="0.6"/>
  <stop offset="0.9" stop-color="#e0fff0" stop-opacity="1"/>
  <stop offset="1" stop-color="#e0fff0" stop-opacity="0"/>
</linearGradient>
<radialGradient id="starGlow">
  <stop offset="0" stop-color="#ffffff" stop-opacity="0.55"/>
  <stop offset="0.3" stop-color="#cfe0ff" stop-opacity="0.15"/>
  <stop offset="1" stop-color="#cfe0ff" stop-opacity="0"/>
</radialGradient>
<radialGradient id="fireflyGlow">
  <stop offset="0" stop-color="#eaff90" stop-opacity="0.7"/>
  <stop offset="1" stop-color="#eaff90" stop-opacity="0"/>
</radialGradient>
<radialGradient id="flowerGlow">
  <stop offset="0" stop-color="#c8d8ff" stop-opacity="0.28"/>
  <stop offset="1" stop-color="#c8d8ff" stop-opacity="0"/>
</radialGradient>
<radialGradient id="poppyGlow">
  <stop offset="0" stop-color="#ff5030" stop-opacity="0.25"/>
  <stop offset="1" stop-color="#ff5030" stop-opacity="0"/>
</radialGradient>
<linearGradient id="poppyFront" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#f0402e"/>
  <stop offset="0.6" stop-color="#c42020"/>
  <stop offset="1" stop-color="#7e1010"/>
</linearGradient>
<linearGradient id="poppyBack" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#c42424"/>
  <stop offset="1" stop-color="#6e0e0e"/>
</linearGradient>
<radialGradient id="meadowGlow">
  <stop offset="0" stop-color="#3a8070" stop-opacity="0.22"/>
  <stop offset="1" stop-color="#3a8070" stop-opacity="0"/>
</radialGradient>
<linearGradient id="farLand" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#123038"/>
  <stop offset="1" stop-color="#0a1c22"/>
</linearGradient>
<linearGradient id="meadow" gradientUnits="userSpaceOnUse" x1="0" y1="255" x2="0" y2="445">
  <stop offset="0" stop-color="#12362c"/>
  <stop offset="0.25" stop-color="#0c261f"/>
  <stop offset="1" stop-color="#050f0c"/>
</linearGradient>
<linearGradient id="frontLand" gradientUnits="userSpaceOnUse" x1="0" y1="330" x2="0" y2="445">
  <stop offset="0" stop-color="#0b2119"/>
  <stop offset="1" stop-color="#040a08"/>
</linearGradient>
<filter id="auroraBlur" x="-10%" y="-30%" width="120%" height="160%">
  <feGaussianBlur stdDeviation="5 7"/>
</filter>
<filter id="bloomBlur" x="-20%" y="-50%" width="140%" height="200%">
  <feGaussianBlur stdDeviation="18"/>
</filter>
<filter id="rayBlur" x="-10%" y="-30%" width="120%" height="160%">
  <feGaussianBlur stdDeviation="1 3"/>
</filter>
<filter id="glowBlur" x="-20%" y="-50%" width="140%" height="200%">
  <feGaussianBlur stdDeviation="3"/>
</filter>
<filter id="rimLight" x="-10%" y="-10%" width="120%" height="120%">
  <feMorphology in="SourceAlpha" operator="erode" radius="1" result="inner"/>
  <feComposite in="SourceAlpha" in2="inner" operator="out" result="edge"/>
  <feOffset in="SourceAlpha" dx="0" dy="2" result="lowered"/>
  <feComposite in="SourceAlpha" in2="lowered" operator="out" result="topEdge"/>
  <feFlood flood-color="#6ff0c8" flood-opacity="0.2" result="tealSoft"/>
  <feComposite in="tealSoft" in2="edge" operator="in" result="rimAll"/>
  <feFlood flood-color="#a8ffe0" flood-opacity="0.75" result="tealBright"/>
  <feComposite in="tealBright" in2="topEdge" operator="in" result="rimTop"/>
  <feMerge result="rim"><feMergeNode in="rimAll"/><feMergeNode in="rimTop"/></feMerge>
  <feGaussianBlur in="rim" stdDeviation="0.45" result="rimSoft"/>
  <feComposite in="rimSoft" in2="SourceAlpha" operator="in" result="rimInside"/>
  <feMerge><feMergeNode in="SourceGraphic"/><feMergeNode in="rimInside"/></feMerge>
</filter>
<filter id="grain" x="0" y="0" width="100%" height="100%">
  <feTurbulence type="fractalNoise" baseFrequency="0.9" numOctaves="1" seed="5" result="noise"/>
  <feColorMatrix in="noise" type="matrix" values="0 0 0 0 0.5  0 0 0 0 0.5  0 0 0 0 0.5  0 0 0 0.06 0"/>
</filter>
</defs>"""


def background_svg():
    out = ['<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">'
           % (WIDTH, HEIGHT, WIDTH, HEIGHT), DEFS]
    out.append('<rect width="%d" height="%d" fill="url(#sky)"/>' % (WIDTH, HEIGHT))
    out.append('<rect width="%d" height="%d" fill="url(#skyGlow)"/>' % (WIDTH, HEIGHT))
    stars(out)
    aurora(out)
    # The far ridge, then a glow of aurora light along the main crest, then the meadow.
    out.append('<path fill="url(#farLand)" d="%s"/>' % land_path(far_ridge_y, -5, WIDTH + 5))
    out.append(crest_light(crest_y, -5, WIDTH + 5, 0.25))
    out.append('<path fill="url(#meadow)" d="%s"/>' % land_path(crest_y, -5, WIDTH + 5))
    meadow_texture(out)
    rand = Rand(3)
    # Grass against the sky along the whole crest.
    grass_along(out, crest_y, -4, WIDTH + 4, rand, "#0a1f19", 0.9, 3, 11, 1.6, 2.2)
    grass_along(out, lambda x: crest_y(x) + 5, -4, WIDTH + 4, rand, "#0c241d", 0.8, 4, 12, 1.8, 3.0)
    children(out)
    # Grass around the children's feet, in front of their shoes.
    grass_along(out, lambda x: crest_y(x) + 7.5, 376, 482, rand, "#0a1f19", 1.0, 3, 8, 1.5, 1.6)
    # Nearer swells of the meadow toward the bottom corners, with taller grass.
    out.append('<path fill="url(#frontLand)" d="%s"/>' % land_path(front_left_y, -5, 330))
    out.append(crest_light(front_left_y, -5, 330, 0.16))
    grass_along(out, front_left_y, -4, 330, rand, "#081a13", 0.9, 6, 18, 2.0, 3.0)
    out.append('<path fill="url(#frontLand)" d="%s"/>' % land_path(front_right_y, 470, WIDTH + 5))
    out.append(crest_light(front_right_y, 470, WIDTH + 5, 0.16))
    grass_along(out, front_right_y, 480, WIDTH + 4, rand, "#081a13", 0.9, 6, 18, 2.0, 3.0)
    flower_meadow(out)
    left_flower(out)
    poppy(out)
    scattered_flowers(out)
    fireflies(out)
    grass_along(out, lambda x: HEIGHT + 2, -4, WIDTH + 4, rand, "#030806", 0.8, 8, 30, 2.6, 4.0)
    out.append('<rect width="%d" height="%d" filter="url(#grain)"/>' % (WIDTH, HEIGHT))
    out.append("</svg>")
    return "\n".join(out) + "\n"


def main(argv):
    if len(argv) != 2:
        sys.exit("usage: make_background.py OUTPUT_SVG")
    with open(argv[1], "w", encoding="utf-8") as fh:
        fh.write(background_svg())


if __name__ == "__main__":
    main(sys.argv)
