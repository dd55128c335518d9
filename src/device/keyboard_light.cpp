#include "device/keyboard_light.h"

#include <algorithm>
#include <cstring>

#include "device/keyboard_light_layout.h"
#include "device/palette.h"
#include "platform/debug_output.h"
#include "platform/tick_count.h"

namespace device {
namespace {

constexpr std::array<std::array<uint8_t, kMatrixRows>, kMatrixColumns> kKeyMatrix = {{
    {255, 255, 255, 255, 84, 105}, {0, 21, 42, 63, 102, 106},     {255, 22, 43, 64, 85, 107},
    {1, 23, 44, 65, 86, 255},      {2, 24, 45, 66, 87, 255},      {3, 25, 46, 67, 88, 255},
    {4, 26, 47, 68, 89, 108},      {5, 27, 48, 69, 90, 255},      {6, 28, 49, 70, 91, 255},
    {7, 29, 50, 71, 92, 255},      {8, 30, 51, 72, 93, 109},      {9, 31, 52, 73, 94, 110},
    {10, 32, 53, 74, 100, 111},    {11, 33, 54, 62, 255, 255},    {12, 255, 255, 255, 255, 112},
    {255, 34, 55, 75, 95, 255},    {13, 35, 56, 255, 255, 113},   {14, 36, 57, 255, 96, 114},
    {15, 37, 58, 255, 255, 115},   {126, 38, 59, 76, 97, 116},    {127, 39, 60, 77, 98, 255},
    {128, 40, 61, 78, 99, 117},    {129, 41, 255, 119, 118, 255},
}};

constexpr uint8_t X = 255;
constexpr std::array<std::array<uint8_t, kRingWidth>, kRingCount> kKeyRings = {{
    {51, X, X, X, X, X, X, X, X, X, X, X},
    {30, 50, 71, 72, 52, 31, X, X, X, X, X, X},
    {8, 29, 49, 70, 91, 92, 93, 73, 53, 32, X, X},
    {7, 28, 48, 69, 90, 109, 94, 74, 54, 33, 9, 62},
    {6, 27, 47, 68, 89, 110, 100, 75, 55, 34, 10, 11},
    {5, 26, 46, 67, 88, 108, 95, 111, 112, 56, 35, 12},
    {4, 25, 45, 66, 87, 113, 96, 57, 36, 13, X, X},
    {3, 24, 44, 65, 86, 114, 115, 58, 37, 15, 14, X},
    {2, 23, 43, 64, 85, 107, 97, 76, 59, 38, 126, X},
    {1, 22, 42, 63, 84, 106, 116, 98, 77, 60, 39, 102},
    {0, 21, 105, 17, 18, X, 117, 99, 78, 61, 40, 127},
    {118, 119, 41, 129, 128, X, X, X, X, X, X, X},
}};

constexpr std::array<uint8_t, kLedOrderCount> kLedOrderKeys = {
    129, 128, 127, 126, 15, 14,  13,  12,  11, 10,  9,  8,  7,   6,   5,   4,   3,   2,   1,
    0,   21,  42,  63,  84, 105, 106, 107, 17, 108, 18, 19, 109, 110, 111, 112, 113, 114, 115,
    116, 117, 118, 119, 41, 40,  39,  38,  37, 36,  35, 34, 33,  32,  31,  30,  29,  28,  27,
    26,  25,  24,  23,  22, 43,  64,  102, 85, 86,  87, 88, 89,  90,  91,  92,  93,  94,  100,
    95,  96,  97,  98,  99, 78,  61,  60,  59, 58,  57, 56, 55,  54,  53,  52,  51,  50,  49,
    48,  47,  46,  45,  44, 65,  66,  67,  68, 69,  70, 71, 72,  73,  74,  62,  75,  76,  77};

int ClampGroup(int group) {
    return std::clamp(group, 0, profile::kMaxCustomGroups - 1);
}

// Tick changes between steps per speed 0..4.
constexpr std::array<uint8_t, 5> kPeriodDefault = {5, 4, 3, 2, 1};

}  // namespace

const std::array<std::array<uint8_t, kMatrixRows>, kMatrixColumns>& KeyMatrix() {
    return kKeyMatrix;
}

const std::array<std::array<uint8_t, kRingWidth>, kRingCount>& KeyRings() {
    return kKeyRings;
}

const std::array<uint8_t, kLedButtons>& LedOrder() {
    static const std::array<uint8_t, kLedButtons> order = [] {
        std::array<uint8_t, kLedButtons> o{};
        o.fill(170);
        std::copy(kLedOrderKeys.begin(), kLedOrderKeys.end(), o.begin());
        return o;
    }();
    return order;
}

int IsLedInLayout(int led) {
    for (uint8_t k : kLedOrderKeys) {
        if (k == led) {
            return led;
        }
    }
    return 170;
}

std::optional<uint8_t> DeviceModeValue(const std::vector<int>& modeValues, int index) {
    if (index < 0 || static_cast<size_t>(index) >= modeValues.size()) {
        return std::nullopt;
    }
    const int value = modeValues[static_cast<size_t>(index)];
    if (value == 29 || value == 30) {
        return uint8_t{0xFE};
    }
    return static_cast<uint8_t>(value);
}

std::optional<uint8_t> StepPeriod(int mode, int speed) {
    const size_t s = static_cast<size_t>(std::clamp(speed, 0, 4));
    switch (mode) {
        case 1:
            return std::array<uint8_t, 5>{4, 4, 3, 2, 1}[s];
        case 2:
            return std::array<uint8_t, 5>{4, 3, 2, 1, 0}[s];
        case 10:
            return std::array<uint8_t, 5>{9, 8, 7, 6, 5}[s];
        case 14:
            return uint8_t{3};
        case 16:
        case 17:
            return uint8_t{4};
        case 3:
        case 4:
        case 5:
        case 6:
        case 7:
        case 8:
        case 9:
        case 11:
        case 12:
        case 13:
        case 15:
        case 18:
        case 19:
        case 21:
        case 22:
        case 23:
        case 24:
        case 25:
        case 26:
        case 27:
        case 28:
        case 30:
        case 33:
            return kPeriodDefault[s];
        default:
            return std::nullopt;
    }
}

KeyboardLighting::KeyboardLighting(LedColourBuffer& colours, Intensities& intensity,
                                   hid::ReportChannel& channel,
                                   profile::CKeyboardProfiledata& profile)
    : colours_(colours),
      intensity_(intensity),
      channel_(channel),
      profile_(profile),
      writer_([this](const LedFrame& frame) {
          return channel_.LightStreamWrite(0, frame.data(), kLedFrameSize) == hid::kResultOk;
      }) {
    keyToLed_.fill(kNoKey);
    painted_.fill(0xFFFFFFFFu);
    columnMarkers_.fill(1);
}

KeyboardLighting::~KeyboardLighting() {
    StopThread();
}

void KeyboardLighting::SetKeyToLed(const std::array<uint8_t, kLedButtons>& keyToLed) {
    keyToLed_ = keyToLed;
}

void KeyboardLighting::SetRandomSeed(uint32_t seed) {
    std::lock_guard lock(lock_);
    rng_.seed(seed);
}

void KeyboardLighting::PreviewFromLight(const profile::LightInfo& light) {
    preview_.level = light.Light;
    preview_.direction = light.Fx;
    preview_.multi = light.MultiColor;
    preview_.colour = {light.Red, light.Green, light.Blue, 255};
    preview_.group = light.CustomGroup;
    if (streamMode_.exchange(light.SelectItem) != light.SelectItem) {
        WakeThread();
    }
}

int KeyboardLighting::ApplyLighting(profile::LightInfo& currentLight,
                                    std::span<uint8_t, 24> deviceLight) {
    currentLight = profile_.GetLightInfo();
    const profile::AudioLightInfo audio = profile_.GetAudioLightInfo();
    const std::vector<profile::LightInfo> lightList = profile_.GetLightList();
    profile_.LoadLightConfig(profile_.GetLightConfigPath());
    std::vector<profile::LedEffectStep> steps = profile_.GetCustomEffectSteps();

    const uint8_t previous = deviceLight[1];
    deviceLight[1] = currentLight.SelectItem;
    deviceLight[2] = currentLight.Light;
    deviceLight[3] = currentLight.Speed;
    deviceLight[5] = currentLight.MultiColor;
    deviceLight[6] = currentLight.Red;
    deviceLight[7] = currentLight.Green;
    deviceLight[8] = currentLight.Blue;
    deviceLight[22] = currentLight.CustomGroup;

    std::unique_lock lock(lock_);
    audio_ = audio;
    PreviewFromLight(currentLight);
    preview_.mode = deviceLight[1];
    preview_.speed = deviceLight[3];
    const bool restart = preview_.mode != previous || preview_.mode == 19;
    if (restart) {
        ResetEffectsLocked();
        EnterModeLocked(preview_.mode);
    }
    area_.clear();
    for (size_t i = 0; i < lightList.size() && i < colours_.Size(); ++i) {
        AreaState s;
        s.item = lightList[i];
        area_.push_back(s);
    }
    if (preview_.mode == 24) {
        hue_.fill(0);
    }
    stepCounter_ = 0;
    effectList_ = std::move(steps);
    effectStepIndex_ = 0;
    effectStepStarted_ = false;
    lock.unlock();
    if (restart && deviceLight[1] == 19) {
        ShowGroupOnPage(ClampGroup(profile_.GetCustomLightModeGroupIndex()));
    }
    return 1;
}

void KeyboardLighting::UpdatePreview(const profile::LightInfo& currentLight,
                                     std::span<const uint8_t, 24> deviceLight, bool restart) {
    bool showGroup = false;
    {
        std::lock_guard lock(lock_);
        const uint8_t previous = preview_.mode;
        PreviewFromLight(currentLight);
        preview_.mode = deviceLight[1];
        preview_.speed = deviceLight[3];
        if (restart || preview_.mode != previous || preview_.mode == 19) {
            ResetEffectsLocked();
            EnterModeLocked(preview_.mode);
            showGroup = preview_.mode == 19;
        }
    }
    if (showGroup) {
        ShowGroupOnPage(ClampGroup(profile_.GetCustomLightModeGroupIndex()));
    }
}

void KeyboardLighting::SetPreviewLight(const profile::LightInfo& currentLight) {
    std::lock_guard lock(lock_);
    PreviewFromLight(currentLight);
    preview_.speed = currentLight.Speed;
}

void KeyboardLighting::SetAudioLight(const profile::AudioLightInfo& audio) {
    std::lock_guard lock(lock_);
    audio_ = audio;
}

profile::AudioLightInfo KeyboardLighting::AudioLight() const {
    std::lock_guard lock(lock_);
    return audio_;
}

int KeyboardLighting::PreviewMode() const {
    std::lock_guard lock(lock_);
    return preview_.mode;
}

void KeyboardLighting::ResetEffects() {
    std::lock_guard lock(lock_);
    ResetEffectsLocked();
}

void KeyboardLighting::ResetEffectsLocked() {
    stepCounter_ = 0;
    stage_ = 0;
    stageCounter_ = 0;
    phaseA_ = 0;
    phaseB_ = 0;
    counters_ = PreviewCounters{};
    hue_.fill(0);
    phase_.fill(0);
    marker_.fill(0);
    for (auto& mask : waveMasks_) {
        mask.fill(0);
    }
    for (auto& v : intensity_) {
        v.store(0, std::memory_order_relaxed);
    }
    levels_.fill(0);
    lastHeights_.fill(0);
    levelsFresh_ = false;
    beatAccumulator_ = 0;
    columnMarkers_.fill(1);
    // A new mode starts from a dark picture; mode 19 loads its colours next.
    colours_.Fill(LedColour{});
}

void KeyboardLighting::EnterMode(int mode) {
    std::lock_guard lock(lock_);
    EnterModeLocked(mode);
}

void KeyboardLighting::EnterModeLocked(int mode) {
    switch (mode) {
        case 11:
            for (int i = 0; i < 24; ++i) {
                const uint8_t led = LedOrder()[rng_() % kLedOrderCount];
                SetIntensity(led, static_cast<uint8_t>(rng_() % 256));
                hue_[led] = RandomHue();
            }
            return;
        case 12:
            for (uint8_t led : kLedOrderKeys) {
                phase_[led] = static_cast<uint8_t>(rng_() % 192);
                hue_[led] = RandomHue();
            }
            return;
        case 13:
            // A snake: phases fall along the LED chain, so the lit part moves.
            for (size_t p = 0; p < kLedOrderCount; ++p) {
                const uint8_t led = kLedOrderKeys[p];
                phase_[led] = static_cast<uint8_t>(191 - (p * 6) % 192);
                hue_[led] = static_cast<uint8_t>((p * 5) % 192);
            }
            return;
        case 14:
            phaseA_ = 0;
            marker_.fill(0);
            return;
        case 19:
            LoadCustomColoursLocked();
            return;
        default: {
            // Start hues: +33 per LED, +97 after a sum between 160 and 222.
            unsigned h = 0;
            for (size_t i = 0; i < kLedButtons; ++i) {
                hue_[i] = static_cast<uint8_t>(h);
                h = (h + ((h >= 160 && h <= 222) ? 97u : 33u)) % 256u;
            }
            return;
        }
    }
}

// ---- Light thread ----------------------------------------------------------

void KeyboardLighting::StartThread() {
    StopThread();
    thread_.Start(
        [this](const platform::StopEvent& stop) {
            {
                std::lock_guard lock(lock_);
                tickKnown_ = false;
            }
            {
                std::lock_guard wakeLock(wakeMutex_);
                wakeStopping_ = false;
                wakeRequested_ = false;
            }
            const platform::ScopedStopHook hook =
                platform::RaiseOnStop(stop, wakeMutex_, wakeCv_, wakeStopping_);
            std::chrono::milliseconds wait{1};
            for (;;) {
                {
                    std::unique_lock wakeLock(wakeMutex_);
                    wakeCv_.wait_for(wakeLock, wait,
                                     [this] { return wakeStopping_ || wakeRequested_; });
                    if (wakeStopping_) {
                        break;
                    }
                    wakeRequested_ = false;
                }
                if (!channel_.IsOpen()) {
                    wait = std::chrono::milliseconds(100);
                    continue;
                }
                if (!channel_.LightSyncHold()) {
                    Pass();
                }
                wait = NextPassWait(
                    static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                              std::chrono::steady_clock::now().time_since_epoch())
                                              .count()));
            }
            platform::DebugOutput("KB灯光线程设定退出");
        },
        "qx70-light");
}

void KeyboardLighting::SetPreviewShown(bool shown) {
    if (previewShown_.exchange(shown) != shown && shown) {
        WakeThread();
    }
}

void KeyboardLighting::WakeThread() {
    std::lock_guard wakeLock(wakeMutex_);
    wakeRequested_ = true;
    wakeCv_.notify_all();
}

std::chrono::milliseconds KeyboardLighting::NextPassWait(uint64_t nowMs) const {
    const uint8_t mode = streamMode_.load();
    if (!previewShown_.load() && mode != 29 && mode != 30) {
        return std::chrono::milliseconds(kIdlePassMs);
    }
    // Steps are counted in tick changes: sleep until the next one instead of
    // polling the clock every millisecond.
    const uint64_t nextTick = platform::kTickStepMs - nowMs % platform::kTickStepMs + 1;
    // A mode that only steps every few ticks (and then runs no area effects)
    // changes nothing in between: sleep through to the tick of its step.
    std::lock_guard lock(lock_);
    const std::optional<uint8_t> period = StepPeriod(preview_.mode, preview_.speed);
    const uint32_t ticksLeft =
        period && *period > stepCounter_ + 1 ? *period - stepCounter_ - 1 : 0;
    return std::chrono::milliseconds(nextTick + uint64_t{ticksLeft} * platform::kTickStepMs);
}

void KeyboardLighting::StopThread() {
    if (thread_.Started()) {
        thread_.StopAndJoin(
            std::chrono::milliseconds(1000),
            platform::JoinTexts{"线程退出：：对象处于激发状态\n",
                                "线程退出：：对象处于非激发状态，超时\n", "线程退出：：错误\n"});
    }
}

void KeyboardLighting::Pass() {
    const uint32_t now = platform::TickCount();
    std::lock_guard lock(lock_);
    RunPassLocked(now);
}

void KeyboardLighting::RunPassLocked(uint32_t now) {
    bool tickChanged = false;
    if (!tickKnown_) {
        lastTick_ = now;
        tickKnown_ = true;
    } else if (now - lastTick_ > 1) {
        // A thread that slept through several tick changes counts them all,
        // so the effect keeps its pace however the passes fall.
        stepCounter_ += std::max<uint32_t>(1, (now - lastTick_) / platform::kTickStepMs);
        lastTick_ = now;
        tickChanged = true;
    }
    const int mode = preview_.mode;
    if (mode == 29) {
        if (stepCounter_ > 1) {
            StepMode29();
            stepCounter_ = 0;
        }
    } else if (const std::optional<uint8_t> period = StepPeriod(mode, preview_.speed)) {
        if (stepCounter_ >= *period) {
            StepLocked(mode, now);
            stepCounter_ = 0;
        }
    } else {
        PlayEffectList(now, tickChanged);
    }
    RunAreaEffects(now, tickChanged);
}

void KeyboardLighting::Step(int mode) {
    const uint32_t now = platform::TickCount();
    std::lock_guard lock(lock_);
    StepLocked(mode, now);
}

void KeyboardLighting::StepLocked(int mode, uint32_t now) {
    PreviewLight light;
    light.direction = preview_.direction;
    light.multiColour = preview_.multi;
    light.brightness = preview_.level;
    light.speed = preview_.speed;
    light.colour = preview_.colour;
    switch (mode) {
        case 1:
            StepMode1();
            break;
        case 2:
            StepMode2();
            break;
        case 3:
            device::PreviewSpectrum(light, counters_, colours_);
            break;
        case 4:
            PreviewBreathWheel();
            break;
        case 5:
            PreviewStatic();
            break;
        case 6:
        case 25:
            StepMode6And25();
            break;
        case 7:
            StepMode7();
            break;
        case 8:
            StepMode8();
            break;
        case 9:
            StepMode9();
            break;
        case 10:
            StepMode10();
            break;
        case 11:
            StepMode11();
            break;
        case 12:
        case 13:
            StepTwinkle();
            break;
        case 14:
            StepMode14();
            break;
        case 15:
            StepMode15();
            break;
        case 16:
            StepMode16();
            break;
        case 17:
            device::PreviewOff(colours_);
            break;
        case 18:
            StepMode18();
            break;
        case 19:
            StepMode19();
            break;
        case 21:
            StepMode21();
            break;
        case 22:
            StepMode22();
            break;
        case 23:
            device::PreviewBlink(light, counters_, now, colours_);
            break;
        case 24:
            StepMode24();
            break;
        case 26:
            device::PreviewBreathFourColours(light, counters_, colours_);
            break;
        case 27:
            device::PreviewBlinkFourColours(light, counters_, now, colours_);
            break;
        case 28:
            StepMode28();
            break;
        case 29:
            StepMode29();
            break;
        case 30:
            StepMode30();
            break;
        case 33:
            StepMode33();
            break;
        default:
            PlayEffectList(now, true);
            break;
    }
}

// ---- Reactive effects ------------------------------------------------------

void KeyboardLighting::TriggerReactive(int key, int kind) {
    std::lock_guard lock(lock_);
    switch (preview_.mode) {
        case 25:
            TriggerMode25Locked(key, kind);
            break;
        case 7:
        case 8:
            TriggerWaveLocked(key, kind);
            break;
        case 6:
            TriggerMode6Locked(key, kind);
            break;
        default:
            break;
    }
}

void KeyboardLighting::TriggerWave(int key, int kind) {
    std::lock_guard lock(lock_);
    TriggerWaveLocked(key, kind);
}

void KeyboardLighting::TriggerWaveLocked(int key, int kind) {
    if (kind != 1) {
        return;
    }
    const Cell cell = CellOf(key);
    if (!cell.valid) {
        return;
    }
    for (auto& mask : waveMasks_) {
        mask[static_cast<size_t>(cell.column)] |= static_cast<uint8_t>(1u << cell.row);
    }
}

void KeyboardLighting::TriggerMode6(int key, int kind) {
    std::lock_guard lock(lock_);
    TriggerMode6Locked(key, kind);
}

void KeyboardLighting::TriggerMode6Locked(int key, int kind) {
    if (key < 0 || key >= kLedButtons || (kind != 1 && kind != 2)) {
        return;
    }
    marker_[static_cast<size_t>(key)] = kind == 1 ? kRising : kFalling;
    SetIntensity(key, 255);
    hue_[static_cast<size_t>(key)] = RandomHue();
}

void KeyboardLighting::TriggerMode25(int key, int kind) {
    std::lock_guard lock(lock_);
    TriggerMode25Locked(key, kind);
}

void KeyboardLighting::TriggerMode25Locked(int key, int kind) {
    const Cell cell = CellOf(key);
    if (!cell.valid || (kind != 1 && kind != 2)) {
        return;
    }
    if (kind == 1) {
        marker_[static_cast<size_t>(key)] = kHeld;
        SetIntensity(key, 255);
        hue_[static_cast<size_t>(key)] = RandomHue();
    } else {
        marker_[static_cast<size_t>(key)] = kFalling;
    }
    for (int dc = -2; dc <= 2; ++dc) {
        for (int dr = -2; dr <= 2; ++dr) {
            const int c = cell.column + dc;
            const int r = cell.row + dr;
            if ((dc == 0 && dr == 0) || c < 0 || c >= kMatrixColumns || r < 0 || r >= kMatrixRows) {
                continue;
            }
            const uint8_t n = kKeyMatrix[static_cast<size_t>(c)][static_cast<size_t>(r)];
            if (n == kNoKey || marker_[n] == kHeld) {
                continue;
            }
            if (kind == 1) {
                SetIntensity(n, static_cast<uint8_t>(std::min(255, IntensityOf(n) + 60)));
                hue_[n] = hue_[static_cast<size_t>(key)];
                marker_[n] = kLit;
            } else if (!IsNeighbourHeld(c, r, key)) {
                marker_[n] = kFalling;
            }
        }
    }
}

bool KeyboardLighting::IsNeighbourHeld(int column, int row, int key) const {
    for (int dc = -2; dc <= 2; ++dc) {
        for (int dr = -2; dr <= 2; ++dr) {
            const int c = column + dc;
            const int r = row + dr;
            if (c < 0 || c >= kMatrixColumns || r < 0 || r >= kMatrixRows) {
                continue;
            }
            const uint8_t n = kKeyMatrix[static_cast<size_t>(c)][static_cast<size_t>(r)];
            if (n != kNoKey && n != key && marker_[n] == kHeld) {
                return true;
            }
        }
    }
    return false;
}

void KeyboardLighting::ClearWaveMasks() {
    std::lock_guard lock(lock_);
    for (auto& mask : waveMasks_) {
        mask.fill(0);
    }
}

std::array<uint8_t, 4> KeyboardLighting::WaveMasks(int column) const {
    std::lock_guard lock(lock_);
    if (column < 0 || column >= kMatrixColumns) {
        return {};
    }
    const size_t c = static_cast<size_t>(column);
    return {waveMasks_[0][c], waveMasks_[1][c], waveMasks_[2][c], waveMasks_[3][c]};
}

void KeyboardLighting::ExtraEffectA() {
    for (size_t c = 0; c < kMatrixColumns; ++c) {
        const uint8_t bits =
            waveMasks_[0][c] | waveMasks_[1][c] | waveMasks_[2][c] | waveMasks_[3][c];
        for (size_t r = 0; r < kMatrixRows; ++r) {
            const uint8_t led = kKeyMatrix[c][r];
            if (led == kNoKey || (bits & (1u << r)) == 0) {
                continue;
            }
            SetIntensity(led, 255);
            if (preview_.multi) {
                hue_[led] = RandomHue();
            }
        }
    }
}

void KeyboardLighting::ExtraEffectB() {
    auto& left = waveMasks_[0];
    auto& right = waveMasks_[1];
    for (size_t c = 0; c + 1 < kMatrixColumns; ++c) {
        left[c] = left[c + 1];
    }
    left[kMatrixColumns - 1] = 0;
    for (size_t c = kMatrixColumns - 1; c > 0; --c) {
        right[c] = right[c - 1];
    }
    right[0] = 0;
    for (size_t c = 0; c < kMatrixColumns; ++c) {
        waveMasks_[2][c] = static_cast<uint8_t>(waveMasks_[2][c] >> 1);
        waveMasks_[3][c] = static_cast<uint8_t>((waveMasks_[3][c] << 1) & 0x3F);
    }
}

// ---- Frame stream ----------------------------------------------------------

void KeyboardLighting::BuildLedFrame(LedFrame& frame) const {
    frame.fill(0);
    const size_t count = std::min<size_t>(colours_.Size(), kLedButtons);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t d = keyToLed_[i];
        if (d >= kFrameLeds) {
            continue;  // no LED, or one the frame does not carry
        }
        const LedColour c = colours_.Get(i);
        frame[3u * d] = static_cast<uint8_t>(c.r * c.alpha >> 8);
        frame[3u * d + 1] = static_cast<uint8_t>(c.g * c.alpha >> 8);
        frame[3u * d + 2] = static_cast<uint8_t>(c.b * c.alpha >> 8);
    }
}

void KeyboardLighting::PushLedFrame(DevicePageView* view, const std::vector<int>& ledButtons,
                                    int functionPage, int lightControl) {
    if (lightControl == 0) {
        return;
    }
    const size_t count = std::min<size_t>(colours_.Size(), kLedButtons);
    // The frame timer runs several times per tick; between steps of the
    // light thread nothing changes but the page's visibility, which is
    // looked at again once per tick.
    const uint32_t generation = colours_.Generation();
    const uint32_t tick = platform::TickCount();
    const bool fresh = generation != pushedGeneration_ || tick != pushedTick_ ||
                       functionPage != pushedPage_ || view != pushedView_;
    if (view != nullptr && fresh) {
        if (view != pushedView_) {
            painted_.fill(0xFFFFFFFFu);  // a new page has nothing painted yet
        }
        pushedGeneration_ = generation;
        pushedTick_ = tick;
        pushedPage_ = functionPage;
        pushedView_ = view;
        for (size_t i = 0; i < count && i < ledButtons.size(); ++i) {
            const int button = ledButtons[i];
            if (button < 0) {
                continue;
            }
            LedColour c = colours_.Get(i);
            if (functionPage != 1 || !view->IsButtonVisible(button)) {
                c = LedColour{};
            }
            const uint32_t word = uint32_t{c.r} | uint32_t{c.b} << 8 | uint32_t{c.g} << 16;
            // Only changed buttons are handed over, so an idle picture costs
            // no repaint.
            const uint32_t key = word | uint32_t{c.alpha} << 24;
            if (painted_[i] != key) {
                painted_[i] = key;
                view->SetButtonColour(button, word, c.alpha);
            }
        }
    }
    const uint8_t mode = streamMode_.load();
    if (mode != 29 && mode != 30) {
        return;
    }
    const uint32_t now = platform::TickCount();
    if (const std::optional<uint32_t> failed = writer_.TakeFailure()) {
        // Instead of sleeping on the UI thread: skip frames for 200 ms.
        streamPaused_ = true;
        streamResumeTick_ = *failed;
        submittedValid_ = false;  // the keyboard may not show the last one
    }
    if (streamPaused_) {
        if (now - streamResumeTick_ >= 200) {
            streamPaused_ = false;
        } else {
            framesSkipped_.fetch_add(1);
            return;
        }
    }
    LedFrame frame;
    BuildLedFrame(frame);
    // The timer runs four times per tick and the colours change at most once
    // per tick: each frame the keyboard already shows would cost a full
    // chunked write for nothing.
    if (submittedValid_ && mode == submittedMode_ && frame == submitted_ &&
        now - submittedTick_ < kUnchangedFrameResendMs) {
        ++framesUnchanged_;
        return;
    }
    submitted_ = frame;
    submittedValid_ = true;
    submittedMode_ = mode;
    submittedTick_ = now;
    writer_.Submit(frame);
}

// ---- Custom colours --------------------------------------------------------

CustomColourTable KeyboardLighting::BuildCustomColourTable(
    const std::vector<LedColour>& colours) const {
    CustomColourTable table{};
    const size_t count = std::min<size_t>(colours.size(), kLedButtons);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t d = keyToLed_[i];
        if (d >= kTableLeds) {
            continue;
        }
        const LedColour c = colours[i];
        const bool black = c.r == 0 && c.g == 0 && c.b == 0;
        const uint8_t slot = black ? 0 : static_cast<uint8_t>(PaletteSlotOf(c.r, c.g, c.b) + 1);
        uint8_t& byte = table[d / 2u];
        if (d % 2 == 0) {
            byte = static_cast<uint8_t>((byte & 0xF0) | slot);
        } else {
            byte = static_cast<uint8_t>((byte & 0x0F) | slot << 4);
        }
    }
    return table;
}

namespace {

std::vector<LedColour> ToLedColours(const std::vector<profile::LightColorInfo>& list) {
    std::vector<LedColour> out;
    out.reserve(list.size());
    for (const auto& c : list) {
        out.push_back({c.Red, c.Green, c.Blue, c.Alpha});
    }
    return out;
}

std::vector<profile::LightColorInfo> ToProfileColours(const LedColourBuffer& buffer) {
    std::vector<profile::LightColorInfo> out(buffer.Size());
    for (size_t i = 0; i < buffer.Size(); ++i) {
        const LedColour c = buffer.Get(i);
        out[i] = {c.r, c.g, c.b, c.alpha};
    }
    return out;
}

std::vector<LedColour> Snapshot(const LedColourBuffer& buffer) {
    std::vector<LedColour> out(buffer.Size());
    for (size_t i = 0; i < buffer.Size(); ++i) {
        out[i] = buffer.Get(i);
    }
    return out;
}

}  // namespace

void KeyboardLighting::SetCustomKeyColour(int led, const profile::LightInfo& currentLight) {
    if (led < 0 || static_cast<size_t>(led) >= colours_.Size()) {
        return;
    }
    const LedColour c{currentLight.Red, currentLight.Green, currentLight.Blue, 255};
    colours_.Set(static_cast<size_t>(led), c);
    currentPaletteSlot_ = PaletteSlotOf(c.r, c.g, c.b) + 1;
    const int group = lightPage_ != nullptr ? lightPage_->SelectedCustomGroup() : -1;
    if (group < 0) {
        return;
    }
    profile_.SetCustomLightColors(ClampGroup(group), ToProfileColours(colours_));
    profile_.Save();
    const CustomColourTable table = BuildCustomColourTable(Snapshot(colours_));
    channel_.StreamChunkedWrite(kCmdCustomColours,
                                static_cast<uint32_t>(ClampGroup(group)) * kCustomGroupStride,
                                table.data(), kCustomTableSize);
}

int KeyboardLighting::SendCustomColourTable(const std::vector<LedColour>& colours) {
    const CustomColourTable table = BuildCustomColourTable(colours);
    const int group = ClampGroup(profile_.GetCustomLightModeGroupIndex());
    return channel_.StreamChunkedWrite(kCmdCustomColours,
                                       static_cast<uint32_t>(group) * kCustomGroupStride,
                                       table.data(), kCustomTableSize);
}

void KeyboardLighting::ApplyCustomGroup(profile::LightInfo& currentLight) {
    currentLight = profile_.GetLightInfo();
    SetPreviewLight(currentLight);
    const int group = ClampGroup(profile_.GetCustomLightModeGroupIndex());
    const std::vector<LedColour> list =
        ToLedColours(profile_.GetCustomLightColors(group, static_cast<int>(colours_.Size())));
    for (size_t i = 0; i < list.size() && i < colours_.Size(); ++i) {
        colours_.Set(i, list[i]);
    }
    SendCustomColourTable(list);
}

int KeyboardLighting::SendFillTable() {
    uint8_t group = 0;
    {
        std::lock_guard lock(lock_);
        if (preview_.mode != 19) {
            return 0;
        }
        group = preview_.group;
    }
    CustomColourTable table;
    const uint8_t slot = static_cast<uint8_t>(std::clamp(currentPaletteSlot_, 0, 15));
    table.fill(static_cast<uint8_t>(slot | slot << 4));
    return channel_.StreamChunkedWrite(
        kCmdCustomColours, static_cast<uint32_t>(ClampGroup(group)) * kCustomGroupStride,
        table.data(), kCustomTableSize);
}

void KeyboardLighting::FillCustomColour(bool on, profile::LightInfo& currentLight) {
    LedColour fill{};
    if (on) {
        // The device can only show palette colours: snap the picker colour.
        const int slot = PaletteSlotOf(currentLight.Red, currentLight.Green, currentLight.Blue);
        const PaletteColour p = Palette()[static_cast<size_t>(slot)];
        currentPaletteSlot_ = slot + 1;
        currentLight.Red = p.r;
        currentLight.Green = p.g;
        currentLight.Blue = p.b;
        SetPreviewLight(currentLight);
        fill = {p.r, p.g, p.b, 255};
    } else {
        currentPaletteSlot_ = 0;
    }
    const size_t count = std::min<size_t>(colours_.Size(), 130);
    for (size_t i = 0; i < count; ++i) {
        colours_.Set(i, fill);
    }
    SendFillTable();
    const int group = lightPage_ != nullptr ? lightPage_->SelectedCustomGroup() : -1;
    if (group >= 0) {
        profile_.SetCustomLightColors(ClampGroup(group), ToProfileColours(colours_));
        profile_.Save();
    }
}

void KeyboardLighting::SelectCustomGroup(int group, std::span<uint8_t, 24> deviceLight) {
    group = ClampGroup(group);
    if (lightPage_ != nullptr) {
        lightPage_->ShowCustomGroup(group);
    }
    profile_.SetCustomLightModeGroupIndex(group);
    deviceLight[22] = static_cast<uint8_t>(group);
    {
        std::lock_guard lock(lock_);
        preview_.group = static_cast<uint8_t>(group);
    }
    profile_.Save();
}

int KeyboardLighting::LoadCustomColoursLocked() {
    const int group = ClampGroup(profile_.GetCustomLightModeGroupIndex());
    const std::vector<profile::LightColorInfo> list =
        profile_.GetCustomLightColors(group, static_cast<int>(colours_.Size()));
    for (size_t i = 0; i < list.size() && i < colours_.Size(); ++i) {
        colours_.Set(i, {list[i].Red, list[i].Green, list[i].Blue, list[i].Alpha});
    }
    return group;
}

void KeyboardLighting::EnterMode19() {
    int group = 0;
    {
        std::lock_guard lock(lock_);
        group = LoadCustomColoursLocked();
    }
    ShowGroupOnPage(group);
}

void KeyboardLighting::ShowGroupOnPage(int group) {
    // Outside the lock: the page may call back into the lighting.
    if (lightPage_ != nullptr) {
        lightPage_->ShowCustomGroup(group);
    }
}

void KeyboardLighting::ReloadCustomColours() {
    EnterMode19();
    SendFillTable();
}

}  // namespace device
