#include "ui/pages/key_page_hooks.h"

#include "device/keyboard_device.h"
#include "platform/debug_output.h"
#include "ui/framework/text_manager.h"
#include "ui/pages/key_set_control_ui.h"

namespace ui {

using pages::Route;

CKeySetControlUI* FindKeyPage(QWidget* page) {
    if (page == nullptr)
        return nullptr;
    auto* keyPage = qobject_cast<CKeySetControlUI*>(page);
    if (keyPage == nullptr)
        keyPage = page->findChild<CKeySetControlUI*>();
    if (keyPage != nullptr && !keyPage->Bound())
        keyPage->BindControls();
    return keyPage;
}

bool KeyPageHooks::Handle(const pages::RouteEvent& event) {
    CKeySetControlUI* page = host_.CurrentKeyPage();
    device::CVornelKeyboardDevice* keyboard = host_.CurrentKeyboard();
    if (event.route == Route::KeySaveToProfile) {
        // Also without a page or keyboard: the user learns nothing was written.
        SaveToDevice();
        return true;
    }
    if (page == nullptr || keyboard == nullptr)
        return false;
    switch (event.route) {
        case Route::SelectKey:
            if (page->MacroNames() != keyboard->MacroNames())
                page->SetMacroNames(keyboard->MacroNames());
            page->SetCaptureHandler([this] { Apply(); });
            keyboard->SelectKey(event.index);
            return true;
        case Route::KeyFunctionList:
            if (event.control == "keyset_function_combo")
                page->OnFunctionSelected();
            else if (event.control == "keyset_macro_over_combo")
                page->OnMacroPlaySelected();
            Apply();
            return true;
        case Route::KeyParameterEdit:
            page->ClampEdit(event.control);
            Apply();
            return true;
        case Route::KeyModifier:
            // Options also report losing their mark; only the new mark counts.
            if (event.wParam == 0)
                return true;
            page->SetModifierOption(event.index);
            Apply();
            return true;
        case Route::KeySave:
            Apply();
            host_.BarLock(false, false);
            return true;
        case Route::KeyDefault:
            page->ShowDefault();
            page->SetButtonsEnabled(true);
            host_.BarLock(false, false);
            return true;
        case Route::KeyCancel:
            page->ShowCurrent();
            page->SetButtonsEnabled(false);
            host_.BarLock(false, true);
            return true;
        case Route::KeyCaptureOn:
        case Route::KeyCaptureOff:
            page->SetCaptureHandler([this] { Apply(); });
            page->SetCaptureOn(event.route == Route::KeyCaptureOn);
            platform::DebugOutputF("key capture %s", page->CaptureOn() ? "on" : "off");
            return true;
        default:
            return false;
    }
}

void KeyPageHooks::Apply() {
    CKeySetControlUI* page = host_.CurrentKeyPage();
    device::CVornelKeyboardDevice* keyboard = host_.CurrentKeyboard();
    if (page == nullptr || keyboard == nullptr)
        return;
    keyboard->SetSelectedKeyAssignment(page->ReadAssignment());
    keyboard->RefreshKeyLabels();
    page->SetButtonsEnabled(true);
}

pages::KeySaveOutcome KeyPageHooks::SaveToDevice() {
    CKeySetControlUI* page = host_.CurrentKeyPage();
    device::CVornelKeyboardDevice* keyboard = host_.CurrentKeyboard();
    pages::KeySaveOutcome outcome;
    if (keyboard != nullptr) {
        outcome = pages::RunKeySave(pages::KeySaveStepsOf(*keyboard));
    } else {
        outcome.result = pages::KeySaveResult::NotConnected;
        outcome.messageId = "message_text_7";
    }
    platform::DebugOutputF("key table save: %d", static_cast<int>(outcome.result));
    if (outcome.result == pages::KeySaveResult::Saved) {
        if (page != nullptr)
            page->SetButtonsEnabled(false);
        host_.BarLock(false, true);
        return outcome;
    }
    const std::string text =
        TextManager::Instance().Text(QString::fromStdString(outcome.messageId)).toStdString();
    host_.ShowMessageText(QString::fromStdString(
        outcome.hasNumber ? pages::FormatMessage(text, outcome.number) : text));
    if (outcome.result == pages::KeySaveResult::MacroTooLarge && page != nullptr) {
        // The key's macro cannot reach the device: the key gets its own
        // function back.
        page->ShowDefault();
        Apply();
    }
    return outcome;
}

}  // namespace ui
