// The main window's side of the key assignment page: which keyboard and
// page are current, the bar lock and the message window.
#pragma once

#include "ui/main_window/main_wnd.h"
#include "ui/pages/key_page_hooks.h"

namespace ui {

class CMainWnd::KeyPageBinding : public KeyPageHost {
  public:
    explicit KeyPageBinding(CMainWnd& window) : window_(window), hooks_(*this) {}
    KeyPageHooks& Hooks() { return hooks_; }

    device::CVornelKeyboardDevice* CurrentKeyboard() override;
    CKeySetControlUI* CurrentKeyPage() override;
    void BarLock(bool bars, bool enabled) override { window_.BarLock(bars, enabled); }
    void ShowMessageText(const QString& text) override;

  private:
    CMainWnd& window_;
    KeyPageHooks hooks_;
};

}  // namespace ui
