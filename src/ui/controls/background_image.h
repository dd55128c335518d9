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
// Paints the picture file at `path` (a file the user chose, taken as a
// path and nothing else) over the whole of `widget`, cut to keep its
// proportions. A file that is no picture paints nothing. An empty path
// removes it.
void SetBackgroundPictureFile(QWidget* widget, const QString& path);

}  // namespace ui
