#include "ui/main_window/main_wnd.h"
#include "ui/main_window/macro_recording.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QTimer>

#include "device/device_classes.h"
#include "device/keyboard_light_driver.h"
#include "device/receiver_event_service.h"
#include "platform/debug_output.h"
#include "platform/launcher.h"
#include "platform/paths.h"
#include "ui/framework/control_ops.h"
#include "ui/framework/registered_messages.h"
#include "ui/framework/skin.h"
#include "ui/framework/text_manager.h"
#include "ui/framework/window_message_adapter.h"
#include "ui/framework/window_messages.h"
#include "ui/main_window/app_messages.h"
#include "ui/main_window/main_wnd_key_page.h"
#include "ui/main_window/skin_background.h"
#include "ui/main_window/tray_menu.h"
#include "ui/pages/device_option_ui.h"
#include "ui/pages/device_page_adapter.h"
#include "ui/pages/lighting_page_hooks.h"
#include "ui/pages/mp_device_power_ui.h"
#include "ui/pages/profile_bar_page.h"

namespace ui {
namespace {

CMainWnd* g_mainWnd = nullptr;

constexpr const char* kWindowIconFile = "main/logo.png";
// How long after showing or scaling the window its place is checked.
constexpr int kRecentreCheckMs = 300;

}  // namespace

int ScaleForMonitor(int width, int height) {
    return width > 1500 && height > 960 ? 144 : 96;
}

int CheckedScale(int dpi) {
    switch (dpi) {
        case 48:
        case 72:
        case 96:
        case 120:
        case 144:
        case 168:
        case 192:
            return dpi;
        default:
            platform::DebugOutput("MAIN_WND DPI SET ERROR");
            return 96;
    }
}

CMainWnd::CMainWnd() : openDeviceSettings_(platform::OpenDeviceSettings) {
    setObjectName(QStringLiteral("MainWnd"));
    g_mainWnd = this;
    for (int i = 0; i < 4; ++i)
        gameMessages_[i] = RegisterWindowMessage(kGameMessageNames[i]);
    profileBarPage_ = std::make_unique<ProfileBarPage>(*this);
    SetPageHooks(pages::Owner::ProfileBar, profileBarPage_.get());
    InstallKeyPage();
    macroRecording_ = std::make_unique<MacroRecording>(this);
    SetPageHooks(pages::Owner::MacroPage, macroRecording_.get());
}

CMainWnd::~CMainWnd() {
    Shutdown();
    tray_.Delete();
    delete menuWindow_.data();
    // Entries stop their timers before the devices they drive go; the
    // lighting driver goes before its keyboard.
    for (DeviceRow& row : rows_) {
        if (row.entry)
            row.entry->SetDevice(nullptr);
    }
    // Every device's workers (event thread, receiver service use, light
    // thread) are joined before anything they call goes: a key event
    // arriving now would otherwise reach a destroyed lighting driver.
    for (DeviceRow& row : rows_) {
        if (row.device)
            row.device->ShutdownThreads();
        if (row.lighting)
            row.lighting->Lighting().StopThread();
    }
    for (DeviceRow& row : rows_) {
        row.lighting.reset();
        row.device.reset();
        row.pageView.reset();
    }
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
    CreateUpdateBadge();

    QIcon icon;
    const QString iconPath = Skin::Instance().FilePath(QString::fromLatin1(kWindowIconFile));
    if (!iconPath.isEmpty())
        icon = QIcon(iconPath);
    setWindowIcon(icon);
    tray_.Create(this, icon, QString::fromUtf8(platform::kProductTitle), kTrayNotifyMessage);
    InitLightingAndSkin();
}

void CMainWnd::InitLightingAndSkin() {
    skinBackground_ = std::make_unique<SkinBackground>(*this);
    skinPanelHooks_ = std::make_unique<SkinPanelHooks>(*this);
    SetPageHooks(pages::Owner::SkinPanel, skinPanelHooks_.get());
    lightingHooks_ = std::make_unique<LightingPageHooks>(
        [this] { return CurrentDevice(); },
        [this](device::CVornelUSBDevice* d) {
            return d != nullptr ? PageOfRow(d->GetModelRow()) : nullptr;
        });
    // The music colours sit on the lighting page until the music window
    // takes its own routes.
    SetPageHooks(pages::Owner::LightingPage, lightingHooks_.get());
    SetPageHooks(pages::Owner::MusicLighting, lightingHooks_.get());
}

bool CMainWnd::AllowedWhileSuspended(uint32_t message) const {
    const AppMessages& app = RegisteredAppMessages();
    if (message == 0)
        return false;
    if (message == app.instance || message == app.settingsRelay || message == app.lightControl ||
        message == app.voveDodaQuery)
        return true;
    switch (message) {
        case kWmDestroy:
        case kWmPowerBroadcast:
        case kWmActivate:
        case kWmClose:
        case kWmSysCommand:
            return true;
        default:
            return false;
    }
}

intptr_t CMainWnd::HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                       bool& handled) {
    handled = true;
    if (suspended_ && !AllowedWhileSuspended(message)) {
        if (message == hid::WM_DEVICE_ARRIVED || message == hid::WM_DEVICE_REMOVED) {
            // The discovery thread has already bound or freed the slot: the
            // message is handled once the system is back.
            deferredDeviceMessages_.emplace_back(message, static_cast<int>(wParam));
            return 0;
        }
        handled = message != kWmClose;
        return 0;
    }
    const AppMessages& app = RegisteredAppMessages();
    if (message != 0 && message == app.instance) {
        platform::DebugOutputF("软件标示 %d，%xd%xd", static_cast<int>(message),
                               static_cast<unsigned>(wParam), static_cast<unsigned>(lParam));
        // lParam 1: a second start asks for the window; 0 is the discovery
        // thread's own wake-up after its first pass.
        if (lParam != 0)
            startInTray_ = false;
        WakeUp();
        return 0;
    }
    if (message != 0 && message == app.settingsRelay) {
        if (auto* settings = qobject_cast<Window*>(setWnd_.data()))
            settings->Post(message, wParam, lParam);
        return 0;
    }
    if (message != 0 && message == app.lightControl) {
        if (wParam == 1 && (lParam == 0 || lParam == 1))
            SetLightControl(static_cast<int>(lParam));
        return 0;
    }
    if (message != 0 && message == app.voveDodaQuery) {
        SendVoveDodaReport();
        return 0;
    }
    for (uint32_t game : gameMessages_) {
        if (game != 0 && message == game) {
            OnGameEvent(wParam, lParam);
            return 0;
        }
    }
    switch (message) {
        case kTrayNotifyMessage:
            if (lParam == kWmLButtonUp)
                ToggleFromTray();
            else if (lParam == kWmRButtonUp)
                SetWindowTimer(kTrayMenuTimer, 10);
            return 0;
        case kMsgKeyCaptureHook: {
            // The single-key capture hook belongs to the key page: 1 installs
            // it, 0 removes it.
            if (wParam > 1)
                return 0;
            macroRecording_->SingleKeyCapture(wParam == 1);
            pages::RouteEvent capture;
            capture.route = wParam == 1 ? pages::Route::KeyCaptureOn : pages::Route::KeyCaptureOff;
            capture.control = "keyset_keyboard_text_edit";
            capture.wParam = wParam;
            PageHooksOf(pages::Owner::KeyPage).Handle(capture);
            return 0;
        }
        case kMsgInputCapture:
            macroRecording_->OnCaptureMessage(wParam, lParam);
            return 0;
        case kMsgMenuCommand: {
            const QString name = pendingMenuCommand_;
            pendingMenuCommand_.clear();
            RunMenuCommand(name);
            return 0;
        }
        case kMsgShowSettingProgress:
            SetControlVisible(FindControl(QStringLiteral("setting_progress")), true);
            return 0;
        case kMsgLanguageChanged:
            OnLanguageChanged(wParam);
            return 0;
        case kMsgOpenSettings:
            // Its modal loop must not run inside the message dispatch.
            QMetaObject::invokeMethod(
                this, [this] { OpenSettingsWindow(true); }, Qt::QueuedConnection);
            return 0;
        case kMsgUpdateSeen:
            if (setBtn_)
                setBtn_->setProperty("foreimage", QString());
            SetControlVisible(updateBadge_, false);
            return 0;
        case hid::WM_DEVICE_ARRIVED:
            lifecycle_.OnDeviceArrived(static_cast<int>(wParam));
            return 0;
        case hid::WM_DEVICE_REMOVED:
            lifecycle_.OnDeviceRemoved(static_cast<int>(wParam));
            return 0;
        case device::kMsgFirmwareUpgrade:
            OnFirmwareUpgrade(wParam, lParam);
            return 0;
        case device::kMsgSettingsRead:
        case device::kMsgBatteryRead:
            return 0;
        case device::kMsgEntryNotice:
            OnEntryNotice(static_cast<int>(wParam), static_cast<int>(lParam));
            return 0;
        case kWmPowerBroadcast:
            if (wParam == kPbtApmSuspend)
                SetSuspended(true);
            else if (wParam == kPbtApmResumeAutomatic)
                SetSuspended(false);
            return 0;
        case kWmDisplayChange:
            platform::DebugOutput("显示器分辨率发生变化");
            displayChanged_ = true;
            ApplyScale();
            return 0;
        case kWmDestroy:
            platform::DebugOutput("退出测试");
            Shutdown();
            QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                      Qt::QueuedConnection);
            return 0;
        default:
            handled = false;
            return 0;
    }
}

void CMainWnd::OnTimer(unsigned id) {
    KillWindowTimer(id);
    switch (id) {
        case kScaleTimer:
            ApplyScale();
            update();
            // The audio link starts here once it exists.
            break;
        case kTrayMenuTimer:
            OpenTrayMenu();
            break;
        case kGameEventTimer:
            RestoreAfterGameEvent();
            break;
        case kReceiverPollTimer:
            lifecycle_.ReceiverLinkPoll();
            break;
        case kProfileSwitchTimer:
            profileBarPage_->OnSwitchTimer();
            break;
        default:
            break;
    }
}

void CMainWnd::OnDestroy() {
    tray_.Delete();
}

bool CMainWnd::event(QEvent* e) {
    switch (e->type()) {
        case QEvent::WindowActivate:
        case QEvent::WindowDeactivate:
            active_ = e->type() == QEvent::WindowActivate;
            SetAttention(active_);
            break;
        case QEvent::Wheel:
            if (setBtn1_)
                setBtn1_->setFocus();
            break;
        case QEvent::Enter:
            platform::DebugOutput("鼠标移入");
            SetAttention(active_ ? attention_ : true);
            break;
        case QEvent::Leave:
            platform::DebugOutput("鼠标移出");
            SetAttention(active_ ? attention_ : false);
            break;
        default:
            break;
    }
    return Window::event(e);
}

void CMainWnd::SetAttention(bool attention) {
    attention_ = attention;
    for (DeviceRow& row : rows_) {
        // Keyboard, mouse and mouse pad repaint their preview with attention.
        if (row.device && row.device->GetDeviceType() != hid::kDeviceHeadset)
            row.device->SetWindowAttention(attention);
    }
}

void CMainWnd::SetPageHiddenAll(bool hidden) {
    for (DeviceRow& row : rows_) {
        if (!row.device)
            continue;
        const int type = row.device->GetDeviceType();
        if (type == hid::kDeviceKeyboard || type == hid::kDeviceKeyboardViaReceiver ||
            type == hid::kDeviceMouse || type == hid::kDeviceMouseViaReceiver)
            row.device->SetPageHidden(hidden);
    }
}

void CMainWnd::WindowStart() {
    // 1. Registered messages reach the window over the session bus; there is
    //    no message filter to open.
    // 2. Tell other programs that this one controls the lighting.
    BroadcastLightState(1, 1);
    // 3. The stored language (Chinese texts were loaded in InitWindow).
    ApplyLanguage(ReadStoredLanguage());
    // 4. The slot list holds one slot per supported-device row already.
    // 5. One battery widget, page, device object and entry per model row.
    for (const device::DeviceModel& model : device::kDeviceModels) {
        for (size_t s = 0; s < hid::kSlotCount; ++s) {
            const hid::DeviceSlot slot = slots_.Get(s);
            if (slot.vendorId == model.vendorId && slot.productId == model.productId &&
                slot.deviceType == model.deviceType && slot.interfaceRole == model.variant) {
                CreateOptionAndPage(static_cast<int>(s));
                break;
            }
        }
    }
    RefreshNoDeviceIndicator();
    // 6-7. Hidden until the first discovery pass wakes the window.
    hide();
    // 8-9. Worker threads and the receiver event service.
    StartThreads();
    ConnectSleepSignal();
    if (QScreen* s = screen()) {
        connect(s, &QScreen::geometryChanged, this, [this] { Post(kWmDisplayChange, 0, 0); });
    }
    // 10.
    SetWindowTimer(kScaleTimer, 100);
    initialised_ = true;
    // 11. The music-lighting settings load with the audio link.
}

void CMainWnd::StartThreads() {
    messageSink_ = std::make_unique<WindowMessageAdapter>(this);
    threadStarted_[kDiscoveryThreadSlot] =
        discovery_.Start(slots_, *messageSink_, RegisteredAppMessages().instance);
    device::ReceiverEventService::Instance().StartService();
    serviceStarted_ = true;
}

void CMainWnd::Shutdown() {
    if (destroyed_)
        return;
    destroyed_ = true;
    hide();
    for (DeviceRow& row : rows_) {
        if (row.entry)
            row.entry->StopAllTimers();
    }
    KillWindowTimer(kReceiverPollTimer);
    KillWindowTimer(kGameEventTimer);
    platform::JoinTexts texts;
    texts.signalled = "所有对象处于激发状态\n";
    texts.timedOut = "所有对象处于非激发状态，超时\n";
    texts.notRunning = "错误\n";
    for (int slot = 0; slot < kThreadSlotCount; ++slot) {
        if (slot == kDiscoveryThreadSlot && threadStarted_[static_cast<size_t>(slot)]) {
            // Never killed: the discovery thread's waits end on its stop
            // event, a send in progress is abandoned.
            discovery_.Stop(kThreadJoinBound, texts);
            threadStarted_[static_cast<size_t>(slot)] = false;
            continue;
        }
        platform::DebugOutput(texts.notRunning);
        platform::DebugOutputF("%d", slot);
    }
    if (serviceStarted_) {
        device::ReceiverEventService::Instance().StopService();
        serviceStarted_ = false;
    }
}

void CMainWnd::StartInTray() {
    startInTray_ = true;
    hide();
    SetPageHiddenAll(true);
}

void CMainWnd::WakeUp() {
    RefreshNoDeviceIndicator();
    if (startInTray_) {
        // Devices arriving do not open a window that was started in the tray.
        SetPageHiddenAll(true);
        return;
    }
    SetPageHiddenAll(false);
    Send(kWmSysCommand, kScRestore, 0);
    QTimer::singleShot(kRecentreCheckMs, this, [this] { KeepOnScreen(); });
    // The window comes to the front without staying on top; nothing sleeps
    // on the UI thread.
    raise();
    activateWindow();
}

void CMainWnd::ToggleFromTray() {
    startInTray_ = false;
    const bool shown = isVisible() && !isMinimized();
    CloseChildWindows();
    if (shown) {
        hide();
        SetPageHiddenAll(true);
        return;
    }
    show();
    ApplyScale();
    showNormal();
    raise();
    activateWindow();
    update();
    SetPageHiddenAll(false);
}

void CMainWnd::ApplyScale() {
    const bool shown = isVisible() && !isMinimized();
    QScreen* s = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    int dpi = 96;
    if (s != nullptr) {
        const QRect full = s->geometry();
        dpi = ScaleForMonitor(full.width(), full.height());
    }
    dpi = CheckedScale(dpi);
    SetDPI(dpi);
    CenterWindow();
    if (shown) {
        show();
        // The window manager may frame the new size after this move.
        QTimer::singleShot(kRecentreCheckMs, this, [this] { KeepOnScreen(); });
    } else {
        hide();
    }
}

void CMainWnd::RegisterChildWindow(QWidget* child) {
    for (QPointer<QWidget>& slot : childWindows_) {
        if (!slot) {
            slot = child;
            return;
        }
    }
}

void CMainWnd::CloseChildWindows() {
    for (QPointer<QWidget>& child : childWindows_) {
        if (child)
            child->close();
    }
}

void CMainWnd::OpenTrayMenu() {
    if (!menuWindow_) {
        auto* menu = new CTrayMenuWnd(this);
        if (!menu->Create(nullptr, QString(), 160, 120)) {
            delete menu;
            return;
        }
        menuWindow_ = menu;
    }
    auto* menu = static_cast<CTrayMenuWnd*>(menuWindow_.data());
    menu->Popup();
}

void CMainWnd::ToggleLightControl() {
    SetLightControl(lightControl_ == 0 ? 1 : 0);
    BroadcastLightState(1, lightControl_);
}

void CMainWnd::SetLightControl(int state) {
    lightControl_ = state;
    QWidget* button = FindControl(QStringLiteral("control_light_status"));
    SetControlText(button, QString::fromUtf8(state != 0 ? "控制灯光" : "不控制灯光"));
    for (DeviceRow& row : rows_) {
        if (row.device)
            row.device->SetLightControl(state);
    }
}

void CMainWnd::SetSuspended(bool suspended) {
    if (suspended == suspended_)
        return;
    suspended_ = suspended;
    for (DeviceRow& row : rows_) {
        if (row.device)
            row.device->SetLightControl(suspended ? 0 : lightControl_);
    }
    if (suspended)
        return;
    std::deque<std::pair<uint32_t, int>> deferred;
    deferred.swap(deferredDeviceMessages_);
    for (const auto& [message, slot] : deferred) {
        if (message == hid::WM_DEVICE_ARRIVED)
            lifecycle_.OnDeviceArrived(slot);
        else
            lifecycle_.OnDeviceRemoved(slot);
    }
}

void CMainWnd::OnPrepareForSleep(bool sleeping) {
    Post(kWmPowerBroadcast, sleeping ? kPbtApmSuspend : kPbtApmResumeAutomatic, 0);
}

intptr_t CMainWnd::SendToWindow(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return Send(message, wParam, lParam);
}

void CMainWnd::PostToWindow(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    Post(message, wParam, lParam);
}

void CMainWnd::StartReceiverPoll(int ms) {
    if (!destroyed_)
        SetWindowTimer(kReceiverPollTimer, static_cast<unsigned>(ms));
}

void CMainWnd::SendEntryNotice(int row, int linkUp) {
    Send(device::kMsgEntryNotice, static_cast<uintptr_t>(row), linkUp);
}

void CMainWnd::OnGameEvent(uintptr_t w, intptr_t v) {
    device::CVornelUSBDevice* current = CurrentDevice();
    profile::CBasicProfiledata* data = current != nullptr ? ProfileOf(current) : nullptr;
    if (data != nullptr && w <= 2) {
        profile::LightInfo light = data->GetLightInfo();
        if (w == 0)
            light.OldLedmode =
                light.SelectItem >= 1 && light.SelectItem <= 20 ? light.SelectItem : 1;
        light.SelectItem = static_cast<uint8_t>(v & 0xFF);
        data->SetLightInfo(light);
        current->SaveProfile();
        current->ApplyLighting();
        current->SendLightRecord(0, 0, 0, 0, 0);
    }
    SetWindowTimer(kGameEventTimer, 5000);
}

void CMainWnd::RestoreAfterGameEvent() {
    device::CVornelUSBDevice* current = CurrentDevice();
    profile::CBasicProfiledata* data = current != nullptr ? ProfileOf(current) : nullptr;
    if (data == nullptr)
        return;
    profile::LightInfo light = data->GetLightInfo();
    light.SelectItem = light.OldLedmode;
    data->SetLightInfo(light);
    current->SaveProfile();
    current->ApplyLighting();
    current->SendLightRecord(0, 0, 0, 0, 0);
}

}  // namespace ui
