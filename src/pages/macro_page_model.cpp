#include "pages/macro_page_model.h"

#include <algorithm>
#include <cctype>

namespace pages {

using macro::MacroEvent;
using macro::MacroFiles;

namespace {

constexpr const char* kTooManyActions = "message_text_17";

uint32_t LeadingNumber(const std::string& text, uint32_t cap) {
    uint32_t value = 0;
    for (char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c)) == 0)
            break;
        value = std::min<uint32_t>(value * 10 + static_cast<uint32_t>(c - '0'), cap);
    }
    return value;
}

}  // namespace

std::optional<MouseInsert> MouseInsertOf(const std::string& item) {
    struct Button {
        const char* prefix;
        uint8_t bit;
    };
    static constexpr Button kButtons[] = {
        {"left_", 0x01}, {"right_", 0x02}, {"middle_", 0x04}, {"back_", 0x08}, {"forward_", 0x10},
    };
    for (const Button& b : kButtons) {
        const std::string prefix = b.prefix;
        if (item.rfind(prefix, 0) != 0)
            continue;
        const std::string variant = item.substr(prefix.size());
        if (variant == "down")
            return MouseInsert{b.bit, true, false};
        if (variant == "up")
            return MouseInsert{b.bit, false, true};
        if (variant == "click")
            return MouseInsert{b.bit, true, true};
    }
    return std::nullopt;
}

uint8_t MovementDistance(const std::string& text) {
    return static_cast<uint8_t>(LeadingNumber(text, 255));
}

uint16_t DelayOfText(const std::string& text) {
    return static_cast<uint16_t>(LeadingNumber(text, macro::kMaxDelay));
}

MacroPageModel::MacroPageModel(std::string folder, macro::MacroRecorder::Clock clock)
    : files_(std::move(folder)), recorder_(std::move(clock)) {}

void MacroPageModel::SetAllowedActions(int count) {
    recorder_.SetAllowedActions(count);
}

void MacroPageModel::LoadList() {
    names_ = files_.Names();
    selected_ = -1;
    actions_ = {};
}

void MacroPageModel::SelectMacro(int index) {
    actions_ = {};
    if (index < 0 || index >= static_cast<int>(names_.size())) {
        selected_ = -1;
        return;
    }
    selected_ = index;
    actions_.rows = files_.Load(index);
    // The device stores delays in 16 bits; longer ones are shown as the cap.
    for (MacroEvent& e : actions_.rows)
        e.delay = std::min<uint16_t>(e.delay, macro::kMaxDelay);
}

void MacroPageModel::SelectAction(int row) {
    actions_.selected = row >= 0 && row < static_cast<int>(actions_.rows.size()) ? row : -1;
}

void MacroPageModel::SetDelay(int row, const std::string& text) {
    if (row >= 0 && row < static_cast<int>(actions_.rows.size()))
        actions_.rows[row].delay = DelayOfText(text);
}

MacroOutcome MacroPageModel::Written(int result) const {
    switch (result) {
        case MacroFiles::kDone:
            return MacroOutcome::Done();
        case MacroFiles::kListFull:
            return MacroOutcome::Refused("message_text_30");
        case MacroFiles::kNameTooLong:
            return MacroOutcome::Refused("message_text_35");
        default:
            return MacroOutcome::Refused(kMacroWriteFailedText);
    }
}

MacroOutcome MacroPageModel::Create() {
    if (static_cast<int>(names_.size()) >= macro::kMaxMacros)
        return MacroOutcome::Refused("message_text_30");
    int index = -1;
    const MacroOutcome outcome = Written(files_.Create({}, &index));
    if (!outcome.done)
        return outcome;
    names_ = files_.Names();
    SelectMacro(index);
    return outcome;
}

MacroOutcome MacroPageModel::Rename(const std::string& name) {
    if (selected_ < 0)
        return {};
    std::string message;
    const int result = files_.Rename(selected_, name, &message);
    if (result == MacroFiles::kBadName)
        return MacroOutcome::Refused(message);
    const MacroOutcome outcome = Written(result);
    if (outcome.done)
        names_[selected_] = name;
    return outcome;
}

MacroOutcome MacroPageModel::Delete(const std::function<void(int)>& renumber) {
    if (selected_ < 0)
        return {};
    const MacroOutcome outcome = Written(files_.Delete(selected_, renumber));
    if (!outcome.done)
        return outcome;
    names_ = files_.Names();
    SelectMacro(names_.empty() ? -1 : 0);
    return outcome;
}

MacroOutcome MacroPageModel::Import(const std::string& path) {
    int index = -1;
    bool cut = false;
    MacroOutcome outcome = Written(files_.Import(path, &index, &cut));
    if (!outcome.done)
        return outcome;
    names_ = files_.Names();
    SelectMacro(index);
    // Imported, but shortened: the page tells so.
    if (cut)
        outcome.message = "message_text_33";
    return outcome;
}

MacroOutcome MacroPageModel::Export(const std::string& path) const {
    if (selected_ < 0)
        return {};
    return Written(files_.Export(selected_, path));
}

MacroOutcome MacroPageModel::Save(bool* cut) {
    if (cut != nullptr)
        *cut = false;
    if (selected_ < 0)
        return {};
    const auto allowed = static_cast<size_t>(AllowedActions());
    MacroOutcome outcome;
    if (actions_.rows.size() > allowed) {
        actions_.rows.resize(allowed);
        if (actions_.selected >= static_cast<int>(allowed))
            actions_.selected = -1;
        if (cut != nullptr)
            *cut = true;
    }
    for (MacroEvent& e : actions_.rows)
        e.delay = std::max(e.delay, macro::kMinSavedDelay);
    outcome = Written(files_.Save(selected_, actions_.rows));
    if (outcome.done && cut != nullptr && *cut)
        outcome.message = kTooManyActions;
    return outcome;
}

void MacroPageModel::Move(ActionMove move) {
    auto& rows = actions_.rows;
    const int s = actions_.selected;
    const int last = static_cast<int>(rows.size()) - 1;
    if (s < 0 || s > last)
        return;
    int target = s;
    switch (move) {
        case ActionMove::Up:
            target = s > 0 ? s - 1 : s;
            break;
        case ActionMove::Down:
            target = s < last ? s + 1 : s;
            break;
        case ActionMove::Top:
            target = 0;
            break;
        case ActionMove::Bottom:
            target = last;
            break;
    }
    const MacroEvent moved = rows[s];
    rows.erase(rows.begin() + s);
    rows.insert(rows.begin() + target, moved);
    actions_.selected = target;
}

void MacroPageModel::DeleteAction() {
    const int s = actions_.selected;
    if (s < 0 || s >= static_cast<int>(actions_.rows.size()))
        return;
    actions_.rows.erase(actions_.rows.begin() + s);
    actions_.selected = -1;
}

void MacroPageModel::DeleteAllActions() {
    actions_ = {};
}

MacroOutcome MacroPageModel::Insert(std::vector<MacroEvent> events) {
    if (selected_ < 0)
        return {};
    auto& rows = actions_.rows;
    if (rows.size() + events.size() > static_cast<size_t>(AllowedActions()))
        return MacroOutcome::Refused(kTooManyActions);
    int at = actions_.selected >= 0 && actions_.selected < static_cast<int>(rows.size())
                 ? actions_.selected + 1
                 : (rows.empty() ? 0 : 1);
    for (MacroEvent& e : events) {
        e.delay = recorder_.FixedDelayValue();
        rows.insert(rows.begin() + at, e);
        actions_.selected = at++;
    }
    return MacroOutcome::Done();
}

MacroOutcome MacroPageModel::InsertMouse(const MouseInsert& insert) {
    std::vector<MacroEvent> events;
    if (insert.press)
        events.push_back({true, 1, insert.button, 0});
    if (insert.release)
        events.push_back({false, 1, insert.button, 0});
    return Insert(std::move(events));
}

MacroOutcome MacroPageModel::InsertMovement(Movement direction, uint8_t distance) {
    const bool horizontal = direction == Movement::Left || direction == Movement::Right;
    const bool negative = direction == Movement::Left || direction == Movement::Up;
    return Insert({{negative, static_cast<uint8_t>(horizontal ? 4 : 5), distance, 0}});
}

MacroOutcome MacroPageModel::StartRecording(macro::TimeMode time, macro::CaptureMode mode,
                                            const std::string& fixedDelayText,
                                            bool* fixedDelayRaised) {
    if (fixedDelayRaised != nullptr)
        *fixedDelayRaised = false;
    if (time == macro::TimeMode::Constant) {
        const macro::FixedDelay fixed = macro::ParseFixedDelay(fixedDelayText);
        recorder_.SetFixedDelay(fixed.value);
        if (fixedDelayRaised != nullptr)
            *fixedDelayRaised = fixed.raisedToMinimum;
    }
    recorder_.Start(time, mode);
    return MacroOutcome::Done();
}

macro::RecordChange MacroPageModel::OnInput(const macro::InputEvent& event) {
    if (selected_ < 0)
        return {};
    return recorder_.OnInput(event, actions_);
}

MacroOutcome MacroPageModel::StopRecording() {
    if (!recorder_.Recording())
        return {};
    recorder_.Stop(actions_);
    return Save();
}

}  // namespace pages
