#include "ui/main_window/app_messages.h"

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

}  // namespace ui
