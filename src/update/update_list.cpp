#include "update/update_list.h"

#include <algorithm>
#include <array>

namespace update {

namespace {

constexpr uint32_t kPlain = 0xFFFFFFFF;
constexpr uint32_t kPlainDisabled = 0xFF666666;
constexpr uint32_t kBlue = 0xFF0099FF;
constexpr uint32_t kBlueDisabled = 0xFF0078C8;

constexpr std::array<ItemStateLook, kItemStateCount> kLooks{{
    {"LessUpdateText", false, false, false, kPlain, kPlainDisabled},
    {"NeedUpdateText", false, false, true, kBlue, kBlueDisabled},
    {"NeedUpdateText", false, false, true, kBlue, kBlueDisabled},
    {"DownloadWaitText", false, false, false, kBlue, kBlueDisabled},
    {"DownloadIngText", true, false, false, kBlue, kBlueDisabled},
    {"DownloadOkText", false, true, false, kBlue, kBlueDisabled},
    {"UpdateIngText", true, false, false, kBlue, kBlueDisabled},
    {"UpdateOkText", false, false, false, kPlain, kPlainDisabled},
    {"UpdateFailText", false, false, true, kBlue, kBlueDisabled},
}};

}  // namespace

const ItemStateLook* LookOfState(int state) {
    if (state < 0 || state >= kItemStateCount)
        return nullptr;
    return &kLooks[static_cast<size_t>(state)];
}

bool StateBlocksClose(int state) {
    return state == kStateDownloading || state == kStateUpdating;
}

const char* OverallTextKey(OverallState state) {
    switch (state) {
        case OverallState::Checking:
            return "GetUpdateInfoText";
        case OverallState::HaveUpdate:
            return "HaveUpdateInfoText";
        case OverallState::NotReached:
            return "NoUpdateInfoText";
        case OverallState::Updating:
            return "ISUpdateINGText";
        case OverallState::UpToDate:
            return "UpdateIsLastText";
    }
    return "NoUpdateInfoText";
}

void UpdateList::Reset(const UpdateTargetTable& table) {
    rows_.clear();
    rowBeingUpdated_ = -1;
    for (const UpdateTarget& target : table) {
        ListRow row;
        row.name = target.displayCode;
        row.currentText =
            target.Hex() ? VersionText(target, target.currentVersion) : target.displayVersion;
        rows_.push_back(std::move(row));
    }
}

bool UpdateList::ApplyResult(int row, const UpdateInfo& info) {
    if (row < 0 || static_cast<size_t>(row) >= rows_.size())
        return false;
    ListRow& r = rows_[static_cast<size_t>(row)];
    r.currentText = info.currentText;
    r.newText = info.status == kStateUpToDate ? std::string() : info.newText;
    r.path = info.path;
    r.state = LookOfState(info.status) != nullptr ? info.status : kStateUpToDate;
    r.ticked = false;
    r.checkEnabled = false;
    return true;
}

bool UpdateList::FinishCheck() {
    bool any = false;
    for (ListRow& r : rows_) {
        if (r.state != kStateUpToDate && r.state != 0) {
            r.checkEnabled = true;
            r.ticked = true;
            any = true;
        }
    }
    return any;
}

bool UpdateList::SetState(int row, int state) {
    if (row < 0 || static_cast<size_t>(row) >= rows_.size() || LookOfState(state) == nullptr)
        return false;
    ListRow& r = rows_[static_cast<size_t>(row)];
    if (r.state == state)
        return false;
    r.state = state;
    return true;
}

bool UpdateList::SetTicked(int row, bool ticked) {
    if (row < 0 || static_cast<size_t>(row) >= rows_.size())
        return false;
    ListRow& r = rows_[static_cast<size_t>(row)];
    if (!r.checkEnabled)
        return false;
    r.ticked = ticked;
    return true;
}

bool UpdateList::AnyTicked() const {
    return std::any_of(rows_.begin(), rows_.end(), [](const ListRow& r) { return r.ticked; });
}

void UpdateList::ConfirmUpdates() {
    for (ListRow& r : rows_) {
        if (r.state != 1 && r.state != 2)
            continue;
        if (r.ticked)
            r.state = kStateDownloadWait;
        else
            r.checkEnabled = false;
    }
}

UpdateList::RelayEffect UpdateList::ApplyRelay(uintptr_t wParam, intptr_t lParam) {
    RelayEffect effect;
    if (rowBeingUpdated_ < 0 || static_cast<size_t>(rowBeingUpdated_) >= rows_.size())
        return effect;
    ListRow& r = rows_[static_cast<size_t>(rowBeingUpdated_)];
    switch (wParam) {
        case kRelayDone: {
            if (!r.newText.empty())
                r.currentText = r.newText;
            r.newText.clear();
            r.state = kStateUpToDate;
            r.ticked = false;
            r.checkEnabled = false;
            effect.changed = true;
            if (!AnyTicked()) {
                bool left = false;
                for (ListRow& other : rows_) {
                    if (other.state != kStateUpToDate) {
                        other.checkEnabled = true;
                        left = true;
                    }
                }
                effect.overallChanged = true;
                effect.overall = left ? OverallState::HaveUpdate : OverallState::UpToDate;
            }
            break;
        }
        case kRelayFailed:
        case kRelayFailedOther:
            effect.changed = SetState(rowBeingUpdated_, kStateUpdateFailed);
            break;
        case kRelayProgress:
            // A percentage only; anything else from another program is ignored.
            if (lParam >= 0 && lParam <= 100) {
                effect.progress = static_cast<int>(lParam);
                effect.changed = true;
            }
            break;
        default:
            break;
    }
    return effect;
}

bool UpdateList::CloseAllowed() const {
    return std::none_of(rows_.begin(), rows_.end(),
                        [](const ListRow& r) { return StateBlocksClose(r.state); });
}

}  // namespace update
