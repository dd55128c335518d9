// The tray icon's pop-up menu, built from the skin's "XML_MENU" layout. Each
// button of the layout is one menu item; its name is the command the main
// window runs ("show", "autostart", "exit"). The "autostart" check box shows
// whether the start-at-login entry exists.
#pragma once

#include "ui/framework/window.h"

namespace ui {

class CMainWnd;

class CTrayMenuWnd : public Window {
    Q_OBJECT
  public:
    explicit CTrayMenuWnd(CMainWnd* owner);
    // Shows the menu at the pointer.
    void Popup();
    // Sets the check boxes from the state they show.
    void SyncChecks();

  protected:
    QString GetSkinFile() const override { return QStringLiteral("XML_MENU"); }
    void Notify(const Notification& notification) override;

  private:
    CMainWnd* owner_;
};

}  // namespace ui
