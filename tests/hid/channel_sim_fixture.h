// Shared set-up of the channel and discovery suites: a simulator bus
// installed as the HID backend, the standard devices, and helpers to find
// their paths.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "hid/hid_backend.h"
#include "hid/report_channel.h"
#include "hid/share_hid_pack_mgr.h"
#include "sim/sim_backend.h"
#include "sim/sim_descriptors.h"
#include "sim/simulated_devices.h"
#include "support/temp_dir.h"

namespace channel_test {

// All paths of the bus that belong to node `node`'s collection `col`
// (col 0: the interface's only collection).
inline std::string PathOf(sim::SimBackend& bus, const std::string& vidPid, int col) {
    std::vector<std::string> paths;
    bus.Enumerate(paths);
    const std::string colText = col == 0 ? "" : (col < 10 ? "&col0" : "&col") + std::to_string(col);
    for (const auto& p : paths) {
        if (p.find(vidPid) == std::string::npos) {
            continue;
        }
        if (col == 0 ? p.find("&col") == std::string::npos
                     : p.size() >= colText.size() &&
                           p.compare(p.size() - colText.size(), colText.size(), colText) == 0) {
            return p;
        }
    }
    return "";
}

inline bool WaitFor(const std::function<bool()>& done,
                    std::chrono::milliseconds bound = std::chrono::milliseconds(3000)) {
    const auto until = std::chrono::steady_clock::now() + bound;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// A firmware whose answers the test scripts; it records every report.
class ScriptedFirmware : public sim::SimFirmware {
  public:
    using Script = std::function<void(const std::vector<uint8_t>&, sim::InputSink&)>;
    explicit ScriptedFirmware(uint16_t pid = 0x22AB) : pid_(pid) {}
    hid::HidAttributes Attributes() const override {
        hid::HidAttributes a;
        a.vendorId = 0x320F;
        a.productId = pid_;
        a.versionNumber = 0x0110;
        return a;
    }
    uint8_t InterfaceNumber() const override { return 1; }
    std::vector<uint8_t> ReportDescriptor() const override {
        return sim::VendorInterfaceDescriptor();
    }
    void OnOutputReport(const std::vector<uint8_t>& report, sim::InputSink& sink) override {
        Script script;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            received_.push_back(report);
            script = script_;
        }
        if (script) {
            script(report, sink);
        }
    }
    void SetScript(Script s) {
        std::lock_guard<std::mutex> lock(mutex_);
        script_ = std::move(s);
    }
    std::vector<std::vector<uint8_t>> Received() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return received_;
    }

  private:
    uint16_t pid_;
    mutable std::mutex mutex_;
    std::vector<std::vector<uint8_t>> received_;
    Script script_;
};

inline std::vector<uint8_t> Answer(uint8_t command, uint8_t status = 0, uint8_t firstData = 0) {
    std::vector<uint8_t> a(64, 0);
    a[0] = 4;
    a[3] = command;
    a[7] = status;
    a[8] = firstData;
    return a;
}

// Installs a fresh bus as the process backend with private user folders.
class SimBusTest : public ::testing::Test {
  protected:
    void SetUp() override {
        bus_ = std::make_shared<sim::SimBackend>();
        bus_->SetReportLatencyMicros(0);
        hid::SetBackend(bus_);
    }
    void TearDown() override {
        // Registry entries outlive a test; leave none of them open on this bus.
        for (const auto& p : sharedPaths_) {
            if (auto pack = hid::CShareHidPackMgr::Instance().Get(p)) {
                pack->Close();
            }
        }
        devices_.reset();
        hid::SetBackend(nullptr);
    }
    sim::SimulatedDevices& Devices(const sim::SimulatedDevicesOptions& options = {}) {
        if (!devices_) {
            devices_ = std::make_unique<sim::SimulatedDevices>(bus_, options);
        }
        return *devices_;
    }
    std::string RememberShared(const std::string& path) {
        sharedPaths_.push_back(path);
        return path;
    }

    testing_support::ScopedUserFolders folders_;
    std::shared_ptr<sim::SimBackend> bus_;
    std::unique_ptr<sim::SimulatedDevices> devices_;
    std::vector<std::string> sharedPaths_;
};

}  // namespace channel_test
