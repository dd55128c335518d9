#include "pages/colour_hsv.h"

#include <algorithm>

namespace pages {

uint32_t ArgbOfHsv(const Hsv& in) {
    const int h = ((in.hue % 360) + 360) % 360;
    const int s = std::clamp(in.saturation, 0, 255);
    const int v = std::clamp(in.value, 0, 255);
    if (s == 0)
        return Opaque(static_cast<uint8_t>(v), static_cast<uint8_t>(v), static_cast<uint8_t>(v));
    // Integer sextant arithmetic, rounded, so every channel stays in 0..255.
    const int sector = h / 60;
    const int f = (h % 60) * 255 / 60;  // position inside the sextant, 0..254
    const int p = (v * (255 - s) + 127) / 255;
    const int q = (v * (255 * 255 - s * f) + 255 * 127) / (255 * 255);
    const int t = (v * (255 * 255 - s * (255 - f)) + 255 * 127) / (255 * 255);
    int r = 0, g = 0, b = 0;
    switch (sector) {
        case 0:
            r = v, g = t, b = p;
            break;
        case 1:
            r = q, g = v, b = p;
            break;
        case 2:
            r = p, g = v, b = t;
            break;
        case 3:
            r = p, g = q, b = v;
            break;
        case 4:
            r = t, g = p, b = v;
            break;
        default:
            r = v, g = p, b = q;
            break;
    }
    return Opaque(static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b));
}

Hsv HsvOfArgb(uint32_t argb, int hueHint) {
    const int r = RedOf(argb), g = GreenOf(argb), b = BlueOf(argb);
    const int max = std::max({r, g, b});
    const int min = std::min({r, g, b});
    Hsv out;
    out.value = max;
    const int delta = max - min;
    if (max == 0 || delta == 0) {
        out.hue = ((hueHint % 360) + 360) % 360;
        out.saturation = 0;
        return out;
    }
    out.saturation = (delta * 255 + max / 2) / max;
    int hue6 = 0;  // hue in 1/6 degrees... as 60ths of a sextant
    if (max == r)
        hue6 = (g - b) * 60;
    else if (max == g)
        hue6 = (b - r) * 60 + 120 * delta;
    else
        hue6 = (r - g) * 60 + 240 * delta;
    int hue = (hue6 + (hue6 >= 0 ? delta / 2 : -delta / 2)) / delta;
    out.hue = ((hue % 360) + 360) % 360;
    return out;
}

}  // namespace pages
