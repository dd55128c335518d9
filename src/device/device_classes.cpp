#include "device/device_classes.h"

#include <vector>

namespace device {

template <typename P>
uint16_t ConsumerEventDevice<P>::EventCodeOf(const uint8_t* report, size_t length) {
    // The first usage of the report's first decoded item.
    hid::CHidPack& pack = this->EventChannel().DirectPack();
    std::vector<hid::HidDataItem> items = pack.DataItems();
    if (length == 0 || items.empty() ||
        !pack.UnpackInputReport(report, static_cast<uint32_t>(length), hid::ReportType::Input,
                                items)) {
        return 0;
    }
    const hid::HidDataItem& first = items.front();
    if (first.isButton) {
        return first.usages.empty() ? 0 : first.usages.front();
    }
    return first.usage;
}

template class ConsumerEventDevice<profile::CBasicProfiledata>;
template class ConsumerEventDevice<profile::CRi6533Profiledata>;

}  // namespace device
