// The pedal model answers every message the editor sends the way the editor
// relies on: exact shapes, lengths, indices and checksums.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "device/DeviceTables.h"
#include "device/SysexChecksum.h"
#include "sim/model/FactoryContent.h"
#include "tests/sim/SimTestSupport.h"

namespace tolvane::sim {
namespace {

using namespace sysex;
using testing::Bytes;
using testing::RecordingPedal;

template <typename M> Bytes Msg(const M& m) {
    return Bytes(m.begin(), m.end());
}

std::span<const std::uint8_t, kBlockLength> AsBlock(const Bytes& m) {
    return std::span<const std::uint8_t, kBlockLength>(m.data(), kBlockLength);
}

struct Row {
    const char* what;
    Bytes message;
    std::vector<std::size_t> answerLengths; // empty: no answer
    std::uint8_t firstTarget;
    std::uint8_t firstCommand; // byte 5 of the first answer
};

class PedalAnswers : public ::testing::TestWithParam<Row> {};

TEST_P(PedalAnswers, AnswerHasTheExpectedShape) {
    const Row& row = GetParam();
    RecordingPedal pedal;
    pedal.Send(row.message);
    const auto answers = pedal.Take();
    ASSERT_EQ(answers.size(), row.answerLengths.size()) << row.what;
    EXPECT_EQ(pedal.model.Log().received, 1) << row.what;
    for (std::size_t i = 0; i < answers.size(); ++i) {
        const Bytes& a = answers[i];
        ASSERT_EQ(a.size(), row.answerLengths[i]) << row.what << " answer " << i;
        EXPECT_EQ(a.front(), 0xF0);
        EXPECT_EQ(a.back(), 0xF7);
        EXPECT_EQ(a[1], 0x00);
        EXPECT_EQ(a[2], 0x51);
        EXPECT_EQ(a[3], 0x21);
        EXPECT_TRUE(std::all_of(a.begin() + 1, a.end() - 1, [](std::uint8_t b) { return b < 0x80; }));
        if (a.size() == kBlockLength) {
            EXPECT_TRUE(BlockChecksumValid(AsBlock(a))) << row.what;
        }
    }
    if (!answers.empty()) {
        EXPECT_EQ(answers[0][4], row.firstTarget) << row.what;
        EXPECT_EQ(answers[0][5], row.firstCommand) << row.what;
    }
}

const BlockBytes kZeroBlock{};
const std::vector<std::size_t> kIrStream = {269, 264, 264, 264, 264, 264, 264, 264, 264, 264, 235};

INSTANTIATE_TEST_SUITE_P(
    EveryRequest, PedalAnswers,
    ::testing::Values(
        Row{"settings 0", Msg(BuildRequestSettingsBlock(0)), {267}, 0x03, 0x52},
        Row{"settings 1", Msg(BuildRequestSettingsBlock(1)), {267}, 0x03, 0x52},
        Row{"settings 2", Msg(BuildRequestSettingsBlock(2)), {267}, 0x03, 0x52},
        Row{"settings 3", Msg(BuildRequestSettingsBlock(3)), {267}, 0x03, 0x52},
        Row{"settings 15", Msg(BuildRequestSettingsBlock(15)), {267}, 0x03, 0x52},
        Row{"request preset", Msg(BuildRequestPreset(5)), {267}, 0x03, 0x41},
        Row{"select preset", Msg(BuildSelectPreset(9)), {267}, 0x03, 0x41},
        Row{"set parameter", Msg(BuildSetParameter(1, 70)), {}, 0, 0},
        Row{"IR 7 high part", Msg(BuildSetParameter(57, 0)), {7}, 0x03, 0x5F},
        Row{"IR 8 high part", Msg(BuildSetParameter(59, 1)), {7}, 0x03, 0x5F},
        Row{"save to slot", Msg(BuildSetParameter(18, 20)), {267}, 0x03, 0x41},
        Row{"store preset", Msg(BuildStorePreset(3, kZeroBlock)), {}, 0, 0},
        Row{"store settings", Msg(BuildStoreSettingsBlock(1, kZeroBlock)), {}, 0, 0},
        Row{"reset all", Msg(BuildFactoryReset(0)), {7}, 0x03, 0x57},
        Row{"reset presets", Msg(BuildFactoryReset(1)), {7}, 0x03, 0x57},
        Row{"reset settings", Msg(BuildFactoryReset(2)), {7}, 0x03, 0x57},
        Row{"begin bulk", Msg(BuildBulkTransfer(true)), {}, 0, 0},
        Row{"end bulk", Msg(BuildBulkTransfer(false)), {}, 0, 0},
        Row{"editor closing", Msg(BuildEditorClosing()), {}, 0, 0},
        Row{"request user IR", Msg(BuildRequestImpulseResponse(3)), kIrStream, 0x03, 0x60},
        Row{"request factory IR", Msg(BuildRequestImpulseResponse(384)), kIrStream, 0x03, 0x60},
        Row{"IR name block", Msg(BuildRequestIrNameBlock(1)), {267}, 0x03, 0x6B},
        Row{"restore preset", Msg(BuildBlock(0x03, 0x7F, 0x0A, 4, kZeroBlock)), {7}, 0x03, 0x71},
        Row{"enter firmware update", Msg(BuildEnterFirmwareUpdate()), {7}, 0x02, 0x12}),
    [](const auto& info) {
        std::string name = info.param.what;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

// Messages the pedal must not take: each is dropped without an answer.
TEST(PedalModel, IgnoresMalformedMessages) {
    const std::vector<Bytes> bad = {
        {},
        {0xF0, 0x7E, 0xF7},
        {0xF0, 0x00, 0x51, 0x21, 0x01, 0x55, 0x0A, 0x0F, 0xF7}, // target 0x01
        {0xF0, 0x00, 0x51, 0x22, 0x03, 0x55, 0x0A, 0x0F, 0xF7}, // other manufacturer
        {0xF0, 0x00, 0x51, 0x21, 0x03, 0x55, 0x0B, 0x0F, 0xF7}, // no 0x0A marker
        {0xF0, 0x00, 0x51, 0x21, 0x03, 0x55, 0x0A, 0x0F, 0x00}, // no F7
        {0xF0, 0x00, 0x51, 0x21, 0x03, 0x55, 0x0A, 0x8F, 0xF7}, // data byte above 0x7F
        {0xF0, 0x00, 0x51, 0x21, 0x03, 0x55, 0x0A, 0xF7},       // too short for its command
        {0xF0, 0x00, 0x51, 0x21, 0x03, 0x44, 0x0A, 0x00, 0xF7}, // unknown command
    };
    RecordingPedal pedal;
    for (const Bytes& m : bad)
        pedal.Send(m);
    EXPECT_TRUE(pedal.Take().empty());
    EXPECT_EQ(pedal.model.Log().ignored, static_cast<int>(bad.size()));
    EXPECT_EQ(pedal.model.Log().received, 0);
}

TEST(PedalModel, IrNumberStepDoneGoldenBytes) {
    RecordingPedal pedal;
    pedal.Send(BuildSetParameter(57, 1));
    const auto answers = pedal.Take();
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0], (Bytes{
                              0xF0,             // start
                              0x00, 0x51, 0x21, // manufacturer
                              0x03,             // application
                              0x5F,             // IR number step done
                              0xF7,             // end (byte 6 of a status)
                          }));
}

TEST(PedalModel, SettingsBlocksCarryVersionCurrentPresetAndChecksums) {
    RecordingPedal pedal;
    pedal.model.GetFaults().firmwareVersion = 13;
    pedal.Send(BuildSelectPreset(42));
    pedal.Take();

    pedal.Send(BuildRequestSettingsBlock(0));
    pedal.Send(BuildRequestSettingsBlock(1));
    pedal.Send(BuildRequestSettingsBlock(2));
    pedal.Send(BuildRequestSettingsBlock(3));
    pedal.Send(BuildRequestSettingsBlock(15));
    const auto blocks = pedal.Take();
    ASSERT_EQ(blocks.size(), 5u);
    for (std::size_t t = 0; t < blocks.size(); ++t)
        EXPECT_EQ(blocks[t][6], 13) << "version in block " << t;
    EXPECT_EQ(blocks[0][7], 0);
    EXPECT_EQ(blocks[0][8 + 0], 42); // current preset
    EXPECT_EQ(blocks[0][8 + 8], 12); // tuner frequency default (440 Hz)
    EXPECT_EQ(blocks[1][7], 1);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(blocks[1][8 + i], i) << "CC number " << i;
    EXPECT_EQ(blocks[2][7], 2);
    for (int n = 0; n < 128; ++n)
        ASSERT_EQ(blocks[2][8 + n], n) << "program map entry " << n;
    EXPECT_EQ(blocks[3][7], 3);
    const PedalState& s = pedal.model.State();
    for (std::size_t k = 0; k < 128; ++k) {
        const SevenBitPair sum = Split14(BlockChecksum(s.presets[k]));
        ASSERT_EQ(blocks[3][8 + 2 * k], sum.high) << "slot " << k;
        ASSERT_EQ(blocks[3][8 + 2 * k + 1], sum.low) << "slot " << k;
    }
    EXPECT_EQ(blocks[4][7], 15);
    const std::string serial(blocks[4].begin() + 8 + 224,
                             blocks[4].begin() + 8 + 224 + std::string(kFactorySerial).size());
    EXPECT_EQ(serial, kFactorySerial);
}

TEST(PedalModel, RequestsForWhatThePedalDoesNotHaveGetNoAnswer) {
    RecordingPedal pedal;
    pedal.Send(BuildRequestSettingsBlock(4));
    pedal.Send(BuildRequestImpulseResponse(300));
    pedal.Send(BuildFactoryReset(3));
    EXPECT_TRUE(pedal.Take().empty());
}

TEST(PedalModel, LiveEditsReachTheEditBufferThroughTheAddressTable) {
    RecordingPedal pedal;
    // Device number 20 is Reverb Room Size (16); 16 is Preset Level (64).
    pedal.Send(BuildSetParameter(20, 100));
    pedal.Send(BuildSetParameter(16, 33));
    pedal.Send(BuildSetParameter(5, 7));
    const PedalState& s = pedal.model.State();
    EXPECT_EQ(s.editBuffer[34 + kParamReverbRoomSize], 100);
    EXPECT_EQ(s.editBuffer[34 + kParamPresetLevel], 33);
    EXPECT_EQ(s.editBuffer[34 + kParamDrive], 7);
    // The stored slot is untouched until saved to a slot.
    EXPECT_NE(s.presets[0][34 + kParamDrive], 7);

    pedal.Send(BuildSetParameter(18, 77));
    const auto answers = pedal.Take();
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0][7], 77);
    EXPECT_EQ(pedal.model.State().presets[77][34 + kParamDrive], 7);
    EXPECT_EQ(pedal.model.State().currentPreset, 77);
}

TEST(PedalModel, StorePresetWithBadChecksumIsNotStored) {
    RecordingPedal pedal;
    BlockBytes record{};
    record[0] = 1;
    record[2] = 'X';
    auto message = BuildStorePreset(6, record);
    message[265] ^= 0x01;
    const PresetRecord before = pedal.model.State().presets[6];
    pedal.Send(message);
    EXPECT_EQ(pedal.model.State().presets[6], before);
}

// The pedal stores a settings block whole (all but the current preset of a
// global block): what an editor sends at offsets it does not know replaces
// what was there.
TEST(PedalModel, StoreSettingsStoresTheWholeBlock) {
    RecordingPedal pedal;
    pedal.model.MutableState().midiCcNumbers[10] = 1; // a jack set-up value
    BlockBytes cc{};
    for (int i = 0; i < 8; ++i)
        cc[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(20 + i);
    cc[11] = 1;
    pedal.Send(BuildStoreSettingsBlock(1, cc));
    BlockBytes global{};
    global[0] = 99; // the current preset is not switched by a settings block
    global[8] = 3;
    pedal.Send(BuildStoreSettingsBlock(0, global));
    pedal.Send(BuildRequestSettingsBlock(1));
    pedal.Send(BuildRequestSettingsBlock(0));
    const auto answers = pedal.Take();
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0][8 + 0], 20);
    EXPECT_EQ(answers[0][8 + 7], 27);
    EXPECT_EQ(answers[0][8 + 10], 0);
    EXPECT_EQ(answers[0][8 + 11], 1);
    EXPECT_EQ(answers[1][8 + 0], 0);
    EXPECT_EQ(answers[1][8 + 8], 3);
}

TEST(PedalModel, FactoryResetsRestoreWhatTheyName) {
    RecordingPedal pedal;
    const PedalState factory = pedal.model.State();
    auto spoil = [&] {
        PedalState& s = pedal.model.MutableState();
        s.presets[3][2] = '!';
        s.programMap[4] = 9;
        s.userIrs[0][10] ^= 0x55;
    };
    struct Case {
        int kind;
        bool presets, settings, irs;
    };
    for (const Case c :
         {Case{0, true, true, true}, Case{1, true, false, false}, Case{2, false, true, false}}) {
        spoil();
        pedal.Send(BuildFactoryReset(static_cast<std::uint8_t>(c.kind)));
        const PedalState& s = pedal.model.State();
        EXPECT_EQ(s.presets == factory.presets, c.presets) << "kind " << c.kind;
        EXPECT_EQ(s.programMap == factory.programMap, c.settings) << "kind " << c.kind;
        EXPECT_EQ(s.userIrs == factory.userIrs, c.irs) << "kind " << c.kind;
        pedal.model.MutableState() = factory;
    }
}

TEST(PedalModel, IrNameBlocksCarryTheNamesOfTheirEightSlots) {
    RecordingPedal pedal;
    pedal.Send(BuildRequestIrNameBlock(0));  // user slots 0..7
    pedal.Send(BuildRequestIrNameBlock(5));  // user slots 40..47, all empty
    pedal.Send(BuildRequestIrNameBlock(48)); // factory cabinets 384..391
    const auto blocks = pedal.Take();
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[1][7], 5);
    const auto name = [](const Bytes& b, int i) {
        std::string s(b.begin() + 8 + 32 * i, b.begin() + 8 + 32 * (i + 1));
        return s.substr(0, s.find_last_not_of(' ') + 1);
    };
    EXPECT_EQ(name(blocks[0], 0), "Greenback 4x12 SM57");
    EXPECT_EQ(name(blocks[0], 7), "Silver Bell 2x12");
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(name(blocks[1], i), "") << "empty slot " << i;
    EXPECT_EQ(name(blocks[2], 0), "VELUMO");
    EXPECT_EQ(name(blocks[2], 7), "BOUTIQUE 4x12");
}

TEST(PedalModel, IrStreamCarriesItemLengthAndChecksum) {
    RecordingPedal pedal;
    pedal.Send(BuildRequestImpulseResponse(130)); // an empty user slot past the first 128
    const auto stream = pedal.Take();
    ASSERT_EQ(stream.size(), 11u);
    EXPECT_EQ(stream[0][7], 0x01); // 130 >> 7
    EXPECT_EQ(stream[0][8], 0x02); // 130 & 0x7F
    EXPECT_EQ(stream[0][9], 0x00); // 2785 = 0x00 0x15 0x61
    EXPECT_EQ(stream[0][10], 0x15);
    EXPECT_EQ(stream[0][11], 0x61);
    for (std::size_t i = 1; i < 10; ++i)
        EXPECT_EQ(stream[i][5], 0x65);
    EXPECT_EQ(stream[10][5], 0x66);

    StreamChecksum sum;
    sum.Add(std::span(stream[0]).subspan(12, 256));
    for (std::size_t i = 1; i < 10; ++i)
        sum.Add(std::span(stream[i]).subspan(7, 256));
    sum.Add(std::span(stream[10]).subspan(7, 225));
    EXPECT_EQ(stream[10][232], sum.Bytes().high);
    EXPECT_EQ(stream[10][233], sum.Bytes().low);
}

} // namespace
} // namespace tolvane::sim
