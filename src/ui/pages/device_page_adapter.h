// The device objects' views of their pages, over the page's widgets: the
// LED and key buttons of the page's select panel, its tab layouts and, for
// the keyboard, the settings controls and key labels. Controls are found by
// name and cached; a missing one makes an operation do nothing.
#pragma once

#include <QPointer>
#include <QWidget>
#include <vector>

#include "device/device_views.h"
#include "device/keyboard_views.h"
#include "profile/default_data.h"

namespace ui {

class CMpDevicePowerUI;

class DevicePageAdapter : public device::DevicePageView {
  public:
    explicit DevicePageAdapter(QWidget* page);
    ~DevicePageAdapter() override;

    QWidget* Page() const { return page_; }
    // The page's first select panel (a control of class "SelectPanel").
    QWidget* SelectPanel() const;

    bool SelectPanelButtons(std::vector<std::string>& names) override;
    void SetButtonColour(int button, uint32_t colourWord, uint8_t alpha) override;
    bool IsButtonVisible(int button) const override;
    void SetButtonText(int button, const std::string& text) override;
    void SetIndicatorColour(uint32_t colourWord, uint8_t alpha) override;
    bool SelectFunctionTabs(int tabA, int tabB) override;
    void RepaintPreview() override;

    QWidget* Button(int button) const;

  protected:
    QWidget* Find(const QString& name) const;

  private:
    QPointer<QWidget> page_;
    mutable QPointer<QWidget> selectPanel_;
    std::vector<QPointer<QWidget>> buttons_;
};

class KeyboardPageAdapter : public DevicePageAdapter, public device::KeyboardPageView {
  public:
    using DevicePageAdapter::DevicePageAdapter;

    bool IsOptionSelected(const std::string& name) const override;
    void SetOptionSelected(const std::string& name, bool selected) override;
    bool SliderValue(const std::string& name, int& value) const override;
    void SetSliderValue(const std::string& name, int value) override;
    void SetControlText(const std::string& name, const std::string& text) override;
    void SetControlTip(const std::string& name, const std::string& tip) override;
    std::string Translate(const std::string& textId) const override;
    void SetKeyLabel(int j, const std::string& text, const std::string& tip, bool marked) override;
    void SetKeyEnabled(int j, bool enabled) override;
    void ShowKeyAssignment(const profile::KeyListEntry& entry) override;
    void ShowBatteryStatus(const std::array<uint8_t, 6>& status) override;
    void ShowBatteryWireless(bool shown) override;
    // The battery widget the status reads go to (the device's own).
    void SetPowerWidget(CMpDevicePowerUI* widget);
    void ShowLight(const profile::LightInfo& light, const std::array<uint32_t, 3>& audio) override;
    std::string ReloadProfileList() override;
    std::string AssignmentName(const profile::KeyAssignment& assignment) const override;

    // The device's name lists (mode names), filled before each ShowLight.
    void SetPresetLists(const profile::PresetLists* lists) { lists_ = lists; }

  private:
    QWidget* KeyButton(int j) const;
    mutable std::vector<QPointer<QWidget>> keys_;
    QPointer<CMpDevicePowerUI> power_;
    const profile::PresetLists* lists_ = nullptr;
};

// True for a widget of the given control class (real or placeholder).
bool IsControlClass(const QWidget* w, const char* className);

}  // namespace ui
