// Cost of the keyboard lighting: one step of each preview mode, the LED frame
// (paint + build + stream to the simulated keyboard), and the light thread's
// share of one core while it animates.
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <memory>
#include <thread>

#include "device/keyboard_light.h"
#include "hid/hid_backend.h"
#include "sim/sim_backend.h"
#include "sim/simulated_devices.h"
#include "support/sim_paths.h"

namespace {

using device::KeyboardLighting;

struct Rig {
    device::LedColourBuffer colours;
    KeyboardLighting::Intensities intensity{};
    hid::ReportChannel channel;
    profile::CKeyboardProfiledata profile;
    std::unique_ptr<KeyboardLighting> light;
    std::array<uint8_t, 24> deviceLight{};

    Rig() {
        colours.Resize(170);
        light = std::make_unique<KeyboardLighting>(colours, intensity, channel, profile);
        std::array<uint8_t, 170> map{};
        for (size_t i = 0; i < map.size(); ++i) {
            map[i] = static_cast<uint8_t>(i < 114 ? i : 255);
        }
        light->SetKeyToLed(map);
    }
    void Show(int mode, uint8_t multi = 1) {
        profile::LightInfo info;
        info.SelectItem = static_cast<uint8_t>(mode);
        info.Light = 4;
        info.Speed = 4;
        info.MultiColor = multi;
        info.Red = 255;
        deviceLight[1] = static_cast<uint8_t>(mode);
        deviceLight[3] = 4;
        light->UpdatePreview(info, deviceLight);
    }
};

double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// One step of mode `range(0)`; the counter is the share of one core that
// stepping on every tick change (62.5 per second) would take.
void BM_StepMode(benchmark::State& state) {
    Rig rig;
    const int mode = static_cast<int>(state.range(0));
    rig.Show(mode);
    profile::AudioLightInfo audio;
    audio.AudioMode = 0;
    rig.light->SetAudioLight(audio);
    std::vector<int32_t> levels(25, 700);
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        if (mode == 29) {
            rig.light->OnAudioLevels(reinterpret_cast<const uint8_t*>(levels.data()), 100);
        }
        if (mode == 7 || mode == 25) {
            rig.light->TriggerReactive(51, 1);
        }
        rig.light->Step(mode);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.counters["core_pct_at_62.5Hz"] =
        seconds / static_cast<double>(state.iterations()) * 62.5 * 100.0;
}
BENCHMARK(BM_StepMode)->DenseRange(1, 33, 1);

// PushLedFrame in a streamed mode against the simulated keyboard (USB time
// modelled off): painting skipped (no page), frame built and sent by the
// writer thread.
void BM_StreamFrame(benchmark::State& state) {
    auto bus = std::make_shared<sim::SimBackend>();
    bus->SetReportLatencyMicros(0);
    hid::SetBackend(bus);
    {
        sim::SimulatedDevices devices(bus, testing_support::KeyboardOnly());
        Rig rig;
        rig.channel.DirectPack().Open(testing_support::PathOf(*bus, "pid_22ab", "&col04"), true,
                                      true, true, false);
        rig.channel.SetConnection(hid::kConnectionDirect);
        rig.channel.SetOpen(true);
        rig.Show(30);
        for (auto _ : state) {
            rig.light->PushLedFrame(nullptr, {}, 1, 1);
            rig.light->StreamWriter().WaitIdle();
        }
        state.counters["frames_sent"] = rig.light->FramesSent();
        rig.light.reset();
        rig.channel.DirectPack().Close();
    }
    hid::SetBackend(nullptr);
}
BENCHMARK(BM_StreamFrame);

// The light thread animating mode `range(0)` for one second: process CPU
// time over wall time, as a percentage of one core.
void BM_LightThreadCpu(benchmark::State& state) {
    for (auto _ : state) {
        Rig rig;
        rig.channel.SetOpen(true);  // the thread only needs the open flag
        rig.Show(static_cast<int>(state.range(0)));
        const double cpu0 = ProcessCpuSeconds();
        const auto wall0 = std::chrono::steady_clock::now();
        rig.light->StartThread();
        std::this_thread::sleep_for(std::chrono::seconds(1));
        rig.light->StopThread();
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
        state.counters["thread_core_pct"] = (ProcessCpuSeconds() - cpu0) / wall * 100.0;
    }
}
BENCHMARK(BM_LightThreadCpu)
    ->Arg(1)
    ->Arg(9)
    ->Arg(18)
    ->Arg(29)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
