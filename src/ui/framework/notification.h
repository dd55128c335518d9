// Control notifications: what happened ("click", "itemselect", ...), to which
// control, with two message-style parameters.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>

namespace ui {

struct Notification {
    QString type;
    QPointer<QWidget> sender;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

// The notification types the program uses.
namespace notify {
inline constexpr const char* kWindowInit = "windowinit";
inline constexpr const char* kClick = "click";
inline constexpr const char* kSelectChanged = "selectchanged";
inline constexpr const char* kItemSelect = "itemselect";
inline constexpr const char* kItemClick = "itemclick";
inline constexpr const char* kItemActivate = "itemactivate";
inline constexpr const char* kValueChanged = "valuechanged";
inline constexpr const char* kMoveValueChanged = "movevaluechanged";
inline constexpr const char* kTextChanged = "textchanged";
inline constexpr const char* kReturn = "return";
inline constexpr const char* kKillFocus = "killfocus";
inline constexpr const char* kSetFocus = "setfocus";
inline constexpr const char* kDbClick = "dbclick";
inline constexpr const char* kMenu = "menu";
inline constexpr const char* kTimer = "timer";
inline constexpr const char* kWindowSize = "windowsize";
inline constexpr const char* kMouseEnter = "msenter";
inline constexpr const char* kMouseLeave = "msleave";
inline constexpr const char* kClickSelectEnd = "click_select_end";
inline constexpr const char* kClickWpRemove = "click_wpremove";
// A colour palette's selected colour changed through the user.
inline constexpr const char* kColorChanged = "colorchanged";
}  // namespace notify

}  // namespace ui
