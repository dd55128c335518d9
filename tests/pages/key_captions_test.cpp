// Key captions: what the picture and the page call an assignment, and that
// every name the tables can ask for is in both language files.
#include "pages/key_captions.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "pages/key_save_flow.h"

namespace {

using Ids = std::vector<std::string>;

profile::KeyAssignment A(uint8_t type, uint8_t code1, uint8_t code2) {
    return {0, type, code1, code2};
}

TEST(KeyCaptions, AssignmentsAreNamedByTheTableThatOwnsThem) {
    EXPECT_EQ(pages::CaptionIdsOf(A(0x20, 0, 0x29)), Ids{"keyboard_key_Esc"});
    EXPECT_EQ(pages::CaptionIdsOf(A(0x30, 0xE2, 0)), Ids{"media_mute"});
    EXPECT_EQ(pages::CaptionIdsOf(A(0x40, 0x02, 0)), Ids{"keyboard_key_Sleep"});
    EXPECT_EQ(pages::CaptionIdsOf(A(0x10, 0x04, 0)), Ids{"mouse_key_middle"});
    EXPECT_EQ(pages::CaptionIdsOf(A(0x13, 3, 0)), Ids{"mouse_key_DPI_loop"});
    EXPECT_EQ(pages::CaptionIdsOf(A(0x72, 2, 0)), Ids{"gun_3_txt"});
    EXPECT_EQ(pages::CaptionIdsOf(A(0x20, 0x08, 0x0F)), Ids{"keyboard_key_WINL"});
    // 0x10 alone is right Ctrl; with a usage it is the Ctrl shortcut form.
    EXPECT_EQ(pages::CaptionIdsOf(A(0x20, 0x10, 0)), Ids{"keyboard_key_RCtrl"});
    EXPECT_EQ(pages::CaptionIdsOf(A(0x20, 0x10, 0x06)), Ids{"custem_copy"});
    // Extended keys keep their own names.
    EXPECT_EQ(pages::CaptionIdsOf(A(0x20, 0, 0x58)), Ids{"keyboard_key_Num Enter"});
    EXPECT_EQ(pages::CaptionIdsOf(A(0x20, 0, 0x48)), Ids{"keyboard_key_Pause"});
    EXPECT_EQ(pages::CaptionIdsOf(A(0x20, 0, 0x53)), Ids{"keyboard_key_Num Lock"});
}

TEST(KeyCaptions, ParametersAndModifiersPickTheirName) {
    EXPECT_EQ(pages::CaptionIdsOf(A(0x11, 0x12, 0x83)), Ids{"mouse_key_right_Swing"});
    EXPECT_EQ(pages::CaptionIdsOf(A(0x11, 0x12, 0x03)), Ids{"mouse_key_left_Swing"});
    EXPECT_EQ(pages::CaptionIdsOf(A(0x12, 0, 0xFD)), Ids{"mouse_key_down_Swing"});
    EXPECT_EQ(pages::CaptionIdsOf(A(0x12, 0, 0x03)), Ids{"mouse_key_up_Swing"});
    EXPECT_EQ(pages::CaptionIdsOf(A(0x14, 40, 3)), Ids{"mouse_key_fire_key"});
    // Alt + B as the capture stores it; both Alts read as Alt.
    EXPECT_EQ(pages::CaptionIdsOf(A(0x20, 0x04, 0x05)),
              (Ids{"keyboard_key_LAlt", "keyboard_key_B"}));
    EXPECT_EQ(pages::CaptionIdsOf(A(0x20, 0x44, 0x05)),
              (Ids{"keyboard_key_LAlt", "keyboard_key_B"}));
    EXPECT_EQ(pages::CaptionIdsOf(A(0x20, 0x03, 0x05)),
              (Ids{"keyboard_key_LCtrl", "keyboard_key_LShift", "keyboard_key_B"}));
}

TEST(KeyCaptions, UnknownCodesAndMacrosHaveNoId) {
    EXPECT_TRUE(pages::CaptionIdsOf(A(0x70, 0, 0)).empty());
    EXPECT_TRUE(pages::CaptionIdsOf(A(0x71, 3, 9)).empty());
    EXPECT_TRUE(pages::CaptionIdsOf(A(0x55, 1, 2)).empty());
    EXPECT_TRUE(pages::CaptionIdsOf(A(0x20, 0x04, 0xEE)).empty());
    EXPECT_TRUE(pages::CaptionIdsOf(A(0x30, 0x99, 0x09)).empty());
}

std::set<std::string> LanguageIds(const std::string& file) {
    std::ifstream in(std::string(QX70_SOURCE_DIR) + "/resources/skin/" + file);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string text = ss.str();
    std::set<std::string> ids;
    const std::string open = "<Text id=\"";
    for (size_t at = text.find(open); at != std::string::npos; at = text.find(open, at + 1)) {
        const size_t from = at + open.size();
        std::string id = text.substr(from, text.find('"', from) - from);
        // The files escape XML specials inside ids.
        for (const auto& [entity, c] : {std::pair<std::string, std::string>{"&lt;", "<"},
                                        {"&gt;", ">"},
                                        {"&quot;", "\""},
                                        {"&amp;", "&"}}) {
            for (size_t p = id.find(entity); p != std::string::npos; p = id.find(entity))
                id.replace(p, entity.size(), c);
        }
        ids.insert(id);
    }
    return ids;
}

TEST(KeyCaptions, EveryNameIsInBothLanguages) {
    const auto ids = pages::AllCaptionIds();
    EXPECT_GE(ids.size(), 180u);
    for (const char* file : {"lan_en.xml", "lan_cn.xml"}) {
        const auto have = LanguageIds(file);
        for (const std::string& id : ids)
            EXPECT_TRUE(have.count(id)) << file << " lacks " << id;
        for (const char* id :
             {"message_text_7", "message_text_16", "message_text_26", "keyset_save_failed_text"})
            EXPECT_TRUE(have.count(id)) << file << " lacks " << id;
    }
}

// ------------------------------------------------------------ writing the table

struct FakeDevice {
    int macros = 0;
    int keys = 1;
    int units = 8;
    int macroCalls = 0, keyCalls = 0, saves = 0;
    pages::KeySaveSteps Steps() {
        return {[this] { return ++macroCalls, macros; }, [this] { return ++keyCalls, keys; },
                [this] { return units; }, [this] { ++saves; }};
    }
};

TEST(KeySave, TheProfileIsSavedOnlyWhenBothTransfersArrived) {
    FakeDevice d;
    auto o = pages::RunKeySave(d.Steps());
    EXPECT_EQ(o.result, pages::KeySaveResult::Saved);
    EXPECT_TRUE(o.messageId.empty());
    EXPECT_EQ(d.macroCalls, 1);
    EXPECT_EQ(d.keyCalls, 1);
    EXPECT_EQ(d.saves, 1);

    // The key table write sent nothing: not connected, and not a success.
    d = {};
    d.keys = 0;
    o = pages::RunKeySave(d.Steps());
    EXPECT_EQ(o.result, pages::KeySaveResult::NotConnected);
    EXPECT_EQ(o.messageId, "message_text_7");
    EXPECT_EQ(d.saves, 0);

    d = {};
    d.keys = -102;
    o = pages::RunKeySave(d.Steps());
    EXPECT_EQ(o.result, pages::KeySaveResult::WriteFailed);
    EXPECT_EQ(o.number, -102);
    EXPECT_EQ(d.saves, 0);
}

TEST(KeySave, AMacroThatDidNotArriveStopsBeforeTheKeyTable) {
    FakeDevice d;
    d.macros = -1;
    auto o = pages::RunKeySave(d.Steps());
    EXPECT_EQ(o.result, pages::KeySaveResult::NotConnected);
    EXPECT_EQ(d.keyCalls, 0);
    EXPECT_EQ(d.saves, 0);

    d = {};
    d.macros = -102;
    EXPECT_EQ(pages::RunKeySave(d.Steps()).result, pages::KeySaveResult::WriteFailed);
    EXPECT_EQ(d.keyCalls, 0);

    // 8 units of 128 bytes: 1030 bytes are 6 bytes (two events) too many.
    d = {};
    d.macros = 1030;
    o = pages::RunKeySave(d.Steps());
    EXPECT_EQ(o.result, pages::KeySaveResult::MacroTooLarge);
    EXPECT_EQ(o.messageId, "message_text_16");
    EXPECT_EQ(o.number, 2);
    EXPECT_EQ(d.saves, 0);

    // Within the capacity the number is an event count over the limit.
    d = {};
    d.macros = 260;
    o = pages::RunKeySave(d.Steps());
    EXPECT_EQ(o.messageId, "message_text_26");
    EXPECT_EQ(o.number, 10);
}

TEST(KeySave, MessageTextsAreNeverFormats) {
    EXPECT_EQ(pages::FormatMessage("%s over by %d (%d%%)", 7), "%s over by 7 (%d%%)");
    EXPECT_EQ(pages::FormatMessage("no number", 7), "no number");
    EXPECT_EQ(pages::FormatMessage("%d", -3), "-3");
}

}  // namespace
