#include "core/ManualTimer.h"

#include <algorithm>
#include <atomic>
#include <utility>

namespace tolvane {

class ManualTimerClock::ManualTimer final : public Timer {
public:
    ManualTimer(ManualTimerClock& clock, Function func, std::uint32_t periodMs)
        : clock_(&clock), func_(std::move(func)), periodMs_(periodMs) {
        clock_->entries_.push_back({this, clock_->nowMs_ + periodMs_});
    }
    ~ManualTimer() override { Stop(); }

    void Stop() override {
        if (!clock_) return;
        auto& e = clock_->entries_;
        e.erase(std::remove_if(e.begin(), e.end(), [this](const Entry& x) { return x.timer == this; }),
                e.end());
        clock_ = nullptr;
    }
    std::uint32_t PeriodMs() const override { return periodMs_; }
    void Sleep(std::function<bool()> wanted) override {
        if (!clock_) return;
        wanted_ = std::move(wanted);
        asleep_ = true;
    }
    void Wake() override { wakeAsked_.store(true); }

    // A Wake made while the function runs counts for a Sleep in the same run
    // only, as a wake of the event loop would.
    void Fire() {
        wakeAsked_.store(false);
        func_(*this);
    }
    bool Asleep() const { return asleep_; }
    // True when a sleeping timer wakes now.
    bool WakesNow() {
        if (!asleep_) return false;
        if (!wakeAsked_.exchange(false) && !(wanted_ && wanted_())) return false;
        asleep_ = false;
        return true;
    }
    void Detach() { clock_ = nullptr; }

private:
    ManualTimerClock* clock_;
    Function func_;
    std::uint32_t periodMs_;
    bool asleep_ = false;
    std::function<bool()> wanted_;
    std::atomic<bool> wakeAsked_{false};
};

ManualTimerClock::ManualTimerClock() {
    Timer::SetFactory([this](Timer::Function func, std::uint32_t periodMs) -> std::unique_ptr<Timer> {
        return std::make_unique<ManualTimer>(*this, std::move(func), periodMs);
    });
}

ManualTimerClock::~ManualTimerClock() {
    Timer::SetFactory({});
    for (auto& e : entries_)
        e.timer->Detach();
}

int ManualTimerClock::ActiveTimers() const {
    return static_cast<int>(entries_.size());
}

void ManualTimerClock::Advance(std::uint64_t ms) {
    const std::uint64_t end = nowMs_ + ms;
    for (;;) {
        for (Entry& e : entries_)
            if (e.timer->WakesNow()) e.dueMs = nowMs_;
        // The earliest due timer awake; the stable order of entries_ breaks ties.
        auto next = entries_.end();
        for (auto it = entries_.begin(); it != entries_.end(); ++it)
            if (!it->timer->Asleep() && (next == entries_.end() || it->dueMs < next->dueMs)) next = it;
        if (next == entries_.end() || next->dueMs > end) break;
        nowMs_ = next->dueMs;
        next->dueMs += std::max<std::uint32_t>(1, next->timer->PeriodMs());
        // The function may stop or destroy timers, so the iterator is not used after.
        next->timer->Fire();
    }
    nowMs_ = end;
}

} // namespace tolvane
