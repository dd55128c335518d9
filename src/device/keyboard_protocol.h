// The keyboard's command set as plain data: the factory key codes of the 170
// key buttons, the device information block, the 28-byte settings record,
// the macro image, the battery status, and the key maps built from the
// device's own tables. No I/O here; CVornelKeyboardDevice moves these bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "macro/macro_files.h"
#include "profile/profile_types.h"

namespace device {

inline constexpr int kKeyButtons = 170;
inline constexpr uint8_t kUnmappedKey = 255;
// The key table (3 bytes per key) must fit the device's 512-byte table.
inline constexpr int kMaxDeviceKeys = 170;

// Keyboard commands.
inline constexpr uint8_t kCmdReadInfo = 0x03;
inline constexpr uint8_t kCmdReadSettings = 0x05;
inline constexpr uint8_t kCmdWriteSettings = 0x06;
inline constexpr uint8_t kCmdReadKeyTable = 0x07;
inline constexpr uint8_t kCmdWriteKeyTable = 0x09;
inline constexpr uint8_t kCmdWriteMacros = 0x15;
inline constexpr uint8_t kCmdReadStatus = 0x1A;
inline constexpr uint8_t kCmdReadLedTable = 0x1B;
inline constexpr uint8_t kCmdLightControl = 0x1C;

using KeyCode = std::array<uint8_t, 3>;  // type, code1, code2

// The factory function of each key button; it identifies the physical key in
// the device's key table.
const std::array<KeyCode, kKeyButtons>& KeyboardDefaultCodes();
inline KeyCode CodeOf(const profile::KeyAssignment& a) {
    return {a.type, a.code1, a.code2};
}

struct DeviceInfoBlock {
    static constexpr size_t kSize = 34;
    std::array<uint8_t, kSize> bytes{};
    int KeyCount() const { return bytes[5]; }
    // Macro memory in bytes (byte 6 counts 128-byte units).
    int MacroCapacity() const { return bytes[6] * 128; }
};

// The decoded settings as the keyboard keeps them (24 bytes).
namespace device_light {
inline constexpr size_t kSlot = 0, kMode = 1, kBrightness = 2, kSpeed = 3, kDirection = 4,
                        kMultiColour = 5, kRed = 6, kGreen = 7, kBlue = 8, kZoneMode = 21,
                        kCustomGroup = 22, kBackgroundOff = 23;
}
using DeviceLight = std::array<uint8_t, 24>;

// The 28-byte settings record in device memory; slot s lies at s × 25.
struct DeviceLightRecord {
    static constexpr size_t kSize = 28;
    static constexpr uint32_t kSlotStride = 25;
    // The device's "the program drives the LEDs" mode value.
    static constexpr uint8_t kProgramDriven = 0xFE;
    std::array<uint8_t, kSize> bytes{};

    // Builds the record written with 0x06. `modeValue` is the device's number
    // for the light's mode; `previous` supplies bytes 13 and 14.
    static DeviceLightRecord Build(uint8_t value, uint8_t modeValue,
                                   const profile::LightInfo& light,
                                   const profile::KeyboardSystemStages& stages,
                                   const std::array<uint8_t, kSize>& previous);
    // Speed levels run 0..4 and the device counts them the other way round;
    // values beyond the range are held at its ends.
    static uint8_t SpeedToDevice(uint8_t speed) { return speed >= 4 ? 0 : 4 - speed; }
    static uint8_t SpeedFromDevice(uint8_t b) { return b >= 4 ? 0 : 4 - b; }
};

// Mode value sent for mode index `index`; false when the table lacks it.
// The program-driven modes 29 and 30 go out as 0xFE.
bool ModeValueOf(const std::vector<int>& modeValues, int index, uint8_t& value);
// Mode index of a device mode value; -1 when the table lacks it.
int ModeIndexOf(const std::vector<int>& modeValues, uint8_t value);

// The image written with 0x15.
class MacroImage {
  public:
    static constexpr size_t kHeaderSize = 16;
    static constexpr size_t kMaxEvents = 250;
    static size_t SizeFor(const std::vector<std::vector<macro::MacroEvent>>& macros);
    // The whole image, macros in download order.
    static std::vector<uint8_t> Build(const std::vector<std::vector<macro::MacroEvent>>& macros);
};

struct BatteryStatus {
    static constexpr size_t kSize = 6;
    std::array<uint8_t, kSize> bytes{};
    int Level() const { return bytes[0]; }
    int ChargeState() const { return bytes[1]; }
    bool LevelValid() const { return bytes[0] <= 100; }
};

// Key button → device key and LED, 255 where the device lacks the key.
struct KeyMaps {
    std::array<uint8_t, kKeyButtons> deviceIndex{};
    std::array<uint8_t, kKeyButtons> led{};
    int keyCount = 0;
    KeyMaps() {
        deviceIndex.fill(kUnmappedKey);
        led.fill(kUnmappedKey);
    }
};
// `keyDefaults` holds 3 bytes per device key, `keyLeds` 1 byte per key.
KeyMaps BuildKeyMaps(const uint8_t* keyDefaults, const uint8_t* keyLeds, int keyCount);

// The key buttons whose assignments go to the device, in download order:
// mapped, within `listSize`, and the first button of their device key (a
// later button with the same factory code must not overwrite a remap).
std::vector<int> DownloadKeys(const KeyMaps& maps, size_t listSize);

// Macro numbers referenced by `list` (below `macroCount`), deduplicated, in
// download order: position p in the result is macro p on the device.
std::vector<int> CollectMacroRefs(const KeyMaps& maps,
                                  const std::vector<profile::KeyListEntry>& list, int macroCount);
// The key table written with 0x09: every key starts with its factory code;
// macro assignments carry the macro's download position, or fall back to the
// key's default when the macro no longer exists.
std::vector<uint8_t> BuildKeyTable(const KeyMaps& maps, const uint8_t* keyDefaults,
                                   const std::vector<profile::KeyListEntry>& list, int macroCount);

// The macro list of a device folder: the identifier of each entry.
struct MacroList {
    bool ok = false;      // false when "macro.config" is missing or broken
    bool broken = false;  // it exists but cannot be read or parsed
    std::vector<std::string> guids;
};
MacroList ReadMacroList(const std::string& folder);

}  // namespace device
