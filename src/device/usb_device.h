// CVornelUSBDevice: the part every device object shares. A device object is
// the driver of one device model (two report channels, an event thread), the
// keeper of its settings (profile data, owned by the subclass) and the model
// behind its page in the UI, which it reaches through the view interfaces of
// device_views.h.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "device/device_views.h"
#include "device/led_colours.h"
#include "device/preview_effects.h"
#include "device/profile_bar_view.h"
#include "hid/report_channel.h"
#include "hid/supported_devices.h"
#include "platform/worker_thread.h"
#include "profile/profile_data.h"
#include "profile/profile_types.h"

namespace device {

// The outcome texts of the device threads' bounded join.
const platform::JoinTexts& DeviceThreadJoinTexts();
inline constexpr std::chrono::milliseconds kEventThreadJoin{500};
inline constexpr std::chrono::milliseconds kLightThreadJoin{1000};
inline constexpr std::chrono::milliseconds kServiceThreadJoin{100};

// Reads one event report, waiting at most 2 s or until `stop` is set. A read
// that fails at once (a handle that is gone or shut down) is followed by a
// wait on `stop` of 100 ms, so a dead handle never makes a thread spin.
bool ReadEventReport(hid::CHidPack& pack, uint8_t* report, uint32_t size, uint32_t& got,
                     const platform::StopEvent& stop);

// Splits "key_17" into ("key_", 17); false without "_" or a decimal number.
bool SplitIndexedName(const std::string& name, std::string& prefix, int& index);

class CVornelUSBDevice {
  public:
    explicit CVornelUSBDevice(int defaultDeviceType);
    // Subclass destructors call ShutdownThreads() first, so no thread calls
    // into a half-destroyed object.
    virtual ~CVornelUSBDevice();
    CVornelUSBDevice(const CVornelUSBDevice&) = delete;
    CVornelUSBDevice& operator=(const CVornelUSBDevice&) = delete;

    virtual std::string GetClass() const { return "VornelUSBDevice"; }

    // Configuration, in the order the main window calls it.
    void SetPageLayoutName(const std::string& name) { pageLayoutName_ = name; }
    void SetMainWindow(MainWindowLink* window) { mainWindow_ = window; }
    void SetPageView(DevicePageView* view) { pageView_ = view; }
    void SetKeyButtonCount(int n);
    void SetLedCount(int n);
    void SetModelRow(int row) { modelRow_ = row; }
    void SetBatteryWidgetEnabled(bool enabled);
    void SetProfileName(const std::string& name) { profileName_ = name; }
    void SetDeviceFolder(const std::string& folder) { deviceFolder_ = folder; }
    void SetPowerWidget(PowerWidgetView* widget);
    void SetSlotRecord(const hid::DeviceSlot& record);
    virtual void SetDeviceIndex(int index) { deviceIndex_ = index; }
    void SetLightConfigName(const std::string& name) { lightConfigName_ = name; }
    void SetOptionButton(DeviceEntryView* entry) { optionButton_ = entry; }
    // The profile bar of the page; BuildPage fills it.
    void SetProfileBar(ProfileBarView* bar) { profileBar_ = bar; }
    ProfileBarView* GetProfileBar() const { return profileBar_; }

    // Getters the main window and the device bar use.
    int GetDeviceType() const { return deviceType_; }
    int GetSlotWord() const { return slotWord_; }
    int GetKeyButtonCount() const { return keyButtonCount_; }
    int GetLedCount() const { return ledCount_; }
    int GetModelRow() const { return modelRow_; }
    const hid::DeviceSlot& GetSlotRecord() const { return slotRecord_; }
    DeviceEntryView* GetOptionButton() const { return optionButton_; }
    PowerWidgetView* GetPowerWidget() const { return powerWidget_; }
    MainWindowLink* GetMainWindow() const { return mainWindow_; }
    bool IsCommandChannelOpen() const { return commandChannel_.IsOpen(); }
    bool GetBatteryWidgetEnabled() const { return batteryWidgetEnabled_; }
    bool IsPageHidden() const { return pageHidden_.load(); }
    // The entry's frames slow down while nobody sees the preview; a page or
    // window that comes back into view tells it at once.
    void SetPageHidden(bool hidden) {
        if (pageHidden_.exchange(hidden) && !hidden && optionButton_ != nullptr)
            optionButton_->PreviewMayShow();
    }
    virtual void SetLightControl(int state);
    int GetLightControl() const { return lightControl_.load(); }
    void SetWindowAttention(bool flag) {
        if (!windowAttention_.exchange(flag) && flag && optionButton_ != nullptr)
            optionButton_->PreviewMayShow();
    }
    bool GetWindowAttention() const { return windowAttention_.load(); }
    int GetDeviceIndex() const { return deviceIndex_; }
    int GetSelectedKey() const { return selectedKey_; }
    const std::string& GetDeviceFolder() const { return deviceFolder_; }
    const std::string& GetProfileName() const { return profileName_; }

    hid::ReportChannel& CommandChannel() { return commandChannel_; }
    hid::ReportChannel& EventChannel() { return eventChannel_; }

    // Page binding: the buttons, then BuildPage.
    virtual void InitPage();
    // Binds the page's own parts; every device fills its profile bar here
    // (type, folders, list, first tab) and starts on the profile it selects.
    virtual void BuildPage();
    // Key and LED bindings: the page's button index, -1 when unbound.
    int KeyButton(int n) const;
    int LedButton(int n) const;

    // Lighting state and preview.
    virtual int ApplyLighting() { return 0; }
    virtual void PreviewBreathWheel();
    virtual void PreviewBreathFourColours();
    virtual void PreviewStatic();
    virtual void PreviewSpectrum();
    virtual void PreviewBlink();
    virtual void PreviewBlinkFourColours();
    virtual void PreviewOff();
    virtual void PushLedFrame();
    virtual void SetLedColour(int i, LedColour colour);
    virtual LedColour GetLedColour(int i) const;
    const LedColourBuffer& LedColours() const { return ledColours_; }

    // Driven by the device bar entry's timers.
    // Whether the frame timer must keep its pace while the window is hidden
    // (a device that is sent the frames, not only shown them).
    virtual bool NeedsFramesWhileHidden() const { return false; }
    // Whether the device's picture is on screen now (UI thread).
    virtual void SetPreviewShown(bool) {}
    virtual void OnConnected() {}
    virtual void OnResync() {}
    virtual void OnTimerHookA() {}
    virtual void OnTimerHookB() {}
    virtual void PollBattery() {}
    virtual int IsLinkUp() { return 1; }
    virtual int GetKeepAliveMinutes() { return 1; }
    virtual int LoadActiveProfile() { return 0; }
    virtual void RefreshPage() {}
    // The language changed: texts the object built itself (the key-setting
    // list) are rebuilt in the new language.
    virtual void UpdateLanguage() {}
    virtual void ApplyCustomGroup() {}
    virtual void ValidateMacroKeys() {}
    virtual void RestoreDefaults() {}
    virtual std::vector<int> CollectMacroRefs() { return {}; }
    virtual int SendKeyAssignments(const std::vector<profile::KeyListEntry>&) { return 0; }
    virtual int SendStoredKeyAssignments(int) { return 0; }
    virtual int SendMacros(const std::vector<int>&) { return 0; }
    virtual int SendLightRecord(int, int, int, int, int) { return 0; }
    virtual void LoadNameLists() {}
    virtual void SetGroupMap(const std::map<int, int>& map);
    virtual void DecayLed(int led, int kind);
    virtual void FlashRingLeds();
    virtual void RotateRing(int direction);
    virtual void ClearEffectBuffers();
    virtual void SelectFunctionPage(int type);
    int GetFunctionPage() const { return functionPage_; }
    // Whether the preview shows lights on the function page shown now; a
    // picture without lights needs no frames.
    virtual bool PreviewShowsLights() const { return true; }
    virtual void BindProfilePaths() {}
    virtual std::string GetProfilePathOf() const { return {}; }
    virtual void SaveProfile() {}
    virtual void SetLightState(uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3);
    // The four words of SetLightState.
    std::array<uint32_t, 4> GetLightState() const;
    virtual void SetAudioLightState(uint32_t a, uint32_t b, uint32_t c);
    std::array<uint32_t, 3> GetAudioLightWords() const;
    virtual void SelectKey(int i) { selectedKey_ = i; }
    virtual void OnAudioLevels(const uint8_t*, size_t) {}
    virtual void OnAudioBands(const uint8_t*, size_t) {}
    virtual void ResetEffects() {}

    uint8_t LedIntensity(int led) const;
    void SetLedIntensity(int led, uint8_t value);
    const profile::LightInfo& CurrentLight() const { return currentLight_; }

    // Data folders of this device: "<user data>/<deviceFolder>/" (created)
    // and "<program>/DefaultData/".
    std::string UserDataFolder() const;
    static std::string DefaultDataFolder();
    std::string DefaultDataFile() const;
    std::string ProfileFile() const;
    std::string LightConfigFile() const;

    // Opens the event interface (wired: own handle and event thread;
    // through the receiver: the shared handle and the receiver event
    // service). `type` is the slot's DeviceType.
    bool OpenEventChannel(const std::string& path, int type);
    // Closes the event interface and stops the event thread.
    void CloseEventChannel();

    // Handles one event report from the event thread or the receiver
    // service. Called on a worker thread: only queue work for the UI thread.
    virtual void DispatchEvent(uint16_t code, const uint8_t* report, size_t length);
    // The event code of a report: keyboard and mouse bytes 1-2; the mouse
    // pad and headset override it.
    virtual uint16_t EventCodeOf(const uint8_t* report, size_t length);
    // Asks the device bar entry to run OnResync after `periodMs`.
    void RequestResync(int periodMs);
    // The link watch's keep-alive (0x19): sent only when the command channel
    // addresses the mouse behind the receiver; 0 otherwise.
    int SendLinkKeepAlive();

    static bool IsReceiverType(int type) { return type == 9 || type == 6; }

    // Leaves the receiver event service and stops and joins the event
    // thread; once it returns no worker calls into this device. Subclass
    // destructors call it first; the window calls it for every device
    // before it destroys anything those threads use.
    void ShutdownThreads();

  protected:
    PreviewLight PreviewLightOf() const;
    void StopEventThread();
    // Text written when the event thread ends.
    virtual const char* EventThreadExitText() const { return "MS 设备同步线程设定退出"; }

    // Configuration.
    std::string pageLayoutName_;
    MainWindowLink* mainWindow_ = nullptr;
    DevicePageView* pageView_ = nullptr;
    std::string profileName_;
    ProfileBarView* profileBar_ = nullptr;
    std::string lightConfigName_;
    std::string deviceFolder_;
    int deviceType_;
    int slotWord_ = 0;
    int keyButtonCount_ = 0;
    int ledCount_ = 0;
    int modelRow_ = -1;
    int selectedKey_ = -1;
    int functionPage_ = 1;
    bool batteryWidgetEnabled_ = false;
    std::atomic<int> lightControl_{1};
    std::atomic<bool> windowAttention_{true};
    std::atomic<bool> pageHidden_{false};
    hid::DeviceSlot slotRecord_;
    int deviceIndex_ = 0;

    hid::ReportChannel commandChannel_;
    hid::ReportChannel eventChannel_;

    DeviceEntryView* optionButton_ = nullptr;
    PowerWidgetView* powerWidget_ = nullptr;
    std::vector<int> keyButtons_;
    std::vector<int> ledButtons_;

    std::map<int, int> keyToDeviceIndex_;
    std::map<int, int> keyToLed_;
    std::map<int, int> groupMap_;

    LedColourBuffer ledColours_;
    profile::LightInfo currentLight_;
    PreviewCounters counters_;
    std::mutex effectListLock_;
    std::vector<profile::LedEffectStep> effectList_;
    std::vector<std::array<uint8_t, 15>> perLedEffect_;
    int effectStepCount_ = 0;
    int effectStepIndex_ = 0;
    // Written by the event and light threads, read by the UI thread.
    std::array<std::atomic<uint8_t>, 170> ledIntensity_{};
    RingBuffer ringBuffer_;
    std::array<uint32_t, 3> audioLight_{};

    platform::WorkerThread eventThread_;
};

}  // namespace device
