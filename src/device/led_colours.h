// The per-LED colours the preview renders. The light thread writes them and
// the UI thread paints them, so each colour is one atomic word: a frame may
// mix two steps, but no colour is ever torn and there is no data race.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace device {

struct LedColour {
    uint8_t r = 0, g = 0, b = 0, alpha = 0;
    friend bool operator==(const LedColour&, const LedColour&) = default;
};

class LedColourBuffer {
  public:
    // Resizing is only done while no thread renders (attach time).
    void Resize(size_t count);
    size_t Size() const { return count_; }

    void Set(size_t i, LedColour c);
    // All-zero colour when i is out of range.
    LedColour Get(size_t i) const;
    void Fill(LedColour c);

    // Changes whenever a colour does: a reader that sees the same value
    // twice has nothing new to show.
    uint32_t Generation() const { return generation_.load(std::memory_order_acquire); }

    static uint32_t Pack(LedColour c);
    static LedColour Unpack(uint32_t word);

  private:
    std::unique_ptr<std::atomic<uint32_t>[]> words_;
    size_t count_ = 0;
    std::atomic<uint32_t> generation_{0};
};

}  // namespace device
