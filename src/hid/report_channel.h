// ReportChannel: request/answer pairs of 64-byte reports with one device
// interface, wired or through the shared handle of a 2.4 GHz receiver.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "hid/hid_pack.h"

namespace hid {

inline constexpr uint32_t kReportSize = 64;
inline constexpr uint8_t kCommandReportId = 4;
inline constexpr uint16_t kMaxTableSize = 512;
inline constexpr int32_t kChunkDirect = 56;
inline constexpr int32_t kChunkReceiver = 24;

// Result codes of the transfers and the command operations on them.
inline constexpr int kResultOk = 1;
inline constexpr int kResultNoAnswer = 0;  // closed channel, read failure or time-out
inline constexpr int kResultWriteFailed = -1;
inline constexpr int kResultUnreachable = -101;  // receiver cannot reach the target
inline constexpr int kResultStatusFF = -102;
inline constexpr int kResultStatusFE = -103;

// Byte offsets of the framing.
inline constexpr size_t kByteChecksumLow = 1;
inline constexpr size_t kByteChecksumHigh = 2;
inline constexpr size_t kByteCommand = 3;
inline constexpr size_t kByteLength = 4;
inline constexpr size_t kByteOffsetLow = 5;
inline constexpr size_t kByteOffsetHigh = 6;
inline constexpr size_t kByteStatus = 7;
inline constexpr size_t kByteData = 8;
inline constexpr size_t kByteTarget = 32;

// Receiver targets (request byte 32).
inline constexpr int32_t kTargetKeyboard = 0;
inline constexpr int32_t kTargetMouse = 2;

// Connection kinds of SetConnection.
inline constexpr int kConnectionDirect = 1;
inline constexpr int kConnectionReceiver = 2;

// Sum of bytes 3..63 as unsigned bytes, low 16 bits.
uint16_t ReportChecksum(const uint8_t* report);
// Stores the checksum little-endian in bytes 1 and 2.
void StampChecksum(uint8_t* report);

// Standard command codes the channel itself knows about.
inline constexpr uint8_t kCmdLinkStatus = 0xAA;
inline constexpr uint8_t kCmdLightStream = 0x12;
inline constexpr uint8_t kCmdKeepAlive = 0x19;

class ReportChannel {
  public:
    ReportChannel() = default;
    ~ReportChannel();
    ReportChannel(const ReportChannel&) = delete;
    ReportChannel& operator=(const ReportChannel&) = delete;

    // The standard transfer: write, then read until the command is echoed
    // (at most two reads). Returns a result code.
    int Transact(const uint8_t* request, uint32_t requestLength, uint8_t* answer,
                 uint32_t answerLength, uint32_t& bytesRead);
    // Shorter receiver time-outs and no flush; for the lighting stream.
    int TransactShort(const uint8_t* request, uint32_t requestLength, uint8_t* answer,
                      uint32_t answerLength, uint32_t& bytesRead);
    // Write and read one report back into `buffer` (64 bytes), no echo
    // check; byte 32 is 2. For the keep-alive.
    int SendAndRead(uint8_t* buffer, uint32_t length);

    void SetConnection(int kind);
    void SetReceiverTarget(int32_t n) { receiverTarget_.store(n); }
    bool SetTableSize(uint32_t n);

    // Binds the channel to the shared receiver handle of `path` (opening it
    // only when nobody has yet) and addresses `target`. Under transferLock.
    bool BindReceiver(const std::string& path, int32_t target);
    // Drops the receiver handle; the direct path is used from then on.
    void UnbindReceiver();

    // Chunked command operations. Each report is exchanged under
    // commandLock; a result other than 1 ends the transfer, status 0xFF
    // gives -102 and 0xFE -103. `offset` is the device offset of byte 0.
    int ChunkedRead(uint8_t command, uint32_t offset, uint8_t* out, uint32_t total);
    int ChunkedWrite(uint8_t command, uint32_t offset, const uint8_t* data, uint32_t total);
    // As ChunkedWrite, without a lock of its own (the mouse's 0x17 image).
    int ChunkedWriteUnlocked(uint8_t command, uint32_t offset, const uint8_t* data, uint32_t total,
                             uint32_t chunk);
    // As ChunkedWrite under streamLock; the per-LED palette (0x0B).
    int StreamChunkedWrite(uint8_t command, uint32_t offset, const uint8_t* data, uint32_t total);
    // The lighting stream (0x12): streamLock, TransactShort, and a chunk is
    // dropped instead of sent while another transfer is running.
    int LightStreamWrite(uint32_t offset, const uint8_t* data, uint32_t total);
    // One exchange of a complete request (checksum already stamped) under
    // commandLock; the answer's status byte is mapped to -102 / -103.
    int Command(uint8_t* request, uint8_t* answer);
    // The link status query (0xAA): keyboard and mouse link bytes (255 =
    // linked). In direct mode it succeeds at once without I/O, reporting
    // both as 0.
    int LinkStatus(uint8_t& keyboardLink, uint8_t& mouseLink);
    // The keep-alive (0x19): no checksum, byte 32 = 2, under commandLock.
    int KeepAlive();

    CHidPack& DirectPack() { return directPack_; }
    std::shared_ptr<CHidPack> ReceiverPack() const;
    void SetReceiverPack(std::shared_ptr<CHidPack> pack);

    std::recursive_mutex& TransferLock() { return transferLock_; }
    std::recursive_mutex& ReceiverLock() { return receiverLock_; }
    std::recursive_mutex& CommandLock() { return commandLock_; }
    std::recursive_mutex& StreamLock() { return streamLock_; }

    uint16_t TableSize() const { return tableSize_.load(); }
    bool Busy() const { return busy_.load() != 0; }
    bool IsOpen() const { return open_.load() != 0; }
    void SetOpen(bool open) { open_.store(open ? 1 : 0); }
    bool LightSyncHold() const { return lightSyncHold_.load() != 0; }
    void SetLightSyncHold(bool hold) { lightSyncHold_.store(hold ? 1 : 0); }
    bool ReceiverMode() const { return receiverMode_.load() != 0; }
    void SetReceiverMode(bool on) { receiverMode_.store(on ? 1 : 0); }
    int32_t ReceiverTarget() const { return receiverTarget_.load(); }
    int32_t ChunkSize() const { return chunkSize_.load(); }

    // Time-outs of the wait for an answer, in milliseconds. The write before
    // it is not bounded by them: on hidraw it can take up to 5 s.
    static constexpr uint32_t kDirectTimeoutMs = 1000;
    static constexpr uint32_t kReceiverTimeoutMs = 5000;
    static constexpr uint32_t kReceiverShortTimeoutMs = 500;

  private:
    enum class Kind { Standard, Short };
    int Exchange(Kind kind, const uint8_t* request, uint32_t requestLength, uint8_t* answer,
                 uint32_t answerLength, uint32_t& bytesRead);
    int ChunkLoop(uint8_t command, uint32_t offset, uint8_t* readTo, const uint8_t* writeFrom,
                  uint32_t total, uint32_t chunk, std::recursive_mutex* lock);

    std::atomic<uint16_t> tableSize_{kMaxTableSize};
    // Counts running Transact/TransactShort calls; the stream reads it
    // without a lock.
    std::atomic<int> busy_{0};
    std::atomic<int32_t> open_{0};
    std::atomic<int32_t> lightSyncHold_{0};
    CHidPack directPack_;
    std::shared_ptr<CHidPack> receiverPack_;
    mutable std::recursive_mutex transferLock_;
    std::recursive_mutex receiverLock_;
    std::recursive_mutex commandLock_;
    std::recursive_mutex streamLock_;
    std::atomic<int32_t> receiverMode_{0};
    std::atomic<int32_t> receiverTarget_{0};
    std::atomic<int32_t> chunkSize_{kChunkReceiver};
};

}  // namespace hid
