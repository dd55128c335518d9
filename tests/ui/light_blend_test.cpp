// The lit-key pixel kernel: the vector path must give exactly the
// per-pixel result for every row length, and the ends of the scale must be
// the tint and what lies beneath.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

#include "ui/controls/light_blend.h"

namespace {

// The rule, one channel at a time.
uint32_t Reference(uint32_t tint, uint32_t under, uint32_t mask, uint32_t alpha) {
    const auto div255 = [](uint32_t x) { return (x + 128 + ((x + 128) >> 8)) >> 8; };
    const uint32_t a = div255(mask * alpha);
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t t = tint >> shift & 0xFF;
        const uint32_t u = under >> shift & 0xFF;
        out |= div255(t * a + u * (255 - a)) << shift;
    }
    return out;
}

TEST(LightBlend, PixelFollowsTheRuleForEveryMaskAndAlpha) {
    for (uint32_t tint : {0xFFFFFFFFu, 0xFF000000u, 0xFF10E040u}) {
        for (uint32_t under : {0xFF000000u, 0xFFFFFFFFu, 0xFF80FF01u, 0x00000000u}) {
            for (uint32_t mask = 0; mask < 256; ++mask) {
                for (uint32_t alpha = 0; alpha < 256; alpha += 3) {
                    ASSERT_EQ(ui::BlendTintPixel(tint, under, static_cast<uint8_t>(mask), alpha),
                              Reference(tint, under, mask, alpha))
                        << std::hex << tint << " " << under << " " << mask << " " << alpha;
                }
            }
        }
    }
}

TEST(LightBlend, EndsOfTheScale) {
    const uint32_t tint = 0xFF10E040u;
    const uint32_t under = 0xFF202428u;
    EXPECT_EQ(ui::BlendTintPixel(tint, under, 255, 255), tint);
    EXPECT_EQ(ui::BlendTintPixel(tint, under, 0, 255), under);
    EXPECT_EQ(ui::BlendTintPixel(tint, under, 255, 0), under);
    // Half way, rounded: (0xE0 + 0x24) / 2 and so on.
    const uint32_t half = ui::BlendTintPixel(tint, under, 255, 128);
    EXPECT_NEAR(static_cast<int>(half >> 8 & 0xFF), (0xE0 * 128 + 0x24 * 127) / 255, 1);
    EXPECT_EQ(half >> 24, 0xFFu) << "opaque over opaque stays opaque";
}

class LightBlendPath : public ::testing::TestWithParam<ui::BlendPath> {};

TEST_P(LightBlendPath, RowsMatchThePixelRuleForEveryLengthAndInPlace) {
    if (!ui::BlendPathAvailable(GetParam())) {
        GTEST_SKIP() << "this processor lacks the path";
    }
    std::mt19937 random(7);
    for (int count = 0; count <= 37; ++count) {
        for (uint32_t alpha : {0u, 1u, 127u, 200u, 255u}) {
            std::vector<uint32_t> under(static_cast<size_t>(count));
            std::vector<uint8_t> mask(static_cast<size_t>(count));
            for (int i = 0; i < count; ++i) {
                under[static_cast<size_t>(i)] = random();
                // Every mask value shows up across the lengths.
                mask[static_cast<size_t>(i)] = static_cast<uint8_t>((i * 37 + count * 11) & 0xFF);
            }
            const uint32_t tint = 0xFF000000u | (random() & 0xFFFFFFu);
            std::vector<uint32_t> out(static_cast<size_t>(count), 0xDEADBEEFu);
            ui::BlendTintRowWith(GetParam(), under.data(), out.data(), mask.data(), count, tint,
                                 alpha);
            std::vector<uint32_t> inPlace = under;
            ui::BlendTintRowWith(GetParam(), inPlace.data(), inPlace.data(), mask.data(), count,
                                 tint, alpha);
            for (int i = 0; i < count; ++i) {
                const auto n = static_cast<size_t>(i);
                const uint32_t expected = ui::BlendTintPixel(tint, under[n], mask[n], alpha);
                ASSERT_EQ(out[n], expected) << "count " << count << " pixel " << i;
                ASSERT_EQ(inPlace[n], expected) << "count " << count << " pixel " << i;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, LightBlendPath,
                         ::testing::Values(ui::BlendPath::kScalar, ui::BlendPath::kSse2,
                                           ui::BlendPath::kAvx2));

TEST(LightBlend, NoWriteBeyondTheRow) {
    std::vector<uint32_t> under(16, 0xFF000000u);
    std::vector<uint8_t> mask(16, 255);
    std::vector<uint32_t> out(16, 0x12345678u);
    ui::BlendTintRow(under.data(), out.data(), mask.data(), 11, 0xFFFFFFFFu, 255);
    for (size_t i = 0; i < 16; ++i) {
        EXPECT_EQ(out[i], i < 11 ? 0xFFFFFFFFu : 0x12345678u) << i;
    }
}

}  // namespace

// A picture with the shapes the keyboard has: flat stretches of every
// length around the fill threshold, rows that repeat the row above, rows
// that repeat it in the picture but not in the mask, and noise.
struct RunsPicture {
    static constexpr int kStride = 53;
    static constexpr int kHeight = 19;
    std::vector<uint32_t> picture = std::vector<uint32_t>(kStride * kHeight);
    std::vector<uint8_t> mask = std::vector<uint8_t>(40 * kHeight);

    explicit RunsPicture(uint32_t seed) {
        std::mt19937 random(seed);
        for (int y = 0; y < kHeight; ++y) {
            uint32_t* row = &picture[static_cast<size_t>(y * kStride)];
            if (y % 4 == 2) {
                std::copy(row - kStride, row, row);
            } else {
                for (int x = 0; x < kStride;) {
                    const int length = 1 + static_cast<int>(random() % 9);
                    const uint32_t colour = random() % 3 == 0 ? 0xFF202428u : random();
                    for (int i = 0; i < length && x < kStride; ++i, ++x) {
                        row[x] = colour;
                    }
                }
            }
            uint8_t* m = &mask[static_cast<size_t>(y * 40)];
            for (int x = 0; x < 40; ++x) {
                m[x] = y % 8 == 6 ? static_cast<uint8_t>(random()) : (x < 4 || x > 35 ? 40 : 235);
            }
        }
    }
};

TEST(LightRuns, DrawEqualsBlendingEveryRow) {
    // Lights of 37 x 17 at (5, 1), their mask rows 40 bytes apart, and
    // narrower ones down to less than a vector of pixels.
    for (uint32_t seed = 1; seed <= 160; ++seed) {
        RunsPicture p(seed);
        const int left = 5, top = 1, height = 17;
        const int width = std::array{37, 19, 9, 3}[seed % 4];
        ui::LightRuns runs;
        runs.Build(p.picture.data(), RunsPicture::kStride, p.mask.data(), 40, left, top, width,
                   height);
        for (uint32_t alpha : {0u, 90u, 255u}) {
            const uint32_t tint = 0xFF000000u | (seed * 0x9E3779u & 0xFFFFFFu);
            std::vector<uint32_t> want = p.picture;
            for (int y = 0; y < height; ++y) {
                const size_t at = static_cast<size_t>((top + y) * RunsPicture::kStride + left);
                ui::BlendTintRow(&p.picture[at], &want[at], &p.mask[static_cast<size_t>(y * 40)],
                                 width, tint, alpha);
            }
            std::vector<uint32_t> got = p.picture;
            runs.Draw(got.data(), RunsPicture::kStride, tint, alpha);
            ASSERT_EQ(got, want) << "seed " << seed << " alpha " << alpha;
            std::vector<uint32_t> inPlace = p.picture;
            runs.Draw(inPlace.data(), RunsPicture::kStride, tint, alpha);
            ASSERT_EQ(inPlace, want) << "in place, seed " << seed << " alpha " << alpha;
            // Into a wider frame where the picture's (0, 0) lies at (7, 3),
            // as a window's buffer holds the picture.
            constexpr int kWide = RunsPicture::kStride + 11;
            std::vector<uint32_t> window(static_cast<size_t>(kWide * (RunsPicture::kHeight + 3)),
                                         0xDEADBEEFu);
            runs.Draw(&window[3 * kWide + 7], kWide, tint, alpha);
            for (int y = 0; y < RunsPicture::kHeight + 3; ++y) {
                for (int x = 0; x < kWide; ++x) {
                    const int py = y - 3;
                    const int px = x - 7;
                    const bool lit =
                        py >= top && py < top + height && px >= left && px < left + width;
                    const uint32_t expected =
                        lit ? want[static_cast<size_t>(py * RunsPicture::kStride + px)]
                            : 0xDEADBEEFu;
                    ASSERT_EQ(window[static_cast<size_t>(y * kWide + x)], expected)
                        << "wide frame, seed " << seed << " at " << x << "," << y;
                }
            }
        }
    }
}

TEST(LightRuns, AFlatCapOfRepeatedRowsAndAnEmptyLight) {
    // A cap of one colour under a mask flat but for its two edge pixels:
    // every row past the first is the first again.
    std::vector<uint32_t> picture(20 * 6, 0xFF303040u);
    std::vector<uint8_t> mask(20 * 6, 235);
    for (int y = 0; y < 6; ++y) {
        mask[static_cast<size_t>(y * 20)] = 15;
        mask[static_cast<size_t>(y * 20 + 19)] = 15;
    }
    ui::LightRuns runs;
    runs.Build(picture.data(), 20, mask.data(), 20, 0, 0, 20, 6);
    std::vector<uint32_t> frame(picture.size(), 0);
    runs.Draw(frame.data(), 20, 0xFFFF0000u, 255);
    for (size_t i = 0; i < frame.size(); ++i) {
        ASSERT_EQ(frame[i], ui::BlendTintPixel(0xFFFF0000u, 0xFF303040u, mask[i], 255)) << i;
    }
    // Nothing to draw: an empty light leaves the frame alone.
    runs.Build(picture.data(), 20, mask.data(), 20, 0, 0, 0, 6);
    EXPECT_TRUE(runs.Empty());
    std::vector<uint32_t> untouched(picture.size(), 7);
    runs.Draw(untouched.data(), 20, 0xFFFF0000u, 255);
    EXPECT_EQ(untouched, std::vector<uint32_t>(picture.size(), 7));
}
