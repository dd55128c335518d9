#include "macro/macro_recorder.h"

#include <cctype>

#include "macro/key_code_table.h"
#include "macro/mouse_event_table.h"

namespace macro {

FixedDelay ParseFixedDelay(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])) != 0)
        ++i;
    uint32_t value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) != 0; ++i) {
        value = value * 10 + static_cast<uint32_t>(text[i] - '0');
        if (value > kMaxDelay)
            value = kMaxDelay + 1;  // stays above the cap however many digits follow
    }
    FixedDelay delay;
    if (value > kMaxDelay)
        value = kMaxDelay;
    if (value < kMinSavedDelay) {
        value = kMinSavedDelay;
        delay.raisedToMinimum = true;
    }
    delay.value = static_cast<uint16_t>(value);
    return delay;
}

std::string ActionNameKey(const MacroEvent& event) {
    const auto keys = KeyCodeTable();
    const auto mice = MouseEventTable();
    switch (event.type) {
        case kMacroKeyType:
            for (size_t i = kModifierRowCount; i < keys.size(); ++i)
                if (keys[i].usage == event.button && keys[i].modifier == 0)
                    return keys[i].nameKey;
            break;
        case kMacroModifierType:
            for (size_t i = 0; i < kModifierRowCount; ++i)
                if (keys[i].modifier == event.button && keys[i].usage == 0)
                    return keys[i].nameKey;
            break;
        case 1:
            for (size_t i = 0; i < 10; ++i)
                if (mice[i].button == event.button)
                    return mice[i].nameKey;
            break;
        case 4:
        case 5: {
            const uint8_t typeByte = static_cast<uint8_t>(event.type | (event.down ? kDownBit : 0));
            for (size_t i = 10; i < 14; ++i)
                if (mice[i].typeByte == typeByte)
                    return mice[i].nameKey;
            break;
        }
        default:
            break;
    }
    return {};
}

std::optional<MacroEvent> KeyEvent(uint16_t evdev, bool down) {
    const auto row = FindKeyByEvdev(evdev);
    if (!row)
        return std::nullopt;
    const KeyCodeRow& key = KeyCodeTable()[*row];
    return MacroEvent{down, MacroTypeOf(key), MacroButtonOf(key), 0};
}

std::optional<MacroEvent> ButtonEvent(int xButton, bool down) {
    const auto row = FindMouseButtonRow(xButton, down);
    if (!row)
        return std::nullopt;
    const MouseEventRow& mouse = MouseEventTable()[*row];
    return MacroEvent{IsDown(mouse), MacroTypeOf(mouse), mouse.button, 0};
}

MacroRecorder::MacroRecorder(Clock clock) : clock_(std::move(clock)) {}

void MacroRecorder::Start(TimeMode timeMode, CaptureMode mode) {
    timeMode_ = timeMode;
    mode_ = mode;
    recording_ = true;
    startMs_ = clock_();
    lastEventMs_.reset();
    held_.clear();
    heldEvents_.clear();
}

std::vector<RecordChange> MacroRecorder::Stop(ActionList& list) {
    std::vector<RecordChange> changes;
    if (!recording_)
        return changes;
    // A press without its release would leave the key down on every playback.
    const uint32_t now = clock_();
    for (const auto& [key, event] : heldEvents_) {
        MacroEvent release = event;
        release.down = false;
        const uint32_t timeMs = lastEventMs_ ? *lastEventMs_ + (now - lastLocalMs_) : now;
        const RecordChange change = Place(release, false, timeMs, list);
        if (change.what != RecordChange::What::None)
            changes.push_back(change);
    }
    held_.clear();
    heldEvents_.clear();
    recording_ = false;
    return changes;
}

int MacroRecorder::HeldKey(const InputEvent& input) {
    return IsKey(input.kind) ? input.code : 0x10000 + input.button;
}

int MacroRecorder::RecordedHeld() const {
    int count = 0;
    for (const auto& [key, held] : held_)
        count += held.recorded ? 1 : 0;
    return count;
}

bool MacroRecorder::HasRoomFor(bool press, const ActionList& list) const {
    const int free = allowed_ - static_cast<int>(list.rows.size());
    // A press needs room for its own release and for those of every key
    // still held, so the list can never end with a key down.
    return press ? free >= 2 + RecordedHeld() : free >= 1;
}

uint16_t MacroRecorder::Placeholder() const {
    return timeMode_ == TimeMode::Constant ? fixedDelay_ : 0;
}

uint16_t MacroRecorder::MeasuredDelay(uint32_t timeMs) {
    const uint32_t localNow = clock_();
    uint32_t elapsed = 0;
    if (lastEventMs_) {
        elapsed = timeMs - *lastEventMs_;
        if (elapsed >= 0x80000000u)  // stamped before the previous event
            elapsed = 0;
    } else {
        // The capture's clock need not be ours: a time stamp that does not
        // fit the time since the start is replaced by that time.
        const uint32_t sinceStart = localNow - startMs_;
        elapsed = timeMs - startMs_;
        if (elapsed > sinceStart + 1000)
            elapsed = sinceStart;
    }
    lastEventMs_ = timeMs;
    lastLocalMs_ = localNow;
    switch (timeMode_) {
        case TimeMode::Constant:
            return fixedDelay_;
        case TimeMode::Ignored:
            return 0;
        case TimeMode::Recorded:
            break;
    }
    return elapsed >= kMaxDelay ? kMaxDelay : static_cast<uint16_t>(elapsed);
}

RecordChange MacroRecorder::Place(const MacroEvent& source, bool press, uint32_t timeMs,
                                  ActionList& list) {
    RecordChange change;
    const int size = static_cast<int>(list.rows.size());
    const int s = list.selected;
    const bool hasSelection = s >= 0 && s < size;
    MacroEvent event = source;
    switch (mode_) {
        case CaptureMode::Append: {
            if (!HasRoomFor(press, list))
                return change;
            const uint16_t delay = MeasuredDelay(timeMs);
            event.delay = size == 0 ? 0 : Placeholder();
            list.rows.push_back(event);
            if (size > 0) {
                list.rows[size - 1].delay = delay;
                change.delayRow = size - 1;
            }
            change.row = size;
            list.selected = size;
            break;
        }
        case CaptureMode::InsertAfter: {
            if (!hasSelection || !HasRoomFor(press, list))
                return change;
            list.rows[s].delay = MeasuredDelay(timeMs);
            event.delay = Placeholder();
            list.rows.insert(list.rows.begin() + s + 1, event);
            change.delayRow = s;
            change.row = s + 1;
            list.selected = s + 1;
            break;
        }
        case CaptureMode::InsertBefore: {
            if (!hasSelection || !HasRoomFor(press, list))
                return change;
            const uint16_t delay = MeasuredDelay(timeMs);
            if (s == 0) {
                event.delay = 0;
            } else {
                list.rows[s - 1].delay = delay;
                change.delayRow = s - 1;
                event.delay = Placeholder();
            }
            list.rows.insert(list.rows.begin() + s, event);
            change.row = s;
            // Further events keep going in front of the same action.
            list.selected = s + 1;
            break;
        }
        case CaptureMode::Replace: {
            if (!hasSelection)
                return change;
            list.rows[s].type = event.type;
            list.rows[s].button = event.button;
            change.what = RecordChange::What::Replaced;
            change.row = s;
            return change;
        }
        case CaptureMode::SingleKey:
            return change;
    }
    change.what = RecordChange::What::Inserted;
    return change;
}

RecordChange MacroRecorder::OnInput(const InputEvent& input, ActionList& list) {
    if (!recording_)
        return {};
    const int key = HeldKey(input);
    const bool press = IsPress(input.kind);
    if (press) {
        // Auto-repeats and a second press without a release.
        if (held_.contains(key))
            return {};
        held_[key] = Held{};
    } else {
        const auto it = held_.find(key);
        // Releases of keys pressed before the start, or reported twice.
        if (it == held_.end())
            return {};
        const bool recorded = it->second.recorded;
        held_.erase(it);
        heldEvents_.erase(key);
        if (!recorded && mode_ != CaptureMode::Replace)
            return {};
    }
    std::optional<MacroEvent> event;
    if (IsKey(input.kind)) {
        event = KeyEvent(input.code, press);
    } else {
        // The click on the stop button ends the recording; it is not part of it.
        if (input.button == 1 && stopHit_ && stopHit_(input.x, input.y))
            return {};
        event = ButtonEvent(input.button, press);
    }
    if (!event)
        return {};
    const RecordChange change = Place(*event, press, input.timeMs, list);
    if (press && change.what == RecordChange::What::Inserted) {
        held_[key].recorded = true;
        heldEvents_[key] = *event;
    }
    return change;
}

}  // namespace macro
