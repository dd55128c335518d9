// CRedioMacroButtonUI ("RedioMacroButton"): a button whose normal image
// pulses while it is recording: the "redioimage" picture fades from 255
// down to 80 and back in steps of 20, one step every 50 ms.
#pragma once

#include <QBasicTimer>

#include "pages/control_geometry.h"
#include "ui/controls/image_button.h"

namespace ui {

class CRedioMacroButtonUI : public CImageButtonUI {
    Q_OBJECT
  public:
    static constexpr const char* kClassName = "RedioMacroButton";
    // The pulse's timer id and period.
    static constexpr int kPulseTimer = 100;
    static constexpr int kPulseMs = 50;

    explicit CRedioMacroButtonUI(QWidget* parent = nullptr);

    bool SetAttribute(const QString& name, const QString& value) override;
    const QString& RedioImage() const { return redioImage_; }

    // Starts or stops the pulse; stopping keeps the last image shown.
    void SetPulsing(bool pulsing);
    bool Pulsing() const { return pulsing_; }
    int Fade() const { return pulse_.fade; }
    bool Rising() const { return pulse_.rising; }

    // One step of the pulse, as the timer runs it.
    void PulseStep();

  protected:
    void timerEvent(QTimerEvent* event) override;

  private:
    QString redioImage_;
    pages::PulseState pulse_;
    bool pulsing_ = false;
    QBasicTimer timer_;
};

}  // namespace ui
