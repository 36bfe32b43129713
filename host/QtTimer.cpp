#include "host/QtTimer.h"

#include <QAbstractEventDispatcher>
#include <QSocketNotifier>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <memory>
#include <utility>

#if defined(__linux__)
#include <sys/eventfd.h>
#include <unistd.h>
#endif

namespace tolvane {

namespace {

// A counter the kernel keeps: any thread adds to it with one write (no lock,
// no allocation, no waiting), and the user-interface thread's event loop sees
// it become readable. Where there is none, timers do not sleep.
class WakeChannel {
public:
    WakeChannel() {
#if defined(__linux__)
        fd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
#endif
    }
    ~WakeChannel() {
#if defined(__linux__)
        if (fd_ >= 0) close(fd_);
#endif
    }
    WakeChannel(const WakeChannel&) = delete;
    WakeChannel& operator=(const WakeChannel&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    int Descriptor() const { return fd_; }
    // The only failure is a counter at its limit, which wakes the loop too.
    void Signal() const {
#if defined(__linux__)
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = fd_ >= 0 ? write(fd_, &one, sizeof one) : 0;
#endif
    }
    // Takes every signal given so far.
    void Clear() const {
#if defined(__linux__)
        std::uint64_t count = 0;
        [[maybe_unused]] const auto taken = fd_ >= 0 ? read(fd_, &count, sizeof count) : 0;
#endif
    }

private:
    int fd_ = -1;
};

class QtTimer final : public Timer {
public:
    QtTimer(Function func, std::uint32_t periodMs) : func_(std::move(func)), periodMs_(periodMs) {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Fire(); });
        timer_.start(static_cast<int>(periodMs_));
        // Made with the timer, so that a Wake from another thread always
        // finds it, also one that comes before the first Sleep is through.
        if (!channel_.IsOpen()) return;
        notifier_ = std::make_unique<QSocketNotifier>(channel_.Descriptor(), QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
            channel_.Clear();
            if (asleep_) {
                Resume();
            } else if (hurried_.exchange(false) && !stopped_) {
                timer_.start(static_cast<int>(periodMs_));
                Fire();
            }
        });
        // Work the user-interface thread made for a sleeping timer (an input
        // event, a menu, another timer) is found before the loop waits; the
        // timer wakes through its channel, so that its function runs from the
        // loop and not inside the dispatcher's own call.
        if (auto* dispatcher = QAbstractEventDispatcher::instance()) {
            QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, notifier_.get(), [this] {
                if (asleep_ && wanted_ && wanted_()) channel_.Signal();
            });
        }
    }

    void Stop() override {
        stopped_ = true;
        asleep_ = false;
        timer_.stop();
    }
    std::uint32_t PeriodMs() const override { return periodMs_; }

    void Sleep(std::function<bool()> wanted) override {
        if (stopped_ || !notifier_) return;
        wanted_ = std::move(wanted);
        asleep_ = true;
        timer_.stop();
    }

    void Wake() override { channel_.Signal(); }
    void Hurry() override {
        hurried_.store(true);
        channel_.Signal();
    }

private:
    void Fire() {
        const FunctionScope inside;
        func_(*this);
    }

    // A signal that finds the timer awake is dropped: the timer was not asleep
    // when the loop looked, so it ran after the signal was given.
    void Resume() {
        if (stopped_ || !asleep_) return;
        asleep_ = false;
        hurried_.store(false);
        timer_.start(static_cast<int>(periodMs_));
        Fire();
    }

    QTimer timer_;
    Function func_;
    std::uint32_t periodMs_;
    bool stopped_ = false;
    bool asleep_ = false;
    // Set by Hurry on any thread, taken by the loop when the channel fires.
    std::atomic<bool> hurried_{false};
    std::function<bool()> wanted_;
    WakeChannel channel_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace

void InstallQtTimerFactory() {
    Timer::SetFactory([](Timer::Function func, std::uint32_t periodMs) -> std::unique_ptr<Timer> {
        return std::make_unique<QtTimer>(std::move(func), periodMs);
    });
}

} // namespace tolvane
