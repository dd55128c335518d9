// The macro page without its controls: the device's macro list, the action
// list of the selected macro with its edits, and the recording into it. The
// page shows what this holds and the messages the results name.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "macro/macro_files.h"
#include "macro/macro_recorder.h"

namespace pages {

// The text id a refused operation is shown with ("" when it went through).
struct MacroOutcome {
    bool done = false;
    std::string message;
    static MacroOutcome Done() { return {true, {}}; }
    static MacroOutcome Refused(std::string id) { return {false, std::move(id)}; }
};

inline constexpr const char* kMacroWriteFailedText = "macro_write_failed_text";

enum class ActionMove { Up, Down, Top, Bottom };
enum class Movement { Left, Right, Up, Down };

// The mouse insert of an action-menu item ("left_down" ... "back_click").
struct MouseInsert {
    uint8_t button = 0;  // button bit
    bool press = false;
    bool release = false;
};
std::optional<MouseInsert> MouseInsertOf(const std::string& item);
// A movement distance edit's text, clamped to one byte.
uint8_t MovementDistance(const std::string& text);
// A delay edit's text, clamped to 0..65535 ("" counts as 0).
uint16_t DelayOfText(const std::string& text);

class MacroPageModel {
  public:
    MacroPageModel(std::string folder, macro::MacroRecorder::Clock clock);

    void SetAllowedActions(int count);
    int AllowedActions() const { return recorder_.AllowedActions(); }
    macro::MacroRecorder& Recorder() { return recorder_; }
    const macro::MacroFiles& Files() const { return files_; }

    // Reads the list file again (the selection is cleared).
    void LoadList();
    const std::vector<std::string>& Names() const { return names_; }
    int SelectedMacro() const { return selected_; }
    // Selects a macro (-1: none) and loads its actions.
    void SelectMacro(int index);
    // Drops unsaved edits.
    void Reload() { SelectMacro(selected_); }

    const macro::ActionList& Actions() const { return actions_; }
    macro::ActionList& Actions() { return actions_; }
    void SelectAction(int row);
    // The text typed into a row's delay edit.
    void SetDelay(int row, const std::string& text);

    MacroOutcome Create();
    MacroOutcome Rename(const std::string& name);
    // `renumber(index)` fixes the key assignments of every profile once the
    // list no longer holds the macro; the first macro is selected after.
    MacroOutcome Delete(const std::function<void(int)>& renumber);
    MacroOutcome Import(const std::string& path);
    MacroOutcome Export(const std::string& path) const;
    // Cuts rows beyond the allowed count ("message_text_17"), raises delays
    // below 10, writes the macro file. `cut` tells whether rows were dropped.
    MacroOutcome Save(bool* cut = nullptr);

    // Moves the selected action (nothing without one).
    void Move(ActionMove move);
    void DeleteAction();
    void DeleteAllActions();
    // Inserts after the selected action with the fixed delay; refused with
    // "message_text_17" when the actions would not fit.
    MacroOutcome InsertMouse(const MouseInsert& insert);
    MacroOutcome InsertMovement(Movement direction, uint8_t distance);

    // Recording into the selected macro.
    MacroOutcome StartRecording(macro::TimeMode time, macro::CaptureMode mode,
                                const std::string& fixedDelayText, bool* fixedDelayRaised);
    macro::RecordChange OnInput(const macro::InputEvent& event);
    // Stops and saves.
    MacroOutcome StopRecording();
    bool Recording() const { return recorder_.Recording(); }

  private:
    MacroOutcome Written(int result) const;
    MacroOutcome Insert(std::vector<macro::MacroEvent> events);

    macro::MacroFiles files_;
    macro::MacroRecorder recorder_;
    std::vector<std::string> names_;
    int selected_ = -1;
    macro::ActionList actions_;
};

}  // namespace pages
