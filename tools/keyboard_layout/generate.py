#!/usr/bin/env python3
"""Generates the keyboard page picture from key_positions.csv.

Writes (relative to the repository root):
  resources/skin/XML/DeviceXml/keyboarddevice_7322.ui
  resources/skin/image/keyboard/keyboard.png     the keyboard body and caps
  resources/skin/image/keyboard/key_light.png    the glow tinted per LED
  resources/skin/image/keyboard/keyset_mark.png  mark of a changed key

Every key button key_0..key_169 and LED button light_0..light_169 sits in the
select panel; a button whose key is in the position table sits on that key,
the others are hidden. The script checks that each placed key's factory code
(the default code table) is the key its legend names, so the picture and the
table cannot drift apart. Python 3 standard library only.
"""

import csv
import math
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
UNIT = 32          # pixels per key unit
MARGIN = 20        # keyboard body margin around the caps
WIDTH = MARGIN * 2 + int(22.5 * UNIT)
HEIGHT = MARGIN * 2 + int(6.25 * UNIT)
BUTTONS = 170
# The whole page: profile bar, picture and the feature pages under it.
PAGE_WIDTH = 820
PAGE_HEIGHT = 620

# Factory code (type, code1, code2) of key buttons 0..129; 130..169 are 20 00 00.
DEFAULT_CODES = [
    0x200029, 0x20003A, 0x20003B, 0x20003C, 0x20003D, 0x20003E, 0x20003F, 0x200040, 0x200041, 0x200042,
    0x200043, 0x200044, 0x200045, 0x200046, 0x200047, 0x200048, 0xA04700, 0xA04701, 0xA04702, 0xA04703,
    0x200000, 0x200035, 0x20001E, 0x20001F, 0x200020, 0x200021, 0x200022, 0x200023, 0x200024, 0x200025,
    0x200026, 0x200027, 0x20002D, 0x20002E, 0x20002A, 0x200049, 0x20004A, 0x20004B, 0x200053, 0x200054,
    0x200055, 0x200056, 0x20002B, 0x200014, 0x20001A, 0x200008, 0x200015, 0x200017, 0x20001C, 0x200018,
    0x20000C, 0x200012, 0x200013, 0x20002F, 0x200030, 0x200031, 0x20004C, 0x20004D, 0x20004E, 0x20005F,
    0x200060, 0x200061, 0x200032, 0x200039, 0x200004, 0x200016, 0x200007, 0x200009, 0x20000A, 0x20000B,
    0x20000D, 0x20000E, 0x20000F, 0x200033, 0x200034, 0x200028, 0x20005C, 0x20005D, 0x20005E, 0x20008A,
    0x20008B, 0x200090, 0x200091, 0x200088, 0x200200, 0x20001D, 0x20001B, 0x200006, 0x200019, 0x200005,
    0x200011, 0x200010, 0x200036, 0x200037, 0x200038, 0x202000, 0x200052, 0x200059, 0x20005A, 0x20005B,
    0x200087, 0x200089, 0x200064, 0x200085, 0x200000, 0x200100, 0x200800, 0x200400, 0x20002C, 0x204000,
    0xA00100, 0x200065, 0x201000, 0x200050, 0x200051, 0x20004F, 0x200062, 0x200063, 0x200058, 0x200057,
    0xD0A201, 0xD0A202, 0xD0A203, 0xD0A204, 0xD0A205, 0x208000, 0x30E200, 0x309201, 0x20080F, 0x200807,
] + [0x200000] * 40

# What each legend of the position table means as a factory code.
LETTERS = {chr(ord("A") + i): 0x200004 + i for i in range(26)}
DIGITS = {"1": 0x1E, "2": 0x1F, "3": 0x20, "4": 0x21, "5": 0x22, "6": 0x23, "7": 0x24,
          "8": 0x25, "9": 0x26, "0": 0x27}
LEGEND_CODES = dict(LETTERS)
LEGEND_CODES.update({"F%d" % n: 0x20003A + n - 1 for n in range(1, 13)})
LEGEND_CODES.update({
    "Esc": 0x200029, "PrtSc": 0x200046, "ScrLk": 0x200047, "Pause": 0x200048,
    "Mute": 0x30E200, "Calc": 0x309201, "Lock": 0x20080F, "Desk": 0x200807,
    "`": 0x200035, "-": 0x20002D, "=": 0x20002E, "Back": 0x20002A, "Ins": 0x200049,
    "Home": 0x20004A, "PgUp": 0x20004B, "Num": 0x200053, "Tab": 0x20002B, "[": 0x20002F,
    "]": 0x200030, "\\": 0x200031, "Del": 0x20004C, "End": 0x20004D, "PgDn": 0x20004E,
    "Caps": 0x200039, ";": 0x200033, "'": 0x200034, "#": 0x200032, "Enter": 0x200028,
    "Shift": None, ",": 0x200036, ".": 0x200037, "/": 0x200038, "Ro": 0x200087,
    "Up": 0x200052, "Ctrl": None, "Win": 0x200800, "Alt": None, "Space": 0x20002C,
    "Fn": 0xA00100, "Menu": 0x200065, "Left": 0x200050, "Down": 0x200051, "Right": 0x20004F,
    "Ent": 0x200058, "": None,
})
# Keys whose legend alone is ambiguous (left/right twins, numpad twins, the
# LED zones of the split space bar, the ISO key left of Z).
FIXED = {84: 0x200200, 95: 0x202000, 105: 0x200100, 112: 0x201000, 107: 0x200400,
         109: 0x204000, 17: 0xA04701, 18: 0xA04702, 19: 0xA04703, 102: 0x200064,
         39: 0x200054, 40: 0x200055, 41: 0x200056, 119: 0x200057, 117: 0x200063,
         116: 0x200062, 97: 0x200059, 98: 0x20005A, 99: 0x20005B, 76: 0x20005C,
         77: 0x20005D, 78: 0x20005E, 59: 0x20005F, 60: 0x200060, 61: 0x200061}


def read_positions():
    rows = []
    with open(os.path.join(HERE, "key_positions.csv"), newline="", encoding="utf-8") as f:
        lines = [line for line in f if not line.startswith("#")]
    for row in csv.DictReader(lines):
        rows.append({"key": int(row["key"]), "x": float(row["x"]), "y": float(row["y"]),
                     "w": float(row["w"]), "h": float(row["h"]), "label": row["label"]})
    return rows


def expected_code(key, label):
    if key in FIXED:
        return FIXED[key]
    if label in DIGITS:
        return 0x200000 | DIGITS[label]
    return LEGEND_CODES.get(label)


def check(rows):
    seen = set()
    errors = []
    for r in rows:
        k = r["key"]
        if not 0 <= k < BUTTONS or k in seen:
            errors.append("key %d out of range or listed twice" % k)
        seen.add(k)
        want = expected_code(k, r["label"])
        if want is None or DEFAULT_CODES[k] != want:
            errors.append("key %d (%r): factory code %06X is not the key on the picture"
                          % (k, r["label"], DEFAULT_CODES[k]))
    boxes = [(r["x"], r["y"], r["x"] + r["w"], r["y"] + r["h"], r["key"]) for r in rows]
    for i, a in enumerate(boxes):
        for b in boxes[i + 1:]:
            if a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]:
                errors.append("keys %d and %d overlap" % (a[4], b[4]))
    return errors


def rect_of(r):
    x = MARGIN + round(r["x"] * UNIT) + 1
    y = MARGIN + round(r["y"] * UNIT) + 1
    return x, y, round(r["w"] * UNIT) - 2, round(r["h"] * UNIT) - 2


# ---- PNG drawing -----------------------------------------------------------

class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = bytearray(w * h * 4)

    def blend(self, x, y, rgba):
        if not (0 <= x < self.w and 0 <= y < self.h):
            return
        i = (y * self.w + x) * 4
        r, g, b, a = rgba
        da = self.px[i + 3]
        out_a = a + da * (255 - a) // 255
        if out_a == 0:
            return
        for c, v in enumerate((r, g, b)):
            d = self.px[i + c]
            self.px[i + c] = (v * a + d * da * (255 - a) // 255) // out_a
        self.px[i + 3] = out_a

    def rounded_rect(self, x0, y0, w, h, radius, rgba, shade=None):
        for y in range(y0, y0 + h):
            for x in range(x0, x0 + w):
                dx = max(x0 + radius - x - 0.5, 0, x + 0.5 - (x0 + w - radius))
                dy = max(y0 + radius - y - 0.5, 0, y + 0.5 - (y0 + h - radius))
                d = math.hypot(dx, dy)
                if d > radius + 0.5:
                    continue
                cover = min(1.0, radius + 0.5 - d)
                col = shade(x - x0, y - y0) if shade else rgba[:3]
                self.blend(x, y, (*col, int(rgba[3] * cover)))

    def png(self):
        raw = b"".join(b"\x00" + bytes(self.px[y * self.w * 4:(y + 1) * self.w * 4])
                       for y in range(self.h))

        def chunk(kind, data):
            c = struct.pack(">I", len(data)) + kind + data
            return c + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 6, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def draw_keyboard(rows):
    c = Canvas(WIDTH, HEIGHT)
    c.rounded_rect(0, 0, WIDTH, HEIGHT, 14, (34, 35, 42, 255),
                   shade=lambda x, y: (34 + 10 * (HEIGHT - y) // HEIGHT,) * 2 + (44,))
    c.rounded_rect(6, 6, WIDTH - 12, HEIGHT - 12, 10, (16, 17, 21, 255))
    for r in rows:
        x, y, w, h = rect_of(r)
        c.rounded_rect(x, y, w, h, 4, (48, 50, 60, 255))
        c.rounded_rect(x + 3, y + 2, w - 6, h - 7, 3, (62, 64, 76, 255),
                       shade=lambda px, py: (70 - py // 2,) * 2 + (82 - py // 2,))
    return c.png()


def draw_light():
    size = 48
    c = Canvas(size, size)
    # White with a soft edge: the button tints it with the LED colour.
    for y in range(size):
        for x in range(size):
            dx = max(6 - x, 0, x - (size - 7)) / 6
            dy = max(6 - y, 0, y - (size - 7)) / 6
            edge = min(1.0, math.hypot(dx, dy))
            a = int(235 * (1 - edge) ** 1.5)
            if a:
                c.blend(x, y, (255, 255, 255, a))
    return c.png()


def draw_mark():
    c = Canvas(10, 10)
    c.rounded_rect(1, 1, 8, 8, 4, (255, 150, 30, 255))
    return c.png()


# ---- Layout ----------------------------------------------------------------

def geometry(x, y, w, h):
    return ("<property name=\"geometry\"><rect><x>%d</x><y>%d</y><width>%d</width>"
            "<height>%d</height></rect></property>" % (x, y, w, h))


def button(name, rect, visible, light):
    lines = ['     <widget class="DeviceKeyButton" name="%s">' % name,
             "      " + geometry(*rect)]
    if light:
        lines.append('      <property name="lightimage" stdset="0">'
                     "<string>image/keyboard/key_light.png</string></property>")
    else:
        lines.append('      <property name="keysetimage" stdset="0">'
                     "<string>image/keyboard/keyset_mark.png</string></property>")
    if not visible:
        lines.append('      <property name="visible"><bool>false</bool></property>')
    lines.append("     </widget>")
    return "\n".join(lines)


def box(kind, name, spacing=6, margin=0):
    return ['<layout class="%s" name="%s">' % (kind, name),
            ' <property name="spacing"><number>%d</number></property>' % spacing] + [
            ' <property name="%sMargin"><number>%d</number></property>' % (side, margin)
            for side in ("left", "top", "right", "bottom")]


def item(lines, alignment=None):
    head = "<item>" if alignment is None else '<item alignment="%s">' % alignment
    return [head] + [" " + line for line in lines] + ["</item>"]


def indent(lines, n):
    return [" " * n + line for line in lines]


def tag(cls, name):
    """A feature page: the window builds it from that page's own layout."""
    return ['<widget class="%s" name="%s"/>' % (cls, name)]


def page_widget(name, content):
    out = ['<widget class="QWidget" name="%s">' % name] + indent(box("QVBoxLayout", name + "_box"), 1)
    for lines in content:
        out += indent(item(lines), 2)
    return out + [" </layout>", "</widget>"]


def stacked(name, pages):
    out = ['<widget class="QStackedWidget" name="%s">' % name]
    for i, content in enumerate(pages):
        out += indent(page_widget("%s_page_%d" % (name, i), content), 1)
    return out + ["</widget>"]


def prop(name, kind, value, stdset=True):
    extra = "" if stdset else ' stdset="0"'
    return ' <property name="%s"%s><%s>%s</%s></property>' % (name, extra, kind, value, kind)


def control(cls, name, text=None, text_id=None, props=()):
    out = ['<widget class="%s" name="%s">' % (cls, name)]
    if text is not None:
        out.append(prop("text", "string", text))
    if text_id is not None:
        out.append(prop("textId", "string", text_id, stdset=False))
    out += [" " + p for p in props]
    return out + ["</widget>"]


def row(name, label_id, label, controls):
    """One line of the settings page: a caption and its controls."""
    out = ['<widget class="QWidget" name="%s">' % name] + indent(box("QHBoxLayout", name + "_box", 10), 1)
    caption = control("QLabel", name + "_caption", label, label_id, [
        prop("minimumSize", "size", "<width>150</width><height>0</height>")])
    for lines in [caption] + controls:
        out += indent(item(lines), 2)
    out += indent(item(['<spacer name="%s_spacer">' % name,
                        ' <property name="orientation"><enum>Qt::Horizontal</enum></property>',
                        "</spacer>"]), 2)
    return out + [" </layout>", "</widget>"]


def system_page():
    """The keyboard's own settings: polling rate, key repeat, Windows lock, rollover."""
    rates = [control("QRadioButton", "polling_rate_option_%d" % i, "%d Hz" % hz)
             for i, hz in enumerate((125, 250, 500, 1000))]
    delays = [control("QRadioButton", "repeat_delay_check_%d" % i, "%d ms" % ((i + 1) * 250))
              for i in range(4)]
    delays.append(control("QLabel", "repeat_delay_time_label1", ""))
    slider = control("QSlider", "repeat_rate_slider", props=[
        prop("orientation", "enum", "Qt::Horizontal"), prop("minimum", "number", 0),
        prop("maximum", "number", 31),
        prop("minimumSize", "size", "<width>260</width><height>0</height>")])
    test = control("QTextEdit", "repeat_input_richedit", props=[
        prop("minimumSize", "size", "<width>260</width><height>28</height>"),
        prop("maximumSize", "size", "<width>260</width><height>28</height>"),
        prop("verticalScrollBarPolicy", "enum", "Qt::ScrollBarAlwaysOff"),
        prop("acceptRichText", "bool", "false")])
    clear = control("QPushButton", "reset_repeat_btn", "Clear", "system_repeat_clear")
    flags = [control("QCheckBox", "winlockflag_option", "Lock the Windows key", "system_win_lock"),
             control("QCheckBox", "wflag_option", "Swap W A S D and the arrow keys", "system_wflag"),
             control("QCheckBox", "6flag_option", "6-key rollover (off: all keys)", "system_6key")]
    return [row("system_rate_row", "system_polling_rate", "Polling rate", rates),
            row("system_delay_row", "system_repeat_delay", "Repeat delay", delays),
            row("system_repeat_row", "system_repeat_rate", "Repeat rate", [slider]),
            row("system_test_row", "system_repeat_test", "Try it here", [test, clear]),
            row("system_flag_row", "system_keys", "Keys", flags),
            ['<spacer name="system_page_spacer">',
             ' <property name="orientation"><enum>Qt::Vertical</enum></property>',
             "</spacer>"]]


def picture(placed):
    out = ['<widget class="QWidget" name="keyboard_device_key_light">',
           " " + prop("minimumSize", "size", "<width>%d</width><height>%d</height>" % (WIDTH, HEIGHT)).strip(),
           " " + prop("maximumSize", "size", "<width>%d</width><height>%d</height>" % (WIDTH, HEIGHT)).strip(),
           ' <widget class="SelectPanel" name="device_key_light">',
           "  " + geometry(0, 0, WIDTH, HEIGHT),
           '  <property name="bkimage" stdset="0">'
           "<string>image/keyboard/keyboard.png</string></property>"]
    # LED buttons first, key buttons over them: the glow shows through the
    # transparent key buttons, which take the clicks.
    for prefix, light in (("light_", True), ("key_", False)):
        for k in range(BUTTONS):
            rect = placed.get(k, (0, 0, UNIT - 2, UNIT - 2))
            out.append(button("%s%d" % (prefix, k), rect, k in placed, light))
    return out + [" </widget>", "</widget>"]


def layout(rows):
    placed = {r["key"]: rect_of(r) for r in rows}
    # The profile bar on top, the keyboard picture, and under it the feature
    # pages the function tabs switch: tab 0 holds the lighting and key pages
    # (the second tab layout), then macros, pointer, settings, more.
    features = stacked("device_function_switch", [
        [stacked("device_key_function_switch", [
            [tag("LightSetControlUI", "LightControlItem")],
            [tag("KeySetControlUI", "KeySetControlItem")],
        ])],
        [tag("MacroSetControlUI", "MacroControlItem")],
        [],
        system_page(),
        [],
    ])
    body = (item(tag("DeviceProfileUI", "DeviceProfileItem"))
            + item(picture(placed), "Qt::AlignHCenter")
            + item(features))
    out = ['<?xml version="1.0" encoding="UTF-8"?>',
           "<!-- Generated by tools/keyboard_layout/generate.py from key_positions.csv;"
           " edit those, not this file. -->",
           '<ui version="4.0">',
           " <class>keyboarddevice_7322</class>",
           ' <widget class="QWidget" name="keyboarddevice_7322">',
           "  " + geometry(0, 0, PAGE_WIDTH, PAGE_HEIGHT)]
    out += indent(box("QVBoxLayout", "keyboarddevice_7322_box", 6), 2)
    out += indent(body, 3)
    out += ["  </layout>", " </widget>",
            " <customwidgets>",
            "  <customwidget><class>SelectPanel</class><extends>QWidget</extends>"
            "<header>ui/controls/select_panel.h</header><container>1</container></customwidget>",
            "  <customwidget><class>DeviceKeyButton</class><extends>QPushButton</extends>"
            "<header>ui/controls/device_key_button.h</header></customwidget>",
            " </customwidgets>", "</ui>", ""]
    return "\n".join(out)


def write(path, data):
    full = os.path.join(ROOT, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    mode = "wb" if isinstance(data, bytes) else "w"
    with open(full, mode, **({} if mode == "wb" else {"encoding": "utf-8", "newline": "\n"})) as f:
        f.write(data)


def main():
    rows = read_positions()
    errors = check(rows)
    if errors:
        for e in errors:
            print(e, file=sys.stderr)
        return 1
    write("resources/skin/XML/DeviceXml/keyboarddevice_7322.ui", layout(rows))
    write("resources/skin/image/keyboard/keyboard.png", draw_keyboard(rows))
    write("resources/skin/image/keyboard/key_light.png", draw_light())
    write("resources/skin/image/keyboard/keyset_mark.png", draw_mark())
    print("placed %d of %d keys" % (len(rows), BUTTONS))
    return 0


if __name__ == "__main__":
    sys.exit(main())
