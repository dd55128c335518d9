#include "ui/controls/background_image.h"

#include <QEvent>
#include <QPainter>
#include <QPixmap>
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
    void SetImage(const QString& image) {
        image_ = image;
        file_ = QPixmap();
        scaledFile_ = QPixmap();
    }
    void SetFile(const QPixmap& picture) {
        image_.clear();
        file_ = picture;
        scaledFile_ = QPixmap();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        // The style sheet's background is already drawn when the paint
        // event arrives; the widget's own painting, if any, comes after.
        if (event->type() != QEvent::Paint)
            return false;
        auto* w = static_cast<QWidget*>(watched);
        if (!file_.isNull()) {
            // Scaled once per size, not per frame.
            if (scaledFile_.size() != w->size() || scaledFile_.isNull())
                scaledFile_ =
                    file_
                        .scaled(w->size(), Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation)
                        .copy(QRect(QPoint(0, 0), w->size()));
            QPainter p(w);
            p.drawPixmap(0, 0, scaledFile_);
            return false;
        }
        if (image_.isEmpty())
            return false;
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
    QPixmap file_;
    QPixmap scaledFile_;
};

BackgroundImagePainter* PainterOf(QWidget* widget) {
    auto* painter = widget->findChild<BackgroundImagePainter*>(QString::fromLatin1(kPainterName),
                                                               Qt::FindDirectChildrenOnly);
    if (painter == nullptr) {
        painter = new BackgroundImagePainter(widget);
        widget->installEventFilter(painter);
    }
    return painter;
}

}  // namespace

void SetBackgroundImage(QWidget* widget, const QString& imageString) {
    if (widget == nullptr)
        return;
    PainterOf(widget)->SetImage(imageString.trimmed());
    widget->setProperty("bkimage", imageString);
    widget->update();
}

void SetBackgroundPictureFile(QWidget* widget, const QString& path) {
    if (widget == nullptr)
        return;
    QPixmap picture;
    if (!path.isEmpty())
        picture.load(path);
    if (picture.isNull())
        PainterOf(widget)->SetImage(QString());
    else
        PainterOf(widget)->SetFile(picture);
    widget->setProperty("bkimage", path);
    widget->update();
}

}  // namespace ui
