// Connects the keyboard lighting to a CVornelKeyboardDevice through its
// lighting hooks: the keyboard hands over where its operations reach
// lighting, and the driver keeps the preview in step with the keyboard's live
// settings. Create it after the keyboard and destroy it first: its destructor
// stops the light thread and detaches it from the keyboard.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "device/keyboard_device.h"
#include "device/keyboard_light.h"
#include "device/keyboard_views.h"
#include "profile/default_data.h"

namespace device {

class KeyboardLightingDriver : public KeyboardLightingHooks {
  public:
    // Attaches itself to `keyboard` (SetLightingHooks).
    explicit KeyboardLightingDriver(CVornelKeyboardDevice& keyboard);
    ~KeyboardLightingDriver() override;
    KeyboardLightingDriver(const KeyboardLightingDriver&) = delete;
    KeyboardLightingDriver& operator=(const KeyboardLightingDriver&) = delete;

    // Where PushLedFrame paints the LED buttons (the keyboard's page).
    void SetPageView(DevicePageView* view) { view_ = view; }
    void SetLightPage(LightPageLink* page) { lighting_.SetLightPage(page); }
    KeyboardLighting& Lighting() { return lighting_; }
    const profile::PresetLists& NameLists() const { return lists_; }

    int ApplyLighting(CVornelKeyboardDevice& keyboard) override;
    void PushLedFrame(CVornelKeyboardDevice& keyboard) override;
    void ApplyCustomGroup(CVornelKeyboardDevice& keyboard) override;
    void LoadNameLists(CVornelKeyboardDevice& keyboard) override;
    void StartLightThread(CVornelKeyboardDevice& keyboard) override;
    void StopLightThread(CVornelKeyboardDevice& keyboard) override;
    void RestartPreview(CVornelKeyboardDevice& keyboard, int mode) override;
    void SelectCustomGroup(CVornelKeyboardDevice& keyboard, int group) override;
    void OnKeyEvent(CVornelKeyboardDevice& keyboard, int keyButton, int kind) override;
    void OnAudioLevels(CVornelKeyboardDevice& keyboard, const uint8_t* data,
                       size_t length) override;
    void OnAudioBands(CVornelKeyboardDevice& keyboard, const uint8_t* data, size_t length) override;
    void SetPreviewShown(CVornelKeyboardDevice&, bool shown) override {
        lighting_.SetPreviewShown(shown);
    }

  private:
    // Takes over what changed on the keyboard since the last frame: key
    // maps, the live settings, the music colours, the preview mode.
    void Sync(CVornelKeyboardDevice& keyboard);

    CVornelKeyboardDevice& keyboard_;
    KeyboardLighting::Intensities intensity_{};
    KeyboardLighting lighting_;
    DevicePageView* view_ = nullptr;
    profile::PresetLists lists_;

    std::array<uint8_t, kLedButtons> keyToLed_{};
    profile::LightInfo lastLight_{};
    std::array<uint32_t, 3> lastAudio_{};
    std::vector<int> ledButtons_;
};

}  // namespace device
