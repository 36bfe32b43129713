// The simulator program's JACK plumbing that needs no server: the framed ring
// between the process callback and the main loop, and the joining of events
// into the messages the pedal model takes.

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "sim/program/EventJoiner.h"
#include "sim/program/MessageRing.h"

namespace tolvane::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Pattern(std::size_t size, std::uint8_t seed) {
    Bytes m(size);
    for (std::size_t i = 0; i < size; ++i)
        m[i] = static_cast<std::uint8_t>(seed + i);
    return m;
}

template <std::size_t N> Bytes PopNext(MessageRing<N>& ring) {
    Bytes m(ring.NextSize());
    if (!m.empty()) ring.Pop(m.data());
    return m;
}

TEST(MessageRing, MessagesComeOutWholeAndInOrderAcrossTheRingsEnd) {
    MessageRing<64> ring; // 63 usable bytes: every few messages wrap
    std::size_t popped = 0;
    for (std::size_t i = 0; i < 200; ++i) {
        const Bytes m = Pattern(1 + i % 29, static_cast<std::uint8_t>(i));
        ASSERT_TRUE(ring.Push(m.data(), m.size())) << i;
        if (i % 2 == 1) { // the consumer runs behind by one message
            const Bytes expected = Pattern(1 + popped % 29, static_cast<std::uint8_t>(popped));
            ASSERT_EQ(PopNext(ring), expected) << popped;
            ++popped;
            ASSERT_EQ(PopNext(ring), Pattern(1 + popped % 29, static_cast<std::uint8_t>(popped)));
            ++popped;
        }
    }
    EXPECT_EQ(ring.NextSize(), 0u);
}

TEST(MessageRing, APushIsAllOrNothing) {
    MessageRing<64> ring;
    EXPECT_EQ(ring.kLargest, 61u);
    const Bytes empty, tooLarge = Pattern(62, 0), first = Pattern(40, 1), second = Pattern(30, 2);
    EXPECT_FALSE(ring.Push(empty.data(), 0));
    EXPECT_FALSE(ring.Push(tooLarge.data(), tooLarge.size()));
    ASSERT_TRUE(ring.Push(first.data(), first.size()));
    // 42 of 63 bytes taken: 32 more do not fit, and nothing of them is left behind.
    EXPECT_FALSE(ring.Push(second.data(), second.size()));
    EXPECT_EQ(ring.NextSize(), 40u);
    EXPECT_EQ(ring.NextSize(), 40u) << "asking again changes nothing";
    ring.Pop(nullptr); // dropped unread
    EXPECT_EQ(ring.NextSize(), 0u);
    ASSERT_TRUE(ring.Push(second.data(), second.size()));
    EXPECT_EQ(PopNext(ring), second);
}

TEST(MessageRing, AProducerAndAConsumerThreadAgreeOnEveryByte) {
    MessageRing<1024> ring;
    constexpr int kMessages = 20000;
    std::thread producer([&] {
        for (int i = 0; i < kMessages; ++i) {
            const Bytes m = Pattern(1 + i % 300, static_cast<std::uint8_t>(i));
            while (!ring.Push(m.data(), m.size()))
                std::this_thread::yield();
        }
    });
    int bad = 0;
    for (int i = 0; i < kMessages;) {
        if (ring.NextSize() == 0) {
            std::this_thread::yield();
            continue;
        }
        bad += PopNext(ring) != Pattern(1 + i % 300, static_cast<std::uint8_t>(i));
        ++i;
    }
    producer.join();
    EXPECT_EQ(bad, 0);
}

struct JoinCase {
    const char* what;
    std::vector<Bytes> events;
    std::vector<Bytes> messages;
};

TEST(EventJoiner, TurnsEventsIntoThePedalsMessages) {
    const Bytes knob{0xF0, 0x00, 0x51, 0x05, 0x5A, 0xF7};
    const JoinCase cases[] = {
        {"a whole SysEx", {knob}, {knob}},
        {"a SysEx in three pieces", {{0xF0, 0x00}, {0x51, 0x05}, {0x5A, 0xF7}}, {knob}},
        {"the end alone as the last piece", {{0xF0, 0x00, 0x51, 0x05, 0x5A}, {0xF7}}, {knob}},
        {"clock, time code and sensing are dropped, also between pieces",
         {{0xF8}, {0xF0, 0x00, 0x51}, {0xFE}, {0xF1, 0x20}, {0x05, 0x5A, 0xF7}},
         {knob}},
        {"another status ends an unfinished SysEx",
         {{0xF0, 0x00, 0x51}, {0x90, 0x40, 0x7F}},
         {{0x90, 0x40, 0x7F}}},
        {"a new SysEx replaces an unfinished one", {{0xF0, 0x00, 0x51}, knob}, {knob}},
    };
    for (const JoinCase& c : cases) {
        EventJoiner joiner;
        std::vector<Bytes> out;
        for (const Bytes& e : c.events)
            joiner.Add(e, out);
        EXPECT_EQ(out, c.messages) << c.what;
    }
}

} // namespace
} // namespace tolvane::sim
