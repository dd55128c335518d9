#include "pages/battery_status.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

using pages::BatteryDisplayChange;
using pages::BatteryWidgetModel;
using pages::PhonePicture;

namespace {
BatteryDisplayChange Apply(BatteryWidgetModel& m, std::vector<uint8_t> bytes) {
    return m.SetBatteryStatus(bytes);
}
}  // namespace

TEST(BatteryWidget, LevelShowsAsPercentAndAboveHundredAsFull) {
    BatteryWidgetModel m;
    EXPECT_EQ(m.ShownLevel(), -1);
    auto c = Apply(m, {85, 0, 0, 0, 0, 0});
    EXPECT_EQ(c.levelText, "85%");
    EXPECT_EQ(c.progressValue, 15);
    EXPECT_EQ(m.ShownLevel(), 85);

    c = Apply(m, {0});
    EXPECT_EQ(c.levelText, "0%");
    EXPECT_EQ(c.progressValue, 100);
    c = Apply(m, {100});
    EXPECT_EQ(c.levelText, "100%");
    EXPECT_EQ(c.progressValue, 0);
    for (int level : {101, 150, 255}) {
        c = Apply(m, {static_cast<uint8_t>(level)});
        EXPECT_EQ(c.levelText, "100%") << level;
        EXPECT_EQ(c.progressValue, 0) << level;
        EXPECT_EQ(m.ShownLevel(), 100);
    }
}

TEST(BatteryWidget, ChargeStateSelectsTheStatusImage) {
    BatteryWidgetModel m;
    EXPECT_EQ(Apply(m, {50, 0}).statusImage, "file='power/powered.png'");
    EXPECT_EQ(Apply(m, {50, 1}).statusImage, "file='power/powering.png'");
    EXPECT_EQ(Apply(m, {50, 2}).statusImage, "file='power/power.png'");
    for (int state = 3; state < 256; ++state) {
        EXPECT_FALSE(Apply(m, {50, static_cast<uint8_t>(state)}).statusImage) << state;
    }
}

TEST(BatteryWidget, WirelessMarkFollowsByteThreeAndByteTwoAndFourAreIgnored) {
    BatteryWidgetModel m;
    EXPECT_EQ(Apply(m, {50, 0, 0, 0}).wirelessLogoVisible, false);
    EXPECT_EQ(Apply(m, {50, 0, 0, 1}).wirelessLogoVisible, true);
    EXPECT_EQ(Apply(m, {50, 0, 0, 0xFF}).wirelessLogoVisible, true);
    const auto a = Apply(m, {50, 0, 0x00, 1, 0x00, 0});
    const auto b = Apply(m, {50, 0, 0xFF, 1, 0xFF, 0});
    EXPECT_EQ(a.levelText, b.levelText);
    EXPECT_EQ(a.statusImage, b.statusImage);
    EXPECT_EQ(a.wirelessLogoVisible, b.wirelessLogoVisible);
}

TEST(BatteryWidget, PhonePictureOnlyForItsKind) {
    BatteryWidgetModel pad;
    pad.SetWidgetKind(pages::kBatteryKindWithPhone, 7);
    EXPECT_EQ(pad.WidgetKindValue(), 7);
    EXPECT_EQ(Apply(pad, {50, 0, 0, 0, 0, 1}).phone,
              (PhonePicture{"Phone_type_iphone", "file='power/Phone_type_iphone.png'"}));
    EXPECT_EQ(Apply(pad, {50, 0, 0, 0, 0, 2}).phone,
              (PhonePicture{"Phone_type_samsung", "file='power/Phone_type_samsung.png'"}));
    EXPECT_EQ(Apply(pad, {50, 0, 0, 0, 0, 3}).phone,
              (PhonePicture{"Phone_type_other", "file='power/Phone_type_other.png'"}));
    for (int type : {0, 4, 255}) {
        EXPECT_EQ(Apply(pad, {50, 0, 0, 0, 0, static_cast<uint8_t>(type)}).phone->tooltipId,
                  "Phone_type_no_device");
    }
    BatteryWidgetModel keyboard;
    keyboard.SetWidgetKind(1, 0);
    for (int type = 0; type < 256; ++type) {
        EXPECT_FALSE(Apply(keyboard, {50, 0, 0, 0, 0, static_cast<uint8_t>(type)}).phone);
    }
}

TEST(BatteryWidget, ShortRecordsChangeOnlyWhatTheirBytesCover) {
    BatteryWidgetModel m;
    m.SetWidgetKind(pages::kBatteryKindWithPhone, 0);
    const std::array<uint8_t, 6> full{37, 1, 0, 1, 9, 2};
    for (size_t length = 0; length <= full.size(); ++length) {
        // Only the first `length` bytes exist; the record is copied so that
        // a read past them is caught by the address sanitizer.
        const std::vector<uint8_t> bytes(full.begin(), full.begin() + length);
        const auto c = m.SetBatteryStatus(bytes);
        EXPECT_EQ(c.levelText.has_value(), length >= 1) << length;
        EXPECT_EQ(c.progressValue.has_value(), length >= 1) << length;
        EXPECT_EQ(c.statusImage.has_value(), length >= 2) << length;
        EXPECT_EQ(c.wirelessLogoVisible.has_value(), length >= 4) << length;
        EXPECT_EQ(c.phone.has_value(), length >= 6) << length;
    }
    BatteryWidgetModel fresh;
    Apply(fresh, {});
    EXPECT_EQ(fresh.ShownLevel(), -1);
    // Longer records: the bytes after the sixth mean nothing here.
    std::vector<uint8_t> big(64, 0);
    big[0] = 37;
    EXPECT_EQ(m.SetBatteryStatus(big).levelText, "37%");
}
