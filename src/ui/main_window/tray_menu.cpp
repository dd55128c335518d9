#include "ui/main_window/tray_menu.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

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
    // Above the pointer as on a bottom panel; below it when the pointer is
    // near the top (a top panel), and always inside the screen.
    const QPoint cursor = QCursor::pos();
    QPoint at = cursor - QPoint(0, height());
    if (QScreen* s = QGuiApplication::screenAt(cursor)) {
        const QRect area = s->availableGeometry();
        if (at.y() < area.top())
            at.setY(cursor.y());
        at.setX(qBound(area.left(), at.x(), qMax(area.left(), area.right() + 1 - width())));
        at.setY(qBound(area.top(), at.y(), qMax(area.top(), area.bottom() + 1 - height())));
    }
    move(at);
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
