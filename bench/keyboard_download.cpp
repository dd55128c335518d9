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
#include "support/sim_paths.h"

namespace {

constexpr uint32_t kLatencyMicros = 1000;

using testing_support::PathOf;

class DownloadRig {
  public:
    DownloadRig(bool receiver, uint32_t latency) : receiver_(receiver) {
        char pattern[] = "/tmp/qx70-bench-XXXXXX";
        const char* dir = mkdtemp(pattern);
        folder_ = dir != nullptr ? dir : "/tmp";
        setenv("XDG_DATA_HOME", (folder_ + "/data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (folder_ + "/config").c_str(), 1);
        const std::filesystem::path source = std::filesystem::path(__FILE__).parent_path();
        platform::SetProgramFolder((source / ".." / "resources").lexically_normal().string() + "/");

        bus_ = std::make_shared<sim::SimBackend>();
        hid::SetBackend(bus_);
        sim::SimulatedDevicesOptions options;
        options.keyboard = !receiver;
        options.receiver = receiver;
        options.keyboardLinked = receiver;
        options.mousePad = false;
        options.headset = false;
        options.persist = false;
        devices_ = std::make_unique<sim::SimulatedDevices>(bus_, options);

        keyboard_ = std::make_unique<device::CVornelKeyboardDevice>();
        keyboard_->SetDeviceFolder("keyboard");
        keyboard_->SetProfileName("bench");
        std::vector<int> modes(34);
        for (int i = 0; i < 34; ++i) {
            modes[static_cast<size_t>(i)] = i;
        }
        keyboard_->SetModeValues(modes);
        hid::ReportChannel& ch = keyboard_->CommandChannel();
        if (receiver) {
            path_ = PathOf(*bus_, "pid_22aa", "&col04");
            ch.BindReceiver(path_, hid::kTargetKeyboard);
        } else {
            ch.DirectPack().Open(PathOf(*bus_, "pid_22ab", "&col04"), true, true, true, false);
            ch.SetConnection(hid::kConnectionDirect);
        }
        ch.SetOpen(true);
        keyboard_->ReadDeviceTables();
        keyboard_->LoadActiveProfile();

        // Five macros of 20 events on ten keys.
        macro::MacroFiles files(keyboard_->UserDataFolder());
        for (int m = 0; m < 5; ++m) {
            int index = -1;
            files.Create({}, &index);
            files.Save(index, std::vector<macro::MacroEvent>(20, {true, 10, 4, 30}));
        }
        auto list = keyboard_->KeyList();
        for (size_t j = 22; j < 32 && j < list.size(); ++j) {
            list[j].Assignment = {static_cast<uint16_t>(j), profile::kMacroTypeB,
                                  static_cast<uint8_t>(j % 5), 0};
        }
        keyboard_->SetKeyListAll(list);
        keyboard_->SaveProfile();
        bus_->SetReportLatencyMicros(latency);
    }

    ~DownloadRig() {
        keyboard_.reset();
        if (!path_.empty()) {
            if (auto pack = hid::CShareHidPackMgr::Instance().Get(path_)) {
                pack->Close();
            }
        }
        devices_.reset();
        hid::SetBackend(nullptr);
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
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
        keyboard_->LoadActiveProfile();
        keyboard_->RefreshPage();
        lap(0);
        bool ok = keyboard_->SendLightRecord(0, 0) == 1;
        keyboard_->ApplyCustomGroup();
        lap(1);
        ok = keyboard_->SendMacros(keyboard_->CollectMacroRefs()) == 0 && ok;
        lap(2);
        ok = keyboard_->SendStoredKeyAssignments(0) == 1 && ok;
        lap(3);
        return ok;
    }

    // One single-report read: the floor any command pays on this bus.
    bool BareExchange() {
        uint8_t slot = 0;
        return keyboard_->CommandChannel().ChunkedRead(device::kCmdReadSettings, 0, &slot, 1) == 1;
    }

    uint64_t Requests() {
        return receiver_ ? devices_->Receiver().RequestCount()
                         : devices_->KeyboardInterface().RequestCount();
    }

  private:
    bool receiver_;
    std::string folder_;
    std::string path_;
    std::shared_ptr<sim::SimBackend> bus_;
    std::unique_ptr<sim::SimulatedDevices> devices_;
    std::unique_ptr<device::CVornelKeyboardDevice> keyboard_;
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
