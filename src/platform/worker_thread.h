// A thread with its own stop event and a bounded, reporting join. A thread is
// never killed: after the bounded wait reports its outcome the join goes on
// until the body returns, which is why every blocking wait in a body must
// also wake on the stop event.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "platform/stop_event.h"

namespace platform {

// The debug texts a caller wants for each outcome of the bounded wait.
struct JoinTexts {
    std::string signalled;   // the thread ended within the bound
    std::string timedOut;    // it was still running when the bound passed
    std::string notRunning;  // there was no thread to wait for
};

enum class JoinOutcome { Signalled, TimedOut, NotRunning };

class WorkerThread {
  public:
    using Body = std::function<void(const StopEvent& stop)>;

    WorkerThread() = default;
    ~WorkerThread();  // sets the stop event and joins without a report
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Resets the stop event and starts the body; false when already running.
    // `name` (at most 15 bytes kept) is what `top -H` and debuggers show.
    bool Start(Body body, const char* name = "qx70-worker");
    bool Running() const;
    // Started and not joined yet (it may have returned already).
    bool Started() const;

    StopEvent& Stop() { return stop_; }
    void RequestStop() { stop_.Set(); }

    // Sets the stop event, waits up to `bound` for the body to return and
    // writes the matching text to the debug output, then joins.
    JoinOutcome StopAndJoin(std::chrono::milliseconds bound, const JoinTexts& texts);

  private:
    StopEvent stop_;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable finishedCv_;
    bool finished_ = true;
};

}  // namespace platform
