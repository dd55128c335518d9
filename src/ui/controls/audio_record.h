// CAudioRecordUI ("AudioRecord"): up to 500 sample values (full scale 8192)
// shown as black one-pixel bars every 2 pixels on white, from the bottom.
#pragma once

#include <QLabel>
#include <array>
#include <span>

#include "pages/control_geometry.h"

namespace ui {

class CAudioRecordUI : public QLabel {
    Q_OBJECT
  public:
    static constexpr const char* kClassName = "AudioRecord";

    explicit CAudioRecordUI(QWidget* parent = nullptr);

    // Replaces the first values.size() samples (at most 500) and repaints;
    // the rest keep theirs.
    void SetSamples(std::span<const int> values);
    const std::array<int, pages::kAudioSampleCount>& Samples() const { return samples_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::array<int, pages::kAudioSampleCount> samples_{};
};

}  // namespace ui
