// The lock-free rings, and the MIDI input rules and block step of the plug-in
// that the MIDI and audio callbacks drive.

#include "core/AppPlugin.h"
#include "core/RingBuffer.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

namespace tolvane {
namespace {

TEST(RingBuffer, HoldsOneLessThanItsEntriesAndNeverOverwrites) {
    RingBuffer<int, 5> ring;
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(ring.Push(i));
    EXPECT_FALSE(ring.Push(99));
    EXPECT_EQ(ring.Size(), 4u);
    int v = -1;
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(ring.Pop(v));
        EXPECT_EQ(v, i); // the oldest entry survived the failed push
    }
    EXPECT_FALSE(ring.Pop(v));
    // Wrapping around keeps the order.
    for (int round = 0; round < 3; ++round) {
        EXPECT_TRUE(ring.Push(round));
        ASSERT_TRUE(ring.Pop(v));
        EXPECT_EQ(v, round);
    }
}

TEST(RingBuffer, OneProducerOneConsumerKeepOrderAcrossThreads) {
    RingBuffer<std::uint32_t, 33> ring;
    constexpr std::uint32_t kCount = 200000;
    std::thread producer([&] {
        for (std::uint32_t i = 0; i < kCount;)
            if (ring.Push(i)) ++i;
    });
    std::uint32_t expected = 0, v = 0;
    bool inOrder = true;
    while (expected < kCount)
        if (ring.Pop(v)) inOrder = inOrder && (v == expected++);
    producer.join();
    EXPECT_TRUE(inOrder);
    EXPECT_TRUE(ring.Empty());
}

TEST(SharedProducerRing, TwoProducersLoseNothingAndKeepTheirOwnOrder) {
    SharedProducerRing<ParamChange, 513> ring;
    constexpr int kEach = 50000;
    auto produce = [&](int index) {
        for (int i = 0; i < kEach;)
            if (ring.Push(ParamChange{index, static_cast<double>(i)})) ++i;
    };
    std::thread a(produce, 0), b(produce, 1);
    int next[2] = {0, 0};
    bool inOrder = true;
    ParamChange c;
    while (next[0] < kEach || next[1] < kEach)
        if (ring.Pop(c)) inOrder = inOrder && (c.value == next[c.index]++);
    a.join();
    b.join();
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(next[0], kEach);
    EXPECT_EQ(next[1], kEach);
}

// Records what the block step hands to the receive entries.
class RecordingPlugin : public AppPlugin {
public:
    void ProcessMidiMsg(const MidiShortMessage& msg) override { shorts.push_back(msg); }
    void ProcessSysEx(const SysExMessage& msg) override {
        sysex.emplace_back(msg.data, msg.data + msg.size);
        offsets.push_back(msg.offset);
    }
    void ProcessBlock(float* const* inputs, float* const* outputs, int nFrames) override {
        blockFrames.push_back(nFrames);
        AppPlugin::ProcessBlock(inputs, outputs, nFrames);
    }
    std::vector<MidiShortMessage> shorts;
    std::vector<std::vector<std::uint8_t>> sysex;
    std::vector<int> offsets;
    std::vector<int> blockFrames;
};

std::vector<std::uint8_t> SysExOfLength(std::size_t n, std::uint8_t fill = 0x11) {
    std::vector<std::uint8_t> m(n, fill);
    m.front() = 0xF0;
    m.back() = 0xF7;
    return m;
}

TEST(MidiInput, SortsMessagesBySize) {
    struct Case {
        std::vector<std::uint8_t> bytes;
        MidiInputResult result;
        int shorts;
        int sysex;
    };
    const Case cases[] = {
        {{}, MidiInputResult::Dropped, 0, 0},
        {{0xFE}, MidiInputResult::Queued, 1, 0},             // active sensing: one byte
        {{0xC0, 0x05}, MidiInputResult::Queued, 1, 0},       // program change
        {{0xF0, 0x7E, 0xF7}, MidiInputResult::Queued, 1, 0}, // three bytes: a short message, not SysEx
        {{0xF0, 0x00, 0x51, 0xF7}, MidiInputResult::Queued, 0, 1},
        {SysExOfLength(512), MidiInputResult::Queued, 0, 1},
        {SysExOfLength(513), MidiInputResult::Dropped, 0, 0},
    };
    for (const Case& c : cases) {
        RecordingPlugin plugin;
        EXPECT_EQ(plugin.AcceptMidiInput(c.bytes.data(), c.bytes.size()), c.result) << c.bytes.size();
        plugin.BlockStep(nullptr, kProcessBlockFrames);
        EXPECT_EQ(static_cast<int>(plugin.shorts.size()), c.shorts) << c.bytes.size();
        ASSERT_EQ(static_cast<int>(plugin.sysex.size()), c.sysex) << c.bytes.size();
        if (c.sysex) {
            EXPECT_EQ(plugin.sysex[0], c.bytes); // whole, F0 to F7
        }
    }
}

TEST(MidiInput, ShortMessageFieldsWithMissingDataAsZero) {
    RecordingPlugin plugin;
    const std::uint8_t threeBytes[] = {0xF0, 0x7E, 0xF7};
    const std::uint8_t oneByte[] = {0xFE};
    plugin.AcceptMidiInput(threeBytes, 3);
    plugin.AcceptMidiInput(oneByte, 1);
    plugin.BlockStep(nullptr, kProcessBlockFrames);
    ASSERT_EQ(plugin.shorts.size(), 2u);
    EXPECT_EQ(plugin.shorts[0], (MidiShortMessage{0, 0xF0, 0x7E, 0xF7}));
    EXPECT_EQ(plugin.shorts[1], (MidiShortMessage{0, 0xFE, 0, 0}));
}

TEST(MidiInput, APeriodsWorstBurstWaitsWhileTheAudioThreadIsLateAndALossIsCounted) {
    RecordingPlugin plugin;
    const std::uint8_t note[] = {0x90, 0x40, 0x7F};
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(plugin.AcceptMidiInput(note, 3), MidiInputResult::Queued) << i;
    EXPECT_EQ(plugin.AcceptMidiInput(note, 3), MidiInputResult::Dropped);
    EXPECT_EQ(plugin.InputOverflows(), 1u);

    // An IR stream's eleven messages, then knob reports until the ring is full.
    const std::size_t usable = kMidiInputSysExEntries - 1;
    ASSERT_GE(usable, kWorstBurstMessages);
    for (std::size_t i = 0; i < usable; ++i) {
        const auto m = SysExOfLength(i < 11 ? 267 : 10, static_cast<std::uint8_t>(i % 128));
        ASSERT_EQ(plugin.AcceptMidiInput(m.data(), m.size()), MidiInputResult::Queued) << i;
    }
    const auto extra = SysExOfLength(10);
    EXPECT_EQ(plugin.AcceptMidiInput(extra.data(), extra.size()), MidiInputResult::Dropped);
    EXPECT_EQ(plugin.InputOverflows(), 2u);

    plugin.BlockStep(nullptr, kProcessBlockFrames);
    EXPECT_EQ(plugin.shorts.size(), 32u);
    ASSERT_EQ(plugin.sysex.size(), usable);
    for (std::size_t i = 0; i < usable; ++i) {
        ASSERT_EQ(plugin.sysex[i].size(), i < 11 ? 267u : 10u) << i;
        EXPECT_EQ(plugin.sysex[i][1], i % 128) << i; // arrival order
    }

    // Drained, the rings take messages again.
    EXPECT_EQ(plugin.AcceptMidiInput(extra.data(), extra.size()), MidiInputResult::Queued);
}

// Shows the loss only while its editor is open.
class LossPlugin : public RecordingPlugin {
public:
    bool ShowInputLoss() override {
        if (!editorOpen) return false;
        ++shown;
        return true;
    }
    bool editorOpen = false;
    int shown = 0;
};

TEST(MidiInput, ALossIsLoggedEachTimeItGrowsAndShownOnceWhenTheEditorCanShowIt) {
    LossPlugin plugin;
    const std::uint8_t note[] = {0x90, 0x40, 0x7F};
    testing::internal::CaptureStderr();
    plugin.CheckInputLosses();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), ""); // nothing lost, nothing said
    for (int i = 0; i < 34; ++i)
        plugin.AcceptMidiInput(note, 3);

    testing::internal::CaptureStderr();
    plugin.CheckInputLosses(); // no editor: logged, shown later
    plugin.CheckInputLosses(); // no new loss: not logged again
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Tolvane: 2 MIDI messages lost in all: the input queue was full\n");
    EXPECT_EQ(plugin.shown, 0);

    plugin.editorOpen = true;
    plugin.CheckInputLosses();
    EXPECT_EQ(plugin.shown, 1);
    plugin.AcceptMidiInput(note, 3);
    testing::internal::CaptureStderr();
    plugin.CheckInputLosses();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("3 MIDI messages lost"), std::string::npos);
    EXPECT_EQ(plugin.shown, 1); // once
}

TEST(ProcessAudio, WritesExactZerosInEverySubBlock) {
    for (int frames : {512, 64, 100, 1}) {
        RecordingPlugin plugin;
        std::vector<float> left(frames, std::nanf("")), right(frames, -1.f);
        float* outputs[] = {left.data(), right.data()};
        plugin.ProcessAudio(outputs, frames);
        for (int i = 0; i < frames; ++i) {
            EXPECT_EQ(std::bit_cast<std::uint32_t>(left[i]), 0u) << frames << " @" << i;
            EXPECT_EQ(std::bit_cast<std::uint32_t>(right[i]), 0u) << frames << " @" << i;
        }
        int sum = 0;
        for (int n : plugin.blockFrames) {
            EXPECT_LE(n, kProcessBlockFrames);
            sum += n;
        }
        EXPECT_EQ(sum, frames);
        EXPECT_EQ(static_cast<int>(plugin.blockFrames.size()), (frames + 63) / 64);
    }
}

TEST(ProcessAudio, ShortMessagesFromTheEditorReachTheProcessorAfterInput) {
    RecordingPlugin plugin;
    const std::uint8_t in[] = {0xB0, 0x07, 0x64};
    plugin.AcceptMidiInput(in, 3);
    EXPECT_TRUE(plugin.EditorSendsMidi(MidiShortMessage{0, 0xC0, 0x03, 0}));
    plugin.BlockStep(nullptr, kProcessBlockFrames);
    ASSERT_EQ(plugin.shorts.size(), 2u);
    EXPECT_EQ(plugin.shorts[0].status, 0xB0);
    EXPECT_EQ(plugin.shorts[1].status, 0xC0);
}

} // namespace
} // namespace tolvane
