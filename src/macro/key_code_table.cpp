#include "macro/key_code_table.h"

#include <array>

namespace macro {
namespace {

// The Linux column is what the kernel reports for the key's HID usage. It
// equals the scan code only for keys without the E0 prefix, and not even for
// all of those: Pause shares 0x45 with Num Lock but is its own input code,
// and the international keys are numbered by usage.
// clang-format off
constexpr std::array<KeyCodeRow, kKeyCodeRowCount> kRows = {{
    {0xA2, 0x1D, false, 0x01, 0, 29, "keyboard_key_LCtrl"},
    {0xA0, 0x2A, false, 0x02, 0, 42, "keyboard_key_LShift"},
    {0xA4, 0x38, false, 0x04, 0, 56, "keyboard_key_LAlt"},
    {0x5B, 0x5B, true, 0x08, 0, 125, "keyboard_key_LWin"},
    {0xA3, 0x1D, true, 0x10, 0, 97, "keyboard_key_RCtrl"},
    {0xA1, 0x36, true, 0x20, 0, 54, "keyboard_key_RShift"},
    {0xA5, 0x38, true, 0x40, 0, 100, "keyboard_key_RAlt"},
    {0x5C, 0x5C, true, 0x80, 0, 126, "keyboard_key_RWin"},
    {0x41, 0x1E, false, 0, 0x04, 30, "keyboard_key_A"},
    {0x42, 0x30, false, 0, 0x05, 48, "keyboard_key_B"},
    {0x43, 0x2E, false, 0, 0x06, 46, "keyboard_key_C"},
    {0x44, 0x20, false, 0, 0x07, 32, "keyboard_key_D"},
    {0x45, 0x12, false, 0, 0x08, 18, "keyboard_key_E"},
    {0x46, 0x21, false, 0, 0x09, 33, "keyboard_key_F"},
    {0x47, 0x22, false, 0, 0x0A, 34, "keyboard_key_G"},
    {0x48, 0x23, false, 0, 0x0B, 35, "keyboard_key_H"},
    {0x49, 0x17, false, 0, 0x0C, 23, "keyboard_key_I"},
    {0x4A, 0x24, false, 0, 0x0D, 36, "keyboard_key_J"},
    {0x4B, 0x25, false, 0, 0x0E, 37, "keyboard_key_K"},
    {0x4C, 0x26, false, 0, 0x0F, 38, "keyboard_key_L"},
    {0x4D, 0x32, false, 0, 0x10, 50, "keyboard_key_M"},
    {0x4E, 0x31, false, 0, 0x11, 49, "keyboard_key_N"},
    {0x4F, 0x18, false, 0, 0x12, 24, "keyboard_key_O"},
    {0x50, 0x19, false, 0, 0x13, 25, "keyboard_key_P"},
    {0x51, 0x10, false, 0, 0x14, 16, "keyboard_key_Q"},
    {0x52, 0x13, false, 0, 0x15, 19, "keyboard_key_R"},
    {0x53, 0x1F, false, 0, 0x16, 31, "keyboard_key_S"},
    {0x54, 0x14, false, 0, 0x17, 20, "keyboard_key_T"},
    {0x55, 0x16, false, 0, 0x18, 22, "keyboard_key_U"},
    {0x56, 0x2F, false, 0, 0x19, 47, "keyboard_key_V"},
    {0x57, 0x11, false, 0, 0x1A, 17, "keyboard_key_W"},
    {0x58, 0x2D, false, 0, 0x1B, 45, "keyboard_key_X"},
    {0x59, 0x15, false, 0, 0x1C, 21, "keyboard_key_Y"},
    {0x5A, 0x2C, false, 0, 0x1D, 44, "keyboard_key_Z"},
    {0x31, 0x02, false, 0, 0x1E, 2, "keyboard_key_1"},
    {0x32, 0x03, false, 0, 0x1F, 3, "keyboard_key_2"},
    {0x33, 0x04, false, 0, 0x20, 4, "keyboard_key_3"},
    {0x34, 0x05, false, 0, 0x21, 5, "keyboard_key_4"},
    {0x35, 0x06, false, 0, 0x22, 6, "keyboard_key_5"},
    {0x36, 0x07, false, 0, 0x23, 7, "keyboard_key_6"},
    {0x37, 0x08, false, 0, 0x24, 8, "keyboard_key_7"},
    {0x38, 0x09, false, 0, 0x25, 9, "keyboard_key_8"},
    {0x39, 0x0A, false, 0, 0x26, 10, "keyboard_key_9"},
    {0x30, 0x0B, false, 0, 0x27, 11, "keyboard_key_0"},
    {0x0D, 0x1C, false, 0, 0x28, 28, "keyboard_key_Enter"},
    {0x1B, 0x01, false, 0, 0x29, 1, "keyboard_key_Esc"},
    {0x08, 0x0E, false, 0, 0x2A, 14, "keyboard_key_BackSpace"},
    {0x09, 0x0F, false, 0, 0x2B, 15, "keyboard_key_Tab"},
    {0x20, 0x39, false, 0, 0x2C, 57, "keyboard_key_Space"},
    {0xBD, 0x0C, false, 0, 0x2D, 12, "keyboard_key_-"},
    {0xBB, 0x0D, false, 0, 0x2E, 13, "keyboard_key_="},
    {0xDB, 0x1A, false, 0, 0x2F, 26, "keyboard_key_["},
    {0xDD, 0x1B, false, 0, 0x30, 27, "keyboard_key_]"},
    {0xDC, 0x2B, false, 0, 0x31, 43, "keyboard_key_xiegang"},
    {0xBA, 0x27, false, 0, 0x33, 39, "keyboard_key_;"},
    {0xDE, 0x28, false, 0, 0x34, 40, "keyboard_key_'"},
    {0xC0, 0x29, false, 0, 0x35, 41, "keyboard_key_`"},
    {0xBC, 0x33, false, 0, 0x36, 51, "keyboard_key_<"},
    {0xBE, 0x34, false, 0, 0x37, 52, "keyboard_key_."},
    {0xBF, 0x35, false, 0, 0x38, 53, "keyboard_key_/"},
    {0x14, 0x3A, false, 0, 0x39, 58, "keyboard_key_Caplk"},
    {0x70, 0x3B, false, 0, 0x3A, 59, "keyboard_key_F1"},
    {0x71, 0x3C, false, 0, 0x3B, 60, "keyboard_key_F2"},
    {0x72, 0x3D, false, 0, 0x3C, 61, "keyboard_key_F3"},
    {0x73, 0x3E, false, 0, 0x3D, 62, "keyboard_key_F4"},
    {0x74, 0x3F, false, 0, 0x3E, 63, "keyboard_key_F5"},
    {0x75, 0x40, false, 0, 0x3F, 64, "keyboard_key_F6"},
    {0x76, 0x41, false, 0, 0x40, 65, "keyboard_key_F7"},
    {0x77, 0x42, false, 0, 0x41, 66, "keyboard_key_F8"},
    {0x78, 0x43, false, 0, 0x42, 67, "keyboard_key_F9"},
    {0x79, 0x44, false, 0, 0x43, 68, "keyboard_key_F10"},
    {0x7A, 0x57, false, 0, 0x44, 87, "keyboard_key_F11"},
    {0x7B, 0x58, false, 0, 0x45, 88, "keyboard_key_F12"},
    {0x2C, 0x37, true, 0, 0x46, 99, "keyboard_key_Print Scr"},
    {0x91, 0x46, false, 0, 0x47, 70, "keyboard_key_Scroll Lock"},
    {0x13, 0x45, false, 0, 0x48, 119, "keyboard_key_Pause"},
    {0x2D, 0x52, true, 0, 0x49, 110, "keyboard_key_Insert"},
    {0x24, 0x47, true, 0, 0x4A, 102, "keyboard_key_Home"},
    {0x21, 0x49, true, 0, 0x4B, 104, "keyboard_key_Page Up"},
    {0x2E, 0x53, true, 0, 0x4C, 111, "keyboard_key_Delete"},
    {0x23, 0x4F, true, 0, 0x4D, 107, "keyboard_key_End"},
    {0x22, 0x51, true, 0, 0x4E, 109, "keyboard_key_Page Down"},
    {0x27, 0x4D, true, 0, 0x4F, 106, "keyboard_key_Right"},
    {0x25, 0x4B, true, 0, 0x50, 105, "keyboard_key_Left"},
    {0x28, 0x50, true, 0, 0x51, 108, "keyboard_key_Down"},
    {0x26, 0x48, true, 0, 0x52, 103, "keyboard_key_Up"},
    {0x90, 0x45, true, 0, 0x53, 69, "keyboard_key_Num Lock"},
    {0x6F, 0x35, true, 0, 0x54, 98, "keyboard_key_Num /"},
    {0x6A, 0x37, false, 0, 0x55, 55, "keyboard_key_Num *"},
    {0x6D, 0x4A, false, 0, 0x56, 74, "keyboard_key_Num -"},
    {0x6B, 0x4E, false, 0, 0x57, 78, "keyboard_key_Num +"},
    {0x101, 0x1C, true, 0, 0x58, 96, "keyboard_key_Num Enter"},
    {0x61, 0x4F, false, 0, 0x59, 79, "keyboard_key_Num 1"},
    {0x62, 0x50, false, 0, 0x5A, 80, "keyboard_key_Num 2"},
    {0x63, 0x51, false, 0, 0x5B, 81, "keyboard_key_Num 3"},
    {0x64, 0x4B, false, 0, 0x5C, 75, "keyboard_key_Num 4"},
    {0x65, 0x4C, false, 0, 0x5D, 76, "keyboard_key_Num 5"},
    {0x66, 0x4D, false, 0, 0x5E, 77, "keyboard_key_Num 6"},
    {0x67, 0x47, false, 0, 0x5F, 71, "keyboard_key_Num 7"},
    {0x68, 0x48, false, 0, 0x60, 72, "keyboard_key_Num 8"},
    {0x69, 0x49, false, 0, 0x61, 73, "keyboard_key_Num 9"},
    {0x60, 0x52, false, 0, 0x62, 82, "keyboard_key_Num 0"},
    {0x6E, 0x53, false, 0, 0x63, 83, "keyboard_key_Decimal"},
    {0x5D, 0x5D, true, 0, 0x65, 127, "keyboard_key_App"},
    {0xE2, 0x56, false, 0, 0x64, 86, "keyboard_key_K45"},
    {0xC1, 0x73, false, 0, 0x87, 89, "keyboard_key_K56"},
    {0xFF, 0x7D, false, 0, 0x89, 124, "keyboard_key_K14"},
    {0xC2, 0x7E, false, 0, 0x85, 121, "keyboard_key_K107"},
    {0xEB, 0x7B, false, 0, 0x8B, 94, "keyboard_key_K131"},
    {0xFF, 0x79, false, 0, 0x8A, 92, "keyboard_key_K132"},
    {0xFF, 0x70, false, 0, 0x88, 93, "keyboard_key_K133"},
    {0xE9, 0x71, false, 0, 0x91, 123, "keyboard_key_K150"},
    {0xFF, 0x72, false, 0, 0x90, 122, "keyboard_key_K151"},
}};
// clang-format on

template <typename Pred>
std::optional<size_t> FindRow(Pred pred) {
    for (size_t i = 0; i < kRows.size(); ++i) {
        if (pred(kRows[i]))
            return i;
    }
    return std::nullopt;
}

}  // namespace

std::span<const KeyCodeRow, kKeyCodeRowCount> KeyCodeTable() {
    return kRows;
}

std::optional<size_t> FindKeyByScan(uint8_t scan, bool extended) {
    return FindRow([&](const KeyCodeRow& r) { return r.scan == scan && r.extended == extended; });
}

std::optional<size_t> FindKeyByEvdev(int evdev) {
    if (evdev <= 0)
        return std::nullopt;
    return FindRow([&](const KeyCodeRow& r) { return r.evdev == evdev; });
}

std::optional<size_t> FindKeyByXKeycode(int xKeycode) {
    return FindKeyByEvdev(xKeycode - kXKeycodeOffset);
}

std::optional<size_t> FindKeyByUsage(uint8_t usage) {
    if (usage == 0)
        return std::nullopt;
    return FindRow([&](const KeyCodeRow& r) { return r.modifier == 0 && r.usage == usage; });
}

std::optional<size_t> FindKeyByModifier(uint8_t bit) {
    if (bit == 0)
        return std::nullopt;
    return FindRow([&](const KeyCodeRow& r) { return r.modifier == bit; });
}

}  // namespace macro
