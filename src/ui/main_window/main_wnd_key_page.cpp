#include "ui/main_window/main_wnd_key_page.h"

#include <utility>

#include "device/keyboard_device.h"
#include "pages/key_save_flow.h"
#include "platform/debug_output.h"
#include "ui/framework/text_manager.h"
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

void CMainWnd::BindMacroPage(CMacroControlUI& page) {
    keyPage_->BindMacroPage(page);
}

void CMainWnd::KeyPageBinding::BindMacroPage(CMacroControlUI& page) {
    page.SetNameObserver(this);
    page.SetUsageQuery([this](int index) {
        device::CVornelKeyboardDevice* keyboard = CurrentKeyboard();
        return keyboard != nullptr && keyboard->KeysUseMacro(index);
    });
    page.SetReferenceFixer([this](int index) { MendKeysOfDeletedMacro(index); });
}

void CMainWnd::KeyPageBinding::MacroAdded(const std::string& name) {
    device::CVornelKeyboardDevice* keyboard = CurrentKeyboard();
    if (keyboard == nullptr)
        return;
    std::vector<std::string> names = keyboard->MacroNames();
    names.push_back(name);
    keyboard->SetMacroNames(std::move(names));
    if (CKeySetControlUI* page = CurrentKeyPage())
        page->AddMacroName(name);
}

void CMainWnd::KeyPageBinding::MacroRenamed(int index, const std::string& name) {
    device::CVornelKeyboardDevice* keyboard = CurrentKeyboard();
    if (keyboard == nullptr)
        return;
    std::vector<std::string> names = keyboard->MacroNames();
    if (index >= 0 && static_cast<size_t>(index) < names.size()) {
        names[static_cast<size_t>(index)] = name;
        keyboard->SetMacroNames(std::move(names));
    }
    if (CKeySetControlUI* page = CurrentKeyPage())
        page->RenameMacroItem(index, name);
    // Keys that call the macro show its name.
    keyboard->RefreshKeyLabels();
}

void CMainWnd::KeyPageBinding::MacroRemoved(int index) {
    device::CVornelKeyboardDevice* keyboard = CurrentKeyboard();
    if (keyboard == nullptr)
        return;
    std::vector<std::string> names = keyboard->MacroNames();
    if (index >= 0 && static_cast<size_t>(index) < names.size()) {
        names.erase(names.begin() + index);
        keyboard->SetMacroNames(std::move(names));
    }
    if (CKeySetControlUI* page = CurrentKeyPage())
        page->RemoveMacroItem(index);
    keyboard->RefreshKeyLabels();
    // The selected key may have been one of the renumbered ones.
    keyboard->SelectKey(keyboard->GetSelectedKey());
    if (!pendingMessage_.isEmpty())
        ShowMessageText(std::exchange(pendingMessage_, QString()));
}

void CMainWnd::KeyPageBinding::MendKeysOfDeletedMacro(int index) {
    device::CVornelKeyboardDevice* keyboard = CurrentKeyboard();
    if (keyboard == nullptr)
        return;
    bool filesWritten = true;
    const bool changed = keyboard->RemoveMacroFromKeys(index, &filesWritten);
    if (!filesWritten)
        pendingMessage_ = TextManager::Instance().Text(QStringLiteral("keyset_save_failed_text"));
    if (!changed)
        return;
    // The profile must match the macro list whatever the device answers; the
    // keyboard then gets the renumbered table and the macros it now calls.
    keyboard->SaveProfile();
    pages::KeySaveSteps steps = pages::KeySaveStepsOf(*keyboard);
    steps.saveProfile = [] {};
    const pages::KeySaveOutcome outcome = pages::RunKeySave(steps);
    platform::DebugOutputF("macro %d deleted: keys renumbered, device %d", index,
                           static_cast<int>(outcome.result));
    if (outcome.result != pages::KeySaveResult::Saved) {
        const std::string text =
            TextManager::Instance().Text(QString::fromStdString(outcome.messageId)).toStdString();
        pendingMessage_ = QString::fromStdString(
            outcome.hasNumber ? pages::FormatMessage(text, outcome.number) : text);
    }
}

}  // namespace ui
