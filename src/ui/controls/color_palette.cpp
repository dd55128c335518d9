#include "ui/controls/color_palette.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "ui/framework/control_factory.h"
#include "ui/framework/layout_loader.h"
#include "ui/framework/window.h"

namespace ui {
namespace {

QColor ToQColor(uint32_t argb) {
    return QColor(pages::RedOf(argb), pages::GreenOf(argb), pages::BlueOf(argb));
}

}  // namespace

void CColorPaletteUI::Register() {
    auto create = [](QWidget* parent) -> QWidget* { return new CColorPaletteUI(parent); };
    ControlFactory::Instance().RegisterControl(QString::fromLatin1(kClassName), create);
    ControlFactory::Instance().RegisterControl(QStringLiteral("CColorPaletteUI"), create);
}

CColorPaletteUI::CColorPaletteUI(QWidget* parent) : QWidget(parent) {
    setProperty("controlClass", QString::fromLatin1(kClassName));
    // Pointer notifications of the window's filter would report the drag as
    // clicks on the whole control; the palette raises its own.
    setProperty(kCustomControlProperty, true);
    setMinimumSize(60, 40);
    setCursor(Qt::CrossCursor);
}

QRect CColorPaletteUI::StripRect() const {
    const int stripWidth = std::max(8, width() / 12);
    return QRect(width() - stripWidth, 0, stripWidth, height());
}

QRect CColorPaletteUI::AreaRect() const {
    const int gap = std::max(4, width() / 40);
    return QRect(0, 0, std::max(1, StripRect().left() - gap), height());
}

void CColorPaletteUI::SetSelectColor(uint32_t argb) {
    colour_ = argb;
    hsv_ = pages::HsvOfArgb(argb, hsv_.hue);
    update();
}

void CColorPaletteUI::RebuildArea() {
    const QRect r = AreaRect();
    if (r.isEmpty())
        return;
    if (area_.size() == r.size() && areaHue_ == hsv_.hue)
        return;
    area_ = QImage(r.size(), QImage::Format_RGB32);
    const int w = r.width(), h = r.height();
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(area_.scanLine(y));
        const int value = h > 1 ? 255 - y * 255 / (h - 1) : 255;
        for (int x = 0; x < w; ++x) {
            const int saturation = w > 1 ? x * 255 / (w - 1) : 255;
            line[x] = pages::ArgbOfHsv({hsv_.hue, saturation, value});
        }
    }
    areaHue_ = hsv_.hue;
}

void CColorPaletteUI::paintEvent(QPaintEvent*) {
    RebuildArea();
    QPainter p(this);
    const QRect area = AreaRect();
    p.drawImage(area.topLeft(), area_);
    const QRect strip = StripRect();
    QLinearGradient hues(strip.topLeft(), strip.bottomLeft());
    for (int i = 0; i <= 6; ++i)
        hues.setColorAt(i / 6.0, ToQColor(pages::ArgbOfHsv({i * 60, 255, 255})));
    p.fillRect(strip, hues);

    // Markers: a ring at the colour in the area, a bar at the hue.
    const int mx = area.left() + hsv_.saturation * (area.width() - 1) / 255;
    const int my = area.top() + (255 - hsv_.value) * (area.height() - 1) / 255;
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(hsv_.value > 128 ? Qt::black : Qt::white, 2));
    p.drawEllipse(QPoint(mx, my), 5, 5);
    const int hy = strip.top() + hsv_.hue * (strip.height() - 1) / 359;
    p.setPen(QPen(Qt::white, 2));
    p.drawRect(strip.left(), hy - 2, strip.width() - 1, 4);
}

void CColorPaletteUI::PickAt(QPoint pos) {
    pages::Hsv next = hsv_;
    if (drag_ == Drag::Strip) {
        const QRect strip = StripRect();
        const int y = std::clamp(pos.y() - strip.top(), 0, std::max(0, strip.height() - 1));
        next.hue = strip.height() > 1 ? y * 359 / (strip.height() - 1) : 0;
    } else if (drag_ == Drag::Area) {
        const QRect area = AreaRect();
        const int x = std::clamp(pos.x() - area.left(), 0, std::max(0, area.width() - 1));
        const int y = std::clamp(pos.y() - area.top(), 0, std::max(0, area.height() - 1));
        next.saturation = area.width() > 1 ? x * 255 / (area.width() - 1) : 255;
        next.value = area.height() > 1 ? 255 - y * 255 / (area.height() - 1) : 255;
    } else {
        return;
    }
    const uint32_t colour = pages::ArgbOfHsv(next);
    const bool changed = colour != colour_;
    hsv_ = next;
    colour_ = colour;
    update();
    if (!changed)
        return;
    if (auto* w = qobject_cast<Window*>(window()))
        w->SendNotify(this, QString::fromLatin1(notify::kColorChanged), colour_);
}

void CColorPaletteUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled())
        return;
    const QPoint pos = event->position().toPoint();
    drag_ = StripRect().contains(pos) ? Drag::Strip : Drag::Area;
    PickAt(pos);
}

void CColorPaletteUI::mouseMoveEvent(QMouseEvent* event) {
    if ((event->buttons() & Qt::LeftButton) != 0)
        PickAt(event->position().toPoint());
}

void CColorPaletteUI::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        drag_ = Drag::None;
}

void CColorPaletteUI::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    area_ = QImage();
}

}  // namespace ui
