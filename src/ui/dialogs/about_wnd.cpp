#include "ui/dialogs/about_wnd.h"

#include <QEvent>

#include "ui/framework/control_ops.h"
#include "ui/framework/text_manager.h"
#include "ui/framework/window_messages.h"

namespace ui {
namespace {

// Language changed (the main window's message 3089).
constexpr uint32_t kMsgLanguageChanged = 3089;
constexpr unsigned kAboutTimer = 1;

}  // namespace

QString SoftwareDisplayVersion() {
    return QStringLiteral("V") + QStringLiteral(QX70_VERSION);
}

CAboutWnd::CAboutWnd() {
    setObjectName(QStringLiteral("AboutWnd"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
}

void CAboutWnd::InitWindow() {
    closeBtn_ = FindControl(QStringLiteral("closebtn"));
    maxBtn_ = FindControl(QStringLiteral("maxbtn"));
    restoreBtn_ = FindControl(QStringLiteral("restorebtn"));
    minBtn_ = FindControl(QStringLiteral("minbtn"));
    menuBtn_ = FindControl(QStringLiteral("menubtn"));
    ShowMaximisedState();
}

void CAboutWnd::ShowVersion(const QString& version) {
    // The hidden label resolves the id in the current language.
    QWidget* probe = FindControl(QStringLiteral("text_test"));
    SetTextId(probe, QStringLiteral("software_rev_text"));
    const QString prefix = probe != nullptr
                               ? ControlText(probe)
                               : TextManager::Instance().Text(QStringLiteral("software_rev_text"));
    QWidget* label = FindControl(QStringLiteral("software_ver_label"));
    if (label == nullptr)
        return;
    // Keeps the version through later language changes.
    label->setProperty("textId", QVariant());
    label->setProperty("_qx70Version", version);
    SetControlText(label, prefix + version);
}

void CAboutWnd::Notify(const Notification& n) {
    if (n.type != QLatin1String(notify::kClick) || !n.sender)
        return;
    const QString name = n.sender->objectName().toLower();
    if (name == QLatin1String("closebtn"))
        Close(0);
    else if (name == QLatin1String("minbtn"))
        Send(kWmSysCommand, kScMinimize, 0);
    else if (name == QLatin1String("maxbtn"))
        Send(kWmSysCommand, kScMaximize, 0);
    else if (name == QLatin1String("restorebtn"))
        Send(kWmSysCommand, kScRestore, 0);
    // "menubtn" and "homepage_btn" do nothing.
}

intptr_t CAboutWnd::HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t,
                                        bool& handled) {
    handled = false;
    if (message == kWmTimer && wParam == kAboutTimer) {
        KillWindowTimer(kAboutTimer);
    } else if (message == kMsgLanguageChanged) {
        QWidget* label = FindControl(QStringLiteral("software_ver_label"));
        if (label != nullptr && label->property("_qx70Version").isValid())
            ShowVersion(label->property("_qx70Version").toString());
        update();
    }
    return 0;
}

void CAboutWnd::changeEvent(QEvent* event) {
    Window::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        ShowMaximisedState();
}

void CAboutWnd::ShowMaximisedState() {
    const bool maximised = isMaximized();
    SetControlVisible(maxBtn_, !maximised);
    SetControlVisible(restoreBtn_, maximised);
}

}  // namespace ui
