#include "ui/controls/redio_macro_button.h"

#include <QHideEvent>
#include <QPainter>
#include <QTimerEvent>

#include "ui/controls/image_painter.h"

namespace ui {

CRedioMacroButtonUI::CRedioMacroButtonUI(QWidget* parent) : CImageButtonUI(parent) {
    setProperty("controlClass", QString::fromLatin1(kClassName));
}

bool CRedioMacroButtonUI::SetAttribute(const QString& name, const QString& value) {
    if (SameName(name, "redioimage")) {
        if (value != redioImage_) {
            redioImage_ = value;
            frames_.clear();
        }
        return true;
    }
    return CImageButtonUI::SetAttribute(name, value);
}

void CRedioMacroButtonUI::SetPulsing(bool pulsing) {
    if (pulsing == pulsing_)
        return;
    pulsing_ = pulsing;
    UpdateTimer();
}

void CRedioMacroButtonUI::UpdateTimer() {
    // A hidden button, or one in a minimised window, draws nothing, so its
    // pulse costs no wake-ups.
    const bool run = pulsing_ && isVisible() && !hiddenBySystem_;
    if (run && !timer_.isActive())
        timer_.start(kPulseMs, this);
    else if (!run)
        timer_.stop();
}

CRedioMacroButtonUI::Frame& CRedioMacroButtonUI::FrameFor(int fade) {
    Frame& frame = frames_[fade];
    if (frame.image.isEmpty())
        frame.image =
            QString::fromStdString(pages::PulseImageString(redioImage_.toStdString(), fade));
    return frame;
}

const QPixmap& CRedioMacroButtonUI::FramePicture(Frame& frame) {
    const int dpi = WidgetDpi(this);
    if (size() != framesSize_ || dpi != framesDpi_ || ImageCacheGeneration() != framesGeneration_) {
        for (Frame& f : frames_) {
            f.picture = QPixmap();
            f.drawn = false;
        }
        framesSize_ = size();
        framesDpi_ = dpi;
        framesGeneration_ = ImageCacheGeneration();
    }
    if (!frame.drawn) {
        frame.picture = RenderImageString(frame.image, size(), dpi);
        frame.drawn = true;
    }
    return frame.picture;
}

void CRedioMacroButtonUI::PulseStep() {
    if (redioImage_.isEmpty())
        return;
    pulse_ = pages::NextPulse(pulse_);
    Frame& frame = FrameFor(pulse_.fade);
    const bool shown = &StatusImage() == &NormalImage();
    if (!StoreNormalImage(frame.image) || !shown)
        return;
    // A picture that cannot be drawn shows nothing at any fade.
    if (blankShown_ && FramePicture(frame).isNull())
        return;
    // Painted at once rather than through a posted update: one wake-up per
    // step instead of two, and only the button's rectangle.
    repaint();
}

void CRedioMacroButtonUI::paintEvent(QPaintEvent* event) {
    // A pulse frame is one picture per fade, drawn once for the button's
    // size and scale; anything else (a status image, a text) is the
    // button's own painting.
    blankShown_ = false;
    const auto it = frames_.find(pulse_.fade);
    if (it == frames_.end() || &StatusImage() != &NormalImage() || NormalImage() != it->image ||
        !text().isEmpty()) {
        CImageButtonUI::paintEvent(event);
        return;
    }
    const QPixmap& picture = FramePicture(*it);
    if (picture.isNull()) {
        blankShown_ = true;
        return;
    }
    QPainter p(this);
    p.drawPixmap(0, 0, picture);
}

void CRedioMacroButtonUI::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timer_.timerId()) {
        CImageButtonUI::timerEvent(event);
        return;
    }
    PulseStep();
}

void CRedioMacroButtonUI::showEvent(QShowEvent* event) {
    CImageButtonUI::showEvent(event);
    hiddenBySystem_ = false;
    UpdateTimer();
}

void CRedioMacroButtonUI::hideEvent(QHideEvent* event) {
    CImageButtonUI::hideEvent(event);
    // The window system hides a minimised window's widgets and still calls
    // them visible.
    hiddenBySystem_ = event->spontaneous();
    UpdateTimer();
}

}  // namespace ui
