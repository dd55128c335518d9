// The key page's tables: the key table that captions keys and turns a
// pressed key into a keyboard-key function, and the item lists of the
// page's combos, each row with the function code it stands for and the
// language-file id of its caption.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace pages {

struct KeyTableRow {
    uint16_t vk;     // Windows virtual key, 0xFF when the key has none
    bool extended;   // with the virtual key: the E0-prefixed key of a pair
    uint16_t evdev;  // Linux input code, 0 when no key reports the row
    uint8_t type;
    uint8_t code1;
    uint8_t code2;
    const char* caption;
};

// Rows 0..112 are the recordable keys in the same order, rows 0..7 their
// modifiers; the rest are keys recording never sees.
inline constexpr size_t kKeyTableRowCount = 144;
inline constexpr size_t kFirstPlainKeyRow = 8;

const std::array<KeyTableRow, kKeyTableRowCount>& KeyTable();

// First row with that input code; nullopt for 0 and codes no row has.
std::optional<size_t> FindKeyRowByEvdev(int evdev);
// First row at or after `from` with that function code.
std::optional<size_t> FindKeyRowByCode(uint8_t type, uint8_t code1, uint8_t code2, size_t from = 0);

// A combo item: the function code choosing it stores.
struct FunctionItem {
    uint8_t type;
    uint8_t code1;
    uint8_t code2;
    const char* caption;
};

// The combos listing fixed items, in the order their items appear.
enum class ItemList : uint8_t {
    MouseButton,  // "keyset_mousekey_combo"
    DpiAction,    // "keyset_mousedpi_combo"
    Media,        // "keyset_media_combo"
    System,       // "keyset_system_combo"
    Gun,          // "keyset_gunkey_combo"
    Shortcut,     // "keyset_combokey_combo"
};
inline constexpr size_t kItemListCount = 6;

std::span<const FunctionItem> Items(ItemList list);
const char* ItemListControl(ItemList list);
// Position of the item with that code, nullopt when the list has none.
std::optional<size_t> FindItem(ItemList list, uint8_t type, uint8_t code1, uint8_t code2);

// Captions of functions with parameters rather than items.
inline constexpr const char* kFireCaption = "mouse_key_fire_key";
inline constexpr const char* kSwingLeftCaption = "mouse_key_left_Swing";
inline constexpr const char* kSwingRightCaption = "mouse_key_right_Swing";
inline constexpr const char* kWheelUpCaption = "mouse_key_up_Swing";
inline constexpr const char* kWheelDownCaption = "mouse_key_down_Swing";

}  // namespace pages
