#include "device/preview_effects.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace device;

TEST(PreviewMath, CycleStepWrapsBothWays) {
    EXPECT_EQ(CycleStep(0, 128, 0, 1), 127);
    EXPECT_EQ(CycleStep(1, 128, 127, 1), 0);
    EXPECT_EQ(CycleStep(1, 192, 10, 16), 26);
    EXPECT_EQ(CycleStep(0, 192, 10, 16), 176) << "below the step wraps to limit - step";
}

TEST(PreviewMath, DecayFollowsItsTableAndNeverUnderflows) {
    const std::pair<int, int> kind0[] = {{200, 160}, {100, 70}, {40, 25}, {20, 12}, {5, 4}, {0, 0}};
    for (auto [from, to] : kind0) {
        EXPECT_EQ(DecayStep(static_cast<uint8_t>(from), 0), to) << from;
    }
    EXPECT_EQ(DecayStep(150, 29), 105);
    EXPECT_EQ(DecayStep(70, 29), 50);
    EXPECT_EQ(DecayStep(40, 7), 30);
    for (int kind : {0, 29, 3}) {
        for (int v = 0; v < 256; ++v) {
            EXPECT_LE(DecayStep(static_cast<uint8_t>(v), kind), v);
            if (v > 0) {
                EXPECT_LT(DecayStep(static_cast<uint8_t>(v), kind), v) << "every lit LED fades";
            }
        }
    }
}

TEST(PreviewMath, TablesHaveTheirShape) {
    const auto& breath = BreathCurve();
    EXPECT_EQ(breath[0], 0);
    EXPECT_EQ(breath[63], 255);
    EXPECT_EQ(breath[64], 255);
    EXPECT_EQ(breath[127], 0);
    const auto& wheel = ColourWheel();
    EXPECT_EQ(wheel[0], (LedColour{255, 1, 0, 0}));
    EXPECT_EQ(wheel[31], (LedColour{255, 255, 0, 0}));
    EXPECT_EQ(wheel[32], (LedColour{248, 255, 0, 0}));
    EXPECT_EQ(wheel[191], (LedColour{255, 0, 0, 0}));
    for (int i = 192; i < 256; ++i) {
        EXPECT_EQ(wheel[i], wheel[i - 192]);
    }
}

TEST(PreviewEffects, BreathWheelMovesHueAfterEachBreath) {
    LedColourBuffer leds;
    leds.Resize(3);
    PreviewLight light;
    light.direction = 1;
    light.multiColour = 1;
    light.brightness = 4;
    PreviewCounters s;
    s.a = 126;
    PreviewBreathWheel(light, s, leds);  // 127
    EXPECT_EQ(s.b, 0);
    EXPECT_EQ(leds.Get(2).alpha, 0);
    PreviewBreathWheel(light, s, leds);  // wraps to 0: next hue
    EXPECT_EQ(s.a, 0);
    EXPECT_EQ(s.b, 16);
    s.a = 63;
    s.b = 16;
    PreviewBreathWheel(light, s, leds);  // a = 64: full breath
    EXPECT_EQ(leds.Get(1),
              (LedColour{ColourWheel()[16].r, ColourWheel()[16].g, 0, 255 * 255 >> 8}));
    s.a = 127;
    s.b = 192;
    PreviewBreathWheel(light, s, leds);
    EXPECT_EQ(s.b, 0) << "the hue counter wraps above 192";

    light.multiColour = 0;
    light.colour = {10, 20, 30, 0};
    light.brightness = 1;
    s.a = 63;
    PreviewBreathWheel(light, s, leds);
    EXPECT_EQ(leds.Get(0), (LedColour{10, 20, 30, 255 * 80 >> 8})) << "fixed colour, level 1";
}

TEST(PreviewEffects, BreathFourColoursCyclesAfterEachBreath) {
    LedColourBuffer leds;
    leds.Resize(1);
    PreviewLight light;
    light.direction = 0;  // counting down
    PreviewCounters s;
    s.b = 3;
    PreviewBreathFourColours(light, s, leds);  // 0 -> 127, no change of colour
    EXPECT_EQ(s.a, 127);
    EXPECT_EQ(s.b, 3);
    s.a = 1;
    PreviewBreathFourColours(light, s, leds);  // 1 -> 0: next colour
    EXPECT_EQ(s.b, 0);
    EXPECT_EQ(leds.Get(0).r, 255);
    EXPECT_EQ(leds.Get(0).alpha, 0);
}

TEST(PreviewEffects, BlinkTogglesOnItsPeriod) {
    LedColourBuffer leds;
    leds.Resize(2);
    PreviewLight light;
    light.speed = 3;  // 2 x 200 ms
    light.colour = {1, 2, 3, 0};
    light.brightness = 2;
    PreviewCounters s;
    s.lastToggle = 1000;
    PreviewBlink(light, s, 1399, leds);
    EXPECT_EQ(leds.Get(0), LedColour{}) << "starts dark until the first period passes";
    PreviewBlink(light, s, 1400, leds);
    EXPECT_EQ(leds.Get(1), (LedColour{1, 2, 3, 135}));
    EXPECT_EQ(s.a, 16);
    PreviewBlink(light, s, 1799, leds);
    EXPECT_EQ(leds.Get(1).alpha, 135);
    PreviewBlink(light, s, 1800, leds);
    EXPECT_EQ(leds.Get(1), LedColour{});

    PreviewCounters f;
    for (int i = 1; i <= 8; ++i) {
        PreviewBlinkFourColours(light, f, static_cast<uint32_t>(i * 400), leds);
    }
    EXPECT_EQ(f.a, 0) << "four colours, eight toggles";
    light.speed = 200;  // out of range is clamped, not read past the table
    PreviewBlink(light, s, 1800 + 200, leds);
}

TEST(PreviewEffects, StaticSpectrumAndOff) {
    LedColourBuffer leds;
    leds.Resize(4);
    PreviewLight light;
    light.colour = {9, 8, 7, 0};
    light.brightness = 9;  // clamped to 4
    PreviewStatic(light, leds);
    EXPECT_EQ(leds.Get(3), (LedColour{9, 8, 7, 255}));
    PreviewCounters s;
    light.direction = 0;
    PreviewSpectrum(light, s, leds);
    EXPECT_EQ(s.a, 191);
    EXPECT_EQ(leds.Get(0), (LedColour{255, 0, 0, 255}));
    PreviewSpectrum(light, s, leds);
    EXPECT_EQ(leds.Get(0), (LedColour{255, 0, 2, 255}));
    PreviewOff(leds);
    EXPECT_EQ(leds.Get(2), LedColour{});
}

TEST(LedColourBuffer, OutOfRangeIsHarmless) {
    LedColourBuffer leds;
    leds.Resize(5);
    leds.Set(4, {1, 2, 3, 4});
    leds.Set(5, {9, 9, 9, 9});
    EXPECT_EQ(leds.Get(4), (LedColour{1, 2, 3, 4}));
    EXPECT_EQ(leds.Get(5), LedColour{});
    EXPECT_EQ(leds.Get(static_cast<size_t>(-1)), LedColour{});
    leds.Resize(0);
    leds.Fill({1, 1, 1, 1});
    EXPECT_EQ(leds.Get(0), LedColour{});
}

TEST(LedColourBuffer, RenderAndPaintFromTwoThreads) {
    LedColourBuffer leds;
    leds.Resize(170);
    std::atomic<bool> stop{false};
    std::atomic<bool> rendered{false};
    std::thread renderer([&] {
        PreviewLight light;
        light.multiColour = 1;
        PreviewCounters s;
        while (!stop) {
            PreviewSpectrum(light, s, leds);
            rendered = true;
        }
    });
    // On a busy machine the painter could otherwise finish before the
    // renderer ran at all.
    while (!rendered) {
        std::this_thread::yield();
    }
    uint32_t seen = 0;
    for (int frame = 0; frame < 2000; ++frame) {
        for (size_t i = 0; i < leds.Size(); ++i) {
            seen += leds.Get(i).alpha;
        }
    }
    stop = true;
    renderer.join();
    EXPECT_GT(seen, 0u);
}

TEST(DeviceHelpers, RingRotatesWithSpareByte) {
    RingBuffer ring;
    for (size_t i = 0; i < RingBuffer::kSize; ++i) {
        ring[i] = static_cast<uint8_t>(i + 1);
    }
    ring.Rotate(false);  // 1 goes to the spare, 2..23 move down
    EXPECT_EQ(ring[0], 2);
    EXPECT_EQ(ring[21], 23);
    EXPECT_EQ(ring[22], 23);
    ring.Rotate(true);  // everything moves up, the spare comes back in front
    EXPECT_EQ(ring[0], 1);
    EXPECT_EQ(ring[1], 2);
    EXPECT_EQ(ring[22], 23);
}

TEST(DeviceHelpers, FunctionTabsAndEventCode) {
    EXPECT_EQ(FunctionTabsFor(4, 1).tabA, 3);
    EXPECT_EQ(FunctionTabsFor(4, 1).tabB, -1);
    EXPECT_EQ(FunctionTabsFor(4, 3).tabA, 0);
    EXPECT_EQ(FunctionTabsFor(4, 3).tabB, 2);
    EXPECT_EQ(FunctionTabsFor(42, 1).tabA, 0);
    const uint8_t report[] = {0x03, 0x81, 0x04};
    EXPECT_EQ(DeviceEventCode(report, sizeof report), 0x0481);
    EXPECT_EQ(DeviceEventCode(report, 2), 0) << "a short report carries no code";
}
