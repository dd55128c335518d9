#include "ui/main_window/tray_menu.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include "ui/framework/text_manager.h"
#include "ui/main_window/main_wnd.h"

namespace ui {

CTrayMenuWnd::CTrayMenuWnd(CMainWnd* owner) : owner_(owner) {
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
}

void CTrayMenuWnd::Popup() {
    TextManager::Instance().ApplyTexts(this);
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
}

}  // namespace ui
