// The preview effects every device shares: one frame per call, the same
// colour on every LED, plus the reactive-effect helpers (decay, ring).
#pragma once

#include <array>
#include <cstdint>

#include "device/led_colours.h"

namespace device {

// Brightness level 0..4 -> alpha.
inline constexpr std::array<uint8_t, 5> kBrightness = {0, 80, 135, 195, 255};
// Blink period per speed 0..4, in units of 200 ms.
inline constexpr std::array<uint8_t, 5> kBlinkPeriod = {8, 6, 4, 2, 1};

// 128-entry breathing curve (rise then the same values falling).
const std::array<uint8_t, 128>& BreathCurve();
// 256-entry colour wheel; entries 192..255 repeat 0..63.
const std::array<LedColour, 256>& ColourWheel();

// One step of a cyclic counter on unsigned bytes: up adds `step` and wraps to
// 0 on reaching `limit`; down subtracts and wraps to limit - step.
uint8_t CycleStep(uint8_t up, uint8_t limit, uint8_t value, uint8_t step);

// Reactive decay of one LED intensity value for effect `kind`.
uint8_t DecayStep(uint8_t value, int kind);

// The lighting fields the base previews use.
struct PreviewLight {
    uint8_t direction = 0;  // the `up` argument of CycleStep
    uint8_t multiColour = 0;
    uint8_t brightness = 4;  // 0..4; larger values are clamped
    uint8_t speed = 2;       // 0..4; larger values are clamped
    LedColour colour{255, 0, 0, 255};
};

// The counters of the base previews; each device owns one.
struct PreviewCounters {
    uint8_t a = 0;
    uint8_t b = 0;
    uint8_t blinkPhase = 0;
    uint32_t lastToggle = 0;
};

void PreviewBreathWheel(const PreviewLight& light, PreviewCounters& s, LedColourBuffer& out);
void PreviewBreathFourColours(const PreviewLight& light, PreviewCounters& s, LedColourBuffer& out);
void PreviewStatic(const PreviewLight& light, LedColourBuffer& out);
void PreviewSpectrum(const PreviewLight& light, PreviewCounters& s, LedColourBuffer& out);
// `now` is the tick count (platform::TickCount()).
void PreviewBlink(const PreviewLight& light, PreviewCounters& s, uint32_t now,
                  LedColourBuffer& out);
void PreviewBlinkFourColours(const PreviewLight& light, PreviewCounters& s, uint32_t now,
                             LedColourBuffer& out);
void PreviewOff(LedColourBuffer& out);

// The ring of the ring effects: 23 bytes plus a spare.
class RingBuffer {
  public:
    static constexpr size_t kSize = 23;
    void Rotate(bool up);
    void Clear() { bytes_.fill(0); }
    uint8_t& operator[](size_t i) { return bytes_[i]; }
    uint8_t operator[](size_t i) const { return bytes_[i]; }

  private:
    std::array<uint8_t, kSize + 1> bytes_{};
};

// Which tabs of the two function switches a page type selects; -1 leaves a
// switch unchanged.
struct FunctionTabs {
    int tabA;
    int tabB;
};
FunctionTabs FunctionTabsFor(int pageType, int deviceType);

// The event code of a keyboard or mouse event report: bytes 1 (low) and 2.
inline uint16_t DeviceEventCode(const uint8_t* report, size_t length) {
    return length >= 3 ? static_cast<uint16_t>(report[1] | report[2] << 8) : 0;
}

}  // namespace device
