// Report descriptors of the simulated interfaces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sim {

inline constexpr uint8_t kReportIdConsumer = 3;
inline constexpr uint8_t kReportIdCommand = 4;
inline constexpr uint8_t kReportIdHeadsetLed = 0xFF;
inline constexpr size_t kCommandReportSize = 64;
inline constexpr size_t kHeadsetLedReportSize = 17;

// Interface 1 of the keyboard, the receiver and the mouse pad: system
// control (col 1), N-key keyboard (col 2), consumer control (col 3) and the
// vendor command collection (col 4, report id 4, 64-byte reports).
const std::vector<uint8_t>& VendorInterfaceDescriptor();

// Interface 3 of the headset: one consumer-control collection carrying the
// event reports (id 3), the command reports (id 4) and the LED report
// (output id 0xFF, 17 bytes).
const std::vector<uint8_t>& HeadsetInterfaceDescriptor();

// An unsolicited event report on the consumer collection.
std::vector<uint8_t> EventReport(uint16_t code);

}  // namespace sim
