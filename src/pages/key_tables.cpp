#include "pages/key_tables.h"

#include <linux/input-event-codes.h>

#include "macro/key_code_table.h"

namespace pages {
namespace {

constexpr uint8_t kKey = macro::kKeyboardKeyType;
constexpr uint8_t kMedia = 0x30;
constexpr uint8_t kSystem = 0x40;
constexpr uint8_t kNoVk = 0xFF;

// Media rows: type 0x30, code1/code2 = low/high byte of the consumer usage.
constexpr KeyTableRow MediaRow(uint16_t vk, uint16_t evdev, uint16_t usage, const char* caption) {
    return {vk,
            true,
            evdev,
            kMedia,
            static_cast<uint8_t>(usage & 0xFF),
            static_cast<uint8_t>(usage >> 8),
            caption};
}

// The rows after the recordable keys. The non-US hash key has no input code
// of its own: Linux reports it as backslash, which the row of that key takes.
// clang-format off
constexpr KeyTableRow kMoreRows[] = {
    {kNoVk, false, 0, kKey, 0, 0x32, "keyboard_key_K42"},
    MediaRow(0xB7, KEY_CALC, 0x0192, "media_calc"),
    MediaRow(0xAC, KEY_HOMEPAGE, 0x0223, "keyboard_key_Browaer Home"),
    MediaRow(0xB3, KEY_PLAYPAUSE, 0x00CD, "keyboard_key_Media Play Pause"),
    MediaRow(0xAA, KEY_SEARCH, 0x0221, "keyboard_key_Browser Search"),
    MediaRow(0xB4, KEY_MAIL, 0x018A, "keyboard_key_Launch Mail"),
    MediaRow(0xAF, KEY_VOLUMEUP, 0x00E9, "keyboard_key_Volume Up"),
    MediaRow(0xAD, KEY_MUTE, 0x00E2, "media_mute"),
    MediaRow(0xB2, KEY_STOPCD, 0x00B7, "keyboard_key_Media Stop"),
    MediaRow(0xAE, KEY_VOLUMEDOWN, 0x00EA, "keyboard_key_Volume Down"),
    MediaRow(0xAB, KEY_BOOKMARKS, 0x022A, "keyboard_key_Browser Favorites"),
    MediaRow(0xA7, KEY_FORWARD, 0x0225, "keyboard_key_Browser ForWard"),
    MediaRow(0xA6, KEY_BACK, 0x0224, "keyboard_key_Browser Back"),
    MediaRow(0xB1, KEY_PREVIOUSSONG, 0x00B6, "keyboard_key_Media Prev Track"),
    MediaRow(0xB0, KEY_NEXTSONG, 0x00B5, "keyboard_key_Media Next Track"),
    MediaRow(0xB6, KEY_FILE, 0x0194, "keyboard_key_Computer"),
    MediaRow(0xA8, KEY_REFRESH, 0x0227, "keyboard_key_Browser Refresh"),
    MediaRow(0xA9, KEY_STOP, 0x0226, "wed_stop"),
    MediaRow(0xB5, KEY_CONFIG, 0x0183, "keyboard_key_Launch Media Select"),
    {kNoVk, false, KEY_POWER, kSystem, 0x01, 0, "keyboard_key_Power"},
    {0x5F, false, KEY_SLEEP, kSystem, 0x02, 0, "keyboard_key_Sleep"},
    {kNoVk, false, KEY_WAKEUP, kSystem, 0x04, 0, "keyboard_key_Wakeup"},
    {kNoVk, false, 0, 0xA0, 0x47, 0, "keyboard_key_Launch App2"},
    {kNoVk, false, 0, 0xA0, 0x47, 1, "keyboard_key_Volume Down"},
    {kNoVk, false, 0, 0xA0, 0x47, 2, "keyboard_key_Volume Up"},
    {kNoVk, false, 0, 0xA0, 0x47, 3, "keyboard_key_Volume Mute"},
    {kNoVk, false, 0, 0xD0, 0xA2, 5, "keyboard_key_M5"},
    {kNoVk, false, 0, 0xA0, 0x01, 0, "keyboard_key_FN"},
    {kNoVk, false, 0, 0xA0, 0x1B, 0, "keyboard_key_GM"},
    {kNoVk, false, 0, kKey, 0x08, 0x0F, "keyboard_key_WINL"},
    {kNoVk, false, 0, kKey, 0x08, 0x07, "keyboard_key_WIND"},
};
// clang-format on
static_assert(macro::kKeyCodeRowCount + std::size(kMoreRows) == kKeyTableRowCount);

std::array<KeyTableRow, kKeyTableRowCount> BuildKeyTable() {
    std::array<KeyTableRow, kKeyTableRowCount> rows{};
    const auto keys = macro::KeyCodeTable();
    for (size_t i = 0; i < keys.size(); ++i) {
        const auto& k = keys[i];
        rows[i] = {k.vk, k.extended, k.evdev, kKey, k.modifier, k.usage, k.nameKey};
    }
    for (size_t i = 0; i < std::size(kMoreRows); ++i)
        rows[keys.size() + i] = kMoreRows[i];
    return rows;
}

// clang-format off
constexpr FunctionItem kMouseButtons[] = {
    {0x10, 0x01, 0, "mouse_key_left"},
    {0x10, 0x04, 0, "mouse_key_middle"},
    {0x10, 0x02, 0, "mouse_key_right"},
    {0x10, 0x10, 0, "mouse_key_forward"},
    {0x10, 0x08, 0, "mouse_key_back"},
};
constexpr FunctionItem kDpiActions[] = {
    {0x13, 1, 0, "mouse_key_DPI_add"},
    {0x13, 2, 0, "mouse_key_DPI_sub"},
    {0x13, 3, 0, "mouse_key_DPI_loop"},
};
constexpr FunctionItem MediaItem(uint16_t usage, const char* caption) {
    return {kMedia, static_cast<uint8_t>(usage & 0xFF), static_cast<uint8_t>(usage >> 8), caption};
}
constexpr FunctionItem kMediaKeys[] = {
    MediaItem(0x0183, "media_text"),
    MediaItem(0x00CD, "media_play"),
    MediaItem(0x00B7, "media_stop"),
    MediaItem(0x00B6, "media_prev"),
    MediaItem(0x00B5, "media_next"),
    MediaItem(0x00EA, "media_vol_sub"),
    MediaItem(0x00E9, "media_vol_add"),
    MediaItem(0x00E2, "media_mute"),
    MediaItem(0x0223, "web_text"),
    MediaItem(0x0227, "web_refresh"),
    MediaItem(0x0226, "wed_stop"),
    MediaItem(0x0224, "wed_back"),
    MediaItem(0x0225, "wed_forward"),
    MediaItem(0x022A, "wed_favorite"),
    MediaItem(0x0221, "web_search"),
    MediaItem(0x0194, "media_mypc"),
    MediaItem(0x0192, "media_calc"),
    MediaItem(0x018A, "media_mail"),
};
constexpr FunctionItem kSystemKeys[] = {
    {kSystem, 0x01, 0, "system_power"},
    {kSystem, 0x02, 0, "system_sleep"},
    {kSystem, 0x04, 0, "system_wake_up"},
};
constexpr FunctionItem kGunPresets[] = {
    {0x72, 0, 0, "gun_1_txt"},
    {0x72, 1, 0, "gun_2_txt"},
    {0x72, 2, 0, "gun_3_txt"},
    {0x72, 3, 0, "gun_4_txt"},
};
// Ctrl shortcuts: code1 0x10 is the Ctrl bit of the device's shortcut form.
constexpr FunctionItem kShortcuts[] = {
    {kKey, 0x10, 0x12, "custem_open"},
    {kKey, 0x10, 0x11, "custem_new"},
    {kKey, 0x10, 0x1D, "custem_undo"},
    {kKey, 0x10, 0x16, "custem_save"},
    {kKey, 0x10, 0x06, "custem_copy"},
    {kKey, 0x10, 0x1B, "custem_cut"},
    {kKey, 0x10, 0x19, "custem_paste"},
    {kKey, 0x10, 0x09, "custem_find"},
    {kKey, 0x10, 0x04, "custem_select_all"},
    {kKey, 0x10, 0x2D, "custem_narrow"},
    {kKey, 0x10, 0x2E, "custem_magnify"},
};
// clang-format on

struct ItemListInfo {
    ItemList list;
    const char* control;
    std::span<const FunctionItem> items;
};

constexpr ItemListInfo kItemLists[] = {
    {ItemList::MouseButton, "keyset_mousekey_combo", kMouseButtons},
    {ItemList::DpiAction, "keyset_mousedpi_combo", kDpiActions},
    {ItemList::Media, "keyset_media_combo", kMediaKeys},
    {ItemList::System, "keyset_system_combo", kSystemKeys},
    {ItemList::Gun, "keyset_gunkey_combo", kGunPresets},
    {ItemList::Shortcut, "keyset_combokey_combo", kShortcuts},
};
static_assert(std::size(kItemLists) == kItemListCount);

constexpr const ItemListInfo& InfoOf(ItemList list) {
    return kItemLists[static_cast<size_t>(list)];
}

}  // namespace

const std::array<KeyTableRow, kKeyTableRowCount>& KeyTable() {
    static const std::array<KeyTableRow, kKeyTableRowCount> kRows = BuildKeyTable();
    return kRows;
}

std::optional<size_t> FindKeyRowByEvdev(int evdev) {
    if (evdev <= 0)
        return std::nullopt;
    const auto& rows = KeyTable();
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].evdev == evdev)
            return i;
    }
    return std::nullopt;
}

std::optional<size_t> FindKeyRowByCode(uint8_t type, uint8_t code1, uint8_t code2, size_t from) {
    const auto& rows = KeyTable();
    for (size_t i = from; i < rows.size(); ++i) {
        if (rows[i].type == type && rows[i].code1 == code1 && rows[i].code2 == code2)
            return i;
    }
    return std::nullopt;
}

std::span<const FunctionItem> Items(ItemList list) {
    return InfoOf(list).items;
}

const char* ItemListControl(ItemList list) {
    return InfoOf(list).control;
}

std::optional<size_t> FindItem(ItemList list, uint8_t type, uint8_t code1, uint8_t code2) {
    const auto items = Items(list);
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].type == type && items[i].code1 == code1 && items[i].code2 == code2)
            return i;
    }
    return std::nullopt;
}

}  // namespace pages
