#include "platform/worker_thread.h"

#include <pthread.h>

#include <cstring>

#include "platform/debug_output.h"

namespace platform {

WorkerThread::~WorkerThread() {
    stop_.Set();
    if (thread_.joinable()) {
        thread_.join();
    }
}

bool WorkerThread::Start(Body body, const char* name) {
    std::lock_guard lock(mutex_);
    if (thread_.joinable()) {
        return false;
    }
    stop_.Reset();
    finished_ = false;
    char shortName[16] = {};
    std::strncpy(shortName, name ? name : "", sizeof shortName - 1);
    thread_ = std::thread([this, body = std::move(body), shortName] {
        pthread_setname_np(pthread_self(), shortName);
        body(stop_);
        std::lock_guard done(mutex_);
        finished_ = true;
        finishedCv_.notify_all();
    });
    return true;
}

bool WorkerThread::Running() const {
    std::lock_guard lock(mutex_);
    return thread_.joinable() && !finished_;
}

bool WorkerThread::Started() const {
    std::lock_guard lock(mutex_);
    return thread_.joinable();
}

JoinOutcome WorkerThread::StopAndJoin(std::chrono::milliseconds bound, const JoinTexts& texts) {
    stop_.Set();
    std::unique_lock lock(mutex_);
    if (!thread_.joinable()) {
        lock.unlock();
        DebugOutput(texts.notRunning);
        return JoinOutcome::NotRunning;
    }
    const bool ended = finishedCv_.wait_for(lock, bound, [this] { return finished_; });
    std::thread thread = std::move(thread_);
    lock.unlock();
    DebugOutput(ended ? texts.signalled : texts.timedOut);
    thread.join();
    return ended ? JoinOutcome::Signalled : JoinOutcome::TimedOut;
}

}  // namespace platform
