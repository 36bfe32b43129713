// Stopping the audio clock when its stream is no longer run: quitting must
// not hang. The sound server's side is a private JACK server; the stream
// stops being run because the audio thread is held inside the callback, so
// no callback completes any more, as when the server has stopped running the
// client. The stream's own stop waits for a callback that never completes.

#include "HostTestSupport.h"
#include "host/AudioClock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>

namespace tolvane {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Counts the blocks the audio callback runs. Once held, the next block keeps
// the audio thread until released (or until a deadline, so that a failing
// test still ends).
class HoldingPlugin : public test::RecordingPlugin {
public:
    void ProcessBlock(float* const* inputs, float* const* outputs, int nFrames) override {
        ++blocks;
        const auto deadline = Clock::now() + 30s;
        while (held.load() && Clock::now() < deadline)
            std::this_thread::sleep_for(5ms);
        test::RecordingPlugin::ProcessBlock(inputs, outputs, nFrames);
    }
    std::atomic<long> blocks{0};
    std::atomic<bool> held{false};
};

TEST(AudioClockStop, ReturnsAfterItsWaitWhenNoCallbackCompletesAnyMore) {
    test::JackServer jack(512, test::JackServer::Mode::Asynchronous);
    ASSERT_TRUE(jack.Ok()) << jack.Error();
    HoldingPlugin plugin;
    AudioClock clock(plugin);
    SoundSystems present;
    present.jack = true;
    ASSERT_TRUE(clock.CreateApi(kDriverJack, present));
    clock.ProbeDevices();
    ASSERT_FALSE(clock.Devices().outputs.empty());
    ASSERT_TRUE(clock.Start(static_cast<int>(clock.Devices().outputs.front()), 44100, 512));
    ASSERT_TRUE(test::WaitFor([&] { return plugin.blocks > 50; })) << "the stream never ran";

    plugin.held = true;
    const long heldAt = plugin.blocks;
    ASSERT_TRUE(test::WaitFor([&] { return plugin.blocks > heldAt; })) << "no callback came to be held";

    const auto start = Clock::now();
    auto stopped = std::async(std::launch::async, [&] {
        clock.Stop();
        return Clock::now() - start;
    });
    // The clock waits about a second for the fade-out; a stop that waits for
    // the stream's callbacks waits for good, until the hold is released.
    const bool returned = stopped.wait_for(8s) == std::future_status::ready;
    plugin.held = false;
    const auto took = stopped.get();

    EXPECT_TRUE(returned) << "Stop waited for a callback that never completes";
    EXPECT_GE(took, 900ms) << "Stop did not give the fade-out its wait";
    EXPECT_FALSE(clock.IsRunning());
}

} // namespace
} // namespace tolvane
