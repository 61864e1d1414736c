"""Writes the two standard drop-shadow ring pictures, shadow5.png and shadow10.png,
and each again at 2x for high-dpi screens, shadow5_2x.png and shadow10_2x.png.

Each is a 100 x 100 RGBA picture, black everywhere, whose alpha forms a ring
along the border: the program cuts it into nine slices and stretches the edges
to the shadow window's size, so the straight edges carry a fixed ramp and the
corners turn that ramp around a quarter circle. The 2x picture (200 x 200) is
the same ring sampled twice as densely: each pixel takes the alpha at its
centre in the 1x picture's units, so the ramp is interpolated between the 1x
pixels' values and the corners are as round at twice the size.

Usage: make_rings.py OUTPUT_DIR
"""

import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import imagefiles  # noqa: E402

SIZE = 100

# Alpha of the straight edges, outermost pixel first. The 10-pixel ring's
# innermost pixel is darker on the top and left edges than on the right and
# bottom ones; the rest of the ramp is the same on all four sides.
RING5 = {"ramp": [15, 31, 53, 79, 111], "inner": {"top": 111, "left": 111, "right": 111, "bottom": 111}}
RING10 = {"ramp": [11, 19, 28, 40, 53, 68, 85, 105, 122, 137],
          "inner": {"top": 137, "left": 137, "right": 124, "bottom": 124}}


def ramp_alpha(ramp, depth):
    """Alpha at `depth` pixels inward from the ring's outer boundary.

    Pixel k of a straight edge has its centre at depth k + 0.5 and gets ramp[k];
    between centres the alpha is interpolated, below depth 0 it is 0 and past the
    innermost centre it stays at the innermost value.
    """
    if depth <= 0.0:
        return 0.0
    if depth <= 0.5:
        return ramp[0] * depth / 0.5
    position = depth - 0.5
    k = int(position)
    if k >= len(ramp) - 1:
        return float(ramp[-1])
    frac = position - k
    return ramp[k] + (ramp[k + 1] - ramp[k]) * frac


def ring_alphas(ring, scale=1):
    """Returns the ring's alpha as SIZE * scale rows of SIZE * scale integers."""
    width = len(ring["ramp"])
    side = SIZE * scale
    inner = ring["inner"]

    def edge_ramp(side):
        return ring["ramp"][:-1] + [inner[side]]

    alphas = [[0] * side for _ in range(side)]
    for y in range(side):
        for x in range(side):
            # Depth inward from each side, measured to the pixel centre, in
            # the 1x picture's pixels.
            from_left = (x + 0.5) / scale
            from_right = SIZE - from_left
            from_top = (y + 0.5) / scale
            from_bottom = SIZE - from_top
            side_x = "left" if from_left < from_right else "right"
            side_y = "top" if from_top < from_bottom else "bottom"
            dx = width - min(from_left, from_right)   # > 0 inside the left/right band
            dy = width - min(from_top, from_bottom)   # > 0 inside the top/bottom band
            if dx > 0 and dy > 0:
                # Corner square: the ramp turns around a quarter circle of radius
                # `width` centred where the two bands' inner edges meet. The
                # innermost value is blended by angle between the two edges' values.
                distance = math.hypot(dx, dy)
                toward_side_x = math.atan2(dx, dy) / (math.pi / 2)
                ramp = ring["ramp"][:-1] + [inner[side_y] + (inner[side_x] - inner[side_y])
                                            * toward_side_x]
                value = ramp_alpha(ramp, width - distance)
            elif dy > 0:
                value = ramp_alpha(edge_ramp(side_y), min(from_top, from_bottom))
            elif dx > 0:
                value = ramp_alpha(edge_ramp(side_x), min(from_left, from_right))
            else:
                value = 0.0
            alphas[y][x] = int(value + 0.5)
    for x, y in ((0, 0), (side - 1, 0), (0, side - 1), (side - 1, side - 1)):
        if alphas[y][x] != 0:
            raise AssertionError("corner pixel must be fully transparent")
    return alphas


def ring_png(ring, scale=1):
    return imagefiles.png_bytes([[(0, 0, 0, a) for a in row] for row in ring_alphas(ring, scale)])


def main(argv):
    if len(argv) != 2:
        sys.exit("usage: make_rings.py OUTPUT_DIR")
    out = argv[1]
    for scale, suffix in ((1, ""), (2, "_2x")):
        imagefiles.write(os.path.join(out, "shadow5%s.png" % suffix), ring_png(RING5, scale))
        imagefiles.write(os.path.join(out, "shadow10%s.png" % suffix), ring_png(RING10, scale))


if __name__ == "__main__":
    main(sys.argv)
