// A control's own colour ("bkcolor"): swatches, colour buttons and the
// window's root show a colour the program paints, never one spliced into a
// style sheet. The layout names it as a string property ("FFFF0000",
// "#FFFF0000" or "0xFFFF0000": 1 to 8 hexadecimal digits of 0xAARRGGBB).
#pragma once

#include <cstdint>
#include <optional>

class QWidget;

namespace ui {

// The colour the control shows; nullopt when it has none (or the layout's
// text is not a colour).
std::optional<uint32_t> ControlBkColor(const QWidget* control);
// Gives the control a colour, painted under its own drawing (0 alpha shows
// nothing). Null control: nothing.
void SetControlBkColor(QWidget* control, uint32_t argb);
// Removes the colour.
void ClearControlBkColor(QWidget* control);
// Paints the colours a layout gave `root` and its descendants.
void BindColourFills(QWidget* root);

}  // namespace ui
