// The program's one top-level window. This is the start of it: layout,
// title bar, tray icon, the instance wake-up and the shutdown message; the
// device lifecycle and page dispatch build on it.
#pragma once

#include <QPointer>

#include "ui/framework/tray_icon.h"
#include "ui/framework/window.h"

namespace ui {

inline constexpr unsigned kTrayMenuTimer = 1032;

class CMainWnd : public Window {
    Q_OBJECT
  public:
    CMainWnd();
    ~CMainWnd() override;

    // The main window while one exists (worker threads reach it through its
    // message queue only).
    static CMainWnd* Instance();

    TrayIcon& Tray() { return tray_; }

  protected:
    QString GetSkinFile() const override;
    void InitWindow() override;
    void Notify(const Notification& notification) override;
    intptr_t HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                 bool& handled) override;
    void OnTimer(unsigned id) override;
    void OnDestroy() override;

  private:
    void WakeUp();
    void ToggleFromTray();

    TrayIcon tray_;
    // Title-bar controls, found once in InitWindow (null when the skin lacks one).
    QPointer<QWidget> closeBtn_, maxBtn_, restoreBtn_, minBtn_, skinBtn_, gameModeBtn_, cloudBtn_,
        smartEyesBtn_, setBtn_, setBtn1_;
};

}  // namespace ui
