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
#include "support/sim_paths.h"

namespace {

class LightRig {
  public:
    LightRig(bool receiver, uint32_t latency) {
        char pattern[] = "/tmp/qx70-bench-XXXXXX";
        const char* dir = mkdtemp(pattern);
        folder_ = dir != nullptr ? dir : "/tmp";
        setenv("XDG_DATA_HOME", (folder_ + "/data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (folder_ + "/config").c_str(), 1);
        platform::SetProgramFolder(std::string(QX70_SOURCE_DIR) + "/resources/");

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
        keyboard_->LoadNameLists();
        hid::ReportChannel& ch = keyboard_->CommandChannel();
        if (receiver) {
            path_ = testing_support::PathOf(*bus_, "pid_22aa", "&col04");
            ch.BindReceiver(path_, hid::kTargetKeyboard);
        } else {
            ch.DirectPack().Open(testing_support::PathOf(*bus_, "pid_22ab", "&col04"), true, true,
                                 true, false);
            ch.SetConnection(hid::kConnectionDirect);
        }
        ch.SetOpen(true);
        keyboard_->ReadDeviceTables();
        keyboard_->LoadActiveProfile();
        bus_->SetReportLatencyMicros(latency);
    }
    ~LightRig() {
        keyboard_->CommandChannel().DirectPack().Close();
        if (!path_.empty()) {
            if (auto pack = hid::CShareHidPackMgr::Instance().Get(path_))
                pack->Close();
        }
        keyboard_.reset();
        devices_.reset();
        hid::SetBackend(nullptr);
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    device::CVornelKeyboardDevice& Keyboard() { return *keyboard_; }

  private:
    std::string folder_;
    std::string path_;
    std::shared_ptr<sim::SimBackend> bus_;
    std::unique_ptr<sim::SimulatedDevices> devices_;
    std::unique_ptr<device::CVornelKeyboardDevice> keyboard_;
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
