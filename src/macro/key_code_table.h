// The keyboard keys that can be recorded into a macro or captured for a key
// assignment: one row per key with the codes each side knows it by (Windows
// virtual key and scan code with its extended flag, the Linux input code,
// the HID usage or modifier bit) and the language-file id of its name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace macro {

struct KeyCodeRow {
    uint16_t vk;       // Windows virtual key; 0xFF for keys that have none
    uint8_t scan;      // set-1 scan code
    bool extended;     // scan code with the E0 prefix
    uint8_t modifier;  // modifier bit for the eight modifier keys, else 0
    uint8_t usage;     // HID keyboard usage, 0 for modifier keys
    uint16_t evdev;    // Linux input event code (the X key code is this + 8)
    const char* nameKey;
};

inline constexpr size_t kKeyCodeRowCount = 113;
inline constexpr size_t kModifierRowCount = 8;  // rows 0..7
// Every row stands for a keyboard-key function of this type.
inline constexpr uint8_t kKeyboardKeyType = 0x20;
// Macro event types of a key row.
inline constexpr uint8_t kMacroModifierType = 9;
inline constexpr uint8_t kMacroKeyType = 10;
// X servers number keys from 8 above the Linux input codes.
inline constexpr int kXKeycodeOffset = 8;

std::span<const KeyCodeRow, kKeyCodeRowCount> KeyCodeTable();

// Row index of a key, first match wins; nullopt for keys outside the table.
std::optional<size_t> FindKeyByScan(uint8_t scan, bool extended);
std::optional<size_t> FindKeyByEvdev(int evdev);
std::optional<size_t> FindKeyByXKeycode(int xKeycode);
// Non-modifier rows by usage, modifier rows by their bit.
std::optional<size_t> FindKeyByUsage(uint8_t usage);
std::optional<size_t> FindKeyByModifier(uint8_t bit);

// The macro event code (type, button) a row records as.
inline uint8_t MacroTypeOf(const KeyCodeRow& row) {
    return row.modifier != 0 ? kMacroModifierType : kMacroKeyType;
}
inline uint8_t MacroButtonOf(const KeyCodeRow& row) {
    return row.modifier != 0 ? row.modifier : row.usage;
}

}  // namespace macro
