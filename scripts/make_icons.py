#!/usr/bin/env python3
"""Draws the program's icons and pictures (our own simple drawings) into runtime/.

Standard library only: PNG and ICO files are written with zlib and struct.
Run from anywhere:  python3 scripts/make_icons.py
"""
import math
import os
import struct
import zlib

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "runtime")


class Canvas:
    def __init__(self, w, h, bg=(0, 0, 0, 0)):
        self.w, self.h = w, h
        self.px = [list(bg) for _ in range(w * h)]

    def blend(self, x, y, c, cover=1.0):
        if not (0 <= x < self.w and 0 <= y < self.h) or cover <= 0:
            return
        a = c[3] / 255.0 * min(cover, 1.0)
        p = self.px[y * self.w + x]
        out_a = a + p[3] / 255.0 * (1 - a)
        if out_a <= 0:
            return
        for i in range(3):
            p[i] = int(round((c[i] * a + p[i] * p[3] / 255.0 * (1 - a)) / out_a))
        p[3] = int(round(out_a * 255))

    def shape(self, inside, c, box=None):
        """Fills where inside(x, y) holds, 4x4 supersampled for soft edges."""
        x0, y0, x1, y1 = box or (0, 0, self.w, self.h)
        for y in range(max(0, int(y0)), min(self.h, int(math.ceil(y1)))):
            for x in range(max(0, int(x0)), min(self.w, int(math.ceil(x1)))):
                n = 0
                for sy in range(4):
                    for sx in range(4):
                        if inside(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4):
                            n += 1
                if n:
                    self.blend(x, y, c, n / 16.0)

    def rect(self, x0, y0, x1, y1, c):
        self.shape(lambda x, y: x0 <= x <= x1 and y0 <= y <= y1, c, (x0, y0, x1 + 1, y1 + 1))

    def round_rect(self, x0, y0, x1, y1, r, c):
        def inside(x, y):
            cx = min(max(x, x0 + r), x1 - r)
            cy = min(max(y, y0 + r), y1 - r)
            return x0 <= x <= x1 and y0 <= y <= y1 and (x - cx) ** 2 + (y - cy) ** 2 <= r * r
        self.shape(inside, c, (x0, y0, x1 + 1, y1 + 1))

    def circle(self, cx, cy, r, c, ring=None):
        def inside(x, y):
            d = math.hypot(x - cx, y - cy)
            return d <= r and (ring is None or d >= r - ring)
        self.shape(inside, c, (cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1))

    def polygon(self, pts, c):
        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]

        def inside(x, y):
            odd = False
            j = len(pts) - 1
            for i in range(len(pts)):
                xi, yi = pts[i]
                xj, yj = pts[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    odd = not odd
                j = i
            return odd
        self.shape(inside, c, (min(xs), min(ys), max(xs) + 1, max(ys) + 1))

    def line(self, x0, y0, x1, y1, width, c):
        def inside(x, y):
            dx, dy = x1 - x0, y1 - y0
            length2 = dx * dx + dy * dy or 1e-9
            t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
            return math.hypot(x - (x0 + t * dx), y - (y0 + t * dy)) <= width / 2
        pad = width
        self.shape(inside, c, (min(x0, x1) - pad, min(y0, y1) - pad, max(x0, x1) + pad, max(y0, y1) + pad))

    def polyline(self, pts, width, c):
        for a, b in zip(pts, pts[1:]):
            self.line(a[0], a[1], b[0], b[1], width, c)

    def rgba(self):
        return bytes(v for p in self.px for v in p)


def png_bytes(canvas):
    raw = bytearray()
    data = canvas.rgba()
    stride = canvas.w * 4
    for y in range(canvas.h):
        raw.append(0)
        raw += data[y * stride:(y + 1) * stride]

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", canvas.w, canvas.h, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


def ico_bytes(canvases):
    """An ICO holding 32-bit DIB images (read by every ICO reader, Qt's included)."""
    images = []
    for c in canvases:
        xor = bytearray()
        data = c.rgba()
        for y in range(c.h - 1, -1, -1):  # bottom-up rows
            for x in range(c.w):
                r, g, b, a = data[(y * c.w + x) * 4:(y * c.w + x) * 4 + 4]
                xor += bytes((b, g, r, a))
        mask_stride = ((c.w + 31) // 32) * 4
        and_mask = bytes(mask_stride * c.h)
        header = struct.pack("<IiiHHIIiiII", 40, c.w, c.h * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
        images.append((c, header + bytes(xor) + and_mask))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for c, body in images:
        out += struct.pack("<BBBBHHII", c.w % 256, c.h % 256, 0, 0, 1, 32, len(body), offset)
        offset += len(body)
    for _, body in images:
        out += body
    return out


def save(rel, data):
    path = os.path.join(ROOT, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


# Colours
BLUE = (33, 99, 170, 255)
DARK = (40, 44, 52, 255)
GREEN = (46, 160, 67, 255)
RED = (200, 45, 45, 255)
ORANGE = (235, 140, 30, 255)
YELLOW = (245, 200, 40, 255)
WHITE = (255, 255, 255, 255)
GREY = (130, 136, 145, 255)
LIGHT = (225, 230, 236, 255)
PURPLE = (120, 70, 170, 255)


def tile(colour):
    c = Canvas(80, 80)
    c.round_rect(3, 3, 76, 76, 14, colour)
    return c


def voltammogram(c, colour, x0=14, y0=20, w=52, h=40, width=4):
    pts = []
    for i in range(41):
        t = i / 40.0
        x = x0 + w * t
        y = y0 + h * 0.55 - h * 0.4 * math.exp(-((t - 0.6) / 0.12) ** 2) - h * 0.08 * t
        pts.append((x, y))
    back = []
    for i in range(41):
        t = 1 - i / 40.0
        x = x0 + w * t
        y = y0 + h * 0.6 + h * 0.35 * math.exp(-((t - 0.4) / 0.12) ** 2) - h * 0.08 * t
        back.append((x, y))
    c.polyline(pts + back + [pts[0]], width, colour)


def draw_start():
    c = tile(GREEN)
    c.polygon([(28, 20), (28, 60), (60, 40)], WHITE)
    return c


def draw_stop():
    c = tile(RED)
    c.round_rect(24, 24, 56, 56, 4, WHITE)
    return c


def draw_open():
    c = tile(BLUE)
    c.polygon([(14, 26), (32, 26), (37, 31), (62, 31), (62, 60), (14, 60)], YELLOW)
    c.polygon([(20, 38), (68, 38), (62, 60), (14, 60)], ORANGE)
    return c


def draw_save():
    c = tile(BLUE)
    c.round_rect(16, 16, 64, 64, 4, WHITE)
    c.rect(26, 16, 54, 32, GREY)
    c.rect(44, 19, 50, 29, WHITE)
    c.rect(24, 42, 56, 64, LIGHT)
    return c


def draw_excel():
    c = tile(GREEN)
    c.rect(16, 16, 64, 64, WHITE)
    for k in range(1, 4):
        c.rect(16, 16 + 12 * k, 64, 17 + 12 * k, GREEN)
        c.rect(16 + 12 * k, 16, 17 + 12 * k, 64, GREEN)
    return c


def draw_center():
    c = tile(DARK)
    c.circle(40, 40, 22, WHITE, ring=4)
    c.line(40, 10, 40, 70, 4, WHITE)
    c.line(10, 40, 70, 40, 4, WHITE)
    c.circle(40, 40, 5, RED)
    return c


def draw_image():
    c = tile(PURPLE)
    c.rect(14, 18, 66, 62, WHITE)
    c.polygon([(18, 58), (34, 36), (46, 50), (54, 42), (62, 58)], GREEN)
    c.circle(52, 28, 5, YELLOW)
    return c


def draw_report():
    c = tile(GREY)
    c.polygon([(20, 12), (50, 12), (62, 24), (62, 68), (20, 68)], WHITE)
    for k in range(4):
        c.rect(27, 30 + 9 * k, 55, 33 + 9 * k, GREY)
    return c


def draw_settings():
    c = tile(DARK)
    for k in range(8):
        a = k * math.pi / 4
        c.line(40 + 16 * math.cos(a), 40 + 16 * math.sin(a), 40 + 26 * math.cos(a), 40 + 26 * math.sin(a), 9, LIGHT)
    c.circle(40, 40, 19, LIGHT)
    c.circle(40, 40, 8, DARK)
    return c


def draw_analyze():
    c = tile(ORANGE)
    voltammogram(c, WHITE, width=3)
    c.circle(50, 48, 12, DARK, ring=4)
    c.line(58, 57, 68, 68, 6, DARK)
    return c


def draw_run():
    c = tile(BLUE)
    c.line(14, 66, 66, 66, 3, WHITE)
    c.line(14, 14, 14, 66, 3, WHITE)
    voltammogram(c, YELLOW, x0=18, y0=16, w=46, h=40, width=4)
    return c


def draw_overlay():
    c = tile(BLUE)
    voltammogram(c, WHITE, x0=12, y0=14, w=52, h=36, width=3)
    voltammogram(c, YELLOW, x0=16, y0=28, w=52, h=36, width=3)
    return c


def draw_singlelay():
    c = tile(BLUE)
    voltammogram(c, WHITE, x0=14, y0=20, w=52, h=40, width=4)
    return c


def draw_hide():
    c = tile(GREY)
    c.polygon([(10, 40), (25, 26), (40, 22), (55, 26), (70, 40), (55, 54), (40, 58), (25, 54)], WHITE)
    c.circle(40, 40, 10, DARK)
    c.line(16, 64, 64, 16, 6, RED)
    return c


def draw_show():
    c = tile(GREEN)
    c.polygon([(10, 40), (25, 26), (40, 22), (55, 26), (70, 40), (55, 54), (40, 58), (25, 54)], WHITE)
    c.circle(40, 40, 10, DARK)
    return c


def draw_color():
    c = tile(LIGHT)
    colours = [RED, ORANGE, YELLOW, GREEN, BLUE, PURPLE]
    for k, col in enumerate(colours):
        a = k * 2 * math.pi / len(colours)
        c.circle(40 + 17 * math.cos(a), 40 + 17 * math.sin(a), 10, col)
    return c


def draw_delete():
    c = tile(RED)
    c.rect(24, 28, 56, 66, WHITE)
    c.rect(18, 20, 62, 25, WHITE)
    c.rect(34, 14, 46, 20, WHITE)
    for x in (32, 40, 48):
        c.rect(x - 1, 34, x + 1, 60, RED)
    return c


def draw_link(broken):
    c = Canvas(80, 80)
    colour = RED if broken else BLUE
    if broken:
        c.round_rect(6, 28, 36, 52, 12, colour)
        c.round_rect(14, 35, 30, 45, 5, (0, 0, 0, 0))
        c.round_rect(44, 28, 74, 52, 12, colour)
        c.line(38, 20, 42, 28, 3, DARK)
        c.line(42, 60, 38, 52, 3, DARK)
    else:
        c.round_rect(6, 28, 44, 52, 12, colour)
        c.round_rect(36, 28, 74, 52, 12, colour)
    # Cut the holes out of the links.
    for x0, x1 in ((14, 36 if not broken else 28), (44 if not broken else 52, 66)):
        for y in range(36, 45):
            for x in range(int(x0), int(x1)):
                c.px[y * 80 + x] = [0, 0, 0, 0]
    return c


def draw_warning(size):
    c = Canvas(size, size)
    s = size / 400.0
    c.polygon([(200 * s, 20 * s), (385 * s, 370 * s), (15 * s, 370 * s)], YELLOW)
    c.polyline([(200 * s, 20 * s), (385 * s, 370 * s), (15 * s, 370 * s), (200 * s, 20 * s)], 14 * s, DARK)
    c.round_rect(185 * s, 120 * s, 215 * s, 275 * s, 12 * s, DARK)
    c.circle(200 * s, 315 * s, 18 * s, DARK)
    return c


def draw_logo():
    c = Canvas(282, 102)
    c.circle(51, 51, 40, ORANGE)
    for k in range(12):
        a = k * math.pi / 6
        c.line(51 + 44 * math.cos(a), 51 + 44 * math.sin(a), 51 + 50 * math.cos(a), 51 + 50 * math.sin(a), 5, ORANGE)
    c.circle(51, 51, 26, YELLOW)
    for k in range(5):
        c.round_rect(112 + 34 * k, 30, 138 + 34 * k, 72, 6, DARK if k % 2 == 0 else BLUE)
    return c


def draw_program_icon(size):
    c = Canvas(size, size)
    s = size / 64.0
    c.round_rect(2 * s, 2 * s, 61 * s, 61 * s, 12 * s, BLUE)
    voltammogram(c, WHITE, x0=10 * s, y0=14 * s, w=44 * s, h=36 * s, width=max(2, 4 * s))
    return c


def main():
    tools = {
        "Start": draw_start, "Stop": draw_stop, "Open": draw_open, "Save": draw_save, "Excel": draw_excel,
        "Center": draw_center, "Image": draw_image, "Report": draw_report, "Settings": draw_settings,
        "Analyze": draw_analyze, "Run": draw_run, "Overlay": draw_overlay, "SingleLay": draw_singlelay,
        "Hide": draw_hide, "Show": draw_show, "Color": draw_color, "Delete": draw_delete,
    }
    for name, draw in tools.items():
        save("icons/%s80.png" % name, png_bytes(draw()))
    save("Libraries/icons/Link80.png", png_bytes(draw_link(False)))
    save("Libraries/icons/Unlink80.png", png_bytes(draw_link(True)))
    warning = png_bytes(draw_warning(400))
    save("Libraries/icons/Warning400.png", warning)
    save("icons/Warning400.png", warning)
    save("icons/tevrakov_logo_sun.png", png_bytes(draw_logo()))
    save("Libraries/icons/QV_icons/qv256.ico", ico_bytes([draw_program_icon(n) for n in (16, 32, 48, 64)]))


if __name__ == "__main__":
    main()
