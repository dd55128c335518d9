#include "device/keyboard_device.h"

#include <json/value.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/debug_output.h"
#include "platform/paths.h"
#include "profile/default_data.h"
#include "profile/json_file_store.h"

namespace device {
namespace {

constexpr uint16_t kVendor = 0x320F;
constexpr uint16_t kKeyboardProduct = 0x22AB;
constexpr const char* kResyncText = "接收到自动添加设备的同步信息要求";

bool IsOk(int result) {
    return result == hid::kResultOk;
}

// A single-exchange request with its checksum.
std::array<uint8_t, hid::kReportSize> Request(uint8_t command, uint8_t length = 0,
                                              uint16_t offset = 0) {
    std::array<uint8_t, hid::kReportSize> r{};
    r[0] = hid::kCommandReportId;
    r[hid::kByteCommand] = command;
    r[hid::kByteLength] = length;
    r[hid::kByteOffsetLow] = static_cast<uint8_t>(offset & 0xFF);
    r[hid::kByteOffsetHigh] = static_cast<uint8_t>(offset >> 8);
    hid::StampChecksum(r.data());
    return r;
}

std::string HexName(const profile::KeyAssignment& a) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X %02X %02X", a.type, a.code1, a.code2);
    return text;
}

}  // namespace

CVornelKeyboardDevice::CVornelKeyboardDevice() : ProfiledDevice(1) {
    for (auto& v : sharedDeviceIndex_) {
        v.store(kUnmappedKey);
    }
    for (auto& v : sharedLed_) {
        v.store(kUnmappedKey);
    }
    profile_.SetDefaultDataPath(DefaultDataFile());
}

CVornelKeyboardDevice::~CVornelKeyboardDevice() {
    if (lighting_ != nullptr) {
        lighting_->StopLightThread(*this);
    }
    ShutdownThreads();
}

// ---------------------------------------------------------------- lighting

void CVornelKeyboardDevice::SetLightControl(int state) {
    CVornelUSBDevice::SetLightControl(state);
    // A wired keyboard is told when the program takes its lighting back.
    if (state != 0 && deviceType_ == 1) {
        auto request = Request(kCmdLightControl);
        std::array<uint8_t, hid::kReportSize> answer{};
        commandChannel_.Command(request.data(), answer.data());
    }
}

int CVornelKeyboardDevice::ApplyLighting() {
    if (lighting_ != nullptr) {
        return lighting_->ApplyLighting(*this);
    }
    currentLight_ = profile_.GetLightInfo();
    return 0;
}

void CVornelKeyboardDevice::PushLedFrame() {
    if (lighting_ != nullptr) {
        lighting_->PushLedFrame(*this);
    } else {
        CVornelUSBDevice::PushLedFrame();
    }
}

void CVornelKeyboardDevice::ApplyCustomGroup() {
    if (lighting_ != nullptr) {
        lighting_->ApplyCustomGroup(*this);
    }
}

void CVornelKeyboardDevice::OnAudioLevels(const uint8_t* data, size_t length) {
    if (lighting_ != nullptr) {
        lighting_->OnAudioLevels(*this, data, length);
    }
}

void CVornelKeyboardDevice::OnAudioBands(const uint8_t* data, size_t length) {
    if (lighting_ != nullptr) {
        lighting_->OnAudioBands(*this, data, length);
    }
}

void CVornelKeyboardDevice::LoadNameLists() {
    if (lighting_ != nullptr) {
        lighting_->LoadNameLists(*this);
        return;
    }
    // Without the lighting component: the two lists the protocol needs.
    const std::string folder = UserDataFolder();
    macroNames_ = folder.empty() ? std::vector<std::string>{}
                                 : profile::ReadMacroNames(folder + "macro.config");
    Json::Value document;
    if (profile::JsonFileStore().ParseJsonFile(DefaultDataFolder() + "default_light.json",
                                               document) != profile::JsonStatus::Ok) {
        return;
    }
    const Json::Value& lists = document["DefaultLightName"];
    if (!lists.isArray() || deviceIndex_ < 0 ||
        static_cast<Json::ArrayIndex>(deviceIndex_) >= lists.size() ||
        !lists[static_cast<Json::ArrayIndex>(deviceIndex_)].isArray()) {
        return;
    }
    modeValues_.clear();
    for (const Json::Value& item : lists[static_cast<Json::ArrayIndex>(deviceIndex_)]) {
        const Json::Value& v = item.isObject() ? item["value"] : Json::Value::nullSingleton();
        modeValues_.push_back(v.isInt() ? v.asInt() : -1);
    }
}

// ---------------------------------------------------------------- first read

int CVornelKeyboardDevice::ReadDeviceTables() {
    {
        std::shared_ptr<hid::CHidPack> shared =
            commandChannel_.ReceiverMode() ? commandChannel_.ReceiverPack() : nullptr;
        const hid::HidAttributes a =
            shared ? shared->Attributes() : commandChannel_.DirectPack().Attributes();
        if (a.vendorId == kVendor && a.productId == kKeyboardProduct &&
            a.versionNumber < kFirstCurrentRelease && mainWindow_ != nullptr) {
            mainWindow_->SendToWindow(kMsgFirmwareUpgrade, a.productId, a.versionNumber);
        }
    }
    if (!commandChannel_.IsOpen()) {
        return hid::kResultNoAnswer;
    }
    DeviceInfoBlock info;
    int result =
        commandChannel_.ChunkedRead(kCmdReadInfo, 0, info.bytes.data(), DeviceInfoBlock::kSize);
    if (!IsOk(result)) {
        return result;
    }
    infoBlock_ = info;
    const int count = info.KeyCount();
    if (!commandChannel_.SetTableSize(static_cast<uint32_t>(count) * 3)) {
        return hid::kResultNoAnswer;
    }
    // Read into scratch buffers: a failed read keeps the previous tables.
    std::array<uint8_t, 512> defaults{};
    std::array<uint8_t, 512> leds{};
    result = commandChannel_.ChunkedRead(kCmdReadKeyTable, 0, defaults.data(),
                                         static_cast<uint32_t>(count) * 3);
    if (!IsOk(result)) {
        return result;
    }
    result =
        commandChannel_.ChunkedRead(kCmdReadLedTable, 0, leds.data(), static_cast<uint32_t>(count));
    if (!IsOk(result)) {
        return result;
    }
    keyDefaults_ = defaults;
    keyLeds_ = leds;
    maps_.keyCount = count;
    BuildKeyMaps();
    return hid::kResultOk;
}

void CVornelKeyboardDevice::BuildKeyMaps() {
    maps_ = device::BuildKeyMaps(keyDefaults_.data(), keyLeds_.data(),
                                 std::min(maps_.keyCount, kMaxDeviceKeys));
    for (int j = 0; j < kKeyButtons; ++j) {
        const auto i = static_cast<size_t>(j);
        keyToDeviceIndex_[j] = maps_.deviceIndex[i];
        keyToLed_[j] = maps_.led[i];
        sharedDeviceIndex_[i].store(maps_.deviceIndex[i]);
        sharedLed_[i].store(maps_.led[i]);
    }
}

int CVornelKeyboardDevice::KeyToDeviceIndex(int keyButton) const {
    return keyButton >= 0 && keyButton < kKeyButtons
               ? sharedDeviceIndex_[static_cast<size_t>(keyButton)].load()
               : kUnmappedKey;
}

int CVornelKeyboardDevice::KeyToLed(int keyButton) const {
    return keyButton >= 0 && keyButton < kKeyButtons
               ? sharedLed_[static_cast<size_t>(keyButton)].load()
               : kUnmappedKey;
}

// ---------------------------------------------------------------- settings record

int CVornelKeyboardDevice::ReadLightRecord() {
    commandChannel_.SetLightSyncHold(false);
    if (!commandChannel_.IsOpen()) {
        return hid::kResultNoAnswer;
    }
    uint8_t slot = 0;
    int result = commandChannel_.ChunkedRead(kCmdReadSettings, 0, &slot, 1);
    std::array<uint8_t, DeviceLightRecord::kSize> record{};
    if (IsOk(result)) {
        result =
            commandChannel_.ChunkedRead(kCmdReadSettings, slot * DeviceLightRecord::kSlotStride,
                                        record.data(), DeviceLightRecord::kSize);
    }
    if (!IsOk(result)) {
        // Nothing read: the live state and the profile keep their settings.
        return result;
    }
    previousLight_ = deviceLight_;
    deviceLight_[device_light::kSlot] = slot;
    record[0] = slot;
    rawRecord_ = record;
    const int index = ModeIndexOf(modeValues_, record[1]);
    if (index >= 0) {
        rawRecord_[1] = static_cast<uint8_t>(index);
    }
    rawRecord_[26] = 0;

    namespace dl = device_light;
    deviceLight_[dl::kMode] = rawRecord_[1];
    deviceLight_[dl::kBrightness] = rawRecord_[2];
    deviceLight_[dl::kSpeed] = DeviceLightRecord::SpeedFromDevice(rawRecord_[3]);
    deviceLight_[dl::kDirection] = rawRecord_[4];
    deviceLight_[dl::kMultiColour] = rawRecord_[5];
    deviceLight_[dl::kRed] = rawRecord_[6];
    deviceLight_[dl::kGreen] = rawRecord_[7];
    deviceLight_[dl::kBlue] = rawRecord_[8];
    deviceLight_[dl::kZoneMode] = rawRecord_[18];
    deviceLight_[dl::kCustomGroup] = rawRecord_[25];
    deviceLight_[dl::kBackgroundOff] = rawRecord_[16];

    // 0xFE (the program drives the LEDs) and values the mode table lacks
    // keep the mode the program already has.
    const uint8_t previousMode = currentLight_.SelectItem;
    if (deviceLight_[dl::kMode] == DeviceLightRecord::kProgramDriven || index < 0) {
        deviceLight_[dl::kMode] = previousMode;
    } else {
        currentLight_.SelectItem = deviceLight_[dl::kMode];
    }
    currentLight_.Light = deviceLight_[dl::kBrightness];
    currentLight_.Speed = deviceLight_[dl::kSpeed];
    currentLight_.Fx = deviceLight_[dl::kDirection];
    currentLight_.MultiColor = deviceLight_[dl::kMultiColour];
    currentLight_.Red = deviceLight_[dl::kRed];
    currentLight_.Green = deviceLight_[dl::kGreen];
    currentLight_.Blue = deviceLight_[dl::kBlue];
    currentLight_.ZZCCLedMode = deviceLight_[dl::kZoneMode];
    currentLight_.CustomGroup = deviceLight_[dl::kCustomGroup];
    currentLight_.CloseBkLight = deviceLight_[dl::kBackgroundOff];
    if (currentLight_.CloseBkLight == 1) {
        deviceLight_[dl::kMode] = 17;  // the preview of a dark keyboard
    }
    if ((deviceLight_[dl::kMode] != previousMode || deviceLight_[dl::kMode] == 19) &&
        lighting_ != nullptr) {
        lighting_->RestartPreview(*this, deviceLight_[dl::kMode]);
    }

    systemStages_.Key6Flag = rawRecord_[20];
    systemStages_.WinFlag = rawRecord_[21];
    systemStages_.WFlag = rawRecord_[19];
    profile_.SetSystemStages(systemStages_);
    profile_.SetLightInfo(currentLight_);
    profile_.Save();
    return slot;
}

int CVornelKeyboardDevice::SendLightRecord(int slot, int value, int, int, int) {
    if (slot < 0 || slot > 255) {
        return hid::kResultNoAnswer;
    }
    const profile::KeyboardSystemStages stages = profile_.GetSystemStages();
    const profile::LightInfo light = profile_.GetLightInfo();
    uint8_t modeValue = 0;
    if (!ModeValueOf(modeValues_, light.SelectItem, modeValue)) {
        // A mode the device has no number for is never sent.
        return hid::kResultNoAnswer;
    }
    const DeviceLightRecord record =
        DeviceLightRecord::Build(static_cast<uint8_t>(value), modeValue, light, stages, rawRecord_);
    return commandChannel_.ChunkedWrite(
        kCmdWriteSettings, static_cast<uint32_t>(slot) * DeviceLightRecord::kSlotStride,
        record.bytes.data(), DeviceLightRecord::kSize);
}

// ---------------------------------------------------------------- lifecycle

void CVornelKeyboardDevice::OnConnected() {
    ReadDeviceTables();
    LoadActiveProfile();
    ReadLightRecord();
    RefreshPage();
    if (lighting_ != nullptr) {
        lighting_->StartLightThread(*this);
    }
}

void CVornelKeyboardDevice::OnResync() {
    if (resyncProfile_.load() != 0) {
        if (view_ != nullptr) {
            const std::string selected = view_->ReloadProfileList();
            if (!selected.empty()) {
                profileName_ = selected;
            }
        }
        LoadActiveProfile();
        resyncProfile_.store(0);
    }
    ReadLightRecord();
    RefreshPage();
}

int CVornelKeyboardDevice::LoadActiveProfile() {
    BindProfilePaths();
    profile_.LoadProfile(profile_.GetProfilePath());
    keyList_ = profile_.GetKeyList();
    ApplyLighting();
    systemStages_ = profile_.GetSystemStages();
    return 1;
}

void CVornelKeyboardDevice::RestoreDefaults() {
    profile_.LoadProfile(profile_.GetDefaultDataPath());
    keyList_ = profile_.GetKeyList();
    ApplyLighting();
    systemStages_ = profile_.GetSystemStages();
    SaveProfile();
    RefreshPage();
}

void CVornelKeyboardDevice::RefreshPage() {
    LoadNameLists();
    RefreshKeyLabels();
    if (view_ != nullptr) {
        view_->ShowLight(currentLight_, audioLight_);
    }
    if (lighting_ != nullptr) {
        lighting_->SelectCustomGroup(*this, currentLight_.CustomGroup);
    }
    if (view_ == nullptr) {
        return;
    }
    view_->SetOptionSelected("winlockflag_option", systemStages_.WinFlag != 0);
    view_->SetOptionSelected("wflag_option", systemStages_.WFlag != 0);
    view_->SetOptionSelected("6flag_option", systemStages_.Key6Flag != 0);
    view_->SetSliderValue("repeat_rate_slider", systemStages_.Repeat);
    ShowRepeatDelay(systemStages_.RepeatDelay);
    view_->SetControlText("repeat_input_richedit", "");
    view_->SetControlTip("repeat_input_richedit", Translate("Repeat_input_text"));
    ShowPollingRate(systemStages_.PollingRate);
}

// ---------------------------------------------------------------- key assignments

std::string CVornelKeyboardDevice::Translate(const std::string& id) const {
    return view_ != nullptr ? view_->Translate(id) : id;
}

std::string CVornelKeyboardDevice::AssignmentName(const profile::KeyAssignment& a) const {
    if (a.code1 == 0 && a.code2 == 0) {
        return Translate("close_text");
    }
    std::string name = view_ != nullptr ? view_->AssignmentName(a) : std::string();
    return name.empty() ? HexName(a) : name;
}

void CVornelKeyboardDevice::RefreshKeyLabels() {
    if (view_ == nullptr) {
        return;
    }
    const std::string keySet = Translate("Key_Set");
    const size_t n = std::min<size_t>(keyList_.size(), kKeyButtons);
    for (size_t j = 0; j < n; ++j) {
        const profile::KeyListEntry& e = keyList_[j];
        view_->SetKeyLabel(static_cast<int>(j), AssignmentName(e.DefaultAssignment),
                           keySet + AssignmentName(e.Assignment),
                           CodeOf(e.Assignment) != CodeOf(e.DefaultAssignment));
    }
}

void CVornelKeyboardDevice::SelectKey(int i) {
    selectedKey_ = i;
    if (view_ != nullptr && i >= 0 && static_cast<size_t>(i) < keyList_.size()) {
        view_->ShowKeyAssignment(keyList_[static_cast<size_t>(i)]);
    }
}

void CVornelKeyboardDevice::SelectFunctionPage(int type) {
    CVornelUSBDevice::SelectFunctionPage(type);
    if (view_ != nullptr && (type == 1 || type == 2)) {
        view_->SetKeyEnabled(110, type == 1);  // the Fn key
    }
}

void CVornelKeyboardDevice::SetSelectedKeyAssignment(const profile::KeyListEntry& entry) {
    if (selectedKey_ < 0 || static_cast<size_t>(selectedKey_) >= keyList_.size()) {
        return;
    }
    keyList_[static_cast<size_t>(selectedKey_)] = entry;
    profile_.SetKeyList(keyList_);
}

void CVornelKeyboardDevice::SetKeyListAll(const std::vector<profile::KeyListEntry>& list) {
    keyList_ = list;
    profile_.SetKeyList(keyList_);
}

void CVornelKeyboardDevice::SetScratchKeyListAll(const std::vector<profile::KeyListEntry>& list) {
    scratchKeyList_ = list;
    profile_.SetScratchKeyList(scratchKeyList_);
}

void CVornelKeyboardDevice::ValidateMacroKeys() {
    LoadNameLists();
    // A macro list that exists but cannot be read says nothing about which
    // macros are gone: keep the assignments.
    if (!ReadMacroList(UserDataFolder()).broken) {
        const size_t n = macroNames_.size();
        bool changed = false;
        for (profile::KeyListEntry& e : keyList_) {
            if (e.Assignment.IsMacro() && e.Assignment.code1 >= n) {
                e.Assignment = e.DefaultAssignment;
                changed = true;
            }
        }
        if (changed) {
            SetKeyListAll(keyList_);
            RefreshKeyLabels();
        }
    }
    LoadNameLists();
}

bool CVornelKeyboardDevice::KeysUseMacro(int index) const {
    return std::any_of(keyList_.begin(), keyList_.end(), [index](const profile::KeyListEntry& e) {
        return e.Assignment.IsMacro() && e.Assignment.code1 == index;
    });
}

bool CVornelKeyboardDevice::RemoveMacroFromKeys(int index, bool* filesWritten) {
    std::vector<std::string> others;
    if (profileBar_ != nullptr) {
        const std::string current = profile_.GetProfilePath();
        for (std::string& path : profileBar_->ProfileFilePaths()) {
            if (!path.empty() && path != current) {
                others.push_back(std::move(path));
            }
        }
    }
    const bool written = profile_.RemoveMacroReferences(index, others);
    if (filesWritten != nullptr) {
        *filesWritten = written;
    }
    if (!written) {
        platform::DebugOutputF("macro %d: a profile's keys could not be renumbered", index);
    }
    std::vector<profile::KeyListEntry> keys = keyList_;
    if (!profile::CBasicProfiledata::RenumberMacroReferences(keys, index)) {
        return false;
    }
    SetKeyListAll(keys);
    return true;
}

std::vector<int> CVornelKeyboardDevice::CollectMacroRefs() {
    const MacroList macros = ReadMacroList(UserDataFolder());
    return device::CollectMacroRefs(maps_, keyList_, static_cast<int>(macros.guids.size()));
}

int CVornelKeyboardDevice::SendKeyAssignments(const std::vector<profile::KeyListEntry>& list) {
    return SendKeyAssignments(0, list);
}

int CVornelKeyboardDevice::SendKeyAssignments(int base,
                                              const std::vector<profile::KeyListEntry>& list) {
    if (!commandChannel_.IsOpen()) {
        return hid::kResultNoAnswer;
    }
    if (base != 0) {
        return kResultBadBase;
    }
    DeviceInfoBlock info;
    const int result =
        commandChannel_.ChunkedRead(kCmdReadInfo, 0, info.bytes.data(), DeviceInfoBlock::kSize);
    if (!IsOk(result)) {
        return result;
    }
    infoBlock_ = info;
    // The table must fit the device and match the maps it is built from.
    const int count = info.KeyCount();
    if (count > kMaxDeviceKeys || count != maps_.keyCount) {
        return hid::kResultNoAnswer;
    }
    const MacroList macros = ReadMacroList(UserDataFolder());
    const std::vector<uint8_t> table =
        BuildKeyTable(maps_, keyDefaults_.data(), list, static_cast<int>(macros.guids.size()));
    return commandChannel_.ChunkedWrite(kCmdWriteKeyTable, 0, table.data(),
                                        static_cast<uint32_t>(table.size()));
}

int CVornelKeyboardDevice::SendStoredKeyAssignments(int base) {
    return SendKeyAssignments(base, keyList_);
}

int CVornelKeyboardDevice::SendMacros(const std::vector<int>& list) {
    if (commandChannel_.IsOpen()) {
        DeviceInfoBlock info;
        if (IsOk(commandChannel_.ChunkedRead(kCmdReadInfo, 0, info.bytes.data(),
                                             DeviceInfoBlock::kSize))) {
            infoBlock_ = info;
        }
    }
    const std::string folder = UserDataFolder();
    const MacroList macros = ReadMacroList(folder);
    if (!macros.ok || list.empty()) {
        return 0;
    }
    std::vector<std::vector<macro::MacroEvent>> events;
    events.reserve(list.size());
    for (int entry : list) {
        if (entry < 0 || static_cast<size_t>(entry) >= macros.guids.size()) {
            return hid::kResultWriteFailed;  // not a macro of this list: nothing sent
        }
        const std::string& guid = macros.guids[static_cast<size_t>(entry)];
        events.push_back(platform::IsPlainFileName(guid + ".mac")
                             ? macro::LoadMacroFile(folder + guid + ".mac")
                             : std::vector<macro::MacroEvent>{});
    }
    const size_t size = MacroImage::SizeFor(events);
    if (size > static_cast<size_t>(infoBlock_.MacroCapacity())) {
        return static_cast<int>(size);
    }
    for (const auto& m : events) {
        if (m.size() > MacroImage::kMaxEvents) {
            return static_cast<int>(m.size());
        }
    }
    const std::vector<uint8_t> image = MacroImage::Build(events);
    const int result = commandChannel_.ChunkedWrite(kCmdWriteMacros, 0, image.data(),
                                                    static_cast<uint32_t>(image.size()));
    if (IsOk(result)) {
        return 0;
    }
    // 0 means success to the callers: a transfer that got no answer is a
    // failed write.
    return result < 0 ? result : hid::kResultWriteFailed;
}

// ---------------------------------------------------------------- system settings

bool CVornelKeyboardDevice::IsKey6Selected() const {
    return view_ != nullptr && view_->IsOptionSelected("6flag_option");
}

bool CVornelKeyboardDevice::IsWFlagSelected() const {
    return view_ != nullptr && view_->IsOptionSelected("wflag_option");
}

bool CVornelKeyboardDevice::IsWinLockSelected() const {
    return view_ != nullptr && view_->IsOptionSelected("winlockflag_option");
}

int CVornelKeyboardDevice::GetRepeatRate() const {
    int value = 0;
    return view_ != nullptr && view_->SliderValue("repeat_rate_slider", value) ? value : 0;
}

void CVornelKeyboardDevice::ShowRepeatDelay(int i) {
    if (view_ == nullptr) {
        return;
    }
    if (i < 0 || i > 3) {
        i = 0;
    }
    view_->SetOptionSelected("repeat_delay_check_" + std::to_string(i), true);
    view_->SetControlText("repeat_delay_time_label1",
                          Translate("Repeat_Delay_Time") + std::to_string((i + 1) * 250) + "ms");
}

void CVornelKeyboardDevice::ShowPollingRate(int i) {
    if (view_ == nullptr) {
        return;
    }
    if (i < 0 || i > 3) {
        i = 0;
    }
    view_->SetOptionSelected("polling_rate_option_" + std::to_string(i), true);
}

void CVornelKeyboardDevice::SetSystemStagesAll(const profile::KeyboardSystemStages& stages) {
    systemStages_ = stages;
    profile_.SetSystemStages(stages);
}

void CVornelKeyboardDevice::SetAudioLightState(uint32_t a, uint32_t b, uint32_t c) {
    CVornelUSBDevice::SetAudioLightState(a, b, c);
    uint8_t bytes[12];
    std::memcpy(bytes, &a, 4);
    std::memcpy(bytes + 4, &b, 4);
    std::memcpy(bytes + 8, &c, 4);
    profile::AudioLightInfo info;
    std::memcpy(&info, bytes, sizeof info);
    profile_.SetAudioLightInfo(info);
}

// ---------------------------------------------------------------- link and battery

bool CVornelKeyboardDevice::LinkQuery() {
    uint8_t keyboardLink = 0;
    uint8_t mouseLink = 0;
    if (!commandChannel_.ReceiverMode()) {
        return true;
    }
    // Only this keyboard's own link byte counts: a linked mouse alone does
    // not make the keyboard reachable.
    return IsOk(commandChannel_.LinkStatus(keyboardLink, mouseLink)) && keyboardLink == 0xFF;
}

int CVornelKeyboardDevice::IsLinkUp() {
    return commandChannel_.IsOpen() && commandChannel_.ReceiverMode() && LinkQuery() ? 1 : 0;
}

void CVornelKeyboardDevice::PollBattery() {
    if (!commandChannel_.IsOpen()) {
        return;
    }
    platform::DebugOutputF("test count:%d", 1);
    if (IsPageHidden() || !LinkQuery()) {
        return;
    }
    const bool receiver = commandChannel_.ReceiverMode();
    if (view_ != nullptr) {
        view_->ShowBatteryWireless(receiver);
    }
    auto request = Request(kCmdReadStatus, BatteryStatus::kSize, 0);
    std::array<uint8_t, hid::kReportSize> answer{};
    if (!IsOk(commandChannel_.Command(request.data(), answer.data()))) {
        return;
    }
    if (answer[hid::kByteCommand] != kCmdReadStatus) {
        return;  // someone else's answer: keep what the widget shows
    }
    BatteryStatus status;
    std::memcpy(status.bytes.data(), answer.data() + hid::kByteData, BatteryStatus::kSize);
    status.bytes[3] = receiver ? 1 : 0;
    if (view_ != nullptr) {
        view_->ShowBatteryStatus(status.bytes);
    }
    if (mainWindow_ != nullptr) {
        mainWindow_->SendToWindow(kMsgBatteryRead, status.bytes[4], 0);
    }
}

// ---------------------------------------------------------------- events

void CVornelKeyboardDevice::DispatchEvent(uint16_t code, const uint8_t*, size_t) {
    if (code == 0xA401 || code == 0xA402) {
        if (code == 0xA402) {
            resyncProfile_.store(1);
        }
        platform::DebugOutput(kResyncText);
        RequestResync(kResyncPeriodMs);
    } else if ((code & 0xFF00) == 0x0500) {
        OnKeyEvent(code & 0xFF, 1);
    } else if ((code & 0xFF00) == 0x0600) {
        OnKeyEvent(code & 0xFF, 2);
    }
}

void CVornelKeyboardDevice::OnKeyEvent(int deviceKey, int kind) {
    if (deviceKey < 0 || deviceKey >= kUnmappedKey) {
        return;
    }
    for (int j = 0; j < kKeyButtons; ++j) {
        if (sharedDeviceIndex_[static_cast<size_t>(j)].load() == deviceKey) {
            std::lock_guard lock(hooksMutex_);
            if (lighting_ != nullptr) {
                lighting_->OnKeyEvent(*this, j, kind);
            }
            return;
        }
    }
}

}  // namespace device
