// CMpDevicePowerUI ("MpDevicePower"): the battery widget of a device, shown
// in the title bar's "device_power_switch" while its device is selected. It
// shows the level in "power_progress" and the state in "power_text".
#pragma once

#include <QWidget>

#include "device/device_views.h"

namespace ui {

class CMpDevicePowerUI : public QWidget, public device::PowerWidgetView {
    Q_OBJECT
  public:
    explicit CMpDevicePowerUI(QWidget* parent = nullptr);

    static constexpr const char* kClassName = "MpDevicePower";
    static void Register();

    // PowerWidgetView (UI thread).
    void SetEnabled(bool enabled) override;
    void SetLevel(int level, bool charging) override;

    bool Enabled() const { return enabled_; }
    int Level() const { return level_; }
    bool Charging() const { return charging_; }

  private:
    bool enabled_ = false;
    int level_ = -1;
    bool charging_ = false;
};

}  // namespace ui
