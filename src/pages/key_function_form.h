// The key page's form without its controls: a key's function (type, code1,
// code2) shown as a function number with the values of that function's
// controls, and read back from them. The page copies control values into
// Form(), calls the operation, and copies Form() back onto the controls.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "profile/profile_types.h"

namespace pages {

inline constexpr int kNoSelection = -1;

// Function numbers: the user data of the function combo's items and the
// sub-page shown for each.
enum KeyFunction : int {
    kNoFunction = -1,  // a type no function shows: the panel is hidden
    kOwnFunction = 0,
    kMouseButton = 1,
    kMouseMove = 2,
    kMouseWheel = 3,
    kDpiAction = 4,
    kAutoFire = 5,
    kKeyboardKey = 6,
    kMediaKey = 7,
    kSystemKey = 8,
    kMacro = 9,
    kGunPreset = 10,
    kCtrlShortcut = 11,
};

// The number edits. Each value is kept in its range; the page shows it back.
enum class NumberField : uint8_t {
    MoveCount,
    MoveDelay,
    MoveSpeed,
    WheelCount,
    WheelDelay,
    WheelSpeed,
    FireInterval,
    FireShots,
    MacroRepeat,
};
inline constexpr size_t kNumberFieldCount = 9;

struct NumberFieldInfo {
    NumberField field;
    const char* control;
    int lowest;
    int highest;
};

std::span<const NumberFieldInfo, kNumberFieldCount> NumberFields();
const NumberFieldInfo& InfoOf(NumberField field);
int ClampNumber(NumberField field, int value);
// An edit's text as the field's value: a decimal number (blanks around it
// allowed) clamped to the range; any other text is the lowest value.
int ReadNumber(NumberField field, std::string_view text);

// Modifier options "key_ComBox_check_0".."4": none, Ctrl, Shift, Alt, Windows.
inline constexpr int kModifierOptionCount = 5;
// Play options of "keyset_macro_over_combo"; the last repeats a count.
inline constexpr int kMacroRepeatOption = 4;

struct KeyForm {
    int function = kNoFunction;
    // Item positions in their combos, or kNoSelection.
    int mouseButton = kNoSelection;
    int moveDirection = 0;
    int wheelDirection = 0;
    int dpiAction = kNoSelection;
    int media = kNoSelection;
    int system = kNoSelection;
    int macro = kNoSelection;
    int macroPlay = kNoSelection;
    int gun = kNoSelection;
    int shortcut = kNoSelection;
    int modifierOption = kNoSelection;
    // Caption id in "keyset_keyboard_text_edit"; empty when the text is cleared.
    std::string keyCaption;
    std::array<int, kNumberFieldCount> numbers = LowestNumbers();

    int& Number(NumberField f) { return numbers[static_cast<size_t>(f)]; }
    int Number(NumberField f) const { return numbers[static_cast<size_t>(f)]; }
    bool operator==(const KeyForm&) const = default;

    static std::array<int, kNumberFieldCount> LowestNumbers();
};

class KeyFunctionForm {
  public:
    // The selected key: both halves stored, the current one shown.
    void SetKeyEntry(const profile::KeyListEntry& entry);
    // Number of items of the macro combo; no macro is selected afterwards.
    void SetMacroCount(int count);

    void ShowAssignment(const profile::KeyAssignment& a);
    void ShowDefault() { ShowAssignment(default_); }
    void ShowCurrent() { ShowAssignment(current_); }

    // The assignment the form's controls give; it becomes the current one.
    // Number fields are clamped in the form first. A function whose item
    // or macro is not selected keeps the current assignment.
    profile::KeyListEntry ReadAssignment();

    // The function combo's selection: a new key function starts empty.
    void SelectFunction(int function);
    // Selects option n and clears the others; out of range selects none.
    void SetModifierOption(int n);
    int GetModifierOption() const { return form_.modifierOption; }

    // A key pressed while the key text has the focus, by its input code.
    // False when the key has no keyboard-key row: nothing changes.
    bool CaptureKey(int evdev);

    KeyForm& Form() { return form_; }
    const KeyForm& Form() const { return form_; }
    const profile::KeyAssignment& Current() const { return current_; }
    const profile::KeyAssignment& Default() const { return default_; }
    int MacroCount() const { return macroCount_; }

  private:
    profile::KeyAssignment current_;
    profile::KeyAssignment default_;
    int macroCount_ = 0;
    KeyForm form_;
};

// The function number an assignment is shown as.
int FunctionOf(const profile::KeyAssignment& a, const profile::KeyAssignment& defaultAssignment);
// Modifier option of the modifier row pressed during capture: the left
// and right key of a pair give the same option.
int ModifierOptionOfRow(size_t row);

}  // namespace pages
