#include "platform/tick_count.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>

namespace platform {
namespace {

std::mutex& SourceMutex() {
    static std::mutex m;
    return m;
}

std::shared_ptr<TickSource>& Source() {
    static std::shared_ptr<TickSource> source;
    return source;
}

uint64_t RealMilliseconds() {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

namespace {

uint64_t NowMilliseconds() {
    std::shared_ptr<TickSource> source;
    {
        std::lock_guard lock(SourceMutex());
        source = Source();
    }
    return source ? (*source)() : RealMilliseconds();
}

}  // namespace

uint32_t TickCount() {
    const uint64_t ms = NowMilliseconds();
    return static_cast<uint32_t>(ms - ms % kTickStepMs);
}

uint32_t MsUntilNextTick() {
    return static_cast<uint32_t>(kTickStepMs - NowMilliseconds() % kTickStepMs);
}

void SetTickSource(TickSource source) {
    std::lock_guard lock(SourceMutex());
    Source() = source ? std::make_shared<TickSource>(std::move(source)) : nullptr;
}

struct ManualTickClock::State {
    std::atomic<uint64_t> now{0};
};

ManualTickClock::ManualTickClock() : state_(std::make_shared<State>()) {
    // The source keeps the state alive for a reader that is still using it.
    SetTickSource([s = state_] { return s->now.load(); });
}

ManualTickClock::~ManualTickClock() {
    SetTickSource(nullptr);
}

void ManualTickClock::Set(uint64_t ms) {
    state_->now.store(ms);
}
void ManualTickClock::Advance(uint64_t ms) {
    state_->now.fetch_add(ms);
}
uint64_t ManualTickClock::Now() const {
    return state_->now.load();
}

}  // namespace platform
