#include "device/keyboard_light_driver.h"

#include <cstring>

namespace device {
namespace {

profile::AudioLightInfo AudioOf(const std::array<uint32_t, 3>& words) {
    uint8_t bytes[12];
    std::memcpy(bytes, words.data(), sizeof bytes);
    profile::AudioLightInfo a;
    std::memcpy(&a, bytes, sizeof a);
    return a;
}

std::array<uint32_t, 3> WordsOf(const profile::AudioLightInfo& a) {
    uint8_t bytes[12] = {};
    std::memcpy(bytes, &a, sizeof a);
    std::array<uint32_t, 3> words{};
    std::memcpy(words.data(), bytes, sizeof bytes);
    return words;
}

}  // namespace

// The colour buffer is the keyboard's own (non-const) member, which the
// keyboard exposes read-only; the preview writes it from the light thread.
KeyboardLightingDriver::KeyboardLightingDriver(CVornelKeyboardDevice& keyboard)
    : keyboard_(keyboard),
      lighting_(const_cast<LedColourBuffer&>(keyboard.LedColours()), intensity_,
                keyboard.CommandChannel(), keyboard.Profile()) {
    keyToLed_.fill(kNoKey);
    lighting_.SetKeyToLed(keyToLed_);
    keyboard_.SetLightingHooks(this);
}

KeyboardLightingDriver::~KeyboardLightingDriver() {
    // Detached first: from then on no key event reaches this driver.
    if (keyboard_.LightingHooks() == this) {
        keyboard_.SetLightingHooks(nullptr);
    }
    lighting_.StopThread();
}

void KeyboardLightingDriver::Sync(CVornelKeyboardDevice& keyboard) {
    bool mapChanged = false;
    for (int j = 0; j < kLedButtons; ++j) {
        const auto led = static_cast<uint8_t>(keyboard.KeyToLed(j));
        if (keyToLed_[static_cast<size_t>(j)] != led) {
            keyToLed_[static_cast<size_t>(j)] = led;
            mapChanged = true;
        }
    }
    if (mapChanged) {
        lighting_.SetKeyToLed(keyToLed_);
    }
    const profile::LightInfo& live = keyboard.LiveLight();
    const DeviceLight& record = keyboard.DeviceLightState();
    if (record[1] != lighting_.PreviewMode()) {
        lighting_.UpdatePreview(live, keyboard.MutableDeviceLight());
        lastLight_ = live;
    } else if (!(live == lastLight_)) {
        lighting_.SetPreviewLight(live);
        lastLight_ = live;
    }
    const std::array<uint32_t, 3> audio = keyboard.GetAudioLightWords();
    if (audio != lastAudio_) {
        lastAudio_ = audio;
        lighting_.SetAudioLight(AudioOf(audio));
    }
}

int KeyboardLightingDriver::ApplyLighting(CVornelKeyboardDevice& keyboard) {
    Sync(keyboard);
    const int result = lighting_.ApplyLighting(keyboard.LiveLight(), keyboard.MutableDeviceLight());
    lastLight_ = keyboard.LiveLight();
    const std::array<uint32_t, 3> words = WordsOf(lighting_.AudioLight());
    if (words != keyboard.GetAudioLightWords()) {
        keyboard.SetAudioLightState(words[0], words[1], words[2]);
    }
    lastAudio_ = words;
    return result;
}

void KeyboardLightingDriver::PushLedFrame(CVornelKeyboardDevice& keyboard) {
    Sync(keyboard);
    const int count = keyboard.GetLedCount();
    ledButtons_.resize(static_cast<size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        ledButtons_[static_cast<size_t>(i)] = keyboard.LedButton(i);
    }
    lighting_.PushLedFrame(view_, ledButtons_, keyboard.GetFunctionPage(),
                           keyboard.GetLightControl());
}

void KeyboardLightingDriver::ApplyCustomGroup(CVornelKeyboardDevice& keyboard) {
    Sync(keyboard);
    lighting_.ApplyCustomGroup(keyboard.LiveLight());
    lastLight_ = keyboard.LiveLight();
}

void KeyboardLightingDriver::LoadNameLists(CVornelKeyboardDevice& keyboard) {
    profile::LoadPresetLists(lists_, keyboard.UserDataFolder(),
                             CVornelUSBDevice::DefaultDataFolder(), keyboard.GetDeviceIndex());
    keyboard.SetMacroNames(lists_.macroNames);
    keyboard.SetModeValues(lists_.modeCodes);
}

void KeyboardLightingDriver::StartLightThread(CVornelKeyboardDevice& keyboard) {
    Sync(keyboard);
    lighting_.StartThread();
}

void KeyboardLightingDriver::StopLightThread(CVornelKeyboardDevice&) {
    lighting_.StopThread();
}

void KeyboardLightingDriver::RestartPreview(CVornelKeyboardDevice& keyboard, int) {
    Sync(keyboard);
    lighting_.UpdatePreview(keyboard.LiveLight(), keyboard.MutableDeviceLight(), true);
    lastLight_ = keyboard.LiveLight();
}

void KeyboardLightingDriver::SelectCustomGroup(CVornelKeyboardDevice& keyboard, int group) {
    lighting_.SelectCustomGroup(group, keyboard.MutableDeviceLight());
}

void KeyboardLightingDriver::OnKeyEvent(CVornelKeyboardDevice&, int keyButton, int kind) {
    lighting_.TriggerReactive(keyButton, kind);
}

void KeyboardLightingDriver::OnAudioLevels(CVornelKeyboardDevice&, const uint8_t* data,
                                           size_t length) {
    lighting_.OnAudioLevels(data, length);
}

void KeyboardLightingDriver::OnAudioBands(CVornelKeyboardDevice&, const uint8_t* data,
                                          size_t length) {
    lighting_.OnAudioBands(data, length);
}

}  // namespace device
