// The main window's side of the key assignment page: which keyboard and
// page are current, the bar lock and the message window; and the macro
// page's effects on them (the macro name lists, the keys of a deleted macro).
#pragma once

#include "ui/main_window/main_wnd.h"
#include "ui/pages/key_page_hooks.h"
#include "ui/pages/macro_control_ui.h"

namespace ui {

class CMainWnd::KeyPageBinding : public KeyPageHost, public MacroNameObserver {
  public:
    explicit KeyPageBinding(CMainWnd& window) : window_(window), hooks_(*this) {}
    KeyPageHooks& Hooks() { return hooks_; }

    device::CVornelKeyboardDevice* CurrentKeyboard() override;
    CKeySetControlUI* CurrentKeyPage() override;
    void BarLock(bool bars, bool enabled) override { window_.BarLock(bars, enabled); }
    void ShowMessageText(const QString& text) override;

    void BindMacroPage(CMacroControlUI& page);
    void MacroAdded(const std::string& name) override;
    void MacroRenamed(int index, const std::string& name) override;
    void MacroRemoved(int index) override;

  private:
    // Runs while the macro is deleted, after the macro list was written; what
    // went wrong is told once the page has finished (MacroRemoved).
    void MendKeysOfDeletedMacro(int index);
    QString pendingMessage_;

    CMainWnd& window_;
    KeyPageHooks hooks_;
};

}  // namespace ui
