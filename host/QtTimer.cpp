#include "host/QtTimer.h"

#include <QTimer>

#include <utility>

namespace tolvane {

namespace {

class QtTimer final : public Timer {
public:
    QtTimer(Function func, std::uint32_t periodMs) : func_(std::move(func)), periodMs_(periodMs) {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] { func_(*this); });
        timer_.start(static_cast<int>(periodMs_));
    }
    void Stop() override { timer_.stop(); }
    std::uint32_t PeriodMs() const override { return periodMs_; }

private:
    QTimer timer_;
    Function func_;
    std::uint32_t periodMs_;
};

} // namespace

void InstallQtTimerFactory() {
    Timer::SetFactory([](Timer::Function func, std::uint32_t periodMs) -> std::unique_ptr<Timer> {
        return std::make_unique<QtTimer>(std::move(func), periodMs);
    });
}

} // namespace tolvane
