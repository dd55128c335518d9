#include "ui/pages/mp_device_power_ui.h"

#include <algorithm>
#include <span>

#include "ui/controls/image_painter.h"
#include "ui/framework/control_factory.h"
#include "ui/framework/control_ops.h"
#include "ui/framework/notification.h"
#include "ui/framework/text_manager.h"
#include "ui/framework/window.h"

namespace ui {

CMpDevicePowerUI::CMpDevicePowerUI(QWidget* parent) : QWidget(parent) {
    setProperty("controlClass", QString::fromLatin1(kClassName));
}

void CMpDevicePowerUI::Register() {
    auto create = [](QWidget* parent) -> QWidget* { return new CMpDevicePowerUI(parent); };
    ControlFactory::Instance().RegisterControl(QString::fromLatin1(kClassName), create);
    ControlFactory::Instance().RegisterControl(QStringLiteral("CMpDevicePowerUI"), create);
}

void CMpDevicePowerUI::FindControls() {
    if (looked_)
        return;
    looked_ = true;
    layout_ = FindSubControlByName(this, QStringLiteral("device_power_Layout"));
    value_ = FindSubControlByName(this, QStringLiteral("device_power_value"));
    logo_ = FindSubControlByName(this, QStringLiteral("device_wuxian_logo"));
    status_ = FindSubControlByName(this, QStringLiteral("device_power_status"));
    progress_ = FindSubControlByName(this, QStringLiteral("device_Power_progress"));
    phone_ = FindSubControlByName(this, QStringLiteral("device_phone_type"));
    // Pictures the layout gives its displays are drawn like every image.
    for (QWidget* w : {logo_.data(), status_.data(), phone_.data()}) {
        if (w != nullptr && w->property("bkimage").isValid())
            SetControlImage(w, w->property("bkimage").toString());
    }
}

void CMpDevicePowerUI::SetEnabled(bool enabled) {
    ShowPowerLayout(enabled);
}

void CMpDevicePowerUI::SetBatteryStatus(const uint8_t* bytes, size_t length) {
    FindControls();
    if (!value_ || !logo_ || !progress_ || !status_ || !phone_)
        return;
    if (bytes == nullptr)
        length = 0;
    const std::span<const uint8_t> record(bytes, std::min(length, kMaxStatusBytes));
    const pages::BatteryDisplayChange change = model_.SetBatteryStatus(record);
    if (change.progressValue)
        SetControlValue(progress_, *change.progressValue);
    if (change.levelText)
        SetControlText(value_, QString::fromStdString(*change.levelText));
    if (change.wirelessLogoVisible)
        SetControlVisible(logo_, *change.wirelessLogoVisible);
    if (change.statusImage) {
        SetControlVisible(progress_, true);
        SetControlImage(status_, QString::fromStdString(*change.statusImage));
    }
    if (change.phone) {
        phone_->setToolTip(
            TextManager::Instance().Text(QString::fromStdString(change.phone->tooltipId)));
        SetControlImage(phone_, QString::fromStdString(change.phone->image));
        SetControlVisible(phone_, true);
    }
}

bool CMpDevicePowerUI::ShowPowerLayout(bool shown) {
    FindControls();
    if (!layout_)
        return false;
    layout_->setVisible(shown);
    return true;
}

bool CMpDevicePowerUI::ShowPowerValue(bool shown) {
    FindControls();
    if (!value_)
        return false;
    value_->setVisible(shown);
    return true;
}

bool CMpDevicePowerUI::ShowWirelessLogo(bool shown) {
    FindControls();
    if (!logo_)
        return false;
    logo_->setVisible(shown);
    return true;
}

bool CMpDevicePowerUI::Activate() {
    if (!isVisible() || !isEnabled())
        return false;
    if (auto* w = qobject_cast<Window*>(window()))
        w->SendNotify(this, QString::fromLatin1(notify::kSelectChanged));
    return true;
}

}  // namespace ui
