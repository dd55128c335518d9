// Capability records derived from a report descriptor, the counterparts of
// the HIDP_CAPS, HIDP_BUTTON_CAPS and HIDP_VALUE_CAPS records.
#pragma once

#include <cstdint>
#include <vector>

namespace hid {

enum class ReportType : uint8_t { Input = 0, Output = 1, Feature = 2 };

struct HidCaps {
    uint16_t usage = 0;
    uint16_t usagePage = 0;
    // Report lengths include the report id byte (a leading 0 when the
    // collection uses no report ids); 0 when there is no report of a type.
    uint16_t inputReportByteLength = 0;
    uint16_t outputReportByteLength = 0;
    uint16_t featureReportByteLength = 0;
    uint16_t numberLinkCollectionNodes = 0;
    uint16_t numberInputButtonCaps = 0;
    uint16_t numberInputValueCaps = 0;
    uint16_t numberInputDataIndices = 0;
    uint16_t numberOutputButtonCaps = 0;
    uint16_t numberOutputValueCaps = 0;
    uint16_t numberOutputDataIndices = 0;
    uint16_t numberFeatureButtonCaps = 0;
    uint16_t numberFeatureValueCaps = 0;
    uint16_t numberFeatureDataIndices = 0;
};

struct ButtonCaps {
    uint16_t usagePage = 0;
    uint8_t reportId = 0;
    bool isRange = false;
    uint16_t usageMin = 0;  // == usageMax for a single usage
    uint16_t usageMax = 0;
    bool isArray = false;  // selector array (Input/Output item without Variable)
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
    uint16_t bitPosition = 0;  // first bit of the field after the report id byte
    uint16_t bitSize = 0;
    uint16_t reportCount = 0;
    ReportType reportType = ReportType::Input;
};

struct ValueCaps {
    uint16_t usagePage = 0;
    uint8_t reportId = 0;
    bool isRange = false;
    uint16_t usageMin = 0;
    uint16_t usageMax = 0;
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
    int32_t physicalMin = 0;
    int32_t physicalMax = 0;
    uint16_t bitPosition = 0;
    uint16_t bitSize = 0;
    uint16_t reportCount = 0;
    bool hasNull = false;
    ReportType reportType = ReportType::Input;
};

}  // namespace hid
