// Keyboard lighting: the on-screen preview of every lighting mode (a light
// thread that animates the LED colours the page paints), the reactive effects
// of key events, music lighting, the LED frame stream of the music and
// colour-sync modes, and the per-key custom colours (tables of palette slots).
//
// Threads: the light thread runs the step operations; the UI thread applies
// settings, paints and streams frames; the event thread reports key events.
// Every work area below is guarded by one lock that a pass of the light thread
// holds for a few microseconds; the LED colours and intensities are atomic
// words, so painting reads them without the lock.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <random>
#include <span>
#include <type_traits>
#include <vector>

#include "device/device_views.h"
#include "device/frame_writer.h"
#include "device/led_colours.h"
#include "device/preview_effects.h"
#include "hid/report_channel.h"
#include "platform/worker_thread.h"
#include "profile/profile_data.h"
#include "profile/profile_types.h"

namespace device {

// ---- Layout tables (entries are LED button indices, 255 = no key) --------

inline constexpr int kLedButtons = 170;
inline constexpr int kMatrixColumns = 23;
inline constexpr int kMatrixRows = 6;
inline constexpr int kRingCount = 12;
inline constexpr int kRingWidth = 12;
inline constexpr int kLedOrderCount = 114;
inline constexpr uint8_t kNoKey = 255;

// By column; row 0 is the top row.
const std::array<std::array<uint8_t, kMatrixRows>, kMatrixColumns>& KeyMatrix();
// Rings around key 51, ring 0 innermost.
const std::array<std::array<uint8_t, kRingWidth>, kRingCount>& KeyRings();
// The keys in the device's LED chain order, then 170 up to 170 entries.
const std::array<uint8_t, kLedButtons>& LedOrder();
// `led` when LedOrder holds it, else 170.
int IsLedInLayout(int led);

// ---- Device-side records ----------------------------------------------

inline constexpr uint8_t kCmdCustomColours = 0x0B;
inline constexpr uint32_t kCustomTableSize = 64;
inline constexpr uint32_t kCustomGroupStride = 512;
inline constexpr uint32_t kLedFrameSize = 342;
inline constexpr int kFrameLeds = 114;  // LED indices a frame carries
inline constexpr int kTableLeds = 128;  // LED indices a colour table carries

using CustomColourTable = std::array<uint8_t, kCustomTableSize>;
using LedFrame = std::array<uint8_t, kLedFrameSize>;
static_assert(std::is_same_v<LedFrame, FrameWriter::Frame>);

// The mode value sent for a mode index: the table's entry, with 29 and 30 as
// 0xFE (the program streams those). Nothing when the index lies outside the
// table, so no settings record is sent for a mode the table lacks.
std::optional<uint8_t> DeviceModeValue(const std::vector<int>& modeValues, int index);

// Period (tick changes between steps) of a mode at speed 0..4; nothing for
// a mode without a step operation. Mode 29 is handled apart.
std::optional<uint8_t> StepPeriod(int mode, int speed);

// The lighting page as the custom colour operations need it.
class LightPageLink {
  public:
    virtual ~LightPageLink() = default;
    // The custom group the page shows as selected, or -1 when none.
    virtual int SelectedCustomGroup() const = 0;
    virtual void ShowCustomGroup(int group) = 0;
};

class KeyboardLighting {
  public:
    using Intensities = std::array<std::atomic<uint8_t>, kLedButtons>;

    // The pieces of the keyboard device the lighting works on; all outlive
    // this object.
    KeyboardLighting(LedColourBuffer& colours, Intensities& intensity, hid::ReportChannel& channel,
                     profile::CKeyboardProfiledata& profile);
    ~KeyboardLighting();
    KeyboardLighting(const KeyboardLighting&) = delete;
    KeyboardLighting& operator=(const KeyboardLighting&) = delete;

    // ---- Configuration (UI thread) ----
    // Key button -> device LED index (255 = none), from the key maps.
    void SetKeyToLed(const std::array<uint8_t, kLedButtons>& keyToLed);
    void SetLightPage(LightPageLink* page) { lightPage_ = page; }
    void SetRandomSeed(uint32_t seed);

    // ---- Settings (UI thread) ----
    // Loads the profile's lighting into the live state: `currentLight` and
    // the decoded settings record `deviceLight` (bytes 1, 2, 3, 5-8, 22)
    // follow the profile; a changed mode (or mode 19) restarts the preview.
    int ApplyLighting(profile::LightInfo& currentLight, std::span<uint8_t, 24> deviceLight);
    // After the settings record was read or edited: the preview takes the
    // mode and speed of `deviceLight` and the rest of `currentLight`;
    // restarts it when the mode changed or is 19 (or `restart` is set).
    void UpdatePreview(const profile::LightInfo& currentLight,
                       std::span<const uint8_t, 24> deviceLight, bool restart = false);
    // The colours and flags the preview draws with changed (mode unchanged).
    void SetPreviewLight(const profile::LightInfo& currentLight);
    void SetAudioLight(const profile::AudioLightInfo& audio);
    profile::AudioLightInfo AudioLight() const;
    int PreviewMode() const;

    void ResetEffects();
    // The mode-enter operation of `mode` (after ResetEffects).
    void EnterMode(int mode);

    // ---- Light thread ----
    // Starts (or restarts) the thread; it runs until StopThread.
    void StartThread();
    void StopThread();
    // Whether anyone sees the preview. While nobody does and the keyboard is
    // not streamed frames, the light thread steps once a second instead of
    // on every tick; showing the preview wakes it at once.
    void SetPreviewShown(bool shown);
    // How long the light thread sleeps after a pass ending at `nowMs`.
    std::chrono::milliseconds NextPassWait(uint64_t nowMs) const;
    static constexpr int kIdlePassMs = 1000;
    bool ThreadRunning() const { return thread_.Running(); }
    // One pass of the thread: counts the tick change, runs the mode's step
    // when its period is due (or the custom effect player), then the area
    // effects. Tests drive it with a manual clock.
    void Pass();
    // Runs the step operation of `mode` once, as the thread would.
    void Step(int mode);

    // ---- Reactive effects (any thread) ----
    void TriggerReactive(int key, int kind);
    void TriggerWave(int key, int kind);
    void TriggerMode6(int key, int kind);
    void TriggerMode25(int key, int kind);
    void ClearWaveMasks();
    // The wave mask bits of column `column` (left, right, up, down).
    std::array<uint8_t, 4> WaveMasks(int column) const;

    // ---- Music (UI thread) ----
    // `length` is in bytes: little-endian 32-bit values, at most 25 levels
    // and 6 bands are taken.
    void OnAudioLevels(const uint8_t* data, size_t length);
    void OnAudioBands(const uint8_t* data, size_t length);
    void ResetAudioBuffers();
    // A level as a bar height 0..600 (the capture's scale: larger is quieter).
    static int LevelToHeight(int64_t level);

    // ---- Frame stream (UI thread) ----
    // Paints the LED buttons and, in modes 29 and 30, hands the frame to the
    // frame writer; it never waits for the device.
    // `ledButtons` are the page's button indices of the LED buttons.
    void PushLedFrame(DevicePageView* view, const std::vector<int>& ledButtons, int functionPage,
                      int lightControl);
    void BuildLedFrame(LedFrame& frame) const;
    // Frames sent, frames a failed send skipped, and frames left out because
    // the keyboard already shows them (for tests and benches).
    uint32_t FramesSent() const { return writer_.Written(); }
    uint32_t FramesSkipped() const { return framesSkipped_.load(); }
    uint32_t FramesUnchanged() const { return framesUnchanged_; }
    // A frame equal to the last one handed over is sent again only this long
    // after it, so a keyboard that missed it still catches up.
    static constexpr uint32_t kUnchangedFrameResendMs = 100;
    FrameWriter& StreamWriter() { return writer_; }

    // ---- Custom colours (UI thread) ----
    CustomColourTable BuildCustomColourTable(const std::vector<LedColour>& colours) const;
    void SetCustomKeyColour(int led, const profile::LightInfo& currentLight);
    int SendCustomColourTable(const std::vector<LedColour>& colours);
    void ApplyCustomGroup(profile::LightInfo& currentLight);
    int SendFillTable();
    void FillCustomColour(bool on, profile::LightInfo& currentLight);
    void SelectCustomGroup(int group, std::span<uint8_t, 24> deviceLight);
    void EnterMode19();
    void ReloadCustomColours();
    int CurrentPaletteSlot() const { return currentPaletteSlot_; }
    void SetCurrentPaletteSlot(int slot) { currentPaletteSlot_ = slot; }

  private:
    struct Preview {
        uint8_t mode = 0, level = 4, speed = 2, direction = 0, multi = 0;
        LedColour colour{255, 0, 0, 255};
        uint8_t group = 0;
    };
    struct AreaState {
        profile::LightInfo item;
        uint8_t phase = 0, hue = 0, blinkOn = 0, ticks = 0;
        uint32_t lastToggle = 0;
    };

    void RunPassLocked(uint32_t now);
    void StepLocked(int mode, uint32_t now);
    void ResetEffectsLocked();
    void EnterModeLocked(int mode);
    // Loads the current group's colours; returns the group.
    int LoadCustomColoursLocked();
    void ShowGroupOnPage(int group);
    void PreviewFromLight(const profile::LightInfo& light);

    // Step operations (lock held).
    void StepMode1();
    void StepMode2();
    void PreviewBreathWheel();
    void PreviewStatic();
    void StepMode6And25();
    void StepMode7();
    void StepMode8();
    void StepMode9();
    void StepMode10();
    void FlareRandomKey();
    void StepMode11();
    void StepTwinkle();  // modes 12 and 13
    void StepMode14();
    void StepMode15();
    void StepMode16();
    void StepMode18();
    void StepMode19();
    void StepMode21();
    void StepMode22();
    void StepMode24();
    void StepMode28();
    void StepMode29();
    void StepMode30();
    void StepMode33();
    void PlayEffectList(uint32_t now, bool tickChanged);
    void RunAreaEffects(uint32_t now, bool tickChanged);

    void ExtraEffectA();
    void ExtraEffectB();
    void TriggerWaveLocked(int key, int kind);
    void TriggerMode6Locked(int key, int kind);
    void TriggerMode25Locked(int key, int kind);
    bool IsNeighbourHeld(int column, int row, int key) const;
    void FadeAll(int kind);

    // Music visualisers (lock held).
    bool TakeLevels(std::array<int, 25>& heights);
    void Visualiser0();
    void Visualiser1();
    void Visualiser2();
    void Visualiser3();
    void Visualiser4();
    void Visualiser5();
    void Visualiser6();
    void VisualiserSpare();
    void DrawBars(const std::array<int, 25>& heights, int shape);
    void DrawMusicLed(int led, uint8_t hueForColourful);

    // Drawing helpers.
    uint8_t Alpha() const;
    uint8_t RandomHue();
    void SetLed(int led, LedColour c, uint8_t alpha);
    LedColour TintOf(uint8_t hue) const;  // wheel[hue] with the multi flag, else the colour
    void Decay(int led, int kind);
    uint8_t IntensityOf(int led) const;
    void SetIntensity(int led, uint8_t v);

    LedColourBuffer& colours_;
    Intensities& intensity_;
    hid::ReportChannel& channel_;
    profile::CKeyboardProfiledata& profile_;
    LightPageLink* lightPage_ = nullptr;

    mutable std::mutex lock_;
    Preview preview_;
    profile::AudioLightInfo audio_;
    std::atomic<uint8_t> streamMode_{0};  // mode of currentLight, read by PushLedFrame
    std::atomic<bool> previewShown_{true};
    std::array<uint8_t, kLedButtons> hue_{};
    std::array<uint8_t, kLedButtons> phase_{};
    std::array<uint8_t, kLedButtons> marker_{};
    std::array<std::array<uint8_t, kMatrixColumns>, 4> waveMasks_{};
    uint32_t stepCounter_ = 0;  // tick changes since the last step
    uint32_t lastTick_ = 0;
    bool tickKnown_ = false;
    uint8_t phaseA_ = 0;  // the modes' own phase counters
    uint8_t phaseB_ = 0;
    uint32_t stage_ = 0;  // scripted stage of mode 33
    uint32_t stageCounter_ = 0;
    PreviewCounters counters_;
    std::mt19937 rng_{0x51A7u};

    // Music.
    std::array<int64_t, 25> levels_{};
    bool levelsFresh_ = false;
    std::array<int, 25> lastHeights_{};
    int64_t beatAccumulator_ = 0;
    std::array<uint8_t, 25> columnMarkers_{};
    std::array<uint32_t, 6> bands_{};

    // Custom effect player, per device.
    std::vector<profile::LedEffectStep> effectList_;
    size_t effectStepIndex_ = 0;
    uint32_t effectStepStart_ = 0;
    bool effectStepStarted_ = false;
    uint8_t effectTicks_ = 0;
    PreviewCounters effectCounters_;

    std::vector<AreaState> area_;

    // Keys and frames (UI thread).
    std::array<uint8_t, kLedButtons> keyToLed_{};
    std::array<uint32_t, kLedButtons> painted_{};
    uint32_t pushedGeneration_ = 0;
    uint32_t pushedTick_ = 0;
    int pushedPage_ = -1;
    const DevicePageView* pushedView_ = nullptr;
    int currentPaletteSlot_ = 0;
    uint32_t streamResumeTick_ = 0;
    bool streamPaused_ = false;
    std::atomic<uint32_t> framesSkipped_{0};
    LedFrame submitted_{};
    bool submittedValid_ = false;
    uint8_t submittedMode_ = 0;
    uint32_t submittedTick_ = 0;
    uint32_t framesUnchanged_ = 0;

    // Ends the light thread's sleep early: the preview was shown or the
    // streamed mode changed. Never held while taking lock_.
    void WakeThread();
    std::mutex wakeMutex_;
    std::condition_variable wakeCv_;
    bool wakeRequested_ = false;  // guarded by wakeMutex_
    bool wakeStopping_ = false;   // guarded by wakeMutex_

    platform::WorkerThread thread_;
    // Last: its thread writes through channel_ and is joined first.
    FrameWriter writer_;
};

}  // namespace device
