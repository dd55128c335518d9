#include "pages/image_string.h"

#include <gtest/gtest.h>

#include <climits>

using pages::ImagePiece;
using pages::ImageString;
using pages::IntRect;
using pages::LayoutImage;
using pages::ParseImageString;

TEST(ImageString, PlainTextIsTheFileName) {
    EXPECT_EQ(ParseImageString("  power/power.png ").file, "power/power.png");
    EXPECT_EQ(ParseImageString("").file, "");
    const ImageString s = ParseImageString("a b.png");
    EXPECT_EQ(s.file, "a b.png");
    EXPECT_FALSE(s.hasDest);
    EXPECT_EQ(s.fade, 255);
    EXPECT_TRUE(s.wellFormed);
}

TEST(ImageString, ReadsEveryKeyWithoutCase) {
    const ImageString s = ParseImageString(
        "FILE='pic.png' restype='PNG' Dest='1,2,30,40' source='5,6,70,80' corner='3,4,5,6' "
        "mask='#FF00FF00' fade='128' hole='true' xtiled='TRUE' ytiled='true' hsl='true'");
    EXPECT_TRUE(s.wellFormed);
    EXPECT_EQ(s.file, "pic.png");
    EXPECT_FALSE(s.fromResource);
    EXPECT_EQ(s.resType, "PNG");
    EXPECT_TRUE(s.hasDest);
    EXPECT_EQ(s.dest, (IntRect{1, 2, 30, 40}));
    EXPECT_EQ(s.source, (IntRect{5, 6, 70, 80}));
    EXPECT_EQ(s.corner, (IntRect{3, 4, 5, 6}));
    EXPECT_TRUE(s.hasMask);
    EXPECT_EQ(s.mask, 0xFF00FF00u);
    EXPECT_EQ(s.fade, 128);
    EXPECT_TRUE(s.hole);
    EXPECT_TRUE(s.xTiled);
    EXPECT_TRUE(s.yTiled);
    EXPECT_TRUE(s.hsl);

    EXPECT_EQ(ParseImageString("mask='0x10'").mask, 0x10u);
    EXPECT_EQ(ParseImageString("mask='255'").mask, 255u);
    EXPECT_FALSE(ParseImageString("hole='yes' xtiled='1'").hole);
    EXPECT_FALSE(ParseImageString("xtiled='1'").xTiled);
}

TEST(ImageString, ResNamesTheImageButFileWins) {
    const ImageString r = ParseImageString("res='rec.png' fade='80'");
    EXPECT_EQ(r.file, "rec.png");
    EXPECT_TRUE(r.fromResource);
    EXPECT_EQ(r.fade, 80);
    EXPECT_EQ(ParseImageString("file='a.png' res='b.png'").file, "a.png");
    EXPECT_EQ(ParseImageString("res='b.png' file='a.png'").file, "a.png");
}

TEST(ImageString, MalformedTextKeepsThePairsBeforeTheFault) {
    ImageString s = ParseImageString("file='a.png' fade='10");
    EXPECT_FALSE(s.wellFormed);
    EXPECT_EQ(s.file, "a.png");
    EXPECT_EQ(s.fade, 255);

    s = ParseImageString("file='a.png' fade 10");
    EXPECT_FALSE(s.wellFormed);
    EXPECT_EQ(s.file, "a.png");
    EXPECT_FALSE(ParseImageString("file=a.png").wellFormed);
    EXPECT_FALSE(ParseImageString("=").wellFormed);
    EXPECT_FALSE(ParseImageString("file='").wellFormed);

    // Blanks around '=' and double quotes are accepted; unknown keys skipped.
    s = ParseImageString("file = \"x.png\"  glow='3'  fade='7'");
    EXPECT_TRUE(s.wellFormed);
    EXPECT_EQ(s.file, "x.png");
    EXPECT_EQ(s.fade, 7);
}

TEST(ImageString, NumbersAreClampedAndShortRectanglesFilledWithZero) {
    EXPECT_EQ(ParseImageString("fade='999'").fade, 255);
    EXPECT_EQ(ParseImageString("fade='-5'").fade, 0);
    EXPECT_EQ(ParseImageString("fade='x'").fade, 0);
    EXPECT_EQ(ParseImageString("source='1,2'").source, (IntRect{1, 2, 0, 0}));
    EXPECT_EQ(ParseImageString("source=''").source, (IntRect{}));
    EXPECT_EQ(ParseImageString("source='1,2,3,4,5,6'").source, (IntRect{1, 2, 3, 4}));
    EXPECT_EQ(ParseImageString("corner='99999999999,-99999999999,a,4'").corner,
              (IntRect{INT_MAX, INT_MIN, 0, 4}));
    EXPECT_EQ(ParseImageString("mask='#FFFFFFFFFF'").mask, 0xFFFFFFFFu);
}

namespace {
const IntRect kControl{10, 20, 110, 70};  // 100 x 50
}

TEST(PictureRule, WholePictureStretchesOverTheControl) {
    const auto p = LayoutImage(ParseImageString("a.png"), kControl, 40, 30, 96);
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].source, (IntRect{0, 0, 40, 30}));
    EXPECT_EQ(p[0].dest, kControl);
    EXPECT_FALSE(p[0].tileX);

    const auto t = LayoutImage(ParseImageString("file='a' xtiled='true'"), kControl, 4, 4, 96);
    ASSERT_EQ(t.size(), 1u);
    EXPECT_TRUE(t[0].tileX);
    EXPECT_FALSE(t[0].tileY);
}

TEST(PictureRule, SourceIsClippedAndDestNarrowsTheControlAtTheScale) {
    auto p = LayoutImage(ParseImageString("file='a' source='30,-5,500,20'"), kControl, 40, 30, 96);
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].source, (IntRect{30, 0, 40, 20}));

    p = LayoutImage(ParseImageString("file='a' dest='2,4,20,30'"), kControl, 40, 30, 144);
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].dest, (IntRect{13, 26, 40, 65}));
    // Never beyond the control.
    p = LayoutImage(ParseImageString("file='a' dest='-10,0,900,900'"), kControl, 40, 30, 96);
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].dest, kControl);

    // Nothing to draw: no picture, a source outside it, an empty dest.
    EXPECT_TRUE(LayoutImage(ParseImageString("a"), kControl, 0, 30, 96).empty());
    EXPECT_TRUE(LayoutImage(ParseImageString("file='a' source='50,0,60,10'"), kControl, 40, 30, 96)
                    .empty());
    EXPECT_TRUE(
        LayoutImage(ParseImageString("file='a' dest='5,5,5,20'"), kControl, 40, 30, 96).empty());
    EXPECT_TRUE(LayoutImage(ParseImageString("a"), IntRect{5, 5, 5, 5}, 4, 4, 96).empty());
}

TEST(PictureRule, CornerSplitsIntoNinePiecesWithScaledBorders) {
    const auto p =
        LayoutImage(ParseImageString("file='a' corner='4,2,6,8'"), kControl, 40, 30, 144);
    ASSERT_EQ(p.size(), 9u);
    // Top-left corner keeps its size (scaled), centre stretches.
    EXPECT_EQ(p[0].source, (IntRect{0, 0, 4, 2}));
    EXPECT_EQ(p[0].dest, (IntRect{10, 20, 16, 23}));
    EXPECT_EQ(p[4].source, (IntRect{4, 2, 34, 22}));
    EXPECT_EQ(p[4].dest, (IntRect{16, 23, 101, 58}));
    EXPECT_EQ(p[8].source, (IntRect{34, 22, 40, 30}));
    EXPECT_EQ(p[8].dest, (IntRect{101, 58, 110, 70}));

    const auto holed = LayoutImage(ParseImageString("file='a' corner='4,2,6,8' hole='true'"),
                                   kControl, 40, 30, 96);
    EXPECT_EQ(holed.size(), 8u);
    for (const ImagePiece& piece : holed)
        EXPECT_NE(piece.source, (IntRect{4, 2, 34, 22}));
}

TEST(PictureRule, OversizedCornersNeverTurnPiecesInsideOut) {
    for (const char* s : {"file='a' corner='100,100,100,100'", "file='a' corner='-3,-3,50,0'",
                          "file='a' corner='2147483647,0,2147483647,0'"}) {
        for (int dpi : {96, 144, 192}) {
            for (const ImagePiece& piece :
                 LayoutImage(ParseImageString(s), IntRect{0, 0, 8, 8}, 40, 30, dpi)) {
                EXPECT_FALSE(piece.source.IsEmpty()) << s;
                EXPECT_GE(piece.source.left, 0);
                EXPECT_LE(piece.source.right, 40);
                EXPECT_LE(piece.source.bottom, 30);
                EXPECT_GE(piece.dest.left, 0);
                EXPECT_LE(piece.dest.right, 8);
                EXPECT_LE(piece.dest.bottom, 8);
            }
        }
    }
}
