#!/usr/bin/env python3
"""Generates the device-bar icons and the two page backgrounds of the skin.

Pure Python (zlib only), so it runs anywhere the build runs. Writes:
  resources/skin/common/device_ico/<w>_device_{normal,selected,synchro_normal,synchro_selected}.png
  resources/skin/main/background_kb.png, resources/skin/main/background_ms.png
Run from the repository root: python3 tools/skin_images/generate.py
"""
import math
import os
import struct
import zlib

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
SKIN = os.path.join(ROOT, "resources", "skin")
SIZE = 48


def write_png(path, width, height, pixels):
    """pixels: bytearray of RGBA rows."""
    raw = bytearray()
    stride = width * 4
    for y in range(height):
        raw.append(0)
        raw += pixels[y * stride:(y + 1) * stride]

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(png)


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = bytearray(w * h * 4)

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            i = (y * self.w + x) * 4
            self.px[i:i + 4] = bytes(c)

    def rect(self, x0, y0, x1, y1, c):
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.put(x, y, c)

    def frame(self, x0, y0, x1, y1, c, t=2):
        self.rect(x0, y0, x1, y0 + t, c)
        self.rect(x0, y1 - t, x1, y1, c)
        self.rect(x0, y0, x0 + t, y1, c)
        self.rect(x1 - t, y0, x1, y1, c)

    def ellipse(self, cx, cy, rx, ry, c, ring=0):
        for y in range(self.h):
            for x in range(self.w):
                d = ((x + 0.5 - cx) / rx) ** 2 + ((y + 0.5 - cy) / ry) ** 2
                if d <= 1 and (ring == 0 or d >= (1 - ring) ** 2):
                    self.put(x, y, c)


def glyph(c, word, fg):
    if word == "kb":
        c.frame(6, 15, 42, 34, fg)
        for row in range(3):
            for col in range(6):
                c.rect(10 + col * 5, 19 + row * 5, 13 + col * 5, 22 + row * 5, fg)
    elif word == "ms":
        c.ellipse(24, 25, 10, 15, fg, ring=0.2)
        c.rect(23, 10, 25, 22, fg)
    elif word in ("hard_mp", "soft_mp"):
        c.frame(7, 12, 41, 36, fg, 3 if word == "hard_mp" else 1)
        if word == "soft_mp":
            c.rect(11, 30, 37, 32, fg)
    elif word == "hd":
        c.ellipse(24, 26, 15, 15, fg, ring=0.15)
        c.rect(6, 24, 13, 38, fg)
        c.rect(35, 24, 42, 38, fg)
    elif word == "hub":
        c.ellipse(24, 24, 6, 6, fg)
        for a in range(0, 360, 60):
            for r in range(6, 16):
                c.put(int(24 + r * math.cos(math.radians(a))), int(24 + r * math.sin(math.radians(a))), fg)
    else:
        c.ellipse(24, 24, 14, 14, fg, ring=0.18)
        c.rect(22, 30, 26, 34, fg)
        c.rect(22, 17, 26, 27, fg)


def icon(word, state):
    c = Canvas(SIZE, SIZE)
    selected = state.endswith("selected")
    synchro = state.startswith("synchro")
    bg = (232, 69, 60, 255) if selected else (42, 44, 55, 255)
    fg = (255, 255, 255, 255) if selected else (170, 172, 185, 255)
    c.ellipse(24, 24, 23, 23, bg)
    glyph(c, word, fg)
    if synchro:
        c.ellipse(39, 9, 6, 6, (60, 200, 120, 255))
    return c


def background(accent):
    w, h = 800, 572
    c = Canvas(w, h)
    for y in range(h):
        for x in range(w):
            t = y / h
            glow = max(0.0, 1.0 - math.hypot(x - w * 0.7, y - h * 0.35) / 420.0)
            r = int(21 + (accent[0] - 21) * glow * 0.35)
            g = int(22 + (accent[1] - 22) * glow * 0.35)
            b = int(28 + (accent[2] - 28) * glow * 0.35 + 6 * t)
            i = (y * w + x) * 4
            c.px[i:i + 4] = bytes((r, g, min(b, 255), 255))
    return c


def main():
    words = ["kb", "ms", "hard_mp", "soft_mp", "hd", "hub", "unknow"]
    states = ["normal", "selected", "synchro_normal", "synchro_selected"]
    for w in words:
        for s in states:
            c = icon(w, s)
            write_png(os.path.join(SKIN, "common", "device_ico", "%s_device_%s.png" % (w, s)), SIZE, SIZE, c.px)
    for name, accent in (("background_kb.png", (232, 69, 60)), ("background_ms.png", (60, 140, 232))):
        c = background(accent)
        write_png(os.path.join(SKIN, "main", name), c.w, c.h, c.px)


if __name__ == "__main__":
    main()
