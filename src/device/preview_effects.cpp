#include "device/preview_effects.h"

#include <algorithm>

namespace device {
namespace {

constexpr std::array<uint8_t, 64> kBreathRise = {
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  12,  14,  16,  18,  20,
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

constexpr std::array<uint8_t, 32> kRampUp = {1,   3,   5,   7,   10,  14,  18,  22,  26,  32,  38,
                                             44,  50,  57,  65,  73,  81,  89,  99,  109, 119, 129,
                                             140, 152, 164, 176, 188, 200, 213, 227, 241, 255};
constexpr std::array<uint8_t, 32> kRampDown = {
    248, 234, 220, 206, 194, 182, 170, 158, 146, 134, 124, 114, 104, 94, 85, 77,
    69,  61,  53,  47,  41,  35,  29,  24,  20,  16,  12,  8,   6,   4,  2,  0};

constexpr std::array<LedColour, 4> kBreathFour = {LedColour{255, 0, 0, 0}, LedColour{255, 60, 0, 0},
                                                  LedColour{255, 255, 0, 0},
                                                  LedColour{0, 255, 0, 0}};
constexpr std::array<LedColour, 4> kBlinkFour = {LedColour{0, 255, 180, 0}, LedColour{0, 255, 0, 0},
                                                 LedColour{255, 255, 255, 0},
                                                 LedColour{255, 0, 0, 0}};

uint8_t Level(const PreviewLight& light) {
    return kBrightness[std::min<uint8_t>(light.brightness, 4)];
}

LedColour WithAlpha(LedColour c, uint8_t alpha) {
    c.alpha = alpha;
    return c;
}

// Advances the blink timing; true when the phase flipped.
bool BlinkDue(const PreviewLight& light, PreviewCounters& s, uint32_t now) {
    const uint32_t period = kBlinkPeriod[std::min<uint8_t>(light.speed, 4)] * 200u;
    if (now - s.lastToggle < period) {
        return false;
    }
    s.blinkPhase = !s.blinkPhase;
    s.lastToggle = now;
    return true;
}

}  // namespace

const std::array<uint8_t, 128>& BreathCurve() {
    static const std::array<uint8_t, 128> curve = [] {
        std::array<uint8_t, 128> c{};
        for (size_t i = 0; i < 64; ++i) {
            c[i] = kBreathRise[i];
            c[127 - i] = kBreathRise[i];
        }
        return c;
    }();
    return curve;
}

const std::array<LedColour, 256>& ColourWheel() {
    static const std::array<LedColour, 256> wheel = [] {
        std::array<LedColour, 256> w{};
        for (size_t i = 0; i < 32; ++i) {
            const uint8_t u = kRampUp[i];
            const uint8_t d = kRampDown[i];
            w[i] = {255, u, 0, 0};
            w[32 + i] = {d, 255, 0, 0};
            w[64 + i] = {0, 255, u, 0};
            w[96 + i] = {0, d, 255, 0};
            w[128 + i] = {u, 0, 255, 0};
            w[160 + i] = {255, 0, d, 0};
        }
        for (size_t i = 192; i < 256; ++i) {
            w[i] = w[i - 192];
        }
        return w;
    }();
    return wheel;
}

uint8_t CycleStep(uint8_t up, uint8_t limit, uint8_t value, uint8_t step) {
    if (up != 0) {
        const uint8_t next = static_cast<uint8_t>(value + step);
        return next >= limit ? 0 : next;
    }
    return value < step ? static_cast<uint8_t>(limit - step) : static_cast<uint8_t>(value - step);
}

uint8_t DecayStep(uint8_t v, int kind) {
    struct Row {
        uint8_t from;
        uint8_t kind0, kind29, other;
    };
    static constexpr Row kRows[] = {
        {144, 40, 45, 40}, {128, 40, 40, 40}, {112, 30, 35, 30}, {96, 30, 30, 30}, {80, 30, 25, 30},
        {64, 30, 20, 30},  {32, 15, 10, 10},  {17, 8, 5, 8},     {1, 1, 1, 1},
    };
    for (const Row& row : kRows) {
        if (v >= row.from) {
            const uint8_t step = kind == 0 ? row.kind0 : kind == 29 ? row.kind29 : row.other;
            return static_cast<uint8_t>(v - step);
        }
    }
    return 0;
}

void PreviewBreathWheel(const PreviewLight& light, PreviewCounters& s, LedColourBuffer& out) {
    s.a = CycleStep(light.direction, 128, s.a, 1);
    if (s.a == 0) {
        s.b = static_cast<uint8_t>(s.b + 16);
        if (s.b > 192) {
            s.b = 0;
        }
    }
    const LedColour c = light.multiColour ? ColourWheel()[s.b] : light.colour;
    out.Fill(WithAlpha(c, static_cast<uint8_t>(BreathCurve()[s.a] * Level(light) >> 8)));
}

void PreviewBreathFourColours(const PreviewLight& light, PreviewCounters& s, LedColourBuffer& out) {
    s.a = CycleStep(light.direction, 128, s.a, 1);
    if (s.a == 0) {
        s.b = static_cast<uint8_t>(s.b + 1 >= 4 ? 0 : s.b + 1);
    }
    const LedColour c = kBreathFour[s.b % 4];
    out.Fill(WithAlpha(c, static_cast<uint8_t>(BreathCurve()[s.a] * Level(light) >> 8)));
}

void PreviewStatic(const PreviewLight& light, LedColourBuffer& out) {
    out.Fill(WithAlpha(light.colour, Level(light)));
}

void PreviewSpectrum(const PreviewLight& light, PreviewCounters& s, LedColourBuffer& out) {
    s.a = CycleStep(light.direction, 192, s.a, 1);
    out.Fill(WithAlpha(ColourWheel()[s.a], Level(light)));
}

void PreviewBlink(const PreviewLight& light, PreviewCounters& s, uint32_t now,
                  LedColourBuffer& out) {
    if (BlinkDue(light, s, now)) {
        s.a = static_cast<uint8_t>(s.a + 16 >= 192 ? 0 : s.a + 16);
    }
    if (!s.blinkPhase) {
        out.Fill(LedColour{});
        return;
    }
    const LedColour c = light.multiColour ? ColourWheel()[s.a] : light.colour;
    out.Fill(WithAlpha(c, Level(light)));
}

void PreviewBlinkFourColours(const PreviewLight& light, PreviewCounters& s, uint32_t now,
                             LedColourBuffer& out) {
    if (BlinkDue(light, s, now)) {
        s.a = static_cast<uint8_t>(s.a + 1 >= 4 ? 0 : s.a + 1);
    }
    if (!s.blinkPhase) {
        out.Fill(LedColour{});
        return;
    }
    out.Fill(WithAlpha(kBlinkFour[s.a % 4], Level(light)));
}

void PreviewOff(LedColourBuffer& out) {
    out.Fill(LedColour{});
}

void RingBuffer::Rotate(bool up) {
    if (up) {
        for (size_t i = kSize - 1; i-- > 0;) {
            bytes_[i + 1] = bytes_[i];
        }
        bytes_[0] = bytes_[kSize];
    } else {
        bytes_[kSize] = bytes_[0];
        for (size_t i = 1; i < kSize; ++i) {
            bytes_[i - 1] = bytes_[i];
        }
    }
}

FunctionTabs FunctionTabsFor(int pageType, int deviceType) {
    const bool keyboardOrMouse = deviceType == 1 || deviceType == 2;
    switch (pageType) {
        case 1:
            return {0, 0};
        case 2:
            return {0, 1};
        case 3:
            return {1, -1};
        case 4:
            return keyboardOrMouse ? FunctionTabs{3, -1} : FunctionTabs{0, 2};
        case 5:
            return {2, -1};
        case 6:
            return {0, 1};
        case 7:
            return {0, 2};
        case 8:
            return {1, -1};
        case 9:
            return {4, -1};
        default:
            return {0, 0};
    }
}

}  // namespace device
