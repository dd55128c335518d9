// Arbitrary output reports into the simulated keyboard interface and the
// receiver: nothing may crash, and every command report gets exactly one
// answer of 64 bytes (or none for the injected faults, which are off here).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "sim/sim_descriptors.h"
#include "sim/sim_firmware.h"
#include "sim/sim_models.h"

namespace {

class CountingSink : public sim::InputSink {
  public:
    void Deliver(const std::vector<uint8_t>& report) override {
        if (report.size() != sim::kCommandReportSize) {
            std::abort();
        }
        ++count;
    }
    size_t count = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto keyboard = std::make_shared<sim::KeyboardModel>("");
    static auto mouse = std::make_shared<sim::MouseModel>("");
    static sim::UsbInterface wired(keyboard, {0x320F, 0x22AB, 0x0110}, 1,
                                   sim::VendorInterfaceDescriptor());
    static sim::ReceiverInterface receiver;
    static bool linked = [] {
        receiver.LinkKeyboard(keyboard);
        receiver.LinkMouse(mouse);
        return true;
    }();
    (void)linked;
    if (size == 0) {
        return 0;
    }
    // First byte picks the interface; the rest is one report.
    const bool viaReceiver = (data[0] & 1) != 0;
    std::vector<uint8_t> report(data + 1, data + size);
    CountingSink sink;
    if (viaReceiver) {
        receiver.OnOutputReport(report, sink);
    } else {
        wired.OnOutputReport(report, sink);
    }
    const bool command = !report.empty() && report[0] == sim::kReportIdCommand;
    if (command != (sink.count == 1)) {
        std::abort();
    }
    return 0;
}
