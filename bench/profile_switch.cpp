// A profile switch as the profile bar's timer runs it (load, lighting
// record, macros, key table) on the simulated keyboard with 50 macros, wired
// and through the receiver. With USB timing modelled, "vs_wire" is the
// measured time over the modelled wire time of the reports exchanged. The
// switch runs on the UI thread in one piece, so "hold_ms" (the longest
// single switch) is also the longest time the UI thread is held; the
// loading layer is painted before it starts (the timer fires 150 ms later).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "device/keyboard_device.h"
#include "device/profile_bar_flow.h"
#include "hid/hid_backend.h"
#include "hid/share_hid_pack_mgr.h"
#include "macro/macro_files.h"
#include "platform/paths.h"
#include "profile/profile_list.h"
#include "sim/simulated_devices.h"
#include "sim_keyboard_rig.h"
#include "support/sim_paths.h"

namespace {

constexpr uint32_t kLatencyMicros = 1000;

using testing_support::PathOf;

class NoShell : public device::ProfileBarShell {
  public:
    bool Ask(const std::string&) override { return true; }
    void Inform(const std::string&) override {}
    void InformText(const std::string&) override {}
    std::string Translate(const std::string& id) const override { return id; }
    std::string ChooseImportFile() override { return {}; }
    std::string ChooseExportFile(const std::string&) override { return {}; }
    void ShowLoadingLayer(bool) override {}
    void StartSwitchTimer() override {}
    void AfterReset(device::CVornelUSBDevice&) override {}
};

// The list of two profiles, flipping its selection like a combo choice.
class Bar : public device::ProfileBarOps {
  public:
    Bar(const std::string& dir, const std::string& defaults) {
        list_.SetProfilePaths(dir, defaults);
        list_.LoadProfileList();
        list_.CopyProfile();
    }
    std::string FilePath(int index) const { return list_.GetProfileFilePath(index); }
    void Flip() { index_ = 1 - index_; }
    int AddProfile() override { return 0; }
    int CopyProfile() override { return 0; }
    int DeleteProfile() override { return 0; }
    int RenameProfile(const std::string&) override { return 0; }
    bool SelectProfile(int index, bool) override { return list_.SelectProfile(index); }
    bool ExportProfile(const std::string&) const override { return false; }
    int ImportProfile(const std::string&, const std::string&) override { return 0; }
    bool ResetProfile() override { return false; }
    int GetSelectedIndex() const override { return index_; }
    std::string GetCurrentProfileUUID() const override { return list_.GetCurrentProfileUUID(); }
    std::string SelectedName() const override { return list_.SelectedName(); }
    std::string GetNameEditText() const override { return {}; }
    void ResetNameEdit() override {}
    bool IsProfileMenuShown() const override { return false; }
    void ShowProfileMenu(bool) override {}

  private:
    profile::ProfileList list_;
    int index_ = 0;
};

class SwitchRig {
  public:
    SwitchRig(bool receiver, uint32_t latency) : rig_(receiver) {
        // Fifty macros of eight events (as many as the keyboard's macro
        // memory takes), each on a key of its own.
        rig_.AddMacrosOnKeys(50, 50, 8);
        device::CVornelKeyboardDevice& keyboard = rig_.Keyboard();
        // The list: the keyboard's profile and a copy of it to switch to.
        bar_ = std::make_unique<Bar>(keyboard.UserDataFolder(), keyboard.DefaultDataFile());
        // Both carry the fifty macro keys.
        for (int i = 0; i < 2; ++i) {
            std::filesystem::copy_file(keyboard.UserDataFolder() + "bench.Json", bar_->FilePath(i),
                                       std::filesystem::copy_options::overwrite_existing);
        }
        rig_.SetLatencyMicros(latency);
    }

    ~SwitchRig() { bar_.reset(); }

    // One switch to the other profile as timer 1055 runs it.
    void Switch() {
        bar_->Flip();
        flow_.SwitchProfile(&rig_.Keyboard(), bar_.get());
    }

    size_t MacroKeys() { return rig_.Keyboard().CollectMacroRefs().size(); }

    uint64_t Requests() { return rig_.Requests(); }

  private:
    bench_support::SimKeyboardRig rig_;
    std::unique_ptr<Bar> bar_;
    NoShell shell_;
    device::ProfileBarFlow flow_{shell_};
};

void BM_ProfileSwitch(benchmark::State& state) {
    const bool receiver = state.range(0) != 0;
    const uint32_t latency = state.range(1) != 0 ? kLatencyMicros : 0;
    SwitchRig rig(receiver, latency);
    rig.Switch();
    const uint64_t first = rig.Requests();
    int64_t switches = 0;
    double longest = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        rig.Switch();
        longest = std::max(
            longest, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        ++switches;
    }
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double reports =
        switches > 0 ? static_cast<double>(rig.Requests() - first) / static_cast<double>(switches)
                     : 0;
    state.counters["reports"] = reports;
    state.counters["macros"] = static_cast<double>(rig.MacroKeys());
    state.counters["hold_ms"] = longest * 1e3;
    if (latency != 0) {
        const double wire = reports * 2 * latency * 1e-6;
        state.counters["wire_ms"] = wire * 1e3;
        state.counters["vs_wire"] =
            wire > 0 && switches > 0 ? elapsed / static_cast<double>(switches) / wire : 0;
    }
}

}  // namespace

BENCHMARK(BM_ProfileSwitch)
    ->ArgNames({"receiver", "usb_timing"})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({0, 0})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

BENCHMARK_MAIN();
