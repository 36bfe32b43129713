// Backup export and restore against the pedal model: the file an export
// writes, the messages a restore sends and how it is paced, its statuses and
// its end, and a full round trip onto a fresh pedal.

#include "device/LinkTags.h"
#include "test_transfer_rig.h"

#include "device/SysexChecksum.h"
#include "device/TransferTimeouts.h"

#include <gtest/gtest.h>

namespace tolvane::xfertest {
namespace {

constexpr std::size_t kPresetDumps = 128 * 267; // 34,176 bytes
constexpr std::size_t kIrStream = 269 + 9 * 264 + 235;

// Record offsets of parameters 40, 41 (IR Mode of positions 7 and 8) and 53..56.
constexpr std::size_t kModeA = 34 + 40;
constexpr std::size_t kModeB = 34 + 41;
constexpr std::size_t kNumberA = 34 + 53;

sim::PedalState WithoutUserIrs() {
    sim::PedalState state = sim::FactoryState();
    for (auto& preset : state.presets)
        preset[kModeA] = preset[kModeB] = 0;
    return state;
}

// Runs an export to path; returns the bytes written.
Bytes Export(TransferRig& rig, const std::string& path) {
    rig.seam.files.push_back(path);
    rig.backup.ExportAll();
    for (int i = 0; i < 1000 && rig.backup.ExportActive(); ++i)
        rig.Tick();
    return ReadFile(path);
}

// Runs a restore of path to its end (or 2000 ticks).
void Import(TransferRig& rig, const std::string& path) {
    rig.seam.files.push_back(path);
    rig.backup.ImportAll();
    for (int i = 0; i < 2000 && rig.backup.RestoreActive(); ++i)
        rig.Tick();
}

// A preset dump, then an IR stream start and one data message, and no end.
Bytes StreamWithoutEnd() {
    const auto dump = sysex::BuildPresetDump(0, std::array<std::uint8_t, 256>{});
    Bytes file(dump.begin(), dump.end());
    const std::array<std::uint8_t, 256> packed{};
    const auto start =
        sysex::BuildStreamStart(sysex::kTargetApplication, sysex::command::kIrStreamStart, 3, 2785, packed);
    const auto data =
        sysex::BuildStreamData(sysex::kTargetApplication, sysex::command::kIrStreamData, packed);
    file.insert(file.end(), start.begin(), start.end());
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

std::vector<int> Commands(const std::vector<Bytes>& sent) {
    std::vector<int> out;
    for (const auto& m : sent)
        out.push_back(m[5]);
    return out;
}

TEST(BackupExport, APedalWithoutUserIrsGivesOnlyThePresetDumps) {
    TransferRig rig(WithoutUserIrs());
    const Bytes file = Export(rig, rig.folder.File("set.dvb"));
    ASSERT_EQ(file.size(), kPresetDumps);
    const auto summary = SummariseBackup(file);
    ASSERT_TRUE(summary);
    std::vector<int> slots(128);
    for (int i = 0; i < 128; ++i)
        slots[i] = i;
    EXPECT_EQ(summary->presetSlots, slots);
    EXPECT_TRUE(summary->irNumbers.empty());
    EXPECT_EQ(rig.seam.fileQuestions, std::vector<std::string>{"save dvb " + rig.folder.Path().string() +
                                                               "|Dunvale_Presets_and_IRs"});
    EXPECT_EQ(rig.seam.asked, std::vector<std::string>{"Finished successfully!"});
    EXPECT_EQ(rig.seam.texts[53], "100 %");
}

TEST(BackupExport, TheExtensionIsAddedWhenMissing) {
    TransferRig rig(WithoutUserIrs());
    Export(rig, rig.folder.File("set"));
    EXPECT_EQ(std::filesystem::file_size(rig.folder.File("set.dvb")), kPresetDumps);
    EXPECT_FALSE(std::filesystem::exists(rig.folder.File("set")));
    EXPECT_EQ(rig.backup.LastBackupPath(), rig.folder.File("set.dvb"));
}

TEST(BackupExport, EachUsedIrOnceInSlotOrder) {
    sim::PedalState state = sim::FactoryState();
    // Slot 300 is not a user IR a backup carries.
    state.presets[0][kModeA] = 1;
    state.presets[0][kNumberA] = 2;
    state.presets[0][kNumberA + 1] = 300 - 256;
    TransferRig rig(state);
    const Bytes file = Export(rig, rig.folder.File("set.dvb"));
    const auto summary = SummariseBackup(file);
    ASSERT_TRUE(summary);
    // The factory presets use user IRs 0..11, several of them more than once.
    EXPECT_EQ(summary->irNumbers, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_EQ(file.size(), kPresetDumps + 12 * kIrStream);
    EXPECT_EQ(rig.SentWith(sysex::command::kRequestImpulseResponse).size(), 12u);
    // The progress panel named the export's last part.
    EXPECT_EQ(rig.seam.texts[link::kTagProgressCaption], "Exporting Impulse Responses...");
}

TEST(BackupExport, AbandonedWhenTheLinkDrops) {
    TransferRig rig;
    const std::string path = rig.folder.File("set.dvb");
    rig.seam.files.push_back(path);
    rig.backup.ExportAll();
    rig.Ticks(10);
    rig.link.connected = false;
    rig.Tick();
    EXPECT_FALSE(rig.backup.ExportActive());
    EXPECT_FALSE(std::filesystem::exists(path));
    ASSERT_EQ(rig.seam.asked.size(), 1u);
    EXPECT_NE(rig.seam.asked[0].find("no file was written"), std::string::npos);
}

// The pedal goes quiet part-way (unplugged): three seconds after the last
// request the export ends, says how far it got, and writes nothing.
TEST(BackupExport, APedalThatStopsAnsweringEndsItWithoutAFile) {
    TransferRig rig;
    const std::string path = rig.folder.File("set.dvb");
    rig.seam.files.push_back(path);
    rig.backup.ExportAll();
    rig.Ticks(30);
    rig.pedal.GetFaults().unplugged = true;
    rig.Ticks(29);
    EXPECT_TRUE(rig.backup.ExportActive());
    rig.Ticks(2);
    EXPECT_FALSE(rig.backup.ExportActive());
    EXPECT_FALSE(std::filesystem::exists(path));
    ASSERT_EQ(rig.seam.asked.size(), 1u);
    EXPECT_EQ(rig.seam.asked[0],
              "Export All stopped: the pedal did not answer.\n30 of 128 presets were received; "
              "no file was written.");
}

// What the export takes in is bounded: an IR stream that does not end within
// the room of one answer ends the export, and nothing is written.
TEST(BackupExport, AnAnswerLargerThanAnyIrAbandonsTheExport) {
    TransferRig rig;
    const std::string path = rig.folder.File("set.dvb");
    rig.seam.files.push_back(path);
    rig.backup.ExportAll();
    rig.Ticks(128);
    rig.pedal.GetFaults().unplugged = true;
    rig.Tick();
    const auto asked = rig.SentWith(sysex::command::kRequestImpulseResponse);
    ASSERT_EQ(asked.size(), 1u);
    const std::array<std::uint8_t, 256> packed{};
    const auto start = sysex::BuildStreamStart(
        sysex::kTargetApplication, sysex::command::kIrStreamStart,
        sysex::Join14(asked[0][sysex::kOffsetValue1], asked[0][sysex::kOffsetValue2]), 2785, packed);
    const auto data =
        sysex::BuildStreamData(sysex::kTargetApplication, sysex::command::kIrStreamData, packed);
    ASSERT_TRUE(rig.backup.OnExportMessage(start));
    int taken = 0;
    while (taken < 1000 && rig.backup.OnExportMessage(data))
        ++taken;
    // 13 data messages fit beside the start; the 14th is one too many.
    EXPECT_EQ(taken, 14);
    rig.Ticks(3);
    EXPECT_FALSE(rig.backup.ExportActive());
    EXPECT_EQ(rig.seam.asked,
              std::vector<std::string>{"Export All stopped: the pedal sent an answer larger than "
                                       "any IR.\n128 of 128 presets were received; no file was "
                                       "written."});
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(BackupRestore, ARoundTripGivesAnIdenticalPedal) {
    TransferRig source;
    const std::string path = source.folder.File("set.dvb");
    Export(source, path);

    TransferRig target{sim::PedalState{}};
    Import(target, path);
    EXPECT_EQ(target.seam.texts[link::kTagProgressCaption], "Importing Presets...");
    EXPECT_FALSE(target.backup.RestoreActive());
    EXPECT_EQ(target.pedal.State().presets, source.pedal.State().presets);
    for (int n = 0; n < 12; ++n)
        EXPECT_EQ(target.pedal.State().userIrs[n], source.pedal.State().userIrs[n]) << n;

    // Begin, 128 presets, 12 streams of start + 9 data + end, End.
    std::vector<int> expected{0x5A};
    expected.insert(expected.end(), 128, 0x7F);
    for (int n = 0; n < 12; ++n) {
        expected.push_back(0x77);
        expected.insert(expected.end(), 9, 0x78);
        expected.push_back(0x79);
    }
    expected.push_back(0x5B);
    EXPECT_EQ(Commands(target.sent), expected);
    EXPECT_EQ(target.seam.asked,
              (std::vector<std::string>{
                  "This operation will overwrite the current Presets!\nAre you sure to continue?",
                  "Finished successfully!"}));
    EXPECT_EQ(target.pendingMessages, std::vector<std::string>{"<cache cleared>"});
    EXPECT_FALSE(target.link.connected);
    EXPECT_TRUE(target.link.autoConnect);
}

TEST(BackupRestore, RecomputesTheStreamChecksumOfTheEndMessage) {
    TransferRig source;
    const std::string path = source.folder.File("set.dvb");
    Bytes file = Export(source, path);
    // Spoil the stored checksum of the first IR stream's end message.
    const std::size_t end = kPresetDumps + kIrStream - 1;
    ASSERT_EQ(file[end], 0xF7);
    file[end - 1] ^= 0x01;
    WriteFile(path, file);

    TransferRig target{sim::PedalState{}};
    Import(target, path);
    EXPECT_EQ(target.pedal.State().userIrs[0], source.pedal.State().userIrs[0]);
    const auto ends = target.SentWith(sysex::command::kRestoreIrEnd);
    ASSERT_FALSE(ends.empty());
    EXPECT_EQ(ends[0][ends[0].size() - 2], file[end - 1] ^ 0x01);
}

TEST(BackupRestore, WaitsForEachAnswerAndSkipsBytesBetweenMessages) {
    TransferRig source(WithoutUserIrs());
    const Bytes clean = Export(source, source.folder.File("clean.dvb"));
    Bytes noisy{0x00, 0x42};
    for (std::size_t i = 0; i < clean.size(); i += 267) {
        noisy.insert(noisy.end(), clean.begin() + i, clean.begin() + i + 267);
        noisy.insert(noisy.end(), {0x11, 0x22, 0x33});
    }
    const std::string path = source.folder.File("noisy.dvb");
    WriteFile(path, noisy);

    TransferRig target{sim::PedalState{}};
    target.seam.files.push_back(path);
    target.backup.ImportAll();
    target.pedal.GetFaults().dropAnswers = 1; // the answer to the first preset is lost
    target.Ticks(10);
    EXPECT_EQ(Commands(target.sent), (std::vector<int>{0x5A, 0x7F})) << "waits for the lost answer";
    const auto accepted = sysex::BuildApplicationStatus(sysex::status::kBlockAccepted);
    target.inbound.emplace_back(accepted.begin(), accepted.end());
    for (int i = 0; i < 300 && target.backup.RestoreActive(); ++i)
        target.Tick();
    EXPECT_EQ(target.pedal.State().presets, source.pedal.State().presets);
    EXPECT_EQ(target.SentWith(0x7F).size(), 128u);
    for (const auto& m : target.SentWith(0x7F))
        ASSERT_EQ(m.size(), 267u);
}

TEST(BackupRestore, ARejectedBlockEndsIt) {
    TransferRig source(WithoutUserIrs());
    const std::string path = source.folder.File("set.dvb");
    Export(source, path);
    TransferRig target{sim::PedalState{}};
    target.pedal.GetFaults().rejectRestoreMessage = 3;
    Import(target, path);
    EXPECT_FALSE(target.backup.RestoreActive());
    EXPECT_EQ(Commands(target.sent), (std::vector<int>{0x5A, 0x7F, 0x7F, 0x7F}));
    EXPECT_EQ(target.seam.asked.back(), "Communication error!");
    EXPECT_EQ(target.seam.texts[53], "0 %");
    EXPECT_TRUE(target.link.connected);
}

TEST(BackupRestore, AcceptedContinueOnTheLastMessageFinishes) {
    TransferRig rig;
    const std::string path = rig.folder.File("one.dvb");
    const auto dump = sysex::BuildPresetDump(4, std::array<std::uint8_t, 256>{});
    WriteFile(path, Bytes(dump.begin(), dump.end()));
    rig.pedal.GetFaults().unplugged = true;
    rig.seam.files.push_back(path);
    rig.backup.ImportAll();
    rig.Ticks(3);
    const auto cont = sysex::BuildApplicationStatus(sysex::status::kBlockAcceptedContinue);
    rig.inbound.emplace_back(cont.begin(), cont.end());
    rig.Deliver();
    EXPECT_FALSE(rig.backup.RestoreActive());
    EXPECT_EQ(Commands(rig.sent), (std::vector<int>{0x5A, 0x7F, 0x5B}));
    EXPECT_EQ(rig.seam.asked.back(), "Finished successfully!");
}

// One lost status (a dropped answer): the restore does not wait for good.
// It ends with a message, leaves the pedal's bulk mode and has the caches read
// anew, so that the library follows what the pedal now holds.
TEST(BackupRestore, ALostAnswerEndsItAfterThreeSeconds) {
    TransferRig source(WithoutUserIrs());
    const std::string path = source.folder.File("set.dvb");
    Export(source, path);
    TransferRig rig;
    rig.seam.files.push_back(path);
    rig.backup.ImportAll();
    rig.Ticks(50);
    rig.pedal.GetFaults().dropAnswers = 1;
    rig.Ticks(kAnswerTimeoutTicks + 1);
    EXPECT_FALSE(rig.backup.RestoreActive());
    ASSERT_EQ(rig.seam.asked.size(), 2u); // the question, then the outcome
    EXPECT_NE(rig.seam.asked[1].find("Import All stopped: the pedal did not answer."), std::string::npos);
    EXPECT_NE(rig.seam.asked[1].find(" of 128 messages were taken"), std::string::npos);
    EXPECT_EQ(Commands(rig.sent).back(), sysex::command::kEndBulkTransfer);
    EXPECT_EQ(rig.pendingMessages, std::vector<std::string>{"<cache cleared>"});
    EXPECT_FALSE(rig.link.connected);
    EXPECT_TRUE(rig.link.autoConnect);
}

TEST(BackupRestore, FilesThatAreNotRestored) {
    struct Case {
        const char* what;
        Bytes content;
        bool cancel;
        bool message;
    };
    const auto dump = sysex::BuildPresetDump(4, std::array<std::uint8_t, 256>{});
    Bytes cut(dump.begin(), dump.end() - 1);
    Bytes nested(dump.begin(), dump.begin() + 100);
    nested.insert(nested.end(), dump.begin(), dump.end());
    const Case cases[] = {
        {"the user cancels the question", Bytes(dump.begin(), dump.end()), true, false},
        {"above 1 MiB", Bytes(1048577, 0), false, true},
        {"a message without its end", cut, false, true},
        {"a message inside a message", nested, false, true},
        {"no message at all", Bytes(100, 0x11), false, true},
        {"an IR stream without its end", StreamWithoutEnd(), false, true},
    };
    for (const auto& c : cases) {
        TransferRig rig;
        const std::string path = rig.folder.File("bad.dvb");
        WriteFile(path, c.content);
        if (c.cancel) rig.seam.answers.push_back(AskResult::Cancel);
        rig.seam.files.push_back(path);
        rig.backup.ImportAll();
        rig.Ticks(3);
        EXPECT_FALSE(rig.backup.RestoreActive()) << c.what;
        EXPECT_TRUE(rig.sent.empty()) << c.what;
        EXPECT_EQ(rig.seam.fileQuestions.size(), c.cancel ? 0u : 1u) << c.what;
        EXPECT_EQ(rig.seam.asked.size(), c.message ? 2u : 1u) << c.what;
    }
    // A file that cannot be opened is named as such.
    TransferRig rig;
    rig.seam.files.push_back(rig.folder.File("missing.dvb"));
    rig.backup.ImportAll();
    ASSERT_EQ(rig.seam.asked.size(), 2u);
    EXPECT_NE(rig.seam.asked[1].find("cannot be opened"), std::string::npos);
}

} // namespace
} // namespace tolvane::xfertest
