// Fuzzes the report-descriptor parser and report decoding: the first byte
// splits the input into a descriptor and a report decoded against every
// collection it yields.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "hid/report_descriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    const size_t split = 1 + data[0] % (size - 1);
    const uint8_t* desc = data + 1;
    const size_t descSize = split;
    const uint8_t* tail = data + 1 + split;
    const size_t tailSize = size - 1 - split;

    std::vector<hid::ReportDescriptorInfo> collections;
    if (!hid::ReportDescriptorInfo::Parse(desc, descSize, collections)) {
        return 0;
    }
    for (const hid::ReportDescriptorInfo& info : collections) {
        for (hid::ReportType type :
             {hid::ReportType::Input, hid::ReportType::Output, hid::ReportType::Feature}) {
            // A report of exactly the declared length, filled from the tail.
            std::vector<uint8_t> report(info.ReportLength(type), 0);
            for (size_t i = 0; i < report.size() && i < tailSize; ++i) {
                report[i] = tail[i];
            }
            const uint32_t len = static_cast<uint32_t>(report.size());
            for (const hid::ButtonCaps& c : info.ButtonCapabilities(type)) {
                std::vector<uint16_t> usages(info.MaxUsageListLength(type, c.usagePage) + 1);
                uint32_t n = static_cast<uint32_t>(usages.size());
                info.GetUsages(type, c.usagePage, usages.data(), n, report.data(), len);
            }
            for (const hid::ValueCaps& c : info.ValueCapabilities(type)) {
                for (uint32_t u = c.usageMin; u <= c.usageMax; ++u) {
                    uint32_t raw = 0;
                    int32_t scaled = 0;
                    info.GetUsageValue(type, c.usagePage, static_cast<uint16_t>(u), raw,
                                       report.data(), len);
                    info.GetScaledUsageValue(type, c.usagePage, static_cast<uint16_t>(u), scaled,
                                             report.data(), len);
                }
            }
        }
        (void)hid::CollectionForInputReport(collections, tailSize ? tail[0] : 0);
    }
    return 0;
}
