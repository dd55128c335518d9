#include "ui/framework/message_queue.h"

#include <chrono>

#include "platform/stop_event.h"

namespace ui {

MessageQueue::MessageQueue(Handler handler, std::function<void()> wake)
    : handler_(std::move(handler)), wake_(std::move(wake)), owner_(std::this_thread::get_id()) {}

MessageQueue::~MessageQueue() {
    Close();
}

intptr_t MessageQueue::Send(uint32_t message, uintptr_t wParam, intptr_t lParam,
                            const platform::StopEvent* abandonOn) {
    if (OnOwnerThread()) {
        if (Closed())
            return 0;
        return handler_(message, wParam, lParam);
    }
    auto state = std::make_shared<SendState>();
    std::unique_lock lock(mutex_);
    if (closed_)
        return 0;
    entries_.push_back(Entry{message, wParam, lParam, state});
    wake_();
    while (!state->done && !closed_) {
        if (abandonOn == nullptr) {
            handled_.wait(lock);
            continue;
        }
        // The stop event has its own wait; poll it in short slices so an
        // abandoning sender never waits more than a few milliseconds.
        if (abandonOn->IsSet()) {
            state->abandoned = true;
            return 0;
        }
        handled_.wait_for(lock, std::chrono::milliseconds(5));
    }
    return state->done ? state->result : 0;
}

bool MessageQueue::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    std::lock_guard lock(mutex_);
    if (closed_)
        return false;
    entries_.push_back(Entry{message, wParam, lParam, nullptr});
    wake_();
    return true;
}

void MessageQueue::Drain() {
    for (;;) {
        Entry entry{};
        {
            std::lock_guard lock(mutex_);
            if (closed_ || entries_.empty())
                return;
            entry = entries_.front();
            entries_.pop_front();
            // A sender that gave up no longer expects the message handled.
            if (entry.send && entry.send->abandoned)
                continue;
        }
        const intptr_t result = handler_(entry.message, entry.wParam, entry.lParam);
        if (entry.send) {
            std::lock_guard lock(mutex_);
            entry.send->result = result;
            entry.send->done = true;
            handled_.notify_all();
        }
    }
}

void MessageQueue::Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    entries_.clear();
    handled_.notify_all();
}

bool MessageQueue::Closed() const {
    std::lock_guard lock(mutex_);
    return closed_;
}

}  // namespace ui
