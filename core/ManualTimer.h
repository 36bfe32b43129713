#pragma once
// A clock for tests: while a ManualTimerClock exists, Timer::Create makes
// timers that fire only when the test advances the clock. Advance fires every
// due timer in time order; timers with the same due time fire in creation
// order. Advance stands for the event loop waiting: before each step it wakes
// a sleeping timer that Wake was called for (from any thread) or whose wanted
// test is true, and that timer fires at once, then every period again.

#include "core/Timer.h"

#include <cstdint>
#include <vector>

namespace tolvane {

class ManualTimerClock {
public:
    ManualTimerClock();  // installs itself as the timer factory
    ~ManualTimerClock(); // restores the inactive default
    ManualTimerClock(const ManualTimerClock&) = delete;
    ManualTimerClock& operator=(const ManualTimerClock&) = delete;

    void Advance(std::uint64_t ms);
    std::uint64_t NowMs() const { return nowMs_; }
    // Timers created and not yet stopped or destroyed.
    int ActiveTimers() const;

private:
    class ManualTimer;
    friend class ManualTimer;

    struct Entry {
        ManualTimer* timer;
        std::uint64_t dueMs;
    };

    std::uint64_t nowMs_ = 0;
    std::vector<Entry> entries_;
};

} // namespace tolvane
