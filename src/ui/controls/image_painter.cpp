#include "ui/controls/image_painter.h"

#include <QCache>
#include <QEvent>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QWidget>
#include <algorithm>

#include "pages/image_string.h"
#include "platform/debug_output.h"
#include "ui/framework/skin.h"
#include "ui/framework/window.h"

namespace ui {
namespace {

// Rendered strings: a control size at one scale each. Bounded by bytes so
// that a panned picture (a new source on every mouse move) cannot grow it
// without end.
constexpr int kRenderedCacheBytes = 48 * 1024 * 1024;

struct Caches {
    QHash<QString, QPixmap> pictures;  // resolved path + mask -> picture
    QCache<QString, QPixmap> rendered{kRenderedCacheBytes};
    QSet<QString> reported;  // names already written to the debug output
    int generation = 0;
};

Caches& TheCaches() {
    static Caches caches;
    return caches;
}

QRect ToQRect(const pages::IntRect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

// The file a name stands for, or empty. Skin-relative names come first; an
// absolute path only where the caller allows it.
QString ResolveFile(const QString& name, bool allowAbsolute) {
    if (name.isEmpty())
        return {};
    if (!name.contains(QLatin1Char(':'))) {
        const QString inSkin = Skin::Instance().FilePath(name);
        if (!inSkin.isEmpty())
            return inSkin;
    }
    if (allowAbsolute && QFileInfo(name).isAbsolute() && QFileInfo(name).isFile())
        return name;
    return {};
}

void ReportMissing(const QString& name) {
    Caches& c = TheCaches();
    if (c.reported.contains(name))
        return;
    c.reported.insert(name);
    platform::DebugOutput("image not loaded: " + name.toStdString());
}

QPixmap Picture(const pages::ImageString& parsed, const QString& name, bool allowAbsolute) {
    const QString path = ResolveFile(name, allowAbsolute);
    if (path.isEmpty()) {
        ReportMissing(name);
        return {};
    }
    Caches& c = TheCaches();
    const QString key =
        path + QLatin1Char('|') + (parsed.hasMask ? QString::number(parsed.mask, 16) : QString());
    auto it = c.pictures.constFind(key);
    if (it != c.pictures.cend())
        return *it;
    QImage image(path);
    if (image.isNull()) {
        ReportMissing(name);
        c.pictures.insert(key, QPixmap());
        return {};
    }
    if (parsed.hasMask) {
        // The mask colour becomes transparent (its alpha byte is ignored).
        image = image.convertToFormat(QImage::Format_ARGB32);
        const QRgb key = parsed.mask & 0x00FFFFFFu;
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if ((line[x] & 0x00FFFFFFu) == key)
                    line[x] = 0;
            }
        }
    }
    QPixmap pixmap = QPixmap::fromImage(image);
    c.pictures.insert(key, pixmap);
    return pixmap;
}

void DrawPiece(QPainter& p, const QPixmap& picture, const pages::ImagePiece& piece, int dpi) {
    const QRect src = ToQRect(piece.source);
    const QRect dst = ToQRect(piece.dest);
    if (!piece.tileX && !piece.tileY) {
        p.drawPixmap(dst, picture, src);
        return;
    }
    // A tile keeps the source's size at this scale along a tiled axis and
    // stretches to the destination along the other.
    const int tileW = piece.tileX ? std::max(1, pages::ScaleToDpi(src.width(), dpi)) : dst.width();
    const int tileH =
        piece.tileY ? std::max(1, pages::ScaleToDpi(src.height(), dpi)) : dst.height();
    p.save();
    p.setClipRect(dst, Qt::IntersectClip);
    for (int y = dst.top(); y <= dst.bottom(); y += tileH) {
        for (int x = dst.left(); x <= dst.right(); x += tileW)
            p.drawPixmap(QRect(x, y, tileW, tileH), picture, src);
    }
    p.restore();
}

}  // namespace

int WidgetDpi(const QWidget* w) {
    const auto* window = w != nullptr ? qobject_cast<const Window*>(w->window()) : nullptr;
    return window != nullptr ? window->DPI() : 96;
}

QPixmap LoadImagePicture(const QString& imageString, const ImageDrawOptions& options) {
    const pages::ImageString parsed = pages::ParseImageString(imageString.toStdString());
    const QString name =
        options.fileOverride.isEmpty() ? QString::fromStdString(parsed.file) : options.fileOverride;
    if (name.isEmpty())
        return {};
    return Picture(parsed, name, options.allowAbsolutePath);
}

QPixmap RenderImageString(const QString& imageString, const QSize& size, int dpi,
                          const ImageDrawOptions& options) {
    if (imageString.trimmed().isEmpty() || size.isEmpty() || dpi <= 0)
        return {};
    Caches& c = TheCaches();
    const QString key = imageString + QLatin1Char('|') + options.fileOverride + QLatin1Char('|') +
                        QString::number(size.width()) + QLatin1Char('x') +
                        QString::number(size.height()) + QLatin1Char('@') + QString::number(dpi) +
                        (options.allowAbsolutePath ? "a" : "");
    if (const QPixmap* done = c.rendered.object(key))
        return *done;

    const pages::ImageString parsed = pages::ParseImageString(imageString.toStdString());
    const QString name =
        options.fileOverride.isEmpty() ? QString::fromStdString(parsed.file) : options.fileOverride;
    const QPixmap picture =
        name.isEmpty() ? QPixmap() : Picture(parsed, name, options.allowAbsolutePath);
    QPixmap out;
    if (!picture.isNull()) {
        const pages::IntRect box{0, 0, size.width(), size.height()};
        const auto pieces = pages::LayoutImage(parsed, box, picture.width(), picture.height(), dpi);
        if (!pieces.empty()) {
            out = QPixmap(size);
            out.fill(Qt::transparent);
            QPainter p(&out);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.setOpacity(parsed.fade / 255.0);
            for (const pages::ImagePiece& piece : pieces)
                DrawPiece(p, picture, piece, dpi);
        }
    }
    const qsizetype cost = std::max<qsizetype>(1, qsizetype(out.width()) * out.height() * 4);
    c.rendered.insert(key, new QPixmap(out), cost);
    return out;
}

bool DrawImageString(QPainter& painter, const QRect& control, const QString& imageString, int dpi,
                     const ImageDrawOptions& options) {
    if (control.isEmpty())
        return false;
    if (painter.hasClipping() && !painter.clipBoundingRect().intersects(QRectF(control)))
        return false;
    const QPixmap out = RenderImageString(imageString, control.size(), dpi, options);
    if (out.isNull())
        return false;
    painter.drawPixmap(control.topLeft(), out);
    return true;
}

void ClearImageCache() {
    Caches& c = TheCaches();
    c.pictures.clear();
    c.rendered.clear();
    c.reported.clear();
    ++c.generation;
}

int ImageCacheGeneration() {
    return TheCaches().generation;
}

namespace {

constexpr const char* kImageProperty = "_qx70ControlImage";
constexpr const char* kPainterName = "_qx70ControlImagePainter";

// Paints before the widget's own painting: a style sheet's background is
// already drawn when the paint event arrives, a label's text comes after.
class ControlImagePainter : public QObject {
  public:
    explicit ControlImagePainter(QWidget* widget) : QObject(widget) {
        setObjectName(QString::fromLatin1(kPainterName));
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint)
            return false;
        auto* w = static_cast<QWidget*>(watched);
        const QString image = ControlImage(w);
        if (!image.isEmpty()) {
            QPainter p(w);
            DrawImageString(p, w->rect(), image, WidgetDpi(w));
        }
        return false;
    }
};

}  // namespace

void SetControlImage(QWidget* widget, const QString& imageString) {
    if (widget == nullptr)
        return;
    if (widget->property(kImageProperty).toString() == imageString)
        return;
    widget->setProperty(kImageProperty, imageString);
    if (widget->findChild<ControlImagePainter*>(QString::fromLatin1(kPainterName),
                                                Qt::FindDirectChildrenOnly) == nullptr) {
        widget->installEventFilter(new ControlImagePainter(widget));
    }
    widget->update();
}

QString ControlImage(const QWidget* widget) {
    return widget != nullptr ? widget->property(kImageProperty).toString() : QString();
}

}  // namespace ui
