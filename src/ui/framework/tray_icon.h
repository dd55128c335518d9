// The program's one tray icon. Clicks on it reach the owning window as its
// tray message (lParam: the mouse message, 514 left-up, 517 right-up).
#pragma once

#include <QIcon>
#include <QPointer>
#include <QString>
#include <cstdint>

#include <QSystemTrayIcon>

namespace ui {

class Window;

class TrayIcon {
  public:
    TrayIcon() = default;
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Replaces an earlier icon. Works (and reports) even where the desktop
    // shows no tray.
    void Create(Window* owner, const QIcon& icon, const QString& toolTip, uint32_t message);
    void Delete();
    bool Exists() const { return icon_ != nullptr; }
    QSystemTrayIcon* Icon() const { return icon_; }

  private:
    QPointer<QSystemTrayIcon> icon_;
};

}  // namespace ui
