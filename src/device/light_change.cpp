#include "device/light_change.h"

#include <algorithm>
#include <cstring>

#include "device/keyboard_device.h"

namespace device {
namespace {

uint8_t Byte(int v) {
    return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

std::array<uint32_t, 4> WordsOf(const profile::LightInfo& light) {
    uint8_t bytes[16] = {};
    std::memcpy(bytes, &light, sizeof light);
    std::array<uint32_t, 4> words{};
    std::memcpy(words.data(), bytes, sizeof bytes);
    return words;
}

}  // namespace

profile::LightInfo ApplyLightEdit(profile::LightInfo light, const LightEdit& edit) {
    switch (edit.field) {
        case LightField::Mode:
            light.SelectItem = Byte(edit.value);
            break;
        case LightField::ZoneMode:
            light.ZZCCLedMode = Byte(edit.value);
            break;
        case LightField::CustomGroup:
            light.CustomGroup = Byte(edit.value);
            break;
        case LightField::Brightness:
            light.Light = Byte(edit.value);
            break;
        case LightField::Speed:
            light.Speed = Byte(edit.value);
            break;
        case LightField::Direction:
            light.Fx = edit.value != 0 ? 1 : 0;
            break;
        case LightField::MultiColour:
            light.MultiColor = edit.value != 0 ? 1 : 0;
            break;
        case LightField::Colour: {
            const auto argb = static_cast<uint32_t>(edit.value);
            light.Red = static_cast<uint8_t>(argb >> 16);
            light.Green = static_cast<uint8_t>(argb >> 8);
            light.Blue = static_cast<uint8_t>(argb);
            light.MultiColor = 0;
            break;
        }
        case LightField::Red:
            light.Red = Byte(edit.value);
            light.MultiColor = 0;
            break;
        case LightField::Green:
            light.Green = Byte(edit.value);
            light.MultiColor = 0;
            break;
        case LightField::Blue:
            light.Blue = Byte(edit.value);
            light.MultiColor = 0;
            break;
    }
    return light;
}

int ChangeLight(CVornelUSBDevice* device, const LightEdit& edit) {
    if (device == nullptr)
        return 0;
    if (auto* keyboard = dynamic_cast<CVornelKeyboardDevice*>(device)) {
        const profile::LightInfo light = ApplyLightEdit(keyboard->LiveLight(), edit);
        keyboard->Profile().SetLightInfo(light);
        // Loads the stored settings into the live state and the preview, so
        // the picture's next frame already shows them.
        keyboard->ApplyLighting();
        const int sent = keyboard->SendLightRecord(0, 0);
        keyboard->SaveProfile();
        if (edit.field == LightField::CustomGroup)
            keyboard->ApplyCustomGroup();
        keyboard->RefreshPage();
        return sent;
    }
    // The other device kinds keep their settings in the live state until
    // their own lighting protocol exists.
    const std::array<uint32_t, 4> w = WordsOf(ApplyLightEdit(device->CurrentLight(), edit));
    device->SetLightState(w[0], w[1], w[2], w[3]);
    device->ApplyLighting();
    const int sent = device->SendLightRecord(0, 0, 0, 0, 0);
    device->SaveProfile();
    device->RefreshPage();
    return sent;
}

profile::AudioLightInfo AudioLightOf(const CVornelUSBDevice& device) {
    return AudioLightOf(device.GetAudioLightWords());
}

profile::AudioLightInfo AudioLightOf(const std::array<uint32_t, 3>& words) {
    uint8_t bytes[12];
    std::memcpy(bytes, words.data(), sizeof bytes);
    profile::AudioLightInfo audio;
    std::memcpy(&audio, bytes, sizeof audio);
    return audio;
}

std::array<uint32_t, 3> AudioWordsOf(const profile::AudioLightInfo& audio) {
    uint8_t bytes[12] = {};
    std::memcpy(bytes, &audio, sizeof audio);
    std::array<uint32_t, 3> words{};
    std::memcpy(words.data(), bytes, sizeof bytes);
    return words;
}

void ChangeAudioLight(CVornelUSBDevice* device, const profile::AudioLightInfo& audio) {
    if (device == nullptr)
        return;
    const std::array<uint32_t, 3> w = AudioWordsOf(audio);
    // The keyboard also writes them into its profile data.
    device->SetAudioLightState(w[0], w[1], w[2]);
    device->SaveProfile();
    device->ApplyLighting();
    device->RefreshPage();
}

}  // namespace device
