// The palette's colour arithmetic: corners of the hue circle, every channel
// in range, and a colour survives the trip through hue, saturation and value.
#include <gtest/gtest.h>

#include <cstdlib>

#include "pages/colour_hsv.h"

namespace {

using pages::ArgbOfHsv;
using pages::HsvOfArgb;

TEST(ColourHsv, PrimariesAndGreys) {
    EXPECT_EQ(ArgbOfHsv({0, 255, 255}), 0xFFFF0000u);
    EXPECT_EQ(ArgbOfHsv({120, 255, 255}), 0xFF00FF00u);
    EXPECT_EQ(ArgbOfHsv({240, 255, 255}), 0xFF0000FFu);
    EXPECT_EQ(ArgbOfHsv({360, 255, 255}), 0xFFFF0000u);  // hue wraps
    EXPECT_EQ(ArgbOfHsv({-120, 255, 255}), 0xFF0000FFu);
    EXPECT_EQ(ArgbOfHsv({77, 0, 128}), 0xFF808080u);
    EXPECT_EQ(ArgbOfHsv({10, 999, -5}), 0xFF000000u);  // clamped, not wrapped
    EXPECT_EQ(HsvOfArgb(0xFF0000FFu), (pages::Hsv{240, 255, 255}));
}

TEST(ColourHsv, GreyKeepsTheHueItIsGiven) {
    EXPECT_EQ(HsvOfArgb(0xFF404040u, 200).hue, 200);
    EXPECT_EQ(HsvOfArgb(0xFF404040u, 200).saturation, 0);
    EXPECT_EQ(HsvOfArgb(0xFF000000u, 33).hue, 33);
}

TEST(ColourHsv, RoundTripStaysWithinOneStep) {
    for (int r = 0; r < 256; r += 15) {
        for (int g = 0; g < 256; g += 17) {
            for (int b = 0; b < 256; b += 19) {
                const uint32_t c = pages::Opaque(static_cast<uint8_t>(r), static_cast<uint8_t>(g),
                                                 static_cast<uint8_t>(b));
                const uint32_t back = ArgbOfHsv(HsvOfArgb(c));
                // Whole-degree hues lose a little; never more than a few
                // steps of one channel, and alpha is always opaque.
                EXPECT_EQ(back >> 24, 0xFFu);
                EXPECT_LE(std::abs(pages::RedOf(back) - r), 4) << std::hex << c;
                EXPECT_LE(std::abs(pages::GreenOf(back) - g), 4) << std::hex << c;
                EXPECT_LE(std::abs(pages::BlueOf(back) - b), 4) << std::hex << c;
            }
        }
    }
}

}  // namespace
