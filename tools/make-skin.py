#!/usr/bin/env python3
"""Draw the program's skin: every PNG the windows are composed from.

    python3 tools/make-skin.py OUTDIR [--preview SHEET.png]
    python3 tools/make-skin.py OUTDIR/150 --scale 150

With --scale the pictures are drawn again for a monitor at that scale (150 or
200 percent), each the size of its 100 % picture scaled by the program's one
rounding rule (nearest, halves away from zero; a side of one pixel, a slice
that is repeated, stays one): every length in the drawing is a 96-DPI one,
shapes and paints are evaluated at the finer pixels and text is set at the
scaled size, never stretched.

Shapes are signed distance functions rendered with analytic anti-aliasing
(small icons are supersampled), so straight edges placed on whole pixels come
out crisp. ImageMagick is used for three things only: rasterising text with
Carlito, Gaussian blur for shadows and glows, and assembling the preview sheet.
Pixels are written by our own PNG encoder (RGBA, 8 bits, no ancillary chunks),
so the same inputs give the same bytes on every run.

The visual language: a dark graphite body with rounded corners, a soft shadow
and a faint teal glow in the window margins, teal-to-blue accents like the
program icon, and near-white Carlito text.
"""

import math
import os
import struct
import subprocess
import sys
import tempfile
import zlib


# ================================================================ PNG output

def png_bytes(width, height, rgba, quick=False):
    """Encode straight-alpha RGBA bytes (top row first) as a plain PNG.

    `quick` skips the row filters, for the preview's scratch files."""
    stride = width * 4
    raw = bytearray()
    prev = bytes(stride)
    for y in range(height):
        row = rgba[y * stride:(y + 1) * stride]
        raw += b"\x00" + row if quick else _filtered_row(row, prev)
        prev = row

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 1 if quick else 9)) + chunk(b"IEND", b""))


_MAGNITUDE = bytes(min(v, 256 - v) for v in range(256))


def _filtered_row(row, prev):
    """Pick the filter with the smallest sum of absolute bytes (the usual heuristic)."""
    n = len(row)
    sub = bytes((row[i] - (row[i - 4] if i >= 4 else 0)) & 255 for i in range(n))
    up = bytes((row[i] - prev[i]) & 255 for i in range(n))
    best, best_cost = b"\x00" + bytes(row), sum(bytes(row).translate(_MAGNITUDE))
    for kind, data in ((1, sub), (2, up)):
        cost = sum(data.translate(_MAGNITUDE))
        if cost < best_cost:
            best, best_cost = bytes([kind]) + data, cost
    return best


def load_png(path):
    """Read a PNG back (through ImageMagick) as a canvas."""
    with open(path, "rb") as f:
        width, height = struct.unpack(">II", f.read(24)[16:24])
    return Canvas.from_rgba(width, height, magick([path, "-depth", "8", "rgba:-"]))


# ================================================================ scale

# Pixels per 96-DPI pixel of the set being drawn.
SCALE = 1.0


def scaled(v):
    """A 96-DPI length at SCALE: nearest, halves away from zero."""
    n = int(math.floor(abs(v) * SCALE + 0.5))
    return n if v >= 0 else -n


def scaled_size(v):
    """A picture's side at SCALE: a side of one pixel is a slice that its
    widget repeats, and stays one pixel."""
    return 1 if v == 1 else scaled(v)


# ================================================================ shapes
# A shape is (sdf, bbox): sdf(x, y) is negative inside, in pixels;
# bbox = (x0, y0, x1, y1) bounds where the shape can be non-empty.

def rect(x0, y0, x1, y1, r=0.0):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def sdf(x, y):
        qx = abs(x - cx) - hx
        qy = abs(y - cy) - hy
        if qx > 0.0 and qy > 0.0:
            return math.sqrt(qx * qx + qy * qy) - r
        return (qx if qx > qy else qy) - r
    return sdf, (x0, y0, x1, y1)


def circle(cx, cy, r):
    def sdf(x, y):
        return math.sqrt((x - cx) ** 2 + (y - cy) ** 2) - r
    return sdf, (cx - r, cy - r, cx + r, cy + r)


def _segment_distance(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else ((x - ax) * dx + (y - ay) * dy) / length2
    t = 0.0 if t < 0.0 else (1.0 if t > 1.0 else t)
    ex, ey = x - ax - t * dx, y - ay - t * dy
    return math.sqrt(ex * ex + ey * ey)


def stroke(points, width):
    """Polyline of the given width with round caps and joins."""
    half = width / 2
    segments = [(a[0], a[1], b[0], b[1]) for a, b in zip(points, points[1:])]

    def sdf(x, y):
        return min(_segment_distance(x, y, *s) for s in segments) - half
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return sdf, (min(xs) - half, min(ys) - half, max(xs) + half, max(ys) + half)


def polygon(points):
    n = len(points)

    def sdf(x, y):
        d = float("inf")
        inside = False
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[(i + 1) % n]
            d = min(d, _segment_distance(x, y, ax, ay, bx, by))
            if (ay > y) != (by > y) and x < ax + (bx - ax) * (y - ay) / (by - ay):
                inside = not inside
        return -d if inside else d
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return sdf, (min(xs), min(ys), max(xs), max(ys))


def union(*shapes):
    fs = [s[0] for s in shapes]
    boxes = [s[1] for s in shapes]
    return (lambda x, y: min(f(x, y) for f in fs)), (
        min(b[0] for b in boxes), min(b[1] for b in boxes),
        max(b[2] for b in boxes), max(b[3] for b in boxes))


def subtract(a, b):
    fa, fb = a[0], b[0]
    return (lambda x, y: max(fa(x, y), -fb(x, y))), a[1]


def intersect(a, b):
    fa, fb = a[0], b[0]
    box = (max(a[1][0], b[1][0]), max(a[1][1], b[1][1]), min(a[1][2], b[1][2]), min(a[1][3], b[1][3]))
    return (lambda x, y: max(fa(x, y), fb(x, y))), box


def offset(shape, dx, dy):
    f = shape[0]
    x0, y0, x1, y1 = shape[1]
    return (lambda x, y: f(x - dx, y - dy)), (x0 + dx, y0 + dy, x1 + dx, y1 + dy)


def inner_band(shape, width):
    """The band of the given width just inside the shape's edge."""
    f = shape[0]
    return (lambda x, y: max(f(x, y), -f(x, y) - width)), shape[1]


# ================================================================ paint

def rgb(text, alpha=1.0):
    v = int(text.lstrip("#"), 16)
    return ((v >> 16 & 255) / 255, (v >> 8 & 255) / 255, (v & 255) / 255, alpha)


def with_alpha(colour, alpha):
    return colour[:3] + (alpha,)


def mix(c0, c1, t):
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def linear(x0, y0, c0, x1, y1, c1):
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy

    def paint(x, y):
        t = ((x - x0) * dx + (y - y0) * dy) / length2
        t = 0.0 if t < 0.0 else (1.0 if t > 1.0 else t)
        return (c0[0] + (c1[0] - c0[0]) * t, c0[1] + (c1[1] - c0[1]) * t,
                c0[2] + (c1[2] - c0[2]) * t, c0[3] + (c1[3] - c0[3]) * t)
    return paint


# ================================================================ canvas

class Canvas:
    """Premultiplied RGBA floats; everything is painted source-over.

    Sizes, shapes, paints and boxes are given in 96-DPI pixels; the canvas
    holds SCALE times as many (`pixels`: the sizes are the canvas's own)."""

    def __init__(self, width, height, pixels=False):
        self.s = SCALE
        if not pixels:
            width, height = scaled_size(width), scaled_size(height)
        self.w, self.h = width, height
        self.px = [0.0] * (width * height * 4)

    def _area(self, bbox, pad=1):
        s = self.s
        x0 = max(0, int(math.floor(bbox[0] * s)) - pad)
        y0 = max(0, int(math.floor(bbox[1] * s)) - pad)
        x1 = min(self.w, int(math.ceil(bbox[2] * s)) + pad)
        y1 = min(self.h, int(math.ceil(bbox[3] * s)) + pad)
        return x0, y0, x1, y1

    def coverage(self, shape, ss=1):
        """Coverage of a shape as a full-canvas list of floats."""
        sdf, bbox = shape
        s_ = self.s
        out = [0.0] * (self.w * self.h)
        x0, y0, x1, y1 = self._area(bbox)
        offs = [(i + 0.5) / ss for i in range(ss)]
        for py in range(y0, y1):
            base = py * self.w
            for px in range(x0, x1):
                if ss == 1:
                    c = 0.5 - sdf((px + 0.5) / s_, (py + 0.5) / s_) * s_
                else:
                    c = 0.0
                    for oy in offs:
                        for ox in offs:
                            s = 0.5 - sdf((px + ox) / s_, (py + oy) / s_) * ss * s_
                            c += 1.0 if s >= 1.0 else (s if s > 0.0 else 0.0)
                    c /= ss * ss
                if c > 0.0:
                    out[base + px] = 1.0 if c > 1.0 else c
        return out

    def fill(self, shape, paint, ss=1, opacity=1.0):
        self.blend(self.coverage(shape, ss), paint, opacity, shape[1])

    def blend(self, mask, paint, opacity=1.0, bbox=None):
        """Paint through a full-canvas coverage mask."""
        x0, y0, x1, y1 = self._area(bbox) if bbox else (0, 0, self.w, self.h)
        solid = not callable(paint)
        px_ = self.px
        s_ = self.s
        for py in range(y0, y1):
            base = py * self.w
            for px in range(x0, x1):
                m = mask[base + px]
                if m <= 0.0:
                    continue
                r, g, b, a = paint if solid else paint((px + 0.5) / s_, (py + 0.5) / s_)
                a *= m * opacity
                if a <= 0.0:
                    continue
                i = (base + px) * 4
                keep = 1.0 - a
                px_[i] = r * a + px_[i] * keep
                px_[i + 1] = g * a + px_[i + 1] * keep
                px_[i + 2] = b * a + px_[i + 2] * keep
                px_[i + 3] = a + px_[i + 3] * keep

    def draw(self, src, x, y, sx=0, sy=0, w=None, h=None, opacity=1.0):
        """Draw part of another canvas at (x, y), like AlphaBlend with source alpha."""
        w = src.w - sx if w is None else w
        h = src.h - sy if h is None else h
        for j in range(h):
            ty = y + j
            if not 0 <= ty < self.h:
                continue
            for i in range(w):
                tx = x + i
                if not 0 <= tx < self.w:
                    continue
                s = ((sy + j) * src.w + sx + i) * 4
                a = src.px[s + 3] * opacity
                if a <= 0.0:
                    continue
                d = (ty * self.w + tx) * 4
                keep = 1.0 - a
                for k in range(3):
                    self.px[d + k] = src.px[s + k] * opacity + self.px[d + k] * keep
                self.px[d + 3] = a + self.px[d + 3] * keep

    def crop(self, x, y, w, h):
        """The part at (x, y), w x h (96-DPI pixels, each scaled by the rule)."""
        if self.s != 1.0:
            x, y, w, h = scaled(x), scaled(y), scaled_size(w), scaled_size(h)
        out = Canvas(w, h, pixels=True)
        for j in range(h):
            s = ((y + j) * self.w + x) * 4
            out.px[j * w * 4:(j + 1) * w * 4] = self.px[s:s + w * 4]
        return out

    def rgba_bytes(self):
        out = bytearray(self.w * self.h * 4)
        p = self.px
        for i in range(self.w * self.h):
            a = p[i * 4 + 3]
            a8 = int(round((0.0 if a < 0.0 else (1.0 if a > 1.0 else a)) * 255))
            if a8 == 0:
                continue
            for k in range(3):
                c = p[i * 4 + k] / a
                out[i * 4 + k] = int(round((0.0 if c < 0.0 else (1.0 if c > 1.0 else c)) * 255))
            out[i * 4 + 3] = a8
        return bytes(out)

    @staticmethod
    def from_rgba(width, height, data):
        c = Canvas(width, height, pixels=True)
        for i in range(width * height):
            a = data[i * 4 + 3] / 255
            for k in range(3):
                c.px[i * 4 + k] = data[i * 4 + k] / 255 * a
            c.px[i * 4 + 3] = a
        return c


# ================================================================ ImageMagick: text and blur

FONT_FILES = {}


def font_file(bold):
    key = "Carlito:bold" if bold else "Carlito"
    if key not in FONT_FILES:
        path = subprocess.run(["fc-match", "-f", "%{file}", key], check=True,
                              capture_output=True, text=True).stdout.strip()
        if "arlito" not in os.path.basename(path):
            sys.exit("make-skin: the Carlito font is not installed (fonts-crosextra-carlito)")
        FONT_FILES[key] = path
    return FONT_FILES[key]


def magick(args, data=None):
    try:
        done = subprocess.run(["convert"] + args, input=data, capture_output=True)
    except FileNotFoundError:
        sys.exit("make-skin: ImageMagick's convert is not installed")
    if done.returncode != 0:
        sys.exit("make-skin: convert failed: %s" % done.stderr.decode(errors="replace").strip())
    return done.stdout


def _read_pgm(data):
    parts = data.split(b"\n", 3)  # P5, "W H", "255", pixels
    w, h = (int(v) for v in parts[1].split())
    return w, h, parts[3]


class Text:
    """A rendered line: coverage mask, advance box and baseline."""

    _cache = {}

    def __init__(self, text, size, bold=False, kerning=0.0):
        key = (text, size, bold, kerning)
        if key not in Text._cache:
            literal = text.replace("\\", "\\\\").replace("%", "%%")
            if literal.startswith("@"):
                literal = "\\" + literal
            args = ["-background", "black", "-fill", "white", "-font", font_file(bold),
                    "-pointsize", str(size)]
            if kerning:
                args += ["-kerning", str(kerning)]
            w, h, pix = _read_pgm(magick(args + ["label:" + literal, "-depth", "8", "pgm:-"]))
            Text._cache[key] = (w, h, [v / 255 for v in pix])
        self.w, self.h, self.mask = Text._cache[key]
        self.baseline = baseline(size, bold)

    def ink_box(self):
        xs, ys = [], []
        for i, v in enumerate(self.mask):
            if v > 0.02:
                xs.append(i % self.w)
                ys.append(i // self.w)
        return min(xs), min(ys), max(xs) + 1, max(ys) + 1


_capital_rows = {}


def _capital(size, bold):
    """First and last ink rows of a capital H, from the top of its label."""
    key = (size, bold)
    if key not in _capital_rows:
        w, h, pix = _read_pgm(magick(["-background", "black", "-fill", "white", "-font", font_file(bold),
                                      "-pointsize", str(size), "label:H", "-depth", "8", "pgm:-"]))
        rows = [y for y in range(h) if max(pix[y * w:(y + 1) * w]) > 128]
        _capital_rows[key] = (rows[0], rows[-1])
    return _capital_rows[key]


def baseline(size, bold):
    """Rows from the top of a label to its baseline (the row under a capital H)."""
    return _capital(size, bold)[1] + 1


def cap_height(size, bold):
    first, last = _capital(size, bold)
    return last - first + 1


def draw_text(canvas, text, x, y, size, paint, bold=False, align="left", kerning=0.0, opacity=1.0):
    """Draw one line with its baseline at y; x is the left edge, centre or right edge.

    At a scale the text is set at the scaled size, not enlarged."""
    s = canvas.s
    if s != 1.0:
        size, kerning, x, y = size * s, kerning * s, x * s, y * s
    t = Text(text, size, bold, kerning)
    if align == "center":
        x0 = int(round(x - t.w / 2))
    elif align == "right":
        x0 = int(round(x)) - t.w
    else:
        x0 = int(round(x))
    y0 = int(round(y)) - t.baseline
    mask = [0.0] * (canvas.w * canvas.h)
    for j in range(t.h):
        ty = y0 + j
        if not 0 <= ty < canvas.h:
            continue
        for i in range(t.w):
            tx = x0 + i
            if 0 <= tx < canvas.w:
                mask[ty * canvas.w + tx] = t.mask[j * t.w + i]
    canvas.blend(mask, paint, opacity, (x0 / s, y0 / s, (x0 + t.w) / s, (y0 + t.h) / s))
    return t.w if s == 1.0 else t.w / s


def blurred(canvas, mask, sigma):
    """Gaussian blur of a full-canvas mask (ImageMagick, 16-bit)."""
    data = b"".join(struct.pack(">H", int(round(v * 65535))) for v in mask)
    out = magick(["-size", "%dx%d" % (canvas.w, canvas.h), "-depth", "16", "-endian", "MSB", "gray:-",
                  "-virtual-pixel", "black", "-blur", "0x%g" % (sigma * canvas.s),
                  "-depth", "16", "-endian", "MSB", "gray:-"], data)
    return [v / 65535 for v in struct.unpack(">%dH" % (canvas.w * canvas.h), out)]


def shifted(canvas, mask, dx, dy):
    """The mask moved by (dx, dy) 96-DPI pixels."""
    dx, dy = scaled(dx) if canvas.s != 1.0 else dx, scaled(dy) if canvas.s != 1.0 else dy
    out = [0.0] * len(mask)
    for y in range(canvas.h):
        sy = y - dy
        if 0 <= sy < canvas.h:
            for x in range(canvas.w):
                sx = x - dx
                if 0 <= sx < canvas.w:
                    out[y * canvas.w + x] = mask[sy * canvas.w + sx]
    return out


# ================================================================ palette

WHITE = rgb("#ffffff")
BLACK = rgb("#000000")
TEAL = rgb("#14b8a6")
BLUE = rgb("#2563eb")
TEAL_LIGHT = rgb("#2dd4bf")
BLUE_LIGHT = rgb("#3b82f6")
MINT = rgb("#5eead4")
RED = rgb("#ef4444")
RED_DARK = rgb("#b91c1c")
RED_LIGHT = rgb("#f87171")

BODY_TOP = rgb("#2a2f38")      # top edge of the window body
BODY = rgb("#1e2229")          # the body; the repeated middle slice is this colour
FOOTER = rgb("#191c22")        # the band that holds the lower buttons
SHADOW = rgb("#000000", 0.55)
GLOW = rgb("#14b8a6", 0.30)

TEXT = rgb("#f1f5f9")
TEXT_MUTED = rgb("#94a3b8")
ICON = rgb("#9aa4b4")
ICON_HOVER = rgb("#ffffff")
CARD = rgb("#ffffff", 0.035)
CARD_EDGE = rgb("#ffffff", 0.075)


def accent(x0, y0, x1, y1, light=False):
    """The accent gradient (teal to blue), across the given span."""
    a, b = (TEAL_LIGHT, BLUE_LIGHT) if light else (TEAL, BLUE)
    return linear(x0, y0, a, x1, y1, b)


# ================================================================ window body
# The main window is 316 wide with margins 17 (top), 27 (sides) and 37
# (bottom); the capture prompt uses the same background at 316 x 175. The
# background is one column: a top slice, a middle slice repeated down the
# height in whole copies, and a bottom slice. The middle slice is 1 pixel high
# so the bottom slice always meets the window's bottom edge exactly; all of
# the vertical shading therefore lives in the top and bottom slices.

WIN_W = 316
MARGIN_TOP, MARGIN_SIDE, MARGIN_BOTTOM = 17, 27, 37
# Top and bottom slices together must not exceed the lowest window that uses
# them (the 175-high prompt; the main window's minimum is 188), and the middle
# copies must start below the top corners' shading and end above the bottom
# ones. The lower buttons sit 72 to 45 rows above the window's bottom edge and
# the history list ends 90 rows above it, so the footer band starts at 81.
TOP_H = 64        # the margin and 47 rows of body: the top light fades out here
BOTTOM_H = 100    # 63 rows of body (flat, then the footer band) and the margin
RADIUS = 10
FOOTER_LINE = 81  # rows from the window's bottom edge to the footer's engraved line


def window_background(height):
    """The whole background of a window of this height."""
    c = Canvas(WIN_W, height)
    x0, y0 = MARGIN_SIDE, MARGIN_TOP
    x1, y1 = WIN_W - MARGIN_SIDE, height - MARGIN_BOTTOM
    body = rect(x0, y0, x1, y1, RADIUS)
    cov = c.coverage(body)

    # Shadow below, glow all round: both only show outside the body.
    c.blend(blurred(c, shifted(c, cov, 0, 4), 6.5), SHADOW)
    c.blend(blurred(c, cov, 4.0), GLOW)

    def shade(x, y):
        if y < TOP_H:
            return mix(BODY_TOP, BODY, min(max((y - y0) / (TOP_H - y0), 0.0), 1.0))
        if y > height - FOOTER_LINE:
            return mix(FOOTER, rgb("#16191e"), (y - (height - FOOTER_LINE)) / (FOOTER_LINE - MARGIN_BOTTOM))
        return BODY
    c.blend(cov, shade, bbox=body[1])

    # Engraved line over the footer band: a dark row with a light row below.
    line = height - FOOTER_LINE
    c.fill(rect(x0 + 1, line - 1, x1 - 1, line), rgb("#0d0f13", 0.9))
    c.fill(rect(x0 + 1, line, x1 - 1, line + 1), rgb("#ffffff", 0.035))

    # 1 px highlight along the top inside edge, a dark rim all round.
    inset = rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, RADIUS - 1)
    c.fill(subtract(inset, offset(inset, 0, 1)), rgb("#ffffff", 0.13))
    c.fill(inner_band(body, 1.0), rgb("#07090c", 0.75))
    return c


def make_backgrounds(images):
    # Render a window at the minimum height and cut it; the rows between the
    # slices must all equal the middle slice or the repeat would show seams.
    height = TOP_H + BOTTOM_H + 24
    c = window_background(height)
    row = c.w * 4
    top, bottom = scaled(TOP_H), c.h - scaled(BOTTOM_H)
    middle = c.px[top * row:(top + 1) * row]
    for y in range(top, bottom):
        got = c.px[y * row:(y + 1) * row]
        if max(abs(a - b) for a, b in zip(got, middle)) > 0.5 / 255:
            sys.exit("make-skin: background row %d differs from the middle slice" % y)
    images["background/top.png"] = c.crop(0, 0, WIN_W, TOP_H)
    images["background/middle.png"] = c.crop(0, TOP_H, WIN_W, 1)
    images["background/bottom.png"] = c.crop(0, height - BOTTOM_H, WIN_W, BOTTOM_H)


def make_glows(images):
    # Main glow: 262 x 52 at (27, 19), spanning the body's width above and
    # behind the drop area. A wide, soft teal light from above.
    c = Canvas(262, 52)
    s = c.s
    mask = [0.0] * (c.w * c.h)
    for y in range(c.h):
        for x in range(c.w):
            dx = ((x + 0.5) / s - 131) / 118
            dy = ((y + 0.5) / s - 12) / 26
            mask[y * c.w + x] = math.exp(-2.2 * (dx * dx + dy * dy))
    # fade to nothing at the image's own edges so it never shows a seam
    for y in range(c.h):
        for x in range(c.w):
            e = min(x + 0.5, c.w - x - 0.5, c.h - y - 0.5) / s / 10
            mask[y * c.w + x] *= min(e, 1.0)
    c.blend(mask, rgb("#2dd4bf", 0.22))
    images["background/glow.png"] = c

    # Prompt glow: 262 x 82 at (27, 19) in the 316 x 175 prompt. The name box
    # sits at (35, T + 33) with T the prompt's line height (13 for the 12 px
    # default font), 246 x 17: (8, 27) to (254, 44) in this image. A focus
    # ring two pixels outside the box and a soft halo around it.
    c = Canvas(262, 82)
    ex0, ey0, ex1, ey1 = 8, 27, 254, 44
    haze = [0.0] * (c.w * c.h)
    for y in range(c.h):
        for x in range(c.w):
            dx = ((x + 0.5) / s - 131) / 125
            dy = ((y + 0.5) / s - 10) / 22
            e = min(x + 0.5, c.w - x - 0.5, c.h - y - 0.5) / s / 8
            haze[y * c.w + x] = math.exp(-2.4 * (dx * dx + dy * dy)) * min(e, 1.0)
    c.blend(haze, rgb("#2dd4bf", 0.16))
    ring = rect(ex0 - 3, ey0 - 3, ex1 + 3, ey1 + 3, 4)
    c.blend(blurred(c, c.coverage(ring), 3.0), rgb("#14b8a6", 0.45))
    c.fill(inner_band(ring, 1.0), accent(ex0, 0, ex1, 0, light=True))
    images["background/glow_input.png"] = c


# ================================================================ glyphs

def up_arrow(cx, top, bottom, half, width):
    """Chevron head with a shaft, stroked."""
    return union(stroke([(cx - half, top + half), (cx, top), (cx + half, top + half)], width),
                 stroke([(cx, top), (cx, bottom)], width))


def tray(x0, x1, top, bottom, width):
    h = width / 2
    return stroke([(x0 + h, top), (x0 + h, bottom - h), (x1 - h, bottom - h), (x1 - h, top)], width)


def cross(cx, cy, arm, width):
    return union(stroke([(cx - arm, cy - arm), (cx + arm, cy + arm)], width),
                 stroke([(cx - arm, cy + arm), (cx + arm, cy - arm)], width))


def check(cx, cy, size, width):
    return stroke([(cx - size, cy), (cx - size * 0.35, cy + size * 0.65), (cx + size, cy - size * 0.7)], width)


def gear(cx, cy, r_out, r_in, r_hole, teeth, tooth_w):
    parts = [circle(cx, cy, r_in)]
    for i in range(teeth):
        a = 2 * math.pi * i / teeth
        ca, sa = math.cos(a), math.sin(a)
        hw = tooth_w / 2
        pts = []
        for u, v in ((r_in - 1, -hw), (r_out, -hw * 0.8), (r_out, hw * 0.8), (r_in - 1, hw)):
            pts.append((cx + u * ca - v * sa, cy + u * sa + v * ca))
        parts.append(polygon(pts))
    return subtract(union(*parts), circle(cx, cy, r_hole))


# ================================================================ window buttons

def make_window_buttons(images):
    # Hide button: 9 x 5 at (274, 24), the top-right corner of the body. A
    # chevron pointing down ("put away"), grey, white on hover.
    for name, colour in (("close", ICON), ("close_hover", ICON_HOVER)):
        c = Canvas(9, 5)
        c.fill(stroke([(1.0, 0.9), (4.5, 4.0), (8.0, 0.9)], 1.7), colour, ss=4)
        images["buttons/%s.png" % name] = c

    # Settings: 14 x 15 at (120, h - 72), a gear; white on hover.
    for name, colour in (("settings", ICON), ("settings_hover", ICON_HOVER)):
        c = Canvas(14, 15)
        c.fill(gear(7, 7.5, 7.0, 5.0, 2.2, 8, 2.6), colour, ss=4)
        images["buttons/%s.png" % name] = c

    # Screenshot: 16 x 13 at (146, h - 71), a selection frame with solid corners, as in the
    # jump-list task icon. There is no hover image, so one mid-bright look.
    c = Canvas(16, 13)
    frame = rgb("#b8c1cf")
    for x0, y0 in ((0, 0), (13, 0), (0, 10), (13, 10)):
        c.fill(rect(x0, y0, x0 + 3, y0 + 3, 0.6), frame, ss=4)
    for x in (5, 9):
        c.fill(rect(x, 1, x + 2, 2), frame)
        c.fill(rect(x, 11, x + 2, 12), frame)
    c.fill(rect(1, 5, 2, 8), frame)
    c.fill(rect(14, 5, 15, 8), frame)
    c.fill(rect(4, 4, 12, 9, 1), accent(4, 4, 12, 9, light=True), ss=4, opacity=0.9)
    images["buttons/screenshot.png"] = c

    # Window grab: 16 x 13 at (176, h - 71), a window with a title bar and a
    # pointer over it; no hover image either.
    c = Canvas(16, 13)
    c.fill(subtract(rect(0, 0, 13, 10, 1.5), rect(1, 3, 12, 9)), frame, ss=4)
    c.fill(rect(1, 3, 12, 9), rgb("#b8c1cf", 0.18))
    # the classic pointer: white with a dark 1 px edge so it reads on the frame
    arrow = polygon([(8.5, 3.5), (8.5, 11.5), (10.4, 9.8), (11.7, 12.6), (13.0, 12.0), (11.8, 9.3), (14.3, 9.3)])
    edge = arrow[0]
    c.fill(((lambda x, y: edge(x, y) - 1.0), arrow[1]), rgb("#0b0d11", 0.95), ss=4)
    c.fill(arrow, WHITE, ss=4)
    images["buttons/windowgrab.png"] = c


def make_logo(images):
    # Logo: 45 x 8 at (239, h - 53), a small word mark under the button row.
    # 8 px is too low for readable text; it is a signature, not a label.
    for name, hover in (("vantorel", False), ("vantorel_hover", True)):
        c = Canvas(45, 8)
        t = Text("vantorel", 10.5 if c.s == 1.0 else 10.5 * c.s, bold=True)
        bx0, by0, bx1, by1 = t.ink_box()
        x = (c.w - (bx1 - bx0)) // 2 - bx0
        y = c.h - by1
        paint = accent((x + bx0) / c.s, 0, (x + bx1) / c.s, 0, light=True) if hover else rgb("#6b7585")
        mask = [0.0] * (c.w * c.h)
        for j in range(t.h):
            for i in range(t.w):
                tx, ty = x + i, y + j
                if 0 <= tx < c.w and 0 <= ty < c.h:
                    mask[ty * c.w + tx] = t.mask[j * t.w + i]
        c.blend(mask, paint)
        images["buttons/%s.png" % name] = c


# ================================================================ drop area

DROP_W, DROP_H = 232, 62
# In drop-area coordinates: the invisible upload button (61, 51, 24 x 24) sits
# over the icon circle, the cancel button (245, 57, 17 x 17) at the right, and
# the progress bar runs from x 63 to 192 (5 + 119 + 5) on rows 41 to 51.
DROP_ICON = (31, 31, 12)
PROGRESS_X0, PROGRESS_X1, PROGRESS_Y0, PROGRESS_Y1 = 63, 192, 41, 51
TEXT_X = 56


def dashed_outline(c, x0, y0, x1, y1, r, dash, gap, width, paint):
    """Dashes along a rounded rectangle's centre line, evenly spaced."""
    straight_w, straight_h = x1 - x0 - 2 * r, y1 - y0 - 2 * r
    arc = math.pi * r / 2
    perimeter = 2 * (straight_w + straight_h) + 4 * arc
    count = max(1, int(round(perimeter / (dash + gap))))
    period = perimeter / count
    pieces = [  # (length, point at distance t along the piece)
        (straight_w, lambda t: (x0 + r + t, y0)),
        (arc, lambda t: (x1 - r + r * math.sin(t / r), y0 + r - r * math.cos(t / r))),
        (straight_h, lambda t: (x1, y0 + r + t)),
        (arc, lambda t: (x1 - r + r * math.cos(t / r), y1 - r + r * math.sin(t / r))),
        (straight_w, lambda t: (x1 - r - t, y1)),
        (arc, lambda t: (x0 + r - r * math.sin(t / r), y1 - r + r * math.cos(t / r))),
        (straight_h, lambda t: (x0, y1 - r - t)),
        (arc, lambda t: (x0 + r - r * math.cos(t / r), y0 + r - r * math.sin(t / r))),
    ]

    def point(s):
        s %= perimeter
        for length, at in pieces:
            if s <= length:
                return at(s)
            s -= length
        return pieces[0][1](0)

    # dashes are centred on the straight edges' midpoints: start half a dash early
    start = -dash / 2 + straight_w / 2
    for k in range(count):
        s0 = start + k * period
        pts = [point(s0 + dash * i / 6) for i in range(7)]
        c.fill(stroke(pts, width), paint)


def drop_base(fill_paint):
    c = Canvas(DROP_W, DROP_H)
    box = rect(0, 0, DROP_W, DROP_H, RADIUS)
    c.fill(box, fill_paint)
    return c, box


def make_drop_area(images):
    cx, cy, r = DROP_ICON

    # Normal: a quiet panel with a dashed outline and an inviting arrow.
    c, box = drop_base(rgb("#ffffff", 0.03))
    dashed_outline(c, 0.5, 0.5, DROP_W - 0.5, DROP_H - 0.5, RADIUS - 0.5, 6, 4, 1.0, rgb("#5eead4", 0.55))
    c.blend(blurred(c, c.coverage(circle(cx, cy + 1, r)), 2.0), rgb("#000000", 0.45))
    c.fill(circle(cx, cy, r), accent(cx - r, cy - r, cx + r, cy + r))
    c.fill(subtract(circle(cx, cy, r), circle(cx, cy + 1, r)), rgb("#ffffff", 0.25))
    c.fill(union(up_arrow(cx, cy - 6.5, cy + 3, 4.0, 2.2), tray(cx - 7, cx + 7, cy + 1, cy + 7, 2.0)), WHITE, ss=3)
    draw_text(c, "Drop files here", TEXT_X, 28, 15, TEXT, bold=True)
    draw_text(c, "or click the arrow to choose", TEXT_X, 45, 12, TEXT_MUTED)
    images["droparea/normal.png"] = c

    # Uploading: filled with the accent, room for the bar and the cancel button.
    c, box = drop_base(accent(0, 0, DROP_W, DROP_H))
    c.fill(subtract(box, offset(box, 0, 1)), rgb("#ffffff", 0.35))
    c.fill(inner_band(box, 1.0), rgb("#0b1f3a", 0.35))
    c.fill(circle(cx, cy, r), rgb("#ffffff", 0.18))
    c.fill(union(up_arrow(cx, cy - 6.5, cy + 3, 4.0, 2.2), tray(cx - 7, cx + 7, cy + 1, cy + 7, 2.0)), WHITE, ss=3)
    draw_text(c, "Uploading\u2026", PROGRESS_X0, 33, 14, WHITE, bold=True)
    groove = rect(PROGRESS_X0, PROGRESS_Y0, PROGRESS_X1, PROGRESS_Y1, 5)
    c.fill(groove, rgb("#06203a", 0.38))
    c.fill(subtract(groove, offset(groove, 0, 1)), rgb("#000000", 0.25))
    c.fill(subtract(groove, offset(groove, 0, -1)), rgb("#ffffff", 0.22))
    images["droparea/uploading.png"] = c

    # Error: red-tinted panel, a warning mark and a short message.
    c, box = drop_base(linear(0, 0, rgb("#4a1519"), DROP_W, DROP_H, rgb("#2c1216")))
    c.fill(inner_band(box, 1.0), rgb("#f87171", 0.75))
    c.fill(circle(cx, cy, r), linear(0, cy - r, RED, 0, cy + r, RED_DARK))
    c.fill(subtract(circle(cx, cy, r), circle(cx, cy + 1, r)), rgb("#ffffff", 0.3))
    c.fill(rect(cx - 1.25, cy - 7, cx + 1.25, cy + 2, 1.2), WHITE, ss=3)
    c.fill(circle(cx, cy + 5.2, 1.5), WHITE, ss=3)
    draw_text(c, "Upload failed", TEXT_X, 28, 15, rgb("#fee2e2"), bold=True)
    draw_text(c, "Please try again.", TEXT_X, 45, 12, rgb("#fca5a5"))
    images["droparea/error.png"] = c

    # Cancel: 17 x 17 over the uploading state's right side.
    for name, hover in (("cancel", False), ("cancel_hover", True)):
        c = Canvas(17, 17)
        if hover:
            c.fill(circle(8.5, 8.5, 8.0), WHITE, ss=3)
            c.fill(cross(8.5, 8.5, 3.0, 1.8), rgb("#1d4ed8"), ss=3)
        else:
            c.fill(circle(8.5, 8.5, 8.0), rgb("#ffffff", 0.2), ss=3)
            c.fill(inner_band(circle(8.5, 8.5, 8.0), 1.0), rgb("#ffffff", 0.35), ss=3)
            c.fill(cross(8.5, 8.5, 3.0, 1.8), WHITE, ss=3)
        images["droparea/%s.png" % name] = c


def make_progress(images):
    # One white pill 5 + 1 + 5 wide cut into the left cap, the centre column
    # (repeated across the bar's width) and the right cap, each 10 high.
    c = Canvas(11, 10)
    pill = rect(0, 0, 11, 10, 5)
    c.fill(pill, linear(0, 0, rgb("#ffffff"), 0, 10, rgb("#d9f2ff")), ss=4)
    c.fill(subtract(pill, offset(pill, 0, -1)), rgb("#0b3a66", 0.25), ss=4)
    images["progress/left.png"] = c.crop(0, 0, 5, 10)
    images["progress/center.png"] = c.crop(5, 0, 1, 10)
    images["progress/right.png"] = c.crop(6, 0, 5, 10)


# ================================================================ history

THUMB = 69
THUMB_R = 8


def make_history(images):
    # Heading: 227 x 57 at (45, 108). The list starts at y 143 (row 35 of this
    # image) and its items are drawn over it, so everything lives in the top
    # 30 rows: a clock mark, the title and a hairline that fades out.
    c = Canvas(227, 57)
    cx, cy = 13.5, 12.5
    c.fill(subtract(circle(cx, cy, 6.5), circle(cx, cy, 5.0)), MINT, ss=4)
    c.fill(stroke([(cx, cy - 3.2), (cx, cy), (cx + 2.6, cy + 1.6)], 1.4), MINT, ss=4)
    draw_text(c, "Recent uploads", 25, 17, 14, TEXT, bold=True)
    c.fill(rect(7, 27, 220, 28), linear(7, 0, rgb("#ffffff", 0.14), 220, 0, rgb("#ffffff", 0.0)))
    images["history/heading.png"] = c

    box = rect(0, 0, THUMB, THUMB, THUMB_R)

    # Mask: only its blue channel is read (as the alpha factor), so it is an
    # opaque white rounded square on black.
    c = Canvas(THUMB, THUMB)
    c.fill(rect(0, 0, THUMB, THUMB), BLACK)
    c.fill(box, WHITE, ss=4)
    images["history/thumb_mask.png"] = c

    # Overlay over masked thumbnails: a light inner rim and a dark outer rim.
    c = Canvas(THUMB, THUMB)
    c.fill(inner_band(box, 1.0), rgb("#ffffff", 0.18), ss=4)
    c.fill(subtract(box, offset(box, 0, 1.5)), rgb("#ffffff", 0.10), ss=4)
    images["history/thumb_overlay.png"] = c

    # Missing thumbnail: 69 x 69 drawn without mask or overlay, so it carries
    # its own rounded tile: a document with a folded corner and the arrow.
    c = Canvas(THUMB, THUMB)
    c.fill(box, linear(0, 0, rgb("#2c323c"), 0, THUMB, rgb("#22272f")), ss=4)
    c.fill(inner_band(box, 1.0), rgb("#ffffff", 0.09), ss=4)
    page = polygon([(22, 14), (40, 14), (48, 22), (48, 55), (22, 55)])
    page = intersect(page, rect(22, 14, 48, 55, 2.5))
    c.fill(page, rgb("#4b5563"), ss=4)
    c.fill(polygon([(40, 14), (48, 22), (40, 22)]), rgb("#6b7280"), ss=4)
    c.fill(up_arrow(35, 30, 46, 5.0, 2.4), accent(30, 30, 40, 46, light=True), ss=4)
    images["history/no_thumb.png"] = c

    # Copy URL (65 x 20 at (75, 44)) and delete (20 x 20 at (140, 44)) sit
    # side by side, so they are drawn as one split pill and cut apart.
    for hover_copy, hover_delete, names in ((False, False, ("copyurl", "delete")),
                                            (True, True, ("copyurl_hover", "delete_hover"))):
        c = Canvas(85, 20)
        pill = rect(0, 0, 85, 20, 6)
        if hover_copy:
            c.fill(intersect(pill, rect(0, 0, 65, 20)), accent(0, 0, 65, 20, light=False))
            c.fill(intersect(subtract(pill, offset(pill, 0, 1)), rect(0, 0, 65, 20)), rgb("#ffffff", 0.35))
        else:
            c.fill(intersect(pill, rect(0, 0, 65, 20)), rgb("#ffffff", 0.07))
            c.fill(intersect(inner_band(pill, 1.0), rect(0, 0, 65, 20)), rgb("#ffffff", 0.13))
        if hover_delete:
            c.fill(intersect(pill, rect(65, 0, 85, 20)), linear(0, 0, RED, 0, 20, RED_DARK))
            c.fill(intersect(subtract(pill, offset(pill, 0, 1)), rect(65, 0, 85, 20)), rgb("#ffffff", 0.3))
        else:
            c.fill(intersect(pill, rect(65, 0, 85, 20)), rgb("#ffffff", 0.07))
            c.fill(intersect(inner_band(pill, 1.0), rect(65, 0, 85, 20)), rgb("#ffffff", 0.13))
            c.fill(rect(65, 1, 66, 19), rgb("#ffffff", 0.13))
        draw_text(c, "Copy URL", 33, 14, 12, WHITE if hover_copy else rgb("#e2e8f0"), bold=True, align="center")
        bin_colour = WHITE if hover_delete else rgb("#cbd5e1")
        c.fill(rect(71, 6, 79, 7), bin_colour)
        c.fill(rect(73.5, 4.5, 76.5, 6, 0.5), bin_colour, ss=4)
        c.fill(subtract(rect(72, 7.5, 78, 15.5, 1.0), rect(73.3, 7.5, 76.7, 14.3, 0.3)), bin_colour, ss=4)
        c.fill(rect(74.6, 8.5, 75.4, 13.5), with_alpha(bin_colour, 0.8), ss=4)
        images["buttons/%s.png" % names[0]] = c.crop(0, 0, 65, 20)
        images["buttons/%s.png" % names[1]] = c.crop(65, 0, 20, 20)

    # A failed upload's tile, in the drop area's error colours: the red panel
    # and the warning mark, drawn without mask or overlay like the missing
    # thumbnail.
    c = Canvas(THUMB, THUMB)
    c.fill(box, linear(0, 0, rgb("#4a1519"), THUMB, THUMB, rgb("#2c1216")), ss=4)
    c.fill(inner_band(box, 1.0), rgb("#f87171", 0.6), ss=4)
    cx, cy, r = THUMB / 2, THUMB / 2, 14
    c.blend(blurred(c, c.coverage(circle(cx, cy + 1, r)), 2.0), rgb("#000000", 0.4))
    c.fill(circle(cx, cy, r), linear(0, cy - r, RED, 0, cy + r, RED_DARK), ss=4)
    c.fill(subtract(circle(cx, cy, r), circle(cx, cy + 1, r)), rgb("#ffffff", 0.3), ss=4)
    c.fill(rect(cx - 1.6, cy - 8.5, cx + 1.6, cy + 3, 1.5), WHITE, ss=4)
    c.fill(circle(cx, cy + 7, 1.9), WHITE, ss=4)
    images["history/failed.png"] = c

    # Retry (65 x 20 where Copy URL sits): the same pill with a turning arrow.
    for name, hover in (("retry", False), ("retry_hover", True)):
        c = Canvas(65, 20)
        pill = rect(0, 0, 65, 20, 6)
        if hover:
            c.fill(pill, linear(0, 0, RED, 0, 20, RED_DARK))
            c.fill(subtract(pill, offset(pill, 0, 1)), rgb("#ffffff", 0.3))
        else:
            c.fill(pill, rgb("#f87171", 0.16))
            c.fill(inner_band(pill, 1.0), rgb("#f87171", 0.45))
        ink = WHITE if hover else rgb("#fee2e2")
        ax, ay, ar = 13.0, 10.0, 4.2
        arc = subtract(subtract(circle(ax, ay, ar + 0.8), circle(ax, ay, ar - 0.8)),
                       polygon([(ax, ay), (ax + 8, ay - 8), (ax + 8, ay)]))
        c.fill(arc, ink, ss=4)
        c.fill(polygon([(ax + 2.2, ay - 6.6), (ax + 6.4, ay - 3.6), (ax + 1.6, ay - 1.8)]), ink, ss=4)
        draw_text(c, "Retry", 38, 14, 12, ink, bold=True, align="center")
        images["buttons/%s.png" % name] = c

    # Search: 14 x 14 at (250, 113), the right end of the heading's title
    # row: a magnifier, grey, white on hover, like the other small buttons.
    for name, colour in (("search", ICON), ("search_hover", ICON_HOVER)):
        c = Canvas(14, 14)
        c.fill(subtract(circle(5.6, 5.6, 4.9), circle(5.6, 5.6, 3.3)), colour, ss=4)
        c.fill(stroke([(9.2, 9.2), (12.6, 12.6)], 2.2), colour, ss=4)
        images["buttons/%s.png" % name] = c

    # The entry the keyboard has reached in a search: 200 x 69 behind the
    # entry, as high as its thumbnail (so the list's top edge never cuts
    # it); a faint lift with a mint rim.
    c = Canvas(200, THUMB)
    lift = rect(0, 0, 200, THUMB, THUMB_R)
    c.fill(lift, rgb("#ffffff", 0.06), ss=4)
    c.fill(inner_band(lift, 1.0), with_alpha(MINT, 0.55), ss=4)
    images["history/highlight.png"] = c


def make_scrollbar(images):
    # The bar's column is 14 wide at the list's right edge; the thumb's input
    # window covers columns 2 to 12, so both track and thumb are centred on
    # column 7. Caps are 7 high, middles 1 high and repeated. The thumb is
    # drawn from ty - 2 (top cap) to ty + T - 2 (bottom cap): its caps keep two
    # clear rows at the outer end so it sits inside the track.
    track = rgb("#ffffff", 0.06)
    thumb = linear(0, 0, rgb("#7c8797"), 14, 0, rgb("#9aa4b4"))

    def piece(paint, x0, x1, r, top_cap, clear):
        c = Canvas(14, 7)
        if top_cap:
            shape = rect(x0, clear, x1, 20, r)
        else:
            shape = rect(x0, -13, x1, 7 - clear, r)
        c.fill(shape, paint, ss=4)
        return c

    images["scrollbar/bg_top.png"] = piece(track, 4, 10, 3, True, 0)
    images["scrollbar/bg_bottom.png"] = piece(track, 4, 10, 3, False, 0)
    c = Canvas(14, 1)
    c.fill(rect(4, 0, 10, 1), track)
    images["scrollbar/bg_middle.png"] = c
    images["scrollbar/top.png"] = piece(thumb, 5, 9, 2, True, 2)
    images["scrollbar/bottom.png"] = piece(thumb, 5, 9, 2, False, 2)
    c = Canvas(14, 1)
    c.fill(rect(5, 0, 9, 1), thumb)
    images["scrollbar/middle.png"] = c


# ================================================================ settings

def card(w, h, title=None):
    c = Canvas(w, h)
    box = rect(0, 0, w, h, 8)
    c.fill(box, CARD)
    c.fill(inner_band(box, 1.0), CARD_EDGE)
    c.fill(subtract(rect(1, 1, w - 1, h - 1, 7), offset(rect(1, 1, w - 1, h - 1, 7), 0, 1)), rgb("#ffffff", 0.05))
    if title:
        draw_text(c, title, 10, 12, 11, MINT, bold=True, kerning=1.2)
    return c


def pill_button(w, h, label, primary, hover, danger=False, size=13):
    """A 1 px shadow under a rounded body; primary = accent, else neutral."""
    c = Canvas(w, h)
    body = rect(0, 0, w, h - 1, 6)
    c.fill(offset(body, 0, 1), rgb("#000000", 0.35))
    if primary:
        c.fill(body, accent(0, 0, w, h, light=hover))
        c.fill(subtract(body, offset(body, 0, 1)), rgb("#ffffff", 0.40 if hover else 0.28))
        colour = WHITE
    else:
        c.fill(body, rgb("#ffffff", 0.14 if hover else 0.08))
        c.fill(inner_band(body, 1.0), rgb("#ffffff", 0.22 if hover else 0.12))
        if hover and danger:
            c.fill(inner_band(body, 1.0), rgb("#f87171", 0.8))
        colour = WHITE if hover else rgb("#e2e8f0")
    if hover:
        c.fill(inner_band(body, 1.0), rgb("#ffffff", 0.25))
    cap = cap_height(size, True)
    draw_text(c, label, w // 2, (h - 1 + cap) // 2, size, colour, bold=True, align="center")
    return c


def make_settings(images):
    # Heading: 233 x 50 at (45, 30). The first card starts 12 px below it.
    c = Canvas(233, 50)
    c.blend(blurred(c, c.coverage(circle(18, 22, 13)), 2.0), rgb("#000000", 0.4))
    c.fill(circle(18, 21, 13), accent(5, 8, 31, 34), ss=3)
    c.fill(subtract(circle(18, 21, 13), circle(18, 22, 13)), rgb("#ffffff", 0.3), ss=3)
    c.fill(gear(18, 21, 8.0, 5.8, 2.6, 8, 2.8), WHITE, ss=4)
    draw_text(c, "Settings", 40, 22, 20, TEXT, bold=True)
    draw_text(c, "Account, behaviour and credits", 40, 38, 12, TEXT_MUTED)
    images["settings/heading.png"] = c

    # Account: 230 x 107 at (45, 92). Labels at rows 20 and 43, name boxes
    # from x 75 to 218 on rows 19-36 and 42-59 (they draw themselves), the
    # log in / log out button at rows 67-96 on the right.
    images["settings/account.png"] = card(230, 107, "ACCOUNT")
    # General: 230 x 159 at (45, 211); seven switches every 20 rows from row 15.
    images["settings/general.png"] = card(230, 159, "GENERAL")
    # Credits: 230 x 66 at (45, 377); four text lines from row 4, no title.
    images["settings/copyright.png"] = card(230, 66)

    images["settings/login.png"] = pill_button(75, 29, "Log in", True, False)
    images["settings/login_hover.png"] = pill_button(75, 29, "Log in", True, True)
    images["settings/logout.png"] = pill_button(88, 29, "Log out", False, False)
    images["settings/logout_hover.png"] = pill_button(88, 29, "Log out", False, True, danger=True)


def make_shortcuts(images):
    # Heading: 233 x 50 at (45, 30), as the settings heading, with a keyboard
    # on the disc.
    c = Canvas(233, 50)
    c.blend(blurred(c, c.coverage(circle(18, 22, 13)), 2.0), rgb("#000000", 0.4))
    c.fill(circle(18, 21, 13), accent(5, 8, 31, 34), ss=3)
    c.fill(subtract(circle(18, 21, 13), circle(18, 22, 13)), rgb("#ffffff", 0.3), ss=3)
    c.fill(rect(8, 14.5, 28, 27.5, 2.5), WHITE, ss=4)
    keys = [rect(10 + i * 3.4, y, 12.4 + i * 3.4, y + 2.4, 0.4) for y in (16.5, 19.9) for i in range(5)]
    keys.append(rect(13, 23.4, 23, 25.6, 0.5))
    c.fill(union(*keys), rgb("#0f766e"), ss=4)
    draw_text(c, "Keyboard shortcuts", 40, 22, 20, TEXT, bold=True)
    draw_text(c, "Keys that work in every program", 40, 38, 12, TEXT_MUTED)
    images["settings/shortcuts_heading.png"] = c

    # The card: 230 x 250 at (45, 92); three rows of 72 from row 28, each a
    # name and a key box, then up to two lines of what became of the key.
    images["settings/shortcuts.png"] = card(230, 250, "SHORTCUTS")
    images["settings/done.png"] = pill_button(75, 29, "Done", True, False)
    images["settings/done_hover.png"] = pill_button(75, 29, "Done", True, True)


COUNTDOWN_W, COUNTDOWN_H = 220, 80
COUNTDOWN_CARD = (10, 8, 210, 70)  # margins 8 (top), 10 (sides and bottom)


def make_countdown(images):
    # The card of the countdown beside the notification area: two lines of
    # text on the left, the number right of a divider at column 158.
    c = Canvas(COUNTDOWN_W, COUNTDOWN_H)
    x0, y0, x1, y1 = COUNTDOWN_CARD
    body = rect(x0, y0, x1, y1, RADIUS)
    cov = c.coverage(body)
    c.blend(blurred(c, shifted(c, cov, 0, 2), 3.0), rgb("#000000", 0.6))
    c.blend(blurred(c, cov, 2.5), rgb("#14b8a6", 0.28))
    c.blend(cov, linear(0, y0, BODY_TOP, 0, y1, rgb("#1b1f25")), bbox=body[1])
    inset = rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, RADIUS - 1)
    c.fill(subtract(inset, offset(inset, 0, 1)), rgb("#ffffff", 0.13))
    c.fill(inner_band(body, 1.0), rgb("#07090c", 0.75))
    c.fill(rect(158, 18, 159, 60), rgb("#ffffff", 0.08))
    images["countdown/background.png"] = c


def make_toggles(images):
    # 13 x 13, the label starts 22 px further right. A small switch: a track
    # 13 x 9 centred on the label's middle row and a round knob.
    for name, on, hover in (("selected", True, False), ("selected_hover", True, True),
                            ("clear", False, False), ("clear_hover", False, True)):
        c = Canvas(13, 13)
        track = rect(0, 2, 13, 11, 4.5)
        if on:
            c.fill(track, accent(0, 0, 13, 0, light=hover), ss=4)
        else:
            c.fill(track, rgb("#566072") if hover else rgb("#3f4756"), ss=4)
            c.fill(inner_band(track, 1.0), rgb("#ffffff", 0.12 if hover else 0.06), ss=4)
        kx = 8.5 if on else 4.5
        c.fill(circle(kx, 7.0, 3.4), rgb("#000000", 0.35), ss=4)
        c.fill(circle(kx, 6.5, 3.4), WHITE if (on or hover) else rgb("#cbd5e1"), ss=4)
        images["toggle/%s.png" % name] = c


# ================================================================ capture

def make_capture(images):
    # Prompt buttons: 56 x 20 at (161, 107) and (225, 107).
    images["buttons/ok.png"] = pill_button(56, 20, "OK", True, False, size=12)
    images["buttons/ok_hover.png"] = pill_button(56, 20, "OK", True, True, size=12)
    images["buttons/cancel.png"] = pill_button(56, 20, "Cancel", False, False, size=12)
    images["buttons/cancel_hover.png"] = pill_button(56, 20, "Cancel", False, True, size=12)


def make_capture_marks(images):
    # Selection corners: 12 x 12, placed on the selection's corner pixel and
    # cropped towards that corner for small selections. A 3 px white bracket
    # with a 1 px dark outline, so it reads on any screen content.
    base = Canvas(12, 12)
    base.fill(union(rect(0, 0, 12, 4), rect(0, 0, 4, 12)), rgb("#0b0d11", 0.9))
    base.fill(rect(0, 0, 11, 3), WHITE)
    base.fill(rect(0, 0, 3, 11), WHITE)
    corners = {"top_left": (False, False), "top_right": (True, False),
               "bottom_left": (False, True), "bottom_right": (True, True)}
    n = base.w  # square, in the set's own pixels
    for name, (flip_x, flip_y) in corners.items():
        c = Canvas(n, n, pixels=True)
        for y in range(n):
            for x in range(n):
                sx = n - 1 - x if flip_x else x
                sy = n - 1 - y if flip_y else y
                c.px[(y * n + x) * 4:(y * n + x + 1) * 4] = base.px[(sy * n + sx) * 4:(sy * n + sx + 1) * 4]
        images["screenshot/%s.png" % name] = c

    # Upload button: 53 x 53, an accent disc with the white cross that the
    # first-screenshot instructions talk about, over a soft shadow.
    c = Canvas(53, 53)
    cx, cy, r = 26.5, 25.5, 22
    c.blend(blurred(c, c.coverage(circle(cx, cy + 1.5, r)), 2.2), rgb("#000000", 0.55))
    c.fill(circle(cx, cy, r), accent(cx - r, cy - r, cx + r, cy + r), ss=3)
    c.fill(inner_band(circle(cx, cy, r), 2.0), rgb("#ffffff", 0.9), ss=3)
    c.fill(union(stroke([(cx - 9, cy), (cx + 9, cy)], 4.0), stroke([(cx, cy - 9), (cx, cy + 9)], 4.0)), WHITE, ss=3)
    images["screenshot/upload.png"] = c


# ================================================================ toast

TOAST_W, TOAST_H = 304, 123
# The card: margins 17 (top), 10 (right), 28 (left) and 12 (bottom) of a
# window at most 285 wide and 96 high; a second, stacked toast is 123 high
# with a bottom margin of 39, so the card is the same and the rows below it
# stay clear. Columns 285 and up are never shown.
TOAST_CARD = (28, 17, 275, 84)


def make_toast(images):
    c = Canvas(TOAST_W, TOAST_H)
    x0, y0, x1, y1 = TOAST_CARD
    body = rect(x0, y0, x1, y1, RADIUS)
    cov = c.coverage(body)
    c.blend(blurred(c, shifted(c, cov, 0, 2), 3.5), rgb("#000000", 0.6))
    c.blend(blurred(c, cov, 2.5), rgb("#14b8a6", 0.28))
    c.blend(cov, linear(0, y0, BODY_TOP, 0, y1, rgb("#1b1f25")), bbox=body[1])
    inset = rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, RADIUS - 1)
    c.fill(subtract(inset, offset(inset, 0, 1)), rgb("#ffffff", 0.13))
    c.fill(inner_band(body, 1.0), rgb("#07090c", 0.75))
    # nothing may show beyond the window's 285 columns' right margin
    for y in range(c.h):
        for x in range(scaled(285), c.w):
            for k in range(4):
                c.px[(y * c.w + x) * 4 + k] = 0.0
    images["toast/background.png"] = c

    # Success / failure: 72 x 66 at (28, 18), the card's left end. A coloured
    # strip along the card's left edge, a marked disc and a divider.
    card_here = offset(body, -28, -18)
    for name, ok in (("success", True), ("failure", False)):
        c = Canvas(72, 66)
        strip = intersect(card_here, rect(0, -1, 3, 66))
        c.fill(strip, linear(0, 0, TEAL_LIGHT, 0, 66, BLUE) if ok else linear(0, 0, RED_LIGHT, 0, 66, RED_DARK))
        cx, cy, r = 38, 33, 17
        c.blend(blurred(c, c.coverage(circle(cx, cy, r)), 4.0), rgb("#14b8a6", 0.35) if ok else rgb("#ef4444", 0.35))
        if ok:
            c.fill(circle(cx, cy, r), accent(cx - r, cy - r, cx + r, cy + r), ss=3)
        else:
            c.fill(circle(cx, cy, r), linear(0, cy - r, RED, 0, cy + r, RED_DARK), ss=3)
        c.fill(subtract(circle(cx, cy, r), circle(cx, cy + 1, r)), rgb("#ffffff", 0.35), ss=3)
        if ok:
            c.fill(check(cx, cy + 0.5, 7.5, 3.2), WHITE, ss=3)
        else:
            c.fill(cross(cx, cy, 5.5, 3.2), WHITE, ss=3)
        c.fill(rect(71, 12, 72, 54), rgb("#ffffff", 0.08))
        images["toast/%s.png" % name] = c


# ================================================================ catalogue

# Every file of the skin folder with the size its widget gives it.
EXPECTED = {
    "background/top.png": (WIN_W, TOP_H), "background/middle.png": (WIN_W, 1),
    "background/bottom.png": (WIN_W, BOTTOM_H), "background/glow.png": (262, 52),
    "background/glow_input.png": (262, 82),
    "buttons/close.png": (9, 5), "buttons/close_hover.png": (9, 5),
    "buttons/settings.png": (14, 15), "buttons/settings_hover.png": (14, 15),
    "buttons/screenshot.png": (16, 13), "buttons/windowgrab.png": (16, 13),
    "buttons/vantorel.png": (45, 8), "buttons/vantorel_hover.png": (45, 8),
    "buttons/copyurl.png": (65, 20), "buttons/copyurl_hover.png": (65, 20),
    "buttons/delete.png": (20, 20), "buttons/delete_hover.png": (20, 20),
    "buttons/retry.png": (65, 20), "buttons/retry_hover.png": (65, 20),
    "buttons/search.png": (14, 14), "buttons/search_hover.png": (14, 14),
    "buttons/ok.png": (56, 20), "buttons/ok_hover.png": (56, 20),
    "buttons/cancel.png": (56, 20), "buttons/cancel_hover.png": (56, 20),
    "droparea/normal.png": (DROP_W, DROP_H), "droparea/uploading.png": (DROP_W, DROP_H),
    "droparea/error.png": (DROP_W, DROP_H),
    "droparea/cancel.png": (17, 17), "droparea/cancel_hover.png": (17, 17),
    "history/heading.png": (227, 57), "history/no_thumb.png": (THUMB, THUMB),
    "history/failed.png": (THUMB, THUMB),
    "history/thumb_mask.png": (THUMB, THUMB), "history/thumb_overlay.png": (THUMB, THUMB),
    "history/highlight.png": (200, THUMB),
    "progress/left.png": (5, 10), "progress/center.png": (1, 10), "progress/right.png": (5, 10),
    "settings/heading.png": (233, 50), "settings/account.png": (230, 107),
    "settings/general.png": (230, 159), "settings/copyright.png": (230, 66),
    "settings/login.png": (75, 29), "settings/login_hover.png": (75, 29),
    "settings/logout.png": (88, 29), "settings/logout_hover.png": (88, 29),
    "settings/shortcuts_heading.png": (233, 50), "settings/shortcuts.png": (230, 250),
    "settings/done.png": (75, 29), "settings/done_hover.png": (75, 29),
    "countdown/background.png": (COUNTDOWN_W, COUNTDOWN_H),
    "toggle/selected.png": (13, 13), "toggle/selected_hover.png": (13, 13),
    "toggle/clear.png": (13, 13), "toggle/clear_hover.png": (13, 13),
    "scrollbar/bg_top.png": (14, 7), "scrollbar/bg_middle.png": (14, 1),
    "scrollbar/bg_bottom.png": (14, 7), "scrollbar/top.png": (14, 7),
    "scrollbar/middle.png": (14, 1), "scrollbar/bottom.png": (14, 7),
    "toast/background.png": (TOAST_W, TOAST_H), "toast/success.png": (72, 66),
    "toast/failure.png": (72, 66),
    "screenshot/top_left.png": (12, 12), "screenshot/top_right.png": (12, 12),
    "screenshot/bottom_left.png": (12, 12), "screenshot/bottom_right.png": (12, 12),
    "screenshot/upload.png": (53, 53),
}


def draw_all():
    makers = (make_backgrounds, make_glows, make_window_buttons, make_logo, make_drop_area, make_progress,
              make_history, make_scrollbar, make_settings, make_shortcuts, make_toggles, make_capture,
              make_capture_marks, make_toast, make_countdown)
    images = {}
    for make in makers:
        make(images)
    if set(images) != set(EXPECTED):
        sys.exit("make-skin: drawn %s, expected %s" % (sorted(set(images) ^ set(EXPECTED)), ""))
    for name, canvas in images.items():
        expected = tuple(scaled_size(v) for v in EXPECTED[name])
        if (canvas.w, canvas.h) != expected:
            sys.exit("make-skin: %s is %dx%d, expected %dx%d" % ((name, canvas.w, canvas.h) + expected))
    return images


def write_skin(images, outdir):
    for name in sorted(images):
        canvas = images[name]
        path = os.path.join(outdir, *name.split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(png_bytes(canvas.w, canvas.h, canvas.rgba_bytes()))


# ================================================================ preview sheet
# A person judges the skin from this sheet: windows composed from the pieces
# at their places at 1:1, then every file on a checkerboard with its name.

def backdrop(w, h):
    """A desktop-like backdrop, light at the top left, dark at the bottom right."""
    c = Canvas(w, h)
    paint = linear(0, 0, rgb("#d5dde8"), w, h, rgb("#37465a"))
    for y in range(h):
        for x in range(w):
            r, g, b, a = paint(x + 0.5, y + 0.5)
            i = (y * w + x) * 4
            c.px[i], c.px[i + 1], c.px[i + 2], c.px[i + 3] = r, g, b, 1.0
    return c


def gui_image(target, img, x, y, w=None, h=None, sx=0, sy=0):
    """Draw the way the image widget does: once when cropped, else repeated."""
    w = img.w if w is None else w
    h = img.h if h is None else h
    if w <= 0 or h <= 0:
        return
    if w < img.w or h < img.h or sx or sy:
        target.draw(img, x, y, sx, sy, min(w, img.w - sx), min(h, img.h - sy))
        return
    for j in range(0, h, img.h):
        for i in range(0, w, img.w):
            target.draw(img, x + i, y + j, 0, 0, min(img.w, w - i), min(img.h, h - j))


def window_tiles(target, skin, height):
    top, middle, bottom = skin["background/top.png"], skin["background/middle.png"], skin["background/bottom.png"]
    target.draw(top, 0, 0)
    count = (height - top.h - bottom.h) // middle.h
    for k in range(count):
        target.draw(middle, 0, top.h + k * middle.h)
    target.draw(bottom, 0, top.h + count * middle.h)


def label(target, text, x, y, size, colour, bold=False, width=None, align="left"):
    """A text widget at (x, y): the baseline lies `size` rows below the top."""
    colour = rgb("#%06x" % colour) if isinstance(colour, int) else colour
    if width is not None and align == "right":
        return draw_text(target, text, x + width, y + size, size, colour, bold, align="right")
    return draw_text(target, text, x, y + size, size, colour, bold)


def edit_box(target, x, y, w, h, text, focused=False):
    target.fill(rect(x, y, x + w, y + h), rgb("#000000"))
    target.fill(rect(x + 1, y + 1, x + w - 1, y + h - 1), rgb("#eeeeee"))
    if text:
        label(target, text, x + 3, y + 2, 12, 0x222222)
    if focused:
        target.fill(rect(x + 3 + Text(text, 12).w, y + 3, x + 4 + Text(text, 12).w, y + h - 3), rgb("#222222"))


def sample_thumb(skin, source):
    """Fit, mask and overlay a thumbnail the way the history item does."""
    data = magick([source, "-background", "none", "-gravity", "center", "-crop", "69x69+0+0", "+repage",
                   "-extent", "69x69", "-depth", "8", "rgba:-"])
    c = Canvas.from_rgba(THUMB, THUMB, data)
    mask = skin["history/thumb_mask.png"]
    for i in range(THUMB * THUMB):
        # the blue byte of the mask scales alpha; colour is premultiplied already
        m = mask.px[i * 4 + 2] / max(mask.px[i * 4 + 3], 1e-9)
        for k in range(4):
            c.px[i * 4 + k] *= m
    c.draw(skin["history/thumb_overlay.png"], 0, 0)
    return c


HISTORY_SAMPLES = (
    ("wizard:", "wizard-sketch.png", "2024-05-14 18:42"),
    ("logo:", "release-notes-banner.png", "2024-05-14 17:05"),
    (None, "quarterly-report.pdf", "2024-05-13 09:31"),
    ("granite:", "granite-texture.jpg", "2024-05-12 21:17"),
)


def cut_to_width(text, size, bold, width):
    """Three full stops replace what does not fit, as the text widget does."""
    if Text(text, size, bold).w <= width:
        return text
    while text and Text(text + "...", size, bold).w > width:
        text = text[:-1]
    return text + "..."


def history_item(target, skin, x, y, thumb, title, date, hover_copy=False):
    target.draw(thumb, x, y)
    label(target, cut_to_width(title, 12, True, 125), x + 75, y + 2, 12, 0xE0E0E0, bold=True)
    label(target, date, x + 75, y + 21, 10, 0xA5A5A5)
    target.draw(skin["buttons/copyurl_hover.png" if hover_copy else "buttons/copyurl.png"], x + 75, y + 44)
    target.draw(skin["buttons/delete.png"], x + 140, y + 44)


def mock_main(skin, thumbs, height=530, state="normal", progress=0, hovers=()):
    c = backdrop(WIN_W, height)
    window_tiles(c, skin, height)
    hv = lambda name: "_hover" if name in hovers else ""
    c.draw(skin["buttons/close%s.png" % hv("close")], 274, 24)
    c.draw(skin["buttons/settings%s.png" % hv("settings")], 120, height - 72)
    c.draw(skin["buttons/screenshot.png"], 146, height - 71)
    c.draw(skin["buttons/windowgrab.png"], 176, height - 71)
    c.draw(skin["buttons/vantorel%s.png" % hv("logo")], 239, height - 53)
    c.draw(skin["background/glow.png"], 27, 19)
    c.draw(skin["droparea/%s.png" % state], 42, 32)
    if state == "uploading":
        c.draw(skin["droparea/cancel%s.png" % hv("cancel")], 245, 57)
        width = progress * 119 // 100
        c.draw(skin["progress/left.png"], 105, 73)
        gui_image(c, skin["progress/center.png"], 110, 73, width, 10)
        c.draw(skin["progress/right.png"], 110 + width, 73)
    if height >= 215:
        c.draw(skin["history/heading.png"], 45, 108)
        c.draw(skin["buttons/search%s.png" % hv("search")], 250, 113)
    if height > 265:
        x, y, w, h = 52, 143, 216, height - 233
        ih, n = 90, len(HISTORY_SAMPLES)
        L, V = n * ih, h - 2
        pos = 0
        if L > V:
            gui_image(c, skin["scrollbar/bg_top.png"], x + w - 15, y + 1)
            gui_image(c, skin["scrollbar/bg_middle.png"], x + w - 15, y + 8, 14, h - 16)
            gui_image(c, skin["scrollbar/bg_bottom.png"], x + w - 15, y + h - 8)
            T = max(V * V // L, 14)
            ty = y + (h - T - 2) * pos // 100 + 3
            gui_image(c, skin["scrollbar/top.png"], x + w - 15, ty - 2)
            gui_image(c, skin["scrollbar/middle.png"], x + w - 15, ty + 5, 14, T - 14)
            gui_image(c, skin["scrollbar/bottom.png"], x + w - 15, ty + T - 14 + 5)
        clip = Canvas(w - 16, h)
        for i, (thumb, (_, title, date)) in enumerate(zip(thumbs, HISTORY_SAMPLES)):
            history_item(clip, skin, 0, i * ih, thumb, title, date, hover_copy=(i == 0 and "copy" in hovers))
        c.draw(clip, x, y)
    return c


def mock_settings(skin, height=530):
    c = backdrop(WIN_W, height)
    window_tiles(c, skin, height)
    c.draw(skin["buttons/close.png"], 274, 24)
    c.draw(skin["buttons/settings_hover.png"], 120, height - 72)
    c.draw(skin["buttons/screenshot.png"], 146, height - 71)
    c.draw(skin["buttons/windowgrab.png"], 176, height - 71)
    c.draw(skin["buttons/vantorel.png"], 239, height - 53)
    for name, (x, y) in (("heading", (45, 30)), ("account", (45, 92)), ("general", (45, 211)),
                         ("copyright", (45, 377))):
        c.draw(skin["settings/%s.png" % name], x, y)
    label(c, "Username:", 50, 112, 12, 0xB5B5B5, width=63, align="right")
    label(c, "Password:", 50, 135, 12, 0xB5B5B5, width=63, align="right")
    edit_box(c, 120, 111, 143, 17, "jordan")
    edit_box(c, 120, 134, 143, 17, "\u2022" * 9, focused=True)
    c.draw(skin["settings/login_hover.png"], 188, 159)
    toggles = (("Always On Top", True), ("Autocopy URL after upload", True),
               ("Show hide button (ESC to hide)", True), ("Show in superbar (Close will exit)", True),
               ("Show toast alerts", False), ("Use IE proxy settings", False),
               ("Save transparency in window grabs", False))
    for k, (text, on) in enumerate(toggles):
        y = 226 + 20 * k
        name = ("selected" if on else "clear") + ("_hover" if k in (1, 5) else "")
        c.draw(skin["toggle/%s.png" % name], 55, y)
        label(c, text, 55 + 22, y - 1, 12, 0xEEEEEE)
    for k, (line, link) in enumerate((("vantorel liftorn 1.2.5i by ", "the liftorn team"),
                                      ("Files are hosted by ", "vantorel"),
                                      ("Icons and skin: ", "liftorn artwork"),
                                      ("Something wrong? ", "Open log folder"))):
        y = (381, 396, 411, 426)[k]
        w = label(c, line, 53, y, 12, 0xA5A5A5)
        label(c, link, 53 + w, y, 12, 0xFFFFFF if k == 1 else 0xEEEEEE)
    return c


def mock_prompt(skin):
    c = backdrop(WIN_W, 175)
    window_tiles(c, skin, 175)
    c.draw(skin["background/glow_input.png"], 27, 19)
    label(c, "Enter capture filename:", 35, 25, 12, 0xEAEAEA)
    edit_box(c, 35, 13 + 33, 246, 17, "capture.bmp", focused=True)
    label(c, "Valid extensions: png, jpg and gif.", 35, 13 + 58, 12, 0xFF2222)
    c.draw(skin["toggle/selected.png"], 35, 111)
    label(c, "Run adv_cmd", 35 + 22, 110, 12, 0xFFFFFF)
    c.draw(skin["buttons/ok_hover.png"], 161, 107)
    c.draw(skin["buttons/cancel.png"], 225, 107)
    return c


def mock_toast(skin, success, height=96):
    c = backdrop(285, height)
    c.draw(skin["toast/background.png"], 0, 0, 0, 0, 285, height)
    c.draw(skin["toast/success.png" if success else "toast/failure.png"], 28, 18)
    label(c, "holiday-photo.jpg", 107, 32, 12, 0xA5A5A5)
    label(c, "has successfully uploaded" if success else "has not successfully uploaded", 107, 47, 12, 0xF5F5F5)
    if success:
        label(c, "Copy URL", 224, 68, 10, 0xE0E0E0)
    return c


def mock_screenshot(skin):
    w, h = 330, 230
    data = magick(["logo:", "-resize", "%dx%d^" % (w, h), "-gravity", "center", "-extent", "%dx%d" % (w, h),
                   "-depth", "8", "rgba:-"])
    c = Canvas.from_rgba(w, h, data)
    left, top, right, bottom = 90, 70, 290, 200
    dim = [0.0] * (w * h)
    for y in range(h):
        for x in range(w):
            if not (left <= x < right and top <= y < bottom):
                dim[y * w + x] = 1.0
    c.blend(dim, rgb("#000000", 0xB0 / 255))
    c.fill(subtract(rect(left, top, right, bottom), rect(left + 1, top + 1, right - 1, bottom - 1)), BLACK)
    c.draw(skin["screenshot/top_left.png"], left, top)
    c.draw(skin["screenshot/top_right.png"], right - 12, top)
    c.draw(skin["screenshot/bottom_left.png"], left, bottom - 12)
    c.draw(skin["screenshot/bottom_right.png"], right - 12, bottom - 12)
    c.draw(skin["screenshot/upload.png"], 5, 5)
    return c


def write_preview(outdir, path):
    # compose from the files as written, exactly what the program will load
    skin = {name: load_png(os.path.join(outdir, *name.split("/"))) for name in EXPECTED}
    thumbs = [sample_thumb(skin, src) if src else skin["history/no_thumb.png"] for src, _, _ in HISTORY_SAMPLES]
    mocks = [
        ("Upload page, 530 high, hover on Copy URL", mock_main(skin, thumbs, hovers=("copy", "close"))),
        ("Uploading at 60 %, cancel hovered", mock_main(skin, thumbs, state="uploading", progress=60,
                                                         hovers=("cancel", "logo"))),
        ("Upload failed, 300 high", mock_main(skin, thumbs, height=300, state="error")),
        ("Settings page", mock_settings(skin)),
        ("Capture prompt", mock_prompt(skin)),
        ("Toast: success", mock_toast(skin, True)),
        ("Toast: failure (stacked, 123 high)", mock_toast(skin, False, 123)),
        ("Region screenshot overlay", mock_screenshot(skin)),
        ("Minimum size 316 x 188", mock_main(skin, thumbs, height=188)),
    ]
    with tempfile.TemporaryDirectory() as tmp:
        def save(name, canvas):
            p = os.path.join(tmp, name)
            with open(p, "wb") as f:
                f.write(png_bytes(canvas.w, canvas.h, canvas.rgba_bytes(), quick=True))
            return p

        sheet_w = 1720
        font = font_file(False)
        bold = font_file(True)
        ops = []
        # windows: two rows
        x, y, row_h = 20, 50, 0
        ops += ["-font", bold, "-pointsize", "22", "-fill", "#f1f5f9",
                "-annotate", "+20+32", "vantorel liftorn skin: windows composed at 1:1"]
        for k, (title, canvas) in enumerate(mocks):
            if x + canvas.w > sheet_w - 20:
                x, y, row_h = 20, y + row_h + 40, 0
            p = save("mock%d.png" % k, canvas)
            ops += ["-font", font, "-pointsize", "13", "-fill", "#cbd5e1",
                    "-annotate", "+%d+%d" % (x, y + 14), title.replace("%", "%%"),
                    p, "-geometry", "+%d+%d" % (x, y + 22), "-composite"]
            x += canvas.w + 24
            row_h = max(row_h, canvas.h + 22)
        y += row_h + 50
        ops += ["-font", bold, "-pointsize", "22", "-fill", "#f1f5f9",
                "-annotate", "+20+%d" % y, "Every file of the skin (1:1 on a checkerboard; small ones also at 4x)"]
        y += 16
        x, row_h = 20, 0
        for name in EXPECTED:
            c = skin[name]
            zoom = 4 if max(c.w, c.h) <= 30 else 1
            cell_w = max(c.w + 8 + (c.w * zoom + 8 + 8 if zoom > 1 else 0), 150)
            cell_h = max(c.h, c.h * zoom) + 8 + 34
            if x + cell_w > sheet_w - 20:
                x, y, row_h = 20, y + row_h + 14, 0
            p = os.path.join(outdir, *name.split("/"))
            ops += ["(", "-size", "%dx%d" % (c.w + 8, c.h + 8), "tile:mpr:chk", ")",
                    "-geometry", "+%d+%d" % (x, y), "-composite",
                    p, "-geometry", "+%d+%d" % (x + 4, y + 4), "-composite"]
            if zoom > 1:
                zx = x + c.w + 16
                ops += ["(", "-size", "%dx%d" % (c.w * zoom + 8, c.h * zoom + 8), "tile:mpr:chk", ")",
                        "-geometry", "+%d+%d" % (zx, y), "-composite",
                        "(", p, "-filter", "point", "-resize", "%d%%" % (zoom * 100), ")",
                        "-geometry", "+%d+%d" % (zx + 4, y + 4), "-composite"]
            ty = y + max(c.h, c.h * zoom) + 8
            ops += ["-font", font, "-pointsize", "12", "-fill", "#e2e8f0",
                    "-annotate", "+%d+%d" % (x, ty + 14), name,
                    "-fill", "#94a3b8", "-annotate", "+%d+%d" % (x, ty + 28), "%d x %d" % (c.w, c.h)]
            x += cell_w + 14
            row_h = max(row_h, cell_h)
        sheet_h = y + row_h + 20
        checker = ["-size", "16x16", "xc:#4a4f58", "-fill", "#3a3e46",
                   "-draw", "rectangle 0,0 7,7", "-draw", "rectangle 8,8 15,15",
                   "-write", "mpr:chk", "+delete"]
        magick(checker + ["-size", "%dx%d" % (sheet_w, sheet_h), "xc:#23262c"] + ops
               + ["-strip", "-define", "png:exclude-chunks=date,time", "+set", "date:create",
                  "+set", "date:modify", "PNG32:" + path])


USAGE = "usage: make-skin.py OUTDIR [--preview SHEET.png] [--scale 150|200]"


def main(argv):
    global SCALE
    args = argv[1:]
    preview = None
    if "--preview" in args:
        i = args.index("--preview")
        if i + 1 >= len(args):
            sys.exit(USAGE)
        preview = args[i + 1]
        del args[i:i + 2]
    if "--scale" in args:
        i = args.index("--scale")
        if i + 1 >= len(args) or args[i + 1] not in ("150", "200") or preview:
            sys.exit(USAGE)
        SCALE = int(args[i + 1]) / 100
        del args[i:i + 2]
    if len(args) != 1:
        sys.exit(USAGE)
    outdir = args[0]
    images = draw_all()
    write_skin(images, outdir)
    if preview:
        write_preview(outdir, preview)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
