// The keyboard on the simulator for the benches that time its commands:
// user data in a temporary folder, the keyboard wired or behind the
// receiver, its tables read and its profile loaded.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "device/keyboard_device.h"
#include "hid/hid_backend.h"
#include "hid/share_hid_pack_mgr.h"
#include "macro/macro_files.h"
#include "platform/paths.h"
#include "sim/simulated_devices.h"
#include "support/sim_paths.h"

namespace bench_support {

class SimKeyboardRig {
  public:
    explicit SimKeyboardRig(bool receiver) : receiver_(receiver) {
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
        keyboard_->LoadNameLists();
        std::vector<int> modes(34);
        for (int i = 0; i < 34; ++i) {
            modes[static_cast<size_t>(i)] = i;
        }
        keyboard_->SetModeValues(modes);
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
    }

    ~SimKeyboardRig() {
        keyboard_->CommandChannel().DirectPack().Close();
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
    SimKeyboardRig(const SimKeyboardRig&) = delete;
    SimKeyboardRig& operator=(const SimKeyboardRig&) = delete;

    // `count` macros of `events` events on the keys from 22 on, key 22 + i
    // playing macro i % `count`, for `keys` keys; the profile is saved.
    void AddMacrosOnKeys(int count, int keys, size_t events) {
        macro::MacroFiles files(keyboard_->UserDataFolder());
        for (int m = 0; m < count; ++m) {
            int index = -1;
            files.Create({}, &index);
            files.Save(index, std::vector<macro::MacroEvent>(events, {true, 10, 4, 30}));
        }
        auto list = keyboard_->KeyList();
        // A profile made for the bench may not carry a key list yet.
        if (list.size() < static_cast<size_t>(22 + keys)) {
            list.resize(static_cast<size_t>(22 + keys));
        }
        for (size_t j = 22; j < static_cast<size_t>(22 + keys) && j < list.size(); ++j) {
            list[j].Assignment = {static_cast<uint16_t>(j), profile::kMacroTypeB,
                                  static_cast<uint8_t>((j - 22) % static_cast<size_t>(count)), 0};
        }
        keyboard_->SetKeyListAll(list);
        // The macro page hands the names over in the program.
        keyboard_->SetMacroNames(files.Names());
        keyboard_->SaveProfile();
    }

    void SetLatencyMicros(uint32_t micros) { bus_->SetReportLatencyMicros(micros); }
    uint64_t Requests() {
        return receiver_ ? devices_->Receiver().RequestCount()
                         : devices_->KeyboardInterface().RequestCount();
    }
    device::CVornelKeyboardDevice& Keyboard() { return *keyboard_; }
    bool Receiver() const { return receiver_; }

  private:
    bool receiver_;
    std::string folder_;
    std::string path_;
    std::shared_ptr<sim::SimBackend> bus_;
    std::unique_ptr<sim::SimulatedDevices> devices_;
    std::unique_ptr<device::CVornelKeyboardDevice> keyboard_;
};

}  // namespace bench_support
