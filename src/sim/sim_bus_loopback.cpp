#include "sim/sim_bus_loopback.h"

namespace sim {

LoopbackFirmware::LoopbackFirmware(hid::HidAttributes attributes, uint8_t interfaceNumber,
                                   std::vector<uint8_t> descriptor)
    : attributes_(attributes),
      interfaceNumber_(interfaceNumber),
      descriptor_(std::move(descriptor)) {}

void LoopbackFirmware::OnOutputReport(const std::vector<uint8_t>& report, InputSink& sink) {
    bool echo = false;
    {
        std::lock_guard lock(mutex_);
        received_.push_back(report);
        echo = echo_;
    }
    if (echo) {
        sink.Deliver(report);
    }
}

void LoopbackFirmware::OnPlugged(std::shared_ptr<InputSink> sink) {
    std::lock_guard lock(mutex_);
    sink_ = std::move(sink);
}

void LoopbackFirmware::OnUnplugged() {
    std::lock_guard lock(mutex_);
    sink_.reset();
}

void LoopbackFirmware::SetEcho(bool echo) {
    std::lock_guard lock(mutex_);
    echo_ = echo;
}

bool LoopbackFirmware::SendEvent(const std::vector<uint8_t>& report) {
    std::shared_ptr<InputSink> sink;
    {
        std::lock_guard lock(mutex_);
        sink = sink_;
    }
    if (!sink) {
        return false;
    }
    sink->Deliver(report);
    return true;
}

std::vector<std::vector<uint8_t>> LoopbackFirmware::ReceivedReports() const {
    std::lock_guard lock(mutex_);
    return received_;
}

}  // namespace sim
