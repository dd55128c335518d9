// The main window's settings window, its update mark on "setbtn", and the
// firmware updater prompt.
#include <QLabel>

#include "device/device_models.h"
#include "device/usb_device.h"
#include "platform/debug_output.h"
#include "platform/launcher.h"
#include "platform/paths.h"
#include "ui/dialogs/msg_wnd.h"
#include "ui/dialogs/set_wnd.h"
#include "ui/framework/control_ops.h"
#include "ui/framework/text_manager.h"
#include "ui/framework/window_messages.h"
#include "ui/main_window/app_messages.h"
#include "ui/main_window/main_wnd.h"
#include "ui/pages/device_option_ui.h"

namespace ui {

namespace {

constexpr int kBadgeSize = 8;

// Keeps the mark in its button's top-right corner, clear of the text, as the
// button grows and shrinks with the window's scale.
class BadgePlacer : public QObject {
  public:
    BadgePlacer(QWidget* button, QWidget* badge) : QObject(badge), button_(button), badge_(badge) {
        button->installEventFilter(this);
        Place();
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == button_ && event->type() == QEvent::Resize)
            Place();
        return false;
    }

  private:
    void Place() { badge_->move(std::max(0, button_->width() - kBadgeSize - 2), 2); }
    QWidget* button_;
    QWidget* badge_;
};

}  // namespace

void CMainWnd::CreateUpdateBadge() {
    if (!setBtn_ || updateBadge_)
        return;
    // The update mark: shown until a check finds everything up to date.
    auto* badge = new QLabel(setBtn_);
    badge->setObjectName(QStringLiteral("setbtn_badge"));
    badge->setAttribute(Qt::WA_TransparentForMouseEvents);
    badge->setFixedSize(kBadgeSize, kBadgeSize);
    badge->setStyleSheet(QStringLiteral("background: #ff3b30; border-radius: 4px;"));
    new BadgePlacer(setBtn_, badge);
    badge->show();
    updateBadge_ = badge;
}

bool CMainWnd::UpdateBadgeShown() const {
    return updateBadge_ && !updateBadge_->isHidden();
}

std::vector<update::DeviceVersion> CMainWnd::SettingsDeviceSnapshot() const {
    std::vector<update::DeviceVersion> devices;
    for (size_t i = 0; i < rows_.size() && i < device::kDeviceModels.size(); ++i) {
        const DeviceRow& row = rows_[i];
        if (!row.device || !row.entry || !row.entry->IsShown())
            continue;
        const device::DeviceModel& model = device::kDeviceModels[i];
        update::DeviceVersion v;
        v.vendorId = model.vendorId;
        v.productId = model.productId;
        v.deviceType = model.deviceType;
        v.variant = model.variant;
        hid::ReportChannel& channel = row.device->CommandChannel();
        v.open = channel.IsOpen();
        v.viaReceiver = channel.ReceiverMode();
        if (v.viaReceiver) {
            if (std::shared_ptr<hid::CHidPack> shared = channel.ReceiverPack())
                v.release = shared->Attributes().versionNumber;
        } else {
            v.release = channel.DirectPack().Attributes().versionNumber;
        }
        devices.push_back(v);
    }
    return devices;
}

void CMainWnd::SetSettingsWindowHook(std::function<void(QWidget*)> hook) {
    settingsHook_ = std::move(hook);
}

void CMainWnd::OpenSettingsWindow(bool centred) {
    if (setWnd_)
        return;
    auto* settings = new CSetWnd();
    if (!settings->Create(this, QStringLiteral("SetWnd"), kSetWndWidth, kSetWndHeight)) {
        platform::DebugOutput("settings window layout missing");
        delete settings;
        return;
    }
    settings->SetScale(DPI());
    setWnd_ = settings;
    RegisterChildWindow(settings);
    settings->SetRelayMessage(RegisteredAppMessages().settingsRelay);
    settings->SetMainWindow(this, languageIndex_);
    settings->SetDevices(SettingsDeviceSnapshot());
    const QRect main = geometry();
    if (centred) {
        settings->move(main.center() - QPoint(settings->width() / 2, settings->height() / 2));
    } else {
        settings->move(main.right() + 1 - settings->width() - Scaled(kSetWndRightGap),
                       main.top() + Scaled(kSetWndTopGap));
    }
    QPointer<CSetWnd> guard(settings);
    if (settingsHook_)
        settingsHook_(settings);
    if (guard)
        settings->ShowModal();
    setWnd_ = nullptr;
    delete guard.data();
}

void CMainWnd::SetUpdaterLauncher(std::function<bool(const update::UpdaterLaunch&)> launch) {
    launchUpdater_ = std::move(launch);
}

void CMainWnd::OnFirmwareUpgrade(uintptr_t productId, intptr_t release) {
    platform::DebugOutputF("firmware upgrade asked: product %04x release %04x",
                           static_cast<unsigned>(productId), static_cast<unsigned>(release));
    if (release < 0 || release >= static_cast<intptr_t>(update::kFirstCurrentKeyboardRelease))
        return;
    // Asked again while a prompt is up or on its way (a reconnect): one
    // prompt is enough.
    if (firmwarePromptPending_)
        return;
    if (!update::FindFirmwareUpdater(platform::ProgramFolder())) {
        platform::DebugOutput("firmware updater not installed: no prompt");
        return;
    }
    firmwarePromptPending_ = true;
    // The keyboard's send must not wait for the user.
    QMetaObject::invokeMethod(
        this, [this] { RunFirmwarePrompt(); }, Qt::QueuedConnection);
}

void CMainWnd::RunFirmwarePrompt() {
    const QString title = TextManager::Instance().Text(QStringLiteral("UpdateTiShi"));
    const int answer = messageWindow_
                           ? messageWindow_(this, title, QStringLiteral("UpdateTiShiText"), DPI(),
                                            true, kMessageQuestion)
                           : 0;
    firmwarePromptPending_ = false;
    if (answer != 1) {
        // The user declined the required update: the program ends, through
        // the same orderly shutdown as the tray's exit.
        platform::DebugOutput("firmware update declined: exit");
        CloseChildWindows();
        Post(kWmClose, 0, 0);
        return;
    }
    const std::optional<update::UpdaterLaunch> updater =
        update::FindFirmwareUpdater(platform::ProgramFolder());
    if (!updater) {
        platform::DebugOutput("firmware updater not installed: not started");
        return;
    }
    const bool started =
        launchUpdater_ ? launchUpdater_(*updater)
                       : platform::Launch(updater->program, updater->args, updater->workingFolder);
    platform::DebugOutput(started ? "firmware updater started" : "firmware updater not started");
}

}  // namespace ui
