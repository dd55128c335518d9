// CHidPack: one HID top-level collection. Enumeration, open with chosen
// access, attributes and capabilities, report reads with a time-out and
// cancel, report writes (bounded by the kernel's 5 s USB time-out, not by
// the caller's), and decoding of input reports.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "hid/hid_backend.h"
#include "hid/hid_caps.h"

namespace platform {
class StopEvent;
}

namespace hid {

class ReportDescriptorInfo;  // parsed descriptor of one collection (the "preparsed data")

struct HidDataItem {
    bool isButton = false;
    ReportType reportType = ReportType::Input;  // the report kind the capability belongs to
    uint16_t usagePage = 0;
    uint32_t status = 0;
    uint32_t reportId = 0;
    bool isSet = false;
    // buttons
    uint32_t usageMin = 0;
    uint32_t usageMax = 0;
    uint32_t maxUsages = 0;
    std::vector<uint16_t> usages;
    // values
    uint16_t usage = 0;
    uint32_t value = 0;
    int32_t scaledValue = 0;
};

class CHidPack {
  public:
    CHidPack();
    ~CHidPack();
    CHidPack(const CHidPack&) = delete;
    CHidPack& operator=(const CHidPack&) = delete;

    bool Enumerate();
    // Null when the list is empty or exhausted.
    const char* NextPath();
    void ClearPaths();
    uint32_t PathCount() const;

    bool Open(const std::string& path, bool wantRead, bool wantWrite, bool overlapped,
              bool exclusive);
    bool Reopen();
    void Close();
    // Ends every transfer and detaches the device but keeps the
    // capabilities: a reader on another thread may still be decoding with
    // them. Join it, then Close.
    void Shutdown();
    bool IsOpen() const;

    // Thread-safe against Close/Reopen/destruction from another thread: a
    // pending call returns false at once.
    bool ReadReport(uint8_t* buffer, uint32_t length, uint32_t& bytesRead, uint32_t timeoutMs);
    // The same read, also ended at once when `stop` is set.
    bool ReadReport(uint8_t* buffer, uint32_t length, uint32_t& bytesRead, uint32_t timeoutMs,
                    const platform::StopEvent& stop);
    bool WriteReport(const uint8_t* buffer, uint32_t length, uint32_t& bytesWritten,
                     uint32_t timeoutMs);
    bool SetOutputReport(const uint8_t* buffer, uint32_t length);
    void FlushInput();

    bool UnpackInputReport(const uint8_t* report, uint32_t reportLength, ReportType reportType,
                           std::vector<HidDataItem>& items) const;

    const HidAttributes& Attributes() const;
    const HidCaps& Caps() const;
    const std::string& Path() const;
    std::vector<uint8_t>& InputReportBuffer();
    std::vector<uint8_t>& OutputReportBuffer();
    std::vector<uint8_t>& FeatureReportBuffer();
    std::vector<HidDataItem>& DataItems();
    const std::vector<ButtonCaps>& ButtonCapabilities() const;
    const std::vector<ValueCaps>& ValueCapabilities() const;
    uint32_t InterfaceNumber() const;
    uint32_t CollectionNumber() const;

    // Serialises whole request/answer transfers of every channel that shares
    // this handle (the receiver's), so no channel reads another's answer.
    std::recursive_mutex& TransferLock();

  private:
    bool ReadReportUnless(uint8_t* buffer, uint32_t length, uint32_t& bytesRead, uint32_t timeoutMs,
                          const platform::StopEvent* stop);

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace hid
