#include "ui/main_window/tray_menu.h"

#include <QCursor>

#include "ui/framework/text_manager.h"
#include "ui/main_window/main_wnd.h"

namespace ui {

CTrayMenuWnd::CTrayMenuWnd(CMainWnd* owner) : owner_(owner) {
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
}

void CTrayMenuWnd::Popup() {
    TextManager::Instance().ApplyTexts(this);
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
}

}  // namespace ui
