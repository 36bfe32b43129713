// The internal clock that runs the block step when there is no JACK client
// (MIDI then comes through the ALSA sequencer, which these machines lack; the
// plug-in's input ring stands in for it): its pace follows settings.ini's
// buffer and rate, values no sound card offers fall back to the defaults,
// input reaches the receive entry within a period or two, and it stops at once.

#include "HostTestSupport.h"
#include "host/InternalClock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

namespace tolvane {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class CountingPlugin : public test::RecordingPlugin {
public:
    void ProcessBlock(float* const* inputs, float* const* outputs, int nFrames) override {
        blocks.fetch_add(1);
        frames.fetch_add(nFrames);
        test::RecordingPlugin::ProcessBlock(inputs, outputs, nFrames);
    }
    std::atomic<long> blocks{0};
    std::atomic<long> frames{0};
};

TEST(InternalClock, RunsAtThePaceOfTheStoredBufferAndRate) {
    const struct {
        unsigned buffer, rate, expectedBuffer, expectedRate;
    } cases[] = {
        {512, 44100, 512, 44100},
        {256, 48000, 256, 48000},
        {0, 0, 512, 44100},           // a file that says nothing usable
        {5, 4000000000u, 512, 44100}, // nor a card could offer
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.buffer) + " / " + std::to_string(c.rate));
        CountingPlugin plugin;
        InternalClock clock(plugin);
        clock.Start(c.buffer, c.rate);
        EXPECT_EQ(clock.BufferFrames(), c.expectedBuffer);
        EXPECT_EQ(clock.SampleRate(), c.expectedRate);
        EXPECT_EQ(plugin.SampleRate(), c.expectedRate);
        const auto start = Clock::now();
        std::this_thread::sleep_for(400ms);
        const long frames = plugin.frames.load();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        clock.Stop();
        // Frames the block step saw against the frames that passed.
        const double ratio = frames / (seconds * c.expectedRate);
        EXPECT_GT(ratio, 0.8);
        EXPECT_LT(ratio, 1.2);
        EXPECT_EQ(plugin.blocks.load() * kProcessBlockFrames, plugin.frames.load());
    }
}

TEST(InternalClock, InputReachesTheReceiveEntryWithinTwoPeriodsAndStopEndsIt) {
    CountingPlugin plugin;
    InternalClock clock(plugin);
    clock.Start(512, 44100);
    const std::uint8_t reply[] = {0xF0, 0x00, 0x51, 0x21, 0x02, 0x10, 0x00, 0xF7};
    const auto sent = Clock::now();
    ASSERT_EQ(plugin.AcceptMidiInput(reply, sizeof reply), MidiInputResult::Queued);
    ASSERT_TRUE(test::WaitFor([&] { return !plugin.Received().empty(); }, 1000ms));
    EXPECT_LT(Clock::now() - sent, 2 * clock.Period() + 10ms);

    const auto stopping = Clock::now();
    clock.Stop();
    EXPECT_LT(Clock::now() - stopping, 100ms);
    EXPECT_FALSE(clock.IsRunning());
    const long after = plugin.blocks.load();
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(plugin.blocks.load(), after);
}

} // namespace
} // namespace tolvane
