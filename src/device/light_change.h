// The one way a user's lighting change reaches a device: take the device's
// live settings, change one field, store them in the profile, send the
// settings record, save the profile and refresh the page. The edit itself is
// plain data so the page, the tests and the benchmark build it the same way.
#pragma once

#include <array>
#include <cstdint>

#include "profile/profile_types.h"

namespace device {

class CVornelUSBDevice;

enum class LightField : uint8_t {
    Mode,         // SelectItem
    ZoneMode,     // ZZCCLedMode
    CustomGroup,  // CustomGroup
    Brightness,   // Light
    Speed,        // Speed
    Direction,    // Fx: 1 for the left option, 0 for the right one
    MultiColour,  // MultiColor 0/1
    Colour,       // Red, Green, Blue; MultiColor becomes 0
    Red,          // one component; MultiColor becomes 0
    Green,
    Blue,
};

struct LightEdit {
    LightField field = LightField::Mode;
    int value = 0;  // the field's value; a colour for Colour (0xAARRGGBB)
};

// `light` with the edit applied. Values are clamped to a byte (colour
// components to 0..255, flags to 0/1), so a value never spills into the
// neighbouring field.
profile::LightInfo ApplyLightEdit(profile::LightInfo light, const LightEdit& edit);

// Runs the change path on `device` (null: nothing). Returns the settings
// transfer's result (1 sent, 0 nothing sent, below 0 a failure); the profile
// is stored and saved whatever the transfer gave, as the device shows it.
int ChangeLight(CVornelUSBDevice* device, const LightEdit& edit);

// Stores music-lighting colours on the device, saves and refreshes.
void ChangeAudioLight(CVornelUSBDevice* device, const profile::AudioLightInfo& audio);
profile::AudioLightInfo AudioLightOf(const CVornelUSBDevice& device);
profile::AudioLightInfo AudioLightOf(const std::array<uint32_t, 3>& words);
std::array<uint32_t, 3> AudioWordsOf(const profile::AudioLightInfo& audio);

}  // namespace device
