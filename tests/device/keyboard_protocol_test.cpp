// The keyboard's data formats without a device: key maps, key table, macro
// image, settings record.
#include "device/keyboard_protocol.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

using namespace device;

namespace {

std::vector<profile::KeyListEntry> DefaultKeyList() {
    std::vector<profile::KeyListEntry> list(kKeyButtons);
    const auto& codes = KeyboardDefaultCodes();
    for (size_t j = 0; j < list.size(); ++j) {
        profile::KeyAssignment a{static_cast<uint16_t>(j), codes[j][0], codes[j][1], codes[j][2]};
        list[j] = {a, a};
    }
    return list;
}

void AssignMacro(std::vector<profile::KeyListEntry>& list, size_t j, uint8_t macro) {
    list[j].Assignment.type = profile::kMacroTypeB;
    list[j].Assignment.code1 = macro;
    list[j].Assignment.code2 = 0;
}

}  // namespace

TEST(KeyboardKeyMaps, PermutedTableMapsEachKeyToItsPosition) {
    // Key buttons 0..129 in a shuffled device order; the blank code 20 00 00
    // (buttons 20 and 104) appears twice, at device keys p and q > p.
    const auto& codes = KeyboardDefaultCodes();
    std::vector<int> order(130);
    std::iota(order.begin(), order.end(), 0);
    std::mt19937 rng(7);
    std::shuffle(order.begin(), order.end(), rng);
    std::vector<uint8_t> table(130 * 3), leds(130);
    for (size_t k = 0; k < order.size(); ++k) {
        std::copy(codes[order[k]].begin(), codes[order[k]].end(), table.begin() + 3 * k);
        leds[k] = static_cast<uint8_t>(200 - k);
    }
    const KeyMaps maps = BuildKeyMaps(table.data(), leds.data(), 130);
    const size_t firstBlank = std::min(std::find(order.begin(), order.end(), 20) - order.begin(),
                                       std::find(order.begin(), order.end(), 104) - order.begin());
    for (size_t k = 0; k < order.size(); ++k) {
        const int j = order[k];
        const size_t expected = (j == 20 || j == 104) ? firstBlank : k;
        EXPECT_EQ(maps.deviceIndex[j], expected) << "key button " << j;
        EXPECT_EQ(maps.led[j], 200 - expected) << "key button " << j;
    }
    for (int j = 130; j < kKeyButtons; ++j) {
        EXPECT_EQ(maps.deviceIndex[j], firstBlank) << "blank buttons share the first blank key";
    }

    // Without any blank key on the device the blank buttons stay unmapped.
    table.assign(3, 0);
    table[0] = 0x20;
    table[2] = 0x29;  // only Esc
    const KeyMaps small = BuildKeyMaps(table.data(), leds.data(), 1);
    EXPECT_EQ(small.deviceIndex[0], 0);
    EXPECT_EQ(small.deviceIndex[20], kUnmappedKey);
    EXPECT_EQ(small.led[150], kUnmappedKey);
}

TEST(KeyboardKeyTable, MacrosGetDownloadPositionsAndMissingOnesFallBack) {
    // Device keys in key button order for buttons 0..129.
    const auto& codes = KeyboardDefaultCodes();
    std::vector<uint8_t> defaults(130 * 3), leds(130, 0);
    for (size_t k = 0; k < 130; ++k) {
        std::copy(codes[k].begin(), codes[k].end(), defaults.begin() + 3 * k);
    }
    const KeyMaps maps = BuildKeyMaps(defaults.data(), leds.data(), 130);
    auto list = DefaultKeyList();
    AssignMacro(list, 3, 4);
    AssignMacro(list, 9, 2);
    AssignMacro(list, 40, 4);
    AssignMacro(list, 50, 7);  // the list has 5 macros

    EXPECT_EQ(CollectMacroRefs(maps, list, 5), (std::vector<int>{4, 2}));
    const std::vector<uint8_t> table = BuildKeyTable(maps, defaults.data(), list, 5);
    ASSERT_EQ(table.size(), 130u * 3);
    EXPECT_EQ(std::vector<uint8_t>(table.begin() + 9, table.begin() + 12),
              (std::vector<uint8_t>{0x71, 0, 0}));
    EXPECT_EQ(std::vector<uint8_t>(table.begin() + 27, table.begin() + 30),
              (std::vector<uint8_t>{0x71, 1, 0}));
    EXPECT_EQ(std::vector<uint8_t>(table.begin() + 120, table.begin() + 123),
              (std::vector<uint8_t>{0x71, 0, 0}));
    EXPECT_EQ(std::vector<uint8_t>(table.begin() + 150, table.begin() + 153),
              std::vector<uint8_t>(codes[50].begin(), codes[50].end()))
        << "macro 7 of 5 falls back to the key's default";

    // A short list only covers its own keys; the rest keep their defaults.
    std::vector<profile::KeyListEntry> shortList(list.begin(), list.begin() + 5);
    EXPECT_EQ(CollectMacroRefs(maps, shortList, 5), (std::vector<int>{4}));
    const auto shortTable = BuildKeyTable(maps, defaults.data(), shortList, 5);
    EXPECT_EQ(std::vector<uint8_t>(shortTable.begin() + 27, shortTable.begin() + 30),
              std::vector<uint8_t>(codes[9].begin(), codes[9].end()));
}

TEST(KeyboardKeyTable, FirstButtonOfASharedDeviceKeyWins) {
    // One device key with the blank code: buttons 20, 104 and 130.. map to it.
    std::vector<uint8_t> defaults = {0x20, 0x00, 0x29, 0x20, 0x00, 0x00};
    std::vector<uint8_t> leds = {0, 1};
    const KeyMaps maps = BuildKeyMaps(defaults.data(), leds.data(), 2);
    ASSERT_EQ(maps.deviceIndex[20], 1);
    ASSERT_EQ(maps.deviceIndex[104], 1);
    auto list = DefaultKeyList();
    list[20].Assignment = {20, 0x20, 0x00, 0x04};  // remapped to A
    list[104].Assignment = {104, 0x20, 0x00, 0x05};
    AssignMacro(list, 130, 0);
    const auto table = BuildKeyTable(maps, defaults.data(), list, 3);
    EXPECT_EQ(std::vector<uint8_t>(table.begin() + 3, table.end()),
              (std::vector<uint8_t>{0x20, 0x00, 0x04}));
    EXPECT_TRUE(CollectMacroRefs(maps, list, 3).empty())
        << "a key that is not written does not reserve a macro position";
}

TEST(KeyboardMacroImage, LayoutSizesAndEventEncoding) {
    using macro::MacroEvent;
    std::vector<std::vector<MacroEvent>> macros(3);
    macros[0].assign(10, MacroEvent{true, 10, 0x04, 300});
    macros[0][9] = MacroEvent{false, 1, 0x02, 0xFFFF};
    macros[2].assign(5, MacroEvent{false, 9, 0xE1, 1});
    EXPECT_EQ(MacroImage::SizeFor(macros), 94u);
    const std::vector<uint8_t> image = MacroImage::Build(macros);
    ASSERT_EQ(image.size(), 94u);
    EXPECT_EQ(image[0], 0xAA);
    EXPECT_EQ(image[1], 0x55);
    EXPECT_EQ(image[2], 94);
    EXPECT_EQ(image[4], 3);
    EXPECT_TRUE(
        std::all_of(image.begin() + 6, image.begin() + 16, [](uint8_t b) { return b == 0; }));
    // Offsets 22, 66, 70 (header 16 + 3 offsets; then 4 + 40, 4 + 0).
    EXPECT_EQ(image[16], 22);
    EXPECT_EQ(image[18], 66);
    EXPECT_EQ(image[20], 70);
    EXPECT_EQ(image[22], 10);  // event count
    EXPECT_EQ(image[23], 0);
    const std::vector<uint8_t> first(image.begin() + 26, image.begin() + 30);
    EXPECT_EQ(first, (std::vector<uint8_t>{0x2C, 0x01, 0x8A, 0x04})) << "300 ms, key down";
    const std::vector<uint8_t> last(image.begin() + 62, image.begin() + 66);
    EXPECT_EQ(last, (std::vector<uint8_t>{0xFF, 0xFF, 0x01, 0x02})) << "button up, longest delay";
    EXPECT_EQ(image[66], 0);
    EXPECT_EQ(image[70], 5);
}

TEST(KeyboardSettingsRecord, FirmwareBytesRangesAndModeValues) {
    profile::LightInfo light;
    light.Speed = 9;  // out of range
    profile::KeyboardSystemStages stages;
    stages.PollingRate = 9;
    std::array<uint8_t, DeviceLightRecord::kSize> previous{};
    previous.fill(0x5A);
    const auto r = DeviceLightRecord::Build(0, 5, light, stages, previous).bytes;
    EXPECT_EQ(r[13], 0x5A) << "firmware bytes come back unchanged";
    EXPECT_EQ(r[14], 0x5A);
    EXPECT_EQ(r[12], 0);
    EXPECT_EQ(r[3], 0) << "speeds beyond 4 are held at 4";
    EXPECT_EQ(r[22], 3) << "polling rates beyond 3 are held at 3";
    EXPECT_EQ(DeviceLightRecord::SpeedFromDevice(1), 3);
    EXPECT_EQ(DeviceLightRecord::SpeedFromDevice(0xFF), 0);

    std::vector<int> values(34);
    std::iota(values.begin(), values.end(), 0);
    uint8_t v = 0;
    ASSERT_TRUE(ModeValueOf(values, 29, v));
    EXPECT_EQ(v, 0xFE);
    ASSERT_TRUE(ModeValueOf(values, 30, v));
    EXPECT_EQ(v, 0xFE);
    EXPECT_FALSE(ModeValueOf(values, 34, v));
    EXPECT_FALSE(ModeValueOf({}, 0, v));
    EXPECT_EQ(ModeIndexOf(values, 12), 12);
    EXPECT_EQ(ModeIndexOf(values, 0xFE), -1);
}
