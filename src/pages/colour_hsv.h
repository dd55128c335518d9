// Colours of the palette control: 0xAARRGGBB values and the hue, saturation
// and value the palette's area and hue strip stand for. Plain arithmetic, so
// the palette widget only maps pixels to these numbers.
#pragma once

#include <cstdint>

namespace pages {

struct Hsv {
    int hue = 0;         // 0..359 degrees
    int saturation = 0;  // 0..255
    int value = 0;       // 0..255
    bool operator==(const Hsv&) const = default;
};

// Opaque colour of (h, s, v); out-of-range parts are clamped (hue wraps).
uint32_t ArgbOfHsv(const Hsv& hsv);
// The hue, saturation and value of a colour (alpha ignored). A grey keeps
// `hueHint`, so dragging the value of a grey does not jump the hue strip.
Hsv HsvOfArgb(uint32_t argb, int hueHint = 0);

inline constexpr uint32_t Opaque(uint8_t r, uint8_t g, uint8_t b) {
    return 0xFF000000u | uint32_t{r} << 16 | uint32_t{g} << 8 | b;
}
inline constexpr uint8_t RedOf(uint32_t argb) {
    return static_cast<uint8_t>(argb >> 16);
}
inline constexpr uint8_t GreenOf(uint32_t argb) {
    return static_cast<uint8_t>(argb >> 8);
}
inline constexpr uint8_t BlueOf(uint32_t argb) {
    return static_cast<uint8_t>(argb);
}

}  // namespace pages
