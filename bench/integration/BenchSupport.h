#pragma once
// Shared by the program-side benchmarks: medians with their range, a private
// data folder (the host tests' one), and the simulator's sent-message lines
// stamped as they appear.

#include "host/HostTestSupport.h"
#include "support/JackServer.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tolvane::bench {

using SteadyClock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;
using test::TempDataHome;

struct Summary {
    double median = 0, low = 0, high = 0;
};

inline Summary Summarise(std::vector<double> v) {
    if (v.empty()) return {};
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    const double median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
    return {median, v.front(), v.back()};
}

inline void Print(const char* what, const Summary& s, std::size_t n) {
    std::printf("  %-44s median %8.1f ms  (min %.1f, max %.1f, n=%zu)\n", what, s.median, s.low, s.high, n);
}

// Stamps the simulator's lines that start with a prefix (with -v it prints
// "-> <message name>" just before it hands a message to its MIDI port), on a
// thread of its own.
class SentLineWatch {
public:
    SentLineWatch(test::SimulatorProcess& sim, std::string prefix)
        : prefix_(std::move(prefix)), thread_([this, &sim] {
              std::string line;
              while (!stop_.load()) {
                  if (!sim.ReadLine(line, std::chrono::milliseconds(50))) continue;
                  if (line.rfind(prefix_, 0) != 0) continue;
                  std::lock_guard lock(mutex_);
                  stamps_.push_back(SteadyClock::now());
              }
          }) {}
    ~SentLineWatch() {
        stop_.store(true);
        thread_.join();
    }
    SentLineWatch(const SentLineWatch&) = delete;
    SentLineWatch& operator=(const SentLineWatch&) = delete;

    std::vector<SteadyClock::time_point> Stamps() const {
        std::lock_guard lock(mutex_);
        return stamps_;
    }

private:
    const std::string prefix_;
    mutable std::mutex mutex_;
    std::vector<SteadyClock::time_point> stamps_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace tolvane::bench
