// CRedioMacroButtonUI ("RedioMacroButton"): a button whose normal image
// pulses while it is recording: the "redioimage" picture fades from 255
// down to 80 and back in steps of 20, one step every 50 ms.
#pragma once

#include <QBasicTimer>
#include <QHash>
#include <QPixmap>

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

    // Starts or stops the pulse; stopping keeps the last image shown. The
    // pulse rests while the button is hidden and goes on where it stopped
    // when it shows again.
    void SetPulsing(bool pulsing);
    bool Pulsing() const { return pulsing_; }
    // The timer runs: pulsing and shown.
    bool PulseTimerActive() const { return timer_.isActive(); }
    int Fade() const { return pulse_.fade; }
    bool Rising() const { return pulse_.rising; }

    // One step of the pulse, as the timer runs it, with its repaint.
    void PulseStep();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    // One fade of the pulse: its image string and, once drawn, the picture
    // for the button's size and scale.
    struct Frame {
        QString image;
        QPixmap picture;
        bool drawn = false;  // picture is made (null: nothing to draw)
    };
    void UpdateTimer();
    Frame& FrameFor(int fade);
    // The frame's picture for the button's size and scale now.
    const QPixmap& FramePicture(Frame& frame);

    // The frames of the current redio image by fade; the pictures are for
    // framesSize_ at framesDpi_, drawn in image cache generation
    // framesGeneration_.
    QHash<int, Frame> frames_;
    QSize framesSize_;
    int framesDpi_ = 0;
    int framesGeneration_ = -1;
    // The last paint was a pulse frame that drew nothing.
    bool blankShown_ = false;

    QString redioImage_;
    pages::PulseState pulse_;
    bool pulsing_ = false;
    bool hiddenBySystem_ = false;
    QBasicTimer timer_;
};

}  // namespace ui
