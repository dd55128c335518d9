#include "ui/main_window/control_classes.h"

#include "ui/controls/color_palette.h"
#include "ui/controls/custom_controls.h"
#include "ui/controls/device_key_button.h"
#include "ui/framework/control_factory.h"
#include "ui/pages/device_option_ui.h"
#include "ui/pages/device_profile_ui.h"
#include "ui/pages/key_set_control_ui.h"
#include "ui/pages/light_control_ui.h"
#include "ui/pages/macro_control_ui.h"
#include "ui/pages/mp_device_power_ui.h"

namespace ui {

const std::vector<ControlClass>& ControlClasses() {
    static const std::vector<ControlClass> classes = {
        {"CCircleProgressUI", "QWidget"},
        {"CChartViewUI", "QWidget"},
        {"CWndUI", "QWidget"},
        {"CSelectPanelUI", "QWidget"},
        {"CDeviceKeyButtonUI", "QPushButton"},
        {"CCloudShareListItemUI", "QWidget"},
        {"CUpdateInfoListItemUI", "QWidget"},
        {"CDeviceOptionUI", "QWidget"},
        {"CMpDevicePowerUI", "QWidget"},
        {"CComboEditContainerElementUI", "QWidget"},
        {"CHandImgButtonUI", "QPushButton"},
        {"CHandImgSelectButtonUI", "QPushButton"},
        {"CRedioMacroButtonUI", "QPushButton"},
        {"CAudioRecordUI", "QWidget"},
        {"CLightControlUI", "QWidget"},
        {"CMacroControlUI", "QWidget"},
        {"CKeySetControlUI", "QWidget"},
        {"CDeviceProfileUI", "QWidget"},
        {"CShootControlUI", "QWidget"},
        {"CMagicControlUI", "QWidget"},
        {"CVoice6533ControlUI", "QWidget"},
        {"CVornelUSBDevice", "QWidget"},
        {"CVornelMousePadDevice", "QWidget"},
        {"CVornelRI6533Device", "QWidget"},
    };
    return classes;
}

void RegisterControlClasses() {
    ControlFactory& factory = ControlFactory::Instance();
    RegisterKeyboardPictureControls();
    CDeviceOptionUI::Register();
    CMpDevicePowerUI::Register();
    CLightControlUI::Register();
    CColorPaletteUI::Register();
    CDeviceProfileUI::Register();
    RegisterCustomControls();
    CKeySetControlUI::Register();
    CMacroControlUI::Register();
    for (const ControlClass& c : ControlClasses()) {
        // A class whose code registered a real creator already keeps it.
        if (!factory.IsRegistered(QString::fromLatin1(c.name)))
            factory.RegisterPlaceholder(QString::fromLatin1(c.name),
                                        QString::fromLatin1(c.baseClass));
    }
}

}  // namespace ui
