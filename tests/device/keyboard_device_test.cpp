// The keyboard object against the simulated keyboard, through the real
// ReportChannel: wired (56-byte chunks) and through the receiver (24-byte
// chunks, target byte).
#include "device/keyboard_device.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <numeric>
#include <thread>

#include "device/fake_views.h"
#include "device/keyboard_light_driver.h"
#include "device/receiver_event_service.h"
#include "hid/hid_backend.h"
#include "hid/share_hid_pack_mgr.h"
#include "macro/macro_files.h"
#include "pages/key_save_flow.h"
#include "platform/paths.h"
#include "sim/sim_descriptors.h"
#include "sim/sim_models.h"
#include "sim/simulated_devices.h"
#include "support/sim_paths.h"
#include "support/temp_dir.h"

using namespace device;

namespace {

class FakeWindow : public MainWindowLink {
  public:
    intptr_t SendToWindow(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        std::lock_guard lock(mutex);
        sent.push_back({message, wParam, lParam});
        return 0;
    }
    void PostToWindow(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        SendToWindow(message, wParam, lParam);
    }
    std::vector<std::tuple<uint32_t, uintptr_t, intptr_t>> Sent(uint32_t message) {
        std::lock_guard lock(mutex);
        std::vector<std::tuple<uint32_t, uintptr_t, intptr_t>> out;
        for (const auto& m : sent) {
            if (std::get<0>(m) == message) {
                out.push_back(m);
            }
        }
        return out;
    }
    std::mutex mutex;
    std::vector<std::tuple<uint32_t, uintptr_t, intptr_t>> sent;
};

class FakeKeyboardView : public KeyboardPageView {
  public:
    bool IsOptionSelected(const std::string& name) const override {
        auto it = options.find(name);
        return it != options.end() && it->second;
    }
    void SetOptionSelected(const std::string& name, bool selected) override {
        options[name] = selected;
    }
    bool SliderValue(const std::string& name, int& value) const override {
        auto it = sliders.find(name);
        if (it == sliders.end()) {
            return false;
        }
        value = it->second;
        return true;
    }
    void SetSliderValue(const std::string& name, int value) override { sliders[name] = value; }
    void SetControlText(const std::string& name, const std::string& text) override {
        texts[name] = text;
    }
    void SetControlTip(const std::string& name, const std::string& tip) override {
        tips[name] = tip;
    }
    std::string Translate(const std::string& id) const override { return "<" + id + ">"; }
    void SetKeyLabel(int j, const std::string& text, const std::string& tip, bool marked) override {
        labels[j] = {text, tip, marked};
    }
    void SetKeyEnabled(int j, bool enabled) override { enabledKeys[j] = enabled; }
    void ShowKeyAssignment(const profile::KeyListEntry& entry) override { shownEntry = entry; }
    void ShowBatteryStatus(const std::array<uint8_t, 6>& status) override {
        battery = status;
        ++batteryShows;
    }
    void ShowBatteryWireless(bool shown) override { wireless = shown; }
    void ShowLight(const profile::LightInfo& light, const std::array<uint32_t, 3>&) override {
        shownLight = light;
    }
    std::string ReloadProfileList() override {
        ++profileReloads;
        return reloadResult;
    }
    std::string AssignmentName(const profile::KeyAssignment&) const override { return ""; }

    std::map<std::string, bool> options;
    std::map<std::string, int> sliders;
    std::map<std::string, std::string> texts, tips;
    std::map<int, std::tuple<std::string, std::string, bool>> labels;
    std::map<int, bool> enabledKeys;
    profile::KeyListEntry shownEntry;
    std::array<uint8_t, 6> battery{};
    int batteryShows = 0;
    bool wireless = false;
    profile::LightInfo shownLight;
    int profileReloads = 0;
    std::string reloadResult;
};

class FakeLighting : public KeyboardLightingHooks {
  public:
    int ApplyLighting(CVornelKeyboardDevice& k) override {
        k.LiveLight() = k.Profile().GetLightInfo();
        return 1;
    }
    void PushLedFrame(CVornelKeyboardDevice&) override {}
    void ApplyCustomGroup(CVornelKeyboardDevice&) override { calls.push_back("customgroup"); }
    void LoadNameLists(CVornelKeyboardDevice& k) override {
        std::vector<int> values(34);
        std::iota(values.begin(), values.end(), 0);
        k.SetModeValues(values);
        k.SetMacroNames(macro::MacroFiles(k.UserDataFolder()).Names());
    }
    void StartLightThread(CVornelKeyboardDevice&) override { calls.push_back("start"); }
    void StopLightThread(CVornelKeyboardDevice&) override {}
    void RestartPreview(CVornelKeyboardDevice&, int mode) override { restarts.push_back(mode); }
    void SelectCustomGroup(CVornelKeyboardDevice&, int) override {}
    void OnKeyEvent(CVornelKeyboardDevice&, int keyButton, int kind) override {
        std::lock_guard lock(mutex);
        keyEvents.emplace_back(keyButton, kind);
    }
    void OnAudioLevels(CVornelKeyboardDevice&, const uint8_t*, size_t) override {}
    void OnAudioBands(CVornelKeyboardDevice&, const uint8_t*, size_t) override {}
    std::vector<std::pair<int, int>> KeyEvents() {
        std::lock_guard lock(mutex);
        return keyEvents;
    }
    std::vector<std::string> calls;
    std::vector<int> restarts;
    std::mutex mutex;
    std::vector<std::pair<int, int>> keyEvents;
};

using testing_support::PathOf;

bool WaitFor(const std::function<bool()>& done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

std::vector<uint8_t> Slice(const std::vector<uint8_t>& v, size_t at, size_t n) {
    return {v.begin() + static_cast<long>(at), v.begin() + static_cast<long>(at + n)};
}

class KeyboardSim : public ::testing::TestWithParam<bool> {
  protected:
    bool ViaReceiver() const { return GetParam(); }

    void SetUp() override {
        platform::SetProgramFolder(std::string(QX70_SOURCE_DIR) + "/resources/");
        bus_ = std::make_shared<sim::SimBackend>();
        bus_->SetReportLatencyMicros(0);
        hid::SetBackend(bus_);
        sim::SimulatedDevicesOptions options;
        options.keyboard = !ViaReceiver();
        options.receiver = ViaReceiver();
        options.keyboardLinked = ViaReceiver();
        options.mouseLinked = true;
        options.mousePad = false;
        options.headset = false;
        options.persist = false;
        devices_ = std::make_unique<sim::SimulatedDevices>(bus_, options);
        keyboard_ = std::make_unique<CVornelKeyboardDevice>();
        keyboard_->SetMainWindow(&window_);
        keyboard_->SetKeyboardView(&view_);
        keyboard_->SetLightingHooks(&lighting_);
        keyboard_->SetOptionButton(&entry_);
        keyboard_->SetDeviceFolder("keyboard");
        keyboard_->SetProfileName("2026_01_01_00_00_00_000");
        keyboard_->SetDeviceIndex(0);
        keyboard_->LoadNameLists();
    }

    void TearDown() override {
        keyboard_.reset();
        for (const std::string& path : {receiverPath_, eventPath_}) {
            if (auto pack = hid::CShareHidPackMgr::Instance().Get(path)) {
                pack->Close();
            }
        }
        devices_.reset();
        hid::SetBackend(nullptr);
    }

    // Opens the command channel as the main window does.
    void Connect() {
        hid::ReportChannel& ch = keyboard_->CommandChannel();
        if (ViaReceiver()) {
            receiverPath_ = PathOf(*bus_, "pid_22aa", "&col04");
            ASSERT_TRUE(ch.BindReceiver(receiverPath_, hid::kTargetKeyboard));
            keyboard_->SetSlotRecord(SlotOf(9));
        } else {
            const std::string path = PathOf(*bus_, "pid_22ab", "&col04");
            ASSERT_TRUE(ch.DirectPack().Open(path, true, true, true, false));
            ch.SetConnection(hid::kConnectionDirect);
            keyboard_->SetSlotRecord(SlotOf(1));
        }
        ch.SetOpen(true);
    }

    // Opens the event collection: the event thread when wired, the
    // receiver's event service otherwise.
    void OpenEvents() {
        if (ViaReceiver()) {
            eventPath_ = PathOf(*bus_, "pid_22aa", "&col03");
            ReceiverEventService::Instance().StartService();
            ASSERT_TRUE(keyboard_->OpenEventChannel(eventPath_, 9));
        } else {
            ASSERT_TRUE(keyboard_->OpenEventChannel(PathOf(*bus_, "pid_22ab", "&col03"), 1));
        }
    }

    static hid::DeviceSlot SlotOf(int type) {
        hid::DeviceSlot s;
        s.deviceType = type;
        return s;
    }

    sim::KeyboardModel& Model() { return devices_->Keyboard(); }
    sim::CommandInterface& Interface() {
        return ViaReceiver() ? static_cast<sim::CommandInterface&>(devices_->Receiver())
                             : devices_->KeyboardInterface();
    }
    sim::SimUnit Unit() const {
        return ViaReceiver() ? sim::SimUnit::Receiver : sim::SimUnit::Keyboard;
    }

    std::vector<profile::KeyListEntry> DefaultKeyList() {
        std::vector<profile::KeyListEntry> list(kKeyButtons);
        const auto& codes = KeyboardDefaultCodes();
        for (size_t j = 0; j < list.size(); ++j) {
            profile::KeyAssignment a{static_cast<uint16_t>(j), codes[j][0], codes[j][1],
                                     codes[j][2]};
            list[j] = {a, a};
        }
        return list;
    }
    // Five macros with 1..5 events each (macro i has i + 1 events).
    void MakeMacros(int count) {
        macro::MacroFiles files(keyboard_->UserDataFolder());
        for (int i = 0; i < count; ++i) {
            int index = -1;
            ASSERT_EQ(files.Create({}, &index), macro::MacroFiles::kDone);
            std::vector<macro::MacroEvent> events(
                static_cast<size_t>(i + 1),
                macro::MacroEvent{true, 10, static_cast<uint8_t>(4 + i), 50});
            ASSERT_EQ(files.Save(index, events), macro::MacroFiles::kDone);
        }
    }
    // The device key of key button j.
    size_t DeviceKeyOf(int j) {
        const auto& keys = Model().DeviceKeyButtons();
        return static_cast<size_t>(std::find(keys.begin(), keys.end(), j) - keys.begin());
    }

    testing_support::ScopedUserFolders folders_;
    std::shared_ptr<sim::SimBackend> bus_;
    std::unique_ptr<sim::SimulatedDevices> devices_;
    FakeWindow window_;
    FakeKeyboardView view_;
    FakeLighting lighting_;
    device_test::FakeEntryView entry_;
    std::unique_ptr<CVornelKeyboardDevice> keyboard_;
    std::string receiverPath_;
    std::string eventPath_;
};

INSTANTIATE_TEST_SUITE_P(Paths, KeyboardSim, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Receiver" : "Wired"; });

}  // namespace

TEST_P(KeyboardSim, FirstReadMapsEveryKeyAndLed) {
    Connect();
    ASSERT_EQ(keyboard_->ReadDeviceTables(), 1);
    EXPECT_EQ(keyboard_->InfoBlock().KeyCount(), Model().KeyCount());
    const auto leds = Model().Region(sim::kRegionLeds);
    const auto& keys = Model().DeviceKeyButtons();
    for (size_t k = 0; k < keys.size(); ++k) {
        EXPECT_EQ(keyboard_->KeyToDeviceIndex(keys[k]), static_cast<int>(k));
        EXPECT_EQ(keyboard_->KeyToLed(keys[k]), leds[k]);
    }
    EXPECT_EQ(keyboard_->KeyToDeviceIndex(20), kUnmappedKey)
        << "the simulated keyboard has no blank key";
    EXPECT_EQ(keyboard_->KeyToDeviceIndex(169), kUnmappedKey);
}

TEST_P(KeyboardSim, OldFirmwareAsksForAnUpdateOncePerRead) {
    if (ViaReceiver()) {
        GTEST_SKIP() << "the receiver reports its own release";
    }
    // The release number is what the keyboard reports when it is plugged.
    Model().SetReleaseNumber(0x0108);
    devices_->Unplug(sim::SimUnit::Keyboard);
    devices_->Plug(sim::SimUnit::Keyboard);
    Connect();
    keyboard_->ReadDeviceTables();
    auto sent = window_.Sent(kMsgFirmwareUpgrade);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(std::get<1>(sent[0]), 0x22ABu);
    EXPECT_EQ(std::get<2>(sent[0]), 0x0108);

    keyboard_->CommandChannel().DirectPack().Close();
    keyboard_->CommandChannel().SetOpen(false);
    Model().SetReleaseNumber(0x0109);
    devices_->Unplug(sim::SimUnit::Keyboard);
    devices_->Plug(sim::SimUnit::Keyboard);
    Connect();
    keyboard_->ReadDeviceTables();
    EXPECT_EQ(window_.Sent(kMsgFirmwareUpgrade).size(), 1u) << "0x0109 is current";
}

TEST_P(KeyboardSim, SettingsRecordReadIntoLightAndProfile) {
    Connect();
    keyboard_->LoadActiveProfile();
    keyboard_->LiveLight().SelectItem = 9;
    // Active slot 1: mode 0xFE (program-driven), speed byte 1, flags.
    ASSERT_TRUE(Model().PokeRegion(sim::kRegionSettings, 0, {1}));
    std::vector<uint8_t> record(28, 0);
    record[1] = 0xFE;
    record[2] = 3;
    record[3] = 1;
    record[6] = 10;
    record[7] = 20;
    record[8] = 30;
    record[13] = 0x77;
    record[19] = 1;
    record[20] = 1;
    record[21] = 0;
    record[25] = 4;
    ASSERT_TRUE(Model().PokeRegion(sim::kRegionSettings, 25, record));

    EXPECT_EQ(keyboard_->ReadLightRecord(), 1);
    const profile::LightInfo light = keyboard_->CurrentLight();
    EXPECT_EQ(light.SelectItem, 9) << "0xFE keeps the mode";
    EXPECT_EQ(light.Speed, 3);
    EXPECT_EQ(light.Light, 3);
    EXPECT_EQ(light.Blue, 30);
    EXPECT_EQ(light.CustomGroup, 4);
    EXPECT_EQ(keyboard_->RawRecord()[13], 0x77);
    EXPECT_TRUE(lighting_.restarts.empty());

    // What was read is in the profile file.
    profile::CKeyboardProfiledata reloaded;
    reloaded.SetDefaultDataPath(keyboard_->DefaultDataFile());
    reloaded.LoadProfile(keyboard_->ProfileFile());
    EXPECT_EQ(reloaded.GetLightInfo(), light);
    EXPECT_EQ(reloaded.GetSystemStages().WFlag, 1);
    EXPECT_EQ(reloaded.GetSystemStages().Key6Flag, 1);

    // A new mode and the background light off: the preview restarts dark.
    record[1] = 4;
    record[16] = 1;
    ASSERT_TRUE(Model().PokeRegion(sim::kRegionSettings, 25, record));
    EXPECT_EQ(keyboard_->ReadLightRecord(), 1);
    EXPECT_EQ(keyboard_->CurrentLight().SelectItem, 4);
    EXPECT_EQ(keyboard_->DeviceLightState()[device_light::kMode], 17);
    EXPECT_EQ(lighting_.restarts, (std::vector<int>{17}));
}

TEST_P(KeyboardSim, SettingsRecordWrittenFromTheProfile) {
    Connect();
    keyboard_->LoadActiveProfile();
    profile::LightInfo light = keyboard_->Profile().GetLightInfo();
    light.SelectItem = 5;
    light.Light = 4;
    light.Speed = 0;
    light.Red = 255;
    light.Green = 0;
    light.Blue = 128;
    keyboard_->Profile().SetLightInfo(light);
    profile::KeyboardSystemStages stages = keyboard_->GetSystemStagesCopy();
    stages.PollingRate = 2;
    stages.WinFlag = 1;
    keyboard_->SetSystemStagesAll(stages);

    ASSERT_EQ(keyboard_->SendLightRecord(0, 0), 1);
    const auto mem = Model().Region(sim::kRegionSettings);
    EXPECT_EQ(Slice(mem, 1, 8),
              (std::vector<uint8_t>{5, 4, 4, light.Fx, light.MultiColor, 0xFF, 0x00, 0x80}));
    EXPECT_EQ(mem[21], 1);
    EXPECT_EQ(mem[22], 2);

    light.SelectItem = 29;
    keyboard_->Profile().SetLightInfo(light);
    ASSERT_EQ(keyboard_->SendLightRecord(1, 0), 1);
    EXPECT_EQ(Model().Region(sim::kRegionSettings)[26], 0xFE) << "slot 1 at offset 25";

    light.SelectItem = 40;  // beyond the mode table
    keyboard_->Profile().SetLightInfo(light);
    EXPECT_EQ(keyboard_->SendLightRecord(0, 0), 0);
    EXPECT_EQ(Model().Region(sim::kRegionSettings)[1], 5) << "nothing sent";
}

TEST_P(KeyboardSim, MacrosAndKeyTableDownloadInOneOrder) {
    Connect();
    ASSERT_EQ(keyboard_->ReadDeviceTables(), 1);
    keyboard_->LoadActiveProfile();
    MakeMacros(5);
    auto list = DefaultKeyList();
    // Key buttons 22, 43, 64 (keys 1, Q, A) get macros 4, 2, 4; 65 gets 7.
    for (auto [j, m] : {std::pair{22, 4}, {43, 2}, {64, 4}, {65, 7}}) {
        list[j].Assignment.type = profile::kMacroTypeA;
        list[j].Assignment.code1 = static_cast<uint8_t>(m);
        list[j].Assignment.code2 = 0;
    }
    keyboard_->SetKeyListAll(list);

    const std::vector<int> refs = keyboard_->CollectMacroRefs();
    EXPECT_EQ(refs, (std::vector<int>{4, 2}));
    ASSERT_EQ(keyboard_->SendMacros(refs), 0);
    const auto image = Model().Region(sim::kRegionMacros);
    EXPECT_EQ(Slice(image, 0, 6), (std::vector<uint8_t>{0xAA, 0x55, 16 + 12 + 4 * 8, 0, 2, 0}));
    EXPECT_EQ(image[16], 20);
    EXPECT_EQ(image[20], 5) << "macro 4 (5 events) first";
    EXPECT_EQ(image[20 + 4 + 3], 8) << "its first event's key";
    EXPECT_EQ(image[20 + 4 + 20], 3) << "then macro 2 (3 events)";

    ASSERT_EQ(keyboard_->SendStoredKeyAssignments(0), 1);
    const auto table = Model().Region(sim::kRegionKeyMap);
    EXPECT_EQ(Slice(table, 3 * DeviceKeyOf(22), 3), (std::vector<uint8_t>{0x70, 0, 0}));
    EXPECT_EQ(Slice(table, 3 * DeviceKeyOf(43), 3), (std::vector<uint8_t>{0x70, 1, 0}));
    EXPECT_EQ(Slice(table, 3 * DeviceKeyOf(64), 3), (std::vector<uint8_t>{0x70, 0, 0}));
    EXPECT_EQ(Slice(table, 3 * DeviceKeyOf(65), 3), (std::vector<uint8_t>{0x20, 0x00, 0x16}))
        << "macro 7 of 5 goes out as the key's default";
    EXPECT_EQ(keyboard_->SendKeyAssignments(1, list), CVornelKeyboardDevice::kResultBadBase);

    keyboard_->ValidateMacroKeys();
    EXPECT_EQ(keyboard_->KeyList()[65].Assignment, keyboard_->KeyList()[65].DefaultAssignment);
    EXPECT_EQ(keyboard_->KeyList()[22].Assignment.code1, 4);
    EXPECT_EQ(keyboard_->Profile().GetKeyList()[65].Assignment.type, 0x20);
    EXPECT_TRUE(std::get<2>(view_.labels[22])) << "a remapped key is marked";
    EXPECT_FALSE(std::get<2>(view_.labels[65]));
}

TEST_P(KeyboardSim, MacroImageThatDoesNotFitIsNotSent) {
    Connect();
    ASSERT_EQ(keyboard_->ReadDeviceTables(), 1);
    macro::MacroFiles files(keyboard_->UserDataFolder());
    for (size_t n : {10u, 0u, 5u}) {
        int index = -1;
        ASSERT_EQ(files.Create({}, &index), macro::MacroFiles::kDone);
        ASSERT_EQ(files.Save(index, std::vector<macro::MacroEvent>(n, {true, 10, 4, 20})),
                  macro::MacroFiles::kDone);
    }
    Model().SetMacroUnits(0);
    EXPECT_EQ(keyboard_->SendMacros({0, 1, 2}), 94);
    EXPECT_EQ(Model().MacroMemory()[0], 0) << "nothing was written";

    // The firmware itself refuses what lies beyond its macro memory.
    Model().SetMacroUnits(1);
    const std::vector<uint8_t> image(200, 0x11);
    EXPECT_EQ(keyboard_->CommandChannel().ChunkedWrite(kCmdWriteMacros, 0, image.data(), 200),
              hid::kResultStatusFE);
    EXPECT_EQ(Model().MacroMemory()[100], 0x11);
    EXPECT_EQ(Model().MacroMemory()[128], 0);
}

TEST_P(KeyboardSim, LongMacroDelaysAreClamped) {
    Connect();
    ASSERT_EQ(keyboard_->ReadDeviceTables(), 1);
    MakeMacros(1);
    macro::MacroFiles files(keyboard_->UserDataFolder());
    std::string text = testing_support::ReadAll(files.MacroPath(0));
    const size_t at = text.find("\"50\"");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 4, "\"70000\"");  // 0x11170: truncation would give 0x1170
    testing_support::WriteAll(files.MacroPath(0), text);
    ASSERT_EQ(keyboard_->SendMacros({0}), 0);
    EXPECT_EQ(Slice(Model().Region(sim::kRegionMacros), 22, 2), (std::vector<uint8_t>{0xFF, 0xFF}));
}

TEST_P(KeyboardSim, KeyTableRefusedWhenTheKeyCountChanged) {
    Connect();
    ASSERT_EQ(keyboard_->ReadDeviceTables(), 1);
    keyboard_->LoadActiveProfile();
    const auto before = Model().Region(sim::kRegionKeyMap);
    ASSERT_TRUE(
        Model().PokeRegion(sim::kRegionInfo, 5, {static_cast<uint8_t>(Model().KeyCount() + 1)}));
    auto list = DefaultKeyList();
    list[0].Assignment.code2 = 0x04;
    EXPECT_EQ(keyboard_->SendKeyAssignments(list), 0);
    EXPECT_EQ(Model().Region(sim::kRegionKeyMap), before);

    // A device reporting more keys than the table holds stops the first read
    // and keeps the maps.
    ASSERT_TRUE(Model().PokeRegion(sim::kRegionInfo, 5, {171}));
    EXPECT_NE(keyboard_->ReadDeviceTables(), 1);
    EXPECT_EQ(keyboard_->KeyToDeviceIndex(Model().DeviceKeyButtons()[3]), 3);
}

TEST_P(KeyboardSim, InjectedFaultsChangeNothing) {
    Connect();
    ASSERT_EQ(keyboard_->ReadDeviceTables(), 1);
    keyboard_->LoadActiveProfile();
    const profile::LightInfo before = keyboard_->CurrentLight();
    const std::string profileBefore = testing_support::ReadAll(keyboard_->ProfileFile());

    // Status 0xFF and 0xFE on the record read.
    Interface().Faults().Inject(sim::Fault::StatusFF);
    EXPECT_EQ(keyboard_->ReadLightRecord(), hid::kResultStatusFF);
    Interface().Faults().Inject(sim::Fault::StatusFE, 1);
    EXPECT_EQ(keyboard_->ReadLightRecord(), hid::kResultStatusFE);
    EXPECT_EQ(keyboard_->CurrentLight(), before);
    EXPECT_EQ(testing_support::ReadAll(keyboard_->ProfileFile()), profileBefore)
        << "a failed read saves nothing";

    // A stale answer ahead of the real one is skipped.
    Interface().Faults().Inject(sim::Fault::StaleAnswerFirst);
    EXPECT_EQ(keyboard_->SendLightRecord(0, 0), 1);

    // A failed write reports the failure.
    Interface().Faults().Inject(sim::Fault::StatusFF);
    EXPECT_EQ(keyboard_->SendLightRecord(0, 0), hid::kResultStatusFF);
    Interface().Faults().Inject(sim::Fault::StatusFE);
    EXPECT_EQ(keyboard_->SendStoredKeyAssignments(0), hid::kResultStatusFE);

    // A table read that fails half-way keeps the previous maps.
    const int key3 = Model().DeviceKeyButtons()[3];
    Interface().Faults().Inject(sim::Fault::StatusFF, 2);
    EXPECT_EQ(keyboard_->ReadDeviceTables(), hid::kResultStatusFF);
    EXPECT_EQ(keyboard_->KeyToDeviceIndex(key3), 3);

    if (ViaReceiver()) {
        Interface().Faults().Inject(sim::Fault::Unreachable);
        EXPECT_EQ(keyboard_->ReadLightRecord(), hid::kResultUnreachable);
    } else {
        // No answer: the read times out (1 s on the wire).
        Interface().Faults().Inject(sim::Fault::NoAnswer);
        EXPECT_EQ(keyboard_->ReadLightRecord(), hid::kResultNoAnswer);
    }
    EXPECT_EQ(keyboard_->CurrentLight(), before);
}

TEST_P(KeyboardSim, UnplugDuringMacroDownloadIsAFailure) {
    Connect();
    ASSERT_EQ(keyboard_->ReadDeviceTables(), 1);
    MakeMacros(5);
    // The info block (1 or 2 reports) and the image's first chunk go
    // through; the keyboard is pulled out during the second chunk.
    devices_->UnplugDuringTransfer(Unit(), ViaReceiver() ? 3 : 2);
    const int result = keyboard_->SendMacros({0, 1, 2, 3, 4});
    EXPECT_LT(result, 0) << "a failed download is not reported as success";
    // 106 bytes; the last event of macro 4: 50 ms, key 8 down.
    EXPECT_NE(Slice(Model().Region(sim::kRegionMacros), 102, 4),
              (std::vector<uint8_t>{50, 0, 0x8A, 8}))
        << "the image never completed";
}

TEST_P(KeyboardSim, BatteryAndLink) {
    Connect();
    Model().Battery().Set(57, 1);
    keyboard_->PollBattery();
    ASSERT_EQ(view_.batteryShows, 1);
    EXPECT_EQ(view_.battery[0], 57);
    EXPECT_EQ(view_.battery[1], 1);
    EXPECT_EQ(view_.battery[3], ViaReceiver() ? 1 : 0);
    EXPECT_EQ(view_.wireless, ViaReceiver());
    EXPECT_EQ(window_.Sent(kMsgBatteryRead).size(), 1u);
    EXPECT_EQ(keyboard_->IsLinkUp(), ViaReceiver() ? 1 : 0);

    keyboard_->SetPageHidden(true);
    keyboard_->PollBattery();
    EXPECT_EQ(view_.batteryShows, 1) << "no poll while the window is hidden";
    keyboard_->SetPageHidden(false);

    if (ViaReceiver()) {
        // Only the mouse linked: the keyboard is not reachable.
        devices_->Receiver().UnlinkKeyboard();
        EXPECT_EQ(keyboard_->IsLinkUp(), 0);
        keyboard_->PollBattery();
        EXPECT_EQ(view_.batteryShows, 1);
    }
}

TEST_P(KeyboardSim, WholeProfileDownload) {
    Connect();
    keyboard_->OnConnected();
    EXPECT_EQ(lighting_.calls.back(), "start");
    MakeMacros(2);
    auto list = keyboard_->KeyList();
    ASSERT_GE(list.size(), 65u);
    list[64].Assignment = {64, profile::kMacroTypeB, 1, 0};
    keyboard_->SetKeyListAll(list);
    keyboard_->SaveProfile();

    keyboard_->LoadActiveProfile();
    keyboard_->RefreshPage();
    EXPECT_EQ(keyboard_->SendLightRecord(0, 0), 1);
    keyboard_->ApplyCustomGroup();
    EXPECT_EQ(keyboard_->SendMacros(keyboard_->CollectMacroRefs()), 0);
    EXPECT_EQ(keyboard_->SendStoredKeyAssignments(0), 1);
    EXPECT_EQ(Model().Region(sim::kRegionMacros)[4], 1) << "one macro";
    EXPECT_EQ(Slice(Model().Region(sim::kRegionKeyMap), 3 * DeviceKeyOf(64), 3),
              (std::vector<uint8_t>{0x71, 0, 0}));
    EXPECT_EQ(view_.options["polling_rate_option_" +
                            std::to_string(keyboard_->GetSystemStagesCopy().PollingRate)],
              true);
}

TEST_P(KeyboardSim, DeviceEvents) {
    Connect();
    ASSERT_EQ(keyboard_->ReadDeviceTables(), 1);
    // The unsolicited reports come through the event collection: the event
    // thread when wired, the receiver's event service otherwise.
    OpenEvents();
    Model().PressKey(5);
    Model().ReleaseKey(5);
    const int j = Model().DeviceKeyButtons()[5];
    ASSERT_TRUE(WaitFor([&] { return lighting_.KeyEvents().size() == 2; }));
    EXPECT_EQ(lighting_.KeyEvents()[0], std::make_pair(j, 1));
    EXPECT_EQ(lighting_.KeyEvents()[1], std::make_pair(j, 2));
    Model().NotifyProfileChanged();
    ASSERT_TRUE(WaitFor([&] { return keyboard_->ResyncPending(); }));
    ASSERT_TRUE(WaitFor([&] { return !entry_.Started().empty(); }));
    EXPECT_EQ(entry_.Started()[0], std::make_pair(kTimerResync, 50));
    keyboard_->CloseEventChannel();
    if (ViaReceiver()) {
        ReceiverEventService::Instance().StopService();
    }

    // A device key no key button maps to does nothing.
    const size_t before = lighting_.KeyEvents().size();
    keyboard_->DispatchEvent(static_cast<uint16_t>(0x0500 | (Model().KeyCount() + 3)), nullptr, 0);
    keyboard_->DispatchEvent(0x05FF, nullptr, 0);
    EXPECT_EQ(lighting_.KeyEvents().size(), before);

    // 0xA402 reloads the profile list at the next resync, 0xA401 does not.
    keyboard_->DispatchEvent(0xA401, nullptr, 0);
    keyboard_->OnResync();
    const int reloads = view_.profileReloads;
    keyboard_->DispatchEvent(0xA402, nullptr, 0);
    keyboard_->OnResync();
    EXPECT_EQ(view_.profileReloads, reloads + 1);
    EXPECT_FALSE(keyboard_->ResyncPending());
}

TEST_P(KeyboardSim, LightingDriverGoesWhileKeyEventsArrive) {
    Connect();
    ASSERT_EQ(keyboard_->ReadDeviceTables(), 1);
    OpenEvents();
    // Keys typed while the program exits (Alt+F4): the driver goes while the
    // event thread hands it key events.
    std::atomic<bool> typing{true};
    std::thread keys([&] {
        while (typing.load()) {
            Model().PressKey(5);
            Model().ReleaseKey(5);
        }
    });
    for (int i = 0; i < 20; ++i) {
        auto driver = std::make_unique<KeyboardLightingDriver>(*keyboard_);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        driver.reset();
        EXPECT_EQ(keyboard_->LightingHooks(), nullptr);
    }
    typing.store(false);
    keys.join();
    keyboard_->ShutdownThreads();
    if (ViaReceiver()) {
        ReceiverEventService::Instance().StopService();
    }
}

TEST_P(KeyboardSim, KeyEditsAndFactoryReset) {
    Connect();
    keyboard_->LoadActiveProfile();
    ASSERT_EQ(keyboard_->KeyList().size(), 170u);
    const std::string defaults = testing_support::ReadAll(keyboard_->DefaultDataFile());

    keyboard_->SelectKey(64);
    EXPECT_EQ(view_.shownEntry.Assignment.code2, 0x04) << "the A key is shown";
    profile::KeyListEntry entry = keyboard_->KeyList()[64];
    entry.Assignment = {64, 0x20, 0x00, 0x05};
    keyboard_->SetSelectedKeyAssignment(entry);
    keyboard_->SaveProfile();
    keyboard_->LoadActiveProfile();
    EXPECT_EQ(keyboard_->KeyList()[64].Assignment.code2, 0x05);

    keyboard_->RestoreDefaults();
    EXPECT_EQ(keyboard_->KeyList()[64].Assignment.code2, 0x04);
    keyboard_->LoadActiveProfile();
    EXPECT_EQ(keyboard_->KeyList()[64].Assignment.code2, 0x04) << "the factory record was saved";
    EXPECT_EQ(testing_support::ReadAll(keyboard_->DefaultDataFile()), defaults)
        << "the default data stays as shipped";
}

TEST_P(KeyboardSim, LightControlNoticeOnlyWired) {
    Connect();
    keyboard_->SetLightControl(1);
    EXPECT_EQ(Model().LightControlOn(), !ViaReceiver());
}

namespace {

// A keyboard whose status answers never echo the command: the answer of an
// earlier command is all that comes back.
class NoEchoKeyboard : public sim::SimFirmware {
  public:
    hid::HidAttributes Attributes() const override { return {0x320F, 0x22AB, 0x0110}; }
    uint8_t InterfaceNumber() const override { return 1; }
    std::vector<uint8_t> ReportDescriptor() const override {
        return sim::VendorInterfaceDescriptor();
    }
    void OnOutputReport(const std::vector<uint8_t>& report, sim::InputSink& sink) override {
        std::vector<uint8_t> answer(64, 0);
        answer[0] = 4;
        answer[3] = report.size() > 3 && report[3] == kCmdReadStatus ? kCmdReadSettings : report[3];
        answer[8] = echoLevel;
        sink.Deliver(answer);
        if (report.size() > 3 && report[3] == kCmdReadStatus) {
            sink.Deliver(answer);  // the channel reads twice before giving up on the echo
        }
    }
    std::atomic<uint8_t> echoLevel{0};
};

}  // namespace

TEST(KeyboardBattery, AnswerWithoutEchoKeepsTheDisplay) {
    testing_support::ScopedUserFolders folders;
    auto bus = std::make_shared<sim::SimBackend>();
    bus->SetReportLatencyMicros(0);
    hid::SetBackend(bus);
    auto firmware = std::make_shared<NoEchoKeyboard>();
    firmware->echoLevel = 40;
    bus->Plug(firmware);
    {
        CVornelKeyboardDevice keyboard;
        FakeKeyboardView view;
        FakeWindow window;
        keyboard.SetKeyboardView(&view);
        keyboard.SetMainWindow(&window);
        hid::ReportChannel& ch = keyboard.CommandChannel();
        ASSERT_TRUE(
            ch.DirectPack().Open(PathOf(*bus, "pid_22ab", "&col04"), true, true, true, false));
        ch.SetConnection(hid::kConnectionDirect);
        ch.SetOpen(true);
        keyboard.PollBattery();
        EXPECT_EQ(view.batteryShows, 0) << "not shown as 0%";
        EXPECT_TRUE(window.Sent(kMsgBatteryRead).empty());
    }
    hid::SetBackend(nullptr);
}

// The key page's write: macros, then the key table; the profile file changes
// only when both arrived.
TEST_P(KeyboardSim, KeyPageSaveWritesTheTableAndSavesOnlyOnSuccess) {
    Connect();
    ASSERT_EQ(keyboard_->ReadDeviceTables(), 1);
    keyboard_->LoadActiveProfile();
    keyboard_->SaveProfile();
    const auto before = Model().Region(sim::kRegionKeyMap);
    const std::string profileBefore = testing_support::ReadAll(keyboard_->ProfileFile());
    const size_t key = DeviceKeyOf(5);
    keyboard_->SelectKey(5);
    auto entry = keyboard_->KeyList()[5];
    entry.Assignment = {5, 0x30, 0xE2, 0x00};
    keyboard_->SetSelectedKeyAssignment(entry);
    const auto save = [&] { return pages::RunKeySave(pages::KeySaveStepsOf(*keyboard_)); };

    // Status 0xFF on the table write: nothing written, nothing saved.
    // The macro step and the table step each read the info block first.
    Interface().Faults().Inject(sim::Fault::StatusFF, 2);
    EXPECT_EQ(save().result, pages::KeySaveResult::WriteFailed);
    EXPECT_TRUE(Model().Region(sim::kRegionKeyMap) == before) << "key map written";
    EXPECT_TRUE(testing_support::ReadAll(keyboard_->ProfileFile()) == profileBefore)
        << "profile saved";

    // No answer: counts as not connected, not as success.
    // The receiver path asks again once; both go unanswered.
    Interface().Faults().Inject(sim::Fault::NoAnswer, 1);
    for (int i = 0; i < 3; ++i)
        Interface().Faults().Inject(sim::Fault::NoAnswer);
    const auto timedOut = save();
    EXPECT_EQ(timedOut.result, pages::KeySaveResult::NotConnected);
    EXPECT_EQ(timedOut.messageId, "message_text_7");
    EXPECT_TRUE(testing_support::ReadAll(keyboard_->ProfileFile()) == profileBefore)
        << "profile saved";
    Interface().Faults().Clear();

    // Success: exactly the one triple changes, and the profile holds it.
    ASSERT_EQ(save().result, pages::KeySaveResult::Saved);
    const auto after = Model().Region(sim::kRegionKeyMap);
    ASSERT_EQ(after.size(), before.size());
    size_t changed = 0;
    for (size_t i = 0; i + 2 < after.size(); i += 3)
        changed += Slice(after, i, 3) != Slice(before, i, 3) ? 1 : 0;
    EXPECT_EQ(changed, 1u);
    EXPECT_EQ(Slice(after, 3 * key, 3), (std::vector<uint8_t>{0x30, 0xE2, 0x00}));
    profile::CKeyboardProfiledata reloaded;
    reloaded.SetDefaultDataPath(keyboard_->DefaultDataFile());
    reloaded.LoadProfile(keyboard_->ProfileFile());
    const auto keys = reloaded.GetKeyList();
    ASSERT_GT(keys.size(), 5u);
    EXPECT_EQ(keys[5].Assignment.Persisted(), 0x30E200u);

    // A closed channel sends nothing and saves nothing.
    entry.Assignment = {5, 0x30, 0xE9, 0x00};
    keyboard_->SetSelectedKeyAssignment(entry);
    const std::string saved = testing_support::ReadAll(keyboard_->ProfileFile());
    keyboard_->CommandChannel().SetOpen(false);
    EXPECT_EQ(save().result, pages::KeySaveResult::NotConnected);
    EXPECT_TRUE(testing_support::ReadAll(keyboard_->ProfileFile()) == saved) << "profile saved";
    EXPECT_TRUE(Model().Region(sim::kRegionKeyMap) == after) << "key map written";
}
