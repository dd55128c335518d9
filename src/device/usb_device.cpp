#include "device/usb_device.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "device/receiver_event_service.h"
#include "hid/share_hid_pack_mgr.h"
#include "platform/debug_output.h"
#include "platform/paths.h"
#include "platform/tick_count.h"

namespace device {
namespace {

bool EqualsIgnoringCase(const std::string& a, const char* b) {
    const size_t n = std::strlen(b);
    if (a.size() != n) {
        return false;
    }
    for (size_t i = 0; i < n; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

uint32_t ColourWord(LedColour c) {
    return uint32_t{c.r} | uint32_t{c.b} << 8 | uint32_t{c.g} << 16;
}

}  // namespace

const platform::JoinTexts& DeviceThreadJoinTexts() {
    static const platform::JoinTexts texts{
        "线程退出：：对象处于激发状态\n",
        "线程退出：：对象处于非激发状态，超时\n",
        "线程退出：：错误\n",
    };
    return texts;
}

bool SplitIndexedName(const std::string& name, std::string& prefix, int& index) {
    const size_t underscore = name.rfind('_');
    if (underscore == std::string::npos || underscore + 1 >= name.size()) {
        return false;
    }
    const char* first = name.data() + underscore + 1;
    const char* last = name.data() + name.size();
    int value = 0;
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last || value < 0) {
        return false;
    }
    prefix = name.substr(0, underscore + 1);
    index = value;
    return true;
}

CVornelUSBDevice::CVornelUSBDevice(int defaultDeviceType) : deviceType_(defaultDeviceType) {}

CVornelUSBDevice::~CVornelUSBDevice() {
    ShutdownThreads();
}

void CVornelUSBDevice::ShutdownThreads() {
    ReceiverEventService::Instance().Forget(this);
    StopEventThread();
}

void CVornelUSBDevice::SetKeyButtonCount(int n) {
    keyButtonCount_ = std::clamp(n, 0, 170);
    keyButtons_.assign(static_cast<size_t>(keyButtonCount_), -1);
}

void CVornelUSBDevice::SetLedCount(int n) {
    n = std::clamp(n, 0, 170);
    if (n != ledCount_) {
        ledCount_ = n;
        ledButtons_.assign(static_cast<size_t>(n), -1);
        ledColours_.Resize(static_cast<size_t>(n));
        perLedEffect_.resize(static_cast<size_t>(n));
    }
    for (auto& record : perLedEffect_) {
        record.fill(0);
    }
    ledColours_.Fill(LedColour{});
}

void CVornelUSBDevice::SetBatteryWidgetEnabled(bool enabled) {
    batteryWidgetEnabled_ = enabled;
    if (powerWidget_ != nullptr) {
        powerWidget_->SetEnabled(enabled);
    }
}

void CVornelUSBDevice::SetPowerWidget(PowerWidgetView* widget) {
    powerWidget_ = widget;
    if (powerWidget_ != nullptr) {
        powerWidget_->SetEnabled(batteryWidgetEnabled_);
    }
}

void CVornelUSBDevice::SetSlotRecord(const hid::DeviceSlot& record) {
    slotRecord_ = record;
    deviceType_ = record.deviceType;
    // The 16-bit field that follows the type in the slot record.
    slotWord_ = record.interfaceRole;
}

void CVornelUSBDevice::SetLightControl(int state) {
    lightControl_.store(state);
}

void CVornelUSBDevice::InitPage() {
    if (pageLayoutName_.empty()) {
        keyButtonCount_ = 0;
        ledCount_ = 0;
        ledColours_.Resize(0);
        ledButtons_.clear();
        keyButtons_.clear();
        perLedEffect_.clear();
        return;
    }
    std::vector<std::string> names;
    if (pageView_ == nullptr || !pageView_->SelectPanelButtons(names)) {
        return;
    }
    for (size_t button = 0; button < names.size(); ++button) {
        std::string prefix;
        int n = 0;
        if (!SplitIndexedName(names[button], prefix, n)) {
            continue;
        }
        if (EqualsIgnoringCase(prefix, "key_") && n < keyButtonCount_) {
            keyButtons_[static_cast<size_t>(n)] = static_cast<int>(button);
        } else if (EqualsIgnoringCase(prefix, "light_") && n < ledCount_) {
            ledButtons_[static_cast<size_t>(n)] = static_cast<int>(button);
            pageView_->SetButtonColour(static_cast<int>(button), 0xFF, 255);
            pageView_->SetIndicatorColour(0xFFFFFF, 255);
        }
    }
    BuildPage();
}

void CVornelUSBDevice::BuildPage() {
    if (profileBar_ == nullptr) {
        return;
    }
    profileBar_->SetDeviceType(deviceType_);
    profileBar_->SetProfilePaths(UserDataFolder(), DefaultDataFile());
    profileBar_->LoadProfileList();
    profileBar_->SelectTabOption(1);
    const std::string selected = profileBar_->GetCurrentProfileUUID();
    if (!selected.empty()) {
        profileName_ = selected;
    }
}

int CVornelUSBDevice::KeyButton(int n) const {
    return n >= 0 && n < static_cast<int>(keyButtons_.size()) ? keyButtons_[static_cast<size_t>(n)]
                                                              : -1;
}

int CVornelUSBDevice::LedButton(int n) const {
    return n >= 0 && n < static_cast<int>(ledButtons_.size()) ? ledButtons_[static_cast<size_t>(n)]
                                                              : -1;
}

PreviewLight CVornelUSBDevice::PreviewLightOf() const {
    PreviewLight p;
    p.direction = currentLight_.Fx;
    p.multiColour = currentLight_.MultiColor;
    p.brightness = currentLight_.Light;
    p.speed = currentLight_.Speed;
    p.colour = {currentLight_.Red, currentLight_.Green, currentLight_.Blue, 255};
    return p;
}

void CVornelUSBDevice::PreviewBreathWheel() {
    device::PreviewBreathWheel(PreviewLightOf(), counters_, ledColours_);
}
void CVornelUSBDevice::PreviewBreathFourColours() {
    device::PreviewBreathFourColours(PreviewLightOf(), counters_, ledColours_);
}
void CVornelUSBDevice::PreviewStatic() {
    device::PreviewStatic(PreviewLightOf(), ledColours_);
}
void CVornelUSBDevice::PreviewSpectrum() {
    device::PreviewSpectrum(PreviewLightOf(), counters_, ledColours_);
}
void CVornelUSBDevice::PreviewBlink() {
    device::PreviewBlink(PreviewLightOf(), counters_, platform::TickCount(), ledColours_);
}
void CVornelUSBDevice::PreviewBlinkFourColours() {
    device::PreviewBlinkFourColours(PreviewLightOf(), counters_, platform::TickCount(),
                                    ledColours_);
}
void CVornelUSBDevice::PreviewOff() {
    device::PreviewOff(ledColours_);
}

void CVornelUSBDevice::PushLedFrame() {
    if (lightControl_.load() == 0 || pageView_ == nullptr) {
        return;
    }
    for (int i = 0; i < ledCount_; ++i) {
        const int button = ledButtons_[static_cast<size_t>(i)];
        if (button < 0 || !pageView_->IsButtonVisible(button)) {
            continue;
        }
        const LedColour c = ledColours_.Get(static_cast<size_t>(i));
        pageView_->SetButtonColour(button, ColourWord(c), c.alpha);
    }
}

void CVornelUSBDevice::SetLedColour(int i, LedColour colour) {
    if (i >= 0) {
        ledColours_.Set(static_cast<size_t>(i), colour);
    }
}

LedColour CVornelUSBDevice::GetLedColour(int i) const {
    return i >= 0 ? ledColours_.Get(static_cast<size_t>(i)) : LedColour{};
}

void CVornelUSBDevice::SetGroupMap(const std::map<int, int>& map) {
    groupMap_ = map;
}

void CVornelUSBDevice::DecayLed(int led, int kind) {
    if (led >= 0 && led < static_cast<int>(ledIntensity_.size())) {
        auto& v = ledIntensity_[static_cast<size_t>(led)];
        v.store(DecayStep(v.load(std::memory_order_relaxed), kind), std::memory_order_relaxed);
    }
}

void CVornelUSBDevice::FlashRingLeds() {
    for (size_t i = 0; i <= 8; ++i) {
        if (ringBuffer_[i] != 0) {
            ledIntensity_[i].store(255, std::memory_order_relaxed);
        }
    }
}

void CVornelUSBDevice::RotateRing(int direction) {
    ringBuffer_.Rotate(direction != 0);
}

void CVornelUSBDevice::ClearEffectBuffers() {
    for (auto& v : ledIntensity_) {
        v.store(0, std::memory_order_relaxed);
    }
    ringBuffer_.Clear();
}

uint8_t CVornelUSBDevice::LedIntensity(int led) const {
    return led >= 0 && led < static_cast<int>(ledIntensity_.size())
               ? ledIntensity_[static_cast<size_t>(led)].load(std::memory_order_relaxed)
               : 0;
}

void CVornelUSBDevice::SetLedIntensity(int led, uint8_t value) {
    if (led >= 0 && led < static_cast<int>(ledIntensity_.size())) {
        ledIntensity_[static_cast<size_t>(led)].store(value, std::memory_order_relaxed);
    }
}

void CVornelUSBDevice::SelectFunctionPage(int type) {
    const bool litBefore = PreviewShowsLights();
    functionPage_ = type;
    if (!litBefore && PreviewShowsLights() && optionButton_ != nullptr)
        optionButton_->PreviewMayShow();
    if (pageView_ == nullptr) {
        return;
    }
    const FunctionTabs tabs = FunctionTabsFor(type, deviceType_);
    pageView_->SelectFunctionTabs(tabs.tabA, tabs.tabB);
}

void CVornelUSBDevice::SetLightState(uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3) {
    uint8_t bytes[16];
    std::memcpy(bytes, &w0, 4);
    std::memcpy(bytes + 4, &w1, 4);
    std::memcpy(bytes + 8, &w2, 4);
    std::memcpy(bytes + 12, &w3, 4);
    std::memcpy(&currentLight_, bytes, sizeof currentLight_);
}

std::array<uint32_t, 4> CVornelUSBDevice::GetLightState() const {
    uint8_t bytes[16] = {};
    std::memcpy(bytes, &currentLight_, sizeof currentLight_);
    std::array<uint32_t, 4> words{};
    std::memcpy(words.data(), bytes, sizeof bytes);
    return words;
}

void CVornelUSBDevice::SetAudioLightState(uint32_t a, uint32_t b, uint32_t c) {
    audioLight_ = {a, b, c};
}

std::array<uint32_t, 3> CVornelUSBDevice::GetAudioLightWords() const {
    return audioLight_;
}

std::string CVornelUSBDevice::UserDataFolder() const {
    const std::string base = platform::UserDataFolder();
    if (base.empty() || !platform::IsPlainFileName(deviceFolder_)) {
        return {};
    }
    const std::string folder = base + deviceFolder_ + "/";
    platform::MakeFolders(folder);
    return folder;
}

std::string CVornelUSBDevice::DefaultDataFolder() {
    return platform::ProgramFolder() + "DefaultData/";
}

std::string CVornelUSBDevice::DefaultDataFile() const {
    return DefaultDataFolder() + deviceFolder_ + ".Json";
}

std::string CVornelUSBDevice::ProfileFile() const {
    const std::string folder = UserDataFolder();
    return folder.empty() || !platform::IsPlainFileName(profileName_)
               ? std::string()
               : folder + profileName_ + ".Json";
}

std::string CVornelUSBDevice::LightConfigFile() const {
    const std::string folder = UserDataFolder();
    return folder.empty() || !platform::IsPlainFileName(lightConfigName_)
               ? std::string()
               : folder + lightConfigName_ + ".config";
}

bool ReadEventReport(hid::CHidPack& pack, uint8_t* report, uint32_t size, uint32_t& got,
                     const platform::StopEvent& stop) {
    // The stop event ends the read, so an idle listener wakes only this
    // often; a read that fails at once (an unplugged device) backs off
    // instead of spinning.
    constexpr uint32_t kReadMs = 2000;
    constexpr auto kBackOff = std::chrono::milliseconds(100);
    const auto start = std::chrono::steady_clock::now();
    if (pack.ReadReport(report, size, got, kReadMs, stop)) {
        return true;
    }
    if (std::chrono::steady_clock::now() - start < kBackOff / 2) {
        stop.Wait(kBackOff);
    }
    return false;
}

void CVornelUSBDevice::StopEventThread() {
    if (!eventThread_.Started()) {
        return;
    }
    // Ending the read first and freeing the handle's capabilities only once
    // the thread is joined: the thread decodes reports with them.
    eventChannel_.DirectPack().Shutdown();
    eventThread_.StopAndJoin(kEventThreadJoin, DeviceThreadJoinTexts());
}

void CVornelUSBDevice::CloseEventChannel() {
    StopEventThread();
    {
        std::lock_guard lock(eventChannel_.TransferLock());
        eventChannel_.DirectPack().Close();
        eventChannel_.SetOpen(false);
    }
    {
        std::lock_guard lock(eventChannel_.ReceiverLock());
        eventChannel_.SetReceiverPack(nullptr);
        eventChannel_.SetReceiverMode(false);
    }
    ReceiverEventService::Instance().Forget(this);
}

bool CVornelUSBDevice::OpenEventChannel(const std::string& path, int type) {
    CloseEventChannel();
    if (!IsReceiverType(type)) {
        bool opened = false;
        {
            std::lock_guard lock(eventChannel_.TransferLock());
            opened = eventChannel_.DirectPack().Open(path, true, true, true, false);
            eventChannel_.SetOpen(opened);
        }
        if (!opened) {
            return false;
        }
        eventThread_.Start(
            [this](const platform::StopEvent& stop) {
                std::array<uint8_t, 64> report{};
                while (!stop.IsSet()) {
                    uint32_t got = 0;
                    if (!eventChannel_.IsOpen()) {
                        stop.Wait(std::chrono::milliseconds(100));
                        continue;
                    }
                    if (!ReadEventReport(eventChannel_.DirectPack(), report.data(), report.size(),
                                         got, stop)) {
                        continue;
                    }
                    platform::DebugOutput("接收到自动添加设备的同步信息要求  TEST");
                    DispatchEvent(EventCodeOf(report.data(), got), report.data(), got);
                }
                platform::DebugOutput(EventThreadExitText());
            },
            "qx70-events");
        return true;
    }
    std::shared_ptr<hid::CHidPack> pack = hid::CShareHidPackMgr::Instance().Get(path);
    if (!pack) {
        return false;
    }
    bool opened = false;
    {
        std::lock_guard lock(eventChannel_.ReceiverLock());
        eventChannel_.SetReceiverPack(pack);
        opened = pack->IsOpen() || pack->Open(path, true, true, true, false);
        eventChannel_.SetReceiverMode(opened);
    }
    if (!opened) {
        return false;
    }
    const int kind = (type == 9) ? ReceiverEventService::kKeyboard : ReceiverEventService::kMouse;
    return ReceiverEventService::Instance().Register(kind, this);
}

uint16_t CVornelUSBDevice::EventCodeOf(const uint8_t* report, size_t length) {
    return DeviceEventCode(report, length);
}

void CVornelUSBDevice::DispatchEvent(uint16_t, const uint8_t*, size_t) {}

void CVornelUSBDevice::RequestResync(int periodMs) {
    if (optionButton_ != nullptr) {
        optionButton_->StartTimer(kTimerResync, periodMs);
    }
}

int CVornelUSBDevice::SendLinkKeepAlive() {
    return commandChannel_.ReceiverTarget() == hid::kTargetMouse ? commandChannel_.KeepAlive()
                                                                 : hid::kResultNoAnswer;
}

}  // namespace device
