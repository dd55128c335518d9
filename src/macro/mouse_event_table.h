// Mouse events a macro records: the Windows mouse message a macro file's
// events were named after, the X button that produces it here, and the
// macro code (type, button) with the language-file id of its name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace macro {

struct MouseEventRow {
    uint16_t message;  // Windows mouse message id
    uint8_t cls;       // 0x10 button, 0x15 movement, 0x12 wheel
    uint8_t button;    // button bit; 0 for movement and wheel
    uint8_t typeByte;  // bit 7 = down (negative direction for movement), low bits = type
    uint8_t xButton;   // X pointer button, 0 where no button produces the row
    const char* nameKey;
};

inline constexpr size_t kMouseEventRowCount = 15;
inline constexpr uint8_t kDownBit = 0x80;

std::span<const MouseEventRow, kMouseEventRowCount> MouseEventTable();

inline bool IsDown(const MouseEventRow& row) {
    return (row.typeByte & kDownBit) != 0;
}
inline uint8_t MacroTypeOf(const MouseEventRow& row) {
    return static_cast<uint8_t>(row.typeByte & ~kDownBit);
}

// A button press or release by X button number (1 left, 2 middle, 3 right,
// 8 back, 9 forward); the wheel and other buttons have no row.
std::optional<size_t> FindMouseButtonRow(int xButton, bool down);
// A row by message, with the X button of the mouse data word (1 back, 2
// forward) telling the two X button pairs apart.
std::optional<size_t> FindMouseMessageRow(uint16_t message, int xButtonWord);

}  // namespace macro
