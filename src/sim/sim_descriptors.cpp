#include "sim/sim_descriptors.h"

namespace sim {

namespace {

// Byte by byte: GCC 12 mis-reports range inserts of small arrays at -O3.
template <size_t N>
void Append(std::vector<uint8_t>& d, const uint8_t (&items)[N]) {
    for (uint8_t b : items) {
        d.push_back(b);
    }
}

// The consumer event field: one 16-bit usage of the consumer page.
void AppendConsumerEvents(std::vector<uint8_t>& d) {
    const uint8_t items[] = {
        0x85, kReportIdConsumer,  // Report ID
        0x05, 0x0C,               // Usage Page (Consumer)
        0x19, 0x00,               // Usage Minimum (0)
        0x2A, 0xFF,
        0xFF,        // Usage Maximum (0xFFFF)
        0x15, 0x00,  // Logical Minimum (0)
        0x27, 0xFF,
        0xFF, 0x00,
        0x00,        // Logical Maximum (0xFFFF)
        0x75, 0x10,  // Report Size (16)
        0x95, 0x01,  // Report Count (1)
        0x81, 0x00,  // Input (Data, Array, Absolute)
    };
    Append(d, items);
}

// 63 vendor bytes in and out after report id 4.
void AppendCommandReports(std::vector<uint8_t>& d) {
    const uint8_t items[] = {
        0x85, kReportIdCommand,  // Report ID
        0x06, 0x1C,
        0xFF,        // Usage Page (0xFF1C)
        0x09, 0x01,  // Usage (1)
        0x15, 0x00,  // Logical Minimum (0)
        0x26, 0xFF,
        0x00,        // Logical Maximum (255)
        0x75, 0x08,  // Report Size (8)
        0x95, 0x3F,  // Report Count (63)
        0x81, 0x02,  // Input (Data, Variable, Absolute)
        0x09, 0x02,  // Usage (2)
        0x95, 0x3F,  // Report Count (63)
        0x91, 0x02,  // Output (Data, Variable, Absolute)
    };
    Append(d, items);
}

std::vector<uint8_t> BuildVendorInterface() {
    std::vector<uint8_t> d = {
        // col 1: system control
        0x05,
        0x01,
        0x09,
        0x80,
        0xA1,
        0x01,  //
        0x85,
        0x01,
        0x19,
        0x81,
        0x29,
        0x83,
        0x15,
        0x00,
        0x25,
        0x03,  //
        0x75,
        0x02,
        0x95,
        0x01,
        0x81,
        0x00,
        0x75,
        0x06,
        0x95,
        0x01,
        0x81,
        0x03,  //
        0xC0,
        // col 2: N-key keyboard (modifier bits and a key bitmap)
        0x05,
        0x01,
        0x09,
        0x06,
        0xA1,
        0x01,  //
        0x85,
        0x02,
        0x05,
        0x07,
        0x19,
        0xE0,
        0x29,
        0xE7,
        0x15,
        0x00,
        0x25,
        0x01,  //
        0x75,
        0x01,
        0x95,
        0x08,
        0x81,
        0x02,  //
        0x19,
        0x00,
        0x29,
        0x77,
        0x95,
        0x78,
        0x81,
        0x02,  //
        0xC0,
        // col 3: consumer control
        0x05,
        0x0C,
        0x09,
        0x01,
        0xA1,
        0x01,
    };
    AppendConsumerEvents(d);
    d.push_back(0xC0);
    // col 4: vendor commands
    const uint8_t vendor[] = {0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01};
    Append(d, vendor);
    AppendCommandReports(d);
    d.push_back(0xC0);
    return d;
}

std::vector<uint8_t> BuildHeadsetInterface() {
    std::vector<uint8_t> d = {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01};
    AppendConsumerEvents(d);
    AppendCommandReports(d);
    const uint8_t led[] = {
        0x85, kReportIdHeadsetLed,  // Report ID
        0x06, 0x1C,
        0xFF,        // Usage Page (0xFF1C)
        0x09, 0x03,  // Usage (3)
        0x15, 0x00,
        0x26, 0xFF,
        0x00, 0x75,
        0x08,        //
        0x95, 0x10,  // Report Count (16)
        0x91, 0x02,  // Output (Data, Variable, Absolute)
    };
    Append(d, led);
    d.push_back(0xC0);
    return d;
}

}  // namespace

const std::vector<uint8_t>& VendorInterfaceDescriptor() {
    static const std::vector<uint8_t> d = BuildVendorInterface();
    return d;
}

const std::vector<uint8_t>& HeadsetInterfaceDescriptor() {
    static const std::vector<uint8_t> d = BuildHeadsetInterface();
    return d;
}

std::vector<uint8_t> EventReport(uint16_t code) {
    return {kReportIdConsumer, static_cast<uint8_t>(code & 0xFF), static_cast<uint8_t>(code >> 8)};
}

}  // namespace sim
