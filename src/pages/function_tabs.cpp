#include "pages/function_tabs.h"

namespace pages {

const std::array<const char*, kFunctionTabCount> kFunctionTabNames = {
    "deng_Op_tab",       "key_Op_tab",   "macro_Op_tab",      "system_Op_tab",   "cursor_Op_tab",
    "6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab", "otherset_Op_tab",
};

namespace {

enum : int { kLight = 1, kKey, kMacro, kSystem, kCursor, kVoice, kMagic, kVirtual, kOther };

}  // namespace

std::optional<bool> FunctionTabShown(int deviceType, int type) {
    switch (deviceType) {
        case 1:  // keyboard
            if (type == kCursor || type == kOther)
                return false;
            break;
        case 2:  // mouse
            if (type == kLight)
                return true;
            break;
        case 3:  // mouse pad
        case 5:  // hub
            if (type == kCursor || type == kMacro || type == kSystem || type == kKey)
                return false;
            break;
        case 4:  // speaker-type headset: keeps its settings tab
            if (type == kCursor || type == kMacro || type == kKey)
                return false;
            break;
        case 7:  // headset
            if (type == kCursor || type == kMacro || type == kSystem || type == kKey)
                return false;
            if (type == kVoice || type == kMagic || type == kVirtual)
                return true;
            break;
        default:
            break;
    }
    return std::nullopt;
}

std::array<bool, kFunctionTabCount> FunctionTabMarks(int type) {
    std::array<bool, kFunctionTabCount> marks{};
    if (type >= 1 && type <= kFunctionTabCount)
        marks[static_cast<size_t>(type - 1)] = true;
    return marks;
}

}  // namespace pages
