#pragma once
// Lock-free single-producer single-consumer ring over a fixed array of N
// entries: empty when the indexes are equal, full when the next write index
// would reach the read index, so N - 1 entries are usable. A push into a full
// ring fails and never overwrites. The producer writes the entry before it
// publishes the write index (release); the consumer copies the entry out
// before it publishes the read index (release); each side reads the other's
// index with acquire.
//
// SharedProducerRing is the variant for the one queue that is written from two
// threads: producers take a short spin lock around the push, the consumer
// stays lock-free.

#include "core/SpinLock.h"

#include <atomic>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <type_traits>

namespace tolvane {

template <typename T, std::size_t N> class RingBuffer {
    static_assert(N >= 2, "a ring needs one free entry");
    static_assert(std::is_trivially_copyable_v<T>, "entries are copied as plain data");
    static_assert(std::atomic<std::size_t>::is_always_lock_free, "the ring indexes must be lock-free");

public:
    static constexpr std::size_t kEntries = N;
    static constexpr std::size_t kUsable = N - 1;

    bool Push(const T& item) {
        const std::size_t w = write_.load(std::memory_order_relaxed);
        const std::size_t next = (w + 1) % N;
        if (next == read_.load(std::memory_order_acquire)) return false;
        std::memcpy(&slots_[w * sizeof(T)], &item, sizeof(T));
        write_.store(next, std::memory_order_release);
        return true;
    }

    bool Pop(T& out) {
        const std::size_t r = read_.load(std::memory_order_relaxed);
        if (r == write_.load(std::memory_order_acquire)) return false;
        std::memcpy(&out, &slots_[r * sizeof(T)], sizeof(T));
        read_.store((r + 1) % N, std::memory_order_release);
        return true;
    }

    bool Empty() const {
        return read_.load(std::memory_order_acquire) == write_.load(std::memory_order_acquire);
    }

    std::size_t Size() const {
        const std::size_t w = write_.load(std::memory_order_acquire);
        const std::size_t r = read_.load(std::memory_order_acquire);
        return (w + N - r) % N;
    }

private:
    // Raw bytes, written before they are read: a large ring costs nothing to
    // make, and pages it never fills are never touched.
    alignas(T) std::byte slots_[N * sizeof(T)];
    alignas(64) std::atomic<std::size_t> write_{0};
    alignas(64) std::atomic<std::size_t> read_{0};
};

template <typename T, std::size_t N> class SharedProducerRing {
public:
    static constexpr std::size_t kEntries = N;
    static constexpr std::size_t kUsable = N - 1;

    // Safe from any number of threads. The lock is held for one copy only, so
    // the audio thread never waits long.
    bool Push(const T& item) {
        std::lock_guard guard(lock_);
        return ring_.Push(item);
    }

    // One consumer thread only.
    bool Pop(T& out) { return ring_.Pop(out); }
    bool Empty() const { return ring_.Empty(); }
    std::size_t Size() const { return ring_.Size(); }

private:
    RingBuffer<T, N> ring_;
    SpinLock lock_;
};

} // namespace tolvane
