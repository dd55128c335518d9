#include "device/palette.h"

#include <cstddef>

namespace device {

const std::array<PaletteColour, kPaletteSize>& Palette() {
    // Saturated hues first, then the mixed tints the swatches offer, white last.
    static constexpr std::array<PaletteColour, kPaletteSize> kColours = {{
        {255, 0, 0},      // red
        {255, 128, 0},    // orange
        {255, 255, 0},    // yellow
        {128, 255, 0},    // lime
        {0, 255, 0},      // green
        {0, 255, 128},    // spring green
        {0, 255, 255},    // cyan
        {0, 128, 255},    // azure
        {0, 0, 255},      // blue
        {128, 0, 255},    // violet
        {255, 0, 255},    // magenta
        {255, 0, 128},    // rose
        {255, 128, 128},  // pink
        {128, 128, 255},  // lavender
        {255, 255, 255},  // white
    }};
    return kColours;
}

int PaletteSlotOf(uint8_t r, uint8_t g, uint8_t b) {
    int best = 0;
    int bestDistance = -1;
    for (int i = 0; i < kPaletteSize; ++i) {
        const PaletteColour& c = Palette()[static_cast<std::size_t>(i)];
        const int dr = int{c.r} - r;
        const int dg = int{c.g} - g;
        const int db = int{c.b} - b;
        const int distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

bool IsPaletteColour(uint8_t r, uint8_t g, uint8_t b) {
    for (const PaletteColour& c : Palette()) {
        if (c.r == r && c.g == g && c.b == b) {
            return true;
        }
    }
    return false;
}

PaletteColour ColourOfSlot(int slot) {
    if (slot < 1 || slot > kPaletteSize) {
        return {0, 0, 0};
    }
    return Palette()[static_cast<std::size_t>(slot - 1)];
}

}  // namespace device
