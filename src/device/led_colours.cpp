#include "device/led_colours.h"

namespace device {

uint32_t LedColourBuffer::Pack(LedColour c) {
    return uint32_t{c.r} | uint32_t{c.g} << 8 | uint32_t{c.b} << 16 | uint32_t{c.alpha} << 24;
}

LedColour LedColourBuffer::Unpack(uint32_t w) {
    return LedColour{static_cast<uint8_t>(w), static_cast<uint8_t>(w >> 8),
                     static_cast<uint8_t>(w >> 16), static_cast<uint8_t>(w >> 24)};
}

void LedColourBuffer::Resize(size_t count) {
    words_ = count ? std::make_unique<std::atomic<uint32_t>[]>(count) : nullptr;
    count_ = count;
    for (size_t i = 0; i < count_; ++i) {
        words_[i].store(0, std::memory_order_relaxed);
    }
    generation_.fetch_add(1, std::memory_order_release);
}

void LedColourBuffer::Set(size_t i, LedColour c) {
    const uint32_t w = Pack(c);
    if (i < count_ && words_[i].exchange(w, std::memory_order_relaxed) != w) {
        generation_.fetch_add(1, std::memory_order_release);
    }
}

LedColour LedColourBuffer::Get(size_t i) const {
    return i < count_ ? Unpack(words_[i].load(std::memory_order_relaxed)) : LedColour{};
}

void LedColourBuffer::Fill(LedColour c) {
    const uint32_t w = Pack(c);
    bool changed = false;
    for (size_t i = 0; i < count_; ++i) {
        changed = words_[i].exchange(w, std::memory_order_relaxed) != w || changed;
    }
    if (changed) {
        generation_.fetch_add(1, std::memory_order_release);
    }
}

}  // namespace device
