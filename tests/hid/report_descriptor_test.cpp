#include "hid/report_descriptor.h"

#include <gtest/gtest.h>

#include "hid/test_descriptors.h"

using namespace hid;

namespace {

std::vector<ReportDescriptorInfo> ParseOk(const std::vector<uint8_t>& d) {
    std::vector<ReportDescriptorInfo> c;
    EXPECT_TRUE(ReportDescriptorInfo::Parse(d.data(), d.size(), c));
    return c;
}

std::vector<uint16_t> Usages(const ReportDescriptorInfo& info, uint16_t page,
                             const std::vector<uint8_t>& report, uint32_t* status = nullptr) {
    uint16_t buf[32] = {};
    uint32_t n = 32;
    const uint32_t s = info.GetUsages(ReportType::Input, page, buf, n, report.data(),
                                      static_cast<uint32_t>(report.size()));
    if (status) {
        *status = s;
    }
    return s == kHidStatusSuccess ? std::vector<uint16_t>(buf, buf + n) : std::vector<uint16_t>{};
}

}  // namespace

TEST(ReportDescriptor, BootKeyboard) {
    auto c = ParseOk(hid_test::kBootKeyboard);
    ASSERT_EQ(c.size(), 1u);
    const ReportDescriptorInfo& kb = c[0];
    EXPECT_EQ(kb.Caps().usagePage, 0x01);
    EXPECT_EQ(kb.Caps().usage, 0x06);
    EXPECT_FALSE(kb.InterfaceUsesReportIds());
    EXPECT_EQ(kb.Caps().inputReportByteLength, 9);  // leading 0 + 8 bytes
    EXPECT_EQ(kb.Caps().outputReportByteLength, 2);
    EXPECT_EQ(kb.Caps().featureReportByteLength, 0);

    const auto& in = kb.ButtonCapabilities(ReportType::Input);
    ASSERT_EQ(in.size(), 2u);
    EXPECT_TRUE(in[0].isRange);
    EXPECT_FALSE(in[0].isArray);
    EXPECT_EQ(in[0].usageMin, 0xE0);
    EXPECT_EQ(in[0].usageMax, 0xE7);
    EXPECT_TRUE(in[1].isArray);
    EXPECT_EQ(in[1].usageMax, 0x65);
    EXPECT_EQ(in[1].bitPosition, 16);
    EXPECT_EQ(in[1].reportCount, 6);
    const auto& leds = kb.ButtonCapabilities(ReportType::Output);
    ASSERT_EQ(leds.size(), 1u);
    EXPECT_EQ(leds[0].usagePage, 0x08);
    EXPECT_EQ(leds[0].reportType, ReportType::Output);

    EXPECT_EQ(kb.MaxUsageListLength(ReportType::Input, 0x07), 8u + 6u);
    EXPECT_EQ(kb.MaxUsageListLength(ReportType::Output, 0x08), 5u);

    // Left shift + A + B; the array's 0 entries select nothing.
    const std::vector<uint8_t> report = {0, 0x02, 0, 0x04, 0x05, 0, 0, 0, 0};
    EXPECT_EQ(Usages(kb, 0x07, report), (std::vector<uint16_t>{0xE1, 0x04, 0x05}));

    uint32_t status = 0;
    Usages(kb, 0x07, {0, 0x02, 0}, &status);
    EXPECT_EQ(status, kHidStatusInvalidReportLength);
    Usages(kb, 0x09, report, &status);
    EXPECT_EQ(status, kHidStatusUsageNotFound);

    uint16_t two[2];
    uint32_t n = 2;
    EXPECT_EQ(kb.GetUsages(ReportType::Input, 0x07, two, n, report.data(), 9),
              kHidStatusBufferTooSmall);
    EXPECT_EQ(n, 3u);
}

TEST(ReportDescriptor, ConsumerControl) {
    auto c = ParseOk(hid_test::kConsumerControl);
    ASSERT_EQ(c.size(), 1u);
    EXPECT_EQ(c[0].Caps().usagePage, 0x0C);
    EXPECT_EQ(c[0].Caps().usage, 0x01);
    EXPECT_TRUE(c[0].InterfaceUsesReportIds());
    EXPECT_EQ(c[0].Caps().inputReportByteLength, 3);
    EXPECT_EQ(Usages(c[0], 0x0C, {3, 0xE9, 0x00}), (std::vector<uint16_t>{0xE9}));
    EXPECT_EQ(Usages(c[0], 0x0C, {3, 0x23, 0x02}), (std::vector<uint16_t>{0x223}));
    EXPECT_TRUE(Usages(c[0], 0x0C, {3, 0, 0}).empty());
    // Beyond the logical maximum: no usage.
    EXPECT_TRUE(Usages(c[0], 0x0C, {3, 0x00, 0x03}).empty());
    uint32_t status = 0;
    Usages(c[0], 0x0C, {5, 0xE9, 0x00}, &status);
    EXPECT_EQ(status, kHidStatusIncompatibleReportId);
}

TEST(ReportDescriptor, MultiCollectionWithReportIds) {
    auto c = ParseOk(hid_test::kKeyboardInterface);
    ASSERT_EQ(c.size(), 4u);
    EXPECT_EQ(c[0].Caps().usage, 0x06);
    EXPECT_EQ(c[0].Caps().inputReportByteLength, 17);
    EXPECT_EQ(c[1].Caps().usage, 0x80);
    EXPECT_EQ(c[2].Caps().usagePage, 0x0C);
    EXPECT_EQ(c[2].Caps().usage, 0x01);
    EXPECT_EQ(c[2].Caps().outputReportByteLength, 0);
    const ReportDescriptorInfo& vendor = c[3];
    EXPECT_EQ(vendor.Caps().usagePage, 0xFF1C);
    EXPECT_EQ(vendor.Caps().usage, 0x92);
    EXPECT_EQ(vendor.Caps().inputReportByteLength, 64);
    EXPECT_EQ(vendor.Caps().outputReportByteLength, 64);
    ASSERT_EQ(vendor.ValueCapabilities(ReportType::Input).size(), 1u);
    const ValueCaps& v = vendor.ValueCapabilities(ReportType::Input)[0];
    EXPECT_EQ(v.reportId, 4);
    EXPECT_EQ(v.reportCount, 63);
    EXPECT_EQ(v.usageMin, 0x01);

    EXPECT_EQ(CollectionForInputReport(c, 1), 0);
    EXPECT_EQ(CollectionForInputReport(c, 3), 2);
    EXPECT_EQ(CollectionForInputReport(c, 4), 3);
    EXPECT_EQ(CollectionForInputReport(c, 9), -1);
    EXPECT_EQ(CollectionForInputReport(c, 0), -1);

    // Keyboard bitmap: modifier bit 0 and key usage 0x04 (bit 4 of byte 2).
    std::vector<uint8_t> keys(17, 0);
    keys[0] = 1;
    keys[1] = 0x01;
    keys[2] = 0x10;
    EXPECT_EQ(Usages(c[0], 0x07, keys), (std::vector<uint16_t>{0xE0, 0x04}));

    std::vector<uint8_t> answer(64, 0);
    answer[0] = 4;
    answer[1] = 0xAB;
    uint32_t raw = 0;
    EXPECT_EQ(vendor.GetUsageValue(ReportType::Input, 0xFF1C, 0x01, raw, answer.data(), 64),
              kHidStatusSuccess);
    EXPECT_EQ(raw, 0xABu);
}

TEST(ReportDescriptor, MouseRangedButtonsAndSignedValues) {
    auto c = ParseOk(hid_test::kMouse);
    ASSERT_EQ(c.size(), 1u);
    const ReportDescriptorInfo& m = c[0];
    EXPECT_EQ(m.Caps().usage, 0x02);
    EXPECT_EQ(m.Caps().numberLinkCollectionNodes, 2);
    EXPECT_EQ(m.Caps().inputReportByteLength, 5);
    ASSERT_EQ(m.ButtonCapabilities(ReportType::Input).size(), 1u);
    EXPECT_EQ(m.ButtonCapabilities(ReportType::Input)[0].usageMin, 1);
    EXPECT_EQ(m.ButtonCapabilities(ReportType::Input)[0].usageMax, 5);
    const auto& values = m.ValueCapabilities(ReportType::Input);
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[0].usageMin, 0x30);
    EXPECT_EQ(values[1].usageMin, 0x31);
    EXPECT_EQ(values[1].bitPosition, 16);
    EXPECT_EQ(values[2].usageMin, 0x38);
    EXPECT_EQ(values[0].logicalMin, -127);

    // Buttons 1 and 3, X = -1, Y = +5, wheel = -127.
    const std::vector<uint8_t> r = {0, 0x05, 0xFF, 0x05, 0x81};
    EXPECT_EQ(Usages(m, 0x09, r), (std::vector<uint16_t>{1, 3}));
    uint32_t raw = 0;
    int32_t scaled = 0;
    EXPECT_EQ(m.GetUsageValue(ReportType::Input, 1, 0x30, raw, r.data(), 5), kHidStatusSuccess);
    EXPECT_EQ(raw, 0xFFu);  // raw bits, not sign-extended
    EXPECT_EQ(m.GetScaledUsageValue(ReportType::Input, 1, 0x30, scaled, r.data(), 5),
              kHidStatusSuccess);
    EXPECT_EQ(scaled, -1);
    EXPECT_EQ(m.GetScaledUsageValue(ReportType::Input, 1, 0x31, scaled, r.data(), 5),
              kHidStatusSuccess);
    EXPECT_EQ(scaled, 5);
    EXPECT_EQ(m.GetScaledUsageValue(ReportType::Input, 1, 0x38, scaled, r.data(), 5),
              kHidStatusSuccess);
    EXPECT_EQ(scaled, -127);
    // -128 lies outside -127..127 and the field has no null state.
    const std::vector<uint8_t> outside = {0, 0, 0x80, 0, 0};
    EXPECT_EQ(m.GetScaledUsageValue(ReportType::Input, 1, 0x30, scaled, outside.data(), 5),
              kHidStatusValueOutOfRange);
    EXPECT_EQ(m.GetUsageValue(ReportType::Input, 1, 0x32, raw, r.data(), 5),
              kHidStatusUsageNotFound);
}

TEST(ReportDescriptor, ScalingNullStateAndRangedValues) {
    // Two ranged 12-bit axes with a physical range, a hat switch with a
    // null state, and a 16-bit logical maximum that must read as unsigned.
    const std::vector<uint8_t> d = {0x05, 0x01, 0x09, 0x04, 0xA1, 0x01, 0x19, 0x30, 0x29, 0x31,
                                    0x15, 0x00, 0x26, 0xFF, 0x0F, 0x35, 0x00, 0x46, 0xE8, 0x03,
                                    0x75, 0x0C, 0x95, 0x02, 0x81, 0x02, 0x09, 0x39, 0x15, 0x00,
                                    0x25, 0x07, 0x35, 0x00, 0x46, 0x3B, 0x01, 0x75, 0x04, 0x95,
                                    0x01, 0x81, 0x42, 0x75, 0x04, 0x95, 0x01, 0x81, 0x01, 0xC0};
    auto c = ParseOk(d);
    ASSERT_EQ(c.size(), 1u);
    const auto& values = c[0].ValueCapabilities(ReportType::Input);
    ASSERT_EQ(values.size(), 2u);
    EXPECT_TRUE(values[0].isRange);
    EXPECT_EQ(values[0].usageMax, 0x31);
    EXPECT_EQ(values[0].logicalMax, 4095);
    EXPECT_TRUE(values[1].hasNull);
    EXPECT_EQ(c[0].Caps().inputReportByteLength, 5);

    // X = 4095, Y = 0x800, hat = 2 then hat = 8 (null).
    std::vector<uint8_t> r = {0, 0xFF, 0x0F, 0x80, 0x02};
    int32_t v = 0;
    EXPECT_EQ(c[0].GetScaledUsageValue(ReportType::Input, 1, 0x30, v, r.data(), 5),
              kHidStatusSuccess);
    EXPECT_EQ(v, 1000);
    EXPECT_EQ(c[0].GetScaledUsageValue(ReportType::Input, 1, 0x31, v, r.data(), 5),
              kHidStatusSuccess);
    EXPECT_EQ(v, 0x800 * 1000 / 4095);
    EXPECT_EQ(c[0].GetScaledUsageValue(ReportType::Input, 1, 0x39, v, r.data(), 5),
              kHidStatusSuccess);
    EXPECT_EQ(v, 2 * 315 / 7);
    r[4] = 0x08;
    EXPECT_EQ(c[0].GetScaledUsageValue(ReportType::Input, 1, 0x39, v, r.data(), 5), kHidStatusNull);
}

TEST(ReportDescriptor, RejectsMalformedDescriptors) {
    const std::vector<std::vector<uint8_t>> bad = {
        {},
        {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01},              // collection never closed
        {0xC0},                                            // end without collection
        {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x26, 0xFF},  // item cut short
        {0x85, 0x00, 0xA1, 0x01, 0xC0},                    // report id 0
        {0xB4, 0xA1, 0x01, 0xC0},                          // pop without push
        {0x05, 0x01, 0x09, 0x06},                          // no collection at all
        // a report longer than a 16-bit length can describe
        {0xA1, 0x01, 0x75, 0x20, 0x97, 0x00, 0x00, 0x01, 0x00, 0x81, 0x02, 0xC0},
    };
    for (const auto& d : bad) {
        std::vector<ReportDescriptorInfo> c;
        EXPECT_FALSE(ReportDescriptorInfo::Parse(d.data(), d.size(), c)) << d.size();
        EXPECT_TRUE(c.empty());
    }
    // Queries on reports of the wrong length or type never read past them.
    auto c = ParseOk(hid_test::kMouse);
    uint32_t raw = 0;
    const uint8_t one = 0;
    EXPECT_EQ(c[0].GetUsageValue(ReportType::Input, 1, 0x30, raw, &one, 1),
              kHidStatusInvalidReportLength);
    EXPECT_EQ(c[0].GetUsageValue(static_cast<ReportType>(7), 1, 0x30, raw, &one, 1),
              kHidStatusInvalidReportType);
}
