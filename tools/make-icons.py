#!/usr/bin/env python3
"""Draw the program's icons and write them as multi-size .ico files.

    python3 tools/make-icons.py OUTDIR [--preview SHEET.png]

Everything is drawn here from shapes (signed distance functions), rendered
with 4x4 supersampling and a box filter into straight-alpha BGRA, so the
output is byte-for-byte the same on every run. The 16 px versions have their
own geometry with strokes on whole pixels so they stay crisp.
"""

import math
import os
import struct
import sys
import zlib

SIZES = (16, 32, 48)
SUPERSAMPLE = 4


# ---------------------------------------------------------------- shapes
# A shape is (sdf, bbox): sdf(x, y) is negative inside, in pixels;
# bbox = (x0, y0, x1, y1) bounds where the shape can be non-empty.

def rect(x0, y0, x1, y1, r=0.0):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2, (y1 - y0) / 2

    def sdf(x, y):
        qx = abs(x - cx) - hx + r
        qy = abs(y - cy) - hy + r
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r
    return sdf, (x0, y0, x1, y1)


def circle(cx, cy, r):
    def sdf(x, y):
        return math.hypot(x - cx, y - cy) - r
    return sdf, (cx - r, cy - r, cx + r, cy + r)


def _segment_distance(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else ((x - ax) * dx + (y - ay) * dy) / length2
    t = min(max(t, 0.0), 1.0)
    return math.hypot(x - ax - t * dx, y - ay - t * dy)


def stroke(points, width):
    """Polyline of the given width with round caps and joins."""
    half = width / 2
    segments = list(zip(points, points[1:]))

    def sdf(x, y):
        return min(_segment_distance(x, y, a[0], a[1], b[0], b[1])
                   for a, b in segments) - half
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return sdf, (min(xs) - half, min(ys) - half, max(xs) + half, max(ys) + half)


def polygon(points):
    n = len(points)

    def sdf(x, y):
        best = float("inf")
        inside = False
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[i - 1]
            best = min(best, _segment_distance(x, y, ax, ay, bx, by))
            if (ay > y) != (by > y) and x < (bx - ax) * (y - ay) / (by - ay) + ax:
                inside = not inside
        return -best if inside else best
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return sdf, (min(xs), min(ys), max(xs), max(ys))


def union(*shapes):
    fns = [s[0] for s in shapes]
    box = (min(s[1][0] for s in shapes), min(s[1][1] for s in shapes),
           max(s[1][2] for s in shapes), max(s[1][3] for s in shapes))
    return (lambda x, y: min(f(x, y) for f in fns)), box


def subtract(a, b):
    fa, fb = a[0], b[0]
    return (lambda x, y: max(fa(x, y), -fb(x, y))), a[1]


def grow(shape, amount):
    f = shape[0]
    x0, y0, x1, y1 = shape[1]
    return (lambda x, y: f(x, y) - amount), (x0 - amount, y0 - amount, x1 + amount, y1 + amount)


def offset(shape, dx, dy):
    f = shape[0]
    x0, y0, x1, y1 = shape[1]
    return (lambda x, y: f(x - dx, y - dy)), (x0 + dx, y0 + dy, x1 + dx, y1 + dy)


# ---------------------------------------------------------------- paint

def hex_colour(text, alpha=1.0):
    v = int(text.lstrip("#"), 16)
    return ((v >> 16 & 255) / 255, (v >> 8 & 255) / 255, (v & 255) / 255, alpha)


def solid(colour):
    return lambda x, y: colour


def linear_gradient(x0, y0, c0, x1, y1, c1):
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy

    def paint(x, y):
        t = min(max(((x - x0) * dx + (y - y0) * dy) / length2, 0.0), 1.0)
        return tuple(a + (b - a) * t for a, b in zip(c0, c1))
    return paint


class Canvas:
    """Premultiplied RGBA floats, painted shape by shape."""

    def __init__(self, size):
        self.size = size
        self.pixels = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]
        step = 1.0 / SUPERSAMPLE
        self.offsets = [(i + 0.5) * step for i in range(SUPERSAMPLE)]

    def _coverage(self, sdf, px, py, soft):
        if soft:
            return min(max(0.5 - sdf(px + 0.5, py + 0.5) / soft, 0.0), 1.0)
        total = 0.0
        for oy in self.offsets:
            for ox in self.offsets:
                c = 0.5 - sdf(px + ox, py + oy) * SUPERSAMPLE
                total += 1.0 if c >= 1.0 else (c if c > 0.0 else 0.0)
        return total / (SUPERSAMPLE * SUPERSAMPLE)

    def _area(self, bbox, soft):
        pad = 1 + (soft or 0)
        x0 = max(0, int(math.floor(bbox[0] - pad)))
        y0 = max(0, int(math.floor(bbox[1] - pad)))
        x1 = min(self.size, int(math.ceil(bbox[2] + pad)))
        y1 = min(self.size, int(math.ceil(bbox[3] + pad)))
        return x0, y0, x1, y1

    def fill(self, shape, paint, soft=None):
        """Source-over; `soft` widens the edge (in pixels) for shadows."""
        sdf, bbox = shape
        x0, y0, x1, y1 = self._area(bbox, soft)
        for py in range(y0, y1):
            for px in range(x0, x1):
                cov = self._coverage(sdf, px, py, soft)
                if cov <= 0.0:
                    continue
                r, g, b, a = paint(px + 0.5, py + 0.5)
                a *= cov
                dst = self.pixels[py * self.size + px]
                keep = 1.0 - a
                dst[0] = r * a + dst[0] * keep
                dst[1] = g * a + dst[1] * keep
                dst[2] = b * a + dst[2] * keep
                dst[3] = a + dst[3] * keep

    def clear(self, shape):
        """Destination-out: punch a hole (the gap around a badge)."""
        sdf, bbox = shape
        x0, y0, x1, y1 = self._area(bbox, None)
        for py in range(y0, y1):
            for px in range(x0, x1):
                keep = 1.0 - self._coverage(sdf, px, py, None)
                if keep < 1.0:
                    self.pixels[py * self.size + px] = [v * keep for v in self.pixels[py * self.size + px]]

    def rgba(self):
        """Straight-alpha 8-bit rows, top row first."""
        rows = []
        for py in range(self.size):
            row = []
            for px in range(self.size):
                r, g, b, a = self.pixels[py * self.size + px]
                a8 = int(round(min(max(a, 0.0), 1.0) * 255))
                if a8 == 0:
                    row.append((0, 0, 0, 0))
                    continue
                row.append(tuple(int(round(min(max(c / a, 0.0), 1.0) * 255)) for c in (r, g, b)) + (a8,))
            rows.append(row)
        return rows


# ---------------------------------------------------------------- artwork

TEAL = hex_colour("#12B4A4")
BLUE = hex_colour("#1F46C4")
WHITE = hex_colour("#FFFFFF")
SHADOW = hex_colour("#0A1F4A", 0.35)
RIM_LIGHT = hex_colour("#FFFFFF", 0.28)
RIM_DARK = hex_colour("#061640", 0.30)
SELECTED = hex_colour("#FFFFFF", 0.16)
BUSY = hex_colour("#34D67A")
BUSY_DARK = hex_colour("#0F9A4A")
ERROR = hex_colour("#F2473D")
ERROR_DARK = hex_colour("#BE2219")
CURSOR_EDGE = hex_colour("#0B2A66")

# Every size has its own geometry, in pixels. Edges of straight strokes sit on
# whole pixels: even widths are centred on whole pixels, odd ones on halves.

TILE = {16: (0, 3), 32: (1, 6), 48: (2, 9)}  # inset, corner radius


def tile_shape(size):
    inset, radius = TILE[size]
    return rect(inset, inset, size - inset, size - inset, radius)


def draw_tile(canvas, size):
    inset, _ = TILE[size]
    tile = tile_shape(size)
    canvas.fill(tile, linear_gradient(inset, inset, TEAL, size - inset, size - inset, BLUE))
    if size >= 32:
        # a light rim along the top and a dark one along the bottom give depth
        canvas.fill(subtract(tile, offset(tile, 0, 1)), solid(RIM_LIGHT))
        canvas.fill(subtract(tile, offset(tile, 0, -1)), solid(RIM_DARK))


def draw_glyph(canvas, size, glyph):
    """White artwork; from 32 px on it casts a soft shadow on the tile."""
    if size >= 32:
        canvas.fill(offset(glyph, 0, size / 32), solid(SHADOW), soft=size / 24)
    canvas.fill(glyph, solid(WHITE))


# The mark: an arrow lifting out of an open tray. At 16 px the arrow has a
# solid head (a chevron of two-pixel strokes turns to mush there).
MARK = {
    #     stroke, centre x, chevron apex y, chevron half width, shaft end y,
    #     tray left, tray right, tray post top, tray bottom (outer edges)
    32: dict(w=3, cx=16.5, apex=8.5, half=6.5, shaft_end=20, left=7, right=26, post=19, bottom=25),
    48: dict(w=4, cx=24, apex=12, half=10, shaft_end=30, left=10, right=38, post=28, bottom=37),
}


def lift_mark(size):
    if size == 16:
        head = polygon([(7, 2), (9, 2), (12, 5), (4, 5)])
        shaft = rect(7, 5, 9, 10)
        tray = union(rect(3, 8, 5, 13, 0.5), rect(11, 8, 13, 13, 0.5), rect(3, 11, 13, 13, 0.5))
        return union(head, shaft, tray)
    m = MARK[size]
    w, cx = m["w"], m["cx"]
    apex, half = m["apex"], m["half"]
    chevron = stroke([(cx - half, apex + half), (cx, apex), (cx + half, apex + half)], w)
    shaft = rect(cx - w / 2, apex, cx + w / 2, m["shaft_end"])
    inner = w / 2
    tray = stroke([(m["left"] + inner, m["post"]), (m["left"] + inner, m["bottom"] - inner),
                   (m["right"] - inner, m["bottom"] - inner), (m["right"] - inner, m["post"])], w)
    return union(chevron, shaft, tray)


def draw_main(size):
    canvas = Canvas(size)
    draw_tile(canvas, size)
    draw_glyph(canvas, size, lift_mark(size))
    return canvas


# Status badge in the lower right corner: centre, radius, gap cut around it.
BADGE = {16: (12, 12, 4, 1.0), 32: (24.5, 24.5, 7, 1.5), 48: (36, 36, 10.5, 2)}


def draw_badge(canvas, size, fill, rim, symbol):
    cx, cy, r, gap = BADGE[size]
    canvas.clear(circle(cx, cy, r + gap))
    canvas.fill(circle(cx, cy, r), linear_gradient(cx, cy - r, fill, cx, cy + r, rim))
    canvas.fill(symbol, solid(WHITE))


# Arrow in the busy badge: head outline, then the shaft rectangle.
BUSY_ARROW = {
    16: ([(11, 9), (13, 9), (15, 12), (9, 12)], (11, 12, 13, 15)),
    32: ([(24, 19), (25, 19), (30, 24), (19, 24)], (23, 24, 26, 30)),
    48: ([(35, 28), (37, 28), (44, 35), (28, 35)], (34, 35, 38, 44)),
}
# "!" in the error badge: bar, dot and their corner radius.
ERROR_MARK = {
    16: ((11, 9, 13, 12), (11, 13, 13, 15), 0),
    32: ((23, 19, 26, 26), (23, 27, 26, 30), 0.75),
    48: ((34, 28, 38, 38), (34, 40, 38, 44), 1),
}


def busy_symbol(size):
    head, shaft = BUSY_ARROW[size]
    return union(polygon(head), rect(*shaft))


def error_symbol(size):
    bar, dot, radius = ERROR_MARK[size]
    return union(rect(*bar, radius), rect(*dot, radius))


def draw_uploading(size):
    canvas = draw_main(size)
    draw_badge(canvas, size, BUSY, BUSY_DARK, busy_symbol(size))
    return canvas


def draw_error(size):
    canvas = draw_main(size)
    draw_badge(canvas, size, ERROR, ERROR_DARK, error_symbol(size))
    return canvas


def outline(x0, y0, x1, y1, w):
    return subtract(rect(x0, y0, x1, y1), rect(x0 + w, y0 + w, x1 - w, y1 - w))


# Selection: frame box, line width, handle size, dashes per side and their
# length. The gaps between handles and dashes come out in whole pixels.
SELECTION = {
    16: dict(box=(3, 3, 13, 13), line=1, handle=3, dashes=1, dash=2),
    32: dict(box=(6, 6, 26, 26), line=2, handle=6, dashes=2, dash=3),
    48: dict(box=(9, 9, 39, 39), line=2, handle=8, dashes=2, dash=4),
}


def selection_parts(size):
    g = SELECTION[size]
    x0, y0, x1, y1 = g["box"]
    w, h, n, d = g["line"], g["handle"], g["dashes"], g["dash"]
    centres = (x0 + w / 2, x1 - w / 2)  # handles sit on the corners of the line
    span0, span1 = centres[0] + h / 2, centres[1] - h / 2
    gap = (span1 - span0 - n * d) / (n + 1)
    parts = []
    for i in range(n):
        a = span0 + gap + i * (d + gap)
        parts += [rect(a, y0, a + d, y0 + w), rect(a, y1 - w, a + d, y1),
                  rect(x0, a, x0 + w, a + d), rect(x1 - w, a, x1, a + d)]
    for cx in centres:
        for cy in centres:
            parts.append(rect(cx - h / 2, cy - h / 2, cx + h / 2, cy + h / 2))
    return rect(x0 + w, y0 + w, x1 - w, y1 - w), union(*parts)


def draw_task_screenshot(size):
    canvas = Canvas(size)
    draw_tile(canvas, size)
    inside, frame = selection_parts(size)
    canvas.fill(inside, solid(SELECTED))
    draw_glyph(canvas, size, frame)
    return canvas


# Window grab: a window frame (box, line, title bar height) and the pointer
# grabbing it (tip position and scale of the outline below, drawn for 16 px).
WINDOW = {
    16: dict(box=(2, 2, 13, 11), line=1, title=2, tip=(8, 6), scale=1.0),
    32: dict(box=(4, 5, 26, 23), line=2, title=4, tip=(15, 12), scale=2),
    48: dict(box=(7, 8, 39, 34), line=2, title=6, tip=(23, 18), scale=3),
}
POINTER = [(0, 0), (0, 7), (1.7, 5.4), (3, 8.2), (4.3, 7.6), (3.1, 5), (5, 5)]  # 45 degree edge


def window_glyph(size):
    g = WINDOW[size]
    x0, y0, x1, y1 = g["box"]
    return union(outline(x0, y0, x1, y1, g["line"]), rect(x0, y0, x1, y0 + g["title"]))


def pointer_shape(size):
    g = WINDOW[size]
    (ax, ay), k = g["tip"], g["scale"]
    return polygon([(ax + px * k, ay + py * k) for px, py in POINTER])


def draw_task_windowgrab(size):
    canvas = Canvas(size)
    draw_tile(canvas, size)
    draw_glyph(canvas, size, window_glyph(size))
    pointer = pointer_shape(size)
    canvas.fill(grow(pointer, max(1.0, size / 24)), solid(CURSOR_EDGE))
    canvas.fill(pointer, solid(WHITE))
    return canvas


ICONS = [
    # (resource id, file name, drawing)
    (101, "liftorn.ico", draw_main),
    (110, "tray-normal.ico", draw_main),
    (111, "tray-uploading.ico", draw_uploading),
    (112, "tray-error.ico", draw_error),
    (120, "task-screenshot.ico", draw_task_screenshot),
    (121, "task-windowgrab.ico", draw_task_windowgrab),
]


# ---------------------------------------------------------------- files

def ico_bytes(images):
    """images: list of (size, rgba rows). 32-bit DIB entries with AND mask."""
    entries, blobs = [], []
    data_offset = 6 + 16 * len(images)
    for size, rows in images:
        header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        colour = bytearray()
        for row in reversed(rows):  # DIBs are stored bottom-up
            for r, g, b, a in row:
                colour += bytes((b, g, r, a))
        mask_stride = ((size + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(rows):
            line = bytearray(mask_stride)
            for x, (_, _, _, a) in enumerate(row):
                if a < 128:  # transparent where alpha is not honoured
                    line[x // 8] |= 0x80 >> (x % 8)
            mask += line
        blob = header + colour + mask
        entries.append(struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32,
                                   len(blob), data_offset))
        data_offset += len(blob)
        blobs.append(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs)


def png_bytes(width, height, rows):
    """rows: lists of (r, g, b) tuples, top first."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = bytearray()
    for row in rows:
        raw.append(0)
        for pixel in row:
            raw += bytes(pixel)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


# ---------------------------------------------------------------- preview

DIGITS = {  # 3x5 bitmaps for the row labels of the contact sheet
    "0": "111101101101111", "1": "010110010010111", "2": "111001111100111",
    "3": "111001111001111", "4": "101101111001001", "5": "111100111001111",
    "6": "111100111101111", "7": "111001001001001", "8": "111101111101111",
    "9": "111101111001111",
}


def contact_sheet(rendered):
    """rendered: list of (id, {size: rgba rows}). Each icon at 1x and 4x on a
    light and a dark background."""
    zoom, pad = 4, 12
    backgrounds = ((240, 240, 240), (32, 32, 36))
    label_w = 3 * 4 * 3 + pad
    panel_w = pad + sum(s + pad for s in SIZES) + sum(s * zoom + pad for s in SIZES)
    row_h = max(SIZES) * zoom + pad
    width = label_w + panel_w * len(backgrounds)
    height = pad + row_h * len(rendered)
    sheet = [[(200, 200, 200)] * width for _ in range(height)]

    def put(x, y, colour):
        sheet[y][x] = colour

    for index, (icon_id, images) in enumerate(rendered):
        top = pad + index * row_h
        for n, ch in enumerate(str(icon_id)):
            bits = DIGITS[ch]
            for by in range(5):
                for bx in range(3):
                    if bits[by * 3 + bx] == "1":
                        for dy in range(3):
                            for dx in range(3):
                                put(4 + n * 12 + bx * 3 + dx, top + 4 + by * 3 + dy, (0, 0, 0))
        for b, bg in enumerate(backgrounds):
            left = label_w + b * panel_w
            for y in range(top - pad // 2, top + row_h - pad // 2):
                for x in range(left, left + panel_w - pad // 2):
                    if y < height:
                        put(x, y, bg)
            x = left + pad // 2
            placements = [(s, 1) for s in SIZES] + [(s, zoom) for s in SIZES]
            for size, scale in placements:
                rows = images[size]
                for py in range(size * scale):
                    for px in range(size * scale):
                        r, g, bb, a = rows[py // scale][px // scale]
                        t = a / 255
                        put(x + px, top + py, tuple(int(round(c * t + d * (1 - t)))
                                                    for c, d in zip((r, g, bb), bg)))
                x += size * scale + pad
    return png_bytes(width, height, sheet)


def main(argv):
    args = list(argv[1:])
    preview = None
    if "--preview" in args:
        i = args.index("--preview")
        if i + 1 >= len(args):
            print("usage: make-icons.py OUTDIR [--preview FILE.png]", file=sys.stderr)
            return 2
        preview = args[i + 1]
        del args[i:i + 2]
    if len(args) != 1:
        print("usage: make-icons.py OUTDIR [--preview FILE.png]", file=sys.stderr)
        return 2
    outdir = args[0]
    os.makedirs(outdir, exist_ok=True)

    rendered = []
    cache = {}
    for icon_id, name, draw in ICONS:
        images = {}
        for size in SIZES:
            key = (draw, size)
            if key not in cache:
                cache[key] = draw(size).rgba()
            images[size] = cache[key]
        with open(os.path.join(outdir, name), "wb") as f:
            f.write(ico_bytes([(s, images[s]) for s in SIZES]))
        rendered.append((icon_id, images))
    if preview:
        with open(preview, "wb") as f:
            f.write(contact_sheet(rendered))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
