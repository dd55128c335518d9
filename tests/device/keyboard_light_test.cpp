// Keyboard lighting: layout tables, step periods, reference frames of the
// modes with exact formulas, reactive effects, music, custom colour tables
// and LED frames.
#include "device/keyboard_light.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <thread>

#include "device/keyboard_light_layout.h"
#include "device/palette.h"
#include "fake_views.h"
#include "platform/debug_output.h"
#include "platform/tick_count.h"

namespace {

using device::KeyboardLighting;
using device::LedColour;

// The lighting of one keyboard with 170 LED buttons, a closed channel and an
// empty profile; key button i drives device LED i.
struct Rig {
    device::LedColourBuffer colours;
    KeyboardLighting::Intensities intensity{};
    hid::ReportChannel channel;
    profile::CKeyboardProfiledata profile;
    std::unique_ptr<KeyboardLighting> light;
    std::array<uint8_t, 24> deviceLight{};
    profile::LightInfo info;

    Rig() {
        colours.Resize(170);
        light = std::make_unique<KeyboardLighting>(colours, intensity, channel, profile);
        std::array<uint8_t, 170> map{};
        for (size_t i = 0; i < map.size(); ++i) {
            map[i] = static_cast<uint8_t>(i);
        }
        light->SetKeyToLed(map);
        light->SetRandomSeed(7);
    }

    void Show(uint8_t mode, uint8_t level = 4, uint8_t speed = 2, uint8_t dir = 0,
              uint8_t multi = 0, LedColour c = {10, 20, 30, 0}) {
        info.SelectItem = mode;
        info.Light = level;
        info.Speed = speed;
        info.Fx = dir;
        info.MultiColor = multi;
        info.Red = c.r;
        info.Green = c.g;
        info.Blue = c.b;
        deviceLight[1] = mode;
        deviceLight[3] = speed;
        light->UpdatePreview(info, deviceLight);
    }
    LedColour At(int led) const { return colours.Get(static_cast<size_t>(led)); }
};

LedColour Wheel(int i, uint8_t alpha) {
    LedColour c = device::ColourWheel()[static_cast<size_t>(i)];
    c.alpha = alpha;
    return c;
}

TEST(KeyboardLayout, TablesAgree) {
    EXPECT_EQ(device::IsLedInLayout(120), 170);
    EXPECT_EQ(device::IsLedInLayout(51), 51);
    std::set<int> chain;
    for (int i = 0; i < device::kLedOrderCount; ++i) {
        chain.insert(device::LedOrder()[static_cast<size_t>(i)]);
    }
    EXPECT_EQ(chain.size(), 114u);
    EXPECT_EQ(device::LedOrder()[114], 170);
    EXPECT_EQ(device::LedOrder()[169], 170);
    // Every key of the matrix is in the chain, and the rings hold matrix keys.
    for (const auto& column : device::KeyMatrix()) {
        for (uint8_t led : column) {
            if (led != device::kNoKey) {
                EXPECT_TRUE(chain.count(led)) << int(led);
            }
        }
    }
    EXPECT_EQ(device::RingOf(51), 0);
    EXPECT_EQ(device::RingOf(128), 11);
    EXPECT_EQ(device::KeyRings()[10][5], device::kNoKey);
    const device::Cell c = device::CellOf(51);
    EXPECT_TRUE(c.valid);
    EXPECT_EQ(c.column, 10);
    EXPECT_EQ(c.row, 2);
}

TEST(KeyboardLayout, ModeValuesAndPeriods) {
    const std::vector<int> values = {0, 1, 2, 3, 29, 30, 7};
    EXPECT_EQ(device::DeviceModeValue(values, 3), 3);
    EXPECT_EQ(device::DeviceModeValue(values, 4), 0xFE);
    EXPECT_EQ(device::DeviceModeValue(values, 5), 0xFE);
    EXPECT_FALSE(device::DeviceModeValue(values, 7));
    EXPECT_FALSE(device::DeviceModeValue(values, -1));
    EXPECT_FALSE(device::DeviceModeValue({}, 0));
    EXPECT_EQ(device::StepPeriod(10, 0), 9);
    EXPECT_EQ(device::StepPeriod(10, 4), 5);
    EXPECT_EQ(device::StepPeriod(2, 4), 0);
    EXPECT_EQ(device::StepPeriod(14, 0), 3);
    EXPECT_FALSE(device::StepPeriod(20, 2));
    EXPECT_FALSE(device::StepPeriod(0, 2));
    EXPECT_FALSE(device::StepPeriod(34, 2));
}

// Mode 10 steps after 9 tick changes at speed 0 and after 5 at speed 4.
TEST(KeyboardLightThread, PeriodsCountTickChanges) {
    for (const auto& [speed, period] : {std::pair{0, 9}, std::pair{4, 5}}) {
        platform::ManualTickClock clock;
        clock.Set(1600);
        Rig rig;
        rig.Show(10, 4, static_cast<uint8_t>(speed), /*dir*/ 1);
        rig.light->Pass();  // learns the tick
        for (int n = 1; n < period; ++n) {
            clock.Advance(16);
            rig.light->Pass();
            rig.light->Pass();  // no tick change: no count
            EXPECT_EQ(rig.At(0), LedColour{}) << "speed " << speed << " change " << n;
        }
        clock.Advance(16);
        rig.light->Pass();
        EXPECT_EQ(rig.At(0), Wheel(2, 255)) << "speed " << speed;
    }
    // A thread that sleeps until its step is due sees all the tick changes
    // in one pass, and steps on time.
    platform::ManualTickClock clock;
    clock.Set(1600);
    Rig rig;
    rig.Show(10, 4, 0, /*dir*/ 1);
    rig.light->Pass();
    clock.Advance(8 * 16);
    rig.light->Pass();
    EXPECT_EQ(rig.At(0), LedColour{}) << "eight of nine";
    clock.Advance(16);
    rig.light->Pass();
    EXPECT_EQ(rig.At(0), Wheel(2, 255));
}

// Mode 2 at speed 4 (period 0) steps on every pass, even without a tick change.
TEST(KeyboardLightThread, PeriodZeroStepsEveryPass) {
    platform::ManualTickClock clock;
    clock.Set(1600);
    Rig rig;
    rig.Show(2, 4, 4, 1, 1);
    rig.light->Pass();
    const LedColour first = rig.At(51 + 1);
    rig.light->Pass();
    EXPECT_NE(rig.At(52), first);
}

TEST(KeyboardLightThread, SleepsUntilItsNextStepUnlessNobodyLooks) {
    platform::ManualTickClock clock;
    clock.Set(1600);
    Rig r;
    r.Show(2, 4, 4);  // period 0: a step on every tick change
    EXPECT_EQ(r.light->NextPassWait(1600).count(), 17) << "just past the next tick change";
    EXPECT_EQ(r.light->NextPassWait(1611).count(), 6);
    r.Show(10, 4, 4);  // a step every 5 tick changes
    EXPECT_EQ(r.light->NextPassWait(1600).count(), 17 + 4 * 16) << "through to the step's tick";
    r.light->Pass();  // learns the tick
    clock.Advance(2 * 16);
    r.light->Pass();
    EXPECT_EQ(r.light->NextPassWait(1632).count(), 17 + 2 * 16) << "two of five counted";
    r.light->SetPreviewShown(false);
    EXPECT_EQ(r.light->NextPassWait(1611).count(), KeyboardLighting::kIdlePassMs)
        << "nobody sees the picture";
    r.Show(29);
    EXPECT_EQ(r.light->NextPassWait(1611).count(), 6) << "the keyboard is fed the frames";
    r.light->SetPreviewShown(true);
}

TEST(KeyboardLightThread, StartsAndStopsWithExitLine) {
    platform::DebugCapture capture;
    Rig rig;
    rig.Show(21);
    rig.channel.SetOpen(true);  // no device: the steps need none
    rig.light->StartThread();
    for (int i = 0; i < 200 && rig.At(0).alpha == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(rig.At(0), (LedColour{255, 0, 255, 255}));
    rig.light->StopThread();
    EXPECT_TRUE(capture.Contains("KB灯光线程设定退出"));
    EXPECT_FALSE(rig.light->ThreadRunning());
}

TEST(KeyboardLightFrames, ExactModes) {
    platform::ManualTickClock clock;
    clock.Set(10000);
    Rig rig;
    const uint8_t a3 = 195;  // brightness level 3

    // 4: breathing, one wheel colour per column.
    rig.Show(4, 3, 2, 0, 1);
    for (int i = 0; i < 40; ++i) {
        rig.light->Step(4);
    }
    uint8_t breathAlpha = static_cast<uint8_t>(device::BreathCurve()[40] * a3 >> 8);
    EXPECT_EQ(rig.At(84), Wheel(0, breathAlpha));     // column 0
    EXPECT_EQ(rig.At(0), Wheel(7, breathAlpha));      // column 1
    EXPECT_EQ(rig.At(129), Wheel(154, breathAlpha));  // column 22
    rig.Show(4, 3, 2, 0, 0);                          // same mode: no restart
    rig.light->Step(4);
    breathAlpha = static_cast<uint8_t>(device::BreathCurve()[41] * a3 >> 8);
    EXPECT_EQ(rig.At(0), (LedColour{10, 20, 30, breathAlpha}));

    // 5: static; with the multi-colour flag a rainbow over the rings.
    rig.Show(5, 3, 2, 0, 1);
    rig.light->Step(5);
    EXPECT_EQ(rig.At(51), Wheel(138, a3));
    EXPECT_EQ(rig.At(30), Wheel(126, a3));
    EXPECT_EQ(rig.At(118), Wheel(6, a3));
    rig.Show(5, 3, 2, 0, 0);
    rig.light->Step(5);
    EXPECT_EQ(rig.At(51), (LedColour{10, 20, 30, a3}));
    EXPECT_EQ(rig.At(169), (LedColour{10, 20, 30, a3}));

    // 9: start hues 0, 33, 66, 99, 132, 165, then 165 + 97 wraps to 6.
    rig.Show(9, 3);
    rig.light->Step(9);
    EXPECT_EQ(rig.At(0), Wheel(1, a3));
    EXPECT_EQ(rig.At(1), Wheel(34, a3));
    EXPECT_EQ(rig.At(5), Wheel(166, a3));
    EXPECT_EQ(rig.At(6), Wheel(7, a3));

    // 10: row r shows wheel (phase + 1 + 24 r).
    rig.Show(10, 3, 2, 1);
    rig.light->Step(10);
    rig.light->Step(10);
    EXPECT_EQ(rig.At(0), Wheel(3, a3));          // row 0
    EXPECT_EQ(rig.At(105), Wheel(3 + 120, a3));  // row 5

    // 16: ring i shows wheel (phase + 7 (i + 1)); direction 0 runs backwards.
    rig.Show(16, 3, 2, 0);
    rig.light->Step(16);
    EXPECT_EQ(rig.At(51), Wheel((191 + 7) % 192, a3));
    EXPECT_EQ(rig.At(118), Wheel((191 + 84) % 192, a3));

    // 17: dark.
    rig.Show(17);
    rig.light->Step(17);
    EXPECT_EQ(rig.At(51), LedColour{});

    // 21: magenta.
    rig.Show(21, 3);
    rig.light->Step(21);
    EXPECT_EQ(rig.At(7), (LedColour{255, 0, 255, a3}));

    // 30: the colour-sync colour; values above 255 are clamped.
    rig.Show(30, 3);
    const uint32_t bands[6] = {300, 128, 7, 0, 0, 0};
    rig.light->OnAudioBands(reinterpret_cast<const uint8_t*>(bands), sizeof bands);
    rig.light->Step(30);
    EXPECT_EQ(rig.At(60), (LedColour{255, 128, 7, a3}));
}

TEST(KeyboardLightFrames, BaseEffectModes) {
    platform::ManualTickClock clock;
    clock.Set(10000);
    Rig rig;
    // 23: blink; the first step finds a full period passed and lights up.
    rig.Show(23, 4, 4, 0, 0, {1, 2, 3, 0});
    rig.light->Step(23);
    EXPECT_EQ(rig.At(0), (LedColour{1, 2, 3, 255}));
    clock.Advance(100);
    rig.light->Step(23);
    EXPECT_EQ(rig.At(0), (LedColour{1, 2, 3, 255}));
    clock.Advance(112);  // one blink period (200 ms) at speed 4
    rig.light->Step(23);
    EXPECT_EQ(rig.At(0), LedColour{});

    // 26: breathing through four colours, red first.
    rig.Show(26, 4, 2, 1);
    for (int i = 0; i < 64; ++i) {
        rig.light->Step(26);
    }
    EXPECT_EQ(rig.At(3), (LedColour{255, 0, 0, 254}));

    // 27: blinking through four colours.
    rig.Show(27, 4, 4);
    clock.Advance(1000);
    rig.light->Step(27);
    EXPECT_EQ(rig.At(3), (LedColour{0, 255, 0, 255}));
}

TEST(KeyboardLightFrames, CustomColoursKeepTheirColourAndTakeTheBrightness) {
    Rig rig;
    rig.Show(19, 2);
    rig.colours.Set(4, {9, 8, 7, 255});
    rig.light->Step(19);
    EXPECT_EQ(rig.At(4), (LedColour{9, 8, 7, 135}));
    EXPECT_EQ(rig.At(5), (LedColour{0, 0, 0, 135}));
}

TEST(KeyboardLightFrames, RandomModesRepeatWithTheSameSeed) {
    for (int mode : {11, 12, 13, 18}) {
        Rig a;
        Rig b;
        a.Show(static_cast<uint8_t>(mode), 4, 2, 0, 1);
        b.Show(static_cast<uint8_t>(mode), 4, 2, 0, 1);
        for (int i = 0; i < 20; ++i) {
            a.light->Step(mode);
            b.light->Step(mode);
        }
        bool lit = false;
        for (int led = 0; led < 170; ++led) {
            ASSERT_EQ(a.At(led), b.At(led)) << "mode " << mode << " led " << led;
            lit = lit || a.At(led).alpha != 0;
        }
        EXPECT_TRUE(lit) << mode;
    }
}

TEST(KeyboardLightFrames, EveryModeDrawsWithinTheLayout) {
    platform::ManualTickClock clock;
    clock.Set(5000);
    Rig rig;
    for (int mode = 0; mode <= 40; ++mode) {
        rig.Show(static_cast<uint8_t>(mode), 4, 4, 1, mode % 2);
        for (int i = 0; i < 300; ++i) {
            clock.Advance(16);
            rig.light->Pass();
            rig.light->TriggerReactive(51 + i % 5, 1 + i % 2);
        }
    }
}

// The frame timer runs several times per tick: the picture is only handed
// what changed, and visibility is looked at again once per tick.
TEST(KeyboardLightFrames, PreviewIsHandedOnlyWhatChanged) {
    struct CountingView : device_test::FakePageView {
        mutable int visibilityAsks = 0;
        int colourSets = 0;
        bool IsButtonVisible(int button) const override {
            ++visibilityAsks;
            return FakePageView::IsButtonVisible(button);
        }
        void SetButtonColour(int button, uint32_t word, uint8_t alpha) override {
            ++colourSets;
            FakePageView::SetButtonColour(button, word, alpha);
        }
    };
    platform::ManualTickClock clock;
    clock.Set(1600);
    Rig r;
    std::vector<int> buttons(170);
    for (size_t i = 0; i < buttons.size(); ++i) {
        buttons[i] = static_cast<int>(i);
    }
    CountingView view;
    r.colours.Set(5, {1, 2, 3, 255});
    r.light->PushLedFrame(&view, buttons, 1, 1);
    EXPECT_EQ(view.colourSets, 170) << "a new picture gets every LED";
    EXPECT_EQ(view.colours[5], std::make_pair(uint32_t{1 | 3 << 8 | 2 << 16}, uint8_t{255}));

    const int asks = view.visibilityAsks;
    r.light->PushLedFrame(&view, buttons, 1, 1);
    r.colours.Set(5, {1, 2, 3, 255});  // the same colour again
    r.light->PushLedFrame(&view, buttons, 1, 1);
    EXPECT_EQ(view.visibilityAsks, asks) << "nothing changed within the tick";
    EXPECT_EQ(view.colourSets, 170);

    r.colours.Set(6, {9, 9, 9, 200});
    r.light->PushLedFrame(&view, buttons, 1, 1);
    EXPECT_EQ(view.colourSets, 171) << "one LED changed";

    view.hidden.assign(170, false);
    view.hidden[5] = true;
    r.light->PushLedFrame(&view, buttons, 1, 1);
    EXPECT_EQ(view.colours[5].second, 255) << "seen at the next tick";
    clock.Advance(16);
    r.light->PushLedFrame(&view, buttons, 1, 1);
    EXPECT_EQ(view.colours[5].second, 0) << "a hidden button is blanked";
    EXPECT_EQ(view.colourSets, 172);

    r.light->PushLedFrame(&view, buttons, 0, 1);
    EXPECT_EQ(view.colours[6].second, 0) << "another function page blanks the picture";

    CountingView other;
    r.light->PushLedFrame(&other, buttons, 1, 1);
    EXPECT_EQ(other.colourSets, 170) << "a new page is painted whole";
}

TEST(KeyboardLightReactive, WaveMasks) {
    Rig rig;
    rig.Show(7);
    rig.light->TriggerReactive(51, 2);
    EXPECT_EQ(rig.light->WaveMasks(10), (std::array<uint8_t, 4>{0, 0, 0, 0}));
    rig.light->TriggerReactive(51, 1);
    EXPECT_EQ(rig.light->WaveMasks(10), (std::array<uint8_t, 4>{4, 4, 4, 4}));
    rig.light->Step(7);
    EXPECT_EQ(rig.intensity[51].load(), 255 - 40);  // lit, then faded once
    EXPECT_EQ(rig.light->WaveMasks(9)[0], 4);       // left mask moved left
    EXPECT_EQ(rig.light->WaveMasks(11)[1], 4);      // right mask moved right
    EXPECT_EQ(rig.light->WaveMasks(10)[2], 2);      // up mask one row up
    EXPECT_EQ(rig.light->WaveMasks(10)[3], 8);      // down mask one row down
    // Other modes ignore key events.
    rig.Show(5);
    rig.light->TriggerReactive(0, 1);
    EXPECT_EQ(rig.light->WaveMasks(1)[0], 0);
}

TEST(KeyboardLightReactive, Mode6RisesAndFalls) {
    Rig rig;
    rig.Show(6, 4, 2, 0, 0, {200, 0, 0, 0});
    rig.light->TriggerReactive(30, 1);
    rig.light->Step(6);
    EXPECT_EQ(rig.intensity[30].load(), 255);
    EXPECT_EQ(rig.At(30), (LedColour{200, 0, 0, 254}));
    rig.light->TriggerReactive(30, 2);
    rig.light->Step(6);
    rig.light->Step(6);
    EXPECT_EQ(rig.intensity[30].load(), 245);
}

TEST(KeyboardLightReactive, Mode25NeighboursStayLitWhileAnotherKeyIsHeld) {
    Rig rig;
    rig.Show(25);
    rig.light->TriggerReactive(51, 1);  // column 10 row 2
    EXPECT_EQ(rig.intensity[51].load(), 255);
    EXPECT_EQ(rig.intensity[52].load(), 60);  // one cell away
    EXPECT_EQ(rig.intensity[53].load(), 60);  // two cells away
    EXPECT_EQ(rig.intensity[54].load(), 0);   // three cells away
    rig.light->TriggerReactive(53, 1);        // column 12 row 2
    EXPECT_EQ(rig.intensity[52].load(), 120);
    rig.light->TriggerReactive(51, 2);
    for (int i = 0; i < 3; ++i) {
        rig.light->Step(25);
    }
    EXPECT_LT(rig.intensity[51].load(), 255);  // released: falling
    EXPECT_EQ(rig.intensity[50].load(), 45);   // only 51 lit it: now falling
    EXPECT_GE(rig.intensity[52].load(), 120);  // 53 still holds it
}

TEST(KeyboardLightMusic, LevelsAndVisualisers) {
    EXPECT_EQ(KeyboardLighting::LevelToHeight(0), 600);
    EXPECT_EQ(KeyboardLighting::LevelToHeight(1000), 300);
    EXPECT_EQ(KeyboardLighting::LevelToHeight(2000), 0);
    EXPECT_EQ(KeyboardLighting::LevelToHeight(5000), 500);
    EXPECT_EQ(KeyboardLighting::LevelToHeight(INT32_MIN), 600);
    EXPECT_EQ(KeyboardLighting::LevelToHeight(INT64_C(1) << 40), 500);

    Rig rig;
    profile::AudioLightInfo audio;
    audio.AudioMode = 7;
    audio.FgColorR = 255;
    rig.light->SetAudioLight(audio);
    rig.Show(29);
    // More than 25 levels: only 25 are taken.
    std::vector<int32_t> levels(100, 0);
    rig.light->OnAudioLevels(reinterpret_cast<const uint8_t*>(levels.data()), levels.size() * 4);
    rig.light->Step(29);
    for (int led = 0; led < 170; ++led) {
        ASSERT_EQ(rig.At(led), LedColour{}) << led;  // AudioMode 7 draws nothing
    }
    audio.AudioMode = 0;
    rig.light->SetAudioLight(audio);
    std::fill(levels.begin(), levels.end(), 1000);  // half height: 3 rows
    rig.light->OnAudioLevels(reinterpret_cast<const uint8_t*>(levels.data()), 25 * 4);
    rig.light->Step(29);
    EXPECT_EQ(rig.At(105), (LedColour{255, 0, 0, 255}));  // bottom row lit
    EXPECT_EQ(rig.At(63), (LedColour{255, 0, 0, 255}));   // row 3
    EXPECT_EQ(rig.At(42).r, 0);                           // row 2: background
}

TEST(KeyboardLightMusic, BeatsSendWavesInAudioModeTwo) {
    Rig rig;
    profile::AudioLightInfo audio;
    audio.AudioMode = 2;
    rig.light->SetAudioLight(audio);
    rig.Show(29);
    // Loud blocks: height 0 each, 25 per block, a wave after three blocks.
    const std::vector<int32_t> loud(25, 2000);
    for (int i = 0; i < 2; ++i) {
        rig.light->OnAudioLevels(reinterpret_cast<const uint8_t*>(loud.data()), 100);
    }
    EXPECT_EQ(rig.light->WaveMasks(10)[0], 0);
    rig.light->OnAudioLevels(reinterpret_cast<const uint8_t*>(loud.data()), 100);
    EXPECT_EQ(rig.light->WaveMasks(10)[0], 4);
}

TEST(KeyboardLightCustom, ColourTableAndFrameBytes) {
    Rig rig;
    const auto& p = device::Palette();
    std::vector<LedColour> colours(170);
    colours[0] = {p[2].r, p[2].g, p[2].b, 255};  // slot 3
    colours[1] = {p[4].r, p[4].g, p[4].b, 255};  // slot 5
    colours[2] = {0, 0, 0, 255};                 // black: off
    colours[3] = {250, 5, 5, 255};               // nearest: red, slot 1
    device::CustomColourTable table = rig.light->BuildCustomColourTable(colours);
    EXPECT_EQ(table[0], 0x53);
    EXPECT_EQ(table[1], 0x10);

    // LEDs past the table or without an LED are skipped.
    std::array<uint8_t, 170> map{};
    map.fill(255);
    map[0] = 127;
    map[1] = 128;
    map[2] = 200;
    rig.light->SetKeyToLed(map);
    table = rig.light->BuildCustomColourTable(colours);
    EXPECT_EQ(table[63], 0x30);
    EXPECT_EQ(std::count(table.begin(), table.end(), 0), 63);

    // Frames: colour times alpha >> 8; LEDs 114 and above are not carried.
    map.fill(255);
    map[5] = 2;
    map[6] = 114;
    rig.light->SetKeyToLed(map);
    rig.colours.Set(5, {255, 128, 0, 128});
    rig.colours.Set(6, {255, 255, 255, 255});
    device::LedFrame frame;
    rig.light->BuildLedFrame(frame);
    EXPECT_EQ(frame[6], 127);
    EXPECT_EQ(frame[7], 64);
    EXPECT_EQ(frame[8], 0);
    EXPECT_EQ(std::count(frame.begin(), frame.end(), 0), 342 - 2);
}

TEST(KeyboardLightPalette, SlotsAndColours) {
    EXPECT_EQ(device::PaletteSlotOf(255, 0, 0), 0);
    EXPECT_EQ(device::PaletteSlotOf(255, 255, 255), 14);
    EXPECT_EQ(device::PaletteSlotOf(240, 250, 245), 14);
    EXPECT_TRUE(device::IsPaletteColour(0, 0, 255));
    EXPECT_FALSE(device::IsPaletteColour(1, 0, 255));
    EXPECT_EQ(device::ColourOfSlot(1), (device::PaletteColour{255, 0, 0}));
    EXPECT_EQ(device::ColourOfSlot(0), (device::PaletteColour{0, 0, 0}));
    EXPECT_EQ(device::ColourOfSlot(16), (device::PaletteColour{0, 0, 0}));
    for (int i = 0; i < device::kPaletteSize; ++i) {
        const auto c = device::Palette()[static_cast<size_t>(i)];
        EXPECT_EQ(device::PaletteSlotOf(c.r, c.g, c.b), i);
    }
}

TEST(KeyboardLightCustom, EffectPlayerWalksTheSteps) {
    platform::ManualTickClock clock;
    clock.Set(1000);
    Rig rig;
    rig.Show(20);
    rig.light->Pass();
    EXPECT_EQ(rig.At(0), LedColour{});  // no steps: dark
}

}  // namespace
