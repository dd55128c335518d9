#include "ui/controls/custom_controls.h"

#include "ui/controls/audio_record.h"
#include "ui/controls/chart_view.h"
#include "ui/controls/circle_progress.h"
#include "ui/controls/combo_edit_element.h"
#include "ui/controls/hand_img_buttons.h"
#include "ui/controls/redio_macro_button.h"
#include "ui/controls/wnd_host.h"
#include "ui/framework/control_factory.h"

namespace ui {
namespace {

template <typename T>
void Register(const char* className, const char* controlClass) {
    const auto create = [](QWidget* parent) -> QWidget* { return new T(parent); };
    ControlFactory& factory = ControlFactory::Instance();
    factory.RegisterControl(QString::fromLatin1(className), create);
    factory.RegisterControl(QString::fromLatin1(controlClass), create);
}

}  // namespace

void RegisterCustomControls() {
    Register<CCircleProgressUI>("CCircleProgressUI", CCircleProgressUI::kClassName);
    Register<CChartViewUI>("CChartViewUI", CChartViewUI::kClassName);
    Register<CWndUI>("CWndUI", CWndUI::kClassName);
    Register<CComboEditContainerElementUI>("CComboEditContainerElementUI",
                                           CComboEditContainerElementUI::kClassName);
    Register<CHandImgButtonUI>("CHandImgButtonUI", CHandImgButtonUI::kClassName);
    Register<CHandImgSelectButtonUI>("CHandImgSelectButtonUI", CHandImgSelectButtonUI::kClassName);
    Register<CRedioMacroButtonUI>("CRedioMacroButtonUI", CRedioMacroButtonUI::kClassName);
    Register<CAudioRecordUI>("CAudioRecordUI", CAudioRecordUI::kClassName);
}

}  // namespace ui
