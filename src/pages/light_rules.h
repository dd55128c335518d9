// The lighting page's per-mode rules: which of its controls a lighting mode
// enables, disables, shows or hides for each device kind, and the direction
// texts and colour page it selects. The rows are data; LightRulesFor reads
// them, and the Qt page only applies the answer to its controls.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace pages {

enum class LightControl : uint8_t {
    SevenColourCheck,         // "deng_7color_check"
    ColourLayout,             // "deng_color_layout"
    PaletteLayout,            // "colorpallet_layout"
    FxLayout,                 // "deng_fx_layout"
    BrightnessLayout,         // "deng_light_layout"
    SpeedLayout,              // "deng_speed_layout"
    RgbLayout,                // "deng_rgb_layout"
    EffectLayout,             // "lighteffect_layout"
    CustomLayout,             // "lightcustom_layout"
    ZoneModeLayout,           // "light_combo_ZZCCmodeSelectLayout"
    LightColourLayout,        // "light_color_layout"
    SevenColourSelectLayout,  // "deng_7colorselect_layout"
    AudioModeLayout,          // "light_combo_AudiomodeSelectLayout"
    SameModeButton,           // "deng_same_mode"
    Count,
};
inline constexpr size_t kLightControlCount = static_cast<size_t>(LightControl::Count);

// The skin's control names, indexed by LightControl.
const std::array<const char*, kLightControlCount>& LightControlNames();

// Keep leaves the control as the previous mode left it.
enum class Tri : uint8_t { Keep, Off, On };

struct ControlRule {
    Tri enabled = Tri::Keep;
    Tri visible = Tri::Keep;
    bool operator==(const ControlRule&) const = default;
};

struct LightModeRules {
    std::array<ControlRule, kLightControlCount> controls{};
    // Language ids for "deng_FXL_check" / "deng_FXR_check"; null leaves them.
    const char* fxLeftText = nullptr;
    const char* fxRightText = nullptr;
    int colourPage = -1;  // page of "light_color_tablayout"; -1 leaves it

    const ControlRule& operator[](LightControl c) const { return controls[static_cast<size_t>(c)]; }
};

// Device kinds 1 (keyboard), 2 (mouse), 3, 4 and 7 (mouse pad rules) and 5
// have rules; any other kind changes nothing. Modes index the device's own
// mode list; a mode no row names takes its kind's "any other" row.
LightModeRules LightRulesFor(int deviceKind, int mode);

// The value a colour component edit stands for: decimal digits only, above
// 255 gives 255; empty, negative or any other text gives 0. The page writes
// the result back into the edit, so what is shown is what is sent.
int ClampColourComponent(std::string_view text);

}  // namespace pages
