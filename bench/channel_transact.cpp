// Host cost of one request/answer exchange against the simulator, and the
// time to read a 512-byte device table wired and through the receiver with
// the modelled USB timing on, next to the modelled wire time.
#include <benchmark/benchmark.h>
#include <sys/prctl.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "hid/hid_backend.h"
#include "hid/report_channel.h"
#include "sim/simulated_devices.h"

namespace {

std::string PathOf(sim::SimBackend& bus, const std::string& pid) {
    std::vector<std::string> paths;
    bus.Enumerate(paths);
    for (const auto& p : paths) {
        if (p.find(pid) != std::string::npos && p.find("&col04") != std::string::npos) {
            return p;
        }
    }
    return "";
}

struct Rig {
    explicit Rig(uint32_t latencyMicros) {
        // The modelled waits are timed sleeps; the default 50 us timer slack
        // of each would be counted as wire time.
        prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
        bus = std::make_shared<sim::SimBackend>();
        bus->SetReportLatencyMicros(latencyMicros);
        hid::SetBackend(bus);
        sim::SimulatedDevicesOptions o;
        o.persist = false;
        o.keyboardLinked = true;
        devices = std::make_unique<sim::SimulatedDevices>(bus, o);
        wired.DirectPack().Open(PathOf(*bus, "pid_22ab"), true, true, true, false);
        wired.SetConnection(hid::kConnectionDirect);
        wired.SetOpen(true);
        wireless.BindReceiver(PathOf(*bus, "pid_22aa"), hid::kTargetKeyboard);
        wireless.SetOpen(true);
    }
    ~Rig() {
        if (auto pack = wireless.ReceiverPack()) {
            pack->Close();
        }
        wireless.UnbindReceiver();
        devices.reset();
        hid::SetBackend(nullptr);
    }
    std::shared_ptr<sim::SimBackend> bus;
    std::unique_ptr<sim::SimulatedDevices> devices;
    hid::ReportChannel wired;
    hid::ReportChannel wireless;
};

void BM_TransactHostCost(benchmark::State& state) {
    Rig rig(0);
    uint8_t req[64] = {4, 0, 0, 0x03, 34};
    hid::StampChecksum(req);
    uint8_t ans[64];
    uint32_t got = 0;
    for (auto _ : state) {
        if (rig.wired.Transact(req, 64, ans, 64, got) != 1) {
            state.SkipWithError("transfer failed");
            break;
        }
        benchmark::DoNotOptimize(ans);
    }
}
BENCHMARK(BM_TransactHostCost);

void ReadTable(benchmark::State& state, bool viaReceiver) {
    constexpr uint32_t kLatency = 1000;
    Rig rig(kLatency);
    hid::ReportChannel& ch = viaReceiver ? rig.wireless : rig.wired;
    std::vector<uint8_t> table(512);
    for (auto _ : state) {
        if (ch.ChunkedRead(0x05, 0, table.data(), 512) != 1) {
            state.SkipWithError("table read failed");
            break;
        }
    }
    const uint32_t chunk = static_cast<uint32_t>(ch.ChunkSize());
    const uint32_t reports = (512 + chunk - 1) / chunk;
    // One report out and one back per chunk.
    state.counters["reports"] = reports;
    state.counters["wire_ms"] = reports * 2.0 * kLatency / 1000.0;
}

void BM_ReadTable512Wired(benchmark::State& state) {
    ReadTable(state, false);
}
void BM_ReadTable512Receiver(benchmark::State& state) {
    ReadTable(state, true);
}
BENCHMARK(BM_ReadTable512Wired)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadTable512Receiver)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
