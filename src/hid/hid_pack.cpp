#include "hid/hid_pack.h"

#include <algorithm>
#include <condition_variable>

#include "hid/hid_path.h"
#include "hid/report_descriptor.h"

namespace hid {

struct CHidPack::Impl {
    std::vector<std::string> pathList;
    uint32_t pathCursor = 0;

    bool wantRead = false;
    bool wantWrite = false;
    bool overlapped = false;
    bool exclusive = false;
    std::string path;

    // Guards `device` and `activeCalls`. A transfer copies the shared
    // pointer and runs without the lock, so Close on another thread only
    // has to shut the device down; the last transfer releases it.
    mutable std::mutex mutex;
    std::condition_variable idle;
    std::shared_ptr<HidDevice> device;
    int activeCalls = 0;

    std::shared_ptr<const ReportDescriptorInfo> preparsed;
    HidCaps caps;
    HidAttributes attributes;
    std::vector<uint8_t> reportBuffer[3];
    std::vector<HidDataItem> dataItems;
    std::vector<ButtonCaps> buttonCaps;
    std::vector<ValueCaps> valueCaps;
    uint32_t interfaceNumber = 0;
    uint32_t collectionNumber = 0;

    std::atomic<bool> readPending{false};
    std::atomic<bool> writePending{false};
    std::recursive_mutex transferLock;

    void FreeDeviceInfo() {
        preparsed.reset();
        caps = HidCaps{};
        attributes = HidAttributes{};
        for (auto& b : reportBuffer) {
            b.clear();
        }
        dataItems.clear();
        buttonCaps.clear();
        valueCaps.clear();
    }

    // Detaches the open device and ends whatever transfer is blocked on it.
    void ShutDownDevice() {
        std::shared_ptr<HidDevice> old;
        {
            std::lock_guard lock(mutex);
            old = std::move(device);
            device.reset();
        }
        if (old) {
            old->Shutdown();
        }
    }

    bool FillDeviceInfo(const HidDevice& dev);

    // Runs one transfer on the open device; false at once when closed.
    template <typename Fn>
    bool Transfer(std::atomic<bool>& pending, Fn&& fn) {
        std::shared_ptr<HidDevice> dev;
        {
            std::lock_guard lock(mutex);
            if (!device) {
                return false;
            }
            dev = device;
            ++activeCalls;
        }
        pending = true;
        const bool ok = fn(*dev);
        pending = false;
        dev.reset();
        {
            std::lock_guard lock(mutex);
            --activeCalls;
        }
        idle.notify_all();
        return ok;
    }
};

bool CHidPack::Impl::FillDeviceInfo(const HidDevice& dev) {
    std::vector<ReportDescriptorInfo> collections;
    const std::vector<uint8_t>& descriptor = dev.ReportDescriptor();
    if (!ReportDescriptorInfo::Parse(descriptor.data(), descriptor.size(), collections)) {
        return false;
    }
    const int index = dev.CollectionIndex();
    if (index < 0 || static_cast<size_t>(index) >= collections.size()) {
        return false;
    }
    auto info = std::make_shared<ReportDescriptorInfo>(std::move(collections[index]));
    attributes = dev.Attributes();
    caps = info->Caps();
    for (ReportType type : {ReportType::Input, ReportType::Output, ReportType::Feature}) {
        const int t = static_cast<int>(type);
        reportBuffer[t].assign(info->ReportLength(type), 0);
        const auto& buttons = info->ButtonCapabilities(type);
        const auto& values = info->ValueCapabilities(type);
        buttonCaps.insert(buttonCaps.end(), buttons.begin(), buttons.end());
        valueCaps.insert(valueCaps.end(), values.begin(), values.end());
        for (const ButtonCaps& c : buttons) {
            HidDataItem item;
            item.isButton = true;
            item.reportType = type;
            item.status = kHidStatusSuccess;
            item.usagePage = c.usagePage;
            item.usageMin = c.usageMin;
            item.usageMax = c.usageMax;
            item.maxUsages = info->MaxUsageListLength(type, c.usagePage);
            item.usages.assign(item.maxUsages, 0);
            item.reportId = c.reportId;
            dataItems.push_back(std::move(item));
        }
        for (const ValueCaps& c : values) {
            for (uint32_t u = c.usageMin; u <= c.usageMax; ++u) {
                HidDataItem item;
                item.reportType = type;
                item.usagePage = c.usagePage;
                item.usage = static_cast<uint16_t>(u);
                item.reportId = c.reportId;
                dataItems.push_back(std::move(item));
            }
        }
    }
    preparsed = std::move(info);
    return true;
}

CHidPack::CHidPack() : impl_(std::make_unique<Impl>()) {}

CHidPack::~CHidPack() {
    Close();
    // A transfer on another thread may still be returning from the device
    // it was woken on; the object must outlive that.
    std::unique_lock lock(impl_->mutex);
    impl_->idle.wait(lock, [this] { return impl_->activeCalls == 0; });
}

bool CHidPack::Enumerate() {
    impl_->pathCursor = 0;
    impl_->pathList.clear();
    std::shared_ptr<HidBackend> backend = CurrentBackend();
    std::vector<std::string> paths;
    if (!backend || !backend->Enumerate(paths)) {
        return false;
    }
    impl_->pathList = std::move(paths);
    return true;
}

const char* CHidPack::NextPath() {
    if (impl_->pathCursor >= impl_->pathList.size()) {
        return nullptr;
    }
    return impl_->pathList[impl_->pathCursor++].c_str();
}

void CHidPack::ClearPaths() {
    impl_->pathList.clear();
    impl_->pathCursor = 0;
}

uint32_t CHidPack::PathCount() const {
    return static_cast<uint32_t>(impl_->pathList.size());
}

bool CHidPack::Open(const std::string& path, bool wantRead, bool wantWrite, bool overlapped,
                    bool exclusive) {
    impl_->wantRead = wantRead;
    impl_->wantWrite = wantWrite;
    impl_->overlapped = overlapped;
    impl_->exclusive = exclusive;
    impl_->path = path;
    return Reopen();
}

bool CHidPack::Reopen() {
    impl_->ShutDownDevice();
    impl_->FreeDeviceInfo();
    impl_->interfaceNumber = 0;
    impl_->collectionNumber = 0;
    std::shared_ptr<HidBackend> backend = CurrentBackend();
    if (!backend) {
        return false;
    }
    OpenFlags flags;
    flags.read = impl_->wantRead;
    flags.write = impl_->wantWrite;
    flags.overlapped = impl_->overlapped;
    flags.exclusive = impl_->exclusive;
    std::shared_ptr<HidDevice> dev = backend->Open(impl_->path, flags);
    if (!dev) {
        return false;
    }
    if (!impl_->FillDeviceInfo(*dev)) {
        impl_->FreeDeviceInfo();
        dev->Shutdown();
        return false;
    }
    impl_->interfaceNumber = HexAfterMarker(impl_->path, "&mi_");
    impl_->collectionNumber = HexAfterMarker(impl_->path, "&col");
    std::lock_guard lock(impl_->mutex);
    impl_->device = std::move(dev);
    return true;
}

void CHidPack::Close() {
    impl_->ShutDownDevice();
    impl_->FreeDeviceInfo();
}

void CHidPack::Shutdown() {
    impl_->ShutDownDevice();
}

bool CHidPack::IsOpen() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->device != nullptr;
}

bool CHidPack::ReadReport(uint8_t* buffer, uint32_t length, uint32_t& bytesRead,
                          uint32_t timeoutMs) {
    return ReadReportUnless(buffer, length, bytesRead, timeoutMs, nullptr);
}

bool CHidPack::ReadReport(uint8_t* buffer, uint32_t length, uint32_t& bytesRead, uint32_t timeoutMs,
                          const platform::StopEvent& stop) {
    return ReadReportUnless(buffer, length, bytesRead, timeoutMs, &stop);
}

bool CHidPack::ReadReportUnless(uint8_t* buffer, uint32_t length, uint32_t& bytesRead,
                                uint32_t timeoutMs, const platform::StopEvent* stop) {
    bytesRead = 0;
    if (buffer == nullptr && length != 0) {
        return false;
    }
    const int timeout = static_cast<int>(std::min<uint32_t>(timeoutMs, INT32_MAX));
    return impl_->Transfer(impl_->readPending, [&](HidDevice& dev) {
        size_t n = 0;
        const bool ok = stop ? dev.ReadOrStop(buffer, length, n, timeout, *stop)
                             : dev.Read(buffer, length, n, timeout);
        bytesRead = static_cast<uint32_t>(n);
        return ok;
    });
}

bool CHidPack::WriteReport(const uint8_t* buffer, uint32_t length, uint32_t& bytesWritten,
                           uint32_t timeoutMs) {
    bytesWritten = 0;
    if (buffer == nullptr || length == 0) {
        return false;
    }
    const int timeout = static_cast<int>(std::min<uint32_t>(timeoutMs, INT32_MAX));
    return impl_->Transfer(impl_->writePending, [&](HidDevice& dev) {
        size_t n = 0;
        const bool ok = dev.Write(buffer, length, n, timeout);
        bytesWritten = static_cast<uint32_t>(n);
        return ok;
    });
}

bool CHidPack::SetOutputReport(const uint8_t* buffer, uint32_t length) {
    if (buffer == nullptr || length == 0) {
        return false;
    }
    return impl_->Transfer(impl_->writePending,
                           [&](HidDevice& dev) { return dev.SetOutputReport(buffer, length); });
}

void CHidPack::FlushInput() {
    std::shared_ptr<HidDevice> dev;
    {
        std::lock_guard lock(impl_->mutex);
        dev = impl_->device;
    }
    if (dev) {
        dev->FlushInput();
    }
}

bool CHidPack::UnpackInputReport(const uint8_t* report, uint32_t reportLength,
                                 ReportType reportType, std::vector<HidDataItem>& items) const {
    const std::shared_ptr<const ReportDescriptorInfo> info = impl_->preparsed;
    if (!info || report == nullptr || reportLength == 0) {
        return false;
    }
    const uint32_t reportId = report[0];
    for (HidDataItem& item : items) {
        // Items of the other report types share report ids with this one
        // (the vendor collection uses id 4 both ways) but not its layout.
        if (item.reportId != reportId || item.reportType != reportType) {
            continue;
        }
        if (item.isButton) {
            if (item.usages.size() < item.maxUsages) {
                item.usages.resize(item.maxUsages);
            }
            std::vector<uint16_t> on(item.maxUsages, 0);
            uint32_t count = item.maxUsages;
            item.status =
                info->GetUsages(reportType, item.usagePage, on.data(), count, report, reportLength);
            // Only a successful decode yields usages; a too-small list
            // reports the needed count, never more than were written.
            if (item.status != kHidStatusSuccess) {
                count = 0;
            }
            std::fill(item.usages.begin(), item.usages.end(), 0);
            uint32_t kept = 0;
            for (uint32_t i = 0; i < count && i < item.maxUsages; ++i) {
                if (on[i] >= item.usageMin && on[i] <= item.usageMax) {
                    item.usages[kept++] = on[i];
                }
            }
        } else {
            uint32_t value = 0;
            item.status = info->GetUsageValue(reportType, item.usagePage, item.usage, value, report,
                                              reportLength);
            if (item.status != kHidStatusSuccess) {
                return false;
            }
            item.value = value;
            int32_t scaled = 0;
            item.status = info->GetScaledUsageValue(reportType, item.usagePage, item.usage, scaled,
                                                    report, reportLength);
            item.scaledValue = scaled;
        }
        item.isSet = true;
    }
    return true;
}

const HidAttributes& CHidPack::Attributes() const {
    return impl_->attributes;
}
const HidCaps& CHidPack::Caps() const {
    return impl_->caps;
}
const std::string& CHidPack::Path() const {
    return impl_->path;
}
std::vector<uint8_t>& CHidPack::InputReportBuffer() {
    return impl_->reportBuffer[0];
}
std::vector<uint8_t>& CHidPack::OutputReportBuffer() {
    return impl_->reportBuffer[1];
}
std::vector<uint8_t>& CHidPack::FeatureReportBuffer() {
    return impl_->reportBuffer[2];
}
std::vector<HidDataItem>& CHidPack::DataItems() {
    return impl_->dataItems;
}
const std::vector<ButtonCaps>& CHidPack::ButtonCapabilities() const {
    return impl_->buttonCaps;
}
const std::vector<ValueCaps>& CHidPack::ValueCapabilities() const {
    return impl_->valueCaps;
}
uint32_t CHidPack::InterfaceNumber() const {
    return impl_->interfaceNumber;
}
uint32_t CHidPack::CollectionNumber() const {
    return impl_->collectionNumber;
}
std::recursive_mutex& CHidPack::TransferLock() {
    return impl_->transferLock;
}

}  // namespace hid
