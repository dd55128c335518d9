// A loop-back firmware: answers every output report with itself, and sends
// events on request. Enough to exercise the HID layer without any command
// handling.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "sim/sim_backend.h"

namespace sim {

class LoopbackFirmware : public SimFirmware {
  public:
    LoopbackFirmware(hid::HidAttributes attributes, uint8_t interfaceNumber,
                     std::vector<uint8_t> descriptor);

    hid::HidAttributes Attributes() const override { return attributes_; }
    uint8_t InterfaceNumber() const override { return interfaceNumber_; }
    std::vector<uint8_t> ReportDescriptor() const override { return descriptor_; }
    void OnOutputReport(const std::vector<uint8_t>& report, InputSink& sink) override;
    void OnPlugged(std::shared_ptr<InputSink> sink) override;
    void OnUnplugged() override;

    // While false, output reports are taken but not answered.
    void SetEcho(bool echo);
    // Sends an unsolicited input report; false while unplugged.
    bool SendEvent(const std::vector<uint8_t>& report);
    std::vector<std::vector<uint8_t>> ReceivedReports() const;

  private:
    const hid::HidAttributes attributes_;
    const uint8_t interfaceNumber_;
    const std::vector<uint8_t> descriptor_;
    mutable std::mutex mutex_;
    std::shared_ptr<InputSink> sink_;
    bool echo_ = true;
    std::vector<std::vector<uint8_t>> received_;
};

}  // namespace sim
