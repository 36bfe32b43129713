// 7-bit packing, the streaming unpacker and the outbound transfer buffer.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <numeric>
#include <vector>

#include "device/SevenBitPacking.h"
#include "device/SysexBuilders.h"
#include "device/SysexChecksum.h"
#include "device/SysexViews.h"
#include "device/TransferBuffer.h"

namespace tolvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Packed(const Bytes& in) {
    Bytes out(PackedLength(in.size()), 0xAA); // filler shows bytes the packer forgot
    EXPECT_EQ(Pack7(in, out), out.size());
    return out;
}

// Deterministic bytes covering every value, standing in for an IR record.
Bytes Pattern(std::size_t n) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>((i * 151 + 7) ^ (i >> 3));
    return b;
}

TEST(SevenBitPacking, GoldenBytes) {
    // 0xFF = 1111 1111: first group 1111111 -> 7F; the last bit 1 padded with six
    // zeros -> 1000000 = 40.
    EXPECT_EQ(Packed({0xFF}), (Bytes{0x7F, 0x40}));
    // Seven zero bytes are 56 bits = eight groups, plus the ninth byte the length
    // formula asks for.
    EXPECT_EQ(Packed(Bytes(7, 0x00)), Bytes(9, 0x00));
    // 0x80 0x01 = 1000 0000 0000 0001: 1000000 -> 40, 0000000 -> 00, 01 + 00000 -> 20.
    EXPECT_EQ(Packed({0x80, 0x01}), (Bytes{0x40, 0x00, 0x20}));
    // Seven 0xFF: eight groups of 1111111, then the extra byte 00.
    EXPECT_EQ(Packed(Bytes(7, 0xFF)), (Bytes{0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x00}));
}

TEST(SevenBitPacking, UnpacksGoldenBytes) {
    const struct {
        Bytes packed;
        Bytes plain;
    } cases[] = {
        {{0x7F, 0x40}, {0xFF}},             // N8 = floor(14 / 8) = 1
        {Bytes(9, 0x00), Bytes(7, 0x00)},   // N8 = floor(63 / 8) = 7
        {{0x40, 0x00, 0x20}, {0x80, 0x01}}, // N8 = floor(21 / 8) = 2
    };
    for (const auto& c : cases) {
        Bytes out(UnpackedLength(c.packed.size()));
        EXPECT_EQ(Unpack7(c.packed, out), c.plain.size());
        EXPECT_EQ(out, c.plain);
    }
}

TEST(SevenBitPacking, Lengths) {
    const struct {
        std::size_t plain, packed;
    } cases[] = {{0, 1},     {1, 2},       {6, 7},         {7, 9},        {8, 10},
                 {256, 293}, {2436, 2785}, {57343, 65535}, {57344, 65537}};
    for (const auto& c : cases) {
        EXPECT_EQ(PackedLength(c.plain), c.packed) << c.plain;
        EXPECT_EQ(UnpackedLength(c.packed), c.plain) << c.packed;
    }
}

TEST(SevenBitPacking, RoundTripsEveryLengthUpTo64) {
    for (std::size_t n = 0; n <= 64; ++n) {
        const Bytes plain = Pattern(n);
        const Bytes packed = Packed(plain);
        for (std::uint8_t b : packed)
            ASSERT_LE(b, 0x7F) << "length " << n;
        Bytes back(UnpackedLength(packed.size()));
        ASSERT_EQ(back.size(), n);
        Unpack7(packed, back);
        EXPECT_EQ(back, plain) << "length " << n;
    }
}

TEST(SevenBitPacking, RefusesTooSmallOutput) {
    const Bytes plain(7, 0x55);
    Bytes out(8, 0xAA); // needs 9
    EXPECT_EQ(Pack7(plain, out), 0u);
    EXPECT_EQ(out, Bytes(8, 0xAA));
}

// An IR record of 2436 bytes sent as a stream the way the pedal and the editor
// do it: start (256 packed), nine data messages (256 each), end (225 + checksum).
// The receiver feeds each message's packed bytes as it arrives, then one zero.
TEST(SevenBitUnpacker, IrRecordMessageByMessage) {
    using namespace sysex;
    const Bytes record = Pattern(2436);
    const Bytes packed = Packed(record);
    ASSERT_EQ(packed.size(), 2785u);

    std::vector<Bytes> wire;
    std::size_t pos = 0;
    const std::span<const std::uint8_t> all(packed);
    const auto start =
        BuildStreamStart(kTargetApplication, command::kIrStreamStart, 300,
                         static_cast<std::uint32_t>(packed.size()), all.subspan(0, kStreamChunk));
    wire.emplace_back(start.begin(), start.end());
    for (pos = kStreamChunk; packed.size() - pos > kStreamChunk; pos += kStreamChunk) {
        const auto data =
            BuildStreamData(kTargetApplication, command::kIrStreamData, all.subspan(pos, kStreamChunk));
        wire.emplace_back(data.begin(), data.end());
    }
    const auto end =
        BuildStreamEnd(kTargetApplication, command::kIrStreamEnd, all.subspan(pos), StreamChecksumOf(packed));
    wire.emplace_back(end.Span().begin(), end.Span().end());
    ASSERT_EQ(wire.size(), 11u);
    EXPECT_EQ(wire.back().size(), 235u);

    Bytes received(4096, 0xEE);
    SevenBitUnpacker unpacker;
    StreamChecksum sum;
    for (std::size_t i = 0; i < wire.size(); ++i) {
        const StreamPart part =
            i == 0 ? StreamPart::Start : (i + 1 == wire.size() ? StreamPart::End : StreamPart::Data);
        const auto view = ReadStreamMessage(wire[i], part);
        ASSERT_TRUE(view) << i;
        if (part == StreamPart::Start) {
            EXPECT_EQ(view->item, 300);
            unpacker.Reset(received, UnpackedLength(view->packedLength));
        }
        unpacker.Feed(view->packed);
        sum.Add(view->packed);
        if (part == StreamPart::End) {
            unpacker.Feed(std::uint8_t{0});
            EXPECT_EQ(view->checksum, sum.Value());
        }
    }
    EXPECT_TRUE(unpacker.Done());
    ASSERT_EQ(unpacker.Produced(), 2436u);
    EXPECT_EQ(Bytes(received.begin(), received.begin() + 2436), record);
    EXPECT_EQ(received[2436], 0xEE) << "wrote past the wanted length";
}

TEST(SevenBitUnpacker, FlushByteCompletesACutShortStream) {
    // 0xFF 0xFF pack to 7F 7F 60; without the last packed byte only one byte
    // (14 bits) is whole. The extra zero supplies the missing bits of the second.
    Bytes out(2, 0);
    SevenBitUnpacker unpacker;
    unpacker.Reset(out, 2);
    unpacker.Feed(Bytes{0x7F, 0x7F});
    EXPECT_EQ(unpacker.Produced(), 1u);
    unpacker.Feed(std::uint8_t{0});
    EXPECT_EQ(unpacker.Produced(), 2u);
    EXPECT_EQ(out, (Bytes{0xFF, 0xFC}));
    unpacker.Feed(std::uint8_t{0x7F}); // nothing more is wanted
    EXPECT_EQ(out, (Bytes{0xFF, 0xFC}));
}

TEST(SevenBitUnpacker, StoresNoMoreThanItsDestination) {
    const Bytes plain = Pattern(40);
    const Bytes packed = Packed(plain);
    Bytes storage(24, 0xEE);
    SevenBitUnpacker unpacker;
    unpacker.Reset(std::span(storage).first(16), UnpackedLength(packed.size()));
    unpacker.Feed(packed);
    EXPECT_EQ(unpacker.Produced(), 40u);
    EXPECT_EQ(unpacker.Stored(), 16u);
    EXPECT_EQ(Bytes(storage.begin(), storage.begin() + 16), Bytes(plain.begin(), plain.begin() + 16));
    EXPECT_EQ(Bytes(storage.begin() + 16, storage.end()), Bytes(8, 0xEE));
}

TEST(TransferBuffer, FillsFieldsAndChecksum) {
    auto buffer = std::make_unique<TransferBuffer>();
    buffer->packed.fill(0x55); // a previous transfer's leftovers
    buffer->position = 17;
    const Bytes record = Pattern(2436);
    ASSERT_TRUE(buffer->Fill(record));
    EXPECT_EQ(buffer->total, 2785);
    EXPECT_EQ(buffer->remaining, 2785);
    EXPECT_EQ(buffer->position, 0);
    const Bytes packed = Packed(record);
    EXPECT_TRUE(std::equal(packed.begin(), packed.end(), buffer->packed.begin()));
    EXPECT_EQ(buffer->packed[2785], 0) << "buffer not cleared first";
    const int sum = std::accumulate(packed.begin(), packed.end(), 0) & 0x3FFF;
    EXPECT_EQ(buffer->checksumHigh, (sum >> 7) & 0x7F);
    EXPECT_EQ(buffer->checksumLow, sum & 0x7F);
}

TEST(TransferBuffer, RefusesDataWhosePackedFormDoesNotFit) {
    auto buffer = std::make_unique<TransferBuffer>();
    ASSERT_TRUE(buffer->Fill(Bytes(57343, 0x11)));
    EXPECT_EQ(buffer->total, 65535);
    EXPECT_FALSE(buffer->Fill(Bytes(57344, 0x11))); // 65537 packed bytes
    EXPECT_EQ(buffer->total, 0);
    EXPECT_EQ(buffer->remaining, 0);
    EXPECT_TRUE(buffer->Peek(240).empty());
}

// A firmware image goes out 240 packed bytes at a time.
TEST(TransferBuffer, PeekAndAdvanceWalkTheStream) {
    const struct {
        std::size_t image;
        std::vector<std::size_t> chunks;
    } cases[] = {
        {419, {240, 239}},    // 479 packed
        {420, {240, 240, 1}}, // 481 packed
    };
    for (const auto& c : cases) {
        auto buffer = std::make_unique<TransferBuffer>();
        ASSERT_TRUE(buffer->Fill(Pattern(c.image)));
        std::vector<std::size_t> chunks;
        while (buffer->remaining > 0) {
            const auto chunk = buffer->Peek(sysex::kBootChunk);
            EXPECT_EQ(chunk.data(), buffer->packed.data() + buffer->position);
            chunks.push_back(chunk.size());
            buffer->Advance(chunk.size());
        }
        EXPECT_EQ(chunks, c.chunks) << c.image;
        EXPECT_EQ(buffer->position, buffer->total);
    }
}

} // namespace
} // namespace tolvane
