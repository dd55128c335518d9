#include "ui/pages/device_page_adapter.h"

#include "ui/pages/device_profile_ui.h"

#include <QAbstractButton>
#include <QAbstractSlider>

#include "device/light_change.h"
#include "hid/supported_devices.h"
#include "pages/key_captions.h"
#include "ui/controls/device_key_button.h"
#include "ui/controls/select_panel.h"
#include "ui/framework/control_ops.h"
#include "ui/framework/text_manager.h"
#include "ui/pages/key_page_hooks.h"
#include "ui/pages/key_set_control_ui.h"
#include "ui/pages/light_control_ui.h"
#include "ui/pages/mp_device_power_ui.h"

namespace ui {

bool IsControlClass(const QWidget* w, const char* className) {
    if (w == nullptr)
        return false;
    const QString name = QString::fromLatin1(className);
    const QVariant cls = w->property("controlClass");
    if (cls.isValid() && cls.toString().compare(name, Qt::CaseInsensitive) == 0)
        return true;
    if (name.compare(QLatin1String("SelectPanel"), Qt::CaseInsensitive) == 0)
        return qobject_cast<const CSelectPanelUI*>(w) != nullptr;
    if (name.compare(QLatin1String("DeviceKeyButton"), Qt::CaseInsensitive) == 0)
        return qobject_cast<const CDeviceKeyButtonUI*>(w) != nullptr;
    return false;
}

DevicePageAdapter::DevicePageAdapter(QWidget* page) : page_(page) {}
DevicePageAdapter::~DevicePageAdapter() = default;

QWidget* DevicePageAdapter::Find(const QString& name) const {
    return FindSubControlByName(page_, name);
}

QWidget* DevicePageAdapter::SelectPanel() const {
    if (!selectPanel_ && page_) {
        for (QWidget* w : page_->findChildren<QWidget*>()) {
            if (IsControlClass(w, "SelectPanel")) {
                selectPanel_ = w;
                break;
            }
        }
    }
    return selectPanel_;
}

bool DevicePageAdapter::SelectPanelButtons(std::vector<std::string>& names) {
    names.clear();
    buttons_.clear();
    QWidget* panel = SelectPanel();
    if (panel == nullptr)
        return false;
    for (QWidget* w : panel->findChildren<QWidget*>()) {
        if (!IsControlClass(w, "DeviceKeyButton"))
            continue;
        buttons_.emplace_back(w);
        names.push_back(w->objectName().toStdString());
    }
    return true;
}

QWidget* DevicePageAdapter::Button(int button) const {
    return button >= 0 && static_cast<size_t>(button) < buttons_.size()
               ? buttons_[static_cast<size_t>(button)].data()
               : nullptr;
}

void DevicePageAdapter::SetButtonColour(int button, uint32_t colourWord, uint8_t alpha) {
    QWidget* w = Button(button);
    if (auto* key = qobject_cast<CDeviceKeyButtonUI*>(w)) {
        key->SetLightTint(colourWord, alpha, true);
    } else if (w != nullptr) {
        w->setProperty("lightColour", colourWord);
        w->setProperty("lightAlpha", alpha);
    }
}

bool DevicePageAdapter::IsButtonVisible(int button) const {
    // Effective visibility: nothing is painted while the window is hidden.
    // A hidden page (or window) answers at once, without a lookup per LED.
    if (!page_ || !page_->isVisible())
        return false;
    QWidget* w = Button(button);
    if (auto* key = qobject_cast<CDeviceKeyButtonUI*>(w))
        return key->IsShown();
    return w != nullptr && w->isVisible();
}

void DevicePageAdapter::SetButtonText(int button, const std::string& text) {
    ui::SetControlText(Button(button), QString::fromStdString(text));
}

void DevicePageAdapter::SetIndicatorColour(uint32_t colourWord, uint8_t alpha) {
    if (page_) {
        page_->setProperty("indicatorColour", colourWord);
        page_->setProperty("indicatorAlpha", alpha);
    }
}

bool DevicePageAdapter::SelectFunctionTabs(int tabA, int tabB) {
    QWidget* a = Find(QStringLiteral("device_function_switch"));
    QWidget* b = Find(QStringLiteral("device_key_function_switch"));
    if (a == nullptr || b == nullptr)
        return false;
    if (tabA >= 0)
        SetControlCurrentIndex(a, tabA);
    if (tabB >= 0)
        SetControlCurrentIndex(b, tabB);
    return true;
}

void DevicePageAdapter::RepaintPreview() {
    if (QWidget* panel = SelectPanel())
        panel->update();
}

bool KeyboardPageAdapter::IsOptionSelected(const std::string& name) const {
    return ControlChecked(Find(QString::fromStdString(name)));
}

void KeyboardPageAdapter::SetOptionSelected(const std::string& name, bool selected) {
    SetControlChecked(Find(QString::fromStdString(name)), selected);
}

bool KeyboardPageAdapter::SliderValue(const std::string& name, int& value) const {
    auto* slider = qobject_cast<QAbstractSlider*>(Find(QString::fromStdString(name)));
    if (slider == nullptr)
        return false;
    value = slider->value();
    return true;
}

void KeyboardPageAdapter::SetSliderValue(const std::string& name, int value) {
    SetControlValue(Find(QString::fromStdString(name)), value);
}

void KeyboardPageAdapter::SetControlText(const std::string& name, const std::string& text) {
    ui::SetControlText(Find(QString::fromStdString(name)), QString::fromStdString(text));
}

void KeyboardPageAdapter::SetControlTip(const std::string& name, const std::string& tip) {
    if (QWidget* w = Find(QString::fromStdString(name)))
        w->setToolTip(QString::fromStdString(tip));
}

std::string KeyboardPageAdapter::Translate(const std::string& textId) const {
    return TextManager::Instance().Text(QString::fromStdString(textId)).toStdString();
}

QWidget* KeyboardPageAdapter::KeyButton(int j) const {
    if (j < 0 || j >= 170)
        return nullptr;
    if (keys_.empty())
        keys_.resize(170);
    QPointer<QWidget>& key = keys_[static_cast<size_t>(j)];
    if (!key)
        key = Find(QStringLiteral("key_%1").arg(j));
    return key;
}

void KeyboardPageAdapter::SetKeyLabel(int j, const std::string& text, const std::string& tip,
                                      bool marked) {
    QWidget* key = KeyButton(j);
    if (key == nullptr)
        return;
    key->setToolTip(QString::fromStdString(tip));
    // The key shows its own function's name; the tip tells what it does now.
    const QString label = QString::fromStdString(text);
    key->setProperty("keyLabel", label);
    if (auto* button = qobject_cast<QAbstractButton*>(key);
        button != nullptr && button->text() != label)
        button->setText(label);
    if (auto* button = qobject_cast<CDeviceKeyButtonUI*>(key))
        button->SetKeysetImageHidden(!marked);
}

void KeyboardPageAdapter::SetKeyEnabled(int j, bool enabled) {
    SetControlEnabled(KeyButton(j), enabled);
}

void KeyboardPageAdapter::ShowKeyAssignment(const profile::KeyListEntry& entry) {
    if (CKeySetControlUI* keyPage = FindKeyPage(Page()))
        keyPage->SetKeyEntry(entry);
}

void KeyboardPageAdapter::SetPowerWidget(CMpDevicePowerUI* widget) {
    power_ = widget;
}

void KeyboardPageAdapter::ShowBatteryStatus(const std::array<uint8_t, 6>& status) {
    if (power_)
        power_->SetBatteryStatus(status.data(), status.size());
}

void KeyboardPageAdapter::ShowBatteryWireless(bool shown) {
    if (power_)
        power_->ShowWirelessLogo(shown);
}

void KeyboardPageAdapter::ShowLight(const profile::LightInfo& light,
                                    const std::array<uint32_t, 3>& audio) {
    CLightControlUI* page = LightPageOf(Page());
    if (page == nullptr)
        return;
    page->SetDeviceKind(hid::kDeviceKeyboard);
    // The keyboard's sliders run 0..4.
    if (lists_ != nullptr && !lists_->modeNames.empty() && lists_->modeNames != page->ModeNames()) {
        page->InitModes(lists_->modeNames, lists_->modeVisible, 4, 4);
        page->InitZoneModes(lists_->zoneModeNames);
    }
    page->ShowLightInfo(light);
    page->ShowAudioColors(device::AudioLightOf(audio));
}
std::string KeyboardPageAdapter::ReloadProfileList() {
    auto* bar = qobject_cast<CDeviceProfileUI*>(
        FindSubControlByName(Page(), QStringLiteral("DeviceProfileItem")));
    if (bar == nullptr || !bar->LoadProfileList())
        return {};
    return bar->GetCurrentProfileUUID();
}
std::string KeyboardPageAdapter::AssignmentName(const profile::KeyAssignment& a) const {
    if (a.IsMacro()) {
        // A macro is called by its name, as the key page lists it.
        const CKeySetControlUI* keyPage = FindKeyPage(Page());
        const std::vector<std::string> names =
            keyPage != nullptr ? keyPage->MacroNames() : std::vector<std::string>{};
        return a.code1 < names.size() ? names[a.code1] : std::string();
    }
    std::string name;
    for (const std::string& id : pages::CaptionIdsOf(a)) {
        if (!name.empty())
            name += '+';
        name += Translate(id);
    }
    return name;
}

}  // namespace ui
