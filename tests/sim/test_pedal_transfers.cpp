// Round trips through the pedal model (what goes in comes back byte for
// byte), the faults a test can switch on, the boot loader, the state folder
// and the factory content the editor's voicing detection relies on.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <unistd.h>

#include "device/DeviceTables.h"
#include "device/SysexChecksum.h"
#include "sim/model/FactoryContent.h"
#include "sim/model/StateFiles.h"
#include "tests/sim/SimTestSupport.h"

namespace tolvane::sim {
namespace {

using namespace sysex;
using testing::Bytes;
using testing::FirmwareMessages;
using testing::IrStreamMessages;
using testing::RecordingPedal;

IrData SampleIr(std::uint8_t seed) {
    IrData ir{};
    for (std::size_t i = 0; i < ir.size(); ++i)
        ir[i] = static_cast<std::uint8_t>(i * 31 + seed);
    return ir;
}

// The IR a stream of the pedal carries, unpacked.
IrData UnpackStream(const std::vector<Bytes>& stream) {
    Bytes packed;
    packed.insert(packed.end(), stream.front().begin() + 12, stream.front().begin() + 268);
    for (std::size_t i = 1; i + 1 < stream.size(); ++i)
        packed.insert(packed.end(), stream[i].begin() + 7, stream[i].begin() + 263);
    packed.insert(packed.end(), stream.back().begin() + 7, stream.back().end() - 3);
    IrData ir{};
    EXPECT_EQ(Unpack7(packed, ir), ir.size());
    return ir;
}

// ---- Round trips ---------------------------------------------------------------

TEST(PedalRoundTrip, StoredPresetComesBackByteIdentical) {
    RecordingPedal pedal;
    BlockBytes record{};
    for (std::size_t i = 0; i < record.size(); ++i)
        record[i] = static_cast<std::uint8_t>((i * 7) & 0x7F);
    record[0] = 1;
    pedal.Send(BuildStorePreset(17, record));
    pedal.Send(BuildRequestPreset(17));
    const auto answers = pedal.Take();
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_TRUE(std::equal(record.begin(), record.end(), answers[0].begin() + 8));
    EXPECT_EQ(answers[0][7], 17);
}

TEST(PedalRoundTrip, UploadedIrDownloadsIdentical) {
    RecordingPedal pedal;
    const IrData ir = SampleIr(3);
    const auto upload =
        IrStreamMessages(command::kIrStreamStart, command::kIrStreamData, command::kIrStreamEnd, 200, ir);
    ASSERT_EQ(upload.size(), 11u);
    pedal.Send(upload[0]);
    EXPECT_EQ(pedal.Take(),
              (std::vector<Bytes>{{0xF0, 0x00, 0x51, 0x21, 0x03, 0x63, 0xF7}})); // ready for next
    for (std::size_t i = 1; i + 1 < upload.size(); ++i)
        pedal.Send(upload[i]);
    EXPECT_TRUE(pedal.Take().empty()) << "data messages are not answered";
    pedal.Send(upload.back());
    EXPECT_EQ(pedal.Take(),
              (std::vector<Bytes>{{0xF0, 0x00, 0x51, 0x21, 0x03, 0x61, 0xF7}})); // assignment done

    pedal.Send(BuildRequestImpulseResponse(200));
    EXPECT_EQ(UnpackStream(pedal.Take()), ir);
}

TEST(PedalRoundTrip, BadIrUploadsAreRefusedWithError) {
    const IrData ir = SampleIr(9);
    auto goodStream = [&] {
        return IrStreamMessages(command::kIrStreamStart, command::kIrStreamData, command::kIrStreamEnd, 5,
                                ir);
    };
    struct Case {
        const char* what;
        std::vector<Bytes> stream;
    };
    std::vector<Case> cases;
    {
        auto s = goodStream();
        s.back()[s.back().size() - 2] ^= 0x01; // stream checksum low
        cases.push_back({"wrong checksum", s});
    }
    {
        auto s = goodStream();
        s.erase(s.begin() + 4); // one data message lost
        cases.push_back({"missing data", s});
    }
    {
        auto s = goodStream();
        s[0][11] = 0x62; // announces 2786 packed bytes
        cases.push_back({"wrong announced length", s});
    }
    {
        // The end alone, with no start before it.
        cases.push_back({"no start", {goodStream().back()}});
    }
    for (const Case& c : cases) {
        RecordingPedal pedal;
        const IrData before = pedal.model.State().userIrs[5];
        for (const Bytes& m : c.stream)
            pedal.Send(m);
        const auto answers = pedal.Take();
        ASSERT_FALSE(answers.empty()) << c.what;
        EXPECT_EQ(answers.back(), (Bytes{0xF0, 0x00, 0x51, 0x21, 0x03, 0x62, 0xF7})) << c.what;
        EXPECT_EQ(pedal.model.State().userIrs[5], before) << c.what;
    }
}

// An export as the editor makes it (all dumps, then the streams of the used
// IRs), replayed with the restore commands into a pedal with other content.
TEST(PedalRoundTrip, RestoreOfAnExportGivesTheSameState) {
    RecordingPedal source;
    source.model.MutableState().presets[10][2] = 'Q';
    source.model.MutableState().userIrs[3] = SampleIr(77);
    std::vector<Bytes> exported;
    for (int s = 0; s < kNumPresetSlots; ++s) {
        source.Send(BuildRequestPreset(static_cast<std::uint8_t>(s)));
        for (auto& m : source.Take())
            exported.push_back(m);
    }
    for (int n : {0, 1, 3, 11}) {
        source.Send(BuildRequestImpulseResponse(n));
        for (auto& m : source.Take())
            exported.push_back(m);
    }

    PedalState blank;
    RecordingPedal target(blank);
    target.Send(BuildBulkTransfer(true));
    int accepted = 0;
    for (Bytes m : exported) {
        switch (m[5]) {
        case command::kPresetDump:
            m[5] = command::kRestorePreset;
            break;
        case command::kIrStreamStart:
            m[5] = command::kRestoreIrStart;
            break;
        case command::kIrStreamData:
            m[5] = command::kRestoreIrData;
            break;
        case command::kIrStreamEnd:
            m[5] = command::kRestoreIrEnd;
            break;
        }
        target.Send(m);
        for (const Bytes& a : target.Take()) {
            ASSERT_TRUE(a[5] == status::kBlockAccepted || a[5] == status::kBlockAcceptedAlt) << int(a[5]);
            ++accepted;
        }
    }
    target.Send(BuildBulkTransfer(false));
    EXPECT_EQ(accepted, 128 + 4 * 2); // each preset, each IR start and end
    EXPECT_EQ(target.model.State().presets, source.model.State().presets);
    for (int n : {0, 1, 3, 11})
        EXPECT_EQ(target.model.State().userIrs[n], source.model.State().userIrs[n]) << n;
    EXPECT_EQ(target.model.Log().bulkBegins, 1);
    EXPECT_EQ(target.model.Log().bulkEnds, 1);
}

// ---- Faults ------------------------------------------------------------------------

TEST(PedalFaults, CorruptsTheChecksumOfTheNextBlocksOnly) {
    RecordingPedal pedal;
    pedal.model.GetFaults().corruptBlocks = 2;
    pedal.Send(BuildSetParameter(57, 0)); // a status: not a block, not counted
    for (int s = 0; s < 3; ++s)
        pedal.Send(BuildRequestPreset(static_cast<std::uint8_t>(s)));
    const auto answers = pedal.Take();
    ASSERT_EQ(answers.size(), 4u);
    const auto valid = [](const Bytes& b) {
        return BlockChecksumValid(std::span<const std::uint8_t, kBlockLength>(b.data(), kBlockLength));
    };
    EXPECT_FALSE(valid(answers[1]));
    EXPECT_FALSE(valid(answers[2]));
    EXPECT_TRUE(valid(answers[3]));
}

TEST(PedalFaults, DropsTheNextAnswersButStillActs) {
    RecordingPedal pedal;
    pedal.model.GetFaults().dropAnswers = 1;
    pedal.Send(BuildSelectPreset(8));
    pedal.Send(BuildRequestPreset(9));
    const auto answers = pedal.Take();
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0][7], 9);
    EXPECT_EQ(pedal.model.State().currentPreset, 8);
}

TEST(PedalFaults, RejectsTheChosenRestoreMessage) {
    RecordingPedal pedal;
    pedal.model.GetFaults().rejectRestoreMessage = 2;
    pedal.Send(BuildBulkTransfer(true));
    const BlockBytes record{};
    for (std::uint8_t s = 0; s < 3; ++s)
        pedal.Send(BuildBlock(0x03, command::kRestorePreset, 0x0A, s, record));
    const auto answers = pedal.Take();
    ASSERT_EQ(answers.size(), 3u);
    EXPECT_EQ(answers[0][5], status::kBlockAccepted);
    EXPECT_EQ(answers[1][5], status::kBlockRejected);
    EXPECT_EQ(answers[2][5], status::kBlockAccepted);
    EXPECT_NE(pedal.model.State().presets[1], record) << "a rejected preset is not stored";
}

TEST(PedalFaults, DelayedAnswersLeaveOnlyWhenTimeMovesOn) {
    RecordingPedal pedal;
    pedal.model.GetFaults().answerDelayMs = 300;
    pedal.Send(BuildRequestPreset(1));
    pedal.Send(BuildRequestPreset(2));
    EXPECT_TRUE(pedal.Take().empty());
    pedal.model.Advance(299);
    EXPECT_TRUE(pedal.Take().empty());
    pedal.model.Advance(1);
    const auto answers = pedal.Take();
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0][7], 1);
    EXPECT_EQ(answers[1][7], 2);
}

TEST(PedalFaults, UnpluggedPedalNeitherHearsNorSpeaks) {
    RecordingPedal pedal;
    pedal.model.GetFaults().unplugged = true;
    pedal.Send(BuildSelectPreset(30));
    pedal.model.TurnKnob(1, 5);
    pedal.model.SendError();
    EXPECT_TRUE(pedal.Take().empty());
    EXPECT_EQ(pedal.model.State().currentPreset, 0);
    pedal.model.GetFaults().unplugged = false;
    pedal.Send(BuildRequestSettingsBlock(15));
    EXPECT_EQ(pedal.Take().size(), 1u);
}

// ---- Unprompted messages --------------------------------------------------------------

TEST(PedalUnprompted, KnobPresetAndError) {
    RecordingPedal pedal;
    pedal.model.TurnKnob(kParamGain, 90);
    pedal.model.ChangePreset(12);
    pedal.model.SendError();
    const auto m = pedal.Take();
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(m[0], (Bytes{0xF0, 0x00, 0x51, 0x21, 0x03, 0x51, 0x0A, 0x01, 0x5A, 0xF7})); // Gain = 90
    EXPECT_EQ(m[1].size(), 267u);
    EXPECT_EQ(m[1][5], command::kPresetDump);
    EXPECT_EQ(m[1][7], 12);
    EXPECT_EQ(m[2], (Bytes{0xF0, 0x00, 0x51, 0x21, 0x03, 0x62, 0xF7}));
    EXPECT_EQ(pedal.model.State().currentPreset, 12);
}

// ---- Boot loader ----------------------------------------------------------------------

TEST(PedalBootLoader, ReassemblesImagesOfEveryBlockLayout) {
    // 419 bytes: first block and a last block of 239; 420: a middle block and
    // a last block of 1; 2000: several middle blocks.
    for (std::size_t size : {419u, 420u, 2000u}) {
        Bytes image(size);
        for (std::size_t i = 0; i < size; ++i)
            image[i] = static_cast<std::uint8_t>(i * 13 + 5);
        RecordingPedal pedal;
        pedal.Send(BuildEnterFirmwareUpdate());
        EXPECT_EQ(pedal.Take(), (std::vector<Bytes>{{0xF0, 0x00, 0x51, 0x21, 0x02, 0x12, 0xF7}}));
        for (const Bytes& m : FirmwareMessages(image))
            pedal.Send(m);
        EXPECT_EQ(pedal.Take(), (std::vector<Bytes>{{0xF0, 0x00, 0x51, 0x21, 0x02, 0x14, 0xF7}})) << size;
        EXPECT_EQ(pedal.model.Log().lastFirmwareImage, image) << size;
    }
}

TEST(PedalBootLoader, ReportsFailure) {
    Bytes image(1000, 0x5A);
    struct Case {
        const char* what;
        bool breakChecksum, dropBlock, fault;
    };
    for (const Case c : {Case{"checksum", true, false, false}, Case{"lost block", false, true, false},
                         Case{"fault", false, false, true}}) {
        RecordingPedal pedal;
        pedal.model.GetFaults().failFirmwareUpdate = c.fault;
        pedal.Send(BuildEnterFirmwareUpdate());
        auto messages = FirmwareMessages(image);
        if (c.breakChecksum) messages.back()[messages.back().size() - 2] ^= 0x01;
        if (c.dropBlock) messages.erase(messages.begin() + 1);
        pedal.Take();
        for (const Bytes& m : messages)
            pedal.Send(m);
        EXPECT_EQ(pedal.Take(), (std::vector<Bytes>{{0xF0, 0x00, 0x51, 0x21, 0x02, 0x15, 0xF7}})) << c.what;
        EXPECT_EQ(pedal.model.Log().firmwareUpdates, 0) << c.what;
    }
}

// ---- State folder --------------------------------------------------------------------

TEST(PedalStateFiles, SaveThenLoadGivesTheSameState) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("tolvane-sim-state-" + std::to_string(getpid()));
    std::filesystem::remove_all(folder);
    PedalState state = FactoryState();
    state.currentPreset = 77;
    state.editBuffer[40] = 3;
    state.programMap[9] = 100;
    state.userIrs[250] = SampleIr(1);
    ASSERT_TRUE(SaveState(state, folder));
    const auto loaded = LoadState(folder);
    ASSERT_TRUE(loaded.has_value());
    EXPECT_TRUE(*loaded == state);

    std::filesystem::resize_file(folder / "presets.bin", 100); // damaged: not taken
    EXPECT_FALSE(LoadState(folder).has_value());
    EXPECT_FALSE(LoadState(folder / "missing").has_value());
    std::filesystem::remove_all(folder);
}

// ---- Factory content ------------------------------------------------------------------

TEST(PedalFactoryContent, PresetsMatchVoicingsAndNameTheirIrs) {
    const PedalState s = FactoryState();
    EXPECT_EQ(s, FactoryState()) << "deterministic";
    std::set<std::string> names;
    int usingUserIrs = 0;
    for (int slot = 0; slot < kNumPresetSlots; ++slot) {
        const PresetRecord& r = s.presets[static_cast<std::size_t>(slot)];
        const auto value = [&](int param) { return r[34 + static_cast<std::size_t>(param)]; };
        names.insert(std::string(r.begin() + 2, r.begin() + 34));

        // The columns the editor compares to find the amp and ambience voicing.
        const AmpVoicingRow& amp = AmpVoicingTable[static_cast<std::size_t>(slot % 10)];
        for (int col : {1, 2, 4, 5, 6, 7})
            EXPECT_EQ(value(kAmpVoicingParams[col]), amp[col]) << "slot " << slot << " column " << col;
        const AmbienceVoicingRow& amb = ReverbVoicingTable[static_cast<std::size_t>(slot % 5)];
        for (int col = 0; col < kNumAmbienceVoicingColumns; ++col)
            EXPECT_EQ(value(kAmbienceVoicingParams[col]), amb[col]) << "slot " << slot;

        if (value(kParamIrMode7)) {
            ++usingUserIrs;
            const int n = value(kParamUserIr7PresetMsb) * 128 + value(kParamUserIr7Preset);
            ASSERT_LT(n, kNumUserIrSlots);
            const IrData& ir = s.userIrs[static_cast<std::size_t>(n)];
            ASSERT_FALSE(IsEmptyIr(ir)) << "slot " << slot;
            EXPECT_TRUE(std::equal(ir.begin() + 4, ir.begin() + 36, r.begin() + 192)) << "slot " << slot;
        }
    }
    EXPECT_EQ(names.size(), 128u);
    EXPECT_GT(usingUserIrs, 8);
    for (const IrData& cab : s.factoryIrs)
        EXPECT_FALSE(IsEmptyIr(cab));
}

} // namespace
} // namespace tolvane::sim
