// The one way the program's controls draw an image string: parse it, load
// the picture once, lay it out for the control's rectangle at the window's
// scale and draw the pieces with QPainter. What is drawn for one string,
// size and scale is kept, so a repaint is a single copy and a picture is
// rescaled only when the scale or the size changes. A picture that cannot be
// loaded draws nothing and is reported once on the debug output.
#pragma once

#include <QPixmap>
#include <QRect>
#include <QString>

class QPainter;
class QWidget;

namespace ui {

struct ImageDrawOptions {
    // Names that are not below the skin folder may be read as absolute
    // paths (pictures the user picked).
    bool allowAbsolutePath = false;
    // Draw this file instead of the string's own name (keys still apply).
    QString fileOverride;
};

// Draws `imageString` into `control` (window pixels) at `dpi`. Returns false
// when nothing was drawn (empty string, no picture, nothing laid out, or
// `control` outside the painter's clip when one is set).
bool DrawImageString(QPainter& painter, const QRect& control, const QString& imageString, int dpi,
                     const ImageDrawOptions& options = {});

// What DrawImageString draws for `imageString` over a control of `size` at
// `dpi`, as one picture the size of the control (kept like every drawn
// string); null when nothing would be drawn.
QPixmap RenderImageString(const QString& imageString, const QSize& size, int dpi,
                          const ImageDrawOptions& options = {});

// The picture a string names, unscaled; null when it cannot be loaded.
QPixmap LoadImagePicture(const QString& imageString, const ImageDrawOptions& options = {});

// The scale (dpi) of the window `w` lives in; 96 outside a program window.
int WidgetDpi(const QWidget* w);

// Paints `imageString` over `widget`'s rectangle after the widget's own
// painting is done by its style (labels, plain panels): a status picture set
// by code. An empty string removes it.
void SetControlImage(QWidget* widget, const QString& imageString);
QString ControlImage(const QWidget* widget);

// Drops every kept picture (tests, a skin change).
void ClearImageCache();
// Counts the ClearImageCache calls: a control that keeps pictures of its own
// drops them when this changes.
int ImageCacheGeneration();

}  // namespace ui
