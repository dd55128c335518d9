// The LED frame stream's writer thread. A hidraw write ignores the time-out
// and the cancel: the kernel waits up to its USB time-out (5 s) for every
// report a device does not take. Frames are therefore written here, never on
// the UI thread, and only the newest frame waits: a frame not yet written
// when the next one comes is dropped.
#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>

#include "platform/worker_thread.h"

namespace device {

class FrameWriter {
  public:
    using Frame = std::array<uint8_t, 342>;  // the keyboard's LED frame
    // Writes one frame; true when the device took it. Runs on the writer.
    using Send = std::function<bool(const Frame&)>;

    explicit FrameWriter(Send send);
    ~FrameWriter();  // waits for a write in progress, then joins
    FrameWriter(const FrameWriter&) = delete;
    FrameWriter& operator=(const FrameWriter&) = delete;

    // Never blocks on the device.
    void Submit(const Frame& frame);
    // The tick of a write that failed since the last call, once.
    std::optional<uint32_t> TakeFailure();

    uint32_t Written() const;
    uint32_t Dropped() const;
    // A write is running now.
    bool Writing() const;
    // Tests and benches: waits until no frame waits or is being written.
    void WaitIdle();

  private:
    void Run(const platform::StopEvent& stop);

    Send send_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::optional<Frame> pending_;
    bool writing_ = false;
    bool stopping_ = false;
    std::optional<uint32_t> failedAt_;
    uint32_t written_ = 0;
    uint32_t dropped_ = 0;
    platform::WorkerThread thread_;
};

}  // namespace device
