// The program's one top-level window and its controller: the layout and
// title bar, the tray icon, one device object, page, battery widget and
// device-bar entry per device model, the device lifecycle (arrival,
// removal, receiver link poll), the worker threads, the private and
// registered messages, the scale, suspend and resume, and shutdown.
#pragma once

#include <QPointer>
#include <array>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "device/device_lifecycle.h"
#include "device/device_views.h"
#include "hid/supported_devices.h"
#include "hid/window_message_sink.h"
#include "pages/page_hooks.h"
#include "platform/worker_thread.h"
#include "ui/framework/tray_icon.h"
#include "ui/framework/window.h"
#include "ui/main_window/discovery_slot.h"
#include "update/firmware_updater.h"
#include "update/update_targets.h"

namespace device {
class CVornelUSBDevice;
class KeyboardLightingDriver;
}  // namespace device
namespace profile {
class CBasicProfiledata;
}

namespace ui {

class CDeviceOptionUI;
class CMacroControlUI;
class CMpDevicePowerUI;
class SkinBackground;
class DevicePageAdapter;
class ProfileBarPage;
class KeyPageHooks;
class WindowMessageAdapter;
class MacroRecording;

inline constexpr unsigned kScaleTimer = 1011;
inline constexpr unsigned kTrayMenuTimer = 1032;
inline constexpr unsigned kProfileSwitchTimer = 1055;
inline constexpr unsigned kGameEventTimer = 1066;
inline constexpr unsigned kReceiverPollTimer = 1068;

// Private messages of the main window.
inline constexpr uint32_t kMsgKeyCaptureHook = 1054;
inline constexpr uint32_t kMsgMenuCommand = 1145;
inline constexpr uint32_t kMsgShowSettingProgress = 3072;
inline constexpr uint32_t kMsgLanguageChanged = 3089;
inline constexpr uint32_t kMsgOpenSettings = 3093;
inline constexpr uint32_t kMsgUpdateSeen = 3094;
inline constexpr uint32_t kWmActivate = 0x0006;
inline constexpr uint32_t kWmPowerBroadcast = 0x0218;
inline constexpr uint32_t kWmDisplayChange = 0x007E;
inline constexpr uintptr_t kPbtApmSuspend = 4;
inline constexpr uintptr_t kPbtApmResumeAutomatic = 18;

inline constexpr int kThreadSlotCount = 20;
inline constexpr int kDiscoveryThreadSlot = 0;
inline constexpr std::chrono::milliseconds kThreadJoinBound{1000};

// The scale of a monitor: 144 DPI above 1500 x 960 pixels, else 96.
int ScaleForMonitor(int width, int height);
// A usable scale, or 96 with "MAIN_WND DPI SET ERROR" written.
int CheckedScale(int dpi);

// The VoveDoda report: 256 integers (2, 3, 0, 2, the model count, then
// vendor, product and type of each model row, zeros after).
std::array<int32_t, 256> BuildVoveDodaReport();

// Whether main windows use D-Bus (the lighting-state broadcast, the
// VoveDoda report, logind's sleep signal); on by default. The window suites
// turn it off: Qt's D-Bus thread is not instrumented for ThreadSanitizer.
void SetWindowBusUse(bool use);

// The profile data a device object owns; null for an unknown class.
profile::CBasicProfiledata* ProfileOf(device::CVornelUSBDevice* device);

// The DPI edit of the tavik page takes values in this range.
inline constexpr int kTavikDpiMin = 200;
inline constexpr int kTavikDpiMax = 6500;

class CMainWnd : public Window, public device::LifecycleWindow, public device::MainWindowLink {
    Q_OBJECT
  public:
    CMainWnd();
    ~CMainWnd() override;

    // The main window while one exists (worker threads reach it through its
    // message queue only).
    static CMainWnd* Instance();

    TrayIcon& Tray() { return tray_; }

    // The device of each model row and its controls (null when the row
    // could not be built).
    device::CVornelUSBDevice* DeviceOfRow(int row) const;
    CDeviceOptionUI* EntryOfRow(int row) const;
    QWidget* PageOfRow(int row) const;
    CMpDevicePowerUI* PowerOfRow(int row) const;
    device::DeviceLifecycle& Lifecycle() { return lifecycle_; }
    hid::DeviceSlotList& Slots() { return slots_; }
    // The device of the first connected and selected entry; null when none.
    device::CVornelUSBDevice* CurrentDevice() const;

    bool Initialised() const { return initialised_; }
    bool Suspended() const { return suspended_; }
    int LightControlState() const { return lightControl_; }
    bool KeyEditFlag() const { return keyEdit_; }
    bool Attention() const { return attention_; }
    int SelectedEntryIndex() const { return selectedIndex_; }

    // Bar lock: (bars, enabled), see the device bar and the key pages.
    void BarLock(bool bars, bool enabled);
    void ShowLoadingLayer(bool show);
    // A child window that is closed before the main window hides or exits.
    void RegisterChildWindow(QWidget* child);
    void CloseChildWindows();
    // Applies the scale of the window's monitor.
    void ApplyScale();
    // Shows or hides the window as the tray icon's left click does.
    void ToggleFromTray();
    // Started with --minimized: the window stays in the tray, even as devices
    // arrive, until the user opens it (tray, menu, a second start).
    void StartInTray();
    bool StartingInTray() const { return startInTray_; }
    // Runs a menu command ("exit", "show", ...) through message 1145.
    void MenuCommand(const QString& name);

    // The page that carries out the routes of `owner`; null restores the
    // default, which does nothing. The window does not own it.
    void SetPageHooks(pages::Owner owner, pages::PageHooks* hooks);
    pages::PageHooks& PageHooksOf(pages::Owner owner) const;
    // The message window: (parent, title, text, dpi, textIsId, buttons) -> 1
    // when the user confirmed. Until one is set nothing is shown and every
    // question counts as declined.
    using MessageWindowFn =
        std::function<int(QWidget* parent, const QString& title, const QString& text, int dpi,
                          bool textIsId, int buttons)>;
    void SetMessageWindow(MessageWindowFn show);
    // Shows `text` (a text id when `textIsId`) over this window with its
    // scale; 1 when the user confirmed, 0 without a message window.
    int ShowMessage(const QString& text, bool textIsId, int buttons);
    // The profile bars' routes, dialogs and switch timer.
    ProfileBarPage& ProfileBars() { return *profileBarPage_; }
    // Shows the message of a text id through the message window; 1 when the
    // user confirmed.
    int ShowTextMessage(const QString& textId, int buttons);
    // Macro recording and input capture (owned by the window).
    MacroRecording& Recording() { return *macroRecording_; }
    // Ties a macro page to the current keyboard's keys and key page: the
    // name lists follow its changes and a deleted macro's keys are mended.
    void BindMacroPage(CMacroControlUI& page);
    // Opens the desktop's keyboard (0) or mouse (1) settings; the default
    // starts the desktop's settings program.
    void SetDeviceSettingsOpener(std::function<bool(int which)> open);
    // The language index of the stored choice ("LANGUAGE" in the settings
    // file holds the entry's id).
    int ReadStoredLanguage() const;
    // Makes the language at `index` of "Language.config" current: fonts of
    // every window, texts, the stored choice, and message 3089 to the open
    // child windows. A missing list, a bad entry or an index out of range
    // changes nothing.
    void ApplyLanguage(int index);
    // -1 until the first language is applied.
    int LanguageIndex() const { return languageIndex_; }
    // Opens the about window modally unless one is open.
    void OpenAboutWindow();
    QWidget* AboutWindow() const { return aboutWnd_; }

    // Settings window and firmware updater (main_wnd_settings.cpp).
    // Opens the settings window modally unless one is open: centred, or at
    // the top right of this window.
    void OpenSettingsWindow(bool centred);
    QWidget* SettingsWindow() const { return setWnd_; }
    // Tests see the window once it is built and before its modal run.
    void SetSettingsWindowHook(std::function<void(QWidget* window)> hook);
    // The devices of the device selector as the update check sees them.
    std::vector<update::DeviceVersion> SettingsDeviceSnapshot() const;
    // Starts the firmware updater; the default uses the process launcher.
    void SetUpdaterLauncher(std::function<bool(const update::UpdaterLaunch&)> launch);
    bool UpdateBadgeShown() const;
    bool FirmwarePromptPending() const { return firmwarePromptPending_; }

    // device::LifecycleWindow
    void SetEntryState(int row, bool visible, bool select) override;
    void RefreshNoDeviceIndicator() override;
    void WakeUp() override;
    void OnSelectedDeviceLost() override;
    void StartReceiverPoll(int ms) override;
    void SendEntryNotice(int row, int linkUp) override;

    // device::MainWindowLink
    intptr_t SendToWindow(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    void PostToWindow(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

  public Q_SLOTS:
    // logind's PrepareForSleep: true before the system sleeps, false after.
    void OnPrepareForSleep(bool sleeping);

  protected:
    QString GetSkinFile() const override;
    void InitWindow() override;
    void Notify(const Notification& notification) override;
    intptr_t HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                 bool& handled) override;
    void OnTimer(unsigned id) override;
    void OnDestroy() override;
    // The page tags that stand for whole feature pages (main_wnd_sublayouts.cpp).
    QWidget* CreateControl(const QString& className, QWidget* parent) override;
    bool event(QEvent* event) override;

  private:
    struct DeviceRow {
        std::unique_ptr<device::CVornelUSBDevice> device;
        std::unique_ptr<DevicePageAdapter> pageView;
        std::unique_ptr<device::KeyboardLightingDriver> lighting;
        QPointer<QWidget> page;
        QPointer<CMpDevicePowerUI> power;
        QPointer<CDeviceOptionUI> entry;
    };
    // The row, or null for a row out of range.
    const DeviceRow* RowAt(int row) const;

    void WindowStart();
    void InitLightingAndSkin();
    void CreateOptionAndPage(int slotIndex);
    void StartThreads();
    void Shutdown();
    void OnDeviceBarSelected(CDeviceOptionUI* entry);
    void OnEntryNotice(int row, int linkUp);
    void ScrollDeviceBar(bool next);
    void ToggleLightControl();
    void SetLightControl(int state);
    void OnGameEvent(uintptr_t w, intptr_t v);
    void RestoreAfterGameEvent();
    void SetAttention(bool attention);
    void SetPageHiddenAll(bool hidden);
    void SetRootBackground(const QString& image);
    void BroadcastLightState(uintptr_t wParam, intptr_t lParam);
    void SendVoveDodaReport();
    void ConnectSleepSignal();
    bool AllowedWhileSuspended(uint32_t message) const;
    void SetSuspended(bool suspended);
    void OpenTrayMenu();
    void OnLanguageChanged(uintptr_t index);
    void CreateUpdateBadge();
    void OnFirmwareUpgrade(uintptr_t productId, intptr_t release);
    void RunFirmwarePrompt();
    std::vector<CDeviceOptionUI*> BarEntries() const;

    // Notification routing (main_wnd_dispatch.cpp).
    std::string IdentityOf(const QWidget* sender) const;
    void RunShellRoute(const pages::RouteEvent& event, const Notification& n);
    void RunMenuCommand(const QString& name);
    void CloseToTray();
    void RestoreDeviceDefaults();
    void OpenDeviceSettings(int which);
    void FillCustomColour(bool on);
    void ChangeKeyboardSystem(const pages::RouteEvent& event);
    void ShowColourComponent(const char* label, const char* format, int value);
    void DpiSliderToEdit(int stage, int value);
    void DpiEditToSlider(int stage);
    QWidget* CurrentPage() const;

    TrayIcon tray_;
    // Title-bar controls, found once in InitWindow (null when the skin lacks one).
    QPointer<QWidget> closeBtn_, maxBtn_, restoreBtn_, minBtn_, skinBtn_, gameModeBtn_, cloudBtn_,
        smartEyesBtn_, setBtn_, setBtn1_;
    QPointer<QWidget> menuWindow_;
    QPointer<QWidget> aboutWnd_;
    QPointer<QWidget> setWnd_;
    QPointer<QWidget> updateBadge_;
    std::function<void(QWidget*)> settingsHook_;
    std::function<bool(const update::UpdaterLaunch&)> launchUpdater_;
    bool firmwarePromptPending_ = false;
    int languageIndex_ = -1;
    std::array<QPointer<QWidget>, 4> childWindows_;

    hid::DeviceSlotList slots_;
    device::DeviceLifecycle lifecycle_{slots_, *this};
    std::array<DeviceRow, 4> rows_;
    std::unique_ptr<WindowMessageAdapter> messageSink_;
    DiscoverySlot discovery_;
    // Thread slots: the discovery thread holds slot 0; the synchronised
    // lighting thread will take slot 8. An empty slot stays default.
    std::array<bool, kThreadSlotCount> threadStarted_{};
    bool serviceStarted_ = false;

    bool initialised_ = false;
    bool destroyed_ = false;
    bool suspended_ = false;
    bool displayChanged_ = false;
    bool active_ = false;
    bool attention_ = false;
    bool startInTray_ = false;
    // The bars are enabled at start and no recording runs.
    bool keyEdit_ = true;
    int lightControl_ = 1;
    int selectedIndex_ = -1;
    int selectedKind_ = 0;
    int selectedVariant_ = 0;
    std::string profileName_;
    QString pendingMenuCommand_;
    std::array<pages::PageHooks*, static_cast<size_t>(pages::Owner::Count)> pageHooks_{};
    // The key assignment page's routes (main_wnd_key_page.cpp).
    class KeyPageBinding;
    void InstallKeyPage();
    std::unique_ptr<KeyPageBinding> keyPage_;
    class ShellDialogs;
    mutable std::unique_ptr<pages::PageHooks> shellDialogs_;
    MessageWindowFn messageWindow_;
    std::unique_ptr<ProfileBarPage> profileBarPage_;
    std::unique_ptr<MacroRecording> macroRecording_;
    std::function<bool(int)> openDeviceSettings_;
    // Lighting page and skin panel: the window's background follows the
    // skin panel; the lighting routes go to the current device's page.
    std::unique_ptr<SkinBackground> skinBackground_;
    std::unique_ptr<pages::PageHooks> lightingHooks_;
    std::unique_ptr<pages::PageHooks> skinPanelHooks_;
    // Arrivals and removals that came while the system slept, in order.
    std::deque<std::pair<uint32_t, int>> deferredDeviceMessages_;
    uint32_t gameMessages_[4] = {0, 0, 0, 0};
};

}  // namespace ui
