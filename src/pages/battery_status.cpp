#include "pages/battery_status.h"

#include <algorithm>

namespace pages {
namespace {

enum : size_t { kLevel = 0, kChargeState = 1, kWireless = 3, kPhoneType = 5 };

std::optional<std::string> ChargeStateImage(uint8_t state) {
    switch (state) {
        case 0:
            return "file='power/powered.png'";
        case 1:
            return "file='power/powering.png'";
        case 2:
            return "file='power/power.png'";
        default:
            return std::nullopt;
    }
}

PhonePicture PhoneFor(uint8_t type) {
    const char* name = type == 1   ? "Phone_type_iphone"
                       : type == 2 ? "Phone_type_samsung"
                       : type == 3 ? "Phone_type_other"
                                   : "Phone_type_no_device";
    return {name, std::string("file='power/") + name + ".png'"};
}

}  // namespace

BatteryDisplayChange BatteryWidgetModel::SetBatteryStatus(std::span<const uint8_t> record) {
    BatteryDisplayChange change;
    if (record.size() > kLevel) {
        // A firmware level above 100 would make the bar's empty part
        // negative; it shows as full instead.
        shownLevel_ = std::min<int>(record[kLevel], 100);
        change.progressValue = 100 - shownLevel_;
        change.levelText = std::to_string(shownLevel_) + "%";
    }
    if (record.size() > kChargeState)
        change.statusImage = ChargeStateImage(record[kChargeState]);
    if (record.size() > kWireless)
        change.wirelessLogoVisible = record[kWireless] != 0;
    if (record.size() > kPhoneType && kind_ == kBatteryKindWithPhone) {
        change.phone = PhoneFor(record[kPhoneType]);
    }
    return change;
}

}  // namespace pages
