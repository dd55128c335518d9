// The window's message queue: blocking send from workers, queued post,
// direct send on the window's own thread, and no sender left blocked when
// the window closes its queue or the sender is told to give up.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/stop_event.h"
#include "ui/framework/message_queue.h"
#include "ui/framework/window_message_adapter.h"
#include "ui_test_support.h"

namespace {

class MessageQueueTest : public ::testing::Test {
  protected:
    void SetUp() override {
        uitest::EnsureApplication();
        skin_ =
            std::make_unique<uitest::ScopedSkin>(std::vector<std::pair<std::string, std::string>>{
                {"w.ui", uitest::UiDocument("root", "")}});
        window_ = std::make_unique<uitest::RecordingWindow>(QStringLiteral("w.ui"));
        ASSERT_TRUE(window_->Create(nullptr, QStringLiteral("t"), 100, 100));
    }
    void TearDown() override {
        window_.reset();
        skin_.reset();
    }
    std::unique_ptr<uitest::ScopedSkin> skin_;
    std::unique_ptr<uitest::RecordingWindow> window_;
};

TEST_F(MessageQueueTest, WorkerSendReturnsOnlyAfterTheWindowHandledIt) {
    std::atomic<bool> returned{false};
    bool returnedBeforeHandled = true;
    window_->onMessage = [&](uint32_t, uintptr_t w, intptr_t l) -> intptr_t {
        returnedBeforeHandled = returned.load();
        return static_cast<intptr_t>(w) + l;
    };
    intptr_t result = 0;
    std::thread worker([&] {
        result = window_->Send(3090, 40, 2);
        returned.store(true);
    });
    ASSERT_TRUE(uitest::ProcessUntil([&] { return returned.load(); }, 5000));
    worker.join();
    EXPECT_FALSE(returnedBeforeHandled);
    EXPECT_EQ(result, 42);
    ASSERT_EQ(window_->messages.size(), 1u);
    EXPECT_EQ(window_->messages[0].message, 3090u);
}

TEST_F(MessageQueueTest, PostIsQueuedAndSendOnTheWindowThreadIsDirect) {
    ASSERT_TRUE(window_->Post(3331, 1, 0));
    ASSERT_TRUE(window_->Post(3331, 2, 0));
    EXPECT_TRUE(window_->messages.empty());
    window_->onMessage = [](uint32_t, uintptr_t, intptr_t) -> intptr_t { return 7; };
    EXPECT_EQ(window_->Send(3093, 0, 0), 7);
    ASSERT_EQ(window_->messages.size(), 1u);
    EXPECT_EQ(window_->messages[0].message, 3093u);
    ASSERT_TRUE(uitest::ProcessUntil([&] { return window_->messages.size() == 3; }));
    EXPECT_EQ(window_->messages[1].wParam, 1u);  // posts keep their order
    EXPECT_EQ(window_->messages[2].wParam, 2u);
}

TEST_F(MessageQueueTest, SendsAndPostsFromOneWorkerKeepTheirOrder) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        window_->Post(4000, 1, 0);
        window_->Send(4000, 2, 0);
        window_->Post(4000, 3, 0);
        done.store(true);
    });
    ASSERT_TRUE(
        uitest::ProcessUntil([&] { return done.load() && window_->messages.size() == 3; }, 5000));
    worker.join();
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(window_->messages[i].wParam, i + 1);
}

TEST_F(MessageQueueTest, AbandonedOrClosedSendsReturnWithoutTheWindow) {
    platform::StopEvent stop;
    std::atomic<int> finished{0};
    intptr_t abandoned = -1, closed = -1;
    window_->onMessage = [](uint32_t, uintptr_t, intptr_t) -> intptr_t { return 5; };
    // The window's thread does not pump messages here (it is "joining").
    std::thread a([&] {
        abandoned = window_->Send(3090, 0, 0, &stop);
        finished.fetch_add(1);
    });
    stop.Set();
    a.join();
    EXPECT_EQ(abandoned, 0);
    // The abandoned message is not handled later.
    uitest::ProcessPending();
    EXPECT_TRUE(window_->messages.empty());

    std::atomic<bool> sending{false};
    std::thread b([&] {
        sending.store(true);
        closed = window_->Send(3091, 0, 0);
        finished.fetch_add(1);
    });
    while (!sending.load())
        std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // let it block
    window_->CloseMessageQueue();
    b.join();
    EXPECT_EQ(closed, 0);
    EXPECT_FALSE(window_->Post(3331, 0, 0));
    EXPECT_EQ(window_->Send(3331, 0, 0), 0);
    uitest::ProcessPending();
    EXPECT_TRUE(window_->messages.empty());
}

TEST_F(MessageQueueTest, AdapterGivesTheHidLayerTheSameQueue) {
    ui::WindowMessageAdapter adapter(window_.get());
    hid::WindowMessageSink& sink = adapter;
    window_->onMessage = [](uint32_t, uintptr_t w, intptr_t) -> intptr_t {
        return static_cast<intptr_t>(w);
    };
    intptr_t result = 0;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        result = sink.Send(hid::WM_DEVICE_ARRIVED, 6, 0, nullptr);
        sink.Post(hid::WM_DEVICE_REMOVED, 6, 0);
        done.store(true);
    });
    ASSERT_TRUE(
        uitest::ProcessUntil([&] { return done.load() && window_->messages.size() == 2; }, 5000));
    worker.join();
    EXPECT_EQ(result, 6);
    EXPECT_EQ(window_->messages[1].message, hid::WM_DEVICE_REMOVED);
}

// The queue alone, with many senders at once (run under ThreadSanitizer).
TEST(MessageQueueCore, ManyWorkersEachGetTheirOwnResult) {
    std::atomic<int> wakes{0};
    ui::MessageQueue queue(
        [](uint32_t m, uintptr_t w, intptr_t) { return static_cast<intptr_t>(m + w); },
        [&] { wakes.fetch_add(1); });
    constexpr int kWorkers = 4, kEach = 50;
    std::atomic<int> wrong{0}, done{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < kWorkers; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                if (queue.Send(static_cast<uint32_t>(t * 1000), static_cast<uintptr_t>(i), 0) !=
                    t * 1000 + i)
                    wrong.fetch_add(1);
                queue.Post(1, 0, 0);
            }
            done.fetch_add(1);
        });
    }
    while (done.load() < kWorkers) {
        queue.Drain();
        std::this_thread::yield();
    }
    for (auto& w : workers)
        w.join();
    queue.Drain();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_GE(wakes.load(), kWorkers * kEach * 2);
}

}  // namespace
