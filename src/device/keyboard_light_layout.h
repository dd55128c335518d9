// Internal helpers of the keyboard lighting: where each LED button sits in
// the key matrix and the rings, and the marks of the reactive effects.
#pragma once

#include <cstdint>

namespace device {

struct Cell {
    bool valid = false;
    int column = 0;
    int row = 0;
};

// Matrix cell of LED button `led`.
Cell CellOf(int led);
// Ring of LED button `led` (0..11), or -1 when it is on none.
int RingOf(int led);
// Hue 0..191 of the direction from key 51 to the LED's cell (for the turning
// modes), 0 for LEDs outside the matrix.
uint8_t AngleHueOf(int led);
// Position of the LED in the LED chain order, or -1.
int ChainPositionOf(int led);

// Marks of the reactive effects (the per-LED marker array).
inline constexpr uint8_t kIdle = 0;
inline constexpr uint8_t kRising = 1;
inline constexpr uint8_t kFalling = 2;
inline constexpr uint8_t kHeld = 3;  // mode 25: the pressed key
inline constexpr uint8_t kLit = 4;   // mode 25: lit by a held neighbour

}  // namespace device
