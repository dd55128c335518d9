#include "sim/sim_firmware.h"

#include <algorithm>

#include "sim/sim_descriptors.h"

namespace sim {

namespace {

constexpr uint8_t kCmdLinkStatus = 0xAA;
constexpr uint8_t kCmdLightStream = 0x12;
constexpr uint8_t kCmdKeepAlive = 0x19;
constexpr size_t kTargetByte = 32;
constexpr size_t kWiredPayload = 56;

uint16_t Sum(const std::vector<uint8_t>& r, size_t skip) {
    uint32_t sum = 0;
    for (size_t i = 3; i < kCommandReportSize && i < r.size(); ++i) {
        if (i != skip) {
            sum += r[i];
        }
    }
    return static_cast<uint16_t>(sum & 0xFFFF);
}

// A command report padded to 64 bytes (a short write counts as zeros).
std::vector<uint8_t> Padded(const std::vector<uint8_t>& report) {
    std::vector<uint8_t> r(
        report.begin(),
        report.begin() + static_cast<long>(std::min(report.size(), kCommandReportSize)));
    r.resize(kCommandReportSize, 0);
    return r;
}

}  // namespace

bool ChecksumMatches(const std::vector<uint8_t>& request, size_t skip) {
    if (request.size() < 3) {
        return false;
    }
    const uint16_t sent = static_cast<uint16_t>(request[1] | (request[2] << 8));
    return sent == Sum(request, skip);
}

// ---------------------------------------------------------------- faults

void FaultPlan::Inject(Fault fault, int skip, int command) {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.push_back(
        Entry{fault, std::max(skip, 0), command >= 0 && command <= 0xFF ? command : kAnyCommand});
}

void FaultPlan::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.clear();
}

size_t FaultPlan::Pending() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_.size();
}

bool FaultPlan::Next(Fault& fault, uint8_t command) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (entries_.empty()) {
        return false;
    }
    if (entries_.front().command != kAnyCommand && entries_.front().command != command) {
        return false;
    }
    if (entries_.front().skip > 0) {
        --entries_.front().skip;
        return false;
    }
    fault = entries_.front().fault;
    entries_.pop_front();
    return true;
}

// ---------------------------------------------------------------- common

void CommandInterface::EventPort::Deliver(const std::vector<uint8_t>& report) {
    std::shared_ptr<InputSink> target;
    {
        std::lock_guard<std::mutex> lock(mutex);
        target = sink;
    }
    if (target) {
        target->Deliver(report);
    }
}

CommandInterface::CommandInterface() : port_(std::make_shared<EventPort>()) {}

CommandInterface::~CommandInterface() = default;

void CommandInterface::SetUnplugHook(std::function<void()> hook) {
    std::lock_guard<std::mutex> lock(mutex_);
    unplugHook_ = std::move(hook);
}

void CommandInterface::OnPlugged(std::shared_ptr<InputSink> sink) {
    std::lock_guard<std::mutex> lock(port_->mutex);
    port_->sink = std::move(sink);
}

void CommandInterface::OnUnplugged() {
    {
        std::lock_guard<std::mutex> lock(port_->mutex);
        port_->sink.reset();
    }
    std::lock_guard<std::mutex> lock(mutex_);
    lastAnswer_.clear();
}

void CommandInterface::SendEvent(uint16_t code) {
    port_->Deliver(EventReport(code));
}

uint64_t CommandInterface::RequestCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

uint64_t CommandInterface::ChecksumErrors() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return checksumErrors_;
}

void CommandInterface::CountChecksumError() {
    std::lock_guard<std::mutex> lock(mutex_);
    ++checksumErrors_;
}

CommandInterface::Plan CommandInterface::TakeFault(uint8_t command) {
    Plan plan;
    std::function<void()> hook;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++requests_;
    }
    Fault fault;
    if (!faults_.Next(fault, command)) {
        return plan;
    }
    switch (fault) {
        case Fault::NoAnswer:
            plan.answer = false;
            break;
        case Fault::StaleAnswerFirst:
            plan.staleFirst = true;
            break;
        case Fault::StatusFF:
            plan.forcedStatus = 0xFF;
            break;
        case Fault::StatusFE:
            plan.forcedStatus = 0xFE;
            break;
        case Fault::Unreachable:
            plan.unreachable = true;
            break;
        case Fault::Unplug: {
            plan.answer = false;
            std::lock_guard<std::mutex> lock(mutex_);
            hook = unplugHook_;
            break;
        }
    }
    if (hook) {
        hook();
    }
    return plan;
}

void CommandInterface::SendAnswer(InputSink& sink, const std::vector<uint8_t>& answer,
                                  bool staleFirst) {
    std::vector<uint8_t> stale;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (staleFirst) {
            stale = lastAnswer_;
        }
        lastAnswer_ = answer;
    }
    if (staleFirst) {
        if (stale.empty()) {
            // Nothing answered yet: an answer to a command nobody sent.
            stale.assign(kCommandReportSize, 0);
            stale[0] = kReportIdCommand;
            stale[3] = 0x7F;
        }
        sink.Deliver(stale);
    }
    sink.Deliver(answer);
}

std::vector<uint8_t> CommandInterface::Frame(const std::vector<uint8_t>& request, uint8_t status,
                                             std::vector<uint8_t> answer) {
    answer.resize(kCommandReportSize, 0);
    answer[0] = kReportIdCommand;
    for (size_t i = 3; i <= 6; ++i) {
        answer[i] = request[i];
    }
    answer[7] = status;
    const uint16_t sum = Sum(answer, 64);
    answer[1] = static_cast<uint8_t>(sum & 0xFF);
    answer[2] = static_cast<uint8_t>(sum >> 8);
    return answer;
}

// ---------------------------------------------------------------- own interface

UsbInterface::UsbInterface(std::shared_ptr<DeviceModel> model, hid::HidAttributes attributes,
                           uint8_t interfaceNumber, std::vector<uint8_t> descriptor)
    : model_(std::move(model)),
      attributes_(attributes),
      interfaceNumber_(interfaceNumber),
      descriptor_(std::move(descriptor)) {
    std::weak_ptr<EventPort> weak = port_;
    listener_ = model_->AddEventListener([weak](uint16_t code) {
        if (auto port = weak.lock()) {
            port->Deliver(EventReport(code));
        }
    });
}

UsbInterface::~UsbInterface() {
    model_->RemoveEventListener(listener_);
}

hid::HidAttributes UsbInterface::Attributes() const {
    std::lock_guard<std::mutex> lock(attrMutex_);
    return attributes_;
}

void UsbInterface::SetReleaseNumber(uint16_t release) {
    std::lock_guard<std::mutex> lock(attrMutex_);
    attributes_.versionNumber = release;
}

void UsbInterface::OnOutputReport(const std::vector<uint8_t>& report, InputSink& sink) {
    if (report.empty()) {
        return;
    }
    if (report[0] != kReportIdCommand) {
        model_->OnOtherReport(report);
        return;
    }
    const std::vector<uint8_t> request = Padded(report);
    const Plan plan = TakeFault(request[3]);
    if (!plan.answer) {
        return;
    }
    std::vector<uint8_t> answer(kCommandReportSize, 0);
    uint8_t status;
    if (plan.forcedStatus != 0) {
        status = plan.forcedStatus;
    } else if (request[3] != kCmdKeepAlive && !ChecksumMatches(request)) {
        CountChecksumError();
        status = kStatusFail;
    } else {
        status = model_->Handle(request.data(), answer.data(), kWiredPayload);
    }
    SendAnswer(sink, Frame(request, status, std::move(answer)), plan.staleFirst);
}

// ---------------------------------------------------------------- receiver

ReceiverInterface::ReceiverInterface() = default;

ReceiverInterface::~ReceiverInterface() {
    std::lock_guard<std::mutex> lock(linkMutex_);
    Detach(keyboard_);
    Detach(mouse_);
}

hid::HidAttributes ReceiverInterface::Attributes() const {
    hid::HidAttributes a;
    a.vendorId = 0x320F;
    a.productId = 0x22AA;
    a.versionNumber = release_.load();
    return a;
}

void ReceiverInterface::SetReleaseNumber(uint16_t release) {
    release_.store(release);
}

std::vector<uint8_t> ReceiverInterface::ReportDescriptor() const {
    return VendorInterfaceDescriptor();
}

void ReceiverInterface::Attach(Link& link, std::shared_ptr<DeviceModel> model) {
    Detach(link);
    link.model = std::move(model);
    if (!link.model) {
        return;
    }
    std::weak_ptr<EventPort> weak = port_;
    link.listener = link.model->AddEventListener([weak](uint16_t code) {
        if (auto port = weak.lock()) {
            port->Deliver(EventReport(code));
        }
    });
}

void ReceiverInterface::Detach(Link& link) {
    if (link.model) {
        link.model->RemoveEventListener(link.listener);
    }
    link.model.reset();
    link.listener = 0;
}

void ReceiverInterface::LinkKeyboard(std::shared_ptr<DeviceModel> keyboard) {
    std::lock_guard<std::mutex> lock(linkMutex_);
    Attach(keyboard_, std::move(keyboard));
}

void ReceiverInterface::UnlinkKeyboard() {
    std::lock_guard<std::mutex> lock(linkMutex_);
    Detach(keyboard_);
}

void ReceiverInterface::LinkMouse(std::shared_ptr<DeviceModel> mouse) {
    std::lock_guard<std::mutex> lock(linkMutex_);
    Attach(mouse_, std::move(mouse));
}

void ReceiverInterface::UnlinkMouse() {
    std::lock_guard<std::mutex> lock(linkMutex_);
    Detach(mouse_);
}

bool ReceiverInterface::KeyboardLinked() const {
    std::lock_guard<std::mutex> lock(linkMutex_);
    return keyboard_.model != nullptr;
}

bool ReceiverInterface::MouseLinked() const {
    std::lock_guard<std::mutex> lock(linkMutex_);
    return mouse_.model != nullptr;
}

void ReceiverInterface::OnOutputReport(const std::vector<uint8_t>& report, InputSink& sink) {
    if (report.empty() || report[0] != kReportIdCommand) {
        return;  // the receiver has no other output report
    }
    std::vector<uint8_t> request = Padded(report);
    const Plan plan = TakeFault(request[3]);
    if (!plan.answer) {
        return;
    }
    const uint8_t command = request[3];
    const uint8_t target = request[kTargetByte];
    std::vector<uint8_t> answer(kCommandReportSize, 0);

    if (plan.forcedStatus != 0) {
        SendAnswer(sink, Frame(request, plan.forcedStatus, std::move(answer)), plan.staleFirst);
        return;
    }
    // The host computed the checksum before it put the target into byte
    // 32, which payloads of at most 24 bytes leave zero.
    if (command != kCmdKeepAlive && !ChecksumMatches(request, kTargetByte)) {
        CountChecksumError();
        SendAnswer(sink, Frame(request, kStatusFail, std::move(answer)), plan.staleFirst);
        return;
    }
    std::shared_ptr<DeviceModel> keyboard;
    std::shared_ptr<DeviceModel> mouse;
    {
        std::lock_guard<std::mutex> lock(linkMutex_);
        keyboard = keyboard_.model;
        mouse = mouse_.model;
    }
    if (command == kCmdLinkStatus) {
        answer[8] = keyboard ? 0xFF : 0x00;
        answer[9] = mouse ? 0xFF : 0x00;
        SendAnswer(sink, Frame(request, kStatusOk, std::move(answer)), plan.staleFirst);
        return;
    }
    std::shared_ptr<DeviceModel> device;
    if (target == 0) {
        device = keyboard;
    } else if (target == 2) {
        device = mouse;
    }
    if (!device || plan.unreachable) {
        std::vector<uint8_t> framed = Frame(request, kStatusOk, std::move(answer));
        framed[3] = command == kCmdLightStream ? 0xAA : 0xFF;
        const uint16_t sum = Sum(framed, 64);
        framed[1] = static_cast<uint8_t>(sum & 0xFF);
        framed[2] = static_cast<uint8_t>(sum >> 8);
        SendAnswer(sink, framed, plan.staleFirst);
        return;
    }
    request[kTargetByte] = 0;
    const uint8_t status = device->Handle(request.data(), answer.data(), kMaxPayload);
    request[kTargetByte] = target;
    SendAnswer(sink, Frame(request, status, std::move(answer)), plan.staleFirst);
}

}  // namespace sim
