#include "ui/pages/lighting_page_hooks.h"

#include <QString>

#include "device/light_change.h"
#include "device/usb_device.h"
#include "pages/colour_hsv.h"
#include "ui/pages/light_control_ui.h"

namespace ui {
namespace {

using device::LightField;
using pages::Route;

bool Is(const std::string& name, const char* exact) {
    return QString::fromStdString(name).compare(QLatin1String(exact), Qt::CaseInsensitive) == 0;
}

int ChannelOf(const std::string& name) {
    if (name.empty())
        return -1;
    switch (name.back()) {
        case 'R':
        case 'r':
            return 0;
        case 'G':
        case 'g':
            return 1;
        case 'B':
        case 'b':
            return 2;
        default:
            return -1;
    }
}

}  // namespace

LightingPageHooks::LightingPageHooks(CurrentFn current, PageFn pageOf)
    : current_(std::move(current)), pageOf_(std::move(pageOf)) {}

bool LightingPageHooks::Handle(const pages::RouteEvent& event) {
    device::CVornelUSBDevice* device = current_ ? current_() : nullptr;
    if (device == nullptr)
        return false;
    CLightControlUI* page = LightPageOf(pageOf_ ? pageOf_(device) : nullptr);
    if (page == nullptr)
        return false;
    if (HandleMusic(event, device, page))
        return true;

    device::LightEdit edit;
    switch (event.route) {
        case Route::LightMode:
            if (Is(event.control, "light_combo_modeSelect")) {
                edit = {LightField::Mode, static_cast<int>(event.wParam)};
                page->SelectMode(edit.value);
            } else if (Is(event.control, "light_combo_ZZCCmodeSelect")) {
                edit = {LightField::ZoneMode, static_cast<int>(event.wParam)};
            } else if (Is(event.control, "light_combo_custommodeSelect")) {
                edit = {LightField::CustomGroup, static_cast<int>(event.wParam)};
            } else {
                return false;
            }
            break;
        case Route::LightBrightness:
            edit = {LightField::Brightness, page->GetBrightness()};
            break;
        case Route::LightSpeed:
            edit = {LightField::Speed, page->GetSpeed()};
            break;
        case Route::LightDirection:
            edit = {LightField::Direction, Is(event.control, "deng_FXL_check") ? 1 : 0};
            break;
        case Route::LightSevenColour:
            edit = {LightField::MultiColour, page->GetMultiColor() ? 1 : 0};
            break;
        case Route::LightColourOption: {
            const uint32_t colour = page->GetSwatchColor(event.index);
            page->SetMultiColor(false);
            edit = {LightField::Colour, static_cast<int>(colour)};
            break;
        }
        case Route::LightPaletteColour:
            edit = {LightField::Colour, static_cast<int>(page->GetPaletteColor())};
            break;
        case Route::LightColourEdit: {
            const int channel = ChannelOf(event.control);
            const int value = page->ClampColourEdit(channel);
            if (value < 0)
                return false;
            const LightField fields[3] = {LightField::Red, LightField::Green, LightField::Blue};
            edit = {fields[channel], value};
            break;
        }
        case Route::MusicBackgroundOff: {
            profile::AudioLightInfo audio = device::AudioLightOf(*device);
            audio.BkColorR = audio.BkColorG = audio.BkColorB = 0;
            device::ChangeAudioLight(device, audio);
            return true;
        }
        default:
            return false;
    }
    device::ChangeLight(device, edit);
    return true;
}

bool LightingPageHooks::HandleMusic(const pages::RouteEvent& event,
                                    device::CVornelUSBDevice* device, CLightControlUI* page) {
    profile::AudioLightInfo audio;
    switch (event.route) {
        case Route::MusicColourOption:
            page->SetAudioColor(page->GetAudioSwatchColor(event.index));
            if (!page->ReadAudioColors(true, audio))
                return true;
            break;
        case Route::MusicPaletteColour:
            page->SetAudioColor(page->GetAudioPaletteColor());
            if (!page->ReadAudioColors(true, audio))
                return true;
            break;
        case Route::MusicColourEdit: {
            // All three are read, so each is clamped and shown as used.
            int rgb[3] = {0, 0, 0};
            for (int channel = 0; channel < 3; ++channel) {
                rgb[channel] = page->ClampAudioEdit(channel);
                if (rgb[channel] < 0)
                    return true;
            }
            const uint32_t colour =
                pages::Opaque(static_cast<uint8_t>(rgb[0]), static_cast<uint8_t>(rgb[1]),
                              static_cast<uint8_t>(rgb[2]));
            page->SetAudioColor(colour);
            if (!page->ReadAudioColors(true, audio))
                return true;
            break;
        }
        case Route::MusicColourCheck:
        case Route::MusicMode:
            if (!page->ReadAudioColors(false, audio))
                return true;
            break;
        default:
            return false;
    }
    device::ChangeAudioLight(device, audio);
    return true;
}

}  // namespace ui
