#include "hid/report_channel.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "hid/share_hid_pack_mgr.h"
#include "platform/debug_output.h"

namespace hid {

uint16_t ReportChecksum(const uint8_t* report) {
    uint32_t sum = 0;
    for (size_t i = kByteCommand; i < kReportSize; ++i) {
        sum += report[i];
    }
    return static_cast<uint16_t>(sum & 0xFFFF);
}

void StampChecksum(uint8_t* report) {
    const uint16_t sum = ReportChecksum(report);
    report[kByteChecksumLow] = static_cast<uint8_t>(sum & 0xFF);
    report[kByteChecksumHigh] = static_cast<uint8_t>(sum >> 8);
}

ReportChannel::~ReportChannel() = default;

std::shared_ptr<CHidPack> ReportChannel::ReceiverPack() const {
    std::lock_guard<std::recursive_mutex> lock(transferLock_);
    return receiverPack_;
}

void ReportChannel::SetReceiverPack(std::shared_ptr<CHidPack> pack) {
    std::lock_guard<std::recursive_mutex> lock(transferLock_);
    receiverPack_ = std::move(pack);
}

void ReportChannel::SetConnection(int kind) {
    if (kind == kConnectionReceiver) {
        receiverMode_.store(1);
        chunkSize_.store(kChunkReceiver);
    } else {
        receiverMode_.store(0);
        chunkSize_.store(kChunkDirect);
    }
}

bool ReportChannel::SetTableSize(uint32_t n) {
    if (n > kMaxTableSize) {
        return false;
    }
    tableSize_.store(static_cast<uint16_t>(n));
    return true;
}

bool ReportChannel::BindReceiver(const std::string& path, int32_t target) {
    std::lock_guard<std::recursive_mutex> lock(transferLock_);
    receiverPack_.reset();
    std::shared_ptr<CHidPack> pack = CShareHidPackMgr::Instance().Get(path);
    if (!pack) {
        return false;
    }
    bool ok = true;
    {
        // Another channel may be mid-transfer on this handle: wait for it,
        // and never reopen a handle that is already open (a reopen would
        // cancel that channel's read).
        std::lock_guard<std::recursive_mutex> packLock(pack->TransferLock());
        if (!pack->IsOpen()) {
            ok = pack->Open(path, true, true, true, false);
        }
    }
    receiverPack_ = std::move(pack);
    SetConnection(kConnectionReceiver);
    SetReceiverTarget(target);
    return ok;
}

void ReportChannel::UnbindReceiver() {
    std::lock_guard<std::recursive_mutex> lock(transferLock_);
    receiverPack_.reset();
    SetConnection(kConnectionDirect);
}

namespace {

// Writes through the receiver handle; a handle left dead by an unplug is
// reopened once (the caller holds the handle's transfer lock, so no other
// channel has a transfer on it).
bool ReceiverWrite(CHidPack& pack, const uint8_t* report, uint32_t timeoutMs) {
    uint32_t written = 0;
    if (pack.WriteReport(report, kReportSize, written, timeoutMs)) {
        return true;
    }
    if (pack.Path().empty() || !pack.Reopen()) {
        return false;
    }
    written = 0;
    return pack.WriteReport(report, kReportSize, written, timeoutMs);
}

struct BusyScope {
    explicit BusyScope(std::atomic<int>& b) : busy(b) { busy.fetch_add(1); }
    ~BusyScope() { busy.fetch_sub(1); }
    std::atomic<int>& busy;
};

}  // namespace

int ReportChannel::Exchange(Kind kind, const uint8_t* request, uint32_t requestLength,
                            uint8_t* answer, uint32_t answerLength, uint32_t& bytesRead) {
    BusyScope busy(busy_);
    bytesRead = 0;
    if (open_.load() == 0) {
        return kResultNoAnswer;
    }
    uint8_t out[kReportSize] = {};
    if (request != nullptr) {
        std::memcpy(out, request, std::min<uint32_t>(requestLength, kReportSize));
    }

    // The whole transfer holds the channel's transfer lock, and through a
    // receiver also the shared handle's, so the write and the reads of one
    // report are never split by another transfer on the same handle.
    std::lock_guard<std::recursive_mutex> channelLock(transferLock_);
    std::shared_ptr<CHidPack> shared = receiverMode_.load() != 0 ? receiverPack_ : nullptr;
    const bool viaReceiver = shared != nullptr;
    CHidPack& pack = viaReceiver ? *shared : directPack_;
    std::unique_lock<std::recursive_mutex> packLock;
    if (viaReceiver) {
        packLock = std::unique_lock<std::recursive_mutex>(shared->TransferLock());
    }

    uint32_t timeoutMs = kDirectTimeoutMs;
    if (viaReceiver) {
        timeoutMs = kind == Kind::Short ? kReceiverShortTimeoutMs : kReceiverTimeoutMs;
        out[kByteTarget] = static_cast<uint8_t>(receiverTarget_.load() & 0xFF);
        if (kind == Kind::Standard) {
            pack.FlushInput();  // drop stale answers
        }
        if (!ReceiverWrite(pack, out, timeoutMs)) {
            return kResultWriteFailed;
        }
    } else {
        uint32_t written = 0;
        if (!pack.WriteReport(out, kReportSize, written, timeoutMs)) {
            return kResultWriteFailed;
        }
    }

    const uint8_t unreachable = kind == Kind::Short ? 0xAA : 0xFF;
    std::vector<uint8_t> in(std::max<uint32_t>(answerLength, kReportSize), 0);
    int result = kResultNoAnswer;
    uint32_t got = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::fill(in.begin(), in.end(), 0);
        got = 0;
        const bool ok =
            pack.ReadReport(in.data(), static_cast<uint32_t>(in.size()), got, timeoutMs);
        result = ok ? kResultOk : kResultNoAnswer;
        if (!ok) {
            // No answer within the time-out (or the handle went away): a
            // second read would only wait as long again.
            break;
        }
        if (in[kByteCommand] == out[kByteCommand]) {
            break;
        }
        if (viaReceiver && in[kByteCommand] == unreachable) {
            result = kResultUnreachable;
            break;
        }
        // Otherwise an earlier command's answer: read once more and keep the
        // second result whatever its command byte.
    }
    if (answer != nullptr) {
        std::memcpy(answer, in.data(), std::min<size_t>(answerLength, in.size()));
    }
    bytesRead = std::min<uint32_t>(got, answerLength);
    return result;
}

int ReportChannel::Transact(const uint8_t* request, uint32_t requestLength, uint8_t* answer,
                            uint32_t answerLength, uint32_t& bytesRead) {
    return Exchange(Kind::Standard, request, requestLength, answer, answerLength, bytesRead);
}

int ReportChannel::TransactShort(const uint8_t* request, uint32_t requestLength, uint8_t* answer,
                                 uint32_t answerLength, uint32_t& bytesRead) {
    return Exchange(Kind::Short, request, requestLength, answer, answerLength, bytesRead);
}

int ReportChannel::SendAndRead(uint8_t* buffer, uint32_t length) {
    if (open_.load() == 0 || buffer == nullptr) {
        return kResultNoAnswer;
    }
    uint8_t report[kReportSize] = {};
    std::memcpy(report, buffer, std::min<uint32_t>(length, kReportSize));
    report[kByteTarget] = 2;

    std::lock_guard<std::recursive_mutex> channelLock(transferLock_);
    std::shared_ptr<CHidPack> shared = receiverMode_.load() != 0 ? receiverPack_ : nullptr;
    CHidPack& pack = shared ? *shared : directPack_;
    std::unique_lock<std::recursive_mutex> packLock;
    uint32_t timeoutMs = kDirectTimeoutMs;
    if (shared) {
        packLock = std::unique_lock<std::recursive_mutex>(shared->TransferLock());
        timeoutMs = kReceiverTimeoutMs;
        if (!ReceiverWrite(pack, report, timeoutMs)) {
            return kResultWriteFailed;
        }
    } else {
        uint32_t written = 0;
        if (!pack.WriteReport(report, kReportSize, written, timeoutMs)) {
            return kResultWriteFailed;
        }
    }
    std::vector<uint8_t> in(std::max<uint32_t>(length, kReportSize), 0);
    uint32_t got = 0;
    const bool ok = pack.ReadReport(in.data(), static_cast<uint32_t>(in.size()), got, timeoutMs);
    std::memcpy(buffer, in.data(), length);
    return ok ? kResultOk : kResultNoAnswer;
}

namespace {

int StatusResult(const uint8_t* answer) {
    if (answer[kByteStatus] == 0xFF) {
        return kResultStatusFF;
    }
    if (answer[kByteStatus] == 0xFE) {
        return kResultStatusFE;
    }
    return kResultOk;
}

void BuildChunkRequest(uint8_t* req, uint8_t command, uint32_t offset, const uint8_t* data,
                       uint32_t n) {
    std::memset(req, 0, kReportSize);
    req[0] = kCommandReportId;
    req[kByteCommand] = command;
    req[kByteLength] = static_cast<uint8_t>(n);
    req[kByteOffsetLow] = static_cast<uint8_t>(offset & 0xFF);
    req[kByteOffsetHigh] = static_cast<uint8_t>((offset >> 8) & 0xFF);
    if (data != nullptr && n > 0) {
        std::memcpy(req + kByteData, data, n);
    }
    StampChecksum(req);
}

}  // namespace

int ReportChannel::ChunkLoop(uint8_t command, uint32_t offset, uint8_t* readTo,
                             const uint8_t* writeFrom, uint32_t total, uint32_t chunk,
                             std::recursive_mutex* lock) {
    chunk = std::clamp<uint32_t>(chunk, 1, kReportSize - kByteData);
    uint8_t req[kReportSize];
    uint8_t ans[kReportSize];
    for (uint32_t pos = 0; pos < total; pos += chunk) {
        const uint32_t n = std::min(chunk, total - pos);
        BuildChunkRequest(req, command, offset + pos, writeFrom ? writeFrom + pos : nullptr, n);
        std::memset(ans, 0, sizeof ans);
        uint32_t got = 0;
        int result;
        if (lock != nullptr) {
            std::lock_guard<std::recursive_mutex> guard(*lock);
            result = Transact(req, kReportSize, ans, kReportSize, got);
        } else {
            result = Transact(req, kReportSize, ans, kReportSize, got);
        }
        if (result != kResultOk) {
            return result;
        }
        const int status = StatusResult(ans);
        if (status != kResultOk) {
            return status;
        }
        if (readTo != nullptr) {
            std::memcpy(readTo + pos, ans + kByteData, n);
        }
    }
    return kResultOk;
}

int ReportChannel::ChunkedRead(uint8_t command, uint32_t offset, uint8_t* out, uint32_t total) {
    if (out == nullptr && total > 0) {
        return kResultNoAnswer;
    }
    return ChunkLoop(command, offset, out, nullptr, total, static_cast<uint32_t>(ChunkSize()),
                     &commandLock_);
}

int ReportChannel::ChunkedWrite(uint8_t command, uint32_t offset, const uint8_t* data,
                                uint32_t total) {
    if (data == nullptr && total > 0) {
        return kResultNoAnswer;
    }
    return ChunkLoop(command, offset, nullptr, data, total, static_cast<uint32_t>(ChunkSize()),
                     &commandLock_);
}

int ReportChannel::ChunkedWriteUnlocked(uint8_t command, uint32_t offset, const uint8_t* data,
                                        uint32_t total, uint32_t chunk) {
    if (data == nullptr && total > 0) {
        return kResultNoAnswer;
    }
    return ChunkLoop(command, offset, nullptr, data, total, chunk, nullptr);
}

int ReportChannel::StreamChunkedWrite(uint8_t command, uint32_t offset, const uint8_t* data,
                                      uint32_t total) {
    if (data == nullptr && total > 0) {
        return kResultNoAnswer;
    }
    return ChunkLoop(command, offset, nullptr, data, total, static_cast<uint32_t>(ChunkSize()),
                     &streamLock_);
}

int ReportChannel::LightStreamWrite(uint32_t offset, const uint8_t* data, uint32_t total) {
    if (data == nullptr && total > 0) {
        return kResultNoAnswer;
    }
    const uint32_t chunk =
        std::clamp<uint32_t>(static_cast<uint32_t>(ChunkSize()), 1, kReportSize - kByteData);
    uint8_t req[kReportSize];
    uint8_t ans[kReportSize];
    for (uint32_t pos = 0; pos < total; pos += chunk) {
        const uint32_t n = std::min(chunk, total - pos);
        if (Busy()) {
            // A frame chunk is worth less than the command being served.
            platform::DebugOutput("放弃灯光数据");
            continue;
        }
        BuildChunkRequest(req, kCmdLightStream, offset + pos, data + pos, n);
        std::memset(ans, 0, sizeof ans);
        uint32_t got = 0;
        int result;
        {
            std::lock_guard<std::recursive_mutex> guard(streamLock_);
            result = TransactShort(req, kReportSize, ans, kReportSize, got);
        }
        if (result != kResultOk) {
            return result;
        }
        const int status = StatusResult(ans);
        if (status != kResultOk) {
            return status;
        }
    }
    return kResultOk;
}

int ReportChannel::Command(uint8_t* request, uint8_t* answer) {
    if (request == nullptr || answer == nullptr) {
        return kResultNoAnswer;
    }
    uint32_t got = 0;
    int result;
    {
        std::lock_guard<std::recursive_mutex> guard(commandLock_);
        result = Transact(request, kReportSize, answer, kReportSize, got);
    }
    if (result != kResultOk) {
        return result;
    }
    return StatusResult(answer);
}

int ReportChannel::LinkStatus(uint8_t& keyboardLink, uint8_t& mouseLink) {
    keyboardLink = 0;
    mouseLink = 0;
    if (receiverMode_.load() == 0) {
        return kResultOk;
    }
    uint8_t req[kReportSize] = {};
    uint8_t ans[kReportSize] = {};
    req[0] = kCommandReportId;
    req[kByteCommand] = kCmdLinkStatus;
    StampChecksum(req);
    const int result = Command(req, ans);
    if (result == kResultOk) {
        keyboardLink = ans[kByteData];
        mouseLink = ans[kByteData + 1];
    }
    return result;
}

int ReportChannel::KeepAlive() {
    uint8_t report[kReportSize] = {};
    report[0] = kCommandReportId;
    report[kByteCommand] = kCmdKeepAlive;
    std::lock_guard<std::recursive_mutex> guard(commandLock_);
    return SendAndRead(report, kReportSize);
}

}  // namespace hid
