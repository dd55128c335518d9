#include "sim/keyboard_light_memory.h"

#include <algorithm>

namespace sim {

std::vector<uint8_t> FactoryColourTables() {
    return std::vector<uint8_t>(kColourTableGroups * kColourTableStride, 0);
}

std::vector<uint8_t> ColourTableOf(const std::vector<uint8_t>& tables, size_t group) {
    const size_t at = group * kColourTableStride;
    if (group >= kColourTableGroups || at + kColourTableBytes > tables.size()) {
        return {};
    }
    return {tables.begin() + static_cast<long>(at),
            tables.begin() + static_cast<long>(at + kColourTableBytes)};
}

void LedFrameCounter::OnWrite(size_t offset, size_t length) {
    if (offset < kLedFrameBytes && offset + length >= kLedFrameBytes) {
        frames_.fetch_add(1);
    }
}

const std::vector<uint8_t>& DefaultModeValues() {
    // Mode indices 0..33 of the default data send their own index as value.
    static const std::vector<uint8_t> values = [] {
        std::vector<uint8_t> v;
        for (uint8_t i = 0; i <= 33; ++i) {
            v.push_back(i);
        }
        return v;
    }();
    return values;
}

bool IsKnownModeValue(uint8_t value) {
    const auto& v = DefaultModeValues();
    return value == 0xFE || std::find(v.begin(), v.end(), value) != v.end();
}

}  // namespace sim
