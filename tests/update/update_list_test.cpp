// The update list as data: the state table, the close rule, the user's
// choices and the relay's progress reports.
#include <gtest/gtest.h>

#include "update/update_list.h"

namespace {

using update::UpdateList;

UpdateList ListWithOffer(int row) {
    UpdateList list;
    update::UpdateTargetTable table = update::DefaultTargetTable();
    table[update::kKeyboardRow].currentVersion = 0x0105;
    list.Reset(table);
    update::UpdateInfo offer;
    offer.status = update::kStateUpdateAvailable;
    offer.currentText = "V0105";
    offer.newText = "V106";
    offer.path = "https://u.invalid/f";
    list.ApplyResult(row, offer);
    return list;
}

TEST(UpdateListStates, OnlyATransferInProgressBlocksClosing) {
    for (int state = 0; state < update::kItemStateCount; ++state) {
        const bool blocks = state == update::kStateDownloading || state == update::kStateUpdating;
        EXPECT_EQ(update::StateBlocksClose(state), blocks) << state;
        UpdateList list = ListWithOffer(0);
        list.SetState(0, state);
        EXPECT_EQ(list.CloseAllowed(), !blocks) << state;
    }
}

TEST(UpdateListStates, TableGivesEachStateItsLook) {
    EXPECT_EQ(update::LookOfState(-1), nullptr);
    EXPECT_EQ(update::LookOfState(9), nullptr);
    EXPECT_STREQ(update::LookOfState(0)->textKey, "LessUpdateText");
    EXPECT_STREQ(update::LookOfState(2)->textKey, "NeedUpdateText");
    EXPECT_STREQ(update::LookOfState(8)->textKey, "UpdateFailText");
    // Busy while downloading or updating, done once downloaded.
    for (int s = 0; s < update::kItemStateCount; ++s) {
        const update::ItemStateLook& look = *update::LookOfState(s);
        EXPECT_EQ(look.busy, s == 4 || s == 6) << s;
        EXPECT_EQ(look.done, s == 5) << s;
        EXPECT_EQ(look.checkEnabled, s == 1 || s == 2 || s == 8) << s;
        const bool plain = s == 0 || s == 7;
        EXPECT_EQ(look.textColour, plain ? 0xFFFFFFFFu : 0xFF0099FFu) << s;
        EXPECT_EQ(look.disabledColour, plain ? 0xFF666666u : 0xFF0078C8u) << s;
    }
    EXPECT_STREQ(update::OverallTextKey(update::OverallState::UpToDate), "UpdateIsLastText");
    EXPECT_STREQ(update::OverallTextKey(update::OverallState::Checking), "GetUpdateInfoText");
}

TEST(UpdateListRows, StartUpToDateWithTheTablesVersions) {
    UpdateList list;
    update::UpdateTargetTable table = update::DefaultTargetTable();
    table[update::kKeyboardRow].currentVersion = 0x0110;
    list.Reset(table);
    ASSERT_EQ(list.Size(), 4u);
    EXPECT_EQ(list.Row(0).currentText, "V0110");
    EXPECT_EQ(list.Row(0).name, "KB");
    EXPECT_EQ(list.Row(3).currentText, table[update::kAppRow].displayVersion);
    for (size_t i = 0; i < list.Size(); ++i) {
        EXPECT_EQ(list.Row(i).state, update::kStateUpToDate);
        EXPECT_FALSE(list.Row(i).checkEnabled);
    }
    EXPECT_FALSE(list.ApplyResult(4, {}));
    EXPECT_FALSE(list.ApplyResult(-1, {}));
}

TEST(UpdateListRows, OfferIsTickedAfterTheCheckAndConfirmedForDownload) {
    UpdateList list = ListWithOffer(0);
    EXPECT_FALSE(list.Row(0).checkEnabled);
    EXPECT_TRUE(list.FinishCheck());
    EXPECT_TRUE(list.Row(0).ticked);
    EXPECT_TRUE(list.Row(0).checkEnabled);
    EXPECT_FALSE(list.Row(1).checkEnabled);
    // A disabled box cannot be ticked.
    EXPECT_FALSE(list.SetTicked(1, true));
    EXPECT_FALSE(list.Row(1).ticked);
    list.ConfirmUpdates();
    EXPECT_EQ(list.Row(0).state, update::kStateDownloadWait);
    EXPECT_TRUE(list.CloseAllowed());

    // An unticked offer keeps its state and loses its box.
    UpdateList other = ListWithOffer(1);
    other.FinishCheck();
    other.SetTicked(1, false);
    EXPECT_FALSE(other.AnyTicked());
    other.ConfirmUpdates();
    EXPECT_EQ(other.Row(1).state, update::kStateUpdateAvailable);
    EXPECT_FALSE(other.Row(1).checkEnabled);
}

TEST(UpdateListRows, UpToDateResultShowsNoNewVersion) {
    UpdateList list = ListWithOffer(0);
    update::UpdateInfo same;
    same.status = update::kStateUpToDate;
    same.currentText = "V0105";
    same.newText = "V0105";
    list.ApplyResult(0, same);
    EXPECT_TRUE(list.Row(0).newText.empty());
    EXPECT_FALSE(list.FinishCheck());
    // The same state again is no change.
    EXPECT_FALSE(list.SetState(0, update::kStateUpToDate));
    EXPECT_FALSE(list.SetState(0, 9));
}

TEST(UpdateListRelay, ChangesNothingWithoutARowBeingUpdated) {
    UpdateList list = ListWithOffer(0);
    list.FinishCheck();
    for (uintptr_t w : {1u, 2u, 3u, 4u}) {
        const UpdateList::RelayEffect e = list.ApplyRelay(w, 50);
        EXPECT_FALSE(e.changed) << w;
        EXPECT_FALSE(e.overallChanged) << w;
    }
    EXPECT_EQ(list.Row(0).state, update::kStateUpdateAvailable);
    list.SetRowBeingUpdated(7);
    EXPECT_FALSE(list.ApplyRelay(1, 0).changed);
}

TEST(UpdateListRelay, ProgressFailureAndDone) {
    UpdateList list = ListWithOffer(0);
    list.FinishCheck();
    list.SetRowBeingUpdated(0);
    EXPECT_EQ(list.ApplyRelay(update::kRelayProgress, 42).progress, 42);
    // Another program's percentage out of range is ignored.
    EXPECT_FALSE(list.ApplyRelay(update::kRelayProgress, 250).changed);
    EXPECT_FALSE(list.ApplyRelay(update::kRelayProgress, -1).changed);
    EXPECT_FALSE(list.ApplyRelay(9, 0).changed);
    EXPECT_TRUE(list.ApplyRelay(update::kRelayFailedOther, 0).changed);
    EXPECT_EQ(list.Row(0).state, update::kStateUpdateFailed);

    const UpdateList::RelayEffect done = list.ApplyRelay(update::kRelayDone, 0);
    EXPECT_TRUE(done.changed);
    EXPECT_EQ(list.Row(0).state, update::kStateUpToDate);
    EXPECT_EQ(list.Row(0).currentText, "V106");
    EXPECT_TRUE(list.Row(0).newText.empty());
    EXPECT_FALSE(list.Row(0).ticked);
    ASSERT_TRUE(done.overallChanged);
    EXPECT_EQ(done.overall, update::OverallState::UpToDate);
}

TEST(UpdateListRelay, DoneWithAnotherOfferLeftGoesBackToHaveUpdate) {
    UpdateList list = ListWithOffer(0);
    update::UpdateInfo second;
    second.status = update::kStateUpdateAvailable;
    second.newText = "V2";
    list.ApplyResult(2, second);
    list.FinishCheck();
    list.SetTicked(2, false);
    list.SetRowBeingUpdated(0);
    const UpdateList::RelayEffect done = list.ApplyRelay(update::kRelayDone, 0);
    ASSERT_TRUE(done.overallChanged);
    EXPECT_EQ(done.overall, update::OverallState::HaveUpdate);
    EXPECT_TRUE(list.Row(2).checkEnabled);
}

}  // namespace
