// The four device models the main window creates a page, an entry and a
// device object for, and the page facts of each.
#pragma once

#include <array>
#include <cstdint>

namespace device {

struct DeviceModel {
    const char* optionLayout;
    const char* tabHeader;
    const char* powerSwitch;
    const char* kindName;  // the device folder
    int deviceIndex;
    uint16_t vendorId;
    uint16_t productId;
    uint16_t deviceType;
    uint16_t variant;
    // Page facts.
    int ledCount;
    int keyButtonCount;
    bool batteryWidget;
    const char* pageLayout;
    const char* lightConfigName;
};

inline constexpr const char* kDeviceOptionLayout = "XML/CustomControlXML/DeviceOption.ui";

inline constexpr std::array<DeviceModel, 4> kDeviceModels = {{
    {kDeviceOptionLayout, "tab_header_device", "device_power_switch", "keyboard", 0, 0x320F, 0x22AB,
     1, 0, 170, 170, true, "XML/DeviceXml/keyboarddevice_7322.ui", "tavik_light"},
    {kDeviceOptionLayout, "tab_header_device", "device_power_switch", "mouse", 1, 0x0000, 0x0000, 2,
     0, 15, 11, true, "XML/DeviceXml/mousedevice.ui", "tavik_light"},
    {kDeviceOptionLayout, "tab_header_device", "device_power_switch", "MousePad", 2, 0x320F, 0x1004,
     3, 0, 15, 0, false, "XML/DeviceXml/mousepaddevice.ui", "tavik_light"},
    {kDeviceOptionLayout, "tab_header_device", "device_power_switch", "HD", 3, 0x0C76, 0x1630, 7, 0,
     13, 0, false, "XML/DeviceXml/ri6533device.ui", "tavik_light"},
}};

// First model row with these values, -1 when none.
inline int FindDeviceModel(uint16_t vendorId, uint16_t productId, uint16_t deviceType,
                           uint16_t variant) {
    for (size_t i = 0; i < kDeviceModels.size(); ++i) {
        const DeviceModel& m = kDeviceModels[i];
        if (m.vendorId == vendorId && m.productId == productId && m.deviceType == deviceType &&
            m.variant == variant) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace device
