#include "host/InternalClock.h"

namespace tolvane {

namespace {

constexpr unsigned kDefaultFrames = 512;
constexpr unsigned kDefaultRate = 44100;
constexpr unsigned kFewestFrames = 16;
constexpr unsigned kLowestRate = 8000;
constexpr unsigned kHighestRate = 384000;

} // namespace

std::chrono::nanoseconds InternalClock::Period() const {
    return std::chrono::nanoseconds(static_cast<long long>(frames_) * 1'000'000'000LL / rate_);
}

void InternalClock::Start(unsigned bufferFrames, unsigned sampleRate) {
    Stop();
    frames_ =
        bufferFrames >= kFewestFrames && bufferFrames <= kLargestPeriodFrames ? bufferFrames : kDefaultFrames;
    rate_ = sampleRate >= kLowestRate && sampleRate <= kHighestRate ? sampleRate : kDefaultRate;
    plugin_.SetSampleRate(rate_);
    plugin_.SetBlockSize(kProcessBlockFrames);
    plugin_.OnReset();
    stopRequested_ = false;
    thread_ = std::thread([this] { Run(); });
}

void InternalClock::Stop() {
    if (!thread_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = true;
    }
    stopSignal_.notify_all();
    thread_.join();
}

void InternalClock::Run() {
    const auto period = Period();
    float* silent[PluginProcessor::kNumOutputs] = {};
    auto next = std::chrono::steady_clock::now();
    std::unique_lock lock(mutex_);
    while (!stopRequested_) {
        lock.unlock();
        plugin_.ProcessAudio(silent, static_cast<int>(frames_));
        lock.lock();
        next += period;
        const auto now = std::chrono::steady_clock::now();
        // After a stall (the machine suspended) the clock takes up its pace
        // from now instead of running the missed periods back to back.
        if (next + period < now) next = now;
        stopSignal_.wait_until(lock, next, [this] { return stopRequested_; });
    }
}

} // namespace tolvane
