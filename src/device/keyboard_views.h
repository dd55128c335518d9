// What the keyboard object needs beyond the shared device views: its page's
// settings controls, key labels and battery widget (implemented in src/ui),
// and the lighting component that renders the preview and drives the LEDs.
// Every call tolerates a missing control.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "profile/profile_types.h"

namespace device {

class CVornelKeyboardDevice;

class KeyboardPageView {
  public:
    virtual ~KeyboardPageView() = default;
    // Option controls by name ("6flag_option", "polling_rate_option_2", ...).
    virtual bool IsOptionSelected(const std::string& name) const = 0;
    virtual void SetOptionSelected(const std::string& name, bool selected) = 0;
    // Slider value; false when the control is missing.
    virtual bool SliderValue(const std::string& name, int& value) const = 0;
    virtual void SetSliderValue(const std::string& name, int value) = 0;
    virtual void SetControlText(const std::string& name, const std::string& text) = 0;
    virtual void SetControlTip(const std::string& name, const std::string& tip) = 0;
    // A text id resolved through the current language.
    virtual std::string Translate(const std::string& textId) const = 0;
    // Key button `j` (0..169): caption, tooltip, and the mark of a remapped key.
    virtual void SetKeyLabel(int j, const std::string& text, const std::string& tip,
                             bool marked) = 0;
    virtual void SetKeyEnabled(int j, bool enabled) = 0;
    // The key assignment page.
    virtual void ShowKeyAssignment(const profile::KeyListEntry& entry) = 0;
    // Battery widget: the 6 status bytes, and its wireless parts.
    virtual void ShowBatteryStatus(const std::array<uint8_t, 6>& status) = 0;
    virtual void ShowBatteryWireless(bool shown) = 0;
    // The lighting page shows these settings.
    virtual void ShowLight(const profile::LightInfo& light,
                           const std::array<uint32_t, 3>& audio) = 0;
    // The profile bar re-reads the profile list; returns the selected
    // profile's name ("" when none).
    virtual std::string ReloadProfileList() = 0;
    // Name of an assignment for labels and tips (the key name tables of the
    // key assignment page); "" lets the keyboard use its fallback.
    virtual std::string AssignmentName(const profile::KeyAssignment& assignment) const = 0;
};

// The keyboard's lighting component. The keyboard object calls it where its
// own operations hand over to lighting; without one the keyboard keeps
// working with the profile's settings and no preview.
class KeyboardLightingHooks {
  public:
    virtual ~KeyboardLightingHooks() = default;
    // Loads the profile's lighting into the live state; the result of
    // ApplyLighting.
    virtual int ApplyLighting(CVornelKeyboardDevice& keyboard) = 0;
    virtual void PushLedFrame(CVornelKeyboardDevice& keyboard) = 0;
    virtual void ApplyCustomGroup(CVornelKeyboardDevice& keyboard) = 0;
    // Fills the keyboard's name lists (SetMacroNames, SetModeValues, ...).
    virtual void LoadNameLists(CVornelKeyboardDevice& keyboard) = 0;
    // (Re)starts the light thread; called at the end of OnConnected.
    virtual void StartLightThread(CVornelKeyboardDevice& keyboard) = 0;
    // Stops the light thread; called before the keyboard is destroyed.
    virtual void StopLightThread(CVornelKeyboardDevice& keyboard) = 0;
    // A settings read changed the mode (or re-entered mode 19).
    virtual void RestartPreview(CVornelKeyboardDevice& keyboard, int mode) = 0;
    virtual void SelectCustomGroup(CVornelKeyboardDevice& keyboard, int group) = 0;
    // A key went down (kind 1) or up (kind 2); called on the event thread.
    virtual void OnKeyEvent(CVornelKeyboardDevice& keyboard, int keyButton, int kind) = 0;
    virtual void OnAudioLevels(CVornelKeyboardDevice& keyboard, const uint8_t* data,
                               size_t length) = 0;
    virtual void OnAudioBands(CVornelKeyboardDevice& keyboard, const uint8_t* data,
                              size_t length) = 0;
    // Whether the keyboard's picture is on screen; called on the UI thread.
    virtual void SetPreviewShown(CVornelKeyboardDevice&, bool) {}
};

}  // namespace device
