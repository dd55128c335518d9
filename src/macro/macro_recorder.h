// Turns captured input into the actions of a macro being edited: the delay
// rules of the three time modes, the filter that keeps auto-repeats and
// stray releases out, and where each new action goes (end, before or after
// the selection, or in place of the selected action). Plain data in, plain
// data out; the page shows what changed.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "macro/input_capture.h"
#include "macro/macro_files.h"

namespace macro {

enum class TimeMode : int {
    Recorded = 1,  // the real time between events
    Constant = 2,  // every delay is the fixed delay
    Ignored = 3,   // every delay is 0
};

inline constexpr uint16_t kDefaultFixedDelay = 50;
inline constexpr uint16_t kMaxDelay = 65535;
// Until the device class sets its own.
inline constexpr int kDefaultAllowedActions = 250;
inline constexpr int kKeyboardAllowedActions = 90;
inline constexpr int kMouseAllowedActions = 60;

// The fixed-delay edit's text as a delay: digits only, 10..65535.
struct FixedDelay {
    uint16_t value = kDefaultFixedDelay;
    bool raisedToMinimum = false;  // was below 10: "message_text_31"
};
FixedDelay ParseFixedDelay(const std::string& text);

// The action list being edited.
struct ActionList {
    std::vector<MacroEvent> rows;
    int selected = -1;
};

// What one input event did to the list.
struct RecordChange {
    enum class What { None, Inserted, Replaced };
    What what = What::None;
    int row = -1;       // the new or replaced row
    int delayRow = -1;  // a row whose delay was set, or -1
};

// The text id of the name of an action, as the action list shows it ("" when
// no table row matches).
std::string ActionNameKey(const MacroEvent& event);
// The macro event of a key (by its Linux input code) or an X button.
std::optional<MacroEvent> KeyEvent(uint16_t evdev, bool down);
std::optional<MacroEvent> ButtonEvent(int xButton, bool down);

class MacroRecorder {
  public:
    // Tells whether a screen position lies on the button that stops the
    // recording; its own left click is not recorded.
    using StopButtonHit = std::function<bool(int x, int y)>;
    // Milliseconds on the clock the capture's time stamps come from.
    using Clock = std::function<uint32_t()>;

    explicit MacroRecorder(Clock clock);

    void SetAllowedActions(int count) { allowed_ = count > 0 ? count : kDefaultAllowedActions; }
    int AllowedActions() const { return allowed_; }
    uint16_t FixedDelayValue() const { return fixedDelay_; }
    void SetFixedDelay(uint16_t delay) { fixedDelay_ = delay; }
    void SetStopButtonHit(StopButtonHit hit) { stopHit_ = std::move(hit); }

    // Forgets everything the previous recording left (held keys, time stamp).
    void Start(TimeMode timeMode, CaptureMode mode);
    // Ends the recording. Keys and buttons whose press was recorded and that
    // are still held get their release, so the macro never leaves one down.
    std::vector<RecordChange> Stop(ActionList& list);
    bool Recording() const { return recording_; }
    TimeMode Time() const { return timeMode_; }
    CaptureMode Mode() const { return mode_; }

    RecordChange OnInput(const InputEvent& input, ActionList& list);

  private:
    struct Held {
        bool recorded = false;
    };
    // Key of the held map: keys by code, buttons above them.
    static int HeldKey(const InputEvent& input);
    RecordChange Place(const MacroEvent& event, bool press, uint32_t timeMs, ActionList& list);
    uint16_t MeasuredDelay(uint32_t timeMs);
    uint16_t Placeholder() const;
    int RecordedHeld() const;
    bool HasRoomFor(bool press, const ActionList& list) const;

    Clock clock_;
    StopButtonHit stopHit_;
    int allowed_ = kDefaultAllowedActions;
    uint16_t fixedDelay_ = kDefaultFixedDelay;
    TimeMode timeMode_ = TimeMode::Recorded;
    CaptureMode mode_ = CaptureMode::Append;
    bool recording_ = false;
    uint32_t startMs_ = 0;                 // on clock_
    std::optional<uint32_t> lastEventMs_;  // on the capture's clock
    uint32_t lastLocalMs_ = 0;             // clock_ when it was taken
    std::map<int, Held> held_;
    // Events of the held keys, for their release at stop.
    std::map<int, MacroEvent> heldEvents_;
};

}  // namespace macro
