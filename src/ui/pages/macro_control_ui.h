// CMacroControlUI ("MacroControl"): the macro page of a keyboard or mouse
// page. It shows what its MacroPageModel holds (the macro names, the actions
// of the selected one with their delay edits) and runs the page's routes;
// recording is started and stopped through the main window, which owns the
// input capture and the bar lock.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "pages/macro_page_model.h"
#include "pages/page_hooks.h"
#include "ui/framework/window.h"

class QListWidget;
class QLineEdit;

namespace ui {

// Keeps another page's list of macro names in step (the key page's macro
// choices, the device's name lists).
class MacroNameObserver {
  public:
    virtual ~MacroNameObserver() = default;
    virtual void MacroAdded(const std::string& name) = 0;
    virtual void MacroRenamed(int index, const std::string& name) = 0;
    virtual void MacroRemoved(int index) = 0;
};

class CMacroControlUI : public QWidget {
    Q_OBJECT
  public:
    explicit CMacroControlUI(QWidget* parent = nullptr);
    ~CMacroControlUI() override;

    static constexpr const char* kClassName = "MacroControl";
    static void Register();

    // Set by the device: the data folder (loads the list once), the number of
    // actions a macro may hold, the window that owns messages.
    void SetFolder(const std::string& folder);
    bool HasFolder() const { return model_ != nullptr; }
    void SetAllowedActions(int count);
    void SetOwner(Window* owner) { owner_ = owner; }
    // Shows a message by text id with the message window's buttons; 1 when
    // confirmed. Without one nothing is shown and questions are declined.
    void SetMessenger(std::function<int(const std::string& id, int buttons)> show) {
        messenger_ = std::move(show);
    }
    void SetNameObserver(MacroNameObserver* observer) { observer_ = observer; }
    // Fixes the key assignments of every profile after a macro was deleted
    // (called once the macro list no longer holds it).
    void SetReferenceFixer(std::function<void(int)> fixer) { fixer_ = std::move(fixer); }
    // True when a key of the current profile calls the macro: its delete
    // asks a second time.
    void SetUsageQuery(std::function<bool(int)> inUse) { inUse_ = std::move(inUse); }

    // A routed notification of the macro page; false when not handled.
    bool Handle(const pages::RouteEvent& event);

    // Recording (the main window installs the capture between these).
    // False when there is no macro to record into.
    bool StartRecording(macro::TimeMode time, macro::CaptureMode mode);
    void StopRecording();
    bool Recording() const;
    void OnInput(const macro::InputEvent& event);
    // "macro_check_time" is marked.
    bool ConstantTimeChosen() const;

    const pages::MacroPageModel* Model() const { return model_.get(); }
    int SelectedMacro() const { return model_ ? model_->SelectedMacro() : -1; }

  private:
    QWidget* Child(const char* name) const;
    QListWidget* NameList() const;
    QListWidget* ActionList() const;
    void Message(const std::string& id, bool question = false, bool* confirmed = nullptr);
    void ShowOutcome(const pages::MacroOutcome& outcome);
    void FillNames();
    void ShowMacro();
    void ShowActions();
    QWidget* BuildRow(const macro::MacroEvent& event, int row);
    void UpdateRow(int row);
    void InsertRow(int row);
    void SelectRow(int row);
    void ScrollLater();
    void ReadDelays();
    void Save();
    void SetLocked(bool locked);
    void OnButton(const std::string& name);
    void OnRowMenu(QWidget* row);
    bool eventFilter(QObject* watched, QEvent* event) override;

    std::unique_ptr<pages::MacroPageModel> model_;
    int allowed_ = macro::kDefaultAllowedActions;
    QPointer<Window> owner_;
    MacroNameObserver* observer_ = nullptr;
    std::function<void(int)> fixer_;
    std::function<bool(int)> inUse_;
    std::function<int(const std::string&, int)> messenger_;
    QPointer<QWidget> menu_;
};

// Where the action menu's items go (the main window's menu commands).
void SetMacroMenuCommandSink(std::function<void(const QString&)> sink);

// The page that hosts a route: the current device page's macro page.
CMacroControlUI* MacroPageIn(QWidget* devicePage);

}  // namespace ui
