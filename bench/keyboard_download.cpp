// A whole profile put onto the simulated keyboard (settings record, macros,
// key table), wired and through the receiver. With USB timing modelled the
// figure to compare is "vs_wire": measured time over the modelled wire time
// of the reports exchanged (reports × 2 × latency); with timing off it is
// the host's own cost.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "device/keyboard_device.h"
#include "hid/hid_backend.h"
#include "hid/share_hid_pack_mgr.h"
#include "macro/macro_files.h"
#include "platform/paths.h"
#include "sim/simulated_devices.h"
#include "sim_keyboard_rig.h"
#include "support/sim_paths.h"

namespace {

constexpr uint32_t kLatencyMicros = 1000;

using testing_support::PathOf;

class DownloadRig {
  public:
    DownloadRig(bool receiver, uint32_t latency) : rig_(receiver) {
        // Five macros of 20 events on ten keys.
        rig_.AddMacrosOnKeys(5, 10, 20);
        rig_.SetLatencyMicros(latency);
    }

    // The download order of a whole profile; `steps` gathers the seconds
    // spent in each of its four parts.
    bool Download(std::array<double, 4>& steps) {
        using Clock = std::chrono::steady_clock;
        auto mark = Clock::now();
        auto lap = [&](size_t i) {
            const auto now = Clock::now();
            steps[i] += std::chrono::duration<double>(now - mark).count();
            mark = now;
        };
        device::CVornelKeyboardDevice& keyboard = rig_.Keyboard();
        keyboard.LoadActiveProfile();
        keyboard.RefreshPage();
        lap(0);
        bool ok = keyboard.SendLightRecord(0, 0) == 1;
        keyboard.ApplyCustomGroup();
        lap(1);
        ok = keyboard.SendMacros(keyboard.CollectMacroRefs()) == 0 && ok;
        lap(2);
        ok = keyboard.SendStoredKeyAssignments(0) == 1 && ok;
        lap(3);
        return ok;
    }

    // One single-report read: the floor any command pays on this bus.
    bool BareExchange() {
        uint8_t slot = 0;
        return rig_.Keyboard().CommandChannel().ChunkedRead(device::kCmdReadSettings, 0, &slot,
                                                            1) == 1;
    }

    uint64_t Requests() { return rig_.Requests(); }

  private:
    bench_support::SimKeyboardRig rig_;
};

void BM_WholeProfileDownload(benchmark::State& state) {
    const bool receiver = state.range(0) != 0;
    const uint32_t latency = state.range(1) != 0 ? kLatencyMicros : 0;
    DownloadRig rig(receiver, latency);
    const uint64_t first = rig.Requests();
    int64_t downloads = 0;
    std::array<double, 4> steps{};
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        if (!rig.Download(steps)) {
            state.SkipWithError("download failed");
            break;
        }
        ++downloads;
    }
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double reports =
        downloads > 0 ? static_cast<double>(rig.Requests() - first) / static_cast<double>(downloads)
                      : 0;
    state.counters["reports"] = reports;
    const char* names[4] = {"load_ms", "record_ms", "macros_ms", "keys_ms"};
    for (size_t i = 0; i < steps.size(); ++i) {
        state.counters[names[i]] =
            downloads > 0 ? steps[i] * 1e3 / static_cast<double>(downloads) : 0;
    }
    if (latency != 0) {
        // Modelled USB time per download against the measured time.
        const double wire = reports * 2 * latency * 1e-6;
        state.counters["wire_ms"] = wire * 1e3;
        state.counters["vs_wire"] =
            wire > 0 && downloads > 0 ? elapsed / static_cast<double>(downloads) / wire : 0;
    }
}

// The same number of reports as a wired download, each a bare one-byte read:
// what the bus and the OS cost per report, without the keyboard's own work.
void BM_BareExchanges(benchmark::State& state) {
    const bool receiver = state.range(0) != 0;
    DownloadRig rig(receiver, kLatencyMicros);
    const int n = receiver ? 40 : 18;
    for (auto _ : state) {
        for (int i = 0; i < n; ++i) {
            if (!rig.BareExchange()) {
                state.SkipWithError("exchange failed");
                return;
            }
        }
    }
    state.counters["wire_ms"] = n * 2 * kLatencyMicros * 1e-3;
}

}  // namespace

BENCHMARK(BM_BareExchanges)
    ->ArgNames({"receiver"})
    ->Arg(0)
    ->Arg(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK(BM_WholeProfileDownload)
    ->ArgNames({"receiver", "timing"})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({0, 0})
    ->Args({1, 0})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
