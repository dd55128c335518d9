#include "pages/light_rules.h"

#include <initializer_list>
#include <span>

namespace pages {
namespace {

using C = LightControl;

constexpr uint64_t Modes(std::initializer_list<int> modes) {
    uint64_t mask = 0;
    for (int m : modes)
        mask |= uint64_t{1} << m;
    return mask;
}

enum class Texts : uint8_t { Keep, Horizontal, Rotation, Vertical, Rising, Inward };

struct TextPair {
    const char* left;
    const char* right;
};

// Indexed by Texts.
constexpr TextPair kTexts[] = {
    {nullptr, nullptr},
    {"light_set_right_to_left_text", "light_set_left_to_right_text"},
    {"light_set_clockwise_text", "light_set_anticlockwise_text"},
    {"light_set_up_to_down_text", "light_set_down_to_up_text"},
    {"light_set_down_to_up_text", "light_set_up_to_down_text"},
    {"light_set_outside_to_inside_text", "light_set_inside_to_outside_text"},
};

struct Extra {
    C control = C::Count;  // Count: unused slot
    ControlRule rule;
};

constexpr Extra Enable(C c, bool on) {
    return {c, {on ? Tri::On : Tri::Off, Tri::Keep}};
}
constexpr Extra Show(C c, bool on) {
    return {c, {Tri::Keep, on ? Tri::On : Tri::Off}};
}

struct RuleRow {
    uint64_t modes;                // 0: every mode no other row names
    std::string_view enabled;      // 'E', 'D' or '-' per column of the family
    std::array<Extra, 3> extra{};  // applied after the columns
    Texts texts = Texts::Keep;
    int8_t colourPage = -1;
};

struct RuleFamily {
    std::span<const C> columns;
    std::span<const Extra> first;  // applied for every mode before its row
    Texts texts;
    int8_t colourPage;
    std::span<const RuleRow> rows;
};

// clang-format off
constexpr C kKeyboardColumns[] = {C::SevenColourCheck, C::ColourLayout, C::PaletteLayout,
                                  C::FxLayout, C::BrightnessLayout, C::SpeedLayout};
constexpr Extra kKeyboardFirst[] = {
    Show(C::SameModeButton, false), Enable(C::FxLayout, true), Enable(C::LightColourLayout, true),
    Show(C::AudioModeLayout, false), Enable(C::EffectLayout, true), Show(C::CustomLayout, false),
    Show(C::SpeedLayout, true),
    // Modes 4 and 23 disable the colourful option's layout; nothing else
    // would enable it again, leaving the option dead for every later mode.
    Enable(C::SevenColourSelectLayout, true),
};
constexpr Extra kNoColourLayout = Enable(C::LightColourLayout, false);
constexpr RuleRow kKeyboardRows[] = {
    {Modes({1, 22}), "EEEEEE"},
    {Modes({2, 24}), "EEEEEE", {}, Texts::Rotation},
    {Modes({28}), "EEEEEE", {}, Texts::Vertical},
    {Modes({3, 9, 26}), "DDDDEE", {kNoColourLayout}},
    {Modes({4, 23}), "EEEDEE", {Enable(C::SevenColourSelectLayout, false)}},
    {Modes({5, 14}), "EEEDED"},
    {Modes({6, 7, 8, 11, 12, 13, 18, 25, 33}), "EEEDEE"},
    {Modes({10}), "DDDEEE", {kNoColourLayout}, Texts::Rising},
    {Modes({15}), "DDDDEE", {Show(C::SpeedLayout, false), Show(C::ZoneModeLayout, true),
                             kNoColourLayout}},
    {Modes({16}), "DDDEED", {kNoColourLayout}, Texts::Inward},
    {Modes({17}), "DDDDDD", {kNoColourLayout}},
    {Modes({19}), "DEDDED", {Show(C::SpeedLayout, false), Show(C::CustomLayout, true),
                             kNoColourLayout}},
    {Modes({21}), "DDDDED"},
    {Modes({27}), "DDDDEE"},
    {Modes({29}), "EEEEED", {Show(C::AudioModeLayout, true)}, Texts::Keep, 1},
    {Modes({30}), "DDDDED", {kNoColourLayout}},
    {0, "DDDDDD"},
};

constexpr C kMouseColumns[] = {C::SevenColourCheck, C::ColourLayout, C::PaletteLayout,
                               C::BrightnessLayout, C::SpeedLayout, C::FxLayout, C::RgbLayout};
constexpr Extra kMouseFirst[] = {
    Show(C::CustomLayout, false), Show(C::SameModeButton, false), Enable(C::FxLayout, true),
    Enable(C::EffectLayout, true),
};
constexpr RuleRow kMouseRows[] = {
    {Modes({0}), "DEEEDDE"},
    {Modes({1, 7}), "DEEEEDE"},
    {Modes({2, 3, 5}), "DDDEEDD"},
    {Modes({4}), "EDDEEDD"},
    {Modes({6}), "DDDDDD-"},
    {Modes({8}), "DDDEED-"},
    {Modes({10}), "EEEEED-"},
    {0, "DDDDDD-"},
};

constexpr C kPadColumns[] = {C::SevenColourCheck, C::ColourLayout, C::PaletteLayout,
                             C::BrightnessLayout, C::SpeedLayout, C::FxLayout};
constexpr Extra kPadFirst[] = {Show(C::SameModeButton, false), Enable(C::FxLayout, true)};
constexpr RuleRow kPadRows[] = {
    {Modes({0}), "EEEEEE"},
    {Modes({1}), "DDDEED"},
    {Modes({2, 4}), "EEEEED"},
    {Modes({3}), "DEEEDD"},
    {0, "DDDDDD"},
};

constexpr C kKind5Columns[] = {C::SevenColourCheck, C::ColourLayout, C::PaletteLayout,
                               C::BrightnessLayout, C::SpeedLayout};
constexpr RuleRow kKind5Rows[] = {
    {Modes({0, 2, 3}), "EEEEE"},
    {Modes({1}), "DEEED"},
    {Modes({4}), "DDDEE"},
    {0, "DDDDD"},
};
// clang-format on

constexpr RuleFamily kKeyboard{kKeyboardColumns, kKeyboardFirst, Texts::Horizontal, 0,
                               kKeyboardRows};
constexpr RuleFamily kMouse{kMouseColumns, kMouseFirst, Texts::Keep, -1, kMouseRows};
constexpr RuleFamily kPad{kPadColumns, kPadFirst, Texts::Keep, -1, kPadRows};
constexpr RuleFamily kKind5{kKind5Columns, {}, Texts::Keep, -1, kKind5Rows};

const RuleFamily* FamilyOf(int deviceKind) {
    switch (deviceKind) {
        case 1:
            return &kKeyboard;
        case 2:
            return &kMouse;
        case 3:
        case 4:
        case 7:
            return &kPad;
        case 5:
            return &kKind5;
        default:
            return nullptr;
    }
}

const RuleRow& RowOf(const RuleFamily& family, int mode) {
    const uint64_t bit = mode >= 0 && mode < 64 ? uint64_t{1} << mode : 0;
    for (const RuleRow& row : family.rows) {
        if (row.modes == 0 || (row.modes & bit) != 0)
            return row;
    }
    return family.rows.back();
}

void Apply(LightModeRules& rules, const Extra& extra) {
    if (extra.control == C::Count)
        return;
    ControlRule& target = rules.controls[static_cast<size_t>(extra.control)];
    if (extra.rule.enabled != Tri::Keep)
        target.enabled = extra.rule.enabled;
    if (extra.rule.visible != Tri::Keep)
        target.visible = extra.rule.visible;
}

void ApplyTexts(LightModeRules& rules, Texts texts) {
    if (texts == Texts::Keep)
        return;
    rules.fxLeftText = kTexts[static_cast<size_t>(texts)].left;
    rules.fxRightText = kTexts[static_cast<size_t>(texts)].right;
}

}  // namespace

const std::array<const char*, kLightControlCount>& LightControlNames() {
    static constexpr std::array<const char*, kLightControlCount> kNames = {
        "deng_7color_check",
        "deng_color_layout",
        "colorpallet_layout",
        "deng_fx_layout",
        "deng_light_layout",
        "deng_speed_layout",
        "deng_rgb_layout",
        "lighteffect_layout",
        "lightcustom_layout",
        "light_combo_ZZCCmodeSelectLayout",
        "light_color_layout",
        "deng_7colorselect_layout",
        "light_combo_AudiomodeSelectLayout",
        "deng_same_mode",
    };
    return kNames;
}

LightModeRules LightRulesFor(int deviceKind, int mode) {
    LightModeRules rules;
    const RuleFamily* family = FamilyOf(deviceKind);
    if (family == nullptr)
        return rules;
    for (const Extra& extra : family->first)
        Apply(rules, extra);
    ApplyTexts(rules, family->texts);
    rules.colourPage = family->colourPage;

    const RuleRow& row = RowOf(*family, mode);
    for (size_t i = 0; i < family->columns.size() && i < row.enabled.size(); ++i) {
        const char c = row.enabled[i];
        if (c == '-')
            continue;
        Apply(rules, {family->columns[i], {c == 'E' ? Tri::On : Tri::Off, Tri::Keep}});
    }
    for (const Extra& extra : row.extra)
        Apply(rules, extra);
    ApplyTexts(rules, row.texts);
    if (row.colourPage >= 0)
        rules.colourPage = row.colourPage;
    return rules;
}

int ClampColourComponent(std::string_view text) {
    if (text.empty())
        return 0;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return 0;
        value = value * 10 + (c - '0');
        if (value > 255)
            value = 256;  // stays above the limit without overflowing
    }
    return value > 255 ? 255 : value;
}

}  // namespace pages
