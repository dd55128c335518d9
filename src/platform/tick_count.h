// Millisecond tick counter in the coarse steps the effect timings were tuned
// for: effect periods count changes of this value, not milliseconds.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

constexpr uint32_t kTickStepMs = 16;

// Milliseconds since an arbitrary start, rounded down to a multiple of 16 and
// wrapping at 2^32 like the counter it stands in for.
uint32_t TickCount();

// Milliseconds until TickCount next changes (1 to kTickStepMs).
uint32_t MsUntilNextTick();

// Milliseconds (not rounded) of the clock TickCount reads. Tests replace it
// with a clock of their own; an empty function restores the real one.
using TickSource = std::function<uint64_t()>;
void SetTickSource(TickSource source);

// Installs a manual clock for the lifetime of the object.
class ManualTickClock {
  public:
    ManualTickClock();
    ~ManualTickClock();
    ManualTickClock(const ManualTickClock&) = delete;
    ManualTickClock& operator=(const ManualTickClock&) = delete;
    void Set(uint64_t ms);
    void Advance(uint64_t ms);
    uint64_t Now() const;

  private:
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace platform
