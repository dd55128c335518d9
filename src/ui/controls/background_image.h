// A control's background image ("bkimage") painted by the program rather than
// through a style sheet: a path never becomes style-sheet text, and the image
// scales with the window like everything laid over it.
#pragma once

#include <QString>

class QWidget;

namespace ui {

// Paints `imageString` (a skin path or file='...') centred behind `widget`'s
// children, at its design size times the window's scale, over the widget's
// own background. An empty string removes it.
void SetBackgroundImage(QWidget* widget, const QString& imageString);

}  // namespace ui
