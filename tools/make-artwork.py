#!/usr/bin/env python3
"""Draws the client's artwork from vector shapes and writes it as PNG files.

usage: tools/make-artwork.py [output folder, default app/images]

Named images go to the folder itself, the program's numbered resources to res/<n>.png and the
platform library's own images to sys/<n>.png or sys/<name>.png ("selection" is the list selection
background, "keypoint" the keypad's decimal point). Only the Python standard library is used: shapes
are turned into polygons, filled with an anti-aliased scanline rasteriser (sub-rows in y, exact
span coverage in x) and composited over premultiplied RGBA.
"""
import math
import os
import struct
import sys
import zlib

SUBROWS = 5

# ---------------------------------------------------------------- rasteriser


class Canvas:
    def __init__(self, w, h, fill=None):
        self.w, self.h = w, h
        self.px = [0.0] * (w * h * 4)  # premultiplied r, g, b, a in 0..1
        if fill:
            self.draw([rect(0, 0, w, h)], fill)

    def draw(self, polys, paint, rule="union", alpha=1.0):
        """Fills the polygons (a list of point lists) with paint: an (r, g, b[, a]) tuple or a function (x, y)."""
        polys = [p for p in polys if len(p) >= 3]
        if not polys:
            return
        if rule == "union":  # same orientation everywhere, so nonzero winding is a union
            polys = [p if area(p) >= 0 else p[::-1] for p in polys]
        xs = [x for p in polys for x, _ in p]
        ys = [y for p in polys for _, y in p]
        x0, x1 = max(0, int(math.floor(min(xs)))), min(self.w, int(math.ceil(max(xs))) + 1)
        y0, y1 = max(0, int(math.floor(min(ys)))), min(self.h, int(math.ceil(max(ys))) + 1)
        if x0 >= x1 or y0 >= y1:
            return
        edges = []
        for p in polys:
            n = len(p)
            for i in range(n):
                ax, ay = p[i]
                bx, by = p[(i + 1) % n]
                if ay == by:
                    continue
                d = 1 if by > ay else -1
                if ay > by:
                    ax, ay, bx, by = bx, by, ax, ay
                edges.append((ay, by, ax, (bx - ax) / (by - ay), d))
        solid = None if callable(paint) else norm(paint)
        width = x1 - x0
        for y in range(y0, y1):
            cov = [0.0] * (width + 2)
            full = [0.0] * (width + 2)
            row_edges = [e for e in edges if e[0] < y + 1 and e[1] > y]
            if not row_edges:
                continue
            for s in range(SUBROWS):
                sy = y + (s + 0.5) / SUBROWS
                cross = []
                for ey0, ey1, ex, slope, d in row_edges:
                    if ey0 <= sy < ey1:
                        cross.append((ex + (sy - ey0) * slope, d))
                if not cross:
                    continue
                cross.sort()
                wind = 0
                for i in range(len(cross) - 1):
                    xa, d = cross[i]
                    wind += d if rule != "evenodd" else 1
                    inside = (wind % 2 == 1) if rule == "evenodd" else wind != 0
                    if inside:
                        span(cov, full, xa - x0, cross[i + 1][0] - x0, width, 1.0 / SUBROWS)
            acc = 0.0
            base = (y * self.w + x0) * 4
            for i in range(width):
                acc += full[i]
                c = cov[i] + acc
                if c <= 0.0005:
                    continue
                c = min(1.0, c) * alpha
                if solid is None:
                    r, g, b, a = norm(paint(x0 + i + 0.5, y + 0.5))
                else:
                    r, g, b, a = solid
                self.blend(base + i * 4, r, g, b, a * c)

    def blend(self, k, r, g, b, a):
        px = self.px
        inv = 1.0 - a
        px[k] = r * a + px[k] * inv
        px[k + 1] = g * a + px[k + 1] * inv
        px[k + 2] = b * a + px[k + 2] * inv
        px[k + 3] = a + px[k + 3] * inv

    def paste(self, other, ox, oy):
        for y in range(other.h):
            ty = y + oy
            if not 0 <= ty < self.h:
                continue
            for x in range(other.w):
                tx = x + ox
                if not 0 <= tx < self.w:
                    continue
                s = (y * other.w + x) * 4
                a = other.px[s + 3]
                if a <= 0:
                    continue
                k = (ty * self.w + tx) * 4
                inv = 1.0 - a
                for j in range(3):
                    self.px[k + j] = other.px[s + j] + self.px[k + j] * inv
                self.px[k + 3] = a + self.px[k + 3] * inv

    def save(self, path):
        raw = bytearray()
        for y in range(self.h):
            raw.append(0)
            for x in range(self.w):
                k = (y * self.w + x) * 4
                a = self.px[k + 3]
                if a <= 0.0:
                    raw += b"\0\0\0\0"
                    continue
                raw += bytes(max(0, min(255, int(round(self.px[k + j] / a * 255)))) for j in range(3))
                raw.append(max(0, min(255, int(round(a * 255)))))

        def chunk(tag, data):
            return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)

        png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 6, 0, 0, 0))
        png += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(png)


def span(cov, full, a, b, width, weight):
    """Adds the horizontal span [a, b) with weight: partial pixels directly, whole ones through a running sum."""
    a = max(0.0, a)
    b = min(float(width), b)
    if b <= a:
        return
    ia, ib = int(a), int(b)
    if ia == ib:
        cov[ia] += (b - a) * weight
        return
    cov[ia] += (ia + 1 - a) * weight
    full[ia + 1] += weight
    full[ib] -= weight
    if ib < width:
        cov[ib] += (b - ib) * weight


def norm(c):
    if len(c) == 3:
        return (c[0] / 255.0, c[1] / 255.0, c[2] / 255.0, 1.0)
    return (c[0] / 255.0, c[1] / 255.0, c[2] / 255.0, c[3] / 255.0)


def area(p):
    return sum(p[i][0] * p[(i + 1) % len(p)][1] - p[(i + 1) % len(p)][0] * p[i][1] for i in range(len(p))) / 2


# ---------------------------------------------------------------- shapes (each returns a list of polygons)


def rect(x, y, w, h):
    return [(x, y), (x + w, y), (x + w, y + h), (x, y + h)]


def arc_points(cx, cy, rx, ry, a0, a1, steps=None):
    if steps is None:
        steps = max(8, int(abs(a1 - a0) * max(rx, ry) / 2.5))
    return [(cx + rx * math.cos(a0 + (a1 - a0) * i / steps), cy + ry * math.sin(a0 + (a1 - a0) * i / steps))
            for i in range(steps + 1)]


def rrect(x, y, w, h, r):
    r = min(r, w / 2, h / 2)
    if r <= 0:
        return rect(x, y, w, h)
    pts = []
    pts += arc_points(x + w - r, y + r, r, r, -math.pi / 2, 0)
    pts += arc_points(x + w - r, y + h - r, r, r, 0, math.pi / 2)
    pts += arc_points(x + r, y + h - r, r, r, math.pi / 2, math.pi)
    pts += arc_points(x + r, y + r, r, r, math.pi, 1.5 * math.pi)
    return pts


def ellipse(cx, cy, rx, ry=None):
    ry = rx if ry is None else ry
    n = max(16, int(2 * math.pi * max(rx, ry) / 2))
    return arc_points(cx, cy, rx, ry, 0, 2 * math.pi, n)[:-1]


def line(x0, y0, x1, y1, w, cap=True):
    dx, dy = x1 - x0, y1 - y0
    ln = math.hypot(dx, dy) or 1.0
    nx, ny = -dy / ln * w / 2, dx / ln * w / 2
    polys = [[(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)]]
    if cap:
        polys += [ellipse(x0, y0, w / 2), ellipse(x1, y1, w / 2)]
    return polys


def polyline(pts, w, closed=False):
    polys = []
    n = len(pts)
    for i in range(n if closed else n - 1):
        a, b = pts[i], pts[(i + 1) % n]
        polys += line(a[0], a[1], b[0], b[1], w)
    return polys


def arc(cx, cy, r, a0, a1, w):
    return polyline(arc_points(cx, cy, r, r, a0, a1), w)


def polygon(*pts):
    return [list(pts)]


def translate(polys, dx, dy, s=1.0):
    return [[(x * s + dx, y * s + dy) for x, y in p] for p in polys]


# ---------------------------------------------------------------- paints


def vgrad(y0, y1, c0, c1):
    c0, c1 = norm(c0), norm(c1)

    def paint(x, y):
        t = min(1.0, max(0.0, (y - y0) / float(y1 - y0 or 1)))
        return tuple(int(round((c0[i] + (c1[i] - c0[i]) * t) * 255)) for i in range(4))
    return paint


def rgrad(cx, cy, r, c0, c1):
    c0, c1 = norm(c0), norm(c1)

    def paint(x, y):
        t = min(1.0, math.hypot(x - cx, y - cy) / r)
        return tuple(int(round((c0[i] + (c1[i] - c0[i]) * t) * 255)) for i in range(4))
    return paint


def shade(c, f):
    return tuple(max(0, min(255, int(v * f))) for v in c[:3])


# ---------------------------------------------------------------- palette (dark screens, red rises, green falls)

NIGHT = (14, 18, 28)
PANEL = (30, 36, 50)
STEEL = (58, 66, 84)
GOLD = (242, 184, 48)
RISE = (255, 38, 38)
FALL = (23, 220, 23)
WHITE = (255, 255, 255)
ICON = (236, 238, 242)
FRAME = (100, 100, 100)
BLUE = (36, 104, 196)

# ---------------------------------------------------------------- a small stroke alphabet for the brand


LETTERS = {
    "M": [[(0, 1), (0, 0), (0.5, 0.6), (1, 0), (1, 1)]],
    "O": "ring",
    "R": [[(0, 1), (0, 0), (0.7, 0), (0.9, 0.12), (0.9, 0.38), (0.7, 0.5), (0, 0.5)], [(0.45, 0.5), (0.95, 1)]],
    "W": [[(0, 0), (0.22, 1), (0.5, 0.35), (0.78, 1), (1, 0)]],
    "I": [[(0.5, 0), (0.5, 1)]],
    "C": "c",
    "K": [[(0, 0), (0, 1)], [(0.95, 0), (0.05, 0.55)], [(0.35, 0.38), (0.95, 1)]],
}


def word(text, x, y, h, w_letter, gap, stroke):
    polys = []
    for ch in text:
        shape = LETTERS[ch]
        if ch == "I":  # a bar needs no letter box of its own
            polys += polyline([(x + stroke / 2, y), (x + stroke / 2, y + h)], stroke)
            x += stroke + gap
            continue
        if shape == "ring":
            polys += polyline(arc_points(x + w_letter / 2, y + h / 2, w_letter / 2, h / 2, 0, 2 * math.pi), stroke)
        elif shape == "c":
            polys += polyline(arc_points(x + w_letter / 2, y + h / 2, w_letter / 2, h / 2, 0.25 * math.pi,
                                         1.75 * math.pi), stroke)
        else:
            for stroke_pts in shape:
                polys += polyline([(x + px * w_letter, y + py * h) for px, py in stroke_pts], stroke)
        x += w_letter + gap
    return polys



# ---------------------------------------------------------------- labels from a TrueType outline font
#
# The home grid's labels are set in a CJK font found on the machine that runs the script (its glyph outlines
# are read here and filled like every other shape). Without such a font the tiles are drawn without labels.

FONT_CANDIDATES = [
    "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc",
    "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc",
    "/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf",
]


class OutlineFont:
    def __init__(self, data):
        base = 0
        if data[:4] == b"ttcf":
            base = struct.unpack(">I", data[12:16])[0]
        count = struct.unpack(">H", data[base + 4:base + 6])[0]
        self.tables = {}
        for i in range(count):
            tag, _, off, length = struct.unpack(">4sIII", data[base + 12 + 16 * i:base + 28 + 16 * i])
            self.tables[tag] = (off, length)
        self.data = data
        head = self.tables[b"head"][0]
        self.units = struct.unpack(">H", data[head + 18:head + 20])[0]
        self.long_loca = struct.unpack(">h", data[head + 50:head + 52])[0] == 1
        hhea = self.tables[b"hhea"][0]
        self.metrics = struct.unpack(">H", data[hhea + 34:hhea + 36])[0]
        self.cmap = self._read_cmap()

    def _read_cmap(self):
        d = self.data
        off = self.tables[b"cmap"][0]
        n = struct.unpack(">H", d[off + 2:off + 4])[0]
        for i in range(n):
            pid, eid, sub = struct.unpack(">HHI", d[off + 4 + 8 * i:off + 12 + 8 * i])
            t = off + sub
            if struct.unpack(">H", d[t:t + 2])[0] == 4 and pid in (0, 3):
                segs = struct.unpack(">H", d[t + 6:t + 8])[0] // 2
                ends = struct.unpack(">%dH" % segs, d[t + 14:t + 14 + 2 * segs])
                p = t + 16 + 2 * segs
                starts = struct.unpack(">%dH" % segs, d[p:p + 2 * segs])
                deltas = struct.unpack(">%dh" % segs, d[p + 2 * segs:p + 4 * segs])
                range_at = p + 4 * segs
                ranges = struct.unpack(">%dH" % segs, d[range_at:range_at + 2 * segs])
                return (ends, starts, deltas, ranges, range_at)
        return None

    def glyph_index(self, ch):
        ends, starts, deltas, ranges, range_at = self.cmap
        c = ord(ch)
        for i, end in enumerate(ends):
            if c <= end:
                if c < starts[i]:
                    return 0
                if ranges[i] == 0:
                    return (c + deltas[i]) & 0xFFFF
                at = range_at + 2 * i + ranges[i] + 2 * (c - starts[i])
                g = struct.unpack(">H", self.data[at:at + 2])[0]
                return (g + deltas[i]) & 0xFFFF if g else 0
        return 0

    def advance(self, g):
        off = self.tables[b"hmtx"][0]
        g = min(g, self.metrics - 1)
        return struct.unpack(">H", self.data[off + 4 * g:off + 4 * g + 2])[0]

    def contours(self, g):
        """The glyph's closed outlines as point lists in font units (y up), quadratic curves flattened."""
        d = self.data
        loca = self.tables[b"loca"][0]
        if self.long_loca:
            start, end = struct.unpack(">II", d[loca + 4 * g:loca + 4 * g + 8])
        else:
            start, end = (v * 2 for v in struct.unpack(">HH", d[loca + 2 * g:loca + 2 * g + 4]))
        if start == end:
            return []
        at = self.tables[b"glyf"][0] + start
        ncont = struct.unpack(">h", d[at:at + 2])[0]
        if ncont < 0:
            return self._composite(at)
        ends = struct.unpack(">%dH" % ncont, d[at + 10:at + 10 + 2 * ncont])
        npts = ends[-1] + 1 if ends else 0
        p = at + 10 + 2 * ncont
        p += 2 + struct.unpack(">H", d[p:p + 2])[0]
        flags = []
        while len(flags) < npts:
            f = d[p]
            p += 1
            flags.append(f)
            if f & 8:
                flags.extend([f] * d[p])
                p += 1
        flags = flags[:npts]
        coords = []
        for short, same in ((2, 16), (4, 32)):
            v, vals = 0, []
            for f in flags:
                if f & short:
                    delta = d[p]
                    p += 1
                    v += delta if f & same else -delta
                elif not f & same:
                    v += struct.unpack(">h", d[p:p + 2])[0]
                    p += 2
                vals.append(v)
            coords.append(vals)
        pts = [(coords[0][i], coords[1][i], flags[i] & 1) for i in range(npts)]
        out, first = [], 0
        for end in ends:
            out.append(flatten(pts[first:end + 1]))
            first = end + 1
        return out

    def _composite(self, at):
        d = self.data
        p = at + 10
        out = []
        while True:
            flags, g = struct.unpack(">HH", d[p:p + 4])
            p += 4
            if flags & 1:
                dx, dy = struct.unpack(">hh", d[p:p + 4])
                p += 4
            else:
                dx, dy = struct.unpack(">bb", d[p:p + 2])
                p += 2
            p += 2 if flags & 8 else 4 if flags & 0x40 else 8 if flags & 0x80 else 0
            out += [[(x + dx, y + dy) for x, y in c] for c in self.contours(g)]
            if not flags & 0x20:
                return out


def flatten(points):
    """Turns TrueType on/off-curve points into a polygon (implied on-curve points between two off-curve ones)."""
    if not points:
        return []
    seq = []
    n = len(points)
    for i in range(n):
        x, y, on = points[i]
        nx, ny, non = points[(i + 1) % n]
        seq.append((x, y, on))
        if not on and not non:
            seq.append(((x + nx) / 2, (y + ny) / 2, 1))
    start = next((i for i, q in enumerate(seq) if q[2]), None)
    if start is None:
        return [(x, y) for x, y, _ in seq]
    seq = seq[start:] + seq[:start]
    poly = [(seq[0][0], seq[0][1])]
    i = 1
    m = len(seq)
    while i <= m:
        x, y, on = seq[i % m]
        if on:
            poly.append((x, y))
            i += 1
        else:
            ex, ey, _ = seq[(i + 1) % m]
            sx, sy = poly[-1]
            for k in range(1, 7):
                t = k / 6.0
                poly.append(((1 - t) ** 2 * sx + 2 * (1 - t) * t * x + t * t * ex,
                             (1 - t) ** 2 * sy + 2 * (1 - t) * t * y + t * t * ey))
            i += 2
    return poly


_FONT = []


def label_font():
    if not _FONT:
        font = None
        for path in FONT_CANDIDATES:
            if os.path.exists(path):
                try:
                    with open(path, "rb") as f:
                        font = OutlineFont(f.read())
                    break
                except (OSError, struct.error, KeyError, IndexError):
                    font = None
        _FONT.append(font)
    return _FONT[0]


def text_polys(text, cx, baseline, size):
    """Outlines of text centred on cx with its baseline at baseline, size pixels per em; [] without a font."""
    font = label_font()
    if not font:
        return []
    scale = size / float(font.units)
    glyphs = [font.glyph_index(ch) for ch in text]
    width = sum(font.advance(g) for g in glyphs) * scale
    x = cx - width / 2
    polys = []
    for g in glyphs:
        for c in font.contours(g):
            polys.append([(x + px * scale, baseline - py * scale) for px, py in c])
        x += font.advance(g) * scale
    return polys

# ---------------------------------------------------------------- pictograms, drawn in a 48 x 48 box


def pict_home(c, o=(0, 0), s=1.0, col=ICON):
    c.draw(translate(polygon((24, 6), (43, 23), (38, 23), (38, 42), (10, 42), (10, 23), (5, 23)), *o, s), col)
    c.draw(translate([rect(20, 29, 8, 13)], *o, s), (0, 0, 0, 140))


def pict_candles(c, o=(0, 0), s=1.0):
    for x, top, bot, btop, bbot, col in ((10, 10, 38, 16, 30, RISE), (24, 16, 44, 24, 38, FALL),
                                         (38, 4, 30, 8, 24, RISE)):
        c.draw(translate(line(x, top, x, bot, 2.2, False), *o, s), col)
        c.draw(translate([rect(x - 5, btop, 10, bbot - btop)], *o, s), col)


def pict_refresh(c, o=(0, 0), s=1.0, col=ICON):
    c.draw(translate(arc(24, 24, 14, -0.35 * math.pi, 1.3 * math.pi, 5), *o, s), col)
    tip = (24 + 14 * math.cos(-0.35 * math.pi), 24 + 14 * math.sin(-0.35 * math.pi))
    c.draw(translate(polygon((tip[0] - 9, tip[1] - 5), (tip[0] + 6, tip[1] - 8), (tip[0] + 3, tip[1] + 8)), *o, s),
           col)


def pict_back(c, o=(0, 0), s=1.0, col=ICON):
    c.draw(translate(polyline([(16, 16)] + arc_points(28, 27, 11, 11, -0.5 * math.pi, 0.5 * math.pi) +
                              [(14, 38)], 5), *o, s), col)
    c.draw(translate(polygon((5, 16), (18, 6), (18, 26)), *o, s), col)


def pict_search(c, o=(0, 0), s=1.0, col=ICON):
    c.draw(translate([ellipse(20, 20, 14), ellipse(20, 20, 9)], *o, s), col, rule="evenodd")
    c.draw(translate(line(30, 30, 42, 42, 7), *o, s), col)


def pict_check(c, o=(0, 0), s=1.0, col=(60, 220, 90)):
    c.draw(translate(polyline([(8, 25), (19, 36), (41, 12)], 7), *o, s), col)


def pict_timeshare(c, o=(0, 0), s=1.0):
    c.draw(translate(line(5, 42, 43, 42, 2, False) + line(5, 6, 5, 42, 2, False), *o, s), (150, 150, 160))
    c.draw(translate(polyline([(7, 30), (13, 22), (19, 26), (25, 14), (31, 20), (37, 10), (43, 16)], 3), *o, s),
           (255, 255, 0))
    c.draw(translate(polyline([(7, 33), (15, 28), (23, 27), (31, 23), (43, 21)], 2), *o, s), WHITE)


def pict_page(c, direction, o=(0, 0), s=1.0, col=ICON):
    c.draw(translate([rrect(8, 5, 26, 36, 3), rrect(12, 9, 18, 28, 1)], *o, s), col, rule="evenodd")
    if direction > 0:
        c.draw(translate(polygon((24, 17), (44, 29), (24, 41)), *o, s), GOLD)
    else:
        c.draw(translate(polygon((44, 17), (24, 29), (44, 41)), *o, s), GOLD)


def pict_lines(c, o=(0, 0), s=1.0, col=ICON, bullets=True):
    for y in (12, 24, 36):
        if bullets:
            c.draw(translate([ellipse(9, y, 3.5)], *o, s), GOLD)
        c.draw(translate(line(18 if bullets else 8, y, 42, y, 5), *o, s), col)


def pict_gear(c, o=(0, 0), s=1.0, col=ICON):
    teeth = []
    for k in range(8):
        a = k * math.pi / 4
        teeth.append([(24 + math.cos(a + d) * r, 24 + math.sin(a + d) * r)
                      for d, r in ((-0.22, 13), (-0.15, 20), (0.15, 20), (0.22, 13))])
    c.draw(translate(teeth + [ellipse(24, 24, 14)], *o, s), col)
    c.draw(translate([ellipse(24, 24, 6)], *o, s), (0, 0, 0, 200))


def pict_plus(c, o=(0, 0), s=1.0, col=ICON):
    c.draw(translate(line(24, 9, 24, 39, 7) + line(9, 24, 39, 24, 7), *o, s), col)


def pict_trash(c, o=(0, 0), s=1.0, col=ICON):
    c.draw(translate([rrect(8, 10, 32, 5, 2), rrect(19, 5, 10, 6, 2)], *o, s), col)
    c.draw(translate(polygon((11, 17), (37, 17), (34, 43), (14, 43)), *o, s), col)
    for x in (18, 24, 30):
        c.draw(translate(line(x, 22, x, 38, 2.5, False), *o, s), (0, 0, 0, 150))


def pict_star(c, o=(0, 0), s=1.0, col=GOLD, cx=24, cy=25, r=19):
    pts = []
    for k in range(10):
        rr = r if k % 2 == 0 else r * 0.42
        a = -math.pi / 2 + k * math.pi / 5
        pts.append((cx + rr * math.cos(a), cy + rr * math.sin(a)))
    c.draw(translate([pts], *o, s), col)


def pict_arrow(c, up, o=(0, 0), s=1.0, col=ICON):
    if up:
        c.draw(translate(polygon((24, 5), (42, 24), (31, 24), (31, 43), (17, 43), (17, 24), (6, 24)), *o, s), col)
    else:
        c.draw(translate(polygon((24, 43), (42, 24), (31, 24), (31, 5), (17, 5), (17, 24), (6, 24)), *o, s), col)


def pict_news(c, o=(0, 0), s=1.0, col=ICON):
    c.draw(translate([rrect(6, 7, 36, 34, 3), rrect(9, 10, 30, 28, 1)], *o, s), col, rule="evenodd")
    c.draw(translate([rect(12, 13, 11, 10)], *o, s), GOLD)
    for y in (15, 20):
        c.draw(translate(line(26, y, 35, y, 2.5), *o, s), col)
    for y in (27, 32):
        c.draw(translate(line(13, y, 35, y, 2.5), *o, s), col)


def pict_table(c, o=(0, 0), s=1.0, col=ICON):
    c.draw(translate([rrect(5, 7, 38, 34, 3), rrect(8, 10, 32, 28, 1)], *o, s), col, rule="evenodd")
    for y in (17, 24, 31):
        c.draw(translate(line(8, y, 40, y, 1.6, False), *o, s), col)
    c.draw(translate(line(20, 10, 20, 38, 1.6, False), *o, s), col)
    c.draw(translate(line(24, 20.5, 36, 20.5, 3), *o, s), RISE)
    c.draw(translate(line(24, 27.5, 36, 27.5, 3), *o, s), FALL)


def pict_menu(c, o=(0, 0), s=1.0, col=ICON):
    for y in (12, 24, 36):
        c.draw(translate([rrect(7, y - 3.5, 34, 7, 3)], *o, s), col)


def pict_lock(c, unlocked, o=(0, 0), s=1.0, body=GOLD):
    if unlocked:
        c.draw(translate(arc(33, 16, 8, math.pi, 2 * math.pi, 4) + line(41, 16, 41, 20, 4), *o, s), ICON)
    else:
        c.draw(translate(arc(24, 18, 9, math.pi, 2 * math.pi, 4) + line(15, 18, 15, 24, 4) +
                         line(33, 18, 33, 24, 4), *o, s), ICON)
    c.draw(translate([rrect(10, 23, 28, 20, 4)], *o, s), body)
    c.draw(translate([ellipse(24, 31, 3)] + line(24, 31, 24, 37, 2.5), *o, s), (0, 0, 0, 170))


def pict_buysell(c, o=(0, 0), s=1.0):
    c.draw(translate(polygon((6, 18), (30, 18), (30, 10), (43, 22), (30, 34), (30, 26), (6, 26)), *o, s), RISE)
    c.draw(translate(polygon((42, 30), (18, 30), (18, 22), (5, 34), (18, 46), (18, 38), (42, 38)), *o, s), FALL)


def pict_pie(c, o=(0, 0), s=1.0):
    c.draw(translate([ellipse(22, 26, 17)], *o, s), ICON)
    c.draw(translate([[(26, 22)] + arc_points(26, 22, 17, 17, -0.5 * math.pi, 0)], *o, s), GOLD)
    c.draw(translate([[(22, 26)] + arc_points(22, 26, 17, 17, 0.35 * math.pi, 0.9 * math.pi)], *o, s), (120, 70, 170))


def pict_coins(c, o=(0, 0), s=1.0):
    for k, y in enumerate((38, 31, 24, 17)):
        c.draw(translate([ellipse(22, y + 3, 14, 5)], *o, s), shade(GOLD, 0.7))
        c.draw(translate([rect(8, y, 28, 3), ellipse(22, y, 14, 5)], *o, s), GOLD if k % 2 == 0 else (250, 205, 90))
    c.draw(translate(polyline([(30, 12), (38, 4), (44, 10)], 3.5), *o, s), RISE)


def pict_headset(c, o=(0, 0), s=1.0, col=ICON):
    c.draw(translate(arc(24, 26, 16, math.pi, 2 * math.pi, 4.5), *o, s), col)
    c.draw(translate([rrect(5, 24, 9, 15, 3), rrect(34, 24, 9, 15, 3)], *o, s), col)
    c.draw(translate(polyline([(38, 39), (36, 44), (27, 45)], 2.5), *o, s), col)
    c.draw(translate([rrect(22, 42, 7, 5, 2)], *o, s), col)


def pict_power(c, o=(0, 0), s=1.0, col=ICON):
    c.draw(translate(arc(24, 26, 15, -0.28 * math.pi, 1.28 * math.pi, 5), *o, s), col)
    c.draw(translate(line(24, 6, 24, 25, 5.5), *o, s), col)


def pict_index(c, o=(0, 0), s=1.0, col=ICON):
    c.draw(translate(line(5, 43, 44, 43, 3) + line(5, 5, 5, 43, 3), *o, s), col)
    c.draw(translate([[(8, 40), (8, 32), (17, 24), (25, 30), (35, 14), (43, 19), (43, 40)]], *o, s), (255, 255, 255, 70))
    c.draw(translate(polyline([(8, 32), (17, 24), (25, 30), (35, 14), (43, 19)], 3.5), *o, s), (255, 230, 80))


def pict_kline(c, o=(0, 0), s=1.0):
    pict_candles(c, o, s)


def pict_dot(c, o=(0, 0), s=1.0, col=(20, 20, 20)):
    c.draw(translate([ellipse(24, 24, 6)], *o, s), col)


# ---------------------------------------------------------------- the images


def toolbar_icon(draw):
    c = Canvas(48, 48)
    draw(c)
    return c


TOOLBAR = {
    113: lambda c: pict_home(c),
    114: lambda c: pict_kline(c),
    115: lambda c: pict_refresh(c),
    116: lambda c: pict_back(c),
    117: lambda c: pict_arrow(c, True, col=RISE),
    118: lambda c: pict_search(c),
    119: lambda c: pict_arrow(c, False, col=FALL),
    120: lambda c: pict_news(c),
    121: lambda c: pict_check(c),
    122: lambda c: pict_timeshare(c),
    123: lambda c: pict_page(c, 1),
    124: lambda c: pict_page(c, -1),
    125: lambda c: pict_table(c),
    126: lambda c: pict_menu(c),
    127: lambda c: pict_gear(c),
    130: lambda c: pict_plus(c, col=(90, 200, 255)),
    131: lambda c: pict_trash(c),
    132: lambda c: pict_star(c),
    133: lambda c: pict_lines(c),
    134: lambda c: pict_arrow(c, True),
    135: lambda c: pict_arrow(c, False),
}

# Home grid: the first eight open the top-level menu entries, the ninth ends the program.
TILES = [
    ((204, 40, 40), lambda c, o: pict_candles_on_tile(c, o), "行情"),
    ((232, 126, 20), lambda c, o: pict_star(c, o, 1.5, WHITE), "自选股"),
    ((36, 104, 196), lambda c, o: pict_index(c, o, 1.5), "指数"),
    ((22, 150, 150), lambda c, o: pict_news(c, o, 1.5), "资讯"),
    ((190, 150, 20), lambda c, o: pict_buysell_on_tile(c, o), "交易"),
    ((124, 72, 184), lambda c, o: pict_pie(c, o, 1.5), "基金"),
    ((40, 150, 70), lambda c, o: pict_coins(c, o, 1.5), "理财"),
    ((30, 130, 210), lambda c, o: pict_headset(c, o, 1.5), "客服"),
    ((96, 104, 120), lambda c, o: pict_power(c, o, 1.5), "退出"),
]


def pict_candles_on_tile(c, o):
    for x, top, bot, btop, bbot in ((10, 10, 38, 16, 30), (24, 16, 44, 24, 38), (38, 4, 30, 8, 24)):
        c.draw(translate(line(x, top, x, bot, 2.2, False), *o, 1.5), WHITE)
        c.draw(translate([rect(x - 5, btop, 10, bbot - btop)], *o, 1.5), WHITE if x != 24 else (255, 220, 220))


def pict_buysell_on_tile(c, o):
    c.draw(translate(polygon((6, 18), (30, 18), (30, 10), (43, 22), (30, 34), (30, 26), (6, 26)), *o, 1.5), WHITE)
    c.draw(translate(polygon((42, 30), (18, 30), (18, 22), (5, 34), (18, 46), (18, 38), (42, 38)), *o, 1.5),
           (255, 240, 200))


def tile(colour, draw, label):
    c = Canvas(116, 155)
    c.draw([rrect(6, 10, 104, 104, 22)], (0, 0, 0, 110))  # shadow
    c.draw([rrect(4, 6, 108, 104, 22)], vgrad(6, 110, shade(colour, 1.25), shade(colour, 0.72)))
    c.draw([rrect(8, 9, 100, 46, 18)], (255, 255, 255, 40))  # gloss
    draw(c, (22, 22))
    # the label under the tile; without a font a short plate in the tile's colour stands in for it
    polys = text_polys(label, 58, 143, 24)
    if polys:
        c.draw(translate(polys, 1, 1), (0, 0, 0, 160), rule="nonzero")
        c.draw(polys, (238, 240, 246), rule="nonzero")
    else:
        c.draw([rrect(14, 124, 88, 22, 11)], (255, 255, 255, 26))
        c.draw([rrect(40, 132, 36, 6, 3)], shade(colour, 1.3))
    return c


def menubg():
    c = Canvas(116, 155)
    c.draw([rrect(0, 0, 116, 155, 24)], rgrad(58, 62, 90, (255, 225, 120, 230), (242, 160, 30, 120)))
    c.draw([rrect(2, 2, 112, 151, 22), rrect(5, 5, 106, 145, 20)], (255, 240, 190, 220), rule="evenodd")
    return c


def caption(width):
    c = Canvas(width, 42, vgrad(0, 42, (38, 70, 128), (10, 24, 56)))
    c.draw([rect(0, 0, width, 1)], (120, 160, 220, 200))
    c.draw([rect(0, 0, width, 20)], (255, 255, 255, 18))
    c.draw([rect(0, 40, width, 2)], (242, 184, 48))
    return c


def start():
    w, h = 480, 720
    c = Canvas(w, h, vgrad(0, h, (16, 30, 62), (4, 6, 14)))
    c.draw([ellipse(240, 250, 300)], rgrad(240, 250, 300, (60, 100, 180, 90), (20, 40, 90, 0)))
    # faint grid of a chart
    for y in range(380, 700, 40):
        c.draw([rect(0, y, w, 1)], (120, 150, 210, 40))
    for x in range(0, w, 60):
        c.draw([rect(x, 380, 1, 320)], (120, 150, 210, 30))
    # candles rising to the right
    import random
    rnd = random.Random(7)
    price = 600
    for k in range(14):
        x = 18 + k * 33
        o = price
        price -= rnd.randint(-14, 30)
        hi, lo = min(o, price) - rnd.randint(4, 16), max(o, price) + rnd.randint(4, 16)
        col = RISE if price < o else FALL
        c.draw(line(x + 9, hi, x + 9, lo, 2, False), col + (200,))
        c.draw([rect(x, min(o, price), 18, max(3, abs(price - o)))], col + (220,))
    c.draw(polyline([(0, 640), (120, 600), (200, 560), (300, 520), (380, 470), (480, 420)], 4), (242, 184, 48, 230))
    # mark: a gold disc with a rising arrow
    c.draw([ellipse(240, 200, 84)], (0, 0, 0, 90))
    c.draw([ellipse(240, 196, 82)], vgrad(114, 278, (255, 214, 100), (214, 140, 20)))
    c.draw([ellipse(240, 196, 70)], vgrad(126, 266, (200, 30, 30), (130, 10, 10)))
    c.draw(polyline([(192, 228), (222, 196), (244, 214), (286, 166)], 12), WHITE)
    c.draw(polygon((298, 150), (296, 188), (266, 160)), WHITE)
    c.draw(word("MORWICK", 97, 310, 44, 38, 12, 7), WHITE)
    c.draw([rect(110, 376, 260, 2)], (242, 184, 48, 220))
    return c


def close_image(pressed):
    c = Canvas(50, 50)
    c.draw([ellipse(25, 25, 19)], (200, 40, 40) if pressed else (70, 78, 96))
    c.draw([ellipse(25, 25, 19), ellipse(25, 25, 17)], (255, 255, 255, 120), rule="evenodd")
    c.draw(line(18, 18, 32, 32, 4) + line(32, 18, 18, 32, 4), WHITE)
    return c


def message_bar(width):
    c = Canvas(width, 60)
    c.draw([rrect(4, 4, width - 8, 52, 10)], vgrad(4, 56, (44, 52, 70, 235), (20, 24, 34, 235)))
    c.draw([rrect(4, 4, width - 8, 52, 10), rrect(5, 5, width - 10, 50, 9)], (242, 184, 48, 200), rule="evenodd")
    # a small loudspeaker left of the text
    c.draw(polygon((10, 24), (16, 24), (26, 16), (26, 44), (16, 36), (10, 36)), GOLD)
    c.draw(arc(26, 30, 7, -0.3 * math.pi, 0.3 * math.pi, 2), GOLD)
    return c


def checkbox(checked):
    c = Canvas(50, 50)
    c.draw([rrect(11, 11, 28, 28, 5)], WHITE)
    c.draw([rrect(11, 11, 28, 28, 5), rrect(13, 13, 24, 24, 4)], FRAME, rule="evenodd")
    if checked:
        c.draw(polyline([(16, 25), (23, 32), (36, 15)], 5), (220, 30, 30))
    return c


def selection():
    c = Canvas(480, 50, vgrad(0, 50, (255, 232, 150), (244, 180, 52)))
    c.draw([rect(0, 0, 480, 1)], (255, 250, 220))
    c.draw([rect(0, 49, 480, 1)], (180, 120, 20))
    return c


def drop_button(pressed):
    c = Canvas(30, 56)
    top, bot = ((120, 150, 200), (60, 90, 150)) if pressed else ((236, 236, 240), (190, 192, 200))
    c.draw([rrect(0, 0, 30, 56, 5)], vgrad(0, 56, top, bot))
    c.draw([rrect(0, 0, 30, 56, 5), rrect(1, 1, 28, 54, 4)], FRAME, rule="evenodd")
    c.draw(polygon((7, 23), (23, 23), (15, 34)), WHITE if pressed else (60, 60, 70))
    return c


def sort_arrow(up):
    c = Canvas(17, 19)
    col = (40, 40, 48)
    if up:
        c.draw(polygon((8.5, 1), (16, 10), (11, 10), (11, 18), (6, 18), (6, 10), (1, 10)), col)
    else:
        c.draw(polygon((8.5, 18), (16, 9), (11, 9), (11, 1), (6, 1), (6, 9), (1, 9)), col)
    return c


def keypad_point(colour=(20, 20, 20)):
    c = Canvas(156, 68)
    c.draw([ellipse(78, 48, 6)], colour)
    return c


def app_icon():
    c = Canvas(32, 32)
    c.draw([rrect(1, 1, 30, 30, 7)], vgrad(1, 31, (230, 60, 50), (150, 16, 16)))
    c.draw(polyline([(6, 22), (12, 16), (17, 19), (25, 10)], 3), WHITE)
    c.draw(polygon((27, 7), (27, 15), (20, 9)), WHITE)
    c.draw([rrect(1, 1, 30, 30, 7), rrect(2, 2, 28, 28, 6)], (255, 220, 120, 200), rule="evenodd")
    return c


def small(draw, size=32):
    c = Canvas(size, size)
    draw(c, (0, 0), size / 48.0)
    return c


def enter_arrow():
    c = Canvas(18, 28)
    c.draw(polyline([(5, 5), (13, 14), (5, 23)], 3.5), (150, 150, 160))
    return c


def build(out):
    def save(c, name):
        c.save(os.path.join(out, name))

    save(start(), "start.png")
    save(close_image(False), "close.png")
    for k, (colour, draw, label) in enumerate(TILES):
        save(tile(colour, draw, label), "%d.png" % (k + 1))
    save(menubg(), "menubg.png")
    save(small(lambda c, o, s: pict_home(c, o, s, WHITE)), "home.png")
    save(caption(480), "captionbg.png")
    save(caption(720), "captionbg_720.png")
    save(enter_arrow(), "enter.png")
    # the program's numbered resources
    save(app_icon(), "res/102.png")
    save(small(lambda c, o, s: pict_lock(c, True, o, s, (80, 210, 110))), "res/103.png")
    save(small(lambda c, o, s: pict_lock(c, False, o, s)), "res/104.png")
    for n, draw in TOOLBAR.items():
        save(toolbar_icon(draw), "res/%d.png" % n)
    save(drop_button(False), "res/128.png")
    save(drop_button(True), "res/129.png")
    save(keypad_point(), "res/136.png")
    save(sort_arrow(False), "res/137.png")
    save(sort_arrow(True), "res/138.png")
    # the platform library's own images
    save(close_image(True), "sys/212.png")
    save(message_bar(480), "sys/270.png")
    save(message_bar(720), "sys/271.png")
    save(checkbox(True), "sys/519.png")
    save(checkbox(False), "sys/520.png")
    save(selection(), "sys/selection.png")
    save(keypad_point((60, 64, 76)), "sys/keypoint.png")


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    build(sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "app", "images"))
