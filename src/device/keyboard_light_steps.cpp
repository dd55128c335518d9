// The preview step operations of the keyboard lighting modes, the custom
// effect player and the per-LED area effects. Every function here runs with
// the lighting lock held.
#include <algorithm>
#include <cmath>

#include "device/keyboard_light.h"
#include "device/keyboard_light_layout.h"

namespace device {
namespace {

struct Geometry {
    std::array<Cell, kLedButtons> cells{};
    std::array<int8_t, kLedButtons> rings{};
    std::array<uint8_t, kLedButtons> angleHues{};
    std::array<int16_t, kLedButtons> chain{};
};

const Geometry& Layout() {
    static const Geometry geometry = [] {
        Geometry g;
        g.rings.fill(-1);
        g.chain.fill(-1);
        for (int c = 0; c < kMatrixColumns; ++c) {
            for (int r = 0; r < kMatrixRows; ++r) {
                const uint8_t led = KeyMatrix()[static_cast<size_t>(c)][static_cast<size_t>(r)];
                if (led == kNoKey || g.cells[led].valid) {
                    continue;
                }
                g.cells[led] = {true, c, r};
                // Key 51 sits in column 10, row 2; keys are about twice as
                // tall as the column pitch is wide on the picture.
                const double angle = std::atan2((r - 2) * 1.0, (c - 10) * 0.5);
                const double turn = (angle + M_PI) / (2 * M_PI);
                g.angleHues[led] = static_cast<uint8_t>(static_cast<int>(turn * 192.0) % 192);
            }
        }
        for (int ring = 0; ring < kRingCount; ++ring) {
            for (uint8_t led : KeyRings()[static_cast<size_t>(ring)]) {
                if (led != kNoKey && g.rings[led] < 0) {
                    g.rings[led] = static_cast<int8_t>(ring);
                }
            }
        }
        for (int p = 0; p < kLedOrderCount; ++p) {
            const uint8_t led = LedOrder()[static_cast<size_t>(p)];
            g.chain[led] = static_cast<int16_t>(p);
        }
        return g;
    }();
    return geometry;
}

// A 192-step fade curve: the breathing curve over the first 128 steps, then
// dark, so a twinkling key rests before it lights again.
uint8_t FadeCurve(uint8_t phase) {
    return phase < 128 ? BreathCurve()[phase] : 0;
}

uint8_t Scale(uint8_t a, uint8_t b) {
    return static_cast<uint8_t>(a * b >> 8);
}

constexpr std::array<uint8_t, 5> kSpeedPeriod = {5, 4, 3, 2, 1};

}  // namespace

Cell CellOf(int led) {
    return led >= 0 && led < kLedButtons ? Layout().cells[static_cast<size_t>(led)] : Cell{};
}

int RingOf(int led) {
    return led >= 0 && led < kLedButtons ? Layout().rings[static_cast<size_t>(led)] : -1;
}

uint8_t AngleHueOf(int led) {
    return led >= 0 && led < kLedButtons ? Layout().angleHues[static_cast<size_t>(led)] : 0;
}

int ChainPositionOf(int led) {
    return led >= 0 && led < kLedButtons ? Layout().chain[static_cast<size_t>(led)] : -1;
}

// ---- Helpers ---------------------------------------------------------------

uint8_t KeyboardLighting::Alpha() const {
    return kBrightness[std::min<uint8_t>(preview_.level, 4)];
}

uint8_t KeyboardLighting::RandomHue() {
    return static_cast<uint8_t>(rng_() % 192);
}

void KeyboardLighting::SetLed(int led, LedColour c, uint8_t alpha) {
    if (led >= 0) {
        c.alpha = alpha;
        colours_.Set(static_cast<size_t>(led), c);
    }
}

LedColour KeyboardLighting::TintOf(uint8_t hue) const {
    return preview_.multi ? ColourWheel()[hue] : preview_.colour;
}

uint8_t KeyboardLighting::IntensityOf(int led) const {
    return led >= 0 && led < kLedButtons
               ? intensity_[static_cast<size_t>(led)].load(std::memory_order_relaxed)
               : 0;
}

void KeyboardLighting::SetIntensity(int led, uint8_t v) {
    if (led >= 0 && led < kLedButtons) {
        intensity_[static_cast<size_t>(led)].store(v, std::memory_order_relaxed);
    }
}

void KeyboardLighting::Decay(int led, int kind) {
    SetIntensity(led, DecayStep(IntensityOf(led), kind));
}

void KeyboardLighting::FadeAll(int kind) {
    for (int led = 0; led < kLedButtons; ++led) {
        Decay(led, kind);
    }
}

// ---- Firmware-mode pictures ------------------------------------------------

// Wave: a colour wave runs along the columns.
void KeyboardLighting::StepMode1() {
    phaseA_ = CycleStep(preview_.direction, 192, phaseA_, 2);
    for (int led = 0; led < kLedButtons; ++led) {
        const Cell cell = CellOf(led);
        if (!cell.valid) {
            continue;
        }
        const uint8_t hue = static_cast<uint8_t>((phaseA_ + 8 * cell.column) % 192);
        if (preview_.multi) {
            SetLed(led, ColourWheel()[hue], Alpha());
        } else {
            // One colour: a bright band travels over a dim keyboard.
            SetLed(led, preview_.colour,
                   Scale(Alpha(), std::max<uint8_t>(40, BreathCurve()[hue * 2 / 3])));
        }
    }
}

// Spin: colours turn around key 51.
void KeyboardLighting::StepMode2() {
    phaseA_ = CycleStep(preview_.direction, 192, phaseA_, 3);
    for (int led = 0; led < kLedButtons; ++led) {
        if (!CellOf(led).valid) {
            continue;
        }
        const uint8_t hue = static_cast<uint8_t>((AngleHueOf(led) + phaseA_) % 192);
        if (preview_.multi) {
            SetLed(led, ColourWheel()[hue], Alpha());
        } else {
            SetLed(led, preview_.colour, Scale(Alpha(), BreathCurve()[hue * 2 / 3]));
        }
    }
}

// Breathing, one wheel colour per matrix column with the multi-colour flag.
void KeyboardLighting::PreviewBreathWheel() {
    phaseB_ = static_cast<uint8_t>(phaseB_ >= 127 ? 0 : phaseB_ + 1);
    const uint8_t alpha = Scale(BreathCurve()[phaseB_], Alpha());
    for (size_t c = 0; c < kMatrixColumns; ++c) {
        const LedColour colour = preview_.multi ? ColourWheel()[7 * c] : preview_.colour;
        for (uint8_t led : KeyMatrix()[c]) {
            if (led != kNoKey) {
                SetLed(led, colour, alpha);
            }
        }
    }
}

// Static: the colour, or with the multi-colour flag a rainbow over the rings.
void KeyboardLighting::PreviewStatic() {
    if (!preview_.multi) {
        for (int led = 0; led < static_cast<int>(colours_.Size()); ++led) {
            SetLed(led, preview_.colour, Alpha());
        }
        return;
    }
    for (size_t ring = 0; ring < kRingCount; ++ring) {
        const LedColour colour = ColourWheel()[static_cast<uint8_t>(138 - 12 * ring)];
        for (uint8_t led : KeyRings()[ring]) {
            if (led != kNoKey) {
                SetLed(led, colour, Alpha());
            }
        }
    }
}

// Reactive (6) and fireworks (25): pressed keys rise, released keys fall.
void KeyboardLighting::StepMode6And25() {
    for (int led = 0; led < kLedButtons; ++led) {
        uint8_t v = IntensityOf(led);
        const uint8_t mark = marker_[static_cast<size_t>(led)];
        if (mark == kRising || mark == kHeld) {
            v = static_cast<uint8_t>(std::min(255, v + 15));
        } else if (mark == kFalling) {
            v = static_cast<uint8_t>(std::max(0, v - 5));
            if (v == 0) {
                marker_[static_cast<size_t>(led)] = kIdle;
            }
        }
        SetIntensity(led, v);
        SetLed(led, TintOf(hue_[static_cast<size_t>(led)]), Scale(Alpha(), v));
    }
}

// Ripple: the wave masks light keys as they move, every key fades.
void KeyboardLighting::StepMode7() {
    ExtraEffectA();
    ExtraEffectB();
    for (int led = 0; led < kLedButtons; ++led) {
        SetLed(led, TintOf(hue_[static_cast<size_t>(led)]), Scale(Alpha(), IntensityOf(led)));
        Decay(led, 7);
    }
}

// Trail: as the ripple, but the colour follows how far the wave has run.
void KeyboardLighting::StepMode8() {
    ExtraEffectA();
    ExtraEffectB();
    phaseA_ = static_cast<uint8_t>((phaseA_ + 6) % 192);
    for (int led = 0; led < kLedButtons; ++led) {
        const uint8_t v = IntensityOf(led);
        if (v == 255) {
            hue_[static_cast<size_t>(led)] = phaseA_;
        }
        const LedColour c =
            preview_.multi ? ColourWheel()[hue_[static_cast<size_t>(led)]] : preview_.colour;
        SetLed(led, c, Scale(Alpha(), v));
        Decay(led, 8);
    }
}

// Rainbow: every LED walks the wheel from its start hue.
void KeyboardLighting::StepMode9() {
    for (size_t led = 0; led < colours_.Size() && led < kLedButtons; ++led) {
        hue_[led] = CycleStep(1, 192, hue_[led], 1);
        SetLed(static_cast<int>(led), ColourWheel()[hue_[led]], Alpha());
    }
}

// Rain: the wheel runs down (or up) the matrix rows.
void KeyboardLighting::StepMode10() {
    phaseA_ = CycleStep(preview_.direction, 192, phaseA_, 1);
    for (size_t c = 0; c < kMatrixColumns; ++c) {
        for (size_t r = 0; r < kMatrixRows; ++r) {
            const uint8_t led = KeyMatrix()[c][r];
            if (led != kNoKey) {
                SetLed(led, ColourWheel()[(phaseA_ + 1 + 24 * r) % 192], Alpha());
            }
        }
    }
}

// A random key of the layout flares up in a random colour.
void KeyboardLighting::FlareRandomKey() {
    const uint8_t led = LedOrder()[rng_() % kLedOrderCount];
    SetIntensity(led, 255);
    hue_[led] = RandomHue();
}

// Starlight: random keys flare up and fade slowly.
void KeyboardLighting::StepMode11() {
    if (rng_() % 2 == 0) {
        FlareRandomKey();
    }
    for (uint8_t led : LedOrder()) {
        if (led >= kLedButtons) {
            break;
        }
        SetLed(led, TintOf(hue_[led]), Scale(Alpha(), IntensityOf(led)));
        if (rng_() % 3 == 0) {
            Decay(led, 0);
        }
    }
}

// Flash (12) and snake (13): each key runs through a fade curve; at its end
// it takes a new random hue.
void KeyboardLighting::StepTwinkle() {
    for (size_t p = 0; p < kLedOrderCount; ++p) {
        const uint8_t led = LedOrder()[p];
        uint8_t phase = static_cast<uint8_t>(phase_[led] + 1);
        if (phase >= 192) {
            phase = 0;
            hue_[led] = RandomHue();
        }
        phase_[led] = phase;
        SetLed(led, TintOf(hue_[led]), Scale(Alpha(), FadeCurve(phase)));
    }
}

// Single on: keys light one after another along the chain, then start over.
void KeyboardLighting::StepMode14() {
    if (phaseA_ >= kLedOrderCount) {
        phaseA_ = 0;
        marker_.fill(0);
    }
    marker_[LedOrder()[phaseA_]] = 1;
    ++phaseA_;
    for (size_t p = 0; p < kLedOrderCount; ++p) {
        const uint8_t led = LedOrder()[p];
        const uint8_t hue = static_cast<uint8_t>(p * 192 / kLedOrderCount);
        SetLed(led, TintOf(hue), marker_[led] ? Alpha() : 0);
    }
}

// Side zone: the keyboard's edge cycles through the wheel, the inner keys
// stay dark.
void KeyboardLighting::StepMode15() {
    phaseA_ = CycleStep(1, 192, phaseA_, 1);
    for (int led = 0; led < kLedButtons; ++led) {
        const Cell cell = CellOf(led);
        if (!cell.valid) {
            continue;
        }
        const bool edge = cell.column <= 1 || cell.column >= kMatrixColumns - 2 || cell.row == 0 ||
                          cell.row == kMatrixRows - 1;
        SetLed(led, ColourWheel()[phaseA_], edge ? Alpha() : 0);
    }
}

// Ring: concentric rainbow around key 51.
void KeyboardLighting::StepMode16() {
    phaseA_ = CycleStep(preview_.direction, 192, phaseA_, 1);
    for (size_t ring = 0; ring < kRingCount; ++ring) {
        const LedColour colour = ColourWheel()[(phaseA_ + 7 * (ring + 1)) % 192];
        for (uint8_t led : KeyRings()[ring]) {
            if (led != kNoKey) {
                SetLed(led, colour, Alpha());
            }
        }
    }
}

// Raindrop: six random keys light up, everything fades.
void KeyboardLighting::StepMode18() {
    for (int i = 0; i < 6; ++i) {
        FlareRandomKey();
    }
    for (uint8_t led : LedOrder()) {
        if (led >= kLedButtons) {
            break;
        }
        SetLed(led, TintOf(hue_[led]), Scale(Alpha(), IntensityOf(led)));
        Decay(led, 18);
    }
}

// Custom colours: only the brightness changes.
void KeyboardLighting::StepMode19() {
    for (size_t led = 0; led < colours_.Size(); ++led) {
        LedColour c = colours_.Get(led);
        c.alpha = Alpha();
        colours_.Set(led, c);
    }
}

void KeyboardLighting::StepMode21() {
    colours_.Fill(LedColour{255, 0, 255, Alpha()});
}

// Sweep: a bar runs across the columns and back, leaving a fading trail.
void KeyboardLighting::StepMode22() {
    // phaseA_ counts 0..43: out over the 22 column gaps, then back.
    phaseA_ = static_cast<uint8_t>((phaseA_ + 1) % 44);
    int column = phaseA_ < 22 ? phaseA_ : 44 - phaseA_;
    if (preview_.direction) {
        column = kMatrixColumns - 1 - column;
    }
    for (uint8_t led : KeyMatrix()[static_cast<size_t>(column)]) {
        if (led != kNoKey) {
            SetIntensity(led, 255);
            hue_[led] = static_cast<uint8_t>(column * 8);
        }
    }
    for (int led = 0; led < kLedButtons; ++led) {
        if (CellOf(led).valid) {
            SetLed(led, TintOf(hue_[static_cast<size_t>(led)]), Scale(Alpha(), IntensityOf(led)));
            Decay(led, 22);
        }
    }
}

// Swirl: spiral arms turn around key 51.
void KeyboardLighting::StepMode24() {
    phaseA_ = CycleStep(preview_.direction, 192, phaseA_, 4);
    for (int led = 0; led < kLedButtons; ++led) {
        const int ring = RingOf(led);
        if (ring < 0) {
            continue;
        }
        const uint8_t hue = static_cast<uint8_t>((AngleHueOf(led) + 12 * ring + phaseA_) % 192);
        hue_[static_cast<size_t>(led)] = hue;
        if (preview_.multi) {
            SetLed(led, ColourWheel()[hue], Alpha());
        } else {
            // Two arms of the colour.
            SetLed(led, preview_.colour, Scale(Alpha(), BreathCurve()[(hue * 4 / 3) % 128]));
        }
    }
}

// Waterfall: colour bands flow down (or up) the rows.
void KeyboardLighting::StepMode28() {
    phaseA_ = CycleStep(preview_.direction, 192, phaseA_, 2);
    for (size_t c = 0; c < kMatrixColumns; ++c) {
        for (size_t r = 0; r < kMatrixRows; ++r) {
            const uint8_t led = KeyMatrix()[c][r];
            if (led == kNoKey) {
                continue;
            }
            const uint8_t hue = static_cast<uint8_t>((192 + phaseA_ - 32 * r + 2 * c) % 192);
            if (preview_.multi) {
                SetLed(led, ColourWheel()[hue], Alpha());
            } else {
                SetLed(led, preview_.colour, Scale(Alpha(), BreathCurve()[hue * 2 / 3]));
            }
        }
    }
}

void KeyboardLighting::StepMode30() {
    const LedColour c{static_cast<uint8_t>(std::min<uint32_t>(bands_[0], 255)),
                      static_cast<uint8_t>(std::min<uint32_t>(bands_[1], 255)),
                      static_cast<uint8_t>(std::min<uint32_t>(bands_[2], 255)), Alpha()};
    colours_.Fill(c);
}

// Laser, a scripted show: sweep, ripple from key 52, a wave, then wait for
// the keyboard to go dark and start over.
void KeyboardLighting::StepMode33() {
    switch (stage_) {
        case 0: {  // light sweep over the columns
            const size_t column = stageCounter_++;
            if (column < kMatrixColumns) {
                for (uint8_t led : KeyMatrix()[column]) {
                    if (led != kNoKey) {
                        SetIntensity(led, 255);
                        hue_[led] = static_cast<uint8_t>(column * 8);
                    }
                }
            } else {
                stage_ = 1;
                stageCounter_ = 0;
            }
            break;
        }
        case 1:  // ripple from key 52
            TriggerWaveLocked(52, 1);
            stage_ = 2;
            stageCounter_ = 0;
            break;
        case 2:  // the wave runs out
            ExtraEffectA();
            ExtraEffectB();
            if (++stageCounter_ >= kMatrixColumns) {
                stage_ = 3;
            }
            break;
        case 3: {  // wait for key 124 and every other key to go dark
            bool dark = IntensityOf(124) == 0;
            for (int led = 0; led < kLedButtons && dark; ++led) {
                dark = IntensityOf(led) == 0;
            }
            if (dark) {
                stage_ = 4;
            }
            break;
        }
        default:  // restart
            stage_ = 0;
            stageCounter_ = 0;
            break;
    }
    for (int led = 0; led < kLedButtons; ++led) {
        if (CellOf(led).valid) {
            SetLed(led, TintOf(hue_[static_cast<size_t>(led)]), Scale(Alpha(), IntensityOf(led)));
        }
        Decay(led, 33);
    }
}

// ---- Custom effect player --------------------------------------------------

void KeyboardLighting::PlayEffectList(uint32_t now, bool tickChanged) {
    if (effectList_.empty()) {
        device::PreviewOff(colours_);
        return;
    }
    if (effectStepIndex_ >= effectList_.size()) {
        effectStepIndex_ = 0;
    }
    if (!effectStepStarted_) {
        effectStepStarted_ = true;
        effectStepStart_ = now;
        effectCounters_ = PreviewCounters{};
        effectCounters_.lastToggle = now;
        effectTicks_ = 0;
    }
    const profile::LedEffectStep& step = effectList_[effectStepIndex_];
    PreviewLight light;
    light.direction = step.LEDDirection;
    light.multiColour = step.LEDMultiColor;
    light.brightness = std::min<uint8_t>(step.LEDBrightness, 4);
    light.speed = std::min<uint8_t>(step.LEDSpeed, 4);
    light.colour = {step.red, step.green, step.blue, 255};
    if (tickChanged) {
        ++effectTicks_;
    }
    const bool due = effectTicks_ >= kSpeedPeriod[light.speed];
    if (due) {
        effectTicks_ = 0;
    }
    const uint8_t alpha = kBrightness[light.brightness];
    switch (step.LEDREGMode) {
        case 0:
            if (due) {
                device::PreviewBreathWheel(light, effectCounters_, colours_);
            }
            break;
        case 1:
            // Nine colour phases, each shown for 16 steps.
            if (due) {
                effectCounters_.a = static_cast<uint8_t>((effectCounters_.a + 1) % (9 * 16));
                const int p = effectCounters_.a / 16;
                const LedColour c = p == 8              ? LedColour{255, 255, 255, 0}
                                    : light.multiColour ? ColourWheel()[p * 24]
                                                        : light.colour;
                colours_.Fill(LedColour{c.r, c.g, c.b,
                                        p % 2 && !light.multiColour ? uint8_t(alpha / 3) : alpha});
            }
            break;
        case 2:
            device::PreviewBlink(light, effectCounters_, now, colours_);
            break;
        case 4:
            if (due) {
                device::PreviewSpectrum(light, effectCounters_, colours_);
            }
            break;
        case 5:
            // A rainbow running along the LED chain.
            if (due) {
                effectCounters_.a = CycleStep(light.direction, 192, effectCounters_.a, 2);
                for (size_t p = 0; p < kLedOrderCount; ++p) {
                    const uint8_t led = LedOrder()[p];
                    SetLed(led, ColourWheel()[(effectCounters_.a + 3 * p) % 192], alpha);
                }
            }
            break;
        default:
            break;
    }
    if (step.Time >= 0 && now - effectStepStart_ >= static_cast<uint32_t>(step.Time)) {
        effectStepIndex_ = (effectStepIndex_ + 1) % effectList_.size();
        effectStepStarted_ = false;
    }
}

// ---- Area effects ----------------------------------------------------------

void KeyboardLighting::RunAreaEffects(uint32_t now, bool tickChanged) {
    // The profile's LightList holds one preset per mode; its items act as
    // per-key areas only under the custom effect player, so that the preset
    // list never paints over the firmware-mode pictures.
    if (StepPeriod(preview_.mode, preview_.speed) || preview_.mode == 29) {
        return;
    }
    for (size_t led = 0; led < area_.size() && led < colours_.Size(); ++led) {
        AreaState& s = area_[led];
        if (s.item.present != 1) {
            continue;
        }
        const uint8_t speed = std::min<uint8_t>(s.item.Speed, 4);
        const uint8_t alpha = kBrightness[std::min<uint8_t>(s.item.Light, 4)];
        const LedColour fixed{s.item.Red, s.item.Green, s.item.Blue, 0};
        bool due = false;
        if (tickChanged && ++s.ticks >= kSpeedPeriod[speed]) {
            s.ticks = 0;
            due = true;
        }
        switch (s.item.SelectItem) {
            case 0: {
                if (due) {
                    s.phase = static_cast<uint8_t>(s.phase >= 127 ? 0 : s.phase + 1);
                    if (s.phase == 0) {
                        s.hue = static_cast<uint8_t>((s.hue + 16) % 192);
                    }
                }
                const LedColour c = s.item.MultiColor ? ColourWheel()[s.hue] : fixed;
                SetLed(static_cast<int>(led), c, Scale(BreathCurve()[s.phase], alpha));
                break;
            }
            case 2: {
                if (now - s.lastToggle >= kBlinkPeriod[speed] * 200u) {
                    s.lastToggle = now;
                    s.blinkOn = !s.blinkOn;
                    if (s.item.MultiColor) {
                        s.hue = static_cast<uint8_t>((s.hue + 14) % 192);
                    }
                }
                const LedColour c = s.item.MultiColor ? ColourWheel()[s.hue] : fixed;
                SetLed(static_cast<int>(led), c, s.blinkOn ? alpha : 0);
                break;
            }
            case 3:
                if (due) {
                    s.hue = CycleStep(s.item.Fx, 192, s.hue, 1);
                }
                SetLed(static_cast<int>(led), ColourWheel()[s.hue], alpha);
                break;
            default:
                break;
        }
    }
}

}  // namespace device
