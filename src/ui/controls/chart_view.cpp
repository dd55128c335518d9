#include "ui/controls/chart_view.h"

#include <QAbstractTextDocumentLayout>
#include <QDynamicPropertyChangeEvent>
#include <QPainter>
#include <QTextDocument>

#include "pages/control_geometry.h"
#include "pages/control_name.h"
#include "ui/controls/image_painter.h"
#include "ui/framework/font_table.h"
#include "ui/framework/layout_loader.h"
#include "ui/framework/window.h"

namespace ui {
namespace {

QRect ToQRect(const pages::IntRect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

QColor PaletteColour(uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>(bgr >> 8 & 0xFF),
                  static_cast<int>(bgr >> 16 & 0xFF));
}

}  // namespace

CChartViewUI::CChartViewUI(QWidget* parent) : QWidget(parent) {
    setProperty("controlClass", QString::fromLatin1(kClassName));
}

bool CChartViewUI::SetAttribute(const QString& name, const QString& value) {
    const int number = pages::LeadingNumber(value.toStdString());
    if (name == QLatin1String("view")) {
        if (value == QLatin1String("pie"))
            view_ = kPie;
        else if (value == QLatin1String("histpgram"))
            view_ = kHistogram;
    } else if (name == QLatin1String("shadowimage")) {
        shadowImage_ = value;
    } else if (name == QLatin1String("shadowimageheight")) {
        shadowHeight_ = std::max(number, 0);
    } else if (name == QLatin1String("pillarimage")) {
        pillarImage_ = value;
    } else if (name == QLatin1String("pillarimagewidth")) {
        pillarWidth_ = std::max(number, 0);
    } else if (name == QLatin1String("showhtml")) {
        showHtml_ = value == QLatin1String("true");
    } else if (name == QLatin1String("showtext")) {
        showText_ = value == QLatin1String("true");
    } else if (name == QLatin1String("font")) {
        font_ = number;
    } else {
        return false;
    }
    update();
    return true;
}

void CChartViewUI::AddItem(const QString& name, double value) {
    items_.push_back({name, value});
    update();
}

void CChartViewUI::ClearItems() {
    items_.clear();
    update();
}

bool CChartViewUI::event(QEvent* event) {
    if (event->type() == QEvent::DynamicPropertyChange) {
        const QByteArray name = static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName();
        if (!name.startsWith('_'))
            SetAttribute(QString::fromLatin1(name), property(name).toString());
    } else if (event->type() == LayoutAttributeEvent::EventType()) {
        // "font" is also a Qt property, of another type.
        const auto* attribute = static_cast<LayoutAttributeEvent*>(event);
        SetAttribute(attribute->Name(), attribute->Value());
        return true;
    }
    return QWidget::event(event);
}

QFont CChartViewUI::ChartFont() const {
    auto* w = qobject_cast<Window*>(window());
    std::optional<FontSpec> fontSpec;
    if (font_ >= 0) {
        fontSpec = w != nullptr ? w->Fonts().Find(font_) : std::nullopt;
        if (!fontSpec)
            fontSpec = FontTable::Shared().Find(font_);
    }
    return fontSpec ? MakeFont(*fontSpec, WidgetDpi(this)) : font();
}

void CChartViewUI::DrawName(QPainter& p, const QRect& box, const QString& name, int flags) {
    if (!showHtml_) {
        // Names come from outside: plain text unless the layout asks for HTML.
        p.drawText(box, flags, name);
        return;
    }
    QTextDocument doc;
    doc.setDefaultFont(p.font());
    doc.setHtml(name);
    doc.setTextWidth(box.width());
    p.save();
    p.translate(box.left(), box.top() + std::max(0.0, (box.height() - doc.size().height()) / 2));
    doc.drawContents(&p, QRectF(0, 0, box.width(), box.height()));
    p.restore();
}

void CChartViewUI::DrawOrDrop(QPainter& p, const QRect& box, QString& image) {
    if (image.isEmpty() || box.isEmpty())
        return;
    if (LoadImagePicture(image).isNull()) {
        image.clear();
        return;
    }
    DrawImageString(p, box, image, WidgetDpi(this));
}

void CChartViewUI::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setFont(ChartFont());
    if (view_ == kPie)
        PaintPie(p);
    else
        PaintHistogram(p);
}

void CChartViewUI::PaintPie(QPainter& p) {
    std::vector<double> values;
    values.reserve(items_.size());
    for (const Item& item : items_)
        values.push_back(item.value);
    const pages::PieLayout layout =
        pages::LayoutPie(pages::IntRect{0, 0, width(), height()}, values, showText_);
    if (layout.pie.IsEmpty())
        return;
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const QRectF pie = ToQRect(layout.pie);
    p.setBrush(QColor(30, 30, 30, 30));
    p.drawEllipse(pie.adjusted(-4, -4, 4, 4));
    p.setBrush(QColor(100, 100, 100, 100));
    p.drawEllipse(pie.adjusted(-1, -1, 1, 1));
    for (const pages::PieSlice& slice : layout.slices) {
        if (slice.sweepDegrees <= 0)
            continue;
        p.setBrush(PaletteColour(slice.colour));
        p.drawPie(pie, static_cast<int>(-slice.startDegrees * 16),
                  static_cast<int>(-slice.sweepDegrees * 16));
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    for (size_t j = 0; j < layout.legendSquares.size(); ++j) {
        const QRect square = ToQRect(layout.legendSquares[j]);
        p.setPen(Qt::NoPen);
        p.setBrush(PaletteColour(pages::kChartPalette[j % pages::kChartPalette.size()]));
        p.drawRect(square);
        p.setPen(palette().color(QPalette::WindowText));
        const QRect text(square.right() + 5, square.top() - 2, width() - square.right() - 5, 22);
        DrawName(p, text, items_[j].name, Qt::AlignLeft | Qt::AlignVCenter);
    }
}

void CChartViewUI::PaintHistogram(QPainter& p) {
    std::vector<double> values;
    values.reserve(items_.size());
    for (const Item& item : items_)
        values.push_back(item.value);
    const pages::HistogramLayout layout = pages::LayoutHistogram(
        pages::IntRect{0, 0, width(), height()}, values, pillarWidth_, shadowHeight_, showText_);
    DrawOrDrop(p, ToQRect(layout.shadow), shadowImage_);
    for (size_t i = 0; i < layout.pillars.size(); ++i) {
        const QRect pillar = ToQRect(layout.pillars[i]);
        DrawOrDrop(p, pillar, pillarImage_);
        if (showText_) {
            const QRect band(pillar.left() - pillar.width(), layout.nameBandTop, pillar.width() * 3,
                             height() - layout.nameBandTop);
            DrawName(p, band, items_[i].name, Qt::AlignCenter);
        }
    }
}

}  // namespace ui
