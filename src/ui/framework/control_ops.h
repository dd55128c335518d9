// Lookups and small operations on controls. Every operation takes the result
// of a lookup as it is: a control that was not found makes it do nothing.
#pragma once

#include <QEvent>
#include <QString>

class QWidget;

namespace ui {

// The first descendant of `parent` (depth-first, in child order) whose name
// matches without case; null when there is none or `parent` is null.
QWidget* FindSubControlByName(QWidget* parent, const QString& name);

// Sends the control TextChangedEvent() after a button's text was set: a
// control that another widget paints learns of it even while hidden.
void SetControlText(QWidget* control, const QString& text);
QEvent::Type TextChangedEvent();
QString ControlText(QWidget* control);
void SetControlVisible(QWidget* control, bool visible);
void SetControlEnabled(QWidget* control, bool enabled);
// Checkable buttons; raises no notification.
void SetControlChecked(QWidget* control, bool checked);
bool ControlChecked(QWidget* control);
// Sliders, progress bars, spin boxes; raises no notification.
void SetControlValue(QWidget* control, int value);
// Combo boxes, stacked pages, tab widgets, item views; raises no notification.
void SetControlCurrentIndex(QWidget* control, int index);
int ControlCurrentIndex(QWidget* control);  // -1 when not found

}  // namespace ui
