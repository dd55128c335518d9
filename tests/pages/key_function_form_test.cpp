// The key function form in both directions: every code the page can store
// is shown as its function and read back unchanged, the encodings of the
// parameter functions, the clamped number fields, missing selections, and
// key capture.
#include "pages/key_function_form.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <set>
#include <string>

#include "pages/key_tables.h"

namespace {

using pages::ItemList;
using pages::KeyFunctionForm;
using pages::NumberField;
using profile::KeyAssignment;

constexpr uint16_t kKey = 7;
// Esc as the key's own function; no code below equals it unless meant to.
constexpr KeyAssignment kDefault{kKey, 0x20, 0x00, 0x29};

KeyAssignment Code(uint8_t type, uint8_t code1, uint8_t code2) {
    return {kKey, type, code1, code2};
}

// Shows `a` as the selected key's current function and reads it back.
struct Shown {
    KeyFunctionForm form;
    explicit Shown(const KeyAssignment& a, int macros = 0) {
        form.SetMacroCount(macros);
        form.SetKeyEntry({a, kDefault});
    }
    KeyAssignment Read() { return form.ReadAssignment().Assignment; }
};

TEST(KeyFunctionForm, ListItemsRoundTrip) {
    struct {
        ItemList list;
        int function;
        int pages::KeyForm::*selection;
    } const lists[] = {
        {ItemList::MouseButton, pages::kMouseButton, &pages::KeyForm::mouseButton},
        {ItemList::DpiAction, pages::kDpiAction, &pages::KeyForm::dpiAction},
        {ItemList::Media, pages::kMediaKey, &pages::KeyForm::media},
        {ItemList::System, pages::kSystemKey, &pages::KeyForm::system},
        {ItemList::Gun, pages::kGunPreset, &pages::KeyForm::gun},
        {ItemList::Shortcut, pages::kCtrlShortcut, &pages::KeyForm::shortcut},
    };
    for (const auto& l : lists) {
        const auto items = pages::Items(l.list);
        for (size_t i = 0; i < items.size(); ++i) {
            SCOPED_TRACE(items[i].caption);
            const auto a = Code(items[i].type, items[i].code1, items[i].code2);
            Shown s(a);
            EXPECT_EQ(s.form.Form().function, l.function);
            EXPECT_EQ(s.form.Form().*l.selection, static_cast<int>(i));
            EXPECT_EQ(s.Read(), a);
        }
    }
}

TEST(KeyFunctionForm, MovementAndWheelRoundTripEveryCode) {
    for (int code1 = 0; code1 < 256; ++code1) {
        for (int code2 = 0; code2 < 256; ++code2) {
            const auto c1 = static_cast<uint8_t>(code1), c2 = static_cast<uint8_t>(code2);
            Shown move(Code(0x11, c1, c2));
            ASSERT_EQ(move.form.Form().function, pages::kMouseMove);
            ASSERT_EQ(move.Read(), Code(0x11, c1, c2)) << code1 << " " << code2;
            Shown wheel(Code(0x12, c1, c2));
            ASSERT_EQ(wheel.form.Form().function, pages::kMouseWheel);
            // 0x80 is 128 steps down, more than the count field takes.
            ASSERT_EQ(wheel.Read(), Code(0x12, c1, c2 == 0x80 ? 0x81 : c2))
                << code1 << " " << code2;
        }
    }
}

TEST(KeyFunctionForm, AutoFireRoundTripsFromTheShortestInterval) {
    for (int code1 = 0; code1 < 256; ++code1) {
        for (int code2 = 0; code2 < 256; code2 += 15) {
            Shown s(Code(0x14, static_cast<uint8_t>(code1), static_cast<uint8_t>(code2)));
            ASSERT_EQ(s.form.Form().function, pages::kAutoFire);
            ASSERT_EQ(s.Read(), Code(0x14, static_cast<uint8_t>(std::max(code1, 10)),
                                     static_cast<uint8_t>(code2)));
        }
    }
}

TEST(KeyFunctionForm, KeyboardKeysRoundTripWithEachModifier) {
    const auto& rows = pages::KeyTable();
    const uint8_t modifiers[] = {0, 0x01, 0x02, 0x04, 0x08};
    for (size_t row = pages::kFirstPlainKeyRow; row < rows.size(); ++row) {
        if (rows[row].type != 0x20 || rows[row].code1 != 0)
            continue;
        for (int m = 0; m < 5; ++m) {
            SCOPED_TRACE(std::string(rows[row].caption) + " option " + std::to_string(m));
            const auto a = Code(0x20, modifiers[m], rows[row].code2);
            if (a.Persisted() == kDefault.Persisted())
                continue;
            Shown s(a);
            EXPECT_EQ(s.form.Form().function, pages::kKeyboardKey);
            EXPECT_EQ(s.form.GetModifierOption(), m);
            EXPECT_EQ(s.form.Form().keyCaption, rows[row].caption);
            EXPECT_EQ(s.Read(), a);
        }
    }
    // A modifier key alone keeps its bit.
    for (uint8_t bit : {0x01, 0x02, 0x04, 0x08}) {
        Shown s(Code(0x20, bit, 0));
        EXPECT_EQ(s.form.Form().keyCaption, "");
        EXPECT_EQ(s.Read(), Code(0x20, bit, 0));
    }
}

TEST(KeyFunctionForm, MacrosRoundTripWithinTheMacroList) {
    constexpr int kMacros = 3;
    for (uint8_t m = 0; m < kMacros; ++m) {
        for (uint8_t play = 0; play < 4; ++play) {
            Shown s(Code(0x70, m, play), kMacros);
            EXPECT_EQ(s.form.Form().function, pages::kMacro);
            EXPECT_EQ(s.form.Form().macroPlay, play);
            EXPECT_EQ(s.Read(), Code(0x70, m, play));
        }
        for (int repeat = 1; repeat < 256; ++repeat) {
            const auto a = Code(0x71, m, static_cast<uint8_t>(repeat));
            Shown s(a, kMacros);
            EXPECT_EQ(s.form.Form().macroPlay, pages::kMacroRepeatOption);
            ASSERT_EQ(s.Read(), a);
        }
    }
    // Beyond the list: nothing selected and nothing changed.
    Shown beyond(Code(0x71, kMacros, 5), kMacros);
    EXPECT_EQ(beyond.form.Form().macro, pages::kNoSelection);
    EXPECT_EQ(beyond.Read(), Code(0x71, kMacros, 5));
    // A repeat count of 0 is read as the fewest repeats.
    EXPECT_EQ(Shown(Code(0x71, 0, 0), kMacros).Read(), Code(0x71, 0, 1));
}

TEST(KeyFunctionForm, FunctionOfType) {
    EXPECT_EQ(pages::FunctionOf(kDefault, kDefault), pages::kOwnFunction);
    EXPECT_EQ(pages::FunctionOf(Code(0x10, 1, 0), Code(0x10, 1, 0)), pages::kOwnFunction);
    EXPECT_EQ(pages::FunctionOf(Code(0x20, 0x08, 0x0F), kDefault), pages::kKeyboardKey);
    EXPECT_EQ(pages::FunctionOf(Code(0x20, 0x10, 0x06), kDefault), pages::kCtrlShortcut);
    EXPECT_EQ(pages::FunctionOf(Code(0xB0, 0x10, 0x06), kDefault), pages::kCtrlShortcut);
    for (uint8_t type : {0x00, 0x15, 0x16, 0x21, 0x50, 0x60, 0x73, 0xA0, 0xC0, 0xD0, 0xFF})
        EXPECT_EQ(pages::FunctionOf(Code(type, 0, 0), kDefault), pages::kNoFunction) << int(type);
}

TEST(KeyFunctionForm, TheOwnFunctionShowsAsFunctionZero) {
    Shown s(kDefault);
    EXPECT_EQ(s.form.Form().function, pages::kOwnFunction);
    EXPECT_EQ(s.Read(), kDefault);
    // Choosing function 0 puts the default back, whatever was shown.
    Shown mouse(Code(0x10, 0x02, 0));
    mouse.form.SelectFunction(pages::kOwnFunction);
    EXPECT_EQ(mouse.Read(), kDefault);
    mouse.form.ShowDefault();
    EXPECT_EQ(mouse.form.Form().function, pages::kOwnFunction);
}

TEST(KeyFunctionForm, ParameterEncodings) {
    KeyFunctionForm form;
    form.SetKeyEntry({kDefault, kDefault});
    auto& f = form.Form();

    form.SelectFunction(pages::kMouseWheel);
    f.wheelDirection = 1;
    f.Number(NumberField::WheelCount) = 3;
    EXPECT_EQ(form.ReadAssignment().Assignment.code2, 0xFD);
    form.ShowCurrent();
    EXPECT_EQ(f.Number(NumberField::WheelCount), 3);
    EXPECT_EQ(f.wheelDirection, 1);
    // No steps stay no steps in either direction.
    f.Number(NumberField::WheelCount) = 0;
    EXPECT_EQ(form.ReadAssignment().Assignment.code2, 0x00);

    form.SelectFunction(pages::kMouseMove);
    f.moveDirection = 1;
    f.Number(NumberField::MoveCount) = 3;
    f.Number(NumberField::MoveDelay) = 17;  // clamped, not cut to its low bits
    f.Number(NumberField::MoveSpeed) = 2;
    const auto move = form.ReadAssignment().Assignment;
    EXPECT_EQ(move.code2, 0x83);
    EXPECT_EQ(move.code1, 0xF2);
    EXPECT_EQ(f.Number(NumberField::MoveDelay), 15);

    form.SelectFunction(pages::kCtrlShortcut);
    f.shortcut = 4;
    EXPECT_EQ(form.ReadAssignment().Assignment, Code(0x20, 0x10, 0x06));
    form.ShowCurrent();
    EXPECT_EQ(f.function, pages::kCtrlShortcut);
    EXPECT_EQ(f.shortcut, 4);
}

TEST(KeyFunctionForm, NumberFieldsAreClampedAndShownClamped) {
    std::set<std::string> controls;
    for (const auto& info : pages::NumberFields()) {
        SCOPED_TRACE(info.control);
        EXPECT_TRUE(controls.insert(info.control).second);
        EXPECT_EQ(&pages::InfoOf(info.field), &info);
        for (const char* text : {"abc", "", "  ", "-5", "12abc", "1.5", "+"})
            EXPECT_EQ(pages::ReadNumber(info.field, text), info.lowest) << text;
        for (const char* text : {"999", "99999999999999"})
            EXPECT_EQ(pages::ReadNumber(info.field, text), info.highest) << text;
        EXPECT_EQ(pages::ReadNumber(info.field, " 12 "), std::clamp(12, info.lowest, info.highest));
    }
    KeyFunctionForm form;
    form.SetKeyEntry({kDefault, kDefault});
    auto& f = form.Form();
    form.SelectFunction(pages::kAutoFire);
    f.Number(NumberField::FireInterval) = 5;
    f.Number(NumberField::FireShots) = 300;
    EXPECT_EQ(form.ReadAssignment().Assignment, Code(0x14, 10, 255));
    EXPECT_EQ(f.Number(NumberField::FireInterval), 10);
    EXPECT_EQ(f.Number(NumberField::FireShots), 255);
    // A count past 127 would set the direction bit.
    form.SelectFunction(pages::kMouseMove);
    f.moveDirection = 0;
    f.Number(NumberField::MoveCount) = 999;
    EXPECT_EQ(form.ReadAssignment().Assignment.code2, 0x7F);
    EXPECT_EQ(f.Number(NumberField::MoveCount), 127);
    form.SelectFunction(pages::kMouseWheel);
    f.wheelDirection = 1;
    f.Number(NumberField::WheelCount) = -4;
    EXPECT_EQ(form.ReadAssignment().Assignment.code2, 0x00);
    EXPECT_EQ(f.Number(NumberField::WheelCount), 0);
}

TEST(KeyFunctionForm, NoSelectionKeepsTheCurrentAssignment) {
    const auto current = Code(0x10, 0x02, 0);
    for (int function :
         {pages::kMouseButton, pages::kDpiAction, pages::kMediaKey, pages::kSystemKey,
          pages::kGunPreset, pages::kCtrlShortcut, pages::kMacro}) {
        SCOPED_TRACE(function);
        Shown s(current, 2);
        s.form.SelectFunction(function);
        auto& f = s.form.Form();
        f.mouseButton = f.dpiAction = f.media = f.system = f.gun = f.shortcut = -1;
        f.macro = 1;
        f.macroPlay = pages::kNoSelection;
        EXPECT_EQ(s.Read(), current);
        f.mouseButton = f.dpiAction = f.media = f.system = f.gun = f.shortcut = 99;
        f.macro = 2;  // past the list
        f.macroPlay = 0;
        EXPECT_EQ(s.Read(), current);
    }
    // Shown without a matching item: no item is selected, reading changes nothing.
    Shown unknownButton(Code(0x10, 0x20, 0));
    EXPECT_EQ(unknownButton.form.Form().mouseButton, pages::kNoSelection);
    EXPECT_EQ(unknownButton.Read(), Code(0x10, 0x20, 0));
}

TEST(KeyFunctionForm, KeyboardKeyStartsEmptyAndForgetsUnknownKeys) {
    Shown s(Code(0x20, 0x01, 0x05));
    s.form.SelectFunction(pages::kKeyboardKey);
    EXPECT_EQ(s.form.GetModifierOption(), pages::kNoSelection);
    EXPECT_EQ(s.Read(), Code(0x20, 0, 0));

    Shown unknown(Code(0x20, 0, 0xF0));
    EXPECT_EQ(unknown.form.Form().keyCaption, "");
    EXPECT_EQ(unknown.form.Current(), Code(0x20, 0, 0));

    KeyFunctionForm form;
    form.SetModifierOption(5);
    EXPECT_EQ(form.GetModifierOption(), pages::kNoSelection);
    form.SetModifierOption(4);
    EXPECT_EQ(form.GetModifierOption(), 4);
    form.SetMacroCount(4);
    form.Form().macro = 2;
    form.SetMacroCount(5);
    EXPECT_EQ(form.Form().macro, pages::kNoSelection);
}

TEST(KeyFunctionForm, CaptureTakesModifierAndKey) {
    // Left and right keys of a pair give the same option.
    const int options[] = {1, 2, 3, 4, 1, 2, 3, 4};
    for (size_t row = 0; row < 8; ++row)
        EXPECT_EQ(pages::ModifierOptionOfRow(row), options[row]) << row;

    Shown s(Code(0x10, 0x01, 0));
    s.form.SelectFunction(pages::kKeyboardKey);
    ASSERT_TRUE(s.form.CaptureKey(KEY_RIGHTALT));
    EXPECT_EQ(s.form.GetModifierOption(), 3);
    EXPECT_EQ(s.form.Form().keyCaption, "");
    EXPECT_EQ(s.form.Current(), Code(0x20, 0x04, 0));
    ASSERT_TRUE(s.form.CaptureKey(KEY_B));
    EXPECT_EQ(s.form.Form().keyCaption, "keyboard_key_B");
    EXPECT_EQ(s.form.Current(), Code(0x20, 0x04, 0x05));
    EXPECT_EQ(s.Read(), Code(0x20, 0x04, 0x05));

    ASSERT_TRUE(s.form.CaptureKey(KEY_RIGHTCTRL));
    ASSERT_TRUE(s.form.CaptureKey(KEY_KPENTER));
    EXPECT_EQ(s.Read(), Code(0x20, 0x01, 0x58));

    // Media and unknown keys end the capture without a change.
    EXPECT_FALSE(s.form.CaptureKey(KEY_MUTE));
    EXPECT_FALSE(s.form.CaptureKey(0));
    EXPECT_FALSE(s.form.CaptureKey(KEY_F24));
    EXPECT_EQ(s.form.Current(), Code(0x20, 0x01, 0x58));
    EXPECT_EQ(s.form.Form().keyCaption, "keyboard_key_Num Enter");

    Shown plain(Code(0x10, 0x01, 0));
    plain.form.SelectFunction(pages::kKeyboardKey);
    ASSERT_TRUE(plain.form.CaptureKey(KEY_PAUSE));
    EXPECT_EQ(plain.form.GetModifierOption(), 0);
    EXPECT_EQ(plain.Read(), Code(0x20, 0, 0x48));
    ASSERT_TRUE(plain.form.CaptureKey(KEY_NUMLOCK));
    EXPECT_EQ(plain.Read(), Code(0x20, 0, 0x53));
}

}  // namespace
