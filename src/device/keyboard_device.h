// CVornelKeyboardDevice: the keyboard (wired, or behind the 2.4 GHz
// receiver). Reads the device's key and LED tables and settings record,
// writes settings, key assignments and macros, polls the battery and turns
// device events into resyncs and key events. Lighting (preview, light
// thread, custom colours, frame stream) is a separate component reached
// through KeyboardLightingHooks.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "device/keyboard_protocol.h"
#include "device/keyboard_views.h"
#include "device/profiled_device.h"

namespace device {

class CVornelKeyboardDevice : public ProfiledDevice<profile::CKeyboardProfiledata> {
  public:
    // In the music and colour-sync modes the program streams every frame.
    void SetPreviewShown(bool shown) override {
        if (lighting_ != nullptr) {
            lighting_->SetPreviewShown(*this, shown);
        }
    }
    // The picture is lit on the lighting page only.
    bool PreviewShowsLights() const override { return GetFunctionPage() == 1; }
    bool NeedsFramesWhileHidden() const override {
        return currentLight_.SelectItem == 29 || currentLight_.SelectItem == 30;
    }
    // Firmware releases below this one get the update prompt.
    static constexpr uint16_t kFirstCurrentRelease = 0x0109;
    static constexpr int kResyncPeriodMs = 50;
    // SendKeyAssignments with a table base other than 0.
    static constexpr int kResultBadBase = -201;

    CVornelKeyboardDevice();
    ~CVornelKeyboardDevice() override;
    std::string GetClass() const override { return "VornelKeyboardDevice"; }

    void SetKeyboardView(KeyboardPageView* view) { view_ = view; }
    // Called on the UI thread. Waits for a key event the event thread is
    // handing to the old hooks, so they may go once this returns.
    void SetLightingHooks(KeyboardLightingHooks* hooks) {
        std::lock_guard lock(hooksMutex_);
        lighting_ = hooks;
    }
    KeyboardLightingHooks* LightingHooks() const { return lighting_; }

    // Replaced operations of the device base.
    void SetLightControl(int state) override;
    int ApplyLighting() override;
    void PushLedFrame() override;
    void OnConnected() override;
    void OnResync() override;
    void PollBattery() override;
    int IsLinkUp() override;
    int LoadActiveProfile() override;
    void RefreshPage() override;
    void ApplyCustomGroup() override;
    void ValidateMacroKeys() override;
    void RestoreDefaults() override;
    std::vector<int> CollectMacroRefs() override;
    int SendKeyAssignments(const std::vector<profile::KeyListEntry>& list) override;
    int SendKeyAssignments(int base, const std::vector<profile::KeyListEntry>& list);
    int SendStoredKeyAssignments(int base) override;
    int SendMacros(const std::vector<int>& list) override;
    // Writes the settings record built from the profile into `slot`, with
    // `value` in byte 0. 1, or the transfer's failure code; 0 when nothing
    // was sent (closed channel, or a mode the mode value table lacks).
    int SendLightRecord(int slot, int value, int = 0, int = 0, int = 0) override;
    void LoadNameLists() override;
    void SetAudioLightState(uint32_t a, uint32_t b, uint32_t c) override;
    void SelectKey(int i) override;
    void SelectFunctionPage(int type) override;
    void OnAudioLevels(const uint8_t* data, size_t length) override;
    void OnAudioBands(const uint8_t* data, size_t length) override;
    void DispatchEvent(uint16_t code, const uint8_t* report, size_t length) override;

    // The first read after connecting: 1, or the failing transfer's code.
    // A failed read keeps the previous tables and key maps.
    int ReadDeviceTables();
    void BuildKeyMaps();
    // Reads the active settings record into the live lighting state and the
    // profile. Returns the slot read; on a closed channel or a failed read
    // nothing changes and the transfer's code (0 or below) is returned.
    int ReadLightRecord();

    void SetSelectedKeyAssignment(const profile::KeyListEntry& entry);
    void SetKeyListAll(const std::vector<profile::KeyListEntry>& list);
    void SetScratchKeyListAll(const std::vector<profile::KeyListEntry>& list);
    void RefreshKeyLabels();
    // Key captions come from the language files.
    void UpdateLanguage() override { RefreshKeyLabels(); }
    // deviceKey went down (kind 1) or up (kind 2). Called on the event thread.
    virtual void OnKeyEvent(int deviceKey, int kind);

    // System settings the main window reads and stores.
    bool IsKey6Selected() const;
    bool IsWFlagSelected() const;
    bool IsWinLockSelected() const;
    int GetRepeatRate() const;
    void ShowRepeatDelay(int i);
    void ShowPollingRate(int i);
    profile::KeyboardSystemStages GetSystemStagesCopy() const { return systemStages_; }
    void SetSystemStagesAll(const profile::KeyboardSystemStages& stages);

    // Name lists (filled by LoadNameLists).
    void SetMacroNames(std::vector<std::string> names) { macroNames_ = std::move(names); }
    // True when a key of the current profile calls macro `index`.
    bool KeysUseMacro(int index) const;
    // Macro `index` left the macro list: the keys of the device's other
    // profiles follow it on disk, the current keys in memory (and the
    // profile). True when a current key changed: its table and macros are
    // then out of date on the device. `filesWritten` is false when another
    // profile that needed the change could not be written.
    bool RemoveMacroFromKeys(int index, bool* filesWritten = nullptr);
    const std::vector<std::string>& MacroNames() const { return macroNames_; }
    void SetModeValues(std::vector<int> values) { modeValues_ = std::move(values); }
    const std::vector<int>& ModeValues() const { return modeValues_; }

    // State for the lighting component, the pages and tests.
    const DeviceInfoBlock& InfoBlock() const { return infoBlock_; }
    const std::array<uint8_t, 512>& KeyDefaults() const { return keyDefaults_; }
    const std::array<uint8_t, 512>& KeyLeds() const { return keyLeds_; }
    const DeviceLight& DeviceLightState() const { return deviceLight_; }
    DeviceLight& MutableDeviceLight() { return deviceLight_; }
    const DeviceLight& PreviousLightState() const { return previousLight_; }
    const std::array<uint8_t, DeviceLightRecord::kSize>& RawRecord() const { return rawRecord_; }
    const std::vector<profile::KeyListEntry>& KeyList() const { return keyList_; }
    const std::vector<profile::KeyListEntry>& ScratchKeyList() const { return scratchKeyList_; }
    const KeyMaps& Maps() const { return maps_; }
    // Safe from any thread: 255 when the key button has no device key / LED.
    int KeyToDeviceIndex(int keyButton) const;
    int KeyToLed(int keyButton) const;
    bool ResyncPending() const { return resyncProfile_.load() != 0; }
    profile::LightInfo& LiveLight() { return currentLight_; }

  protected:
    bool UsesDeviceIndex() const override { return true; }

  private:
    // The link query: true wired, or when the receiver reports this
    // keyboard linked.
    bool LinkQuery();
    std::string AssignmentName(const profile::KeyAssignment& a) const;
    std::string Translate(const std::string& id) const;

    KeyboardPageView* view_ = nullptr;
    // Written only on the UI thread; the event thread reads it under
    // hooksMutex_.
    KeyboardLightingHooks* lighting_ = nullptr;
    std::mutex hooksMutex_;

    DeviceInfoBlock infoBlock_;
    std::array<uint8_t, 512> keyDefaults_{};
    std::array<uint8_t, 512> keyLeds_{};
    DeviceLight previousLight_{};
    DeviceLight deviceLight_{};
    std::array<uint8_t, DeviceLightRecord::kSize> rawRecord_{};
    std::vector<profile::KeyListEntry> keyList_;
    std::vector<profile::KeyListEntry> scratchKeyList_;
    profile::KeyboardSystemStages systemStages_;
    std::atomic<int> resyncProfile_{0};

    KeyMaps maps_;
    // Copies of the maps the event and light threads read.
    std::array<std::atomic<uint8_t>, kKeyButtons> sharedDeviceIndex_;
    std::array<std::atomic<uint8_t>, kKeyButtons> sharedLed_;

    std::vector<std::string> macroNames_;
    std::vector<int> modeValues_;
};

}  // namespace device
