#!/usr/bin/env python3
"""Generates the battery widget's pictures of the skin (resources/skin/power/):
the charge states power.png (on battery), powering.png (charging) and
powered.png (full, on the charger), the wireless mark wireless.png and the
paired phone pictures Phone_type_{iphone,samsung,other,no_device}.png.
Run from anywhere: python3 tools/skin_images/generate_power.py
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from generate import SKIN, Canvas, write_png  # noqa: E402

OUT = os.path.join(SKIN, "power")
WHITE = (235, 236, 240, 255)
GREEN = (69, 182, 73, 255)
YELLOW = (255, 200, 40, 255)
GREY = (150, 152, 160, 255)


def battery_outline(c):
    c.frame(3, 9, 27, 23, WHITE, 2)
    c.rect(27, 13, 30, 19, WHITE)


def bolt(c, colour):
    # A lightning bolt over the battery, drawn as two slanted bands.
    for y in range(4, 16):
        x = 18 - (y - 4) // 2
        c.rect(x - 2, y, x + 2, y + 1, colour)
    c.rect(11, 15, 21, 17, colour)
    for y in range(16, 28):
        x = 18 - (y - 16) // 2
        c.rect(x - 2, y, x + 2, y + 1, colour)


def charge_state(kind):
    c = Canvas(32, 32)
    battery_outline(c)
    if kind == "power":
        c.rect(6, 12, 16, 20, GREEN)
    elif kind == "powered":
        c.rect(6, 12, 24, 20, GREEN)
    else:
        c.rect(6, 12, 12, 20, GREEN)
        bolt(c, YELLOW)
    return c


def wireless():
    c = Canvas(32, 32)
    c.ellipse(16, 26, 3, 3, WHITE)
    for r, ring in ((9, 0.25), (15, 0.16), (21, 0.12)):
        big = Canvas(32, 32)
        big.ellipse(16, 27, r, r, WHITE, ring=ring)
        for y in range(32):
            for x in range(32):
                i = (y * 32 + x) * 4
                # Only the upper quarter circle: a signal fanning upwards.
                if big.px[i + 3] and abs(x - 16) <= (27 - y) and y < 24:
                    c.put(x, y, WHITE)
    return c


def phone(kind):
    c = Canvas(24, 36)
    colour = GREY if kind == "no_device" else WHITE
    c.frame(3, 1, 21, 35, colour, 2)
    c.rect(9, 31, 15, 33, colour)
    if kind == "iphone":
        c.ellipse(12, 16, 4, 5, colour)
    elif kind == "samsung":
        c.rect(7, 8, 17, 24, colour)
    elif kind == "other":
        c.rect(7, 14, 17, 16, colour)
        c.rect(11, 10, 13, 20, colour)
    else:
        for i in range(4, 20):
            c.put(i, i + 8, colour)
            c.put(i + 1, i + 8, colour)
    return c


def main():
    for kind in ("power", "powering", "powered"):
        c = charge_state(kind)
        write_png(os.path.join(OUT, kind + ".png"), c.w, c.h, c.px)
    c = wireless()
    write_png(os.path.join(OUT, "wireless.png"), c.w, c.h, c.px)
    for kind in ("iphone", "samsung", "other", "no_device"):
        c = phone(kind)
        write_png(os.path.join(OUT, "Phone_type_%s.png" % kind), c.w, c.h, c.px)


if __name__ == "__main__":
    main()
