#include "platform/worker_thread.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <atomic>
#include <chrono>

#include "platform/debug_output.h"

using namespace std::chrono_literals;
using platform::JoinOutcome;
using platform::JoinTexts;
using platform::StopEvent;
using platform::WorkerThread;

namespace {
const JoinTexts kTexts{"ended\n", "timed out\n", "no thread\n"};
}

TEST(WorkerThread, BoundedJoinReportsEachOutcome) {
    platform::DebugCapture capture;
    {
        WorkerThread idle;
        EXPECT_EQ(idle.StopAndJoin(100ms, kTexts), JoinOutcome::NotRunning);
    }
    WorkerThread obedient;
    ASSERT_TRUE(obedient.Start([](const StopEvent& stop) {
        while (!stop.Wait(1000ms)) {
        }
    }));
    EXPECT_FALSE(obedient.Start([](const StopEvent&) {}))
        << "a running thread is not started twice";
    EXPECT_EQ(obedient.StopAndJoin(1000ms, kTexts), JoinOutcome::Signalled);
    EXPECT_FALSE(obedient.Running());
    EXPECT_EQ(capture.Lines(), (std::vector<std::string>{"no thread\n", "ended\n"}));
}

TEST(WorkerThread, StubbornThreadIsReportedAndStillJoined) {
    platform::DebugCapture capture;
    std::atomic<bool> finished{false};
    WorkerThread stubborn;
    stubborn.Start([&](const StopEvent&) {
        // Ignores the stop event for longer than the bound.
        std::this_thread::sleep_for(250ms);
        finished = true;
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(stubborn.StopAndJoin(50ms, kTexts), JoinOutcome::TimedOut);
    EXPECT_TRUE(finished) << "the join waits for the body after the report";
    EXPECT_GE(std::chrono::steady_clock::now() - start, 200ms);
    EXPECT_TRUE(capture.Contains("timed out\n"));
    EXPECT_FALSE(capture.Contains("ended\n"));
}

TEST(WorkerThread, RestartsAfterJoinWithStopEventReset) {
    WorkerThread worker;
    std::atomic<int> runs{0};
    auto body = [&](const StopEvent& stop) {
        ++runs;
        stop.Wait(5000ms);
    };
    ASSERT_TRUE(worker.Start(body));
    worker.StopAndJoin(1000ms, kTexts);
    ASSERT_TRUE(worker.Start(body));
    EXPECT_TRUE(worker.Running());
    worker.StopAndJoin(1000ms, kTexts);
    EXPECT_EQ(runs, 2);
}

TEST(StopEvent, FdIsReadableExactlyWhileSet) {
    StopEvent ev;
    ASSERT_GE(ev.Fd(), 0);
    pollfd p{ev.Fd(), POLLIN, 0};
    EXPECT_EQ(::poll(&p, 1, 0), 0);
    ev.Set();
    ev.Set();  // a second Set changes nothing
    EXPECT_EQ(::poll(&p, 1, 0), 1);
    EXPECT_TRUE(ev.Wait(0ms));
    ev.Reset();
    EXPECT_EQ(::poll(&p, 1, 0), 0);
    EXPECT_FALSE(ev.IsSet());
    EXPECT_FALSE(ev.Wait(10ms));
}

TEST(StopEvent, HooksRunOnSetAtOnceWhenSetAndNeverAfterRemoval) {
    platform::StopEvent stop;
    int calls = 0;
    const uint64_t first = stop.AddHook([&] { ++calls; });
    EXPECT_EQ(calls, 0);
    stop.Set();
    stop.Set();
    EXPECT_EQ(calls, 1) << "only the change to set runs the hooks";
    int late = 0;
    const uint64_t second = stop.AddHook([&] { ++late; });
    EXPECT_EQ(late, 1) << "a hook added to a set event runs at once";
    stop.RemoveHook(first);
    stop.RemoveHook(second);
    stop.Reset();
    stop.Set();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(late, 1);
}
