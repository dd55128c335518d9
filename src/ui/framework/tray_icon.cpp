#include "ui/framework/tray_icon.h"

#include <QSystemTrayIcon>

#include "ui/framework/window.h"
#include "ui/framework/window_messages.h"

namespace ui {

TrayIcon::~TrayIcon() {
    Delete();
}

void TrayIcon::Create(Window* owner, const QIcon& icon, const QString& toolTip, uint32_t message) {
    Delete();
    if (owner == nullptr)
        return;
    icon_ = new QSystemTrayIcon(icon, owner);
    icon_->setToolTip(toolTip);
    QPointer<Window> target(owner);
    QObject::connect(icon_, &QSystemTrayIcon::activated, owner,
                     [target, message](QSystemTrayIcon::ActivationReason reason) {
                         if (!target)
                             return;
                         intptr_t mouse = 0;
                         switch (reason) {
                             case QSystemTrayIcon::Trigger:
                                 mouse = kWmLButtonUp;
                                 break;
                             case QSystemTrayIcon::Context:
                                 mouse = kWmRButtonUp;
                                 break;
                             case QSystemTrayIcon::DoubleClick:
                                 mouse = 0x0203;  // left double click
                                 break;
                             case QSystemTrayIcon::MiddleClick:
                                 mouse = 0x0208;  // middle button up
                                 break;
                             default:
                                 return;
                         }
                         target->Post(message, 0, mouse);
                     });
    if (QSystemTrayIcon::isSystemTrayAvailable())
        icon_->show();
}

void TrayIcon::Delete() {
    if (icon_ != nullptr) {
        icon_->hide();
        delete icon_;
    }
    icon_ = nullptr;
}

}  // namespace ui
