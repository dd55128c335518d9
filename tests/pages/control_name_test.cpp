#include "pages/control_name.h"

#include <gtest/gtest.h>

#include <climits>

using pages::SplitControlName;

TEST(ControlName, SplitsAtTheLastUnderscoreAndReadsTheIndexLikeAtoi) {
    auto s = SplitControlName("color_option_3");
    EXPECT_TRUE(s.indexed);
    EXPECT_EQ(s.prefix, "color_option_");
    EXPECT_EQ(s.index, 3);

    EXPECT_EQ(SplitControlName("key_12").index, 12);
    // No number, or an empty rest, gives 0.
    EXPECT_EQ(SplitControlName("key_").index, 0);
    EXPECT_EQ(SplitControlName("key_x").index, 0);
    EXPECT_EQ(SplitControlName("key_x").prefix, "key_");
    // Sign and leading digits only.
    EXPECT_EQ(SplitControlName("key_-4").index, -4);
    EXPECT_EQ(SplitControlName("key_+7").index, 7);
    EXPECT_EQ(SplitControlName("key_12ab").index, 12);
    EXPECT_EQ(SplitControlName("DPI_slider_007").index, 7);
    // "key_butt_keysave" has the prefix "key_butt_", not "key_".
    EXPECT_EQ(SplitControlName("key_butt_keysave").prefix, "key_butt_");
}

TEST(ControlName, NameWithoutUnderscoreHasNoPrefixAndHugeNumbersSaturate) {
    const auto s = SplitControlName("closebtn");
    EXPECT_FALSE(s.indexed);
    EXPECT_TRUE(s.prefix.empty());
    EXPECT_EQ(s.index, 0);
    EXPECT_FALSE(SplitControlName("").indexed);

    EXPECT_EQ(SplitControlName("key_2147483647").index, INT_MAX);
    EXPECT_EQ(SplitControlName("key_2147483648").index, INT_MAX);
    EXPECT_EQ(SplitControlName("key_99999999999999999999").index, INT_MAX);
    EXPECT_EQ(SplitControlName("key_-2147483648").index, INT_MIN);
    EXPECT_EQ(SplitControlName("key_-99999999999999").index, INT_MIN);
}

TEST(ControlName, CaseIsIgnoredForAsciiOnly) {
    EXPECT_TRUE(pages::EqualsIgnoringCase("CloseBtn", "closebtn"));
    EXPECT_FALSE(pages::EqualsIgnoringCase("closebtn", "closebtn1"));
    EXPECT_FALSE(pages::EqualsIgnoringCase("\xC3\xA9", "\xC3\x89"));
}
