#include "macro/macro_recorder.h"

#include <gtest/gtest.h>

#include "macro/key_code_table.h"

namespace macro {
namespace {

constexpr uint16_t kA = 30;  // Linux input codes
constexpr uint16_t kB = 48;
constexpr uint16_t kLeftShift = 42;
constexpr uint16_t kRightCtrl = 97;
constexpr uint16_t kLeftCtrl = 29;

class RecorderTest : public ::testing::Test {
  protected:
    RecorderTest() : recorder([this] { return now; }) {}

    RecordChange Key(uint16_t code, bool down, uint32_t at) {
        now = at;
        return recorder.OnInput(
            {down ? InputKind::KeyPress : InputKind::KeyRelease, code, 0, 0, 0, at}, list);
    }
    RecordChange Button(uint8_t button, bool down, uint32_t at, int x = 0, int y = 0) {
        now = at;
        return recorder.OnInput(
            {down ? InputKind::ButtonPress : InputKind::ButtonRelease, 0, button, x, y, at}, list);
    }
    void Tap(uint16_t code, uint32_t at, uint32_t hold = 50) {
        Key(code, true, at);
        Key(code, false, at + hold);
    }

    uint32_t now = 1000;
    ActionList list;
    MacroRecorder recorder;
};

TEST_F(RecorderTest, RealDelaysLandOnTheEarlierAction) {
    recorder.Start(TimeMode::Recorded, CaptureMode::Append);
    Key(kA, true, 1200);
    Key(kA, false, 1400);
    Key(kB, true, 1650);
    Key(kB, false, 1700);
    ASSERT_EQ(4u, list.rows.size());
    EXPECT_EQ((MacroEvent{true, 10, 0x04, 200}), list.rows[0]);
    EXPECT_EQ((MacroEvent{false, 10, 0x04, 250}), list.rows[1]);
    EXPECT_EQ((MacroEvent{true, 10, 0x05, 50}), list.rows[2]);
    // The last action keeps the placeholder until something follows it.
    EXPECT_EQ((MacroEvent{false, 10, 0x05, 0}), list.rows[3]);
    EXPECT_EQ(3, list.selected);
}

TEST_F(RecorderTest, AppendingToAMacroMeasuresFromTheStart) {
    list.rows = {{true, 10, 4, 80}};
    recorder.Start(TimeMode::Recorded, CaptureMode::Append);  // at 1000
    Key(kB, true, 1300);
    EXPECT_EQ(300, list.rows[0].delay);
}

TEST_F(RecorderTest, ForeignTimeStampsFallBackToTheTimeSinceStart) {
    list.rows = {{true, 10, 4, 80}};
    recorder.Start(TimeMode::Recorded, CaptureMode::Append);
    now = 1250;
    recorder.OnInput({InputKind::KeyPress, kB, 0, 0, 0, 900000000}, list);
    EXPECT_EQ(250, list.rows[0].delay);
}

TEST_F(RecorderTest, LongPausesAreCapped) {
    recorder.Start(TimeMode::Recorded, CaptureMode::Append);
    Key(kA, true, 1000);
    Key(kA, false, 1000 + 70000);
    EXPECT_EQ(65535, list.rows[0].delay);
}

TEST_F(RecorderTest, ConstantAndIgnoredTime) {
    recorder.SetFixedDelay(120);
    recorder.Start(TimeMode::Constant, CaptureMode::Append);
    Tap(kA, 1100, 700);
    EXPECT_EQ(120, list.rows[0].delay);
    EXPECT_EQ(120, list.rows[1].delay);
    recorder.Stop(list);

    list = {};
    recorder.Start(TimeMode::Ignored, CaptureMode::Append);
    Tap(kA, 2000, 700);
    EXPECT_EQ(0, list.rows[0].delay);
    EXPECT_EQ(0, list.rows[1].delay);
}

TEST_F(RecorderTest, AutoRepeatAndDuplicateReleasesAreDropped) {
    recorder.Start(TimeMode::Recorded, CaptureMode::Append);
    Key(kLeftShift, true, 1000);
    for (uint32_t t = 1500; t < 2200; t += 33)
        EXPECT_EQ(RecordChange::What::None, Key(kLeftShift, true, t).what);
    Key(kLeftShift, false, 2200);
    EXPECT_EQ(RecordChange::What::None, Key(kLeftShift, false, 2201).what);
    ASSERT_EQ(2u, list.rows.size());
    EXPECT_EQ((MacroEvent{true, 9, 0x02, 1200}), list.rows[0]);
    EXPECT_FALSE(list.rows[1].down);
}

TEST_F(RecorderTest, AReleaseOfAKeyPressedBeforeTheStartIsDropped) {
    recorder.Start(TimeMode::Recorded, CaptureMode::Append);
    EXPECT_EQ(RecordChange::What::None, Key(kA, false, 1100).what);
    EXPECT_TRUE(list.rows.empty());
}

TEST_F(RecorderTest, AKeyHeldAtStopGetsItsRelease) {
    recorder.Start(TimeMode::Recorded, CaptureMode::Append);
    Key(kA, true, 1100);
    now = 1400;
    const auto changes = recorder.Stop(list);
    ASSERT_EQ(1u, changes.size());
    ASSERT_EQ(2u, list.rows.size());
    EXPECT_EQ((MacroEvent{false, 10, 0x04, 0}), list.rows[1]);
    EXPECT_EQ(300, list.rows[0].delay);
    EXPECT_FALSE(recorder.Recording());
}

TEST_F(RecorderTest, RestartWithAKeyStillDownRecordsItsNextPress) {
    recorder.Start(TimeMode::Recorded, CaptureMode::Append);
    Key(kA, true, 1100);
    recorder.Stop(list);  // release added
    list = {};
    recorder.Start(TimeMode::Recorded, CaptureMode::Append);
    // The physical release of the first recording's key comes late.
    EXPECT_EQ(RecordChange::What::None, Key(kA, false, 2000).what);
    EXPECT_EQ(RecordChange::What::Inserted, Key(kA, true, 2100).what);
    Key(kA, false, 2150);
    ASSERT_EQ(2u, list.rows.size());
    EXPECT_TRUE(list.rows[0].down);
    EXPECT_FALSE(list.rows[1].down);
}

TEST_F(RecorderTest, ABurstIsCappedWithoutLeavingAKeyDown) {
    recorder.SetAllowedActions(kKeyboardAllowedActions);
    recorder.Start(TimeMode::Recorded, CaptureMode::Append);
    const uint16_t codes[] = {kA, kB, kLeftShift, kRightCtrl};
    for (int i = 0; i < 10000; ++i) {
        const uint16_t code = codes[i % 4];
        Key(code, (i / 4) % 2 == 0, 1000 + static_cast<uint32_t>(i));
    }
    recorder.Stop(list);
    ASSERT_EQ(90u, list.rows.size());
    // Every press has its release and nothing stays down.
    std::map<std::pair<int, int>, int> down;
    for (const MacroEvent& e : list.rows) {
        int& n = down[{e.type, e.button}];
        n += e.down ? 1 : -1;
        EXPECT_GE(n, 0);
        EXPECT_LE(n, 1);
    }
    for (const auto& [code, n] : down)
        EXPECT_EQ(0, n);
    EXPECT_FALSE(list.rows.back().down);
}

TEST_F(RecorderTest, APressIsRefusedAtTheLastFreeAction) {
    recorder.SetAllowedActions(3);
    recorder.Start(TimeMode::Ignored, CaptureMode::Append);
    Tap(kA, 1000);
    EXPECT_EQ(RecordChange::What::None, Key(kB, true, 1200).what);
    EXPECT_EQ(RecordChange::What::None, Key(kB, false, 1250).what);
    EXPECT_EQ(2u, list.rows.size());
}

TEST_F(RecorderTest, RightAndLeftCtrlDiffer) {
    recorder.Start(TimeMode::Ignored, CaptureMode::Append);
    Tap(kRightCtrl, 1000);
    Tap(kLeftCtrl, 1100);
    EXPECT_EQ(0x10, list.rows[0].button);
    EXPECT_EQ(0x01, list.rows[2].button);
    EXPECT_EQ(9, list.rows[2].type);
}

TEST_F(RecorderTest, MouseButtonsAndTheStopClick) {
    recorder.SetStopButtonHit(
        [](int x, int y) { return x >= 100 && x < 180 && y >= 50 && y < 80; });
    recorder.Start(TimeMode::Ignored, CaptureMode::Append);
    Button(3, true, 1000, 120, 60);  // a right click on the stop button counts
    Button(3, false, 1010, 120, 60);
    Button(8, true, 1020);
    Button(8, false, 1030);
    Button(9, true, 1040);
    Button(9, false, 1050);
    Button(4, true, 1060);  // the wheel has no action
    Button(4, false, 1060);
    Button(1, true, 1100, 120, 60);
    Button(1, false, 1110, 120, 60);
    ASSERT_EQ(6u, list.rows.size());
    EXPECT_EQ((MacroEvent{true, 1, 0x02, 0}), list.rows[0]);
    EXPECT_EQ((MacroEvent{true, 1, 0x08, 0}), list.rows[2]);
    EXPECT_EQ((MacroEvent{false, 1, 0x10, 0}), list.rows[5]);
}

TEST_F(RecorderTest, ASecondLeftPressWithoutReleaseIsDropped) {
    recorder.Start(TimeMode::Ignored, CaptureMode::Append);
    Button(1, true, 1000);
    Button(1, true, 1010);
    Button(1, false, 1020);
    EXPECT_EQ(2u, list.rows.size());
}

TEST_F(RecorderTest, InsertAfterFollowsTheSelection) {
    list.rows = {{true, 10, 4, 30}, {false, 10, 4, 40}};
    list.selected = 0;
    recorder.Start(TimeMode::Ignored, CaptureMode::InsertAfter);
    Tap(kB, 1000);
    ASSERT_EQ(4u, list.rows.size());
    EXPECT_EQ(5, list.rows[1].button);
    EXPECT_TRUE(list.rows[1].down);
    EXPECT_EQ(5, list.rows[2].button);
    EXPECT_FALSE(list.rows[2].down);
    EXPECT_EQ(4, list.rows[3].button);
    EXPECT_EQ(2, list.selected);
}

TEST_F(RecorderTest, InsertBeforeTheFirstRowKeepsItUnchanged) {
    const MacroEvent first{true, 10, 4, 30};
    list.rows = {first};
    list.selected = 0;
    recorder.Start(TimeMode::Recorded, CaptureMode::InsertBefore);
    Key(kB, true, 1500);
    ASSERT_EQ(2u, list.rows.size());
    EXPECT_EQ(0, list.rows[0].delay);
    EXPECT_EQ(first, list.rows[1]);
    EXPECT_EQ(1, list.selected);
    Key(kB, false, 1600);
    EXPECT_EQ(100, list.rows[0].delay);
    EXPECT_FALSE(list.rows[1].down);
    EXPECT_EQ(first, list.rows[2]);
}

TEST_F(RecorderTest, InsertingNeedsASelection) {
    list.rows = {{true, 10, 4, 30}};
    recorder.Start(TimeMode::Ignored, CaptureMode::InsertAfter);
    Tap(kB, 1000);
    EXPECT_EQ(1u, list.rows.size());
}

TEST_F(RecorderTest, ReplaceKeepsActionAndDelayAndTheLastEventWins) {
    list.rows = {{true, 10, 4, 30}, {false, 1, 1, 40}};
    list.selected = 1;
    recorder.Start(TimeMode::Ignored, CaptureMode::Replace);
    Tap(kLeftShift, 1000);
    Button(3, true, 1100);
    EXPECT_EQ((MacroEvent{false, 1, 0x02, 40}), list.rows[1]);
    EXPECT_EQ(2u, list.rows.size());
    EXPECT_TRUE(recorder.Stop(list).empty());
}

TEST_F(RecorderTest, KeysOutsideTheTableAreDropped) {
    recorder.Start(TimeMode::Ignored, CaptureMode::Append);
    Tap(113, 1000);  // mute: a key-page function, not a recordable key
    EXPECT_TRUE(list.rows.empty());
}

TEST(FixedDelayTest, ClampsAndFlagsValuesBelowTheMinimum) {
    EXPECT_EQ(50, ParseFixedDelay("50").value);
    EXPECT_FALSE(ParseFixedDelay("50").raisedToMinimum);
    EXPECT_EQ(10, ParseFixedDelay("3").value);
    EXPECT_TRUE(ParseFixedDelay("3").raisedToMinimum);
    EXPECT_TRUE(ParseFixedDelay("").raisedToMinimum);
    EXPECT_EQ(65535, ParseFixedDelay("99999999999999999999").value);
    EXPECT_EQ(120, ParseFixedDelay("120ms").value);
}

TEST(ActionNameTest, NamesOfEveryKind) {
    EXPECT_EQ("keyboard_key_A", ActionNameKey({true, 10, 0x04, 0}));
    EXPECT_EQ("keyboard_key_RCtrl", ActionNameKey({true, 9, 0x10, 0}));
    EXPECT_EQ("mouse_key_back", ActionNameKey({true, 1, 0x08, 0}));
    EXPECT_EQ("mouse_move_to_left_text", ActionNameKey({true, 4, 20, 0}));
    EXPECT_EQ("mouse_move_to_down_text", ActionNameKey({false, 5, 20, 0}));
    EXPECT_EQ("", ActionNameKey({true, 2, 0, 0}));
    EXPECT_EQ("", ActionNameKey({true, 10, 0xEE, 0}));
}

}  // namespace
}  // namespace macro
