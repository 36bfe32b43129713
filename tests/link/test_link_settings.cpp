#include "LinkFixture.h"
#include "device/SysexBuilders.h"
#include "library/PresetCache.h"

#include <gtest/gtest.h>

#include <functional>

namespace tolvane::testing {
namespace {

const Bytes kEndBulk = {0xF0, 0x00, 0x51, 0x21, 0x03, 0x5B, 0x0A, 0xF7};

class Settings : public LinkTest {
protected:
    void SetUp() override {
        CacheAllPedalPresets();
        Start();
        Connect();
        ASSERT_TRUE(tolvane->Connected());
    }
    template <typename F> std::vector<Bytes> Sends(F action) {
        const std::size_t mark = wire.sent.size();
        action();
        return SentSince(mark);
    }
    Bytes GlobalBlock(std::array<std::uint8_t, 256> data) {
        const auto block = sysex::BuildSettingsBlock(12, 0, data);
        return Bytes(block.begin(), block.end());
    }
};

TEST_F(Settings, EditPotDisplayModeGoesOutAsTwo) {
    UserSets(kParamTunerFrequency, 14);
    tolvane->SetCurrentPreset(9);
    const auto sent = Sends([&] { UserSets(kParamEditPotDisplayMode, 1); });
    ASSERT_EQ(sent.size(), 1u);
    const Bytes& m = sent[0];
    ASSERT_EQ(m.size(), 267u);
    EXPECT_EQ(m[5], 0x52);   // Store settings block
    EXPECT_EQ(m[7], 0);      // type 0
    EXPECT_EQ(m[8 + 0], 9);  // current preset
    EXPECT_EQ(m[8 + 6], 2);  // EDIT POT DISPLAY MODE, second value
    EXPECT_EQ(m[8 + 8], 14); // TUNER FREQUENCY
    EXPECT_EQ(m[8 + 11], tolvane->GetParam(kParamSoftClipping)->Int());
    EXPECT_EQ(pedal.State().globalSettings[6], 2);
}

TEST_F(Settings, ReceivedGlobalBlockAppliesAndAlwaysEndsTheBulk) {
    std::array<std::uint8_t, 256> data{};
    data[0] = 17; // the pedal's current preset
    data[6] = 2;  // EDIT POT DISPLAY MODE as the pedal sends it
    data[8] = 3;  // TUNER FREQUENCY
    data[11] = 77;
    const auto sent = Sends([&] { Deliver(GlobalBlock(data)); });
    // F0 00 51 21 03 40 0A 11 F7: Request preset 17.
    EXPECT_EQ(sent,
              (std::vector<Bytes>{kEndBulk, Bytes{0xF0, 0x00, 0x51, 0x21, 0x03, 0x40, 0x0A, 0x11, 0xF7}}));
    EXPECT_EQ(tolvane->GetParam(kParamEditPotDisplayMode)->Int(), 1);
    EXPECT_EQ(tolvane->GetParam(kParamTunerFrequency)->Int(), 3);
    EXPECT_EQ(tolvane->GetParam(kParamSoftClipping)->Int(), 77);
    EXPECT_FALSE(tolvane->Flags().applyFlag.load());

    // A block with a wrong checksum changes nothing and sends nothing.
    data[8] = 9;
    Bytes bad = GlobalBlock(data);
    bad[265] ^= 0x01;
    EXPECT_TRUE(Sends([&] { Deliver(bad); }).empty());
    EXPECT_EQ(tolvane->GetParam(kParamTunerFrequency)->Int(), 3);
}

TEST_F(Settings, KnobCcBlockSetsNinetyToOneHundredFive) {
    UserSets(kParamControllerProgram, 7);
    UserSets(kParamJack1Mode, 1);
    std::array<std::uint8_t, 256> data{};
    for (int i = 0; i < 8; ++i)
        data[i] = static_cast<std::uint8_t>(20 + i);
    const auto block = sysex::BuildSettingsBlock(12, 1, data);
    EXPECT_TRUE(Sends([&] { Deliver(Bytes(block.begin(), block.end())); }).empty());
    EXPECT_EQ(tolvane->GetParam(kParamCcDrive)->Int(), 20);
    EXPECT_EQ(tolvane->GetParam(kParamCcLevel)->Int(), 27);
    // Offsets 8..15 are zero: 98..105 go back to 0.
    EXPECT_EQ(tolvane->GetParam(kParamControllerProgram)->Int(), 0);
    EXPECT_EQ(tolvane->GetParam(kParamJack1Mode)->Int(), 0);

    const auto sent = Sends([&] { tolvane->LeaveKnobCcPage(); });
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0][7], 1);
    EXPECT_EQ(sent[0][8 + 7], 27);
    EXPECT_EQ(sent[0][8 + 8], 0); // nothing beyond the eight CC numbers
}

// Each store is built on the block the pedal last sent, so the offsets the
// editor does not own reach the pedal unchanged.
TEST_F(Settings, StoresWriteBackWhatTheEditorDoesNotOwn) {
    struct Case {
        int type;
        std::size_t firstUnowned; // offsets from here on are the pedal's alone
        std::function<void()> open, store;
    };
    const Case cases[] = {
        {0, 14, [&] { tolvane->OpenGlobalSettings(); }, [&] { UserSets(kParamTunerFrequency, 5); }},
        {1, 16, [&] { tolvane->OpenKnobCcPage(); }, [&] { tolvane->LeaveKnobCcPage(); }},
        {2, 128, [&] { tolvane->OpenProgramMapPage(); }, [&] { tolvane->LeaveProgramMapPage(); }},
    };
    for (const Case& c : cases) {
        sim::PedalState& state = pedal.MutableState();
        sim::BlockBytes& block = c.type == 0   ? state.globalSettings
                                 : c.type == 1 ? state.midiCcNumbers
                                               : state.programMap;
        for (std::size_t i = c.firstUnowned; i < block.size(); ++i)
            block[i] = static_cast<std::uint8_t>((i * 7 + 3) & 0x7F);
        if (c.type == 1) {
            for (std::size_t i = 8; i < 16; ++i)
                block[i] = 1; // program-map cursor and the jack set-up
        }
        const sim::BlockBytes before = block;
        c.open();
        Pump();
        c.store();
        for (std::size_t i = c.firstUnowned; i < block.size(); ++i)
            ASSERT_EQ(block[i], before[i]) << "type " << c.type << " offset " << i;
        if (c.type == 1) {
            for (std::size_t i = 8; i < 16; ++i)
                EXPECT_EQ(block[i], 1) << "offset " << i;
        }
    }
}

TEST_F(Settings, JacksPageWritesTheJackSetUpBack) {
    sim::BlockBytes& block = pedal.MutableState().midiCcNumbers;
    block[3] = 40;         // the HIGH knob's CC number
    block[14] = 9;         // PEDAL2 Midi Channel
    block[200] = 0x55;     // unknown to the editor
    tolvane->OpenJacksPage();
    EXPECT_TRUE(screen.Has("show jackcontrols"));
    Pump();
    EXPECT_EQ(tolvane->GetParam(kParamPedal2MidiChannel)->Int(), 9);
    UserSets(kParamJack1Mode, 1);
    UserSets(kParamPedal2Mode, 2);
    EXPECT_EQ(block[12], 0) << "nothing is written before the page is left";
    tolvane->LeaveJacksPage();
    EXPECT_TRUE(screen.Has("show globalsettingscontrols"));
    EXPECT_EQ(block[12], 1);  // JACK 1 Mode
    EXPECT_EQ(block[15], 2);  // PEDAL2 Mode
    EXPECT_EQ(block[14], 9);
    EXPECT_EQ(block[3], 40);
    EXPECT_EQ(block[200], 0x55);
}

TEST_F(Settings, FactoryResetKinds) {
    struct Case {
        int kind;
        bool libraryEmptied;
    };
    for (const Case c : {Case{2, false}, Case{1, true}}) {
        CacheAllPedalPresets();
        const auto sent = Sends([&] { tolvane->FactoryResetButton(c.kind); });
        EXPECT_TRUE(screen.Has("ask Are you sure?"));
        // F0 00 51 21 03 56 0A kind F7: Factory reset.
        ASSERT_FALSE(sent.empty());
        EXPECT_EQ(sent[0],
                  (Bytes{0xF0, 0x00, 0x51, 0x21, 0x03, 0x56, 0x0A, static_cast<std::uint8_t>(c.kind), 0xF7}));
        EXPECT_EQ(folder.Exists("Presets/001.dat"), !c.libraryEmptied) << c.kind;
        EXPECT_EQ(tolvane->LocalChecksum(0) == (ChecksumPair{0, 0}), c.libraryEmptied) << c.kind;
    }
    screen.answer = AskResult::Cancel;
    EXPECT_TRUE(Sends([&] { tolvane->FactoryResetButton(0); }).empty());
}

TEST_F(Settings, OperationFinishedBringsBackTheGlobalSettings) {
    // F0 00 51 21 03 57 F7: Operation finished.
    const auto sent = Sends([&] { Deliver(Bytes{0xF0, 0x00, 0x51, 0x21, 0x03, 0x57, 0xF7}); });
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent[0], (Bytes{0xF0, 0x00, 0x51, 0x21, 0x03, 0x55, 0x0A, 0x00, 0xF7}));
    Idle();
    EXPECT_TRUE(screen.Has("ask Finished successfully!"));
}

TEST_F(Settings, GlobalPageStopsPollingUntilClosed) {
    tolvane->Reconnect();
    tolvane->OpenGlobalSettings();
    EXPECT_TRUE(screen.Has("show globalsettingscontrols"));
    const auto sent = Sends([&] { Tick(70); });
    for (const auto& m : sent)
        EXPECT_FALSE(Command(m) == 0x55 && m[7] == 15) << "no identification while the page is open";
    tolvane->CloseGlobalSettings();
    bool identified = false;
    for (const auto& m : Sends([&] { Tick(33); }))
        identified = identified || (Command(m) == 0x55 && m[7] == 15);
    EXPECT_TRUE(identified);
}

} // namespace
} // namespace tolvane::testing
