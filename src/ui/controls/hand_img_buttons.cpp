#include "ui/controls/hand_img_buttons.h"

#include <QMouseEvent>
#include <QPainter>

#include "pages/control_geometry.h"
#include "platform/debug_output.h"
#include "ui/controls/image_painter.h"
#include "ui/framework/notification.h"

namespace ui {
namespace {

ImageDrawOptions AnyPath() {
    ImageDrawOptions options;
    options.allowAbsolutePath = true;
    return options;
}

int Scale(int v, int dpi) {
    return pages::ScaleToDpi(v, dpi);
}

}  // namespace

// ---------------------------------------------------------------- hand picture

CHandImgButtonUI::CHandImgButtonUI(QWidget* parent) : CImageButtonUI(parent) {
    setProperty("controlClass", QString::fromLatin1(kClassName));
}

bool CHandImgButtonUI::SetAttribute(const QString& name, const QString& value) {
    if (SameName(name, "handimage")) {
        SetHandImage(value);
        return true;
    }
    if (SameName(name, "deletenormalimage")) {
        deleteNormalImage_ = value;
        return true;
    }
    if (SameName(name, "deletehotimage")) {
        deleteHotImage_ = value;
        return true;
    }
    return CImageButtonUI::SetAttribute(name, value);
}

void CHandImgButtonUI::SetHandImage(const QString& image) {
    handImage_ = image;
    update();
}

void CHandImgButtonUI::SetDeleteHidden(bool hidden) {
    if (hidden != deleteHidden_) {
        deleteHidden_ = hidden;
        update();
    }
}

QRect CHandImgButtonUI::DeleteArea() const {
    const int dpi = WidgetDpi(this);
    const int side = Scale(20, dpi);
    const int right = width() - Scale(10, dpi);
    const int top = height() - Scale(29, dpi);
    return QRect(right - side, top, side, side);
}

void CHandImgButtonUI::paintEvent(QPaintEvent*) {
    QPainter p(this);
    PaintStatus(p);
    const int dpi = WidgetDpi(this);
    if (!handImage_.isEmpty())
        DrawImageString(p, rect(), handImage_, dpi, AnyPath());
    if (IsHot() && !deleteHidden_ && !chosenDelete_->isEmpty())
        DrawImageString(p, DeleteArea(), *chosenDelete_, dpi);
}

void CHandImgButtonUI::mousePressEvent(QMouseEvent* event) {
    CImageButtonUI::mousePressEvent(event);
}

void CHandImgButtonUI::mouseDoubleClickEvent(QMouseEvent* event) {
    // A second press pushes the button again, like the first.
    CImageButtonUI::mousePressEvent(event);
}

void CHandImgButtonUI::mouseReleaseEvent(QMouseEvent* event) {
    if (isDown() && !deleteHidden_ && DeleteArea().contains(event->position().toPoint())) {
        setDown(false);
        Notify(kDeleteNotify);
        event->accept();
        return;
    }
    CImageButtonUI::mouseReleaseEvent(event);
}

void CHandImgButtonUI::mouseMoveEvent(QMouseEvent* event) {
    const QString* chosen =
        DeleteArea().contains(event->position().toPoint()) ? &deleteHotImage_ : &deleteNormalImage_;
    if (chosen != chosenDelete_) {
        chosenDelete_ = chosen;
        if (!deleteHidden_)
            update();
    }
    CImageButtonUI::mouseMoveEvent(event);
}

void CHandImgButtonUI::enterEvent(QEnterEvent* event) {
    if (isEnabled()) {
        SetHot(true);
        Notify(notify::kMouseEnter);
    }
    CImageButtonUI::enterEvent(event);
}

void CHandImgButtonUI::leaveEvent(QEvent* event) {
    SetHot(false);
    Notify(notify::kMouseLeave);
    CImageButtonUI::leaveEvent(event);
}

// ---------------------------------------------------------------- panned picture

CHandImgSelectButtonUI::CHandImgSelectButtonUI(QWidget* parent) : CImageButtonUI(parent) {
    setProperty("controlClass", QString::fromLatin1(kClassName));
}

bool CHandImgSelectButtonUI::CursorShapeFor(const QString& name, Qt::CursorShape& shape) {
    static const struct {
        const char* name;
        Qt::CursorShape shape;
    } kCursors[] = {
        {"arrow", Qt::ArrowCursor},        {"ibeam", Qt::IBeamCursor},
        {"wait", Qt::WaitCursor},          {"cross", Qt::CrossCursor},
        {"uparrow", Qt::UpArrowCursor},    {"size", Qt::SizeAllCursor},
        {"icon", Qt::ArrowCursor},         {"sizenwse", Qt::SizeFDiagCursor},
        {"sizenesw", Qt::SizeBDiagCursor}, {"sizewe", Qt::SizeHorCursor},
        {"sizens", Qt::SizeVerCursor},     {"sizeall", Qt::SizeAllCursor},
        {"no", Qt::ForbiddenCursor},       {"hand", Qt::PointingHandCursor},
    };
    for (const auto& c : kCursors) {
        if (SameName(name.trimmed(), c.name)) {
            shape = c.shape;
            return true;
        }
    }
    return false;
}

bool CHandImgSelectButtonUI::SetAttribute(const QString& name, const QString& value) {
    if (SameName(name, "handimage")) {
        SetHandImage(value);
        return true;
    }
    if (SameName(name, "cursor")) {
        Qt::CursorShape shape = Qt::ArrowCursor;
        if (CursorShapeFor(value, shape))
            setCursor(shape);
        else
            platform::DebugOutputF("cursor %s not known", qPrintable(value));
        return true;
    }
    return CImageButtonUI::SetAttribute(name, value);
}

QSize CHandImgSelectButtonUI::DesignSize() const {
    const int dpi = WidgetDpi(this);
    return QSize(width() * 96 / dpi, height() * 96 / dpi);
}

void CHandImgSelectButtonUI::SetHandImage(const QString& path) {
    // A picture that cannot be loaded keeps the one shown: the drawn string
    // and later pans then still name a picture that exists.
    const QPixmap picture = LoadImagePicture(path, AnyPath());
    if (picture.isNull())
        return;
    handImage_ = path;
    pictureSize_ = picture.size();
    const QSize box = DesignSize();
    source_ = pages::InitialHandSource(box.width(), box.height(), pictureSize_.width(),
                                       pictureSize_.height());
    drawImage_ = source_.IsZero()
                     ? path
                     : QString::fromStdString(pages::HandImageString(path.toStdString(), source_));
    update();
}

void CHandImgSelectButtonUI::resizeEvent(QResizeEvent* event) {
    CImageButtonUI::resizeEvent(event);
    // The part shown is chosen for the button's size.
    if (!handImage_.isEmpty() && !dragging_)
        SetHandImage(handImage_);
}

void CHandImgSelectButtonUI::paintEvent(QPaintEvent*) {
    QPainter p(this);
    PaintStatus(p);
    if (drawImage_.isEmpty())
        return;
    ImageDrawOptions options = AnyPath();
    options.fileOverride = handImage_;
    DrawImageString(p, rect(), drawImage_, WidgetDpi(this), options);
}

void CHandImgSelectButtonUI::Press(QMouseEvent* event) {
    dragging_ = true;
    if (isEnabled() && rect().contains(event->position().toPoint())) {
        setDown(true);
        captured_ = true;
        last_ = event->position().toPoint();
        update();
    }
    event->accept();
}

void CHandImgSelectButtonUI::mousePressEvent(QMouseEvent* event) {
    Press(event);
}

void CHandImgSelectButtonUI::mouseDoubleClickEvent(QMouseEvent* event) {
    Press(event);
}

void CHandImgSelectButtonUI::mouseReleaseEvent(QMouseEvent* event) {
    // Dragging is not a click: the button raises none.
    if (captured_) {
        captured_ = false;
        setDown(false);
        update();
    }
    dragging_ = false;
    event->accept();
}

void CHandImgSelectButtonUI::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (dragging_ && !source_.IsZero()) {
        const int dpi = WidgetDpi(this);
        const int dx = (at.x() - last_.x()) * 96 / dpi;
        const int dy = (at.y() - last_.y()) * 96 / dpi;
        if (dx != 0 || dy != 0) {
            source_ =
                pages::PanHandSource(source_, pictureSize_.width(), pictureSize_.height(), dx, dy);
            drawImage_ =
                QString::fromStdString(pages::HandImageString(handImage_.toStdString(), source_));
            // Only the part of the move that was applied is used up.
            last_ = QPoint(dx != 0 ? at.x() : last_.x(), dy != 0 ? at.y() : last_.y());
            update();
        }
    } else if (dragging_) {
        last_ = at;
    }
    if (captured_)
        setDown(rect().contains(at));
    event->accept();
}

void CHandImgSelectButtonUI::enterEvent(QEnterEvent* event) {
    if (isEnabled()) {
        SetHot(true);
        Notify(notify::kMouseEnter);
    }
    CImageButtonUI::enterEvent(event);
}

void CHandImgSelectButtonUI::leaveEvent(QEvent* event) {
    SetHot(false);
    Notify(notify::kMouseLeave);
    CImageButtonUI::leaveEvent(event);
}

}  // namespace ui
