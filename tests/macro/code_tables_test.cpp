// The key and mouse code tables as a whole: every code is unique and each
// lookup leads back to its row. The kernel's own names check the keys a
// scan-code-equals-input-code shortcut gets wrong.
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <set>
#include <string>
#include <utility>

#include "macro/key_code_table.h"
#include "macro/mouse_event_table.h"

namespace {

using macro::KeyCodeTable;

TEST(KeyCodeTable, RowsAreUniqueAndWellFormed) {
    const auto rows = KeyCodeTable();
    std::set<std::pair<int, bool>> scans;
    std::set<int> evdevs, usages, vks;
    std::set<std::string> names;
    for (size_t i = 0; i < rows.size(); ++i) {
        const auto& r = rows[i];
        SCOPED_TRACE(r.nameKey);
        EXPECT_TRUE(scans.insert({r.scan, r.extended}).second);
        EXPECT_GT(r.evdev, 0);
        EXPECT_TRUE(evdevs.insert(r.evdev).second);
        EXPECT_TRUE(names.insert(r.nameKey).second);
        EXPECT_EQ(std::string(r.nameKey).rfind("keyboard_key_", 0), 0u);
        if (r.vk != 0xFF) {
            EXPECT_TRUE(vks.insert(r.vk).second);
        }
        if (i < macro::kModifierRowCount) {
            EXPECT_EQ(r.modifier, 1u << i);
            EXPECT_EQ(r.usage, 0);
            EXPECT_EQ(macro::MacroTypeOf(r), 9);
            EXPECT_EQ(macro::MacroButtonOf(r), r.modifier);
        } else {
            EXPECT_EQ(r.modifier, 0);
            EXPECT_TRUE(usages.insert(r.usage).second);
            EXPECT_EQ(macro::MacroTypeOf(r), 10);
            EXPECT_EQ(macro::MacroButtonOf(r), r.usage);
        }
    }
}

TEST(KeyCodeTable, EveryCodeLeadsBackToItsRow) {
    const auto rows = KeyCodeTable();
    for (size_t i = 0; i < rows.size(); ++i) {
        const auto& r = rows[i];
        SCOPED_TRACE(r.nameKey);
        EXPECT_EQ(macro::FindKeyByScan(r.scan, r.extended), i);
        EXPECT_EQ(macro::FindKeyByEvdev(r.evdev), i);
        EXPECT_EQ(macro::FindKeyByXKeycode(r.evdev + 8), i);
        if (r.modifier != 0)
            EXPECT_EQ(macro::FindKeyByModifier(r.modifier), i);
        else
            EXPECT_EQ(macro::FindKeyByUsage(r.usage), i);
    }
}

struct Tricky {
    const char* name;
    int evdev;
    int scan;
    bool extended;
    int usage;  // or the modifier bit
};

// Keys sharing a scan code with another key, or whose input code is not the
// scan code.
const Tricky kTricky[] = {
    {"keyboard_key_LCtrl", KEY_LEFTCTRL, 0x1D, false, 0x01},
    {"keyboard_key_RCtrl", KEY_RIGHTCTRL, 0x1D, true, 0x10},
    {"keyboard_key_LAlt", KEY_LEFTALT, 0x38, false, 0x04},
    {"keyboard_key_RAlt", KEY_RIGHTALT, 0x38, true, 0x40},
    {"keyboard_key_RShift", KEY_RIGHTSHIFT, 0x36, true, 0x20},
    {"keyboard_key_LWin", KEY_LEFTMETA, 0x5B, true, 0x08},
    {"keyboard_key_RWin", KEY_RIGHTMETA, 0x5C, true, 0x80},
    {"keyboard_key_App", KEY_COMPOSE, 0x5D, true, 0x65},
    {"keyboard_key_Enter", KEY_ENTER, 0x1C, false, 0x28},
    {"keyboard_key_Num Enter", KEY_KPENTER, 0x1C, true, 0x58},
    {"keyboard_key_/", KEY_SLASH, 0x35, false, 0x38},
    {"keyboard_key_Num /", KEY_KPSLASH, 0x35, true, 0x54},
    {"keyboard_key_Num *", KEY_KPASTERISK, 0x37, false, 0x55},
    {"keyboard_key_Print Scr", KEY_SYSRQ, 0x37, true, 0x46},
    {"keyboard_key_Pause", KEY_PAUSE, 0x45, false, 0x48},
    {"keyboard_key_Num Lock", KEY_NUMLOCK, 0x45, true, 0x53},
    {"keyboard_key_Insert", KEY_INSERT, 0x52, true, 0x49},
    {"keyboard_key_Num 0", KEY_KP0, 0x52, false, 0x62},
    {"keyboard_key_Delete", KEY_DELETE, 0x53, true, 0x4C},
    {"keyboard_key_Decimal", KEY_KPDOT, 0x53, false, 0x63},
    {"keyboard_key_Home", KEY_HOME, 0x47, true, 0x4A},
    {"keyboard_key_End", KEY_END, 0x4F, true, 0x4D},
    {"keyboard_key_Page Up", KEY_PAGEUP, 0x49, true, 0x4B},
    {"keyboard_key_Page Down", KEY_PAGEDOWN, 0x51, true, 0x4E},
    {"keyboard_key_Up", KEY_UP, 0x48, true, 0x52},
    {"keyboard_key_Num 8", KEY_KP8, 0x48, false, 0x60},
    {"keyboard_key_Down", KEY_DOWN, 0x50, true, 0x51},
    {"keyboard_key_Left", KEY_LEFT, 0x4B, true, 0x50},
    {"keyboard_key_Right", KEY_RIGHT, 0x4D, true, 0x4F},
    {"keyboard_key_K45", KEY_102ND, 0x56, false, 0x64},
    {"keyboard_key_K56", KEY_RO, 0x73, false, 0x87},
    {"keyboard_key_K14", KEY_YEN, 0x7D, false, 0x89},
    {"keyboard_key_K107", KEY_KPCOMMA, 0x7E, false, 0x85},
    {"keyboard_key_K131", KEY_MUHENKAN, 0x7B, false, 0x8B},
    {"keyboard_key_K132", KEY_HENKAN, 0x79, false, 0x8A},
    {"keyboard_key_K133", KEY_KATAKANAHIRAGANA, 0x70, false, 0x88},
    {"keyboard_key_K150", KEY_HANJA, 0x71, false, 0x91},
    {"keyboard_key_K151", KEY_HANGEUL, 0x72, false, 0x90},
};

TEST(KeyCodeTable, KeysANaiveMappingGetsWrong) {
    const auto rows = KeyCodeTable();
    for (const auto& t : kTricky) {
        SCOPED_TRACE(t.name);
        const auto byEvdev = macro::FindKeyByEvdev(t.evdev);
        ASSERT_TRUE(byEvdev.has_value());
        const auto& r = rows[*byEvdev];
        EXPECT_STREQ(r.nameKey, t.name);
        EXPECT_EQ(macro::FindKeyByScan(static_cast<uint8_t>(t.scan), t.extended), *byEvdev);
        EXPECT_EQ(macro::MacroButtonOf(r), t.usage);
    }
}

TEST(KeyCodeTable, PlainKeysKeepTheirScanCodeAsInputCode) {
    std::set<std::string> tricky;
    for (const auto& t : kTricky)
        tricky.insert(t.name);
    for (const auto& r : KeyCodeTable()) {
        if (r.extended || tricky.count(r.nameKey) != 0)
            continue;
        EXPECT_EQ(r.evdev, r.scan) << r.nameKey;
    }
}

TEST(KeyCodeTable, KeysOutsideTheTableAreNotFound) {
    EXPECT_FALSE(macro::FindKeyByEvdev(0));
    EXPECT_FALSE(macro::FindKeyByEvdev(-3));
    EXPECT_FALSE(macro::FindKeyByEvdev(KEY_MUTE));
    EXPECT_FALSE(macro::FindKeyByXKeycode(8));
    EXPECT_FALSE(macro::FindKeyByScan(0x00, false));
    EXPECT_FALSE(macro::FindKeyByScan(0x1E, true));
    EXPECT_FALSE(macro::FindKeyByUsage(0));
    EXPECT_FALSE(macro::FindKeyByUsage(0x32));
    EXPECT_FALSE(macro::FindKeyByModifier(0));
    EXPECT_FALSE(macro::FindKeyByModifier(0x03));
}

TEST(MouseEventTable, ButtonsFromEitherSideMeetInOneRow) {
    struct Case {
        int xButton;
        uint16_t downMessage;
        int word;
        uint8_t bit;
    };
    const Case cases[] = {
        {1, 0x201, 0, 0x01}, {2, 0x207, 0, 0x04}, {3, 0x204, 0, 0x02},
        {8, 0x20B, 1, 0x08}, {9, 0x20B, 2, 0x10},
    };
    const auto rows = macro::MouseEventTable();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.xButton);
        for (bool down : {true, false}) {
            const auto row = macro::FindMouseButtonRow(c.xButton, down);
            ASSERT_TRUE(row.has_value());
            EXPECT_EQ(rows[*row].button, c.bit);
            EXPECT_EQ(macro::IsDown(rows[*row]), down);
            EXPECT_EQ(macro::MacroTypeOf(rows[*row]), 1);
            const uint16_t message =
                down ? c.downMessage : static_cast<uint16_t>(c.downMessage + 1);
            EXPECT_EQ(macro::FindMouseMessageRow(message, c.word), row);
        }
    }
    for (int wheelOrTilt : {0, 4, 5, 6, 7, 10})
        EXPECT_FALSE(macro::FindMouseButtonRow(wheelOrTilt, true)) << wheelOrTilt;
    EXPECT_FALSE(macro::FindMouseMessageRow(0x20B, 3));
    EXPECT_FALSE(macro::FindMouseMessageRow(0x20A, 0));
    EXPECT_FALSE(macro::FindMouseMessageRow(0x200, 0));
}

TEST(MouseEventTable, MovementRowsCarryDirectionInTheDownBit) {
    const auto rows = macro::MouseEventTable();
    std::set<std::pair<int, bool>> seen;
    for (size_t i = 10; i < 14; ++i) {
        EXPECT_EQ(rows[i].button, 0);
        EXPECT_TRUE(seen.insert({macro::MacroTypeOf(rows[i]), macro::IsDown(rows[i])}).second);
    }
    EXPECT_EQ(seen, (std::set<std::pair<int, bool>>{{4, true}, {4, false}, {5, true}, {5, false}}));
}

}  // namespace
