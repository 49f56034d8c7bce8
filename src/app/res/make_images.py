#!/usr/bin/env python3
"""Draws the program's icons (16 by 16, 32-bit with alpha) into .ico files,
and its button and menu images as strips at 100%, 150% and 200% (16, 24 and
32 pixels), each drawn at its own size rather than stretched.

The pictures are simple geometric glyphs drawn with 4x supersampling, so the
edges are smooth at 16 pixels. Run it after changing a glyph; the .ico files
it writes are committed beside it.
"""
import math
import struct
import sys
from pathlib import Path

SS = 4  # supersampling factor


SCALE = 1.0  # the strip being drawn: 1, 1.5 or 2 times the designed size


class Canvas:
    def __init__(self, size):
        self.size = size  # drawing coordinates
        self.pix = round(size * SCALE)  # pixels written
        self.n = self.pix * SS
        self.px = [[(0, 0, 0, 0.0)] * self.n for _ in range(self.n)]

    def _put(self, x, y, rgb, a=1.0):
        if 0 <= x < self.n and 0 <= y < self.n:
            r, g, b, oa = self.px[y][x]
            na = a + oa * (1 - a)
            if na <= 0:
                return
            mix = lambda c, oc: (c * a + oc * oa * (1 - a)) / na
            self.px[y][x] = (mix(rgb[0], r), mix(rgb[1], g), mix(rgb[2], b), na)

    def fill(self, inside, rgb):
        s = self.size / self.n
        for y in range(self.n):
            for x in range(self.n):
                if inside((x + 0.5) * s, (y + 0.5) * s):
                    self._put(x, y, rgb)

    def rect(self, x0, y0, x1, y1, rgb):
        self.fill(lambda x, y: x0 <= x < x1 and y0 <= y < y1, rgb)

    def round_rect(self, x0, y0, x1, y1, r, rgb):
        def inside(x, y):
            if not (x0 <= x < x1 and y0 <= y < y1):
                return False
            cx = min(max(x, x0 + r), x1 - r)
            cy = min(max(y, y0 + r), y1 - r)
            return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
        self.fill(inside, rgb)

    def circle(self, cx, cy, r, rgb):
        self.fill(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, rgb)

    def ring(self, cx, cy, r0, r1, rgb, gap=None):
        def inside(x, y):
            d = (x - cx) ** 2 + (y - cy) ** 2
            if not (r0 * r0 <= d <= r1 * r1):
                return False
            if gap:
                ang = math.degrees(math.atan2(y - cy, x - cx)) % 360
                a0, a1 = gap
                if a0 <= ang <= a1:
                    return False
            return True
        self.fill(inside, rgb)

    def line(self, x0, y0, x1, y1, w, rgb):
        def inside(x, y):
            dx, dy = x1 - x0, y1 - y0
            ln = dx * dx + dy * dy
            t = 0 if ln == 0 else max(0, min(1, ((x - x0) * dx + (y - y0) * dy) / ln))
            px, py = x0 + t * dx, y0 + t * dy
            return (x - px) ** 2 + (y - py) ** 2 <= (w / 2) ** 2
        self.fill(inside, rgb)

    def poly(self, pts, rgb):
        def inside(x, y):
            c = False
            j = len(pts) - 1
            for i in range(len(pts)):
                xi, yi = pts[i]
                xj, yj = pts[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    c = not c
                j = i
            return c
        self.fill(inside, rgb)

    def pixels(self):
        """Downsamples to BGRA bytes, bottom-up rows, premultiplied only by alpha."""
        out = []
        for y in range(self.pix):
            row = []
            for x in range(self.pix):
                r = g = b = a = 0.0
                for sy in range(SS):
                    for sx in range(SS):
                        pr, pg, pb, pa = self.px[y * SS + sy][x * SS + sx]
                        r += pr * pa
                        g += pg * pa
                        b += pb * pa
                        a += pa
                if a > 0:
                    r, g, b = r / a, g / a, b / a
                a = a / (SS * SS)
                row.append((int(round(b)), int(round(g)), int(round(r)), int(round(a * 255))))
            out.append(row)
        return out


def write_ico(path, canvases):
    entries = []
    for c in canvases:
        rows = c.pixels()
        n = c.pix
        xor = b"".join(bytes(p) for row in reversed(rows) for p in row)
        mask_stride = ((n + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(rows):
            bits = bytearray(mask_stride)
            for x, p in enumerate(row):
                if p[3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        hdr = struct.pack("<IiiHHIIiiII", 40, n, n * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        entries.append((n, hdr + xor + bytes(mask)))
    data = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for n, img in entries:
        data += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    for _, img in entries:
        data += img
    Path(path).write_bytes(data)


BLUE = (40, 100, 200)
DARK = (50, 50, 50)
GREEN = (30, 150, 60)
RED = (200, 40, 40)
WHITE = (255, 255, 255)
GREY = (120, 120, 120)
YELLOW = (230, 180, 40)


def app(size):
    c = Canvas(size)
    k = size / 16
    c.round_rect(0.5 * k, 0.5 * k, 15.5 * k, 15.5 * k, 3 * k, BLUE)
    # a folder with an arrow: the launcher's own mark
    c.poly([(4 * k, 4 * k), (12 * k, 8 * k), (4 * k, 12 * k), (6 * k, 8 * k)], WHITE)
    return c


def menu():
    c = Canvas(16)
    for y in (3, 7, 11):
        c.round_rect(2, y, 14, y + 2, 0.8, DARK)
    return c


def refresh():
    c = Canvas(16)
    c.ring(8, 8, 3.6, 5.8, GREEN, gap=(300, 359.9))
    c.poly([(10.5, 1.5), (15, 6.5), (9, 7.5)], GREEN)
    return c


def options():
    c = Canvas(16)
    for i, (y, kx) in enumerate(((3.5, 10), (8, 5), (12.5, 11))):
        c.line(2, y, 14, y, 1.3, GREY)
        c.circle(kx, y, 2, BLUE)
    return c


def save_view():
    c = Canvas(16)
    c.round_rect(1.5, 1.5, 14.5, 14.5, 1.2, BLUE)
    c.rect(4, 1.5, 12, 6, WHITE)
    c.rect(9.5, 2.5, 11, 5, BLUE)
    c.rect(3.5, 9, 12.5, 14.5, WHITE)
    return c


def exit_():
    c = Canvas(16)
    c.ring(8, 8.5, 4.6, 6.4, RED, gap=(240, 300))
    c.line(8, 1.5, 8, 8, 1.9, RED)
    return c


def hide():
    c = Canvas(16)
    c.poly([(2.5, 5), (13.5, 5), (8, 11.5)], DARK)
    return c


def clipboard():
    c = Canvas(16)
    c.round_rect(2.5, 2.5, 13.5, 15, 1, (150, 100, 50))
    c.rect(4, 4.5, 12, 13.5, WHITE)
    c.round_rect(5.5, 1, 10.5, 4.5, 1, GREY)
    return c


def plain_text():
    c = Canvas(16)
    c.poly([(3, 1), (10, 1), (13, 4), (13, 15), (3, 15)], GREY)
    c.poly([(4, 2), (9.5, 2), (12, 4.5), (12, 14), (4, 14)], WHITE)
    for y in (6, 8.5, 11):
        c.line(5.5, y, 10.5, y, 1, GREY)
    return c


def comma():
    c = Canvas(16)
    c.circle(5, 11, 2, DARK)
    c.poly([(5.5, 11), (7, 11), (4.5, 15.5), (3.5, 15.2)], DARK)
    c.circle(11, 11, 2, DARK)
    c.poly([(11.5, 11), (13, 11), (10.5, 15.5), (9.5, 15.2)], DARK)
    return c


def xml():
    c = Canvas(16)
    c.line(6, 3.5, 1.5, 8, 1.6, BLUE)
    c.line(1.5, 8, 6, 12.5, 1.6, BLUE)
    c.line(10, 3.5, 14.5, 8, 1.6, BLUE)
    c.line(14.5, 8, 10, 12.5, 1.6, BLUE)
    c.line(9.3, 2.5, 6.7, 13.5, 1.3, GREY)
    return c


def execute():
    c = Canvas(16)
    c.poly([(4, 2), (13.5, 8), (4, 14)], GREEN)
    return c


def screen_saver():
    c = Canvas(16)
    c.round_rect(1, 2, 15, 12, 1, DARK)
    c.rect(2.5, 3.5, 13.5, 10.5, (20, 30, 90))
    c.circle(10, 6, 1.6, YELLOW)
    c.rect(6, 12, 10, 14, DARK)
    c.rect(4, 14, 12, 15, DARK)
    return c


def about():
    c = Canvas(16)
    c.circle(8, 8, 7, BLUE)
    c.circle(8, 4.6, 1.3, WHITE)
    c.rect(7, 7, 9, 12.5, WHITE)
    return c


def start_with_windows():
    c = Canvas(16)
    # an arrow going in at a door: started at sign-in
    c.round_rect(7.5, 1.5, 14.5, 14.5, 1, GREY)
    c.rect(9, 3, 13, 13, WHITE)
    c.line(1.5, 8, 9, 8, 1.8, GREEN)
    c.poly([(8, 4.5), (12, 8), (8, 11.5)], GREEN)
    return c


def write_strip(path, canvases):
    """A 32-bit bottom-up BMP with alpha: the images side by side."""
    rows_of = [c.pixels() for c in canvases]
    n = canvases[0].pix
    width = n * len(canvases)
    body = bytearray()
    for y in reversed(range(n)):
        for rows in rows_of:
            for p in rows[y]:
                body += bytes(p)
    info = struct.pack("<IiiHHIIiiII", 40, width, n, 1, 32, 0, len(body), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(body), 0, 0, 14 + len(info))
    Path(path).write_bytes(header + info + bytes(body))


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).parent)
    write_ico(out / "tavrix.ico", [app(16), app(32)])
    glyphs = {
        "menu": menu, "refresh": refresh, "options": options, "saveview": save_view,
        "exit": exit_, "hide": hide, "clipboard": clipboard, "plaintext": plain_text,
        "comma": comma, "xml": xml, "execute": execute, "screensaver": screen_saver,
        "about": about, "startwithwindows": start_with_windows,
    }
    # The window loads its images as two strips: one read instead of many.
    global SCALE
    for SCALE, suffix in ((1.0, ""), (1.5, "24"), (2.0, "32")):
        write_strip(out / f"glyphs{suffix}.bmp", [draw() for draw in glyphs.values()])
        write_strip(out / f"images{suffix}.bmp", [app(16), refresh(), options(), exit_()])
    SCALE = 1.0


if __name__ == "__main__":
    main()
