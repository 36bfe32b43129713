#include "core/ManualTimer.h"

#include <algorithm>
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
    void Fire() { func_(*this); }
    void Detach() { clock_ = nullptr; }

private:
    ManualTimerClock* clock_;
    Function func_;
    std::uint32_t periodMs_;
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
        // The earliest due timer; the stable order of entries_ breaks ties.
        auto next = std::min_element(entries_.begin(), entries_.end(),
                                     [](const Entry& a, const Entry& b) { return a.dueMs < b.dueMs; });
        if (next == entries_.end() || next->dueMs > end) break;
        nowMs_ = next->dueMs;
        next->dueMs += std::max<std::uint32_t>(1, next->timer->PeriodMs());
        // The function may stop or destroy timers, so the iterator is not used after.
        next->timer->Fire();
    }
    nowMs_ = end;
}

} // namespace tolvane
