#include "hid/report_descriptor.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace hid {

namespace {

// Bounds that keep a hostile descriptor from costing unbounded memory or
// time; real devices stay far below them.
constexpr size_t kMaxDescriptorSize = 64 * 1024;
constexpr int kMaxCollectionDepth = 32;
constexpr size_t kMaxGlobalStack = 16;
constexpr size_t kMaxUsagesPerItem = 256;
constexpr size_t kMaxFieldsPerCollection = 1024;
constexpr size_t kMaxTopLevelCollections = 64;
// Report length is a 16-bit count of bytes including the report id byte.
constexpr uint32_t kMaxReportBits = (0xFFFFu - 1u) * 8u;

__extension__ using Int128 = __int128;

int TypeIndex(ReportType type) {
    return static_cast<int>(type);
}

bool ValidType(ReportType type) {
    return static_cast<unsigned>(type) <= 2;
}

struct GlobalState {
    uint16_t usagePage = 0;
    int64_t logicalMin = 0;
    uint32_t logicalMaxU = 0;
    int64_t logicalMaxS = 0;
    int64_t physicalMin = 0;
    uint32_t physicalMaxU = 0;
    int64_t physicalMaxS = 0;
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint8_t reportId = 0;
};

struct LocalUsage {
    uint32_t min = 0;  // page in the upper 16 bits when given explicitly
    uint32_t max = 0;
    bool explicitPage = false;
    bool isRange = false;
};

uint32_t ReadBits(const uint8_t* report, uint32_t reportLength, uint32_t bitPosition,
                  uint16_t bitSize) {
    uint32_t value = 0;
    for (uint16_t b = 0; b < bitSize && b < 32; ++b) {
        const uint64_t bit = uint64_t{bitPosition} + b;
        const uint64_t byte = 1 + bit / 8;
        if (byte >= reportLength) {
            break;
        }
        if (report[byte] & (1u << (bit % 8))) {
            value |= 1u << b;
        }
    }
    return value;
}

int64_t SignExtend(uint32_t raw, uint16_t bitSize) {
    if (bitSize == 0 || bitSize >= 32) {
        return static_cast<int32_t>(raw);
    }
    const uint32_t sign = 1u << (bitSize - 1);
    return static_cast<int64_t>((raw ^ sign)) - static_cast<int64_t>(sign);
}

// The value a field carries as a signed number when its logical range is
// signed, else as the raw unsigned bits.
int64_t FieldValue(const ReportField& field, uint32_t raw) {
    return field.logicalMin < 0 ? SignExtend(raw, field.bitSize) : static_cast<int64_t>(raw);
}

uint32_t RangeSize(const UsageRange& r) {
    return uint32_t{r.max} - r.min + 1;
}

// Usage of a variable field's element `index`; elements past the usages
// take the last usage.
void UsageOfElement(const ReportField& field, uint32_t index, uint16_t& page, uint16_t& usage) {
    uint32_t start = 0;
    for (const UsageRange& r : field.usages) {
        if (index < start + RangeSize(r)) {
            page = r.page;
            usage = static_cast<uint16_t>(r.min + (index - start));
            return;
        }
        start += RangeSize(r);
    }
    page = field.usages.back().page;
    usage = field.usages.back().max;
}

// Usage of an array field's selector `k` (0-based index into the usages);
// false when it selects nothing.
bool UsageOfSelector(const ReportField& field, uint64_t k, uint16_t& page, uint16_t& usage) {
    uint64_t start = 0;
    for (const UsageRange& r : field.usages) {
        if (k < start + RangeSize(r)) {
            page = r.page;
            usage = static_cast<uint16_t>(r.min + (k - start));
            return true;
        }
        start += RangeSize(r);
    }
    return false;
}

struct TopLevel {
    ReportDescriptorInfo info;
    std::vector<ReportField> fields;
    std::array<std::vector<uint8_t>, 3> ids;
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    uint16_t linkNodes = 0;
};

}  // namespace

class DescriptorParser {
  public:
    bool Run(const uint8_t* data, size_t size, std::vector<ReportDescriptorInfo>& out);

  private:
    bool MainItem(uint8_t tag, uint32_t udata);
    bool DataItem(ReportType type, uint32_t flags);
    void ResolveUsages(std::vector<UsageRange>& out) const;
    void Finish(TopLevel& tl, std::vector<ReportDescriptorInfo>& out);

    GlobalState global_;
    std::vector<GlobalState> stack_;
    std::vector<LocalUsage> locals_;
    bool pendingMin_ = false;
    uint32_t usageMin_ = 0;
    bool usageMinExplicit_ = false;
    int depth_ = 0;
    bool usesIds_ = false;
    std::vector<TopLevel> tops_;
    // Bits used so far per report type and id, across the whole descriptor.
    std::array<std::array<uint32_t, 256>, 3> bits_{};
};

void DescriptorParser::ResolveUsages(std::vector<UsageRange>& out) const {
    out.clear();
    for (const LocalUsage& l : locals_) {
        UsageRange r;
        r.page = l.explicitPage ? static_cast<uint16_t>(l.min >> 16) : global_.usagePage;
        r.min = static_cast<uint16_t>(l.min & 0xFFFF);
        r.max = static_cast<uint16_t>(l.max & 0xFFFF);
        r.isRange = l.isRange;
        if (r.max < r.min) {
            continue;  // an inverted range names no usage
        }
        out.push_back(r);
    }
}

bool DescriptorParser::DataItem(ReportType type, uint32_t flags) {
    const int t = TypeIndex(type);
    const uint64_t bits = uint64_t{global_.reportSize} * global_.reportCount;
    uint32_t& used = bits_[t][global_.reportId];
    if (used + bits > kMaxReportBits) {
        return false;
    }
    const uint32_t position = used;
    used += static_cast<uint32_t>(bits);
    if (depth_ == 0) {
        return true;  // outside any collection: occupies report space only
    }
    TopLevel& tl = tops_.back();
    std::vector<uint8_t>& ids = tl.ids[t];
    if (std::find(ids.begin(), ids.end(), global_.reportId) == ids.end()) {
        ids.push_back(global_.reportId);
    }
    const bool constant = flags & 0x01;
    if (constant || bits == 0 || global_.reportSize > 32) {
        return true;  // padding, or too wide to be a value we can hold
    }
    if (tl.fields.size() >= kMaxFieldsPerCollection) {
        return false;
    }
    ReportField f;
    f.type = type;
    f.reportId = global_.reportId;
    f.bitPosition = position;
    f.bitSize = static_cast<uint16_t>(global_.reportSize);
    f.reportCount = static_cast<uint16_t>(std::min<uint32_t>(global_.reportCount, 0xFFFF));
    f.isArray = !(flags & 0x02);
    f.hasNull = flags & 0x40;
    f.logicalMin = global_.logicalMin;
    f.logicalMax = global_.logicalMin >= 0 ? int64_t{global_.logicalMaxU} : global_.logicalMaxS;
    f.physicalMin = global_.physicalMin;
    f.physicalMax = global_.physicalMin >= 0 ? int64_t{global_.physicalMaxU} : global_.physicalMaxS;
    f.isButton = f.isArray || f.bitSize == 1;
    ResolveUsages(f.usages);
    if (f.usages.empty()) {
        f.usages.push_back(UsageRange{global_.usagePage, 0, 0, false});
    }
    tl.fields.push_back(std::move(f));
    return true;
}

bool DescriptorParser::MainItem(uint8_t tag, uint32_t udata) {
    bool ok = true;
    switch (tag) {
        case 0x8:
            ok = DataItem(ReportType::Input, udata);
            break;
        case 0x9:
            ok = DataItem(ReportType::Output, udata);
            break;
        case 0xB:
            ok = DataItem(ReportType::Feature, udata);
            break;
        case 0xA:  // Collection
            if (depth_ >= kMaxCollectionDepth) {
                return false;
            }
            if (depth_ == 0) {
                if (tops_.size() >= kMaxTopLevelCollections) {
                    return false;
                }
                TopLevel tl;
                std::vector<UsageRange> usages;
                ResolveUsages(usages);
                if (!usages.empty()) {
                    tl.usagePage = usages.front().page;
                    tl.usage = usages.front().min;
                } else {
                    tl.usagePage = global_.usagePage;
                }
                tops_.push_back(std::move(tl));
            }
            if (tops_.back().linkNodes < 0xFFFF) {
                ++tops_.back().linkNodes;
            }
            ++depth_;
            break;
        case 0xC:  // End Collection
            if (depth_ == 0) {
                return false;
            }
            --depth_;
            break;
        default:
            return false;
    }
    locals_.clear();
    pendingMin_ = false;
    return ok;
}

bool DescriptorParser::Run(const uint8_t* data, size_t size,
                           std::vector<ReportDescriptorInfo>& out) {
    out.clear();
    if (data == nullptr || size == 0 || size > kMaxDescriptorSize) {
        return false;
    }
    size_t i = 0;
    while (i < size) {
        const uint8_t prefix = data[i++];
        if (prefix == 0xFE) {  // long item: skipped, nothing standard uses it
            if (i + 2 > size) {
                return false;
            }
            const size_t len = data[i];
            i += 2;
            if (len > size - i) {
                return false;
            }
            i += len;
            continue;
        }
        const size_t len = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (len > size - i) {
            return false;
        }
        uint32_t udata = 0;
        for (size_t b = 0; b < len; ++b) {
            udata |= uint32_t{data[i + b]} << (8 * b);
        }
        int64_t sdata = udata;
        if (len == 1) {
            sdata = static_cast<int8_t>(udata);
        } else if (len == 2) {
            sdata = static_cast<int16_t>(udata);
        } else if (len == 4) {
            sdata = static_cast<int32_t>(udata);
        }
        i += len;
        const uint8_t type = (prefix >> 2) & 3;
        const uint8_t tag = prefix >> 4;
        if (type == 0) {
            if (!MainItem(tag, udata)) {
                return false;
            }
        } else if (type == 1) {
            switch (tag) {
                case 0x0:
                    global_.usagePage = static_cast<uint16_t>(udata);
                    break;
                case 0x1:
                    global_.logicalMin = sdata;
                    break;
                case 0x2:
                    global_.logicalMaxU = udata;
                    global_.logicalMaxS = sdata;
                    break;
                case 0x3:
                    global_.physicalMin = sdata;
                    break;
                case 0x4:
                    global_.physicalMaxU = udata;
                    global_.physicalMaxS = sdata;
                    break;
                case 0x5:
                case 0x6:
                    break;  // unit exponent and unit do not affect decoding
                case 0x7:
                    global_.reportSize = udata;
                    break;
                case 0x8:
                    if (udata == 0 || udata > 0xFF) {
                        return false;
                    }
                    global_.reportId = static_cast<uint8_t>(udata);
                    usesIds_ = true;
                    break;
                case 0x9:
                    global_.reportCount = udata;
                    break;
                case 0xA:
                    if (stack_.size() >= kMaxGlobalStack) {
                        return false;
                    }
                    stack_.push_back(global_);
                    break;
                case 0xB:
                    if (stack_.empty()) {
                        return false;
                    }
                    global_ = stack_.back();
                    stack_.pop_back();
                    break;
                default:
                    return false;
            }
        } else if (type == 2) {
            switch (tag) {
                case 0x0:
                    if (locals_.size() < kMaxUsagesPerItem) {
                        locals_.push_back(LocalUsage{udata, udata, len == 4, false});
                    }
                    break;
                case 0x1:
                    pendingMin_ = true;
                    usageMin_ = udata;
                    usageMinExplicit_ = len == 4;
                    break;
                case 0x2:
                    if (pendingMin_ && locals_.size() < kMaxUsagesPerItem) {
                        uint32_t max = udata;
                        if (usageMinExplicit_ && len != 4) {
                            max = (usageMin_ & 0xFFFF0000u) | (udata & 0xFFFF);
                        }
                        locals_.push_back(LocalUsage{usageMin_, max, usageMinExplicit_, true});
                    }
                    pendingMin_ = false;
                    break;
                default:
                    break;  // designators, strings, delimiters: no effect here
            }
        } else {
            return false;  // reserved item type
        }
    }
    if (depth_ != 0 || tops_.empty()) {
        return false;
    }
    for (TopLevel& tl : tops_) {
        Finish(tl, out);
    }
    return true;
}

void DescriptorParser::Finish(TopLevel& tl, std::vector<ReportDescriptorInfo>& out) {
    ReportDescriptorInfo& info = tl.info;
    info.interfaceUsesIds_ = usesIds_;
    info.caps_.usagePage = tl.usagePage;
    info.caps_.usage = tl.usage;
    info.caps_.numberLinkCollectionNodes = tl.linkNodes;
    uint16_t dataIndices[3] = {0, 0, 0};
    for (int t = 0; t < 3; ++t) {
        std::sort(tl.ids[t].begin(), tl.ids[t].end());
        info.reportIds_[t] = tl.ids[t];
        uint32_t maxBits = 0;
        for (uint8_t id : tl.ids[t]) {
            maxBits = std::max(maxBits, bits_[t][id]);
        }
        info.reportLength_[t] =
            tl.ids[t].empty() ? 0 : static_cast<uint16_t>((maxBits + 7) / 8 + 1);
    }
    for (const ReportField& f : tl.fields) {
        const int t = TypeIndex(f.type);
        if (f.isButton) {
            uint32_t element = 0;
            for (const UsageRange& r : f.usages) {
                ButtonCaps c;
                c.usagePage = r.page;
                c.reportId = f.reportId;
                c.isRange = r.isRange;
                c.usageMin = r.min;
                c.usageMax = r.max;
                c.isArray = f.isArray;
                c.logicalMin = static_cast<int32_t>(f.logicalMin);
                c.logicalMax = static_cast<int32_t>(f.logicalMax);
                c.bitSize = f.bitSize;
                c.reportType = f.type;
                if (f.isArray) {
                    c.bitPosition =
                        static_cast<uint16_t>(std::min<uint32_t>(f.bitPosition, 0xFFFF));
                    c.reportCount = f.reportCount;
                } else {
                    if (element >= f.reportCount) {
                        break;
                    }
                    const uint32_t n = std::min<uint32_t>(RangeSize(r), f.reportCount - element);
                    c.usageMax = static_cast<uint16_t>(r.min + n - 1);
                    c.bitPosition = static_cast<uint16_t>(
                        std::min<uint32_t>(f.bitPosition + element * f.bitSize, 0xFFFF));
                    c.reportCount = static_cast<uint16_t>(n);
                    element += n;
                }
                dataIndices[t] = static_cast<uint16_t>(std::min<uint32_t>(
                    dataIndices[t] + (uint32_t{c.usageMax} - c.usageMin + 1), 0xFFFF));
                info.buttonCaps_[t].push_back(c);
            }
        } else {
            uint32_t element = 0;
            for (size_t u = 0; u < f.usages.size() && element < f.reportCount; ++u) {
                const UsageRange& r = f.usages[u];
                ValueCaps c;
                c.usagePage = r.page;
                c.reportId = f.reportId;
                c.isRange = r.isRange;
                c.logicalMin = static_cast<int32_t>(f.logicalMin);
                c.logicalMax = static_cast<int32_t>(f.logicalMax);
                c.physicalMin = static_cast<int32_t>(f.physicalMin);
                c.physicalMax = static_cast<int32_t>(f.physicalMax);
                c.bitSize = f.bitSize;
                c.hasNull = f.hasNull;
                c.reportType = f.type;
                c.bitPosition = static_cast<uint16_t>(
                    std::min<uint32_t>(f.bitPosition + element * f.bitSize, 0xFFFF));
                const uint32_t n = std::min<uint32_t>(RangeSize(r), f.reportCount - element);
                c.usageMin = r.min;
                c.usageMax = static_cast<uint16_t>(r.min + n - 1);
                // The last usage also covers the elements left over (a value
                // array such as a 63-byte vendor payload).
                const bool last = u + 1 == f.usages.size();
                c.reportCount = static_cast<uint16_t>(last ? f.reportCount - element : n);
                element += n;
                dataIndices[t] =
                    static_cast<uint16_t>(std::min<uint32_t>(dataIndices[t] + n, 0xFFFF));
                info.valueCaps_[t].push_back(c);
            }
        }
    }
    info.fields_ = std::move(tl.fields);
    HidCaps& caps = info.caps_;
    caps.inputReportByteLength = info.reportLength_[0];
    caps.outputReportByteLength = info.reportLength_[1];
    caps.featureReportByteLength = info.reportLength_[2];
    caps.numberInputButtonCaps = static_cast<uint16_t>(info.buttonCaps_[0].size());
    caps.numberInputValueCaps = static_cast<uint16_t>(info.valueCaps_[0].size());
    caps.numberInputDataIndices = dataIndices[0];
    caps.numberOutputButtonCaps = static_cast<uint16_t>(info.buttonCaps_[1].size());
    caps.numberOutputValueCaps = static_cast<uint16_t>(info.valueCaps_[1].size());
    caps.numberOutputDataIndices = dataIndices[1];
    caps.numberFeatureButtonCaps = static_cast<uint16_t>(info.buttonCaps_[2].size());
    caps.numberFeatureValueCaps = static_cast<uint16_t>(info.valueCaps_[2].size());
    caps.numberFeatureDataIndices = dataIndices[2];
    out.push_back(std::move(info));
}

bool ReportDescriptorInfo::Parse(const uint8_t* data, size_t size,
                                 std::vector<ReportDescriptorInfo>& collections) {
    DescriptorParser parser;
    if (!parser.Run(data, size, collections)) {
        collections.clear();
        return false;
    }
    return true;
}

bool ReportDescriptorInfo::DeclaresReportId(ReportType type, uint8_t reportId) const {
    if (!ValidType(type)) {
        return false;
    }
    const std::vector<uint8_t>& ids = reportIds_[TypeIndex(type)];
    return std::binary_search(ids.begin(), ids.end(), reportId);
}

uint16_t ReportDescriptorInfo::ReportLength(ReportType type) const {
    return ValidType(type) ? reportLength_[TypeIndex(type)] : 0;
}

const std::vector<ButtonCaps>& ReportDescriptorInfo::ButtonCapabilities(ReportType type) const {
    static const std::vector<ButtonCaps> kNone;
    return ValidType(type) ? buttonCaps_[TypeIndex(type)] : kNone;
}

const std::vector<ValueCaps>& ReportDescriptorInfo::ValueCapabilities(ReportType type) const {
    static const std::vector<ValueCaps> kNone;
    return ValidType(type) ? valueCaps_[TypeIndex(type)] : kNone;
}

uint32_t ReportDescriptorInfo::MaxUsageListLength(ReportType type, uint16_t usagePage) const {
    uint32_t total = 0;
    for (const ReportField& f : fields_) {
        if (f.type != type || !f.isButton) {
            continue;
        }
        if (f.isArray) {
            for (const UsageRange& r : f.usages) {
                if (usagePage == 0 || r.page == usagePage) {
                    total += f.reportCount;
                    break;
                }
            }
            continue;
        }
        uint32_t element = 0;
        for (size_t u = 0; u < f.usages.size() && element < f.reportCount; ++u) {
            const bool last = u + 1 == f.usages.size();
            const uint32_t n =
                last ? f.reportCount - element
                     : std::min<uint32_t>(RangeSize(f.usages[u]), f.reportCount - element);
            if (usagePage == 0 || f.usages[u].page == usagePage) {
                total += n;
            }
            element += n;
        }
    }
    return total;
}

uint32_t ReportDescriptorInfo::GetUsages(ReportType type, uint16_t usagePage, uint16_t* usages,
                                         uint32_t& usageLength, const uint8_t* report,
                                         uint32_t reportLength) const {
    const uint32_t capacity = usages == nullptr ? 0 : usageLength;
    usageLength = 0;
    if (!ValidType(type)) {
        return kHidStatusInvalidReportType;
    }
    if (report == nullptr || reportLength == 0 || reportLength != ReportLength(type)) {
        return kHidStatusInvalidReportLength;
    }
    const uint8_t reportId = interfaceUsesIds_ ? report[0] : 0;
    bool pageFound = false;
    bool idFound = false;
    uint32_t found = 0;
    auto add = [&](uint16_t page, uint16_t usage) {
        if (page != usagePage || usage == 0) {
            return;
        }
        if (found < capacity) {
            usages[found] = usage;
        }
        ++found;
    };
    for (const ReportField& f : fields_) {
        if (f.type != type || !f.isButton) {
            continue;
        }
        const bool onPage = std::any_of(f.usages.begin(), f.usages.end(),
                                        [&](const UsageRange& r) { return r.page == usagePage; });
        if (!onPage) {
            continue;
        }
        pageFound = true;
        if (f.reportId != reportId) {
            continue;
        }
        idFound = true;
        for (uint32_t e = 0; e < f.reportCount; ++e) {
            const uint32_t raw =
                ReadBits(report, reportLength, f.bitPosition + e * f.bitSize, f.bitSize);
            uint16_t page = 0;
            uint16_t usage = 0;
            if (f.isArray) {
                const int64_t v = FieldValue(f, raw);
                if (v < f.logicalMin || v > f.logicalMax) {
                    continue;
                }
                if (UsageOfSelector(f, static_cast<uint64_t>(v - f.logicalMin), page, usage)) {
                    add(page, usage);
                }
            } else if (raw & 1) {
                UsageOfElement(f, e, page, usage);
                add(page, usage);
            }
        }
    }
    if (!pageFound) {
        return kHidStatusUsageNotFound;
    }
    if (!idFound) {
        return kHidStatusIncompatibleReportId;
    }
    if (found > capacity) {
        usageLength = found;
        return kHidStatusBufferTooSmall;
    }
    usageLength = found;
    return kHidStatusSuccess;
}

const ReportField* ReportDescriptorInfo::FindValueField(ReportType type, uint16_t usagePage,
                                                        uint16_t usage, const uint8_t* report,
                                                        uint32_t reportLength, uint32_t& fieldIndex,
                                                        uint32_t& status) const {
    if (!ValidType(type)) {
        status = kHidStatusInvalidReportType;
        return nullptr;
    }
    if (report == nullptr || reportLength == 0 || reportLength != ReportLength(type)) {
        status = kHidStatusInvalidReportLength;
        return nullptr;
    }
    const uint8_t reportId = interfaceUsesIds_ ? report[0] : 0;
    status = kHidStatusUsageNotFound;
    for (const ReportField& f : fields_) {
        if (f.type != type || f.isButton) {
            continue;
        }
        uint32_t start = 0;
        for (const UsageRange& r : f.usages) {
            if (start >= f.reportCount) {
                break;
            }
            if (r.page == usagePage && usage >= r.min && usage <= r.max &&
                start + (usage - r.min) < f.reportCount) {
                if (f.reportId != reportId) {
                    status = kHidStatusIncompatibleReportId;
                    break;
                }
                fieldIndex = start + (usage - r.min);
                status = kHidStatusSuccess;
                return &f;
            }
            start += RangeSize(r);
        }
    }
    return nullptr;
}

uint32_t ReportDescriptorInfo::GetUsageValue(ReportType type, uint16_t usagePage, uint16_t usage,
                                             uint32_t& value, const uint8_t* report,
                                             uint32_t reportLength) const {
    uint32_t index = 0;
    uint32_t status = 0;
    const ReportField* f =
        FindValueField(type, usagePage, usage, report, reportLength, index, status);
    if (f == nullptr) {
        return status;
    }
    value = ReadBits(report, reportLength, f->bitPosition + index * f->bitSize, f->bitSize);
    return kHidStatusSuccess;
}

uint32_t ReportDescriptorInfo::GetScaledUsageValue(ReportType type, uint16_t usagePage,
                                                   uint16_t usage, int32_t& value,
                                                   const uint8_t* report,
                                                   uint32_t reportLength) const {
    uint32_t index = 0;
    uint32_t status = 0;
    const ReportField* f =
        FindValueField(type, usagePage, usage, report, reportLength, index, status);
    if (f == nullptr) {
        return status;
    }
    int64_t pmin = f->physicalMin;
    int64_t pmax = f->physicalMax;
    if (pmin == 0 && pmax == 0) {  // no physical range: it equals the logical one
        pmin = f->logicalMin;
        pmax = f->logicalMax;
    }
    if (f->logicalMin >= f->logicalMax || pmin >= pmax) {
        return kHidStatusBadLogPhyValues;
    }
    const uint32_t raw =
        ReadBits(report, reportLength, f->bitPosition + index * f->bitSize, f->bitSize);
    const int64_t v = FieldValue(*f, raw);
    if (v < f->logicalMin || v > f->logicalMax) {
        value = 0;
        return f->hasNull ? kHidStatusNull : kHidStatusValueOutOfRange;
    }
    // Each range spans up to 2^33, so the product needs more than 64 bits.
    const Int128 scaled =
        static_cast<Int128>(v - f->logicalMin) * (pmax - pmin) / (f->logicalMax - f->logicalMin) +
        pmin;
    value = static_cast<int32_t>(std::clamp<Int128>(scaled, INT32_MIN, INT32_MAX));
    return kHidStatusSuccess;
}

int CollectionForInputReport(const std::vector<ReportDescriptorInfo>& collections,
                             uint8_t reportId) {
    for (size_t i = 0; i < collections.size(); ++i) {
        if (collections[i].DeclaresReportId(ReportType::Input, reportId)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace hid
