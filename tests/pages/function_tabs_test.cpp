// The function tabs of a profile bar: the visibility rules per device type
// and the marks of one selection; and the tags that stand for whole pages.
#include "pages/function_tabs.h"

#include <gtest/gtest.h>

#include <string>

#include "pages/sub_layouts.h"

namespace {

std::string Shown(int deviceType) {
    // One letter per tab in page-type order: + shown, - hidden, . layout's choice.
    std::string out;
    for (int type = 1; type <= pages::kFunctionTabCount; ++type) {
        const std::optional<bool> s = pages::FunctionTabShown(deviceType, type);
        out += !s ? '.' : (*s ? '+' : '-');
    }
    return out;
}

}  // namespace

TEST(FunctionTabs, EachDeviceTypeShowsAndHidesItsTabs) {
    //                      light key macro system cursor voice magic virtual other
    EXPECT_EQ(Shown(1), "....-...-");
    EXPECT_EQ(Shown(2), "+........");
    EXPECT_EQ(Shown(3), ".----....");
    EXPECT_EQ(Shown(4), ".--.-....") << "type 4 keeps its settings tab";
    EXPECT_EQ(Shown(5), ".----....");
    EXPECT_EQ(Shown(7), ".----+++.");
    for (const int other : {0, 6, 8, 9, -1, 100})
        EXPECT_EQ(Shown(other), ".........") << other;
}

TEST(FunctionTabs, OneSelectionMarksOneTabOrNone) {
    for (int type = -1; type <= 11; ++type) {
        const auto marks = pages::FunctionTabMarks(type);
        for (int t = 1; t <= pages::kFunctionTabCount; ++t)
            EXPECT_EQ(marks[static_cast<size_t>(t - 1)], t == type) << type << " " << t;
    }
    EXPECT_STREQ(pages::kFunctionTabNames[8], "otherset_Op_tab");
    EXPECT_STREQ(pages::kFunctionTabNames[7], "Virtual7.1_Op_tab");
}

TEST(SubLayouts, PageTagsNameTheirOwnLayoutsAndClassesPassThrough) {
    EXPECT_STREQ(pages::SubLayoutOfTag("DeviceProfileUI"), "XML/CustomControlXML/DeviceProfile.ui");
    EXPECT_STREQ(pages::SubLayoutOfTag("lightsetcontrolui"),
                 "XML/CustomControlXML/LightControl.ui");
    EXPECT_STREQ(pages::SubLayoutOfTag("ShootKeySetControlUI"),
                 "XML/CustomControlXML/ShootControl.ui");
    EXPECT_STREQ(pages::SubLayoutOfTag("VirtualSetControlUI"),
                 "XML/CustomControlXML/VirtualSet.ui");
    // The class of a page's root is a control of its own, not a tag.
    EXPECT_EQ(pages::SubLayoutOfTag("KeySetControl"), nullptr);
    EXPECT_EQ(pages::SubLayoutOfTag("DeviceProfile"), nullptr);
    EXPECT_EQ(pages::SubLayoutOfTag(""), nullptr);
}
