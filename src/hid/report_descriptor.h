// Report-descriptor parser: turns the descriptor a HID interface publishes
// into per-collection capabilities and decodes reports against them. It is
// fed bytes read from devices, so every input is treated as hostile: a
// malformed descriptor is rejected, never trusted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "hid/hid_caps.h"

namespace hid {

// Status values of the capability and decoding queries (the numeric values
// callers of the classic HID parser compare with).
enum HidStatus : uint32_t {
    kHidStatusSuccess = 0x00110000u,
    kHidStatusNull = 0x80110001u,
    kHidStatusInvalidPreparsedData = 0xC0110001u,
    kHidStatusInvalidReportType = 0xC0110002u,
    kHidStatusInvalidReportLength = 0xC0110003u,
    kHidStatusUsageNotFound = 0xC0110004u,
    kHidStatusValueOutOfRange = 0xC0110005u,
    kHidStatusBadLogPhyValues = 0xC0110006u,
    kHidStatusBufferTooSmall = 0xC0110007u,
    kHidStatusIncompatibleReportId = 0xC011000Au,
};

// A run of usages given by one Usage item (min == max) or a Usage Minimum /
// Usage Maximum pair.
struct UsageRange {
    uint16_t page = 0;
    uint16_t min = 0;
    uint16_t max = 0;
    bool isRange = false;
};

// One non-constant Input/Output/Feature main item.
struct ReportField {
    ReportType type = ReportType::Input;
    uint8_t reportId = 0;
    uint32_t bitPosition = 0;  // after the report id byte
    uint16_t bitSize = 0;
    uint16_t reportCount = 0;
    bool isArray = false;
    bool isButton = false;
    bool hasNull = false;
    int64_t logicalMin = 0;
    int64_t logicalMax = 0;
    int64_t physicalMin = 0;
    int64_t physicalMax = 0;
    std::vector<UsageRange> usages;  // never empty
};

// The parsed description of one top-level collection.
class ReportDescriptorInfo {
  public:
    // Splits a descriptor into its top-level collections, in descriptor
    // order. False (and `collections` empty) when the descriptor is
    // malformed or declares no top-level collection.
    static bool Parse(const uint8_t* data, size_t size,
                      std::vector<ReportDescriptorInfo>& collections);

    const HidCaps& Caps() const { return caps_; }
    // True when the interface's descriptor uses report ids at all, i.e.
    // every report on the wire starts with its id.
    bool InterfaceUsesReportIds() const { return interfaceUsesIds_; }
    bool DeclaresReportId(ReportType type, uint8_t reportId) const;
    uint16_t ReportLength(ReportType type) const;

    const std::vector<ButtonCaps>& ButtonCapabilities(ReportType type) const;
    const std::vector<ValueCaps>& ValueCapabilities(ReportType type) const;
    const std::vector<ReportField>& Fields() const { return fields_; }

    // Most usages that can be on at once on `usagePage` (0: every page).
    uint32_t MaxUsageListLength(ReportType type, uint16_t usagePage) const;

    // The button usages of `usagePage` that are on in `report`. On entry
    // `usageLength` is the capacity of `usages`; on return the number
    // written, or the number needed with kHidStatusBufferTooSmall.
    uint32_t GetUsages(ReportType type, uint16_t usagePage, uint16_t* usages, uint32_t& usageLength,
                       const uint8_t* report, uint32_t reportLength) const;
    // Raw (unsigned, not sign-extended) value of a value usage; the first
    // element of a value array.
    uint32_t GetUsageValue(ReportType type, uint16_t usagePage, uint16_t usage, uint32_t& value,
                           const uint8_t* report, uint32_t reportLength) const;
    // The value scaled from the logical into the physical range.
    uint32_t GetScaledUsageValue(ReportType type, uint16_t usagePage, uint16_t usage,
                                 int32_t& value, const uint8_t* report,
                                 uint32_t reportLength) const;

  private:
    friend class DescriptorParser;
    const ReportField* FindValueField(ReportType type, uint16_t usagePage, uint16_t usage,
                                      const uint8_t* report, uint32_t reportLength,
                                      uint32_t& fieldIndex, uint32_t& status) const;

    HidCaps caps_;
    bool interfaceUsesIds_ = false;
    std::vector<uint8_t> reportIds_[3];  // sorted, per report type
    uint16_t reportLength_[3] = {0, 0, 0};
    std::vector<ButtonCaps> buttonCaps_[3];
    std::vector<ValueCaps> valueCaps_[3];
    std::vector<ReportField> fields_;
};

// The collection that receives an input report with this id (the first
// byte of the report; 0 for interfaces without report ids): the first
// collection declaring it, -1 when none does.
int CollectionForInputReport(const std::vector<ReportDescriptorInfo>& collections,
                             uint8_t reportId);

}  // namespace hid
