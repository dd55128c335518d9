#include "pages/control_geometry.h"

#include <algorithm>
#include <cmath>

namespace pages {

const std::array<uint32_t, 18> kChartPalette = {
    0x00F5963F, 0x00015AFF, 0x00C0F46A, 0x006AEAF5, 0x00977BFC, 0x003FF5A2,
    0x00FC909D, 0x00FC90D2, 0x00CBB07F, 0x0071C4F4, 0x0085C2A2, 0x001717BD,
    0x00B317BD, 0x00BD1761, 0x00BD2B17, 0x004C8812, 0x00127988, 0x00122688};

int CircleSweepDegrees(int value, int minimum, int maximum) {
    const double range = static_cast<double>(maximum) - minimum;
    if (range <= 0)
        return 0;
    // Measured from the minimum so that a range not starting at 0 still
    // fills exactly one turn.
    const double turn = (static_cast<double>(value) - minimum) / range;
    return static_cast<int>(std::clamp(turn, 0.0, 1.0) * 360.0);
}

std::vector<SampleLine> LayoutSampleLines(const IntRect& control, std::span<const int> samples) {
    std::vector<SampleLine> lines;
    const int64_t height = control.Height();
    if (height <= 0)
        return lines;
    const size_t count = std::min<size_t>(samples.size(), kAudioSampleCount);
    for (size_t i = 0; i < count && static_cast<int64_t>(2 * i) < control.Width(); ++i) {
        const int64_t s = std::clamp(samples[i], 0, kAudioFullScale);
        const int top = control.top + static_cast<int>(height - s * height / kAudioFullScale);
        lines.push_back({control.left + static_cast<int>(2 * i), std::min(top, control.bottom - 1),
                         control.bottom - 1});
    }
    return lines;
}

PieLayout LayoutPie(const IntRect& control, std::span<const double> values, bool showText) {
    PieLayout out;
    double sum = 0;
    for (double v : values) {
        if (v > 0)
            sum += v;
    }
    // Also false for NaN.
    if (!(sum > 0) || !std::isfinite(sum))
        return out;

    const int legend = showText ? 100 : 0;
    const int d = std::min(control.Width() - legend - 10, control.Height() - 10);
    if (d <= 0)
        return out;
    const int areaWidth = control.Width() - legend;
    const int left = control.left + (areaWidth - d) / 2;
    const int top = control.top + (control.Height() - d) / 2;
    out.pie = {left, top, left + d, top + d};

    double start = 0;
    for (size_t j = 0; j < values.size(); ++j) {
        const double sweep = values[j] > 0 ? values[j] / sum * 360.0 : 0.0;
        out.slices.push_back({start, sweep, kChartPalette[j % kChartPalette.size()]});
        start += sweep;
    }
    if (showText) {
        constexpr int kRow = 22;
        const int64_t block = static_cast<int64_t>(kRow) * static_cast<int64_t>(values.size());
        const int64_t centred = control.top + (control.Height() - block) / 2;
        const int firstTop = static_cast<int>(std::max<int64_t>(centred, control.top + 5));
        const int x = control.right - legend;
        for (size_t j = 0; j < values.size(); ++j) {
            const int64_t y = firstTop + static_cast<int64_t>(j) * kRow;
            if (y > control.bottom)
                break;  // the rest would not show
            out.legendSquares.push_back({x, static_cast<int>(y), x + 18, static_cast<int>(y) + 18});
        }
    }
    return out;
}

HistogramLayout LayoutHistogram(const IntRect& control, std::span<const double> values,
                                int pillarWidth, int shadowHeight, bool showText) {
    HistogramLayout out;
    const int band = showText ? 25 : 0;
    const int base = control.bottom - band;
    out.nameBandTop = base;
    out.shadow = {control.left, base - std::max(shadowHeight, 0), control.right, base};

    double largest = 0;
    for (double v : values) {
        if (v > largest)
            largest = v;
    }
    if (!(largest > 0) || !std::isfinite(largest) || pillarWidth <= 0)
        return out;

    const int room = std::max(control.Height() - band, 0);
    const int64_t spacing = static_cast<int64_t>(control.Width() / pillarWidth) * 2;
    for (size_t i = 0; i < values.size(); ++i) {
        const int64_t x =
            control.left + spacing + static_cast<int64_t>(i) * (pillarWidth + spacing);
        if (x >= control.right)
            break;  // beyond the control
        const double share = std::clamp(values[i] / largest, 0.0, 1.0);
        const int height = static_cast<int>(share * room);
        out.pillars.push_back({static_cast<int>(x), base - height,
                               static_cast<int>(std::min<int64_t>(x + pillarWidth, INT32_MAX)),
                               base});
    }
    return out;
}

IntRect InitialHandSource(int controlWidth, int controlHeight, int pictureWidth,
                          int pictureHeight) {
    if (controlWidth < pictureWidth || controlHeight < pictureHeight) {
        return {0, 0, controlWidth, controlHeight};
    }
    return {};
}

namespace {

// One axis: the mouse moved by `moved`; the shown part moves the other way.
void PanAxis(int& nearEdge, int& farEdge, int size, int moved) {
    if (moved < 0) {
        const int64_t room = static_cast<int64_t>(size) - farEdge;
        if (room <= 0)
            return;
        const int grow = static_cast<int>(std::min<int64_t>(-static_cast<int64_t>(moved), room));
        nearEdge += grow;
        farEdge += grow;
    } else if (moved > 0 && nearEdge > 0) {
        const int shrink = std::min(moved, nearEdge);
        nearEdge -= shrink;
        farEdge -= shrink;
    }
}

}  // namespace

IntRect PanHandSource(const IntRect& source, int pictureWidth, int pictureHeight, int dx, int dy) {
    IntRect out = source;
    PanAxis(out.left, out.right, pictureWidth, dx);
    PanAxis(out.top, out.bottom, pictureHeight, dy);
    return out;
}

std::string HandImageString(std::string_view path, const IntRect& source) {
    return "file='" + std::string(path) + "' source='" + std::to_string(source.left) + "," +
           std::to_string(source.top) + "," + std::to_string(source.right) + "," +
           std::to_string(source.bottom) + "'";
}

PulseState NextPulse(PulseState state) {
    if (state.rising) {
        state.fade += 20;
        if (state.fade > 254) {
            state.fade = 255;
            state.rising = false;
        }
    } else {
        state.fade -= 20;
        if (state.fade <= 80) {
            state.fade = 80;
            state.rising = true;
        }
    }
    return state;
}

std::string PulseImageString(std::string_view image, int fade) {
    return "res='" + std::string(image) + "' fade='" + std::to_string(fade) + "'";
}

}  // namespace pages
