#include "pages/control_geometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <vector>

using pages::IntRect;

TEST(CircleProgress, SweepIsTheShareOfTheRangeInWholeDegrees) {
    EXPECT_EQ(pages::CircleSweepDegrees(25, 0, 100), 90);
    EXPECT_EQ(pages::CircleSweepDegrees(0, 0, 100), 0);
    EXPECT_EQ(pages::CircleSweepDegrees(100, 0, 100), 360);
    EXPECT_EQ(pages::CircleSweepDegrees(1, 0, 7), 51);  // 51.4 truncated
    EXPECT_EQ(pages::CircleSweepDegrees(15, 10, 20), 180);
    // Out of range values stay within one turn.
    EXPECT_EQ(pages::CircleSweepDegrees(250, 0, 100), 360);
    EXPECT_EQ(pages::CircleSweepDegrees(-5, 0, 100), 0);
    // No range: no sweep, never a division by zero.
    EXPECT_EQ(pages::CircleSweepDegrees(5, 7, 7), 0);
    EXPECT_EQ(pages::CircleSweepDegrees(5, 10, 0), 0);
    EXPECT_EQ(pages::CircleSweepDegrees(INT_MAX, INT_MIN, INT_MAX), 360);
}

TEST(AudioRecord, OneLineEveryTwoPixelsScaledToFullScale) {
    std::vector<int> samples(600, 0);
    samples[0] = 8192;
    samples[1] = 4096;
    samples[2] = 9000;
    samples[3] = -7;
    const auto lines = pages::LayoutSampleLines(IntRect{10, 0, 30, 100}, samples);
    ASSERT_EQ(lines.size(), 10u);  // 2 * i < 20
    EXPECT_EQ(lines[0], (pages::SampleLine{10, 0, 99}));
    EXPECT_EQ(lines[1], (pages::SampleLine{12, 50, 99}));
    EXPECT_EQ(lines[2], (pages::SampleLine{14, 0, 99}));
    EXPECT_EQ(lines[3], (pages::SampleLine{16, 99, 99}));
    // At most 500 lines however wide the control.
    EXPECT_EQ(pages::LayoutSampleLines(IntRect{0, 0, 5000, 10}, samples).size(), 500u);
    EXPECT_TRUE(pages::LayoutSampleLines(IntRect{0, 0, 50, 0}, samples).empty());
}

TEST(ChartPie, SlicesShareTheTurnInPaletteColours) {
    const std::vector<double> values(20, 1.0);
    const auto pie = pages::LayoutPie(IntRect{0, 0, 300, 200}, values, true);
    EXPECT_EQ(pie.pie, (IntRect{5, 5, 195, 195}));
    ASSERT_EQ(pie.slices.size(), 20u);
    EXPECT_DOUBLE_EQ(pie.slices[0].startDegrees, 0);
    EXPECT_DOUBLE_EQ(pie.slices[1].startDegrees, 18);
    EXPECT_EQ(pie.slices[0].colour, 0x00F5963Fu);
    EXPECT_EQ(pie.slices[18].colour, 0x00F5963Fu);
    EXPECT_EQ(pie.slices[17].colour, 0x00122688u);
    EXPECT_NEAR(pie.slices[19].startDegrees + pie.slices[19].sweepDegrees, 360, 1e-9);
    // 20 rows of 22 do not fit in 200: the block starts at top + 5 and the
    // rows below the control are left out.
    ASSERT_FALSE(pie.legendSquares.empty());
    EXPECT_EQ(pie.legendSquares[0], (IntRect{200, 5, 218, 23}));
    EXPECT_EQ(pie.legendSquares[1].top, 27);

    const std::vector<double> two{1, 3};
    const auto small = pages::LayoutPie(IntRect{0, 0, 100, 100}, two, false);
    EXPECT_EQ(small.pie, (IntRect{5, 5, 95, 95}));
    EXPECT_DOUBLE_EQ(small.slices[1].startDegrees, 90);
    EXPECT_TRUE(small.legendSquares.empty());
}

TEST(ChartPie, NothingToShareOrNoRoomDrawsNoPie) {
    const IntRect control{0, 0, 300, 200};
    for (const std::vector<double>& values :
         {std::vector<double>{}, std::vector<double>{0, 0}, std::vector<double>{-1, 0},
          std::vector<double>{std::nan("")},
          std::vector<double>{std::numeric_limits<double>::infinity()}}) {
        const auto pie = pages::LayoutPie(control, values, true);
        EXPECT_TRUE(pie.slices.empty());
        EXPECT_TRUE(pie.pie.IsEmpty());
    }
    EXPECT_TRUE(
        pages::LayoutPie(IntRect{0, 0, 105, 200}, std::vector<double>{1}, true).slices.empty());
}

TEST(ChartHistogram, PillarsStandOnTheNameBandScaledToTheLargest) {
    const std::vector<double> values{10, 5, 0, -3};
    const auto h = pages::LayoutHistogram(IntRect{0, 0, 200, 125}, values, 20, 8, true);
    EXPECT_EQ(h.nameBandTop, 100);
    EXPECT_EQ(h.shadow, (IntRect{0, 92, 200, 100}));
    // spacing = 200 / 20 * 2 = 20
    ASSERT_EQ(h.pillars.size(), 4u);
    EXPECT_EQ(h.pillars[0], (IntRect{20, 0, 40, 100}));
    EXPECT_EQ(h.pillars[1], (IntRect{60, 50, 80, 100}));
    EXPECT_EQ(h.pillars[2].Height(), 0);
    EXPECT_EQ(h.pillars[3].Height(), 0);
}

TEST(ChartHistogram, NoLargestValueOrPillarWidthDrawsOnlyTheShadow) {
    const IntRect control{0, 0, 200, 125};
    const std::vector<double> zeros{0, 0};
    const std::vector<double> some{1, 2};
    EXPECT_TRUE(pages::LayoutHistogram(control, zeros, 20, 8, false).pillars.empty());
    EXPECT_TRUE(pages::LayoutHistogram(control, {}, 20, 8, false).pillars.empty());
    const auto noWidth = pages::LayoutHistogram(control, some, 0, 8, false);
    EXPECT_TRUE(noWidth.pillars.empty());
    EXPECT_EQ(noWidth.shadow, (IntRect{0, 117, 200, 125}));
    EXPECT_TRUE(pages::LayoutHistogram(control, some, -4, 8, false).pillars.empty());
    // Pillars that would start past the control are left out.
    const std::vector<double> many(50, 1.0);
    for (const IntRect& p : pages::LayoutHistogram(control, many, 30, 0, false).pillars) {
        EXPECT_LT(p.left, control.right);
    }
}

TEST(HandPicture, PanningFollowsTheMouseInsideThePicture) {
    IntRect s = pages::InitialHandSource(100, 100, 200, 100);
    EXPECT_EQ(s, (IntRect{0, 0, 100, 100}));
    EXPECT_EQ(pages::HandImageString("/home/u/a.png", s),
              "file='/home/u/a.png' source='0,0,100,100'");
    s = pages::PanHandSource(s, 200, 100, -30, 0);
    EXPECT_EQ(s, (IntRect{30, 0, 130, 100}));
    s = pages::PanHandSource(s, 200, 100, 50, 0);
    EXPECT_EQ(s, (IntRect{0, 0, 100, 100}));
    // Towards smaller coordinates the part grows only by what is left.
    s = pages::PanHandSource(s, 200, 100, -500, -40);
    EXPECT_EQ(s, (IntRect{100, 0, 200, 100}));
    s = pages::PanHandSource(s, 200, 100, -1, 0);
    EXPECT_EQ(s, (IntRect{100, 0, 200, 100}));
    s = pages::PanHandSource(s, 200, 100, INT_MIN, INT_MAX);
    EXPECT_EQ(s, (IntRect{100, 0, 200, 100}));
    s = pages::PanHandSource(s, 200, 100, INT_MAX, 0);
    EXPECT_EQ(s, (IntRect{0, 0, 100, 100}));

    EXPECT_EQ(pages::InitialHandSource(300, 300, 200, 100), (IntRect{}));
}

TEST(RecordingPulse, FadesDownToEightyAndBackToFull) {
    pages::PulseState p;
    std::vector<int> seen;
    for (int i = 0; i < 19; ++i) {
        p = pages::NextPulse(p);
        seen.push_back(p.fade);
    }
    const std::vector<int> expected{235, 215, 195, 175, 155, 135, 115, 95,  80, 100,
                                    120, 140, 160, 180, 200, 220, 240, 255, 235};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(pages::PulseImageString("macro/rec.png", 80), "res='macro/rec.png' fade='80'");
}
