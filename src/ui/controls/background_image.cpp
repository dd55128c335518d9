#include "ui/controls/background_image.h"

#include <QEvent>
#include <QPainter>
#include <QWidget>

#include "ui/controls/device_key_button.h"

namespace ui {
namespace {

constexpr const char* kPainterName = "_qx70BackgroundImage";

class BackgroundImagePainter : public QObject {
  public:
    explicit BackgroundImagePainter(QWidget* widget) : QObject(widget) {
        setObjectName(QString::fromLatin1(kPainterName));
    }
    void SetImage(const QString& image) { image_ = image; }

    bool eventFilter(QObject* watched, QEvent* event) override {
        // The style sheet's background is already drawn when the paint
        // event arrives; the widget's own painting, if any, comes after.
        if (event->type() != QEvent::Paint || image_.isEmpty())
            return false;
        auto* w = static_cast<QWidget*>(watched);
        const QPixmap& source = SkinPixmap(image_);
        if (source.isNull())
            return false;
        const QSize size = (QSizeF(source.size()) * WindowScale(w)).toSize();
        const QPixmap& picture = ScaledSkinPixmap(image_, size);
        if (picture.isNull())
            return false;
        QPainter p(w);
        p.drawPixmap((w->width() - picture.width()) / 2, (w->height() - picture.height()) / 2,
                     picture);
        return false;
    }

  private:
    QString image_;
};

}  // namespace

void SetBackgroundImage(QWidget* widget, const QString& imageString) {
    if (widget == nullptr)
        return;
    auto* painter = widget->findChild<BackgroundImagePainter*>(QString::fromLatin1(kPainterName),
                                                               Qt::FindDirectChildrenOnly);
    if (painter == nullptr) {
        painter = new BackgroundImagePainter(widget);
        widget->installEventFilter(painter);
    }
    painter->SetImage(imageString.trimmed());
    widget->setProperty("bkimage", imageString);
    widget->update();
}

}  // namespace ui
