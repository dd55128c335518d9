#include "pages/key_function_form.h"

#include <algorithm>

#include "pages/control_name.h"
#include "pages/key_tables.h"

namespace pages {
namespace {

using profile::KeyAssignment;

constexpr uint8_t kTypeMouseButton = 0x10;
constexpr uint8_t kTypeMove = 0x11;
constexpr uint8_t kTypeWheel = 0x12;
constexpr uint8_t kTypeDpi = 0x13;
constexpr uint8_t kTypeFire = 0x14;
constexpr uint8_t kTypeKey = 0x20;
constexpr uint8_t kTypeMedia = 0x30;
constexpr uint8_t kTypeSystem = 0x40;
constexpr uint8_t kTypeGun = 0x72;
constexpr uint8_t kTypeShortcut = 0xB0;
constexpr uint8_t kDirectionBit = 0x80;
constexpr uint8_t kCountMask = 0x7F;
// A keyboard key with code1 above this is a shortcut, not a modifier.
constexpr uint8_t kHighestModifier = 0x08;
constexpr int kHighestPlayMode = 3;

// clang-format off
constexpr std::array<NumberFieldInfo, kNumberFieldCount> kNumberFields = {{
    {NumberField::MoveCount, "keyset_mouseswing_num_edit", 0, 127},
    {NumberField::MoveDelay, "keyset_mouseswing_delay_edit", 0, 15},
    {NumberField::MoveSpeed, "keyset_mouseswing_speed_edit", 0, 15},
    {NumberField::WheelCount, "keyset_mousewheel_num_edit", 0, 127},
    {NumberField::WheelDelay, "keyset_mousewheel_delay_edit", 0, 15},
    {NumberField::WheelSpeed, "keyset_mousewheel_speed_edit", 0, 15},
    {NumberField::FireInterval, "keyset_mousefire_interval_edit", 10, 255},
    {NumberField::FireShots, "keyset_mousefire_num_edit", 0, 255},
    {NumberField::MacroRepeat, "keyset_macro_cycle_edit", 1, 255},
}};
// clang-format on

// The list a function picks its code from, for the functions that have one.
struct ListFunction {
    int function;
    ItemList list;
    int KeyForm::*selection;
};

constexpr ListFunction kListFunctions[] = {
    {kMouseButton, ItemList::MouseButton, &KeyForm::mouseButton},
    {kDpiAction, ItemList::DpiAction, &KeyForm::dpiAction},
    {kMediaKey, ItemList::Media, &KeyForm::media},
    {kSystemKey, ItemList::System, &KeyForm::system},
    {kCtrlShortcut, ItemList::Shortcut, &KeyForm::shortcut},
};

const ListFunction* ListFunctionOf(int function) {
    for (const auto& lf : kListFunctions) {
        if (lf.function == function)
            return &lf;
    }
    return nullptr;
}

bool SameCode(const KeyAssignment& a, const KeyAssignment& b) {
    return a.type == b.type && a.code1 == b.code1 && a.code2 == b.code2;
}

int Position(std::optional<size_t> found) {
    return found ? static_cast<int>(*found) : kNoSelection;
}

uint8_t ModifierBitOf(int option) {
    return option >= 1 && option < kModifierOptionCount ? static_cast<uint8_t>(1 << (option - 1))
                                                        : 0;
}

bool IsDecimal(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return false;
    const auto last = text.find_last_not_of(" \t");
    text = text.substr(first, last - first + 1);
    if (text.front() == '+' || text.front() == '-')
        text.remove_prefix(1);
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::span<const NumberFieldInfo, kNumberFieldCount> NumberFields() {
    return kNumberFields;
}

const NumberFieldInfo& InfoOf(NumberField field) {
    return kNumberFields[static_cast<size_t>(field)];
}

int ClampNumber(NumberField field, int value) {
    const auto& info = InfoOf(field);
    return std::clamp(value, info.lowest, info.highest);
}

int ReadNumber(NumberField field, std::string_view text) {
    if (!IsDecimal(text))
        return InfoOf(field).lowest;
    return ClampNumber(field, LeadingNumber(text));
}

std::array<int, kNumberFieldCount> KeyForm::LowestNumbers() {
    std::array<int, kNumberFieldCount> values{};
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = kNumberFields[i].lowest;
    return values;
}

int FunctionOf(const KeyAssignment& a, const KeyAssignment& defaultAssignment) {
    if (SameCode(a, defaultAssignment))
        return kOwnFunction;
    switch (a.type) {
        case kTypeMouseButton:
            return kMouseButton;
        case kTypeMove:
            return kMouseMove;
        case kTypeWheel:
            return kMouseWheel;
        case kTypeDpi:
            return kDpiAction;
        case kTypeFire:
            return kAutoFire;
        case kTypeKey:
            return a.code1 > kHighestModifier ? kCtrlShortcut : kKeyboardKey;
        case kTypeMedia:
            return kMediaKey;
        case kTypeSystem:
            return kSystemKey;
        case profile::kMacroTypeA:
        case profile::kMacroTypeB:
            return kMacro;
        case kTypeGun:
            return kGunPreset;
        case kTypeShortcut:
            return kCtrlShortcut;
        default:
            return kNoFunction;
    }
}

int ModifierOptionOfRow(size_t row) {
    const int n = static_cast<int>(row) + 1;
    return n % kModifierOptionCount + n / kModifierOptionCount;
}

void KeyFunctionForm::SetKeyEntry(const profile::KeyListEntry& entry) {
    current_ = entry.Assignment;
    default_ = entry.DefaultAssignment;
    ShowAssignment(current_);
}

void KeyFunctionForm::SetMacroCount(int count) {
    macroCount_ = std::max(count, 0);
    form_.macro = kNoSelection;
}

void KeyFunctionForm::ShowAssignment(const KeyAssignment& a) {
    const int function = FunctionOf(a, default_);
    auto& f = form_;
    if (const auto* lf = ListFunctionOf(function)) {
        f.*lf->selection = Position(FindItem(lf->list, a.type, a.code1, a.code2));
    }
    switch (function) {
        case kMouseMove:
            f.Number(NumberField::MoveDelay) = a.code1 >> 4;
            f.Number(NumberField::MoveSpeed) = a.code1 & 0x0F;
            f.Number(NumberField::MoveCount) = a.code2 & kCountMask;
            f.moveDirection = (a.code2 & kDirectionBit) != 0 ? 1 : 0;
            break;
        case kMouseWheel:
            f.Number(NumberField::WheelDelay) = a.code1 >> 4;
            f.Number(NumberField::WheelSpeed) = a.code1 & 0x0F;
            // Direction 1 counts down from 256: 0x80 would be 128 steps,
            // beyond what the edit takes, and shows as its highest count.
            if ((a.code2 & kDirectionBit) != 0) {
                f.Number(NumberField::WheelCount) =
                    ClampNumber(NumberField::WheelCount, 256 - a.code2);
                f.wheelDirection = 1;
            } else {
                f.Number(NumberField::WheelCount) = a.code2;
                f.wheelDirection = 0;
            }
            break;
        case kAutoFire:
            f.Number(NumberField::FireInterval) = ClampNumber(NumberField::FireInterval, a.code1);
            f.Number(NumberField::FireShots) = a.code2;
            break;
        case kKeyboardKey:
            if (a.code1 == 0) {
                const auto row = FindKeyRowByCode(kTypeKey, 0, a.code2);
                if (row) {
                    f.keyCaption = KeyTable()[*row].caption;
                    f.modifierOption = 0;
                } else {
                    f.keyCaption.clear();
                    f.modifierOption = kNoSelection;
                    if (SameCode(a, current_))
                        current_.code1 = current_.code2 = 0;
                }
            } else {
                // Position among the left modifiers, so only single bits match.
                const auto row = FindKeyRowByCode(kTypeKey, a.code1, 0);
                f.modifierOption = row && *row < 4 ? static_cast<int>(*row) + 1 : 0;
                const auto key = FindKeyRowByCode(kTypeKey, 0, a.code2, kFirstPlainKeyRow);
                f.keyCaption = key ? KeyTable()[*key].caption : "";
            }
            break;
        case kMacro:
            if (a.code1 >= macroCount_) {
                f.macro = kNoSelection;
                f.macroPlay = kNoSelection;
            } else {
                f.macro = a.code1;
                if (a.type == profile::kMacroTypeB) {
                    f.macroPlay = kMacroRepeatOption;
                    f.Number(NumberField::MacroRepeat) =
                        ClampNumber(NumberField::MacroRepeat, a.code2);
                } else {
                    f.macroPlay = a.code2 <= kHighestPlayMode ? a.code2 : kNoSelection;
                }
            }
            break;
        case kGunPreset:
            f.gun = a.code1 < Items(ItemList::Gun).size() ? a.code1 : kNoSelection;
            break;
        default:
            break;
    }
    f.function = function;
}

profile::KeyListEntry KeyFunctionForm::ReadAssignment() {
    auto& f = form_;
    for (const auto& info : kNumberFields)
        f.Number(info.field) = ClampNumber(info.field, f.Number(info.field));
    const auto number = [&](NumberField field) { return static_cast<uint8_t>(f.Number(field)); };
    KeyAssignment r = current_;
    const auto set = [&](uint8_t type, uint8_t code1, uint8_t code2) {
        r.type = type;
        r.code1 = code1;
        r.code2 = code2;
    };
    if (const auto* lf = ListFunctionOf(f.function)) {
        const auto items = Items(lf->list);
        const int selected = f.*lf->selection;
        if (selected >= 0 && static_cast<size_t>(selected) < items.size()) {
            const auto& item = items[static_cast<size_t>(selected)];
            set(item.type, item.code1, item.code2);
        }
    } else {
        switch (f.function) {
            case kMouseMove:
                set(kTypeMove,
                    static_cast<uint8_t>(number(NumberField::MoveDelay) << 4 |
                                         number(NumberField::MoveSpeed)),
                    static_cast<uint8_t>(number(NumberField::MoveCount) |
                                         (f.moveDirection == 1 ? kDirectionBit : 0)));
                break;
            case kMouseWheel: {
                const uint8_t count = number(NumberField::WheelCount);
                // Direction 1 stores 256 − count; a count of 0 stays 0 rather
                // than becoming 0x80, which the device takes as 128 steps.
                set(kTypeWheel,
                    static_cast<uint8_t>(number(NumberField::WheelDelay) << 4 |
                                         number(NumberField::WheelSpeed)),
                    f.wheelDirection == 1 ? static_cast<uint8_t>(256 - count) : count);
                break;
            }
            case kAutoFire:
                set(kTypeFire, number(NumberField::FireInterval), number(NumberField::FireShots));
                break;
            case kKeyboardKey:
                set(kTypeKey, ModifierBitOf(f.modifierOption),
                    f.keyCaption.empty() ? 0 : current_.code2);
                break;
            case kMacro:
                if (f.macro >= 0 && f.macro < macroCount_ && f.macro <= 0xFF && f.macroPlay >= 0 &&
                    f.macroPlay <= kMacroRepeatOption) {
                    if (f.macroPlay == kMacroRepeatOption)
                        set(profile::kMacroTypeB, static_cast<uint8_t>(f.macro),
                            number(NumberField::MacroRepeat));
                    else
                        set(profile::kMacroTypeA, static_cast<uint8_t>(f.macro),
                            static_cast<uint8_t>(f.macroPlay));
                }
                break;
            case kGunPreset:
                if (f.gun >= 0 && static_cast<size_t>(f.gun) < Items(ItemList::Gun).size())
                    set(kTypeGun, static_cast<uint8_t>(f.gun), 0);
                break;
            default:
                set(default_.type, default_.code1, default_.code2);
                break;
        }
    }
    current_ = r;
    return {current_, default_};
}

void KeyFunctionForm::SelectFunction(int function) {
    form_.function = function;
    if (function == kKeyboardKey) {
        form_.keyCaption.clear();
        form_.modifierOption = kNoSelection;
    }
}

void KeyFunctionForm::SetModifierOption(int n) {
    form_.modifierOption = n >= 0 && n < kModifierOptionCount ? n : kNoSelection;
}

bool KeyFunctionForm::CaptureKey(int evdev) {
    const auto row = FindKeyRowByEvdev(evdev);
    if (!row || KeyTable()[*row].type != kTypeKey)
        return false;
    if (*row < kFirstPlainKeyRow) {
        SetModifierOption(ModifierOptionOfRow(*row));
        form_.keyCaption.clear();
        ReadAssignment();
        return true;
    }
    if (form_.modifierOption == kNoSelection)
        form_.modifierOption = 0;
    const auto& key = KeyTable()[*row];
    form_.keyCaption = key.caption;
    current_.type = kTypeKey;
    current_.code1 = ModifierBitOf(form_.modifierOption);
    current_.code2 = key.code2;
    return true;
}

}  // namespace pages
