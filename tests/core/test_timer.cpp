// The manual clock tests run on, and the two timers of the plug-in.

#include "core/AppPlugin.h"
#include "core/ManualTimer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace tolvane {
namespace {

TEST(ManualTimerClock, FiresEachTimerAtItsPeriodInTimeOrder) {
    ManualTimerClock clock;
    std::vector<std::string> log;
    auto fast = Timer::Create([&](Timer&) { log.push_back("20@" + std::to_string(clock.NowMs())); }, 20);
    auto slow = Timer::Create([&](Timer&) { log.push_back("100@" + std::to_string(clock.NowMs())); }, 100);
    clock.Advance(99);
    EXPECT_EQ(log.size(), 4u);
    clock.Advance(101); // to 200 ms
    EXPECT_EQ(log, (std::vector<std::string>{"20@20", "20@40", "20@60", "20@80", "20@100", "100@100",
                                             "20@120", "20@140", "20@160", "20@180", "20@200", "100@200"}));
}

TEST(ManualTimerClock, StoppedOrDestroyedTimersNeverFireAgain) {
    ManualTimerClock clock;
    int a = 0, b = 0, self = 0;
    auto ta = Timer::Create([&](Timer&) { ++a; }, 10);
    auto tb = Timer::Create([&](Timer&) { ++b; }, 10);
    auto once = Timer::Create(
        [&](Timer& t) {
            ++self;
            t.Stop();
        },
        10);
    clock.Advance(30);
    ta->Stop();
    tb.reset();
    clock.Advance(100);
    EXPECT_EQ(a, 3);
    EXPECT_EQ(b, 3);
    EXPECT_EQ(self, 1);
    EXPECT_EQ(clock.ActiveTimers(), 0);
}

// Advance stands for the event loop waiting: a sleeping timer wakes there when
// another thread asked for it or its wanted test holds, fires at once and
// then every period.
TEST(ManualTimerClock, SleepingTimerWakesOnWakeFromAnyThreadOrWhenWanted) {
    ManualTimerClock clock;
    std::vector<std::uint64_t> fired;
    bool wanted = false, sleepAfterFiring = true;
    auto timer = Timer::Create(
        [&](Timer& t) {
            fired.push_back(clock.NowMs());
            if (sleepAfterFiring) t.Sleep([&] { return wanted; });
        },
        20);
    clock.Advance(100);
    EXPECT_EQ(fired, (std::vector<std::uint64_t>{20}));

    std::thread([&] { timer->Wake(); }).join();
    clock.Advance(5);
    EXPECT_EQ(fired, (std::vector<std::uint64_t>{20, 100}));

    wanted = true;
    sleepAfterFiring = false;
    clock.Advance(50);
    EXPECT_EQ(fired, (std::vector<std::uint64_t>{20, 100, 105, 125, 145}));
}

class CountingPlugin : public AppPlugin {
public:
    explicit CountingPlugin(bool withDeviceTimer) {
        if (withDeviceTimer) CreateDeviceTimer();
    }
    void CreateAgain() { CreateDeviceTimer(); }
    void OnIdle() override { ++idle; }
    void OnDeviceTimer() override { ++device; }
    int idle = 0;
    int device = 0;
};

TEST(PluginTimers, FrameworkEvery20MsDeviceEvery100MsUntilStopped) {
    ManualTimerClock clock;
    CountingPlugin plugin(true);
    plugin.CreateAgain(); // process-wide and created once: still one timer
    clock.Advance(1000);
    EXPECT_EQ(plugin.idle, 50);
    EXPECT_EQ(plugin.device, 10);
    plugin.StopTimers();
    clock.Advance(1000);
    EXPECT_EQ(plugin.idle, 50);
    EXPECT_EQ(plugin.device, 10);
}

TEST(PluginTimers, DeviceTimerIsProcessWideAndFreedWithItsPlugin) {
    ManualTimerClock clock;
    auto first = std::make_unique<CountingPlugin>(true);
    CountingPlugin second(true); // the first one holds the device timer
    clock.Advance(100);
    EXPECT_EQ(first->device, 1);
    EXPECT_EQ(second.device, 0);
    first.reset();
    CountingPlugin third(true);
    clock.Advance(100);
    EXPECT_EQ(third.device, 1);
}

// A plug-in whose idle step needs ticks only while told so, with the editor
// open: what reaches the controls and the idle step is logged with the time.
class SleepyPlugin : public AppPlugin, public IEditorControls {
public:
    explicit SleepyPlugin(ManualTimerClock& clock) : clock_(clock) {
        Params().Add()->InitInt("Gain", 0, 0, 127, "");
        AttachEditorControls(this);
    }
    bool IsEditorOpen() const override { return true; }
    void SetParamNormalisedFromDelegate(int index, double) override { Log("param " + std::to_string(index)); }
    void OnIdle() override { Log("idle"); }
    bool IdleNeedsTicks() const override { return needsTicks.load(); }
    // The receive entry sets state only the idle step looks at.
    void ProcessSysEx(const SysExMessage&) override { needsTicks.store(true); }

    std::atomic<bool> needsTicks{false};
    std::vector<std::string> log;

private:
    void Log(const std::string& what) { log.push_back(what + "@" + std::to_string(clock_.NowMs())); }
    ManualTimerClock& clock_;
};

class SleepingFrameworkTimer : public ::testing::Test {
protected:
    SleepingFrameworkTimer() {
        clock.Advance(kFrameworkTimerMs); // one tick finds nothing to do
        EXPECT_TRUE(plugin.FrameworkTimerAsleep());
        clock.Advance(1000);
        plugin.log.clear();
    }
    ManualTimerClock clock;
    SleepyPlugin plugin{clock};
};

TEST_F(SleepingFrameworkTimer, SleepsWhileNothingIsQueuedAndTheIdleStepNeedsNoTicks) {
    EXPECT_TRUE(plugin.log.empty());
    EXPECT_TRUE(plugin.FrameworkTimerAsleep());
}

// What the audio thread queues for the screen while the timer sleeps is shown
// by the next tick, which comes at once; then the timer sleeps again.
TEST_F(SleepingFrameworkTimer, WorkFromTheAudioThreadIsShownWithinOneTick) {
    const std::uint8_t sysex[] = {0xF0, 0x00, 0x51, 0xF7};
    float left[kProcessBlockFrames], right[kProcessBlockFrames];
    float* const outputs[] = {left, right};
    const std::vector<std::pair<const char*, std::function<void()>>> producers = {
        {"a value queued for the controls", [&] { plugin.QueueParamForControls(0, 5.0, false); }},
        {"a short message received",
         [&] {
             const std::uint8_t cc[] = {0xB0, 7, 100};
             plugin.AcceptMidiInput(cc, sizeof cc);
             plugin.ProcessAudio(outputs, kProcessBlockFrames);
         }},
        {"a SysEx message received",
         [&] {
             plugin.AcceptMidiInput(sysex, sizeof sysex);
             plugin.ProcessAudio(outputs, kProcessBlockFrames);
         }},
    };
    for (const auto& [name, produce] : producers) {
        plugin.needsTicks = false;
        clock.Advance(kFrameworkTimerMs);
        ASSERT_TRUE(plugin.FrameworkTimerAsleep()) << name;
        plugin.log.clear();
        const std::uint64_t queuedAt = clock.NowMs();
        std::thread(produce).join();
        clock.Advance(kFrameworkTimerMs);
        const auto firstIdle = std::find_if(plugin.log.begin(), plugin.log.end(),
                                            [](const std::string& e) { return e.rfind("idle@", 0) == 0; });
        ASSERT_NE(firstIdle, plugin.log.end()) << name;
        EXPECT_EQ(*firstIdle, "idle@" + std::to_string(queuedAt)) << name;
    }
}

TEST_F(SleepingFrameworkTimer, TicksEvery20MsWhileTheIdleStepNeedsThemAndInTheSameOrder) {
    plugin.needsTicks = true; // set on the user-interface thread
    plugin.QueueParamForControls(0, 5.0, false);
    const std::uint64_t woke = clock.NowMs();
    clock.Advance(3 * kFrameworkTimerMs);
    plugin.needsTicks = false;
    clock.Advance(5 * kFrameworkTimerMs);
    const auto at = [&](std::uint64_t ticks) { return std::to_string(woke + ticks * kFrameworkTimerMs); };
    EXPECT_EQ(plugin.log, (std::vector<std::string>{"param 0@" + at(0), "idle@" + at(0), "idle@" + at(1),
                                                    "idle@" + at(2), "idle@" + at(3), "idle@" + at(4)}));
}

TEST_F(SleepingFrameworkTimer, AStoppedTimerIsNotWoken) {
    plugin.StopTimers();
    std::thread([&] { plugin.QueueParamForControls(0, 5.0, false); }).join();
    clock.Advance(1000);
    EXPECT_TRUE(plugin.log.empty());
}

} // namespace
} // namespace tolvane
