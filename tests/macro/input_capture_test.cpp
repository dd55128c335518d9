#include "macro/input_capture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>

#include "platform/worker_thread.h"

namespace macro {
namespace {

// What the UI thread's queue would hold.
struct PostedQueue {
    std::mutex mutex;
    std::deque<PackedEvent> items;
    InputCapture::Post Poster() {
        return [this](uint64_t w, int64_t l) {
            std::lock_guard lock(mutex);
            items.push_back({w, l});
            return true;
        };
    }
    std::vector<PackedEvent> Take() {
        std::lock_guard lock(mutex);
        std::vector<PackedEvent> out(items.begin(), items.end());
        items.clear();
        return out;
    }
};

TEST(InputEventPacking, EveryFieldSurvivesTheTwoWords) {
    const InputEvent events[] = {
        {InputKind::KeyPress, 30, 0, 0, 0, 0},
        {InputKind::KeyRelease, 0xFFF, 0, -1, -70000, 0xFFFFFFFFu},
        {InputKind::ButtonPress, 0, 9, 1919, 1079, 123456789},
        {InputKind::ButtonRelease, 0, 255, -5, 3, 1},
    };
    for (const InputEvent& event : events) {
        const PackedEvent packed = Pack(event, 77);
        uint8_t generation = 0;
        const auto back = Unpack(packed.wParam, packed.lParam, &generation);
        ASSERT_TRUE(back);
        EXPECT_EQ(event, *back);
        EXPECT_EQ(77, generation);
    }
    EXPECT_FALSE(Unpack(0, 0));
    EXPECT_FALSE(Unpack(0xF, 0));
}

TEST(InputCaptureTest, OnlyTheKnownModesInstall) {
    PostedQueue queue;
    InputCapture capture(std::make_unique<FedCaptureBackend>(), queue.Poster());
    for (int mode : {0, 2, 3, 256, 512, 1024, -1})
        EXPECT_FALSE(capture.Install(mode, true, true)) << mode;
    EXPECT_FALSE(capture.Installed());
    for (int mode : {1, 4, 8, 16, 32}) {
        EXPECT_TRUE(capture.Install(mode, true, true)) << mode;
        EXPECT_EQ(mode, static_cast<int>(*capture.Mode()));
    }
}

TEST(InputCaptureTest, AFailedStartInstallsNothing) {
    PostedQueue queue;
    auto backend = std::make_unique<FedCaptureBackend>();
    backend->SetStartFails(true);
    InputCapture capture(std::move(backend), queue.Poster());
    EXPECT_FALSE(capture.Install(4, true, true));
    EXPECT_FALSE(capture.Installed());
    EXPECT_FALSE(capture.Mode());
    EXPECT_FALSE(capture.Uninstall());
}

TEST(InputCaptureTest, EventsOfAnEarlierInstallAreRefused) {
    PostedQueue queue;
    auto owned = std::make_unique<FedCaptureBackend>();
    FedCaptureBackend* fed = owned.get();
    InputCapture capture(std::move(owned), queue.Poster());
    ASSERT_TRUE(capture.Install(4, true, false));
    EXPECT_TRUE(fed->Feed({InputKind::KeyPress, 30, 0, 0, 0, 5}));
    EXPECT_FALSE(fed->Feed({InputKind::ButtonPress, 0, 1, 0, 0, 6}));  // mouse not wanted
    const auto first = queue.Take();
    ASSERT_EQ(1u, first.size());
    EXPECT_TRUE(capture.Accept(first[0].wParam, first[0].lParam));

    fed->Feed({InputKind::KeyRelease, 30, 0, 0, 0, 7});
    ASSERT_TRUE(capture.Install(16, true, true));  // reinstall: the old release is stale
    fed->Feed({InputKind::KeyPress, 48, 0, 0, 0, 8});
    const auto second = queue.Take();
    ASSERT_EQ(2u, second.size());
    EXPECT_FALSE(capture.Accept(second[0].wParam, second[0].lParam));
    EXPECT_EQ(48, capture.Accept(second[1].wParam, second[1].lParam)->code);

    fed->Feed({InputKind::KeyRelease, 48, 0, 0, 0, 9});
    EXPECT_TRUE(capture.Uninstall());
    const auto third = queue.Take();
    ASSERT_EQ(1u, third.size());
    EXPECT_FALSE(capture.Accept(third[0].wParam, third[0].lParam));
    EXPECT_FALSE(fed->Running());
}

TEST(InputCaptureTest, TheDestructorStopsTheBackend) {
    PostedQueue queue;
    auto owned = std::make_unique<FedCaptureBackend>();
    bool stopped = false;
    struct Watch : FedCaptureBackend {
        bool* flag;
        explicit Watch(bool* f) : flag(f) {}
        void Stop() override {
            *flag = true;
            FedCaptureBackend::Stop();
        }
    };
    {
        InputCapture capture(std::make_unique<Watch>(&stopped), queue.Poster());
        ASSERT_TRUE(capture.Install(1, true, false));
    }
    EXPECT_TRUE(stopped);
}

// A source on its own thread, as the X reader is.
class ThreadedBackend : public CaptureBackend {
  public:
    bool Start(Sink sink, bool, bool) override {
        return worker_.Start([this, sink = std::move(sink)](const platform::StopEvent& stop) {
            uint32_t t = 0;
            while (!stop.IsSet()) {
                sink({InputKind::KeyPress, 30, 0, 0, 0, ++t});
                sink({InputKind::KeyRelease, 30, 0, 0, 0, ++t});
                sent_.fetch_add(2);
                stop.Wait(std::chrono::milliseconds(0));
            }
        });
    }
    void Stop() override {
        worker_.StopAndJoin(std::chrono::seconds(5), {"stopped", "slow", "idle"});
    }
    bool Global() const override { return true; }
    const char* Name() const override { return "threaded"; }
    int Sent() const { return sent_.load(); }

  private:
    platform::WorkerThread worker_;
    std::atomic<int> sent_{0};
};

TEST(InputCaptureThreads, EventsCrossFromTheSourceThreadByValue) {
    PostedQueue queue;
    auto owned = std::make_unique<ThreadedBackend>();
    ThreadedBackend* backend = owned.get();
    InputCapture capture(std::move(owned), queue.Poster());
    int accepted = 0;
    for (int round = 0; round < 20; ++round) {
        ASSERT_TRUE(capture.Install(4, true, true));
        while (backend->Sent() < 200 * (round + 1))
            for (const PackedEvent& p : queue.Take())
                accepted += capture.Accept(p.wParam, p.lParam) ? 1 : 0;
        capture.Uninstall();
        // Nothing after the stop belongs to an install any more.
        for (const PackedEvent& p : queue.Take())
            EXPECT_FALSE(capture.Accept(p.wParam, p.lParam));
    }
    EXPECT_GT(accepted, 0);
    EXPECT_TRUE(queue.Take().empty());
}

TEST(CaptureSourceTest, WindowCaptureWhereRawEventsCannotSeeEverything) {
    CaptureEnvironment x11{"", "", "x11", ":0", true};
    EXPECT_EQ(CaptureSource::X11, ChooseCaptureSource(x11));
    CaptureEnvironment forced = x11;
    forced.override = "window";
    EXPECT_EQ(CaptureSource::Window, ChooseCaptureSource(forced));
    CaptureEnvironment wayland = x11;
    wayland.waylandDisplay = "wayland-0";  // XWayland would only show X clients
    EXPECT_EQ(CaptureSource::Window, ChooseCaptureSource(wayland));
    CaptureEnvironment session = x11;
    session.sessionType = "wayland";
    EXPECT_EQ(CaptureSource::Window, ChooseCaptureSource(session));
    CaptureEnvironment noXi = x11;
    noXi.x11Available = false;
    EXPECT_EQ(CaptureSource::Window, ChooseCaptureSource(noXi));
    CaptureEnvironment noDisplay = x11;
    noDisplay.display.clear();
    EXPECT_EQ(CaptureSource::Window, ChooseCaptureSource(noDisplay));
}

}  // namespace
}  // namespace macro
