// CKeySetControlUI ("KeySetControl"): the key assignment page. It shows one
// key's assignment on its named controls and reads it back; the function
// encodings are pages::KeyFunctionForm's, this class only moves values
// between the form and the widgets. Routing and the device are the key
// page hooks' (key_page_hooks.h).
#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "pages/key_function_form.h"
#include "profile/profile_types.h"

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QStackedWidget;

namespace ui {

class CKeySetControlUI : public QWidget {
    Q_OBJECT
  public:
    explicit CKeySetControlUI(QWidget* parent = nullptr);

    static constexpr const char* kClassName = "KeySetControl";
    static void Register();

    // Looks the controls up once; fills combos the layout left empty with
    // their items. Safe to call again (the page is rebuilt).
    void BindControls();
    bool Bound() const { return bound_; }

    void SetKeyEntry(const profile::KeyListEntry& entry);
    void ShowAssignment(const profile::KeyAssignment& a);
    // The controls' assignment, which becomes the current one; number edits
    // show their clamped values afterwards.
    profile::KeyListEntry ReadAssignment();
    void ShowDefault();
    void ShowCurrent();

    int GetModifierOption() const;
    void SetModifierOption(int n);

    // The macro combo's items; afterwards no macro is selected.
    void SetMacroNames(const std::vector<std::string>& names);
    void AddMacroName(const std::string& name);
    void RenameMacroItem(int index, const std::string& name);
    void RemoveMacroItem(int index);
    std::vector<std::string> MacroNames() const;

    void SetKeyCaption(const std::string& captionId);
    int FindFunctionItem(int function) const;
    void SetButtonsEnabled(bool enabled);

    // The function combo's selection: a new function starts empty; the sub-
    // page follows.
    void OnFunctionSelected();
    // "keyset_macro_over_combo": the repeat count shows only for option 4.
    void OnMacroPlaySelected();
    // A number edit lost the focus: its text is replaced by the value used.
    void ClampEdit(const std::string& control);

    // Single-key capture: while on, a key pressed in the key text edit
    // becomes the keyboard-key assignment; `captured` runs after each key
    // the table knows (the hooks apply it).
    void SetCaptureOn(bool on) { captureOn_ = on; }
    bool CaptureOn() const { return captureOn_; }
    void SetCaptureHandler(std::function<void()> captured) { captured_ = std::move(captured); }
    // A key by its Linux input code, as a key press in the edit gives it.
    bool CaptureKey(int evdev);

    const pages::KeyFunctionForm& Form() const { return form_; }
    QWidget* Control(const char* name) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Form -> controls and controls -> form.
    void PutForm();
    void TakeForm();
    void ShowFunctionPage(int function);
    void PutKeyCaption(const std::string& captionId);
    void FillCombos();
    QWidget* Option(int n) const;

    pages::KeyFunctionForm form_;
    bool bound_ = false;
    bool captureOn_ = false;
    std::function<void()> captured_;
    QPointer<QWidget> layout_, functionTabs_, macroCycleLayout_, textTest_;
    QPointer<QComboBox> functionCombo_, mouseKey_, swingDir_, wheelDir_, dpi_, media_, system_,
        macro_, macroPlay_, gun_, shortcut_;
    QPointer<QLineEdit> keyText_;
    std::array<QPointer<QLineEdit>, pages::kNumberFieldCount> numberEdits_{};
    std::array<QPointer<QWidget>, 4> buttons_{};
    QButtonGroup* modifierGroup_ = nullptr;
};

}  // namespace ui
