// The keyboard's factory key table: the three-byte function code (type,
// code1, code2) of each key position as the firmware ships it. The host
// builds its key maps from it and the simulated keyboard starts with it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace hid {

inline constexpr size_t kFactoryKeyCodeCount = 130;
using FactoryKeyCode = std::array<uint8_t, 3>;

// Positions past the table are blank keys (20 00 00).
const std::array<FactoryKeyCode, kFactoryKeyCodeCount>& KeyboardFactoryCodes();

}  // namespace hid
