// The key page's tables whole: every function code appears once, the key
// rows continue the recordable keys unchanged, and the rows and combo items
// that stand for the same function agree.
#include "pages/key_tables.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

#include "macro/key_code_table.h"

namespace {

using pages::FindItem;
using pages::ItemList;
using pages::Items;
using pages::KeyTable;

constexpr ItemList kLists[] = {ItemList::MouseButton, ItemList::DpiAction, ItemList::Media,
                               ItemList::System,      ItemList::Gun,       ItemList::Shortcut};

std::tuple<int, int, int> CodeOf(const auto& row) {
    return {row.type, row.code1, row.code2};
}

TEST(KeyTable, CodesAndInputCodesAreUnique) {
    const auto& rows = KeyTable();
    std::set<std::tuple<int, int, int>> codes;
    std::set<std::pair<int, bool>> vks;
    for (size_t i = 0; i < rows.size(); ++i) {
        const auto& r = rows[i];
        SCOPED_TRACE(r.caption);
        EXPECT_FALSE(std::string(r.caption).empty());
        EXPECT_TRUE(codes.insert(CodeOf(r)).second);
        EXPECT_EQ(pages::FindKeyRowByCode(r.type, r.code1, r.code2), i);
        if (r.vk != 0xFF) {
            EXPECT_TRUE(vks.insert({r.vk, r.extended}).second);
        }
        if (r.evdev != 0) {
            EXPECT_EQ(pages::FindKeyRowByEvdev(r.evdev), i);
        }
    }
}

TEST(KeyTable, ContinuesTheRecordableKeys) {
    const auto& rows = KeyTable();
    const auto keys = macro::KeyCodeTable();
    for (size_t i = 0; i < keys.size(); ++i) {
        SCOPED_TRACE(keys[i].nameKey);
        EXPECT_STREQ(rows[i].caption, keys[i].nameKey);
        EXPECT_EQ(rows[i].evdev, keys[i].evdev);
        EXPECT_EQ(rows[i].vk, keys[i].vk);
        EXPECT_EQ(rows[i].type, 0x20);
        EXPECT_EQ(rows[i].code1, keys[i].modifier);
        EXPECT_EQ(rows[i].code2, keys[i].usage);
    }
    EXPECT_STREQ(rows[113].caption, "keyboard_key_K42");
    EXPECT_EQ(CodeOf(rows[113]), std::make_tuple(0x20, 0, 0x32));
}

TEST(KeyTable, MediaAndSystemRowsAreTheComboItems) {
    const auto& rows = KeyTable();
    std::set<std::tuple<int, int, int>> media, system, mediaItems, systemItems;
    for (const auto& r : rows) {
        if (r.type == 0x30)
            media.insert(CodeOf(r));
        if (r.type == 0x40)
            system.insert(CodeOf(r));
    }
    for (const auto& item : Items(ItemList::Media))
        mediaItems.insert(CodeOf(item));
    for (const auto& item : Items(ItemList::System))
        systemItems.insert(CodeOf(item));
    EXPECT_EQ(media, mediaItems);
    EXPECT_EQ(system, systemItems);
    // Mute as the consumer usage 0x00E2, low byte first.
    EXPECT_EQ(CodeOf(Items(ItemList::Media)[7]), std::make_tuple(0x30, 0xE2, 0x00));
}

TEST(ItemLists, ItemsAreUniqueAndFoundByTheirCode) {
    const size_t sizes[] = {5, 3, 18, 3, 4, 11};
    std::set<std::string> controls;
    for (size_t l = 0; l < std::size(kLists); ++l) {
        const auto list = kLists[l];
        const auto items = Items(list);
        SCOPED_TRACE(pages::ItemListControl(list));
        EXPECT_TRUE(controls.insert(pages::ItemListControl(list)).second);
        EXPECT_EQ(items.size(), sizes[l]);
        std::set<std::string> captions;
        for (size_t i = 0; i < items.size(); ++i) {
            EXPECT_TRUE(captions.insert(items[i].caption).second);
            EXPECT_EQ(FindItem(list, items[i].type, items[i].code1, items[i].code2), i);
        }
    }
    EXPECT_FALSE(FindItem(ItemList::MouseButton, 0x10, 0x20, 0));
}

TEST(ItemLists, ShortcutsAreCtrlWithTheirLetter) {
    const std::pair<const char*, const char*> letters[] = {
        {"custem_open", "keyboard_key_O"},       {"custem_new", "keyboard_key_N"},
        {"custem_undo", "keyboard_key_Z"},       {"custem_save", "keyboard_key_S"},
        {"custem_copy", "keyboard_key_C"},       {"custem_cut", "keyboard_key_X"},
        {"custem_paste", "keyboard_key_V"},      {"custem_find", "keyboard_key_F"},
        {"custem_select_all", "keyboard_key_A"}, {"custem_narrow", "keyboard_key_-"},
        {"custem_magnify", "keyboard_key_="},
    };
    const auto items = Items(ItemList::Shortcut);
    ASSERT_EQ(items.size(), std::size(letters));
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_STREQ(items[i].caption, letters[i].first);
        EXPECT_EQ(items[i].type, 0x20);
        EXPECT_EQ(items[i].code1, 0x10);
        const auto row = pages::FindKeyRowByCode(0x20, 0, items[i].code2);
        ASSERT_TRUE(row.has_value()) << letters[i].first;
        EXPECT_STREQ(KeyTable()[*row].caption, letters[i].second);
    }
}

}  // namespace
