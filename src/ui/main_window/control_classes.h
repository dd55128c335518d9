// The program's own control classes, registered with the control factory so
// layouts can name them. Classes not built yet create a placeholder of their
// base kind; their own code replaces the placeholder creator when it lands.
#pragma once

#include <QString>
#include <vector>

namespace ui {

struct ControlClass {
    const char* name;
    const char* baseClass;
};

// In registration order.
const std::vector<ControlClass>& ControlClasses();
void RegisterControlClasses();

}  // namespace ui
