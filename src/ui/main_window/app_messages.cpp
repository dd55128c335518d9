#include "ui/main_window/app_messages.h"

#include "pages/control_name.h"
#include "platform/paths.h"
#include "ui/framework/registered_messages.h"

namespace ui {
namespace {

AppMessages& Messages() {
    static AppMessages messages;
    return messages;
}

}  // namespace

const AppMessages& RegisteredAppMessages() {
    return Messages();
}

uint32_t RegisterInstanceMessage() {
    Messages().instance = RegisterWindowMessage(platform::kProductTitle);
    return Messages().instance;
}

void RegisterGuidMessages() {
    AppMessages& m = Messages();
    m.settingsRelay = RegisterWindowMessage(kSettingsRelayMessageName);
    m.lightState = RegisterWindowMessage(kLightStateMessageName);
    m.lightControl = RegisterWindowMessage(kLightControlMessageName);
    m.voveDodaQuery = RegisterWindowMessage(kVoveDodaQueryMessageName);
    m.audioLink = RegisterWindowMessage(kAudioLinkMessageName);
}

bool AcceptedFromOtherPrograms(std::string_view name) {
    const char* const accepted[] = {platform::kProductTitle,   kGameMessageNames[0],
                                    kGameMessageNames[1],      kGameMessageNames[2],
                                    kGameMessageNames[3],      kLightControlMessageName,
                                    kVoveDodaQueryMessageName, kSettingsRelayMessageName};
    for (const char* a : accepted) {
        if (pages::EqualsIgnoringCase(name, a))
            return true;
    }
    return false;
}

}  // namespace ui
