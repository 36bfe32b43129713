// Block checksum, stream checksum and the reading of received fields.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "device/SysexBuilders.h"
#include "device/SysexChecksum.h"
#include "device/SysexViews.h"

namespace tolvane::sysex {
namespace {

std::array<std::uint8_t, kBlockDataSize> Filled(std::uint8_t value) {
    std::array<std::uint8_t, kBlockDataSize> data;
    data.fill(value);
    return data;
}

TEST(BlockChecksum, GoldenValues) {
    const struct {
        std::uint8_t fill;
        std::uint8_t high, low;
    } cases[] = {
        {0x00, 0x00, 0x00}, // S = 0
        {0x01, 0x02, 0x00}, // S = 256 = 2 × 128
        {0x7F, 0x7E, 0x00}, // S = 32512 = 0x7F00: bit 14 dropped, 0x3F00 -> 7E 00
    };
    for (const auto& c : cases) {
        const auto block = BuildPresetDump(5, Filled(c.fill));
        EXPECT_EQ(block[264], c.high) << int(c.fill);
        EXPECT_EQ(block[265], c.low) << int(c.fill);
        EXPECT_TRUE(BlockChecksumValid(block));
    }
}

TEST(BlockChecksum, IndexAndHeaderAreNotCovered) {
    auto data = Filled(0x00);
    data[0] = 0x05;
    data[255] = 0x7B; // S = 0x80 -> 01 00
    const auto a = BuildPresetDump(0, data);
    const auto b = BuildSettingsBlock(12, 15, data);
    EXPECT_EQ(a[264], 0x01);
    EXPECT_EQ(a[265], 0x00);
    EXPECT_EQ(b[264], a[264]);
    EXPECT_EQ(b[265], a[265]);
}

TEST(BlockChecksum, DetectsDamage) {
    auto data = Filled(0x00);
    data[10] = 0x03; // S = 0x83 -> 01 03: the two bytes differ
    const auto good = BuildPresetDump(1, data);
    ASSERT_TRUE(BlockChecksumValid(good));

    auto swapped = good;
    std::swap(swapped[264], swapped[265]);
    EXPECT_FALSE(BlockChecksumValid(swapped));

    auto flipped = good;
    flipped[8 + 200] = 0x01;
    EXPECT_FALSE(BlockChecksumValid(flipped));
    EXPECT_FALSE(SysexBlockView(flipped).ChecksumValid());
}

TEST(StreamChecksum, RunsAcrossMessagesModulo16384) {
    const std::vector<std::uint8_t> part1(200, 0x7F); // 25400
    const std::vector<std::uint8_t> part2(3, 0x01);   // 25403 & 0x3FFF = 9019
    StreamChecksum sum;
    sum.Add(part1);
    sum.Add(part2);
    EXPECT_EQ(sum.Value(), 9019);
    EXPECT_EQ(sum.Bytes(), (SevenBitPair{0x46, 0x3B})); // 9019 = 70 × 128 + 59
    std::vector<std::uint8_t> whole = part1;
    whole.insert(whole.end(), part2.begin(), part2.end());
    EXPECT_EQ(StreamChecksumOf(whole), 9019);
}

TEST(SevenBitFields, SplitAndJoin) {
    EXPECT_EQ(Split14(300), (SevenBitPair{0x02, 0x2C}));
    EXPECT_EQ(Split14(16383), (SevenBitPair{0x7F, 0x7F}));
    EXPECT_EQ(Split14(16384), (SevenBitPair{0x00, 0x00}));
    EXPECT_EQ(Join14(0x02, 0x2C), 300);
    EXPECT_EQ(Join21(0x00, 0x15, 0x61), 2785u);
    EXPECT_EQ(Join21(0x03, 0x7F, 0x7F), 65535u);
}

TEST(ReadName, TrimsTrailingBlanks) {
    const struct {
        const char* raw; // exactly 32 characters unless a NUL cuts it
        const char* text;
    } cases[] = {
        {"BRIT 2x12                       ", "BRIT 2x12"},
        {"  CENTERED  NAME                ", "  CENTERED  NAME"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ012345", "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345"},
        {"                                ", " "}, // the first character is never cut
        {"AB\0                             ", "AB"},
    };
    for (const auto& c : cases) {
        std::array<std::uint8_t, kNameChars> chars{};
        std::copy_n(c.raw, kNameChars, chars.begin());
        EXPECT_EQ(ReadName(chars), c.text);
    }
}

TEST(SysexBlockView, NamesFieldsOfAnIrNameBlock) {
    std::array<std::uint8_t, kBlockDataSize> names;
    names.fill(' ');
    const std::string third = "GREEN 4x12";
    std::copy(third.begin(), third.end(), names.begin() + 2 * kNameChars);
    const auto block = BuildIrNameBlock(5, names);
    const SysexBlockView view(block);
    EXPECT_EQ(view.Command(), command::kIrNameBlock);
    EXPECT_EQ(view.Byte6(), 0x0A);
    EXPECT_EQ(view.Index(), 5);
    EXPECT_EQ(ReadName(view.NameAt(2)), third);
    EXPECT_EQ(ReadName(view.NameAt(1)), " ");
    EXPECT_EQ(view.CarriedChecksum(), BlockChecksum(view.Data()));
}

TEST(ReadStreamMessage, AcceptsOnlyItsShapesLength) {
    const std::vector<std::uint8_t> packed(256, 0x11);
    const auto start = BuildStreamStart(kTargetApplication, command::kIrStreamStart, 384, 2785, packed);
    const auto data = BuildStreamData(kTargetApplication, command::kIrStreamData, packed);
    const auto end =
        BuildStreamEnd(kTargetApplication, command::kIrStreamEnd, std::span(packed).first(225), 0x1234);

    const auto s = ReadStreamMessage(start, StreamPart::Start);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->item, 384);
    EXPECT_EQ(s->packedLength, 2785u);
    EXPECT_EQ(s->packed.data(), start.data() + 12);
    EXPECT_EQ(s->packed.size(), 256u);

    const auto d = ReadStreamMessage(data, StreamPart::Data);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->packed.data(), data.data() + 7);
    EXPECT_EQ(d->packed.size(), 256u);

    const auto e = ReadStreamMessage(end.Span(), StreamPart::End);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->packed.size(), 225u);
    EXPECT_EQ(e->checksum, 0x1234);

    EXPECT_FALSE(ReadStreamMessage(data, StreamPart::Start));
    EXPECT_FALSE(ReadStreamMessage(start, StreamPart::Data));
    EXPECT_FALSE(ReadStreamMessage(start, StreamPart::End));                          // 269 > 266
    EXPECT_FALSE(ReadStreamMessage(std::span(end.bytes).first(10), StreamPart::End)); // no packed byte
}

} // namespace
} // namespace tolvane::sysex
