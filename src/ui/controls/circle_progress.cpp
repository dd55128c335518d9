#include "ui/controls/circle_progress.h"

#include <QDynamicPropertyChangeEvent>
#include <QPainter>

#include "pages/control_geometry.h"
#include "pages/control_name.h"
#include "ui/controls/image_button.h"
#include "ui/controls/image_painter.h"

namespace ui {

CCircleProgressUI::CCircleProgressUI(QWidget* parent) : QProgressBar(parent) {
    setProperty("controlClass", QString::fromLatin1(kClassName));
    setTextVisible(false);
    setRange(0, 100);
    setValue(0);
}

QColor CCircleProgressUI::ParseColour(const QString& text) {
    QString t = text.trimmed();
    if (t.startsWith(QLatin1Char('#')))
        t.remove(0, 1);
    else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        t.remove(0, 2);
    else
        return {};
    bool ok = false;
    const uint v = t.toUInt(&ok, 16);
    if (!ok || (t.size() != 6 && t.size() != 8))
        return {};
    const int alpha = t.size() == 8 ? static_cast<int>(v >> 24) : 255;
    return QColor(static_cast<int>(v >> 16 & 0xFF), static_cast<int>(v >> 8 & 0xFF),
                  static_cast<int>(v & 0xFF), alpha);
}

bool CCircleProgressUI::SetAttribute(const QString& name, const QString& value) {
    if (SameName(name, "bkcolor") || SameName(name, "forecolor")) {
        const QColor c = ParseColour(value);
        if (c.isValid()) {
            (SameName(name, "bkcolor") ? back_ : fore_) = c;
            update();
        }
        return true;
    }
    const int number = pages::LeadingNumber(value.toStdString());
    if (SameName(name, "min")) {
        // QProgressBar would move the maximum along; the range keeps what
        // the layout gives, an empty one then draws no sweep.
        setMinimum(std::min(number, maximum()));
        return true;
    }
    if (SameName(name, "max")) {
        setMaximum(std::max(number, minimum()));
        return true;
    }
    if (SameName(name, "value")) {
        setValue(std::clamp(number, minimum(), maximum()));
        update();
        return true;
    }
    return false;
}

int CCircleProgressUI::SweepDegrees() const {
    return pages::CircleSweepDegrees(value(), minimum(), maximum());
}

bool CCircleProgressUI::event(QEvent* event) {
    if (event->type() == QEvent::DynamicPropertyChange) {
        const QByteArray name = static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName();
        if (!name.startsWith('_'))
            SetAttribute(QString::fromLatin1(name), property(name).toString());
    }
    return QProgressBar::event(event);
}

void CCircleProgressUI::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const QRectF box(rect());
    p.setBrush(back_);
    p.drawEllipse(box);
    const int sweep = SweepDegrees();
    if (sweep > 0) {
        p.setBrush(fore_);
        // Qt's angles run counter-clockwise: clockwise degrees are negative.
        p.drawPie(box, -pages::kCircleStartDegrees * 16, -sweep * 16);
    }
    const qreal inset = pages::ScaleToDpi(10, WidgetDpi(this));
    const QRectF hole = box.adjusted(inset, inset, -inset, -inset);
    if (hole.isValid()) {
        p.setBrush(Qt::white);
        p.drawEllipse(hole);
    }
}

}  // namespace ui
