// A window's message queue: blocking send and queued post from any thread,
// handled one message at a time on the thread that owns the window. Plain
// C++ so the thread hand-over is visible to ThreadSanitizer; the window only
// supplies a thread-safe "wake" that makes its thread call Drain().
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace platform {
class StopEvent;
}

namespace ui {

class MessageQueue {
  public:
    using Handler = std::function<intptr_t(uint32_t message, uintptr_t wParam, intptr_t lParam)>;

    // `handler` runs on the constructing (owner) thread only. `wake` may be
    // called from any thread, with the queue's lock held; it must only
    // schedule a later Drain() on the owner thread.
    MessageQueue(Handler handler, std::function<void()> wake);
    ~MessageQueue();
    MessageQueue(const MessageQueue&) = delete;
    MessageQueue& operator=(const MessageQueue&) = delete;

    // From the owner thread the handler runs at once. From another thread the
    // message is queued behind earlier ones and the call blocks until it was
    // handled, the queue was closed, or `abandonOn` was set; the result is
    // then the handler's, or 0 when it never ran.
    intptr_t Send(uint32_t message, uintptr_t wParam, intptr_t lParam,
                  const platform::StopEvent* abandonOn = nullptr);
    // Queues the message; false when the queue is closed.
    bool Post(uint32_t message, uintptr_t wParam, intptr_t lParam);

    // Owner thread: handles every queued message in order. Safe to re-enter
    // from a handler (a nested event loop keeps the order).
    void Drain();
    // Refuses further messages, drops the queued ones and releases every
    // blocked sender (the window is going away or joining its senders).
    void Close();
    bool Closed() const;
    bool OnOwnerThread() const { return std::this_thread::get_id() == owner_; }

  private:
    struct SendState {
        bool done = false;
        bool abandoned = false;
        intptr_t result = 0;
    };
    struct Entry {
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam;
        std::shared_ptr<SendState> send;  // null for a post
    };

    Handler handler_;
    std::function<void()> wake_;
    std::thread::id owner_;
    mutable std::mutex mutex_;
    std::condition_variable handled_;
    std::deque<Entry> entries_;
    bool closed_ = false;
};

}  // namespace ui
