// The arithmetic of the program's own controls, kept out of the painting
// code so that it is tested without a display: the circular progress sweep,
// the chart's pie and histogram, the hand picture's panning and the
// recording button's pulse.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "pages/image_string.h"

namespace pages {

// Circular progress: the foreground pie starts here (degrees clockwise
// from the positive x axis) and sweeps CircleSweepDegrees.
inline constexpr int kCircleStartDegrees = 90;
// Whole degrees, 0 to 360. An empty or inverted range draws no sweep.
int CircleSweepDegrees(int value, int minimum, int maximum);

// Sample bars: one vertical line a pixel wide every 2 pixels, at most 500.
inline constexpr int kAudioSampleCount = 500;
inline constexpr int kAudioFullScale = 8192;
struct SampleLine {
    int x = 0;
    int top = 0;     // first pixel
    int bottom = 0;  // last pixel
    friend bool operator==(const SampleLine&, const SampleLine&) = default;
};
// Samples beyond full scale or below 0 are drawn as full and empty.
std::vector<SampleLine> LayoutSampleLines(const IntRect& control, std::span<const int> samples);

// Chart palette, 0x00BBGGRR; item j uses entry j mod 18.
extern const std::array<uint32_t, 18> kChartPalette;

struct PieSlice {
    double startDegrees = 0;
    double sweepDegrees = 0;
    uint32_t colour = 0;
};

struct PieLayout {
    IntRect pie;  // empty: nothing to draw
    std::vector<PieSlice> slices;
    // Legend squares (18 x 18) with the item's name to their right.
    std::vector<IntRect> legendSquares;
};

// Nothing to draw (no pie, no slices) when the values do not sum to more
// than 0 or the control leaves no room. Negative values count as 0.
PieLayout LayoutPie(const IntRect& control, std::span<const double> values, bool showText);

struct HistogramLayout {
    IntRect shadow;  // where the shadow image goes
    std::vector<IntRect> pillars;
    int nameBandTop = 0;  // names are drawn between this and the bottom
};

// No pillars when the largest value is not above 0 or the pillar image has
// no width; the shadow is laid out either way.
HistogramLayout LayoutHistogram(const IntRect& control, std::span<const double> values,
                                int pillarWidth, int shadowHeight, bool showText);

// The part of a hand picture first shown in a control: the top-left part
// of the control's size when the picture is larger, else the whole picture
// (an all-zero rectangle).
IntRect InitialHandSource(int controlWidth, int controlHeight, int pictureWidth, int pictureHeight);

// Panning by a mouse move of (dx, dy): the shown part follows the picture
// under the mouse, never leaves the picture and keeps its size.
IntRect PanHandSource(const IntRect& source, int pictureWidth, int pictureHeight, int dx, int dy);

// "file='<path>' source='l,t,r,b'"
std::string HandImageString(std::string_view path, const IntRect& source);

// The recording button's pulse: fade 80 to 255 in steps of 20.
struct PulseState {
    int fade = 255;
    bool rising = false;
};
PulseState NextPulse(PulseState state);
// "res='<image>' fade='<fade>'"
std::string PulseImageString(std::string_view image, int fade);

}  // namespace pages
