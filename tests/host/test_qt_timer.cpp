// The event-loop timers sleep and wake: from another thread through the
// kernel's counter, and from the user-interface thread before the loop waits.

#include "core/Timer.h"
#include "toolkit/ModalDialogs.h"
#include "toolkit/QtPlatform.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

namespace tolvane {
namespace {

// Runs the event loop, which waits between events, until done() or for at
// most limitMs; true when done.
bool LoopUntil(const std::function<bool()>& done, int limitMs = 2000) {
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (done()) loop.quit();
    });
    look.start(5);
    QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

// A 20 ms timer that sleeps after every call while asleep is set.
struct SleepyTimer {
    explicit SleepyTimer(std::function<void(Timer&)> before = {}) {
        timer = Timer::Create(
            [this, before](Timer& t) {
                ++calls;
                if (before) before(t);
                if (sleepAfterCall) t.Sleep([this] { return wanted; });
            },
            20);
        EXPECT_TRUE(LoopUntil([this] { return calls >= 1; }));
    }
    // Gives the loop time in which a timer that is not asleep would fire.
    void LetTimePass() {
        LoopUntil([] { return false; }, 150);
    }
    std::unique_ptr<Timer> timer;
    std::atomic<int> calls{0};
    bool sleepAfterCall = true;
    bool wanted = false;
};

TEST(QtTimerSleep, SleepsUntilWokenFromAnotherThreadThenTicksAgain) {
    SleepyTimer t;
    t.LetTimePass();
    EXPECT_EQ(t.calls, 1);
    std::thread([&] { t.timer->Wake(); }).join();
    EXPECT_TRUE(LoopUntil([&] { return t.calls == 2; }));
    t.sleepAfterCall = false;
    std::thread([&] { t.timer->Wake(); }).join();
    EXPECT_TRUE(LoopUntil([&] { return t.calls >= 6; })); // awake: every period again
}

TEST(QtTimerSleep, WakesBeforeTheLoopWaitsWhenWanted) {
    SleepyTimer t;
    t.LetTimePass();
    QTimer::singleShot(0, [&] { t.wanted = true; }); // work made on this thread
    EXPECT_TRUE(LoopUntil([&] { return t.calls >= 2; }));
}

// A Wake made after the decision to sleep and before Sleep itself counts.
TEST(QtTimerSleep, WakeJustBeforeSleepIsKept) {
    int wakes = 1;
    SleepyTimer t([&](Timer& timer) {
        if (wakes-- > 0) std::thread([&] { timer.Wake(); }).join();
    });
    EXPECT_TRUE(LoopUntil([&] { return t.calls == 2; }));
    t.LetTimePass();
    EXPECT_EQ(t.calls, 2);
}

TEST(QtTimerSleep, StoppedTimerIsNotWoken) {
    SleepyTimer t;
    t.timer->Stop();
    t.wanted = true;
    std::thread([&] { t.timer->Wake(); }).join();
    t.LetTimePass();
    EXPECT_EQ(t.calls, 1);
}

// A box that only informs, asked for by a timer's function (the port watch
// saying the pedal's ports went away), opens after the function returned, and
// the timer goes on looking while the box waits for OK.
TEST(QtTimerBoxes, AnInformingBoxAskedInsideATimerOpensAfterItAndTheTimerKeepsTicking) {
    QtPlatform platform;
    int calls = 0;
    bool boxSeen = false;
    bool boxSeenBeforeReturn = true;
    int callsWhileBoxOpen = 0;
    int answerLooks = 0;
    bool asked = false;
    auto timer = Timer::Create(
        [&](Timer&) {
            ++calls;
            if (modal::OpenCount() > 0) ++callsWhileBoxOpen;
            if (asked) return;
            asked = true;
            EXPECT_EQ(platform.AskUser("The pedal's ports went away.", "", AskButtons::Ok), AskResult::Ok);
            boxSeenBeforeReturn = boxSeen;
        },
        20);
    // The box, once open, is answered after the timer has run beside it (or
    // after a second, when the timer stands still under it).
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        boxSeen = true;
        if (callsWhileBoxOpen >= 3 || ++answerLooks > 100) box->accept();
    });
    answer.start(10);
    EXPECT_TRUE(LoopUntil([&] { return asked && callsWhileBoxOpen >= 3 && modal::OpenCount() == 0; }, 5000));
    EXPECT_FALSE(boxSeenBeforeReturn) << "the box ran inside the timer's function";
    timer->Stop();
}

// A question whose answer the caller needs is still asked at once.
TEST(QtTimerBoxes, AQuestionOutsideATimerIsAnsweredBeforeAskUserReturns) {
    QtPlatform platform;
    QTimer::singleShot(50, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->reject();
    });
    EXPECT_EQ(platform.AskUser("Are you sure?", "", AskButtons::OkCancel), AskResult::Cancel);
    EXPECT_FALSE(Timer::InFunction());
}

} // namespace
} // namespace tolvane
