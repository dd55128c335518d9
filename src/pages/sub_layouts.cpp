#include "pages/sub_layouts.h"

#include <array>

#include "pages/control_name.h"

namespace pages {
namespace {

constexpr std::array<SubLayout, 8> kSubLayouts = {{
    {"DeviceProfileUI", "XML/CustomControlXML/DeviceProfile.ui"},
    {"LightSetControlUI", "XML/CustomControlXML/LightControl.ui"},
    {"Voice6533SetControlUI", "XML/CustomControlXML/Voice6533Control.ui"},
    {"MagicSetControlUI", "XML/CustomControlXML/MagicControl.ui"},
    {"KeySetControlUI", "XML/CustomControlXML/KeySetControl.ui"},
    {"MacroSetControlUI", "XML/CustomControlXML/MacroControl.ui"},
    {"ShootKeySetControlUI", "XML/CustomControlXML/ShootControl.ui"},
    {"VirtualSetControlUI", "XML/CustomControlXML/VirtualSet.ui"},
}};

}  // namespace

const char* SubLayoutOfTag(std::string_view tag) {
    for (const SubLayout& s : kSubLayouts) {
        if (EqualsIgnoringCase(tag, s.tag))
            return s.layout;
    }
    return nullptr;
}

}  // namespace pages
