// The simulated keyboard's lighting memory: one table of palette slots per
// custom group (command 0x0B), the LED frame the program streams (0x12) with
// a count of complete frames, and the mode values the settings record may
// carry (those of the default data).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sim {

inline constexpr const char* kRegionColourTables = "colourtables";
inline constexpr size_t kColourTableGroups = 32;
inline constexpr size_t kColourTableStride = 512;  // device offset of group g: g × 512
inline constexpr size_t kColourTableBytes = 64;    // 4 bits per LED, 128 LEDs
inline constexpr size_t kLedFrameBytes = 342;      // R, G, B for LEDs 0..113

// Factory content: every LED of every group off.
std::vector<uint8_t> FactoryColourTables();
// The 64-byte table of `group` out of the region; empty when out of range.
std::vector<uint8_t> ColourTableOf(const std::vector<uint8_t>& tables, size_t group);

// Counts the LED frames that arrived whole: a frame is counted when a write
// reaches its last byte. Thread-safe.
class LedFrameCounter {
  public:
    void OnWrite(size_t offset, size_t length);
    uint64_t Frames() const { return frames_.load(); }

  private:
    std::atomic<uint64_t> frames_{0};
};

// The mode values of the keyboard's default lighting modes, and 0xFE, which
// the streamed modes (music, colour sync) are sent as.
const std::vector<uint8_t>& DefaultModeValues();
bool IsKnownModeValue(uint8_t value);

}  // namespace sim
