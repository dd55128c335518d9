// The supported-device table, the path parsers and the slot matching.
#include <gtest/gtest.h>

#include "hid/supported_devices.h"

namespace {

using hid::DeviceCandidate;
using hid::DeviceSlotList;

TEST(DiscoveryTable, RowsAndPartners) {
    const auto& t = hid::SupportedDeviceTable();
    ASSERT_EQ(t.size(), 13u);
    EXPECT_EQ(t[0].productId, 0x22AB);
    EXPECT_EQ(t[0].collectionNumber, 4);
    EXPECT_EQ(t[0].usagePage, 0xFF1C);
    EXPECT_EQ(t[1].interfaceRole, 255);
    EXPECT_EQ(t[1].keyboardPartner, 5);
    EXPECT_EQ(t[4].deviceType, hid::kDeviceReceiver);
    EXPECT_EQ(t[5].mousePartner, 7);
    EXPECT_EQ(t[7].interfaceNumber, 0);
    EXPECT_EQ(t[9].keyboardPartner, 0);
    EXPECT_EQ(t[9].mousePartner, 7);
    EXPECT_EQ(t[12].vendorId, 0x0C76);
    EXPECT_EQ(t[12].collectionNumber, 0);
    EXPECT_EQ(t[12].usagePage, 0x000C);
    for (const auto& row : t) {
        EXPECT_EQ(row.present, 0);
        EXPECT_TRUE(row.path.empty());
    }
    EXPECT_EQ(hid::FindModelRow(0x320F, 0x22AB, 1, 0), 0);
    EXPECT_EQ(hid::FindModelRow(0x320F, 0x0000, 6, 255), 9);
    EXPECT_EQ(hid::FindModelRow(0x320F, 0x22AB, 9, 0), -1);
}

TEST(DiscoveryTable, PathParsers) {
    const std::string p = "/dev/hidraw3#vid_320f&pid_22ab&mi_01&col04";
    EXPECT_EQ(hid::ParseVendorId(p), 0x320F);
    EXPECT_EQ(hid::ParseProductId(p), 0x22AB);
    EXPECT_EQ(hid::ParseInterfaceNumber(p), 1);
    EXPECT_EQ(hid::ParseCollectionNumber(p), 4);
    // Markers without regard to case; numbers hexadecimal.
    const std::string upper = "\\\\?\\HID#VID_0C76&PID_1630&MI_03#7&1a&0&0000";
    EXPECT_EQ(hid::ParseVendorId(upper), 0x0C76);
    EXPECT_EQ(hid::ParseInterfaceNumber(upper), 3);
    EXPECT_EQ(hid::ParseCollectionNumber(upper), 0);
    EXPECT_EQ(hid::ParseCollectionNumber("x&COL0A"), 0x0A);
    EXPECT_EQ(hid::ParseVendorId("no markers"), 0);
    EXPECT_EQ(hid::ParseVendorId("vid_"), 0);
    EXPECT_EQ(hid::ParseProductId("pid_zz"), 0);
}

DeviceCandidate Full(const std::string& path, uint16_t page, uint16_t usage) {
    DeviceCandidate c = hid::CandidateFromPath(path);
    c.usagePage = page;
    c.usage = usage;
    return c;
}

TEST(DiscoverySlots, MatchingBindsFirstFreeSlotOnce) {
    DeviceSlotList slots;
    const std::string vendor = "/dev/hidraw1#vid_320f&pid_22ab&mi_01&col04";
    EXPECT_TRUE(slots.FirstStageMatch(hid::CandidateFromPath(vendor)));
    DeviceCandidate c = Full(vendor, 0xFF1C, 0x92);
    int slot = -1;
    ASSERT_TRUE(slots.FullMatch(c, slot));
    EXPECT_EQ(slot, 0);
    EXPECT_EQ(c.deviceType, hid::kDeviceKeyboard);
    EXPECT_EQ(c.interfaceRole, 0);
    EXPECT_EQ(slots.Get(0).present, 1);
    EXPECT_EQ(slots.Get(0).path, vendor);

    // A second identical keyboard finds no free slot.
    const std::string other = "/dev/hidraw7#vid_320f&pid_22ab&mi_01&col04";
    EXPECT_FALSE(slots.FirstStageMatch(hid::CandidateFromPath(other)));
    DeviceCandidate c2 = Full(other, 0xFF1C, 0x92);
    EXPECT_FALSE(slots.FullMatch(c2, slot));

    // Right ids, wrong usage page: not bound.
    const std::string consumer = "/dev/hidraw1#vid_320f&pid_22ab&mi_01&col03";
    DeviceCandidate wrong = Full(consumer, 0xFF00, 0x01);
    EXPECT_FALSE(slots.FullMatch(wrong, slot));
    EXPECT_EQ(slots.Get(1).present, 0);
    DeviceCandidate right = Full(consumer, 0x0C, 0x01);
    ASSERT_TRUE(slots.FullMatch(right, slot));
    EXPECT_EQ(slot, 1);
}

TEST(DiscoverySlots, ProductZeroRowsNeverMatchAndAllBound) {
    DeviceSlotList slots;
    DeviceCandidate c = Full("/dev/hidraw2#vid_320f&pid_0000&mi_01&col04", 0xFF1C, 0x92);
    int slot = -1;
    // Rows with product 0 exist, so the first stage passes, but the full
    // match compares with the reported product id.
    c.productId = 0x22AC;
    EXPECT_FALSE(slots.FullMatch(c, slot));

    EXPECT_FALSE(slots.AllBound());
    for (size_t i = 0; i < slots.Size(); ++i) {
        slots.Bind(i, "p" + std::to_string(i));
    }
    EXPECT_TRUE(slots.AllBound());
    slots.SetPresent(4, false);  // taken but not watched still counts as bound
    EXPECT_TRUE(slots.AllBound());
    bool wasPresent = true;
    EXPECT_FALSE(slots.FreeIfPath(4, "other", wasPresent));
    EXPECT_TRUE(slots.FreeIfPath(4, "p4", wasPresent));
    EXPECT_FALSE(wasPresent);
    EXPECT_FALSE(slots.AllBound());
}

}  // namespace
