// The settings window's update list as data: the rows, their item states
// and what each state looks like, the user's choices, progress reports, and
// when the window may close. The window binds this to its controls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "update/update_targets.h"

namespace update {

inline constexpr int kItemStateCount = 9;
inline constexpr int kStateDownloadWait = 3;
inline constexpr int kStateDownloading = 4;
inline constexpr int kStateUpdating = 6;
inline constexpr int kStateUpdateFailed = 8;

// How a row in a given state is drawn.
struct ItemStateLook {
    const char* textKey;
    bool busy;          // the busy indicator and its percentage
    bool done;          // the done mark
    bool checkEnabled;  // the check box can be ticked
    uint32_t textColour;
    uint32_t disabledColour;
};

// The look of states 0..8; null for any other value.
const ItemStateLook* LookOfState(int state);

// Only a transfer in progress keeps the window open. Nothing in this program
// downloads, so a row waiting for a download (3) must not trap the window.
bool StateBlocksClose(int state);

// Text id of the update area's overall state.
const char* OverallTextKey(OverallState state);
// Shown instead of the overall text when no update server is configured.
inline constexpr const char* kNoServerTextKey = "NoUpdateServerText";

struct ListRow {
    int state = kStateUpToDate;
    bool ticked = false;
    bool checkEnabled = false;
    std::string name;
    std::string currentText;
    std::string newText;
    std::string path;  // the server's address; shown nowhere, never fetched
};

// Relay reports (wParam of the settings relay message).
inline constexpr uintptr_t kRelayDone = 1;
inline constexpr uintptr_t kRelayFailed = 2;
inline constexpr uintptr_t kRelayFailedOther = 3;
inline constexpr uintptr_t kRelayProgress = 4;

class UpdateList {
  public:
    // One row per target, up to date, its version from the table.
    void Reset(const UpdateTargetTable& table);
    size_t Size() const { return rows_.size(); }
    const ListRow& Row(size_t i) const { return rows_.at(i); }

    // A worker's result for `row`; false for a row out of range.
    bool ApplyResult(int row, const UpdateInfo& info);
    // After the last row: every row that is neither 0 nor 7 is ticked and
    // its check box enabled. True when "update_fw_and_ap" is to be shown.
    bool FinishCheck();

    // A state change; the same state again changes nothing (false).
    bool SetState(int row, int state);
    // The user's tick; ignored while the check box is disabled.
    bool SetTicked(int row, bool ticked);
    bool AnyTicked() const;
    // "update_OK_btn": ticked rows in state 1 or 2 wait for a download,
    // unticked ones get their check box disabled.
    void ConfirmUpdates();

    // The row the relay's reports are for; -1 (none) unless an installer
    // names one.
    int RowBeingUpdated() const { return rowBeingUpdated_; }
    void SetRowBeingUpdated(int row) { rowBeingUpdated_ = row; }
    struct RelayEffect {
        bool changed = false;
        int progress = -1;            // a percentage to show, else -1
        bool overallChanged = false;  // `overall` holds the new state
        OverallState overall = OverallState::UpToDate;
    };
    RelayEffect ApplyRelay(uintptr_t wParam, intptr_t lParam);

    bool CloseAllowed() const;

  private:
    std::vector<ListRow> rows_;
    int rowBeingUpdated_ = -1;
};

}  // namespace update
