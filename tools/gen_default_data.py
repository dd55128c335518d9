#!/usr/bin/env python3
"""Generates resources/DefaultData: the device template profiles, the lighting
mode lists and the other default files the program ships.

Run from anywhere: python3 tools/gen_default_data.py
The generated files are committed; edit this script, not the output.
"""
import json
import os

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "DefaultData")

# Factory function code (type, code1, code2) of each of the 170 key buttons of
# the keyboard page; it identifies the physical key in the device's key table.
KEYBOARD_DEFAULT_CODES = [
    # 0-9
    (0x20, 0, 0x29), (0x20, 0, 0x3A), (0x20, 0, 0x3B), (0x20, 0, 0x3C), (0x20, 0, 0x3D),
    (0x20, 0, 0x3E), (0x20, 0, 0x3F), (0x20, 0, 0x40), (0x20, 0, 0x41), (0x20, 0, 0x42),
    # 10-19
    (0x20, 0, 0x43), (0x20, 0, 0x44), (0x20, 0, 0x45), (0x20, 0, 0x46), (0x20, 0, 0x47),
    (0x20, 0, 0x48), (0xA0, 0x47, 0), (0xA0, 0x47, 1), (0xA0, 0x47, 2), (0xA0, 0x47, 3),
    # 20-29
    (0x20, 0, 0x00), (0x20, 0, 0x35), (0x20, 0, 0x1E), (0x20, 0, 0x1F), (0x20, 0, 0x20),
    (0x20, 0, 0x21), (0x20, 0, 0x22), (0x20, 0, 0x23), (0x20, 0, 0x24), (0x20, 0, 0x25),
    # 30-39
    (0x20, 0, 0x26), (0x20, 0, 0x27), (0x20, 0, 0x2D), (0x20, 0, 0x2E), (0x20, 0, 0x2A),
    (0x20, 0, 0x49), (0x20, 0, 0x4A), (0x20, 0, 0x4B), (0x20, 0, 0x53), (0x20, 0, 0x54),
    # 40-49
    (0x20, 0, 0x55), (0x20, 0, 0x56), (0x20, 0, 0x2B), (0x20, 0, 0x14), (0x20, 0, 0x1A),
    (0x20, 0, 0x08), (0x20, 0, 0x15), (0x20, 0, 0x17), (0x20, 0, 0x1C), (0x20, 0, 0x18),
    # 50-59
    (0x20, 0, 0x0C), (0x20, 0, 0x12), (0x20, 0, 0x13), (0x20, 0, 0x2F), (0x20, 0, 0x30),
    (0x20, 0, 0x31), (0x20, 0, 0x4C), (0x20, 0, 0x4D), (0x20, 0, 0x4E), (0x20, 0, 0x5F),
    # 60-69
    (0x20, 0, 0x60), (0x20, 0, 0x61), (0x20, 0, 0x32), (0x20, 0, 0x39), (0x20, 0, 0x04),
    (0x20, 0, 0x16), (0x20, 0, 0x07), (0x20, 0, 0x09), (0x20, 0, 0x0A), (0x20, 0, 0x0B),
    # 70-79
    (0x20, 0, 0x0D), (0x20, 0, 0x0E), (0x20, 0, 0x0F), (0x20, 0, 0x33), (0x20, 0, 0x34),
    (0x20, 0, 0x28), (0x20, 0, 0x5C), (0x20, 0, 0x5D), (0x20, 0, 0x5E), (0x20, 0, 0x8A),
    # 80-89
    (0x20, 0, 0x8B), (0x20, 0, 0x90), (0x20, 0, 0x91), (0x20, 0, 0x88), (0x20, 0x02, 0),
    (0x20, 0, 0x1D), (0x20, 0, 0x1B), (0x20, 0, 0x06), (0x20, 0, 0x19), (0x20, 0, 0x05),
    # 90-99
    (0x20, 0, 0x11), (0x20, 0, 0x10), (0x20, 0, 0x36), (0x20, 0, 0x37), (0x20, 0, 0x38),
    (0x20, 0x20, 0), (0x20, 0, 0x52), (0x20, 0, 0x59), (0x20, 0, 0x5A), (0x20, 0, 0x5B),
    # 100-109
    (0x20, 0, 0x87), (0x20, 0, 0x89), (0x20, 0, 0x64), (0x20, 0, 0x85), (0x20, 0, 0x00),
    (0x20, 0x01, 0), (0x20, 0x08, 0), (0x20, 0x04, 0), (0x20, 0, 0x2C), (0x20, 0x40, 0),
    # 110-119
    (0xA0, 0x01, 0), (0x20, 0, 0x65), (0x20, 0x10, 0), (0x20, 0, 0x50), (0x20, 0, 0x51),
    (0x20, 0, 0x4F), (0x20, 0, 0x62), (0x20, 0, 0x63), (0x20, 0, 0x58), (0x20, 0, 0x57),
    # 120-129
    (0xD0, 0xA2, 1), (0xD0, 0xA2, 2), (0xD0, 0xA2, 3), (0xD0, 0xA2, 4), (0xD0, 0xA2, 5),
    (0x20, 0x80, 0), (0x30, 0xE2, 0), (0x30, 0x92, 1), (0x20, 0x08, 0x0F), (0x20, 0x08, 0x07),
] + [(0x20, 0, 0)] * 40
assert len(KEYBOARD_DEFAULT_CODES) == 170

# Keyboard lighting modes by mode index: (text id, visible). The index is the
# position in the mode combo and the value the device receives is the index
# itself (29 and 30 go out as 0xFE: the program streams their frames).
# Indices 0, 20, 31 and 32 play the user's custom effects and are not offered.
KEYBOARD_MODES = [
    ("light_mode_custom_effect", False),  # 0
    ("light_mode_wave", True),            # 1
    ("light_mode_spin", True),            # 2
    ("light_mode_spectrum", True),        # 3
    ("light_mode_breath", True),          # 4
    ("light_mode_static", True),          # 5
    ("light_mode_reactive", True),        # 6
    ("light_mode_ripple", True),          # 7
    ("light_mode_trail", True),           # 8
    ("light_mode_rainbow", True),         # 9
    ("light_mode_rain", True),            # 10
    ("light_mode_starlight", True),       # 11
    ("light_mode_flash", True),           # 12
    ("light_mode_snake", True),           # 13
    ("light_mode_single_on", True),       # 14
    ("light_mode_side_zone", True),       # 15
    ("light_mode_ring", True),            # 16
    ("light_mode_off", True),             # 17
    ("light_mode_raindrop", True),        # 18
    ("light_mode_custom", True),          # 19
    ("light_mode_custom_effect", False),  # 20
    ("light_mode_neon", True),            # 21
    ("light_mode_sweep", True),           # 22
    ("light_mode_pulse", True),           # 23
    ("light_mode_swirl", True),           # 24
    ("light_mode_fireworks", True),       # 25
    ("light_mode_aurora", True),          # 26
    ("light_mode_cross", True),           # 27
    ("light_mode_waterfall", True),       # 28
    ("light_mode_music", True),           # 29
    ("light_mode_color_sync", True),      # 30
    ("light_mode_custom_effect", False),  # 31
    ("light_mode_custom_effect", False),  # 32
    ("light_mode_laser", True),           # 33
]
KEYBOARD_ZONE_MODES = ["light_zone_off", "light_zone_static", "light_zone_breath",
                       "light_zone_spectrum", "light_zone_follow"]

MOUSE_MODES = [
    ("mouse_mode_static", True),      # 0
    ("mouse_mode_breath", True),      # 1
    ("mouse_mode_spectrum", True),    # 2
    ("mouse_mode_wave", True),        # 3
    ("mouse_mode_rainbow", True),     # 4
    ("mouse_mode_flow", True),        # 5
    ("mouse_mode_off", True),         # 6
    ("mouse_mode_reactive", True),    # 7
    ("mouse_mode_cycle", True),       # 8
    ("mouse_mode_reserved", False),   # 9
    ("mouse_mode_flash", True),       # 10
    ("mouse_mode_reserved", False),   # 11
]

# The mouse pad and the headset share one design: modes 0 to 4 and off (8).
def strip_modes(prefix):
    return [
        (prefix + "_mode_wave", True),          # 0
        (prefix + "_mode_spectrum", True),      # 1
        (prefix + "_mode_breath", True),        # 2
        (prefix + "_mode_static", True),        # 3
        (prefix + "_mode_blink", True),         # 4
        (prefix + "_mode_custom_effect", False),  # 5
        (prefix + "_mode_effect_b", False),     # 6
        (prefix + "_mode_effect_a", False),     # 7
        (prefix + "_mode_off", True),           # 8
    ]

PAD_MODES = strip_modes("pad")
HEADSET_MODES = strip_modes("hs")

EQ_PRESETS = {
    1: [7, 11, 2, -3, -1, 4, 9, 12, 9, 5],
    2: [7, 11, 6, -3, -11, -1, 6, 13, 6, 13],
    3: [10, 4, 0, -3, -4, -3, -2, -1, 0, 0],
    4: [2, 1, -2, -3, -5, -7, 0, 4, 9, 8],
    5: [0] * 10,
    6: [7, 14, -13, -6, -1, 8, 13, 7, 2, 6],
    7: [14, 10, 4, 0, -4, -3, -1, 1, 2, 3],
    8: [2, 1, -2, -3, -5, -1, 7, 11, 15, 13],
    9: [8, 2, -4, -8, 1, 3, 8, 11, 14, 16],
    10: [-3, 4, 10, 0, -11, 3, 9, 13, 6, 0],
    11: [18, 14, 8, 2, -3, -6, -1, 2, 5, 6],
    12: [2, 1, -2, -4, -8, 4, 12, 16, 18, 15],
}


def persisted(code):
    t, c1, c2 = code
    return t << 16 | c1 << 8 | c2


def light_info(mode, brightness=4, speed=2, multi=1, rgb=(255, 0, 0)):
    return {"SelectItem": mode, "Light": brightness, "Speed": speed, "Fx": 0,
            "MultiColor": multi, "Red": rgb[0], "Green": rgb[1], "Blue": rgb[2],
            "ZZCCLedMode": 0, "CustomGroup": 0, "OldLedmode": mode, "CloseBkLight": 0}


def light_list(modes, static_modes=()):
    items = []
    for index, (name, visible) in enumerate(modes):
        if not visible:
            items.append(None)
            continue
        multi = 0 if index in static_modes else 1
        items.append({"LEDREGMode": index, "LEDBrightness": 4, "LEDSpeed": 2,
                      "LEDDirection": 0, "LEDMultiColor": multi,
                      "red": 255, "green": 0, "blue": 0})
    return items


def key_list(codes):
    return [{"Assignment": persisted(c), "DefaultAssignment": persisted(c)} for c in codes]


def profile(record):
    return {"Device": [record], "profilename": "", "profileUUID": ""}


def keyboard():
    return profile({
        "LightInfo": light_info(1),
        "AudioLightInfo": {"AudioMode": 0, "BkColorR": 0, "BkColorG": 0, "BkColorB": 0,
                           "FgColorR": 255, "FgColorG": 255, "FgColorB": 255,
                           "7ColorFlags": 1, "ColorTypeFlags": 0},
        "LightList": light_list(KEYBOARD_MODES, static_modes=(5,)),
        "KeyList": key_list(KEYBOARD_DEFAULT_CODES),
        # Repeat: slider value; RepeatDelay: option 1 = 500 ms; PollingRate: option 0.
        "SystemStages": {"Repeat": 30, "RepeatDelay": 1, "Key6Flag": 0, "PollingRate": 0,
                         "WFlag": 0, "WinFlag": 0},
        "CustomLightMode": {"CustomLightModeGroupIndex": 0, "LightColorInfo": []},
    })


MOUSE_KEYS = [
    (0x10, 0x01, 0),  # left
    (0x10, 0x02, 0),  # right
    (0x10, 0x04, 0),  # middle
    (0x10, 0x10, 0),  # forward
    (0x10, 0x08, 0),  # back
    (0x13, 0x01, 0),  # DPI up
    (0x13, 0x02, 0),  # DPI down
    (0x13, 0x03, 0),  # DPI cycle
]

# DPI codes as the page writes them: the code in both bytes of StageDPIX.
DPI_CODES = [15, 31, 63, 113, 127, 7, 3]  # 800, 1600, 3200, 6400, 7800, 400, 200 DPI
DPI_COLOURS = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0), (0, 255, 255),
               (255, 0, 255), (255, 255, 255)]


def mouse():
    stages = []
    for i, (code, colour) in enumerate(zip(DPI_CODES, DPI_COLOURS)):
        stages.append({"StageActive": 1 if i < 5 else 0, "StageXY": 0,
                       "StageDPIX": code * 257, "StageDPIY": code * 257,
                       "StageColorR": colour[0], "StageColorG": colour[1],
                       "StageColorB": colour[2]})
    return profile({
        "LightInfo": light_info(0, multi=0),
        "LightList": light_list(MOUSE_MODES, static_modes=(0,)),
        "KeyList": key_list(MOUSE_KEYS),
        "DPIStages": {"StageActive": 1, "StageDPIs": stages},
        "SystemStages": {"DoubleClickTime": 500, "MouseSpeed": 10, "PointerPrecision": 1,
                         "ScorllPage": 0, "WheelScorlllinse": 3, "Logoledmode": 0,
                         "AntiShakeTime": 4},
        # StageActive 3 = 1000 Hz (the record carries 3 - stage); sleep times in minutes.
        "ReportStages": {"StageActive": 3, "ble_sleep1": 5, "ble_sleep2": 30,
                         "device_sleep1": 5, "device_sleep2": 30},
    })


def mouse_pad():
    return profile({"LightInfo": light_info(0), "LightList": light_list(PAD_MODES, (3,))})


def headset():
    eq = [[{"value": v} for v in EQ_PRESETS[1]]]  # item 0: not a preset; same as preset 1
    for preset in range(1, 13):
        eq.append([{"value": v} for v in EQ_PRESETS[preset]])
    return profile({
        "LightInfo": light_info(0),
        "LightList": light_list(HEADSET_MODES, (3,)),
        "SystemSetStages": {"MagicEnable": 0, "MagicType": 0, "EqType": 1,
                            "CustomEqSeletIndex": -1, "MicInSelect": 1, "MicInValue": 80,
                            "MicMoniterSelect": 0, "MicMoniterValue": 50},
        "EQHzValueInfo": eq,
        "CustomEQHzValueInfo": [],
        "CustomEQNameInfo": [],
    })


def mode_entries(modes):
    return [{"LightName": name, "visible": visible, "value": index}
            for index, (name, visible) in enumerate(modes)]


def default_light():
    return {
        # Indexed by device slot: keyboard 0, mouse 1, mouse pad 2, headset 3.
        "DefaultLightName": [mode_entries(KEYBOARD_MODES), mode_entries(MOUSE_MODES),
                             mode_entries(PAD_MODES), mode_entries(HEADSET_MODES)],
        "AreaLightName": [[{"LightName": n} for n in KEYBOARD_ZONE_MODES], [], [], []],
    }


def language():
    # Position is the language index, and index 0 carries the Chinese face:
    # Chinese first. A first start (no stored choice) looks up id 520.
    return {"Language": [
        {"Language_ID": 2052, "Language_name": "Chinese", "Language_file": "lan_cn.xml",
         "Language_text": "Language_Chinese"},
        {"Language_ID": 520, "Language_name": "English", "Language_file": "lan_en.xml",
         "Language_text": "Language_English"},
    ]}


SWATCHES = ["FFFF0000", "FFFF8000", "FFFFFF00", "FF80FF00", "FF00FF00", "FF00FF80",
            "FF00FFFF", "FF0080FF", "FF0000FF", "FF8000FF", "FFFF00FF", "FFFF0080",
            "FFFFFFFF", "FFC0C0C0", "FF808080", "FF800000", "FF808000", "FF008000",
            "FF008080", "FF000080"]


def color_options():
    return {"coloroptioninfo": {
        "palletDialogcoloroption": [{"color": c} for c in SWATCHES],
        "palletDialogcoloroption_selectitem": 0,
        "palletDialogcollectcoloroption": [{"color": "FFFFFFFF", "UserData": "0"}] * 20,
        "palletDialogcollectcoloroption_selectitem": 0,
    }}


def audio_file():
    info = {"nAudioStyle": 0, "nStyleName1": "第一组", "nStyleName2": "第二组",
            "nStyleName3": "第三组", "nStyleName4": "第四组"}
    levels = [(9, 0, 0), (0, 9, 0), (0, 0, 9), (9, 9, 9)]
    for group, (r, g, b) in enumerate(levels):
        info["nStyleR%d" % group] = r
        info["nStyleG%d" % group] = g
        info["nStyleB%d" % group] = b
    return {"Device": {"AudioLightInfo": info}}


def write(name, document):
    text = json.dumps(document, indent=3, sort_keys=True, ensure_ascii=False) + "\n\n"
    with open(os.path.join(OUT, name), "w", encoding="utf-8", newline="\r\n") as f:
        f.write(text)


def main():
    os.makedirs(OUT, exist_ok=True)
    write("keyboard.Json", keyboard())
    write("mouse.Json", mouse())
    write("MousePad.Json", mouse_pad())
    write("HD.Json", headset())
    write("default_light.json", default_light())
    write("Language.config", language())
    write("color_option_info.config", color_options())
    write("AudioFile.json", audio_file())


if __name__ == "__main__":
    main()
