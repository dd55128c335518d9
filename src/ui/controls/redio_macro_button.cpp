#include "ui/controls/redio_macro_button.h"

#include <QTimerEvent>

namespace ui {

CRedioMacroButtonUI::CRedioMacroButtonUI(QWidget* parent) : CImageButtonUI(parent) {
    setProperty("controlClass", QString::fromLatin1(kClassName));
}

bool CRedioMacroButtonUI::SetAttribute(const QString& name, const QString& value) {
    if (SameName(name, "redioimage")) {
        redioImage_ = value;
        return true;
    }
    return CImageButtonUI::SetAttribute(name, value);
}

void CRedioMacroButtonUI::SetPulsing(bool pulsing) {
    if (pulsing == pulsing_)
        return;
    pulsing_ = pulsing;
    if (pulsing_)
        timer_.start(kPulseMs, this);
    else
        timer_.stop();
}

void CRedioMacroButtonUI::PulseStep() {
    if (!redioImage_.isEmpty()) {
        pulse_ = pages::NextPulse(pulse_);
        SetNormalImage(QString::fromStdString(
            pages::PulseImageString(redioImage_.toStdString(), pulse_.fade)));
    }
}

void CRedioMacroButtonUI::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timer_.timerId()) {
        CImageButtonUI::timerEvent(event);
        return;
    }
    // One-shot, restarted only while pulsing: a stop between two steps
    // leaves no step behind.
    timer_.stop();
    PulseStep();
    if (pulsing_)
        timer_.start(kPulseMs, this);
}

}  // namespace ui
