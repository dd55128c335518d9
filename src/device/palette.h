// The 15 colours a per-key custom colour can take on the keyboard. The device
// stores a custom group as 4-bit palette slots: slot 0 is "off", slots 1 to
// 15 are these colours. The lighting page and the keyboard share this table.
#pragma once

#include <array>
#include <cstdint>

namespace device {

struct PaletteColour {
    uint8_t r, g, b;
    friend bool operator==(const PaletteColour&, const PaletteColour&) = default;
};

inline constexpr int kPaletteSize = 15;

const std::array<PaletteColour, kPaletteSize>& Palette();

// Index 0..14 of the palette colour nearest to (r, g, b); an exact match wins.
// Add 1 to get the device slot.
int PaletteSlotOf(uint8_t r, uint8_t g, uint8_t b);
// True when (r, g, b) is one of the palette colours.
bool IsPaletteColour(uint8_t r, uint8_t g, uint8_t b);
// The colour of device slot 1..15; black for slot 0 and anything else.
PaletteColour ColourOfSlot(int slot);

}  // namespace device
