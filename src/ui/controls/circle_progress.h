// CCircleProgressUI ("CircleProgress"): progress shown as a ring. A full
// disc in the background colour, a sector in the foreground colour from the
// bottom (clockwise from the positive x axis, 90 degrees) sweeping the
// value's share of the range, and a white disc inset by 10 design pixels
// over both, which leaves the ring.
#pragma once

#include <QColor>
#include <QProgressBar>

namespace ui {

class CCircleProgressUI : public QProgressBar {
    Q_OBJECT
  public:
    static constexpr const char* kClassName = "CircleProgress";

    explicit CCircleProgressUI(QWidget* parent = nullptr);

    // "bkcolor", "forecolor" (#AARRGGBB, 0xAARRGGBB or #RRGGBB), "min",
    // "max", "value"; false for any other name.
    bool SetAttribute(const QString& name, const QString& value);
    QColor BackColour() const { return back_; }
    QColor ForeColour() const { return fore_; }
    // Whole degrees the foreground sweeps now.
    int SweepDegrees() const;

    // A colour attribute's value; invalid when it is not one.
    static QColor ParseColour(const QString& text);

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor back_{220, 220, 220};
    QColor fore_{0, 160, 233};
};

}  // namespace ui
