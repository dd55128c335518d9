// Music lighting: levels from the audio capture process drive visualisers on
// the preview, which the frame stream then carries to the keyboard; the
// colour-sync bands set mode 30's colour.
#include <algorithm>
#include <cstring>

#include "device/keyboard_light.h"
#include "device/keyboard_light_layout.h"

namespace device {
namespace {

constexpr size_t kLevels = 25;
constexpr int kFullHeight = 600;

int32_t ReadLe32(const uint8_t* p) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) {
        v = v << 8 | p[i];
    }
    return static_cast<int32_t>(v);
}

LedColour Mix(LedColour bg, LedColour fg, uint8_t amount) {
    auto mix = [amount](uint8_t a, uint8_t b) {
        return static_cast<uint8_t>((a * (255 - amount) + b * amount) / 255);
    };
    return {mix(bg.r, fg.r), mix(bg.g, fg.g), mix(bg.b, fg.b), 0};
}

}  // namespace

int KeyboardLighting::LevelToHeight(int64_t level) {
    const int64_t scaled = level * 600 / 2000;
    const int64_t height = scaled > 600 ? 500 : 600 - scaled;
    return static_cast<int>(std::clamp<int64_t>(height, 0, kFullHeight));
}

void KeyboardLighting::OnAudioLevels(const uint8_t* data, size_t length) {
    if (data == nullptr) {
        return;
    }
    const size_t count = std::min(length / 4, kLevels);
    std::array<int64_t, kLevels> levels{};
    for (size_t i = 0; i < count; ++i) {
        levels[i] = ReadLe32(data + 4 * i);
    }
    std::lock_guard lock(lock_);
    std::copy(levels.begin(), levels.begin() + static_cast<ptrdiff_t>(count), levels_.begin());
    levelsFresh_ = count > 0;
    if (preview_.mode != 29 || audio_.AudioMode != 2 || count == 0) {
        return;
    }
    int64_t sum = 0;
    for (size_t i = 0; i < kLevels; ++i) {
        sum += LevelToHeight(levels_[i]);
    }
    const int64_t average = sum / static_cast<int64_t>(kLevels);
    beatAccumulator_ += 25 - average * 25 / 600;
    if (beatAccumulator_ > 70) {
        beatAccumulator_ = 0;
        TriggerWaveLocked(51, 1);
    }
}

void KeyboardLighting::OnAudioBands(const uint8_t* data, size_t length) {
    if (data == nullptr) {
        return;
    }
    const size_t count = std::min<size_t>(length / 4, bands_.size());
    std::lock_guard lock(lock_);
    for (size_t i = 0; i < count; ++i) {
        bands_[i] = static_cast<uint32_t>(ReadLe32(data + 4 * i));
    }
}

void KeyboardLighting::ResetAudioBuffers() {
    std::lock_guard lock(lock_);
    levels_.fill(0);
    lastHeights_.fill(0);
    levelsFresh_ = false;
    beatAccumulator_ = 0;
    columnMarkers_.fill(1);
}

// The bar heights of the newest block; a block is drawn once, later steps
// only let the picture fade.
bool KeyboardLighting::TakeLevels(std::array<int, 25>& heights) {
    if (!levelsFresh_) {
        return false;
    }
    for (size_t i = 0; i < kLevels; ++i) {
        heights[i] = LevelToHeight(levels_[i]);
    }
    levels_.fill(0);
    levelsFresh_ = false;
    lastHeights_ = heights;
    return true;
}

void KeyboardLighting::StepMode29() {
    switch (audio_.AudioMode) {
        case 0:
            Visualiser0();
            break;
        case 1:
            Visualiser1();
            break;
        case 2:
            Visualiser2();
            break;
        case 3:
            Visualiser3();
            break;
        case 4:
            Visualiser4();
            break;
        case 5:
            Visualiser5();
            break;
        case 6:
            Visualiser6();
            break;
        default:
            break;
    }
}

// Background colour blended towards the foreground by the LED's intensity.
void KeyboardLighting::DrawMusicLed(int led, uint8_t hue) {
    const LedColour bg{audio_.BkColorR, audio_.BkColorG, audio_.BkColorB, 0};
    const LedColour fg = audio_.SevenColorFlags
                             ? ColourWheel()[hue % 192]
                             : LedColour{audio_.FgColorR, audio_.FgColorG, audio_.FgColorB, 0};
    SetLed(led, Mix(bg, fg, IntensityOf(led)), Alpha());
}

// Bars over the matrix columns. shape 0: up from the bottom row; 1: out from
// the middle; 2: down from the top; 3: only the peak of each bar.
void KeyboardLighting::DrawBars(const std::array<int, 25>& heights, int shape) {
    for (size_t c = 0; c < kMatrixColumns; ++c) {
        const int rows = heights[c] * kMatrixRows / kFullHeight;
        for (size_t r = 0; r < kMatrixRows; ++r) {
            const int fromBottom = kMatrixRows - 1 - static_cast<int>(r);
            bool lit = false;
            switch (shape) {
                case 0:
                    lit = fromBottom < rows;
                    break;
                case 1: {
                    const int fromMiddle =
                        r < 3 ? 2 - static_cast<int>(r) : static_cast<int>(r) - 3;
                    lit = fromMiddle < (rows + 1) / 2;
                    break;
                }
                case 2:
                    lit = static_cast<int>(r) < rows;
                    break;
                default:
                    lit = rows > 0 && fromBottom == rows - 1;
                    break;
            }
            const uint8_t led = KeyMatrix()[c][r];
            if (led != kNoKey && lit) {
                SetIntensity(led, 255);
            }
        }
    }
}

void KeyboardLighting::Visualiser0() {
    std::array<int, 25> heights{};
    if (TakeLevels(heights)) {
        DrawBars(heights, 0);
    }
    for (int led = 0; led < kLedButtons; ++led) {
        const Cell cell = CellOf(led);
        if (cell.valid) {
            DrawMusicLed(led, static_cast<uint8_t>(7 * cell.column));
        }
        Decay(led, 29);
    }
}

void KeyboardLighting::Visualiser1() {
    std::array<int, 25> heights{};
    if (TakeLevels(heights)) {
        DrawBars(heights, 1);
    }
    for (int led = 0; led < kLedButtons; ++led) {
        const Cell cell = CellOf(led);
        if (cell.valid) {
            DrawMusicLed(led, static_cast<uint8_t>(32 * cell.row));
        }
        Decay(led, 29);
    }
}

// Beats (found in OnAudioLevels) send waves out from key 51.
void KeyboardLighting::Visualiser2() {
    std::array<int, 25> heights{};
    TakeLevels(heights);
    ExtraEffectA();
    ExtraEffectB();
    phaseA_ = static_cast<uint8_t>((phaseA_ + 1) % 192);
    for (int led = 0; led < kLedButtons; ++led) {
        if (CellOf(led).valid) {
            DrawMusicLed(led, static_cast<uint8_t>(phaseA_ + 4 * std::max(0, RingOf(led))));
        }
        Decay(led, 29);
    }
}

// Rings around key 51 up to the average level; the colours turn with it.
void KeyboardLighting::Visualiser3() {
    std::array<int, 25> heights{};
    if (TakeLevels(heights)) {
        int64_t sum = 0;
        for (int h : heights) {
            sum += h;
        }
        const int64_t average = sum / static_cast<int64_t>(kLevels);
        phaseB_ = static_cast<uint8_t>((phaseB_ + average * 20 / 600) % 192);
        const int64_t rings = average * kRingCount / kFullHeight;
        for (int64_t ring = 0; ring < rings && ring < kRingCount; ++ring) {
            for (uint8_t led : KeyRings()[static_cast<size_t>(ring)]) {
                if (led != kNoKey) {
                    SetIntensity(led, 255);
                }
            }
        }
    }
    for (int led = 0; led < kLedButtons; ++led) {
        const int ring = RingOf(led);
        if (ring >= 0) {
            DrawMusicLed(led, static_cast<uint8_t>(phaseB_ + 16 * ring));
        }
        Decay(led, 29);
    }
}

void KeyboardLighting::Visualiser4() {
    std::array<int, 25> heights{};
    if (TakeLevels(heights)) {
        DrawBars(heights, 2);
    }
    for (int led = 0; led < kLedButtons; ++led) {
        const Cell cell = CellOf(led);
        if (cell.valid) {
            DrawMusicLed(led, static_cast<uint8_t>(191 - 7 * cell.column));
        }
        Decay(led, 29);
    }
}

// Peaks: a dot per column that jumps with the level and sinks slowly.
void KeyboardLighting::Visualiser5() {
    std::array<int, 25> heights{};
    if (TakeLevels(heights)) {
        for (size_t c = 0; c < kMatrixColumns; ++c) {
            const int rows = heights[c] * kMatrixRows / kFullHeight;
            if (rows >= columnMarkers_[c]) {
                columnMarkers_[c] = static_cast<uint8_t>(std::max(1, rows));
            } else if (columnMarkers_[c] > 1) {
                --columnMarkers_[c];
            }
        }
    }
    for (size_t c = 0; c < kMatrixColumns; ++c) {
        const size_t peakRow =
            kMatrixRows - static_cast<size_t>(std::clamp<int>(columnMarkers_[c], 1, kMatrixRows));
        const uint8_t led = KeyMatrix()[c][peakRow];
        if (led != kNoKey) {
            SetIntensity(led, 255);
        }
    }
    for (int led = 0; led < kLedButtons; ++led) {
        const Cell cell = CellOf(led);
        if (cell.valid) {
            DrawMusicLed(led, static_cast<uint8_t>(7 * cell.column));
        }
        Decay(led, 29);
    }
}

// The whole keyboard pulses with the average level.
void KeyboardLighting::Visualiser6() {
    std::array<int, 25> heights{};
    if (TakeLevels(heights)) {
        int64_t sum = 0;
        for (int h : heights) {
            sum += h;
        }
        const auto v =
            static_cast<uint8_t>(std::clamp<int64_t>(sum / 25 * 255 / kFullHeight, 0, 255));
        for (int led = 0; led < kLedButtons; ++led) {
            if (CellOf(led).valid && v > IntensityOf(led)) {
                SetIntensity(led, v);
            }
        }
    }
    phaseA_ = static_cast<uint8_t>((phaseA_ + 1) % 192);
    for (int led = 0; led < kLedButtons; ++led) {
        if (CellOf(led).valid) {
            DrawMusicLed(led, phaseA_);
        }
        Decay(led, 29);
    }
}

// Bars mirrored from the middle columns outwards; no audio mode selects it.
void KeyboardLighting::VisualiserSpare() {
    std::array<int, 25> heights{};
    if (TakeLevels(heights)) {
        std::array<int, 25> mirrored{};
        for (size_t c = 0; c < kMatrixColumns; ++c) {
            const size_t d = c < 11 ? 11 - c : c - 11;
            mirrored[c] = heights[d];
        }
        DrawBars(mirrored, 0);
    }
    for (int led = 0; led < kLedButtons; ++led) {
        const Cell cell = CellOf(led);
        if (cell.valid) {
            DrawMusicLed(led, static_cast<uint8_t>(7 * cell.column));
        }
        Decay(led, 29);
    }
}

}  // namespace device
