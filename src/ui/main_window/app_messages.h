// The application-wide registered messages and the strings they come from.
#pragma once

#include <cstdint>
#include <string_view>

namespace ui {

inline constexpr const char* kSettingsRelayMessageName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF15}";
inline constexpr const char* kLightStateMessageName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}";
inline constexpr const char* kLightControlMessageName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}";
inline constexpr const char* kVoveDodaQueryMessageName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF18}";
inline constexpr const char* kAudioLinkMessageName = "{4695579F-999A-41d4-9FAF-EFFCE93EBE19}";

inline constexpr const char* kGameMessageNames[4] = {"Game_Start", "Game_End", "Game_Kill",
                                                     "Game_Death"};

struct AppMessages {
    uint32_t instance = 0;  // UWM_INSTANCE_MSG, from the product title
    uint32_t settingsRelay = 0;
    uint32_t lightState = 0;
    uint32_t lightControl = 0;
    uint32_t voveDodaQuery = 0;
    uint32_t audioLink = 0;
};

// The numbers registered so far (0 until registered).
const AppMessages& RegisteredAppMessages();
// Registers the instance message from the product title and returns it.
uint32_t RegisterInstanceMessage();
// Registers the five GUID messages in their fixed order.
void RegisterGuidMessages();

// Whether another program may send the message of this name: the instance
// message, the four game events, the lighting-control request, the VoveDoda
// query and the settings relay. Compared without case, as registration does.
bool AcceptedFromOtherPrograms(std::string_view name);

}  // namespace ui
