#pragma once
// A lock for sections that copy a few bytes and nothing else, taken by the
// audio thread as well: waiting costs at most one such copy, and nothing is
// allocated or handed to the system unless the holder is descheduled.
// Usable with std::lock_guard.

#include <atomic>

namespace tolvane {

class SpinLock {
public:
    void lock() {
        while (flag_.test_and_set(std::memory_order_acquire))
            flag_.wait(true, std::memory_order_relaxed);
    }
    void unlock() {
        flag_.clear(std::memory_order_release);
        flag_.notify_one();
    }

private:
    std::atomic_flag flag_;
};

} // namespace tolvane
