// A user's lighting change on the simulated keyboard, from the edit to the
// settings record written on the device and the profile saved atomically:
// the whole change path (device/light_change.h), wired and through the
// receiver, with the modelled USB timing on (about 1 ms per report each way)
// and off. The aim is under 50 ms wired.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "device/keyboard_device.h"
#include "device/light_change.h"
#include "hid/hid_backend.h"
#include "hid/share_hid_pack_mgr.h"
#include "platform/paths.h"
#include "sim/simulated_devices.h"
#include "sim_keyboard_rig.h"
#include "support/sim_paths.h"

namespace {

class LightRig {
  public:
    LightRig(bool receiver, uint32_t latency) : rig_(receiver) { rig_.SetLatencyMicros(latency); }
    device::CVornelKeyboardDevice& Keyboard() { return rig_.Keyboard(); }

  private:
    bench_support::SimKeyboardRig rig_;
};

void BM_LightChange(benchmark::State& state) {
    const bool receiver = state.range(0) != 0;
    LightRig rig(receiver, static_cast<uint32_t>(state.range(1)));
    int value = 0;
    int failures = 0;
    for (auto _ : state) {
        value = (value + 1) % 5;
        if (device::ChangeLight(&rig.Keyboard(), {device::LightField::Brightness, value}) != 1)
            ++failures;
    }
    state.counters["failures"] = failures;
    state.SetLabel(std::string(receiver ? "receiver" : "wired") +
                   (state.range(1) != 0 ? ", USB timing on" : ", USB timing off"));
}

BENCHMARK(BM_LightChange)
    ->Args({0, 1000})
    ->Args({1, 1000})
    ->Args({0, 0})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
