// The lighting rules against the per-mode tables they were written from:
// every mode of every device kind, looked up through the skin's names.
#include "pages/light_rules.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using pages::ControlRule;
using pages::LightRulesFor;
using pages::Tri;

struct Expected {
    std::vector<int> modes;  // empty: every other mode
    std::string enabled;     // E, D or - in the order of the kind's columns
};

ControlRule RuleOf(const pages::LightModeRules& rules, const std::string& name) {
    const auto& names = pages::LightControlNames();
    for (size_t i = 0; i < names.size(); ++i) {
        if (name == names[i])
            return rules.controls[i];
    }
    ADD_FAILURE() << "no control " << name;
    return {};
}

Tri EnabledOf(int kind, int mode, const std::string& name) {
    return RuleOf(LightRulesFor(kind, mode), name).enabled;
}
Tri VisibleOf(int kind, int mode, const std::string& name) {
    return RuleOf(LightRulesFor(kind, mode), name).visible;
}

// Checks modes -1..40 of `kind` against the rows; a mode no row names takes
// the row with no modes.
void CheckColumns(int kind, const std::vector<std::string>& columns,
                  const std::vector<Expected>& rows) {
    for (int mode = -1; mode <= 40; ++mode) {
        const Expected* row = nullptr;
        for (const Expected& r : rows) {
            for (int m : r.modes) {
                if (m == mode)
                    row = &r;
            }
        }
        for (const Expected& r : rows) {
            if (row == nullptr && r.modes.empty())
                row = &r;
        }
        ASSERT_NE(row, nullptr);
        ASSERT_EQ(row->enabled.size(), columns.size());
        for (size_t i = 0; i < columns.size(); ++i) {
            const char c = row->enabled[i];
            const Tri want = c == 'E' ? Tri::On : c == 'D' ? Tri::Off : Tri::Keep;
            EXPECT_EQ(EnabledOf(kind, mode, columns[i]), want)
                << "kind " << kind << " mode " << mode << " " << columns[i];
        }
    }
}

const std::vector<std::string> kKeyboardColumns = {"deng_7color_check",  "deng_color_layout",
                                                   "colorpallet_layout", "deng_fx_layout",
                                                   "deng_light_layout",  "deng_speed_layout"};

TEST(LightRules, NamesAreUniqueAndComplete) {
    std::set<std::string> names;
    for (const char* name : pages::LightControlNames()) {
        ASSERT_NE(name, nullptr);
        names.insert(name);
    }
    EXPECT_EQ(names.size(), pages::kLightControlCount);
}

TEST(LightRules, KeyboardModes) {
    CheckColumns(1, kKeyboardColumns,
                 {{{1, 22}, "EEEEEE"},
                  {{2, 24}, "EEEEEE"},
                  {{28}, "EEEEEE"},
                  {{3, 9, 26}, "DDDDEE"},
                  {{4, 23}, "EEEDEE"},
                  {{5, 14}, "EEEDED"},
                  {{6, 7, 8, 11, 12, 13, 18, 25, 33}, "EEEDEE"},
                  {{10}, "DDDEEE"},
                  {{15}, "DDDDEE"},
                  {{16}, "DDDEED"},
                  {{17}, "DDDDDD"},
                  {{19}, "DEDDED"},
                  {{21}, "DDDDED"},
                  {{27}, "DDDDEE"},
                  {{29}, "EEEEED"},
                  {{30}, "DDDDED"},
                  {{}, "DDDDDD"}});
}

TEST(LightRules, KeyboardLayoutsTextsAndPages) {
    const std::set<int> noColourLayout = {3, 9, 26, 10, 15, 16, 17, 19, 30};
    for (int mode = -1; mode <= 40; ++mode) {
        const auto rules = LightRulesFor(1, mode);
        SCOPED_TRACE("mode " + std::to_string(mode));
        EXPECT_EQ(RuleOf(rules, "deng_same_mode").visible, Tri::Off);
        EXPECT_EQ(RuleOf(rules, "lighteffect_layout").enabled, Tri::On);
        EXPECT_EQ(RuleOf(rules, "light_color_layout").enabled,
                  noColourLayout.count(mode) ? Tri::Off : Tri::On);
        EXPECT_EQ(RuleOf(rules, "deng_speed_layout").visible,
                  mode == 15 || mode == 19 ? Tri::Off : Tri::On);
        EXPECT_EQ(RuleOf(rules, "lightcustom_layout").visible, mode == 19 ? Tri::On : Tri::Off);
        EXPECT_EQ(RuleOf(rules, "light_combo_ZZCCmodeSelectLayout").visible,
                  mode == 15 ? Tri::On : Tri::Keep);
        EXPECT_EQ(RuleOf(rules, "light_combo_AudiomodeSelectLayout").visible,
                  mode == 29 ? Tri::On : Tri::Off);
        EXPECT_EQ(rules.colourPage, mode == 29 ? 1 : 0);
        // Every other mode enables it again, so it never stays dead.
        EXPECT_EQ(RuleOf(rules, "deng_7colorselect_layout").enabled,
                  mode == 4 || mode == 23 ? Tri::Off : Tri::On);

        std::string left = "light_set_right_to_left_text", right = "light_set_left_to_right_text";
        if (mode == 2 || mode == 24) {
            left = "light_set_clockwise_text";
            right = "light_set_anticlockwise_text";
        } else if (mode == 28) {
            left = "light_set_up_to_down_text";
            right = "light_set_down_to_up_text";
        } else if (mode == 10) {
            left = "light_set_down_to_up_text";
            right = "light_set_up_to_down_text";
        } else if (mode == 16) {
            left = "light_set_outside_to_inside_text";
            right = "light_set_inside_to_outside_text";
        }
        ASSERT_NE(rules.fxLeftText, nullptr);
        ASSERT_NE(rules.fxRightText, nullptr);
        EXPECT_EQ(rules.fxLeftText, left);
        EXPECT_EQ(rules.fxRightText, right);
    }
}

TEST(LightRules, MouseModes) {
    CheckColumns(2,
                 {"deng_7color_check", "deng_color_layout", "colorpallet_layout",
                  "deng_light_layout", "deng_speed_layout", "deng_fx_layout", "deng_rgb_layout"},
                 {{{0}, "DEEEDDE"},
                  {{1, 7}, "DEEEEDE"},
                  {{2, 3, 5}, "DDDEEDD"},
                  {{4}, "EDDEEDD"},
                  {{6}, "DDDDDD-"},
                  {{8}, "DDDEED-"},
                  {{10}, "EEEEED-"},
                  {{}, "DDDDDD-"}});
    for (int mode : {0, 9, 40}) {
        EXPECT_EQ(VisibleOf(2, mode, "lightcustom_layout"), Tri::Off);
        EXPECT_EQ(VisibleOf(2, mode, "deng_same_mode"), Tri::Off);
        EXPECT_EQ(EnabledOf(2, mode, "lighteffect_layout"), Tri::On);
        EXPECT_EQ(LightRulesFor(2, mode).fxLeftText, nullptr);
    }
}

TEST(LightRules, MousePadKinds) {
    for (int kind : {3, 4, 7}) {
        CheckColumns(kind,
                     {"deng_7color_check", "deng_color_layout", "colorpallet_layout",
                      "deng_light_layout", "deng_speed_layout", "deng_fx_layout"},
                     {{{0}, "EEEEEE"},
                      {{1}, "DDDEED"},
                      {{2, 4}, "EEEEED"},
                      {{3}, "DEEEDD"},
                      {{}, "DDDDDD"}});
        EXPECT_EQ(VisibleOf(kind, 5, "deng_same_mode"), Tri::Off);
        EXPECT_EQ(VisibleOf(kind, 5, "lightcustom_layout"), Tri::Keep);
    }
}

TEST(LightRules, KindFiveLeavesFxAndSameModeAlone) {
    CheckColumns(5,
                 {"deng_7color_check", "deng_color_layout", "colorpallet_layout",
                  "deng_light_layout", "deng_speed_layout", "deng_fx_layout", "deng_same_mode"},
                 {{{0, 2, 3}, "EEEEE--"}, {{1}, "DEEED--"}, {{4}, "DDDEE--"}, {{}, "DDDDD--"}});
    EXPECT_EQ(VisibleOf(5, 0, "deng_same_mode"), Tri::Keep);
}

TEST(LightRules, OtherKindsChangeNothing) {
    for (int kind : {0, 6, 8, -1}) {
        const auto rules = LightRulesFor(kind, 1);
        for (const ControlRule& rule : rules.controls)
            EXPECT_EQ(rule, ControlRule{});
        EXPECT_EQ(rules.fxLeftText, nullptr);
        EXPECT_EQ(rules.colourPage, -1);
    }
}

TEST(ColourComponentEdit, ClampsToAByte) {
    struct Case {
        const char* text;
        int value;
    };
    for (const Case& c :
         {Case{"0", 0}, Case{"18", 18}, Case{"255", 255}, Case{"256", 255}, Case{"300", 255},
          Case{"99999999999999999999", 255}, Case{"", 0}, Case{"-5", 0}, Case{"abc", 0},
          Case{"12a", 0}, Case{" 7", 0}, Case{"007", 7}}) {
        EXPECT_EQ(pages::ClampColourComponent(c.text), c.value) << c.text;
    }
}

}  // namespace
