#include "ui/pages/mp_device_power_ui.h"

#include <algorithm>

#include "ui/framework/control_factory.h"
#include "ui/framework/control_ops.h"
#include "ui/framework/text_manager.h"

namespace ui {

CMpDevicePowerUI::CMpDevicePowerUI(QWidget* parent) : QWidget(parent) {
    setProperty("controlClass", QString::fromLatin1(kClassName));
}

void CMpDevicePowerUI::Register() {
    auto create = [](QWidget* parent) -> QWidget* { return new CMpDevicePowerUI(parent); };
    ControlFactory::Instance().RegisterControl(QString::fromLatin1(kClassName), create);
    ControlFactory::Instance().RegisterControl(QStringLiteral("CMpDevicePowerUI"), create);
}

void CMpDevicePowerUI::SetEnabled(bool enabled) {
    enabled_ = enabled;
    SetControlVisible(FindSubControlByName(this, QStringLiteral("power_progress")), enabled);
    SetControlVisible(FindSubControlByName(this, QStringLiteral("power_text")), enabled);
}

void CMpDevicePowerUI::SetLevel(int level, bool charging) {
    level = std::clamp(level, 0, 100);
    if (level == level_ && charging == charging_)
        return;
    level_ = level;
    charging_ = charging;
    SetControlValue(FindSubControlByName(this, QStringLiteral("power_progress")), level);
    const QString state =
        charging ? TextManager::Instance().Text(QStringLiteral("power_charging_text")) : QString();
    SetControlText(FindSubControlByName(this, QStringLiteral("power_text")),
                   QStringLiteral("%1%%2").arg(level).arg(
                       state.isEmpty() ? QString() : QStringLiteral(" ") + state));
}

}  // namespace ui
