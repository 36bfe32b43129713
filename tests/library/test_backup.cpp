// The backup's messages: finding them in a file, the IR slots a preset uses,
// the rewriting for a restore with its recomputed stream checksum, and the
// 1 MiB limit of the file.

#include "library/BackupFile.h"

#include "device/SysexBuilders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace tolvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Dump(int slot, int modeA, int numberA, int modeB, int numberB) {
    std::array<std::uint8_t, 256> record{};
    record[74] = static_cast<std::uint8_t>(modeA);
    record[87] = static_cast<std::uint8_t>(numberA >> 7);
    record[88] = static_cast<std::uint8_t>(numberA & 127);
    record[75] = static_cast<std::uint8_t>(modeB);
    record[89] = static_cast<std::uint8_t>(numberB >> 7);
    record[90] = static_cast<std::uint8_t>(numberB & 127);
    const auto m = sysex::BuildPresetDump(static_cast<std::uint8_t>(slot), record);
    return Bytes(m.begin(), m.end());
}

TEST(BackupMessages, IrSlotsAPresetUses) {
    struct Case {
        int modeA, numberA, modeB, numberB;
        std::optional<int> a, b;
    };
    const Case cases[] = {
        {0, 5, 0, 6, {}, {}},
        {1, 5, 0, 6, 5, {}},
        {1, 5, 2, 255, 5, 255},
        {1, 300, 1, 256, {}, {}}, // numbers of 256 and up are not carried
    };
    for (const auto& c : cases) {
        const auto slots = backup::UsedIrSlots(Dump(0, c.modeA, c.numberA, c.modeB, c.numberB));
        EXPECT_EQ(slots[0], c.a) << c.numberA;
        EXPECT_EQ(slots[1], c.b) << c.numberB;
    }
}

TEST(BackupMessages, SplitSkipsBytesBetweenMessages) {
    const auto end = sysex::BuildBulkTransfer(false);
    Bytes content{0x00, 0x7F};
    const Bytes dump = Dump(3, 0, 0, 0, 0);
    content.insert(content.end(), dump.begin(), dump.end());
    content.insert(content.end(), {0x12, 0x34});
    content.insert(content.end(), end.begin(), end.end());
    const auto messages = backup::SplitMessages(content);
    ASSERT_TRUE(messages);
    ASSERT_EQ(messages->size(), 2u);
    EXPECT_EQ((*messages)[0].offset, 2u);
    EXPECT_EQ((*messages)[0].length, 267u);
    EXPECT_EQ((*messages)[1].offset, 2u + 267u + 2u);
    EXPECT_EQ((*messages)[1].length, 8u);
}

TEST(BackupMessages, SplitRefusesDamagedContent) {
    const Bytes dump = Dump(3, 0, 0, 0, 0);
    struct Case {
        const char* what;
        Bytes content;
    };
    Bytes nested(dump.begin(), dump.begin() + 50);
    nested.insert(nested.end(), dump.begin(), dump.end());
    Bytes shortDump(dump.begin(), dump.begin() + 200);
    shortDump.push_back(0xF7);
    // Replayed, a byte of 0x80 or more would end the message on the wire.
    Bytes highByte = dump;
    highByte[100] = 0xFF;
    const Case cases[] = {
        {"empty", {}},
        {"no message", {0x01, 0x02}},
        {"cut before its F7", Bytes(dump.begin(), dump.end() - 1)},
        {"a message starting inside another", nested},
        {"a Preset dump of the wrong length", shortDump},
        {"too short to hold a command", {0xF0, 0x00, 0x51, 0xF7}},
        {"a data byte of 0x80 or more", highByte},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(backup::SplitMessages(c.content)) << c.what;
}

TEST(BackupMessages, RewriteForRestore) {
    using namespace sysex;
    Bytes packed(256 + 256 + 3);
    std::fill(packed.begin(), packed.begin() + 256, 1);       // start: sum 256
    std::fill(packed.begin() + 256, packed.begin() + 512, 2); // data: sum 512
    packed[512] = 5, packed[513] = 6, packed[514] = 7;        // end: sum 18
    const std::span<const std::uint8_t> all(packed);
    auto startMsg = BuildStreamStart(kTargetApplication, command::kIrStreamStart, 3, 515, all.first(256));
    auto dataMsg = BuildStreamData(kTargetApplication, command::kIrStreamData, all.subspan(256, 256));
    // The end message as stored carries a checksum of 0: the restore writes its own.
    auto endMsg = BuildStreamEnd(kTargetApplication, command::kIrStreamEnd, all.subspan(512), 0);
    Bytes dump = Dump(9, 0, 0, 0, 0);
    const Bytes dumpBefore = dump;

    std::uint32_t sum = 12345; // whatever an earlier stream left
    backup::RewriteForRestore(dump, sum);
    backup::RewriteForRestore(startMsg, sum);
    backup::RewriteForRestore(dataMsg, sum);
    Bytes end(endMsg.bytes.begin(), endMsg.bytes.begin() + endMsg.length);
    backup::RewriteForRestore(end, sum);

    EXPECT_EQ(dump[5], 0x7F) << "Preset dump becomes Restore preset";
    EXPECT_EQ(Bytes(dump.begin() + 6, dump.end()), Bytes(dumpBefore.begin() + 6, dumpBefore.end()))
        << "its block checksum stays as received";
    EXPECT_EQ(startMsg[5], 0x77);
    EXPECT_EQ(dataMsg[5], 0x78);
    ASSERT_EQ(end.size(), 13u);
    // F0 00 51 21 03 | 79 Restore IR end | 0A | 05 06 07 packed | 06 12 checksum 786 | F7
    EXPECT_EQ(end, (Bytes{0xF0, 0x00, 0x51, 0x21, 0x03, 0x79, 0x0A, 0x05, 0x06, 0x07, 0x06, 0x12, 0xF7}));
}

TEST(BackupFile, OneMebibyteIsTheLimit) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("tolvane_backup_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const auto path = folder / "set.dvb";
    ASSERT_TRUE(WriteBackupFile(path, Bytes(1048576, 0x11)));
    const auto atLimit = ReadBackupFile(path);
    ASSERT_TRUE(atLimit);
    EXPECT_EQ(atLimit->size(), 1048576u);
    std::filesystem::resize_file(path, 1048577);
    EXPECT_FALSE(ReadBackupFile(path));
    EXPECT_FALSE(ReadBackupFile(folder / "missing.dvb"));
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace tolvane
