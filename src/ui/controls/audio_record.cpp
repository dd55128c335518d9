#include "ui/controls/audio_record.h"

#include <QPainter>
#include <algorithm>

namespace ui {

CAudioRecordUI::CAudioRecordUI(QWidget* parent) : QLabel(parent) {
    setProperty("controlClass", QString::fromLatin1(kClassName));
    // A rising ramp until real samples arrive, so the display shows itself.
    for (int i = 0; i < 256; ++i)
        samples_[static_cast<size_t>(i)] = i;
}

void CAudioRecordUI::SetSamples(std::span<const int> values) {
    const size_t n = std::min(values.size(), samples_.size());
    std::copy_n(values.begin(), n, samples_.begin());
    update();
}

void CAudioRecordUI::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setPen(QPen(Qt::black, 1));
    const pages::IntRect box{0, 0, width(), height()};
    for (const pages::SampleLine& line : pages::LayoutSampleLines(box, samples_))
        p.drawLine(line.x, line.top, line.x, line.bottom);
}

}  // namespace ui
