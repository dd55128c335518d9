#include "pages/macro_page_model.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temp_dir.h"

namespace pages {
namespace {

using macro::MacroEvent;
using testing_support::TempDir;

class MacroPageTest : public ::testing::Test {
  protected:
    MacroPageTest() : page(dir.Path(), [this] { return now; }) {
        page.SetAllowedActions(macro::kKeyboardAllowedActions);
        page.LoadList();
    }
    void Type(uint16_t code, uint32_t at) {
        now = at;
        page.OnInput({macro::InputKind::KeyPress, code, 0, 0, 0, at});
        now = at + 30;
        page.OnInput({macro::InputKind::KeyRelease, code, 0, 0, 0, at + 30});
    }

    TempDir dir;
    uint32_t now = 0;
    MacroPageModel page;
};

TEST_F(MacroPageTest, RecordedMacroIsSavedAtStopWithTheDelayRules) {
    ASSERT_TRUE(page.Create().done);
    EXPECT_EQ(std::vector<std::string>{"macro_1"}, page.Names());
    EXPECT_EQ(0, page.SelectedMacro());
    page.StartRecording(macro::TimeMode::Recorded, macro::CaptureMode::Append, "50", nullptr);
    Type(30, 200);
    Type(48, 400);
    ASSERT_TRUE(page.StopRecording().done);
    EXPECT_FALSE(page.Recording());
    const auto saved = page.Files().Load(0);
    ASSERT_EQ(4u, saved.size());
    EXPECT_EQ((MacroEvent{true, 10, 4, 30}), saved[0]);
    EXPECT_EQ(170, saved[1].delay);
    // The placeholder of the last action is saved as the minimum.
    EXPECT_EQ(10, saved[3].delay);
}

TEST_F(MacroPageTest, DelayEditsAreClampedAndSavedAtTheMinimum) {
    page.Create();
    page.InsertMouse(*MouseInsertOf("left_click"));
    page.SetDelay(0, "5");
    page.SetDelay(1, "");
    ASSERT_TRUE(page.Save().done);
    EXPECT_EQ(10, page.Actions().rows[0].delay);
    EXPECT_EQ(10, page.Files().Load(0)[1].delay);
    page.SetDelay(1, "999999");
    page.Save();
    EXPECT_EQ(65535, page.Files().Load(0)[1].delay);
}

TEST_F(MacroPageTest, SavingTooManyActionsKeepsTheAllowedCount) {
    page.Create();
    for (int i = 0; i < 95; ++i)
        page.Actions().rows.push_back({i % 2 == 0, 10, 4, 20});
    bool cut = false;
    const MacroOutcome outcome = page.Save(&cut);
    EXPECT_TRUE(outcome.done);
    EXPECT_TRUE(cut);
    EXPECT_EQ("message_text_17", outcome.message);
    EXPECT_EQ(90u, page.Files().Load(0).size());
}

TEST_F(MacroPageTest, ClickInsertsPressThenReleaseAfterTheSelection) {
    page.Create();
    page.Actions().rows = {{true, 10, 4, 20}, {false, 10, 4, 20}};
    page.SelectAction(0);
    ASSERT_TRUE(page.InsertMouse(*MouseInsertOf("right_click")).done);
    const auto& rows = page.Actions().rows;
    ASSERT_EQ(4u, rows.size());
    EXPECT_EQ((MacroEvent{true, 1, 2, 50}), rows[1]);
    EXPECT_EQ((MacroEvent{false, 1, 2, 50}), rows[2]);
    EXPECT_EQ(2, page.Actions().selected);
    // Without a selection the insert goes to position 1.
    page.SelectAction(-1);
    page.InsertMouse(*MouseInsertOf("forward_down"));
    EXPECT_EQ((MacroEvent{true, 1, 0x10, 50}), page.Actions().rows[1]);
    EXPECT_FALSE(MouseInsertOf("left_double"));
    EXPECT_FALSE(MouseInsertOf("about_menu"));
}

TEST_F(MacroPageTest, InsertsAtTheLimitAreRefused) {
    page.Create();
    page.SetAllowedActions(3);
    page.Actions().rows = {{true, 10, 4, 20}, {false, 10, 4, 20}};
    EXPECT_EQ("message_text_17", page.InsertMouse(*MouseInsertOf("left_click")).message);
    EXPECT_EQ(2u, page.Actions().rows.size());
    EXPECT_TRUE(page.InsertMovement(Movement::Up, 3).done);
    EXPECT_EQ((MacroEvent{true, 5, 3, 50}), page.Actions().rows[1]);
}

TEST_F(MacroPageTest, MovementDistancesFitOneByte) {
    EXPECT_EQ(255, MovementDistance("300"));
    EXPECT_EQ(0, MovementDistance("abc"));
    EXPECT_EQ(44, MovementDistance("44"));
    EXPECT_EQ(65535, DelayOfText("70000"));
}

TEST_F(MacroPageTest, MovesAtTheEdgesChangeNothing) {
    page.Create();
    page.Actions().rows = {{true, 10, 4, 20}, {true, 10, 5, 20}, {true, 10, 6, 20}};
    const auto before = page.Actions().rows;
    page.SelectAction(0);
    page.Move(ActionMove::Up);
    EXPECT_EQ(before, page.Actions().rows);
    page.Move(ActionMove::Bottom);
    EXPECT_EQ(4, page.Actions().rows[2].button);
    EXPECT_EQ(2, page.Actions().selected);
    page.Move(ActionMove::Down);
    EXPECT_EQ(2, page.Actions().selected);
    page.Move(ActionMove::Top);
    EXPECT_EQ(before, page.Actions().rows);
}

TEST_F(MacroPageTest, DeletingTheOnlyMacroLeavesNothingSelected) {
    page.Create();
    page.Actions().rows = {{true, 10, 4, 20}};
    int renumbered = -1;
    ASSERT_TRUE(page.Delete([&](int index) { renumbered = index; }).done);
    EXPECT_EQ(0, renumbered);
    EXPECT_TRUE(page.Names().empty());
    EXPECT_EQ(-1, page.SelectedMacro());
    EXPECT_TRUE(page.Actions().rows.empty());
}

TEST_F(MacroPageTest, DeletingSelectsTheFirstAndRenumbersAfterTheListIsWritten) {
    for (int i = 0; i < 4; ++i)
        page.Create();
    page.SelectMacro(1);
    std::vector<std::string> listAtRenumber;
    ASSERT_TRUE(page.Delete([&](int) { listAtRenumber = page.Files().Names(); }).done);
    EXPECT_EQ((std::vector<std::string>{"macro_1", "macro_3", "macro_4"}), listAtRenumber);
    EXPECT_EQ(0, page.SelectedMacro());
}

TEST_F(MacroPageTest, AFailedListWriteRenumbersNothing) {
    page.Create();
    page.Create();
    ASSERT_EQ(0, chmod(dir.Path().c_str(), 0500));
    bool renumbered = false;
    const MacroOutcome outcome = page.Delete([&](int) { renumbered = true; });
    chmod(dir.Path().c_str(), 0700);
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes anyway";
    EXPECT_FALSE(outcome.done);
    EXPECT_EQ(kMacroWriteFailedText, outcome.message);
    EXPECT_FALSE(renumbered);
    EXPECT_EQ(2u, page.Names().size());
}

TEST_F(MacroPageTest, RenameRefusalsNameTheirMessage) {
    page.Create();
    page.Create();
    EXPECT_EQ("message_text_5", page.Rename("MACRO_1").message);
    EXPECT_EQ("message_text_37", page.Rename("a b").message);
    EXPECT_EQ("macro_2", page.Names()[1]);
    EXPECT_TRUE(page.Rename("Combo").done);
    EXPECT_EQ("Combo", page.Names()[1]);
    EXPECT_EQ("Combo", page.Files().Names()[1]);
}

TEST_F(MacroPageTest, CreationStopsAtFifty) {
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(page.Create().done);
    EXPECT_EQ("message_text_30", page.Create().message);
}

TEST_F(MacroPageTest, ConstantTimeTakesTheFixedDelayEdit) {
    page.Create();
    bool raised = false;
    page.StartRecording(macro::TimeMode::Constant, macro::CaptureMode::Append, "4", &raised);
    EXPECT_TRUE(raised);
    EXPECT_EQ(10, page.Recorder().FixedDelayValue());
    page.StopRecording();
    page.StartRecording(macro::TimeMode::Constant, macro::CaptureMode::Append, "120", &raised);
    EXPECT_FALSE(raised);
    Type(30, 500);
    page.StopRecording();
    EXPECT_EQ(120, page.Files().Load(0)[0].delay);
    // Inserts use the same fixed delay afterwards.
    page.InsertMovement(Movement::Left, 5);
    EXPECT_EQ(120, page.Actions().rows.back().delay);
}

}  // namespace
}  // namespace pages
