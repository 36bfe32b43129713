// The queue of whole MIDI messages between the senders and the JACK callback:
// messages come out whole and in order across the end of the block, a full
// queue refuses a message without writing part of it, and a producer and a
// consumer on two threads agree on every byte.

#include "core/MidiMessageQueue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

namespace tolvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Message(std::size_t size, std::uint8_t seed) {
    Bytes m(size);
    for (std::size_t i = 0; i < size; ++i)
        m[i] = static_cast<std::uint8_t>(seed + i * 7);
    return m;
}

Bytes Take(MidiMessageQueue& q) {
    Bytes out(q.FrontSize());
    q.CopyFront(out.data());
    q.PopFront();
    return out;
}

TEST(MidiMessageQueue, MessagesComeOutWholeAndInOrderAcrossTheEndOfTheBlock) {
    MidiMessageQueue q(64);
    // Sizes chosen so that headers and bodies straddle the wrap.
    for (int round = 0; round < 40; ++round) {
        const Bytes a = Message(13, static_cast<std::uint8_t>(round)),
                    b = Message(29, static_cast<std::uint8_t>(round + 1));
        ASSERT_TRUE(q.Push(a.data(), a.size()));
        ASSERT_TRUE(q.Push(b.data(), b.size()));
        EXPECT_EQ(Take(q), a);
        EXPECT_EQ(Take(q), b);
    }
    EXPECT_EQ(q.FrontSize(), 0u);
    EXPECT_EQ(q.UsedBytes(), 0u);
}

TEST(MidiMessageQueue, RefusesWhatDoesNotFitAndWritesNothingOfIt) {
    MidiMessageQueue q(64);
    const Bytes big = Message(40, 1), rest = Message(30, 2);
    ASSERT_TRUE(q.Push(big.data(), big.size()));
    EXPECT_FALSE(q.Push(rest.data(), rest.size())); // 42 + 32 > 64
    EXPECT_EQ(q.UsedBytes(), 42u);
    EXPECT_FALSE(q.Push(rest.data(), 0));
    EXPECT_FALSE(q.Push(nullptr, 3));
    EXPECT_EQ(Take(q), big);
    EXPECT_TRUE(q.Push(rest.data(), rest.size()));
    EXPECT_EQ(Take(q), rest);
}

TEST(MidiMessageQueue, AProducerAndAConsumerOnTwoThreadsAgreeOnEveryByte) {
    MidiMessageQueue q(1024);
    constexpr int kMessages = 20000;
    std::thread producer([&] {
        for (int i = 0; i < kMessages; ++i) {
            const Bytes m = Message(3 + i % 300, static_cast<std::uint8_t>(i));
            while (!q.Push(m.data(), m.size()))
                std::this_thread::yield();
        }
    });
    int bad = 0;
    for (int i = 0; i < kMessages;) {
        if (q.FrontSize() == 0) {
            std::this_thread::yield();
            continue;
        }
        if (Take(q) != Message(3 + i % 300, static_cast<std::uint8_t>(i))) ++bad;
        ++i;
    }
    producer.join();
    EXPECT_EQ(bad, 0);
}

} // namespace
} // namespace tolvane
