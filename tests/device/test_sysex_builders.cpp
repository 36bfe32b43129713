// Outbound messages: golden bytes of the fixed messages, the layout of every
// shape, and the rule that payload bytes always leave as 7-bit data bytes.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <numeric>
#include <vector>

#include "device/SysexBuilders.h"

namespace tolvane::sysex {
namespace {

using Bytes = std::vector<std::uint8_t>;

template <typename M> Bytes AsBytes(const M& m) {
    return Bytes(m.data(), m.data() + m.size());
}

// F0 00 51 21, target, command: the header every message starts with.
void ExpectHeader(const Bytes& m, std::uint8_t target, std::uint8_t command) {
    ASSERT_GE(m.size(), 7u);
    EXPECT_EQ(m[0], 0xF0);
    EXPECT_EQ(m[1], 0x00);
    EXPECT_EQ(m[2], 0x51);
    EXPECT_EQ(m[3], 0x21);
    EXPECT_EQ(m[4], target);
    EXPECT_EQ(m[5], command);
    EXPECT_EQ(m.back(), 0xF7);
}

TEST(SysexBuilders, GoldenShortMessages) {
    const struct {
        const char* what;
        Bytes built;
        Bytes golden;
    } cases[] = {
        // F0 | 00 51 21 | 03 app | 50 set parameter | 0A | 01 Gain | 46 = 70 | F7
        {"set parameter Gain 70",
         AsBytes(BuildSetParameter(1, 70)),
         {0xF0, 0x00, 0x51, 0x21, 0x03, 0x50, 0x0A, 0x01, 0x46, 0xF7}},
        // F0 | 00 51 21 | 03 | 55 request settings block | 0A | 0F type 15 | F7
        {"request identification",
         AsBytes(BuildRequestSettingsBlock(settings::kIdentification)),
         {0xF0, 0x00, 0x51, 0x21, 0x03, 0x55, 0x0A, 0x0F, 0xF7}},
        // F0 | 00 51 21 | 03 | 40 request preset | 0A | 7F slot 127 | F7
        {"request preset",
         AsBytes(BuildRequestPreset(127)),
         {0xF0, 0x00, 0x51, 0x21, 0x03, 0x40, 0x0A, 0x7F, 0xF7}},
        // F0 | 00 51 21 | 03 | 23 select preset | 0A | 05 | F7
        {"select preset",
         AsBytes(BuildSelectPreset(5)),
         {0xF0, 0x00, 0x51, 0x21, 0x03, 0x23, 0x0A, 0x05, 0xF7}},
        // F0 | 00 51 21 | 03 | 56 factory reset | 0A | 00 everything | F7
        {"factory reset",
         AsBytes(BuildFactoryReset(reset::kEverything)),
         {0xF0, 0x00, 0x51, 0x21, 0x03, 0x56, 0x0A, 0x00, 0xF7}},
        // F0 | 00 51 21 | 03 | 5A begin bulk | 0A | F7
        {"begin bulk", AsBytes(BuildBulkTransfer(true)), {0xF0, 0x00, 0x51, 0x21, 0x03, 0x5A, 0x0A, 0xF7}},
        // F0 | 00 51 21 | 03 | 5B end bulk | 0A | F7
        {"end bulk", AsBytes(BuildBulkTransfer(false)), {0xF0, 0x00, 0x51, 0x21, 0x03, 0x5B, 0x0A, 0xF7}},
        // F0 | 00 51 21 | 03 | 5F editor closing | 0A | F7
        {"editor closing", AsBytes(BuildEditorClosing()), {0xF0, 0x00, 0x51, 0x21, 0x03, 0x5F, 0x0A, 0xF7}},
        // F0 | 00 51 21 | 03 | 69 request IR | 0A | 03 = 389 >> 7 | 05 = 389 & 7F | F7
        {"request IR 389",
         AsBytes(BuildRequestImpulseResponse(389)),
         {0xF0, 0x00, 0x51, 0x21, 0x03, 0x69, 0x0A, 0x03, 0x05, 0xF7}},
        // F0 | 00 51 21 | 03 | 6A request IR name block | 0A | 1F | F7
        {"request IR name block",
         AsBytes(BuildRequestIrNameBlock(31)),
         {0xF0, 0x00, 0x51, 0x21, 0x03, 0x6A, 0x0A, 0x1F, 0xF7}},
        // F0 | 00 51 21 | 02 boot loader | 10 enter firmware update | F7
        {"enter firmware update",
         AsBytes(BuildEnterFirmwareUpdate()),
         {0xF0, 0x00, 0x51, 0x21, 0x02, 0x10, 0xF7}},
        // F0 | 00 51 21 | 03 | 62 error | F7
        {"status error",
         AsBytes(BuildApplicationStatus(status::kError)),
         {0xF0, 0x00, 0x51, 0x21, 0x03, 0x62, 0xF7}},
        // F0 | 00 51 21 | 02 | 12 boot loader ready | F7
        {"boot loader ready",
         AsBytes(BuildBootLoaderStatus(status::kBootLoaderReady)),
         {0xF0, 0x00, 0x51, 0x21, 0x02, 0x12, 0xF7}},
        // F0 | 00 51 21 | 03 | 51 parameter changed | 0A | 05 Drive | 40 | F7
        {"parameter changed",
         AsBytes(BuildParameterChanged(5, 64)),
         {0xF0, 0x00, 0x51, 0x21, 0x03, 0x51, 0x0A, 0x05, 0x40, 0xF7}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.built, c.golden) << c.what;
}

TEST(SysexBuilders, PayloadBytesAreMaskedToSevenBits) {
    // 0x80 and 0xC5 would be status bytes on the wire; they leave as 00 and 45.
    EXPECT_EQ(AsBytes(BuildSetParameter(0x80, 0xC5)),
              (Bytes{0xF0, 0x00, 0x51, 0x21, 0x03, 0x50, 0x0A, 0x00, 0x45, 0xF7}));
    std::array<std::uint8_t, kBlockDataSize> data{};
    data[0] = 0xFF;
    const auto block = BuildStorePreset(3, data);
    EXPECT_EQ(block[8], 0x7F);
    EXPECT_EQ(block[264], 0x00); // checksum of what was sent: 0x7F -> 00 7F
    EXPECT_EQ(block[265], 0x7F);
}

TEST(SysexBuilders, BlockLayout) {
    std::array<std::uint8_t, kBlockDataSize> record;
    std::iota(record.begin(), record.end(), std::uint8_t{0}); // 0..127, 0..127: S = 2 × 8128 = 16256
    const struct {
        const char* what;
        Bytes built;
        std::uint8_t command, byte6, index;
    } cases[] = {
        {"store preset", AsBytes(BuildStorePreset(9, record)), command::kStorePreset, 0x0A, 9},
        {"preset dump", AsBytes(BuildPresetDump(127, record)), command::kPresetDump, 0x0A, 127},
        {"store settings", AsBytes(BuildStoreSettingsBlock(2, record)), command::kStoreSettingsBlock, 0x0A,
         2},
        {"settings block v1.2", AsBytes(BuildSettingsBlock(12, 15, record)), command::kSettingsBlock, 12, 15},
        {"IR name block", AsBytes(BuildIrNameBlock(4, record)), command::kIrNameBlock, 0x0A, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(c.built.size(), 267u);
        ExpectHeader(c.built, kTargetApplication, c.command);
        EXPECT_EQ(c.built[6], c.byte6);
        EXPECT_EQ(c.built[7], c.index);
        for (std::size_t i = 0; i < kBlockDataSize; ++i)
            ASSERT_EQ(c.built[8 + i], i & 0x7F) << i;
        EXPECT_EQ(c.built[264], 0x7F); // 16256 >> 7 = 127
        EXPECT_EQ(c.built[265], 0x00); // 16256 & 0x7F = 0
    }
}

TEST(SysexBuilders, NameLayout) {
    const Bytes m = AsBytes(BuildNameMessage("ABC"));
    ASSERT_EQ(m.size(), 42u);
    ExpectHeader(m, kTargetApplication, command::kName);
    EXPECT_EQ(m[6], 0x0A);
    EXPECT_EQ(Bytes(m.begin() + 7, m.begin() + 10), (Bytes{'A', 'B', 'C'}));
    EXPECT_EQ(Bytes(m.begin() + 10, m.begin() + 39), Bytes(29, ' '));
    EXPECT_EQ(m[39], 0x00);
    EXPECT_EQ(m[40], 0x00);
    const Bytes cut = AsBytes(BuildNameMessage(std::string(40, 'x')));
    EXPECT_EQ(Bytes(cut.begin() + 7, cut.begin() + 39), Bytes(32, 'x'));
    EXPECT_EQ(cut[39], 0x00);
}

TEST(SysexBuilders, StreamLayout) {
    Bytes packed(256);
    std::iota(packed.begin(), packed.end(), std::uint8_t{0});
    for (auto& b : packed)
        b &= 0x7F;

    const Bytes start =
        AsBytes(BuildStreamStart(kTargetApplication, command::kIrStreamStart, 300, 2785, packed));
    ASSERT_EQ(start.size(), 269u);
    ExpectHeader(start, kTargetApplication, command::kIrStreamStart);
    EXPECT_EQ(start[6], 0x0A);
    EXPECT_EQ(start[7], 0x02);  // 300 >> 7
    EXPECT_EQ(start[8], 0x2C);  // 300 & 7F
    EXPECT_EQ(start[9], 0x00);  // 2785 >> 14
    EXPECT_EQ(start[10], 0x15); // (2785 >> 7) & 7F
    EXPECT_EQ(start[11], 0x61); // 2785 & 7F
    EXPECT_EQ(Bytes(start.begin() + 12, start.begin() + 268), packed);

    const Bytes data = AsBytes(BuildStreamData(kTargetApplication, command::kRestoreIrData, packed));
    ASSERT_EQ(data.size(), 264u);
    ExpectHeader(data, kTargetApplication, command::kRestoreIrData);
    EXPECT_EQ(data[6], 0x0A);
    EXPECT_EQ(Bytes(data.begin() + 7, data.begin() + 263), packed);

    const auto endMessage =
        BuildStreamEnd(kTargetApplication, command::kIrStreamEnd, std::span(packed).first(225), 0x1ABC);
    const Bytes end = AsBytes(endMessage);
    ASSERT_EQ(end.size(), 235u);
    ExpectHeader(end, kTargetApplication, command::kIrStreamEnd);
    EXPECT_EQ(end[6], 0x0A);
    EXPECT_EQ(Bytes(end.begin() + 7, end.begin() + 232), Bytes(packed.begin(), packed.begin() + 225));
    EXPECT_EQ(end[232], 0x35); // 0x1ABC >> 7
    EXPECT_EQ(end[233], 0x3C); // 0x1ABC & 7F

    const Bytes one =
        AsBytes(BuildStreamEnd(kTargetApplication, command::kIrStreamEnd, std::span(packed).first(1), 0));
    EXPECT_EQ(one.size(), 11u);
    const Bytes full = AsBytes(BuildStreamEnd(kTargetApplication, command::kIrStreamEnd, Bytes(300, 1), 0));
    EXPECT_EQ(full.size(), 266u) << "an end chunk is cut at 256 packed bytes";
}

TEST(SysexBuilders, BootLoaderLayout) {
    const Bytes packed(240, 0x2A);

    const Bytes first =
        AsBytes(BuildBootFirstBlock(kTargetBootLoader, command::kFirstFirmwareBlock, 65535, packed));
    ASSERT_EQ(first.size(), 250u);
    ExpectHeader(first, kTargetBootLoader, command::kFirstFirmwareBlock);
    EXPECT_EQ(first[6], 0x03); // 65535 >> 14
    EXPECT_EQ(first[7], 0x7F);
    EXPECT_EQ(first[8], 0x7F);
    EXPECT_EQ(Bytes(first.begin() + 9, first.begin() + 249), packed);

    const Bytes block = AsBytes(BuildBootBlock(kTargetBootLoader, command::kFirmwareBlock, packed));
    ASSERT_EQ(block.size(), 247u);
    ExpectHeader(block, kTargetBootLoader, command::kFirmwareBlock);
    EXPECT_EQ(Bytes(block.begin() + 6, block.begin() + 246), packed);

    const Bytes last = AsBytes(
        BuildBootLastBlock(kTargetBootLoader, command::kFirmwareBlock, std::span(packed).first(239), 0x0081));
    ASSERT_EQ(last.size(), 248u);
    ExpectHeader(last, kTargetBootLoader, command::kFirmwareBlock);
    EXPECT_EQ(Bytes(last.begin() + 6, last.begin() + 245), Bytes(239, 0x2A));
    EXPECT_EQ(last[245], 0x01); // 0x81 >> 7
    EXPECT_EQ(last[246], 0x01); // 0x81 & 7F

    EXPECT_EQ(
        BuildBootLastBlock(kTargetBootLoader, command::kFirmwareBlock, std::span(packed).first(1), 0).size(),
        10u);
}

} // namespace
} // namespace tolvane::sysex
