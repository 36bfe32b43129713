#include "core/Timer.h"

#include <mutex>
#include <utility>

namespace tolvane {

namespace {

class InactiveTimer final : public Timer {
public:
    explicit InactiveTimer(std::uint32_t periodMs) : periodMs_(periodMs) {}
    void Stop() override {}
    std::uint32_t PeriodMs() const override { return periodMs_; }

private:
    std::uint32_t periodMs_;
};

std::mutex& FactoryMutex() {
    static std::mutex m;
    return m;
}

Timer::Factory& CurrentFactory() {
    static Timer::Factory factory;
    return factory;
}

thread_local int tFunctionDepth = 0;

} // namespace

bool Timer::InFunction() {
    return tFunctionDepth > 0;
}

Timer::FunctionScope::FunctionScope() {
    ++tFunctionDepth;
}

Timer::FunctionScope::~FunctionScope() {
    --tFunctionDepth;
}

std::unique_ptr<Timer> Timer::Create(Function func, std::uint32_t periodMs) {
    Factory factory;
    {
        std::lock_guard lock(FactoryMutex());
        factory = CurrentFactory();
    }
    if (!factory) return std::make_unique<InactiveTimer>(periodMs);
    return factory(std::move(func), periodMs);
}

void Timer::SetFactory(Factory factory) {
    std::lock_guard lock(FactoryMutex());
    CurrentFactory() = std::move(factory);
}

} // namespace tolvane
