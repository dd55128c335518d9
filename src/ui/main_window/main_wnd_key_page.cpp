#include "ui/main_window/main_wnd_key_page.h"

#include "device/keyboard_device.h"
#include "ui/pages/key_set_control_ui.h"

namespace ui {

void CMainWnd::InstallKeyPage() {
    keyPage_ = std::make_unique<KeyPageBinding>(*this);
    SetPageHooks(pages::Owner::KeyPage, &keyPage_->Hooks());
}

device::CVornelKeyboardDevice* CMainWnd::KeyPageBinding::CurrentKeyboard() {
    return dynamic_cast<device::CVornelKeyboardDevice*>(window_.CurrentDevice());
}

CKeySetControlUI* CMainWnd::KeyPageBinding::CurrentKeyPage() {
    device::CVornelKeyboardDevice* keyboard = CurrentKeyboard();
    return keyboard != nullptr ? FindKeyPage(window_.PageOfRow(keyboard->GetModelRow())) : nullptr;
}

void CMainWnd::KeyPageBinding::ShowMessageText(const QString& text) {
    if (window_.messageWindow_)
        window_.messageWindow_(&window_, QString(), text, window_.DPI(), false, 1);
}

}  // namespace ui
