#pragma once
// A small plain value (a name, a pair of numbers) that one thread replaces
// and another reads whole: a reader never sees half of an old value and half
// of a new one. Both sides hold a spin lock for one copy of the value;
// nothing allocates, so the audio thread may use it.

#include "core/SpinLock.h"

#include <mutex>
#include <type_traits>

namespace tolvane {

template <typename T> class Snapshot {
    static_assert(std::is_trivially_copyable_v<T>, "a snapshot is copied as plain data");

public:
    Snapshot() = default;
    explicit Snapshot(const T& value) : value_(value) {}

    T Load() const {
        std::lock_guard guard(lock_);
        return value_;
    }

    void Store(const T& value) {
        std::lock_guard guard(lock_);
        value_ = value;
    }

private:
    T value_{};
    mutable SpinLock lock_;
};

} // namespace tolvane
