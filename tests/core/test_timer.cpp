// The manual clock tests run on, and the two timers of the plug-in.

#include "core/AppPlugin.h"
#include "core/ManualTimer.h"

#include <gtest/gtest.h>

#include <string>
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

} // namespace
} // namespace tolvane
