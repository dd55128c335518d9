#include "device/frame_writer.h"

#include <utility>

#include "device/usb_device.h"
#include "platform/tick_count.h"

namespace device {

FrameWriter::FrameWriter(Send send) : send_(std::move(send)) {
    thread_.Start([this](const platform::StopEvent& stop) { Run(stop); }, "qx70-frames");
}

FrameWriter::~FrameWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    cv_.notify_all();
    // A write in progress cannot be ended; the join waits for it.
    thread_.StopAndJoin(kLightThreadJoin, DeviceThreadJoinTexts());
}

void FrameWriter::Submit(const Frame& frame) {
    {
        std::lock_guard lock(mutex_);
        if (pending_) {
            ++dropped_;
        }
        pending_ = frame;
    }
    cv_.notify_all();
}

std::optional<uint32_t> FrameWriter::TakeFailure() {
    std::lock_guard lock(mutex_);
    return std::exchange(failedAt_, std::nullopt);
}

uint32_t FrameWriter::Written() const {
    std::lock_guard lock(mutex_);
    return written_;
}

uint32_t FrameWriter::Dropped() const {
    std::lock_guard lock(mutex_);
    return dropped_;
}

bool FrameWriter::Writing() const {
    std::lock_guard lock(mutex_);
    return writing_;
}

void FrameWriter::WaitIdle() {
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [this] { return stopping_ || (!pending_ && !writing_); });
}

void FrameWriter::Run(const platform::StopEvent&) {
    std::unique_lock lock(mutex_);
    for (;;) {
        cv_.wait(lock, [this] { return stopping_ || pending_; });
        if (stopping_) {
            return;
        }
        const Frame frame = *pending_;
        pending_.reset();
        writing_ = true;
        lock.unlock();
        const bool ok = send_(frame);
        const uint32_t tick = platform::TickCount();
        lock.lock();
        writing_ = false;
        if (ok) {
            ++written_;
        } else {
            failedAt_ = tick;
        }
        cv_.notify_all();
    }
}

}  // namespace device
