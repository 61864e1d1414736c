"""Writes the review pictures: the background with everything the window lays on
it, and an enlarged sheet of the slider strips.

The preview is an SVG (rendered to PNG by make-art.sh) holding the committed
background JPEG, the six sliders put together from the committed strips the way
the program draws them, the channel names, the corner glyphs, the short product
name and thin outlines of the hot spots; below it the committed icon, every
size enlarged pixel for pixel and at its own size, on a dark and on a light
ground. Nothing written here is embedded in the program. window_svg renders
the window alone at a display scale, as the program draws it there, for the
end-to-end tests to compare the program's picture with.

Usage: make_preview.py ASSET_DIR PREVIEW_SVG STRIP_SHEET_PNG
"""

import base64
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import imagefiles  # noqa: E402

SLIDER_WIDTH, SLIDER_HEIGHT = 160, 32
STRIP_TOP = 9            # the 13-pixel strips centred in the 32-pixel slider
ARROW_WIDTH = 15
THUMB_WIDTH = 20
PIECE = 10
BAR_END = 6              # unscaled columns at each end of a stretched bar

CHANNEL_NAMES = ["鸟语花香", "篝火星夜", "春雨细细", "冬雷阵阵", "惊涛拍岸", "夏夜虫鸣"]
LABEL_TOPS = [40, 68, 96, 124, 152, 177]
SLIDER_TOPS = [43, 71, 99, 127, 155, 179]
# Fill positions and looks shown in the preview, one per slider:
# (position, thumb look, left arrow look, right arrow look), looks 0 normal,
# 1 hot, 2 pressed, 3 disabled.
SLIDER_STATES = [(100, 0, 0, 0), (80, 1, 0, 1), (55, 2, 2, 0), (30, 0, 1, 0), (0, 0, 0, 0), (65, 3, 3, 3)]
GLYPHS = [("?", 683, 3), ("-", 711, 2), ("x", 740, -1)]
HOT_SPOTS = [("edge", 0, 248, 24, 48), ("left flower", 56, 280, 48, 64), ("meadow", 496, 272, 192, 128),
             ("poppy", 152, 312, 48, 64), ("girl", 427, 120, 48, 152), ("boy", 336, 96, 88, 168)]
FONT = "WenQuanYi Micro Hei"


def read_bmp(path):
    """Reads the 24-bit and 1-bit bottom-up BMPs written by make_skins.py."""
    with open(path, "rb") as f:
        data = f.read()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    stride = ((width * bits + 31) // 32) * 4
    rows = []
    for y in range(height):
        line = data[offset + (height - 1 - y) * stride:]
        if bits == 24:
            rows.append([(line[3 * x + 2], line[3 * x + 1], line[3 * x]) for x in range(width)])
        else:
            rows.append([(line[x // 8] >> (7 - x % 8)) & 1 for x in range(width)])
    return rows


class Strip:
    def __init__(self, asset_dir, stem):
        self.colour = read_bmp(os.path.join(asset_dir, stem + ".bmp"))
        self.mask = read_bmp(os.path.join(asset_dir, stem + "_mask.bmp"))


class Canvas:
    def __init__(self, width, height, strip_top=STRIP_TOP, bar_end=BAR_END):
        self.width, self.height = width, height
        self.strip_top, self.bar_end = strip_top, bar_end
        self.pixels = [[(0, 0, 0, 0)] * width for _ in range(height)]

    def blit(self, strip, src_x, src_w, dst_x, dst_w):
        """Draws columns src_x .. src_x + src_w of a strip into dst_x .. dst_x + dst_w,
        stretching by nearest column, the way a mask-then-image blit would."""
        for dx in range(dst_w):
            sx = src_x + (dx * src_w) // dst_w
            x = dst_x + dx
            if not 0 <= x < self.width:
                continue
            for sy in range(len(strip.colour)):
                if not strip.mask[sy][sx]:
                    r, g, b = strip.colour[sy][sx]
                    self.pixels[self.strip_top + sy][x] = (r, g, b, 255)

    def bar(self, strip, dst_x, dst_w):
        """A bar stretched to dst_w, its rounded ends kept unscaled."""
        src_w, end = len(strip.colour[0]), self.bar_end
        self.blit(strip, 0, end, dst_x, end)
        self.blit(strip, end, src_w - 2 * end, dst_x + end, dst_w - 2 * end)
        self.blit(strip, src_w - end, end, dst_x + dst_w - end, end)


def compose_slider(strips, position, thumb_look, left_look, right_look, k=1):
    """One slider as RGBA rows, drawn from the strips like the program does:
    160 x 32 from the 1x strips, or k times that from strips drawn k times as
    densely (every design length times k)."""
    width = SLIDER_WIDTH * k
    arrow, thumb_width, piece, bar_end = ARROW_WIDTH * k, THUMB_WIDTH * k, PIECE * k, BAR_END * k
    canvas = Canvas(width, SLIDER_HEIGHT * k, STRIP_TOP * k, bar_end)
    usable = max(SLIDER_WIDTH - 2 * ARROW_WIDTH - THUMB_WIDTH, 0)
    thumb_x = (ARROW_WIDTH + (position * usable) // 100) * k
    track_w = width - 2 * arrow
    canvas.bar(strips["bar_light"], arrow, track_w)
    fill_w = thumb_x + thumb_width // 2 - arrow
    if fill_w >= 2 * bar_end:
        canvas.bar(strips["bar_dark"], arrow, fill_w)
    arrows, thumb = strips["arrows"], strips["thumb"]
    canvas.blit(arrows, left_look * arrow, arrow, 0, arrow)
    canvas.blit(arrows, (4 + right_look) * arrow, arrow, width - arrow, arrow)
    base = thumb_look * 4 * piece
    canvas.blit(thumb, base + 0 * piece, piece, thumb_x, piece)
    canvas.blit(thumb, base + 3 * piece, piece, thumb_x + piece, piece)
    canvas.blit(thumb, base + 2 * piece, piece, thumb_x + (thumb_width - piece) // 2, piece)
    return canvas.pixels


# The icon sheet: each size below 256 enlarged by a whole factor to about 100
# pixels, then the 256-pixel image and every size at its own size, once on a
# dark ground (a dark taskbar) and once on a light one (a folder window).
ICON_ZOOM = {16: 6, 20: 5, 24: 4, 32: 3, 40: 2, 48: 2, 64: 2}
ICON_GROUNDS = [("dark", (32, 33, 36)), ("light", (243, 243, 243))]
ICON_GAP = 10
ICON_ROW = 128 + 2 * ICON_GAP
ICON_BAND = ICON_ROW + 256 + 2 * ICON_GAP


def over(ground, pixel):
    r, g, b, a = pixel
    return tuple((c * a + k * (255 - a) + 127) // 255 for c, k in zip((r, g, b), ground)) + (255,)


def icon_sheet(images):
    """The sheet as RGBA rows, and where each enlarged size stands: a list of
    (size, x, y) for the labels."""
    width = 770
    rows = []
    placed = []
    for band, (_, ground) in enumerate(ICON_GROUNDS):
        canvas = [[ground + (255,)] * width for _ in range(ICON_BAND)]

        def put(pixels, left, top, zoom=1):
            for y, line in enumerate(pixels):
                for x, pixel in enumerate(line):
                    shown = over(ground, pixel)
                    for dy in range(zoom):
                        canvas[top + y * zoom + dy][left + x * zoom:left + (x + 1) * zoom] = [shown] * zoom

        x = ICON_GAP
        for pixels in images:
            size = len(pixels)
            if size in ICON_ZOOM:
                put(pixels, x, ICON_GAP + 128 - size * ICON_ZOOM[size], ICON_ZOOM[size])
                placed.append((size, x, band * ICON_BAND + ICON_GAP + 128))
                x += size * ICON_ZOOM[size] + ICON_GAP
        x = ICON_GAP
        for pixels in sorted(images, key=len, reverse=True):
            put(pixels, x, ICON_ROW + ICON_GAP + 256 - len(pixels))
            x += len(pixels) + ICON_GAP
        rows.extend(canvas)
    return rows, placed


def data_uri(mime, data):
    return "data:%s;base64,%s" % (mime, base64.b64encode(data).decode("ascii"))


def texts():
    """The channel names, the corner glyphs and the short product name, in
    the design's units."""
    out = []
    for name, top in zip(CHANNEL_NAMES, LABEL_TOPS):
        out.append('<text x="45" y="%d" font-family="%s" font-size="12" fill="#fff" '
                   'dominant-baseline="central">%s</text>' % (top + 16, FONT, name))
    for glyph, left, top in GLYPHS:
        out.append('<text x="%d" y="%d" font-family="%s" font-size="19" font-weight="bold" fill="#fff" '
                   'text-anchor="middle" dominant-baseline="central">%s</text>' % (left + 12, top + 16, FONT, glyph))
    out.append('<text x="13" y="20" font-family="%s" font-size="14" fill="rgb(92,124,154)" '
               'dominant-baseline="central">禾语听泉</text>' % FONT)
    return out


def preview_svg(asset_dir):
    strips = {stem: Strip(asset_dir, stem) for stem in ("bar_light", "bar_dark", "arrows", "thumb")}
    with open(os.path.join(asset_dir, "background.jpg"), "rb") as f:
        background = f.read()
    with open(os.path.join(asset_dir, "heyu.ico"), "rb") as f:
        sheet, placed = icon_sheet(imagefiles.ico_images(f.read()))
    height = 445 + len(sheet)
    out = ['<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" '
           'width="770" height="%d" viewBox="0 0 770 %d">' % (height, height),
           '<image x="0" y="0" width="770" height="445" xlink:href="%s"/>' % data_uri("image/jpeg", background),
           '<image x="0" y="445" width="770" height="%d" xlink:href="%s"/>'
           % (len(sheet), data_uri("image/png", imagefiles.png_bytes(sheet)))]
    for size, x, bottom in placed:
        out.append('<text x="%d" y="%d" font-family="%s" font-size="9" fill="#ff80ff">%d</text>'
                   % (x, 445 + bottom + 9, FONT, size))
    for top, state in zip(SLIDER_TOPS, SLIDER_STATES):
        png = imagefiles.png_bytes(compose_slider(strips, *state))
        out.append('<image x="113" y="%d" width="160" height="32" xlink:href="%s"/>' % (top, data_uri("image/png", png)))
    out.extend(texts())
    for name, x, y, w, h in HOT_SPOTS:
        out.append('<rect x="%.1f" y="%.1f" width="%d" height="%d" fill="none" stroke="#ff40ff" '
                   'stroke-width="1" stroke-opacity="0.8"/>' % (x + 0.5, y + 0.5, w - 1, h - 1))
        out.append('<text x="%d" y="%d" font-family="%s" font-size="9" fill="#ff80ff">%s</text>'
                   % (x + 2, y + 10, FONT, name))
    out.append("</svg>")
    return "\n".join(out) + "\n"


# --- the window as the program draws it at a display scale -----------------

WINDOW_WIDTH, WINDOW_HEIGHT = 770, 445
SLIDER_LEFT = 113
# The sliders as a fresh start shows them: every volume at 100, normal looks.
START_STATE = (100, 0, 0, 0)


def px(units, dpi):
    """Design units to pixels as the program's MulDiv does: to the nearest,
    halves away from zero."""
    return (units * dpi + 48) // 96


def area_weights(source, target):
    """For each of target cells laid over source cells: the (source index,
    share of it) pairs it covers, the shares in target cells' units."""
    weights = []
    for t in range(target):
        start, end = t * source / target, (t + 1) * source / target
        cells = []
        s = int(start)
        while s < end and s < source:
            cells.append((s, (min(end, s + 1) - max(start, s)) * target / source))
            s += 1
        weights.append(cells)
    return weights


def resample_by_area(pixels, width, height):
    """RGBA rows at width x height, each pixel the mean of what it covers,
    the colour averaged over the opaque part and the mask cut at one half,
    as the program resizes its slider strips."""
    columns = area_weights(len(pixels[0]), width)
    rows = area_weights(len(pixels), height)
    # Premultiplied, so that transparent pixels lend no colour.
    flat = [[(r * a, g * a, b * a, a) for r, g, b, a in line] for line in pixels]
    across = [[tuple(sum(line[s][c] * w for s, w in cells) for c in range(4)) for cells in columns]
              for line in flat]
    out = []
    for cells in rows:
        line = []
        for x in range(width):
            r, g, b, a = (sum(across[s][x][c] * w for s, w in cells) for c in range(4))
            line.append((round(r / a), round(g / a), round(b / a), 255) if a >= 127.5
                        else (0, 0, 0, 0))
        out.append(line)
    return out


def window_svg(asset_dir, dpi):
    """The main window at dpi as a fresh start shows it, in pixels: the
    background at 1x at 96 dpi, else the 2x picture at the window's size;
    the sliders put together from the 1x strips at 96 dpi, else from the 2x
    strips and resized by area; the names, glyphs and product name at the
    scale. No outlines, no icon."""
    width, height = px(WINDOW_WIDTH, dpi), px(WINDOW_HEIGHT, dpi)
    k, suffix = (1, "") if dpi == 96 else (2, "_2x")
    strips = {stem: Strip(asset_dir, stem + suffix)
              for stem in ("bar_light", "bar_dark", "arrows", "thumb")}
    with open(os.path.join(asset_dir, "background%s.jpg" % suffix), "rb") as f:
        background = f.read()
    slider = compose_slider(strips, *START_STATE, k=k)
    out = ['<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" '
           'width="%d" height="%d" viewBox="0 0 %d %d">' % (width, height, width, height),
           '<image x="0" y="0" width="%d" height="%d" preserveAspectRatio="none" '
           'xlink:href="%s"/>' % (width, height, data_uri("image/jpeg", background))]
    for top in SLIDER_TOPS:
        left, right = px(SLIDER_LEFT, dpi), px(SLIDER_LEFT + SLIDER_WIDTH, dpi)
        y, bottom = px(top, dpi), px(top + SLIDER_HEIGHT, dpi)
        shown = slider if k * 96 == dpi else resample_by_area(slider, right - left, bottom - y)
        out.append('<image x="%d" y="%d" width="%d" height="%d" xlink:href="%s"/>'
                   % (left, y, right - left, bottom - y,
                      data_uri("image/png", imagefiles.png_bytes(shown))))
    out.append('<g transform="scale(%r)">' % (dpi / 96))
    out.extend(texts())
    out.append("</g></svg>")
    return "\n".join(out) + "\n"


def strip_sheet(asset_dir, scale=6):
    """All strips and two composed sliders, enlarged, on the sliders' backdrop colour."""
    strips = {stem: Strip(asset_dir, stem) for stem in ("bar_light", "bar_dark", "arrows", "thumb")}
    backdrop = (16, 27, 46, 255)
    rows = []
    for stem in ("bar_light", "bar_dark", "arrows", "thumb"):
        s = strips[stem]
        for y in range(len(s.colour)):
            line = []
            for x in range(len(s.colour[0])):
                pixel = backdrop if s.mask[y][x] else s.colour[y][x] + (255,)
                line.extend([pixel] * scale)
            rows.extend([line] * scale)
        rows.extend([[backdrop] * len(rows[0])] * scale * 2)
    width = max(len(r) for r in rows)
    for state in ((40, 0, 0, 0), (75, 1, 2, 1)):
        slider = compose_slider(strips, *state)
        for row in slider:
            line = []
            for pixel in row:
                line.extend([pixel if pixel[3] else backdrop] * (scale // 2))
            rows.extend([line] * (scale // 2))
    return [r + [backdrop] * (width - len(r)) for r in rows]


def main(argv):
    if len(argv) != 4:
        sys.exit("usage: make_preview.py ASSET_DIR PREVIEW_SVG STRIP_SHEET_PNG")
    asset_dir, svg_path, sheet_path = argv[1:]
    if os.path.exists(os.path.join(asset_dir, "background.jpg")):
        with open(svg_path, "w", encoding="utf-8") as f:
            f.write(preview_svg(asset_dir))
    imagefiles.write(sheet_path, imagefiles.png_bytes(strip_sheet(asset_dir)))


if __name__ == "__main__":
    main(sys.argv)
