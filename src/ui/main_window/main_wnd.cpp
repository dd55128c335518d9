#include "ui/main_window/main_wnd.h"

#include <QCoreApplication>
#include <QIcon>

#include "platform/debug_output.h"
#include "platform/paths.h"
#include "ui/framework/skin.h"
#include "ui/framework/text_manager.h"
#include "ui/framework/window_messages.h"
#include "ui/main_window/app_messages.h"

namespace ui {
namespace {

CMainWnd* g_mainWnd = nullptr;

constexpr const char* kWindowIconFile = "main/logo.png";

}  // namespace

CMainWnd::CMainWnd() {
    setObjectName(QStringLiteral("MainWnd"));
    g_mainWnd = this;
}

CMainWnd::~CMainWnd() {
    tray_.Delete();
    if (g_mainWnd == this)
        g_mainWnd = nullptr;
}

CMainWnd* CMainWnd::Instance() {
    return g_mainWnd;
}

QString CMainWnd::GetSkinFile() const {
    return QStringLiteral("XML_MAIN");
}

void CMainWnd::InitWindow() {
    platform::DebugOutput("InitWindow");
    TextManager& texts = TextManager::Instance();
    texts.LoadLanguage(QStringLiteral("lan_cn.xml"));
    texts.ApplyTexts(this);

    closeBtn_ = FindControl(QStringLiteral("closebtn"));
    maxBtn_ = FindControl(QStringLiteral("maxbtn"));
    restoreBtn_ = FindControl(QStringLiteral("restorebtn"));
    minBtn_ = FindControl(QStringLiteral("minbtn"));
    skinBtn_ = FindControl(QStringLiteral("skinbtn"));
    gameModeBtn_ = FindControl(QStringLiteral("gamemodebtn"));
    cloudBtn_ = FindControl(QStringLiteral("cloudbtn"));
    smartEyesBtn_ = FindControl(QStringLiteral("smarteyesbtn"));
    setBtn_ = FindControl(QStringLiteral("setbtn"));
    setBtn1_ = FindControl(QStringLiteral("setbtn1"));

    QIcon icon;
    const QString iconPath = Skin::Instance().FilePath(QString::fromLatin1(kWindowIconFile));
    if (!iconPath.isEmpty())
        icon = QIcon(iconPath);
    setWindowIcon(icon);
    tray_.Create(this, icon, QString::fromUtf8(platform::kProductTitle), kTrayNotifyMessage);
}

void CMainWnd::Notify(const Notification& n) {
    if (n.type != QLatin1String(notify::kClick) || !n.sender)
        return;
    if (n.sender == closeBtn_) {
        close();
    } else if (n.sender == minBtn_) {
        showMinimized();
    } else if (n.sender == maxBtn_) {
        showMaximized();
    } else if (n.sender == restoreBtn_) {
        showNormal();
    }
}

intptr_t CMainWnd::HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                       bool& handled) {
    const AppMessages& app = RegisteredAppMessages();
    if (app.instance != 0 && message == app.instance) {
        platform::DebugOutputF("软件标示 %d，%xd%xd", static_cast<int>(message),
                               static_cast<unsigned>(wParam), static_cast<unsigned>(lParam));
        WakeUp();
        handled = true;
        return 0;
    }
    switch (message) {
        case kTrayNotifyMessage:
            if (lParam == kWmLButtonUp)
                ToggleFromTray();
            else if (lParam == kWmRButtonUp)
                SetWindowTimer(kTrayMenuTimer, 10);
            handled = true;
            return 0;
        case kWmDestroy:
            platform::DebugOutput("退出测试");
            hide();
            handled = true;
            return 0;
        default:
            handled = false;
            return 0;
    }
}

void CMainWnd::OnTimer(unsigned id) {
    KillWindowTimer(id);
    // kTrayMenuTimer opens the tray menu once the menu window exists.
}

void CMainWnd::OnDestroy() {
    tray_.Delete();
    // Quit once the closing handlers have run, like a posted quit message.
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                              Qt::QueuedConnection);
}

void CMainWnd::WakeUp() {
    Send(kWmSysCommand, kScRestore, 0);
    raise();
    activateWindow();
}

void CMainWnd::ToggleFromTray() {
    if (isVisible() && !isMinimized()) {
        hide();
        return;
    }
    showNormal();
    raise();
    activateWindow();
}

}  // namespace ui
