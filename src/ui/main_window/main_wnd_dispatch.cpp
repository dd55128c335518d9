// The main window's notification routing: every control notification of the
// window and its pages is looked up in the route tables (pages/
// dispatch_routes.h) and carried out here or by the page that owns it.
#include <algorithm>

#include "device/device_classes.h"
#include "device/keyboard_light_driver.h"
#include "pages/control_name.h"
#include "platform/autostart.h"
#include "platform/debug_output.h"
#include "ui/framework/control_ops.h"
#include "ui/framework/window_messages.h"
#include "ui/main_window/main_wnd.h"
#include "ui/pages/device_option_ui.h"

namespace ui {
namespace {

using pages::Route;

bool IsMouseType(int type) {
    return type == hid::kDeviceMouse || type == hid::kDeviceMouseViaReceiver;
}

// The routes that start a macro recording need a device to record for.
bool NeedsCurrentDevice(Route route) {
    return route == Route::MacroRecordInsert || route == Route::MacroReplaceStep;
}

}  // namespace

// The dialogs the shell opens itself, for as long as no other page is
// plugged in for them (tests plug in a recorder).
class CMainWnd::ShellDialogs : public pages::PageHooks {
  public:
    explicit ShellDialogs(CMainWnd& window) : window_(window) {}
    bool Handle(const pages::RouteEvent& event) override {
        switch (event.route) {
            case Route::OpenAbout:
                window_.OpenAboutWindow();
                return true;
            case Route::OpenSettingsAtButton:
            case Route::OpenSettingsCentred:
                window_.OpenSettingsWindow(event.route == Route::OpenSettingsCentred);
                return true;
            default:
                return false;
        }
    }

  private:
    CMainWnd& window_;
};

void CMainWnd::SetPageHooks(pages::Owner owner, pages::PageHooks* hooks) {
    const auto i = static_cast<size_t>(owner);
    if (i < pageHooks_.size())
        pageHooks_[i] = hooks;
}

pages::PageHooks& CMainWnd::PageHooksOf(pages::Owner owner) const {
    const auto i = static_cast<size_t>(owner);
    if (i < pageHooks_.size() && pageHooks_[i] != nullptr)
        return *pageHooks_[i];
    if (owner == pages::Owner::Dialogs || owner == pages::Owner::SettingsWindow) {
        if (!shellDialogs_)
            shellDialogs_ = std::make_unique<ShellDialogs>(const_cast<CMainWnd&>(*this));
        return *shellDialogs_;
    }
    return pages::NoPage();
}

void CMainWnd::SetMessageWindow(MessageWindowFn show) {
    messageWindow_ = std::move(show);
}

int CMainWnd::ShowTextMessage(const QString& textId, int buttons) {
    return messageWindow_ ? messageWindow_(this, QString(), textId, DPI(), true, buttons) : 0;
}

void CMainWnd::SetDeviceSettingsOpener(std::function<bool(int)> open) {
    openDeviceSettings_ = std::move(open);
}

std::string CMainWnd::IdentityOf(const QWidget* sender) const {
    if (sender == nullptr)
        return {};
    const std::pair<const QPointer<QWidget>*, const char*> titleButtons[] = {
        {&minBtn_, "minbtn"},   {&maxBtn_, "maxbtn"}, {&restoreBtn_, "restorebtn"},
        {&skinBtn_, "skinbtn"}, {&setBtn_, "setbtn"},
    };
    for (const auto& [button, name] : titleButtons) {
        if (*button == sender)
            return name;
    }
    return {};
}

void CMainWnd::Notify(const Notification& n) {
    const pages::NotifyKind kind = pages::KindOfNotification(n.type.toStdString());
    const std::string name = n.sender ? n.sender->objectName().toStdString() : std::string();
    if (pages::WritesDebugLine(kind))
        platform::DebugOutputF("%s %s", n.type.toUtf8().constData(), name.c_str());
    if (!n.sender)
        return;
    const std::string identity = kind == pages::NotifyKind::Click ? IdentityOf(n.sender) : "";
    const std::optional<pages::RouteHit> hit = pages::FindRoute(kind, name, identity);
    if (!hit)
        return;
    // An option of a group also reports losing its mark; only the one that
    // gained it acts.
    if (kind == pages::NotifyKind::SelectChanged && n.wParam == 0 &&
        pages::ActsOnlyWhenMarked(hit->route))
        return;
    device::CVornelUSBDevice* current = CurrentDevice();
    if (!pages::IndexAccepted(*hit, current != nullptr ? current->GetKeyButtonCount() : 0))
        return;
    pages::RouteEvent event;
    event.route = hit->route;
    event.control = name;
    event.index = hit->index;
    event.wParam = n.wParam;
    event.lParam = n.lParam;
    const pages::Owner owner = pages::InfoOf(hit->route).owner;
    if (owner == pages::Owner::Shell)
        RunShellRoute(event, n);
    else
        PageHooksOf(owner).Handle(event);
}

void CMainWnd::RunShellRoute(const pages::RouteEvent& event, const Notification& n) {
    switch (event.route) {
        case Route::WindowStart:
            if (!initialised_)
                WindowStart();
            break;
        case Route::WindowResized:
            if (displayChanged_ && n.sender == Root()) {
                displayChanged_ = false;
                ApplyScale();
            }
            break;
        case Route::CloseToTray:
            CloseToTray();
            break;
        case Route::HideWindow:
            hide();
            break;
        case Route::ToggleLightControl:
            ToggleLightControl();
            break;
        case Route::Minimize:
            Send(kWmSysCommand, kScMinimize, 0);
            break;
        case Route::Maximize:
            Send(kWmSysCommand, kScMaximize, 0);
            break;
        case Route::Restore:
            Send(kWmSysCommand, kScRestore, 0);
            break;
        case Route::OpenDeviceSettings:
            OpenDeviceSettings(event.index);
            break;
        case Route::RestoreDeviceDefaults:
            RestoreDeviceDefaults();
            break;
        case Route::ClearRepeatTest:
            if (dynamic_cast<device::CVornelKeyboardDevice*>(CurrentDevice()) != nullptr)
                SetControlText(
                    FindSubControlByName(CurrentPage(), QStringLiteral("repeat_input_richedit")),
                    QString());
            break;
        case Route::FillCustomBright:
        case Route::FillCustomOff:
            FillCustomColour(event.route == Route::FillCustomBright);
            break;
        case Route::SelectDevicePrev:
        case Route::SelectDeviceNext:
            ScrollDeviceBar(event.route == Route::SelectDeviceNext);
            break;
        case Route::PollingRate:
        case Route::RepeatDelay:
        case Route::WinLockFlag:
        case Route::WFlag:
        case Route::Key6Flag:
        case Route::RepeatRate:
            ChangeKeyboardSystem(event);
            break;
        case Route::DeviceBarSelected:
            OnDeviceBarSelected(EntryOf(n.sender));
            break;
        case Route::FunctionTab:
            if (device::CVornelUSBDevice* current = CurrentDevice()) {
                current->SelectFunctionPage(event.index);
                PageHooksOf(pages::Owner::ProfileBar).Handle(event);
            }
            break;
        case Route::RedSlider:
            ShowColourComponent("R_light_label", "R %d", static_cast<int>(event.wParam));
            break;
        case Route::GreenSlider:
            ShowColourComponent("G_light_label", "G %d", static_cast<int>(event.wParam));
            break;
        case Route::BlueSlider:
            ShowColourComponent("B_light_label", "B %d", static_cast<int>(event.wParam));
            break;
        case Route::DpiSliderToEdit:
            DpiSliderToEdit(event.index, static_cast<int>(event.wParam));
            break;
        case Route::DpiEditToSlider:
            DpiEditToSlider(event.index);
            break;
        case Route::KeyCaptureOn:
        case Route::KeyCaptureOff:
            Send(kMsgKeyCaptureHook, event.route == Route::KeyCaptureOn ? 1 : 0, 0);
            break;
        default:
            break;
    }
}

void CMainWnd::MenuCommand(const QString& name) {
    if (name.isEmpty())
        return;
    pendingMenuCommand_ = name;
    Send(kMsgMenuCommand, 0, 0);
}

void CMainWnd::RunMenuCommand(const QString& name) {
    const std::string command = name.toStdString();
    const std::optional<pages::RouteHit> hit = pages::FindRoute(pages::MenuRoutes(), command);
    if (!hit)
        return;
    switch (hit->route) {
        case Route::MenuExit:
            CloseChildWindows();
            Post(kWmClose, 0, 0);
            return;
        case Route::MenuShow:
            if (!(isVisible() && !isMinimized()))
                ToggleFromTray();
            return;
        case Route::MenuAutostart: {
            // The entry file is the state: the item shows what is on disk,
            // whatever the click did to the check box.
            const bool wanted = !platform::AutostartEnabled();
            if (!platform::SetAutostart(wanted))
                platform::DebugOutputF("autostart entry not %s: %s", wanted ? "written" : "removed",
                                       platform::AutostartFile().c_str());
            return;
        }
        default:
            break;
    }
    if (NeedsCurrentDevice(hit->route) && CurrentDevice() == nullptr)
        return;
    pages::RouteEvent event;
    event.route = hit->route;
    event.control = command;
    event.index = hit->index;
    PageHooksOf(pages::InfoOf(hit->route).owner).Handle(event);
}

void CMainWnd::CloseToTray() {
    // The program keeps running in the tray; only the window manager's close
    // of the main window ends it.
    CloseChildWindows();
    hide();
    SetPageHiddenAll(true);
}

void CMainWnd::RestoreDeviceDefaults() {
    device::CVornelUSBDevice* current = CurrentDevice();
    if (current == nullptr)
        return;
    const int answer =
        messageWindow_
            ? messageWindow_(this, QString(), QStringLiteral("message_text_22"), DPI(), true, 1)
            : 0;
    if (answer != 1)
        return;
    // The question is modal: the device may have gone, or another one become
    // current, while it was open.
    if (CurrentDevice() != current)
        return;
    current->RestoreDefaults();
    current->SendStoredKeyAssignments(0);
    current->SendLightRecord(0, 0, 0, 0, 0);
}

void CMainWnd::OpenDeviceSettings(int which) {
    platform::DebugOutputF("open device settings %d", which);
    if (!openDeviceSettings_ || !openDeviceSettings_(which))
        platform::DebugOutput("no device settings program started");
}

void CMainWnd::FillCustomColour(bool on) {
    auto* keyboard = dynamic_cast<device::CVornelKeyboardDevice*>(CurrentDevice());
    if (keyboard == nullptr)
        return;
    const DeviceRow* row = RowAt(keyboard->GetModelRow());
    if (row == nullptr || !row->lighting)
        return;
    row->lighting->Lighting().FillCustomColour(on, keyboard->LiveLight());
}

void CMainWnd::ChangeKeyboardSystem(const pages::RouteEvent& event) {
    device::CVornelUSBDevice* current = CurrentDevice();
    if (current == nullptr)
        return;
    auto* keyboard = dynamic_cast<device::CVornelKeyboardDevice*>(current);
    if (keyboard == nullptr) {
        if (event.route == Route::PollingRate && IsMouseType(current->GetDeviceType()))
            PageHooksOf(pages::Owner::MousePage).Handle(event);
        return;
    }
    profile::KeyboardSystemStages stages = keyboard->GetSystemStagesCopy();
    // The three flags and the polling rate live on the device as well.
    bool send = true;
    switch (event.route) {
        case Route::PollingRate:
            // A keyboard has rates 0..3.
            if (event.index > 3)
                return;
            stages.PollingRate = static_cast<uint16_t>(event.index);
            break;
        case Route::RepeatDelay:
            stages.RepeatDelay = static_cast<uint16_t>(event.index);
            keyboard->ShowRepeatDelay(event.index);
            send = false;
            break;
        case Route::WinLockFlag:
            stages.WinFlag = keyboard->IsWinLockSelected() ? 1 : 0;
            break;
        case Route::WFlag:
            stages.WFlag = keyboard->IsWFlagSelected() ? 1 : 0;
            break;
        case Route::Key6Flag:
            stages.Key6Flag = keyboard->IsKey6Selected() ? 1 : 0;
            break;
        case Route::RepeatRate:
            stages.Repeat = static_cast<uint16_t>(std::clamp(keyboard->GetRepeatRate(), 0, 0xFFFF));
            send = false;
            break;
        default:
            return;
    }
    keyboard->SetSystemStagesAll(stages);
    keyboard->SaveProfile();
    if (send)
        keyboard->SendLightRecord(0, 0);
}

void CMainWnd::ShowColourComponent(const char* label, const char* format, int value) {
    // The audio capture process hears of the component once the audio link exists.
    SetControlText(FindControl(QString::fromLatin1(label)), QString::asprintf(format, value));
}

void CMainWnd::DpiSliderToEdit(int stage, int value) {
    SetControlText(FindControl(QStringLiteral("tavik_DPI_edit_%1").arg(stage)),
                   QString::number(value));
}

void CMainWnd::DpiEditToSlider(int stage) {
    QWidget* edit = FindControl(QStringLiteral("tavik_DPI_edit_%1").arg(stage));
    if (edit == nullptr)
        return;
    const int value = std::clamp(pages::LeadingNumber(ControlText(edit).toStdString()),
                                 kTavikDpiMin, kTavikDpiMax);
    SetControlText(edit, QString::number(value));
    SetControlValue(FindControl(QStringLiteral("tavik_DPI_slider_%1").arg(stage)), value);
}

QWidget* CMainWnd::CurrentPage() const {
    device::CVornelUSBDevice* current = CurrentDevice();
    return current != nullptr ? PageOfRow(current->GetModelRow()) : nullptr;
}

}  // namespace ui
