// CMpDevicePowerUI ("MpDevicePower"): the battery widget of a wireless
// device, one page of the title bar's "device_power_switch", shown while its
// device is selected. Its displays are named children (looked up inside the
// widget on first use): "device_power_Layout" (the battery part),
// "device_power_value" (the level as text), "device_wuxian_logo" (the
// wireless mark), "device_power_status" (the charge state picture),
// "device_Power_progress" (the bar; its value is the empty part) and
// "device_phone_type" (the paired phone's picture, kind 3 only).
#pragma once

#include <QPointer>
#include <QWidget>
#include <cstddef>
#include <cstdint>

#include "device/device_views.h"
#include "pages/battery_status.h"

namespace ui {

class CMpDevicePowerUI : public QWidget, public device::PowerWidgetView {
    Q_OBJECT
  public:
    explicit CMpDevicePowerUI(QWidget* parent = nullptr);

    static constexpr const char* kClassName = "MpDevicePower";
    // The longest status record the widget reads.
    static constexpr size_t kMaxStatusBytes = 64;
    static void Register();

    // PowerWidgetView (UI thread). SetEnabled shows or hides the battery part.
    void SetEnabled(bool enabled) override;
    // Reads the first `length` bytes (at most 64) of a battery status
    // record; does nothing unless all five displays exist.
    void SetBatteryStatus(const uint8_t* bytes, size_t length) override;
    bool ShowWirelessLogo(bool shown) override;

    void SetWidgetKind(int kind, int value) { model_.SetWidgetKind(kind, value); }
    int WidgetKind() const { return model_.WidgetKind(); }
    // -1 until a record with a level arrived.
    int ShownLevel() const { return model_.ShownLevel(); }

    // Visibility of "device_power_Layout" / "device_power_value"; false when
    // the control is missing.
    bool ShowPowerLayout(bool shown);
    bool ShowPowerValue(bool shown);
    // Sends "selectchanged" when the widget can be activated (shown and
    // enabled); false otherwise.
    bool Activate();

  private:
    void FindControls();

    bool looked_ = false;
    QPointer<QWidget> layout_;
    QPointer<QWidget> value_;
    QPointer<QWidget> logo_;
    QPointer<QWidget> status_;
    QPointer<QWidget> progress_;
    QPointer<QWidget> phone_;
    pages::BatteryWidgetModel model_;
};

}  // namespace ui
