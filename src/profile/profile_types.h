// The records a profile holds, as the device objects and pages use them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace profile {

// Lighting settings, 15 bytes in the device objects' layout.
struct LightInfo {
    uint8_t SelectItem = 0;  // mode index (position in the mode list)
    uint8_t Light = 0;       // brightness level
    uint8_t Speed = 0;       // speed level
    uint8_t Fx = 0;          // direction
    uint8_t MultiColor = 0;  // 1 = colourful variant
    uint8_t Red = 0;
    uint8_t Green = 0;
    uint8_t Blue = 0;
    uint8_t reserved8 = 0;     // not stored in files
    uint8_t reserved9 = 0;     // not stored in files
    uint8_t present = 0;       // LightList items: 1 when the item exists in the file
    uint8_t ZZCCLedMode = 0;   // mode of the secondary zone
    uint8_t CustomGroup = 0;   // per-key custom colour group
    uint8_t OldLedmode = 0;    // mode to return to
    uint8_t CloseBkLight = 0;  // 1 = background light off
    bool operator==(const LightInfo&) const = default;
};
static_assert(sizeof(LightInfo) == 15);

struct AudioLightInfo {
    uint8_t AudioMode = 0;
    uint8_t BkColorR = 0, BkColorG = 0, BkColorB = 0;
    uint8_t FgColorR = 0, FgColorG = 0, FgColorB = 0;
    uint8_t SevenColorFlags = 0;  // "7ColorFlags"
    uint8_t ColorTypeFlags = 0;
    bool operator==(const AudioLightInfo&) const = default;
};
static_assert(sizeof(AudioLightInfo) == 9);

// Macro assignments: code1 is the macro's index in the macro list.
inline constexpr uint8_t kMacroTypeA = 0x70;
inline constexpr uint8_t kMacroTypeB = 0x71;

struct KeyAssignment {
    uint16_t keyIndex = 0;
    uint8_t type = 0;
    uint8_t code1 = 0;
    uint8_t code2 = 0;
    uint32_t Persisted() const {
        return static_cast<uint32_t>(type) << 16 | static_cast<uint32_t>(code1) << 8 | code2;
    }
    static KeyAssignment FromPersisted(uint16_t index, int64_t value) {
        return {index, static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 8),
                static_cast<uint8_t>(value)};
    }
    bool IsMacro() const { return type == kMacroTypeA || type == kMacroTypeB; }
    bool operator==(const KeyAssignment&) const = default;
};

struct KeyListEntry {
    KeyAssignment Assignment;
    KeyAssignment DefaultAssignment;
    bool operator==(const KeyListEntry&) const = default;
};

struct LedEffectStep {
    uint8_t LEDREGMode = 0, LEDBrightness = 0, LEDSpeed = 0, LEDDirection = 0, LEDMultiColor = 0;
    uint8_t red = 0, green = 0, blue = 0;
    int32_t Time = 0;
    int32_t Cyle = 0;
    bool operator==(const LedEffectStep&) const = default;
};

struct LightColorInfo {
    uint8_t Red = 0, Green = 0, Blue = 0, Alpha = 0;
    bool operator==(const LightColorInfo&) const = default;
};

struct KeyboardSystemStages {
    uint16_t Repeat = 0, RepeatDelay = 0, Key6Flag = 0, PollingRate = 0, WFlag = 0, WinFlag = 0;
    bool operator==(const KeyboardSystemStages&) const = default;
};

#pragma pack(push, 1)
struct DpiStage {
    uint8_t StageActive = 0;
    uint8_t StageXY = 0;
    uint16_t StageDPIX = 0;  // little-endian in the device record
    uint16_t StageDPIY = 0;
    uint8_t StageColorR = 0, StageColorG = 0, StageColorB = 0;
    bool operator==(const DpiStage&) const = default;
};
#pragma pack(pop)
static_assert(sizeof(DpiStage) == 9);

struct MouseSystemStages {
    uint16_t DoubleClickTime = 0, MouseSpeed = 0, PointerPrecision = 0, ScorllPage = 0,
             WheelScorlllinse = 0;
    uint16_t ReportRate = 0;  // StageActive of ReportStages
    uint16_t ble_sleep1 = 0, ble_sleep2 = 0, device_sleep1 = 0, device_sleep2 = 0;
    uint16_t Logoledmode = 0, AntiShakeTime = 0;
    bool operator==(const MouseSystemStages&) const = default;
};

struct SystemSetStages {
    int32_t MagicEnable = 0, MagicType = 0, EqType = 0, CustomEqSeletIndex = 0, MicInSelect = 0,
            MicInValue = 0, MicMoniterSelect = 0, MicMoniterValue = 0;
    bool operator==(const SystemSetStages&) const = default;
};

// Bounds on indices that come from files, so no array is grown to a size a
// file dictates.
inline constexpr int kMaxDeviceSlots = 13;
inline constexpr int kMaxKeys = 170;
inline constexpr int kMaxCustomGroups = 32;
inline constexpr int kMaxEqBands = 10;
inline constexpr int kMaxEqPresets = 12;
inline constexpr int kMaxCustomEqs = 20;
inline constexpr int kMaxDpiStages = 7;

}  // namespace profile
