// The simulator's HID backend: an in-process "bus" of simulated USB
// interfaces. Each interface has a real report descriptor and a firmware
// object that answers output reports and can send input reports on its own
// (events). Tests plug and unplug interfaces at any moment.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "hid/hid_backend.h"

namespace sim {

// Where firmware delivers input reports (report id first). Safe to call
// from any thread, also from inside SimFirmware::OnOutputReport.
class InputSink {
  public:
    virtual ~InputSink() = default;
    virtual void Deliver(const std::vector<uint8_t>& report) = 0;
};

// The device side of one USB interface.
class SimFirmware {
  public:
    virtual ~SimFirmware() = default;
    virtual hid::HidAttributes Attributes() const = 0;
    virtual uint8_t InterfaceNumber() const = 0;
    virtual std::vector<uint8_t> ReportDescriptor() const = 0;
    // An output report written by the host (report id first; interrupt pipe
    // or control pipe alike). Answers go to `sink`.
    virtual void OnOutputReport(const std::vector<uint8_t>& report, InputSink& sink) = 0;
    // Called when the interface is plugged (sink valid until OnUnplugged) so
    // the firmware can send unsolicited reports.
    virtual void OnPlugged(std::shared_ptr<InputSink> sink) { (void)sink; }
    virtual void OnUnplugged() {}
};

class SimBackend : public hid::HidBackend {
  public:
    SimBackend();
    ~SimBackend() override;

    // Plugs an interface; returns its node number (the N of the fake
    // "/dev/hidrawN"), used to unplug it.
    int Plug(std::shared_ptr<SimFirmware> firmware);
    // Unplugs: pending reads and writes on its handles fail at once, and
    // later Opens of its paths fail.
    void Unplug(int node);
    bool IsPlugged(int node) const;
    // Fault: from now on every write to the interface of `path` takes
    // `millis` and then fails, as a device that stops taking output reports
    // does to hidraw; 0 ends it. False for an unknown path.
    bool StallWrites(const std::string& path, uint32_t millis);

    // Modelled USB time per report in each direction (about 1 ms); 0 turns
    // the model off (benchmarks of host cost, most tests).
    void SetReportLatencyMicros(uint32_t micros);
    uint32_t ReportLatencyMicros() const;

    bool Enumerate(std::vector<std::string>& paths) override;
    std::unique_ptr<hid::HidDevice> Open(const std::string& path,
                                         const hid::OpenFlags& flags) override;
    bool WaitForChange(std::chrono::milliseconds timeout, const platform::StopEvent& stop) override;
    bool WatchesChanges() const override { return true; }

  private:
    struct Impl;
    std::shared_ptr<Impl> impl_;
};

}  // namespace sim
