// Registers the program's own controls with the control factory, each under
// its C++ class name ("CCircleProgressUI") and its control class name
// ("CircleProgress"), so that layouts may name either.
#pragma once

namespace ui {

void RegisterCustomControls();

}  // namespace ui
