#include "ui/main_window/tray_menu.h"

#include <QCursor>

#include "platform/autostart.h"
#include "ui/framework/control_ops.h"
#include "ui/framework/text_manager.h"
#include "ui/main_window/main_wnd.h"

namespace ui {

CTrayMenuWnd::CTrayMenuWnd(CMainWnd* owner) : owner_(owner) {
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
}

void CTrayMenuWnd::Popup() {
    TextManager::Instance().ApplyTexts(this);
    SyncChecks();
    adjustSize();
    move(QCursor::pos() - QPoint(0, height()));
    show();
    raise();
}

void CTrayMenuWnd::Notify(const Notification& n) {
    if (n.type != QLatin1String(notify::kClick) || !n.sender)
        return;
    const QString command = n.sender->objectName().toLower();
    hide();
    if (owner_ != nullptr)
        owner_->MenuCommand(command);
    SyncChecks();
}

void CTrayMenuWnd::SyncChecks() {
    // Another copy, the desktop's session settings or the user may have
    // changed the entry since the menu was last open.
    SetControlChecked(FindControl(QStringLiteral("autostart")), platform::AutostartEnabled());
}

}  // namespace ui
