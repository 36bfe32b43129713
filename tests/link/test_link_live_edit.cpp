#include "LinkFixture.h"
#include "device/SysexBuilders.h"

#include <gtest/gtest.h>

namespace tolvane::testing {
namespace {

// F0 00 51 21 03 50 0A number value F7: Set parameter.
Bytes SetParameter(std::uint8_t number, std::uint8_t value) {
    return {0xF0, 0x00, 0x51, 0x21, 0x03, 0x50, 0x0A, number, value, 0xF7};
}

class LiveEdit : public LinkTest {
protected:
    void SetUp() override {
        CacheAllPedalPresets();
        Start();
        Connect();
        ASSERT_TRUE(tolvane->Connected());
        ASSERT_FALSE(tolvane->Flags().applyFlag.load());
        Pump();
    }
    // What one action sent.
    template <typename F> std::vector<Bytes> Sends(F action) {
        const std::size_t mark = wire.sent.size();
        action();
        return SentSince(mark);
    }
};

TEST_F(LiveEdit, AChangeGoesOutOnceAndOnlyWhenItDiffers) {
    UserSets(kParamGain, 64);
    EXPECT_EQ(Sends([&] { UserSets(kParamGain, 70); }), (std::vector<Bytes>{SetParameter(0x01, 0x46)}));
    EXPECT_TRUE(Sends([&] { UserSets(kParamGain, 70); }).empty());
    EXPECT_EQ(pedal.State().editBuffer[34 + kParamGain], 70);
}

TEST_F(LiveEdit, DeviceNumbersComeFromTheAddressTable) {
    struct Case {
        int index;
        int value;
        std::uint8_t number;
    };
    for (const Case c : {Case{kParamReverbRoomSize, 100, 0x14}, Case{kParamPresetLevel, 32, 0x10},
                         Case{kParamAutoFilterRelease, 5, 0x43}}) {
        UserSets(c.index, c.value == 32 ? 33 : 0); // make sure the value changes
        EXPECT_EQ(Sends([&] { UserSets(c.index, c.value); }),
                  (std::vector<Bytes>{SetParameter(c.number, static_cast<std::uint8_t>(c.value))}))
            << c.index;
    }
}

TEST_F(LiveEdit, APedalReportIsAppliedWithoutEcho) {
    screen.calls.clear();
    EXPECT_TRUE(Sends([&] {
                    pedal.TurnKnob(kParamGain, 90);
                    Pump();
                }).empty());
    EXPECT_EQ(tolvane->GetParam(kParamGain)->Int(), 90);
    EXPECT_TRUE(screen.Has("text 1 90"));
    // The user then picks the same value: the pedal has it already.
    EXPECT_TRUE(Sends([&] { UserSets(kParamGain, 90); }).empty());
}

TEST_F(LiveEdit, MalformedParameterChangedIsIgnored) {
    const int before = tolvane->GetParam(kParamGain)->Int();
    // Value byte 0x80 and index byte 0x81 break the SysEx rules; the 9-byte
    // message is too short to hold both bytes.
    for (const Bytes& m : {Bytes{0xF0, 0x00, 0x51, 0x21, 0x03, 0x51, 0x0A, 0x01, 0x80, 0xF7},
                           Bytes{0xF0, 0x00, 0x51, 0x21, 0x03, 0x51, 0x0A, 0x81, 0x10, 0xF7},
                           Bytes{0xF0, 0x00, 0x51, 0x21, 0x03, 0x51, 0x0A, 0x01, 0xF7}}) {
        Deliver(m);
        EXPECT_EQ(tolvane->GetParam(kParamGain)->Int(), before);
    }
}

TEST_F(LiveEdit, AmpVoicingStoresThePresetOnce) {
    const auto sent = Sends([&] { tolvane->ApplyAmpVoicing(3); });
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(Command(sent[0]), 0x20); // Store preset, no Set parameter
    EXPECT_EQ(tolvane->GetParam(kParamCompression)->Int(), 64);
    EXPECT_EQ(tolvane->GetParam(kParamDynamics)->Int(), 64);
    // The stored record carries the voicing's values from the cache.
    const auto& row = AmpVoicingTable[3];
    for (int column = 0; column < kNumAmpVoicingColumns; ++column) {
        if (column == kAmpColCompression) continue;
        EXPECT_EQ(sent[0][8 + 34 + kAmpVoicingParams[column]], row[column]) << column;
    }
    EXPECT_EQ(sent[0][8 + 34 + kParamDynamics], 64);
    EXPECT_TRUE(tolvane->Flags().editTracking.load());
}

TEST_F(LiveEdit, AmbienceVoicingNormalisesFromTheMinimum) {
    const auto sent = Sends([&] { tolvane->ApplyAmbienceVoicing(0); });
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(Command(sent[0]), 0x20);
    // Reverb Extension Factor runs 2..5: the table's 3 stays 3.
    EXPECT_EQ(tolvane->GetParam(kParamReverbExtensionFactor)->Int(), 3);
    EXPECT_EQ(tolvane->GetParam(kParamReverbRoomSize)->Int(), 47);
}

TEST_F(LiveEdit, CompressionDrivesDynamicsAndOnlyDynamicsIsSent) {
    UserSets(kParamCompression, 64);
    EXPECT_EQ(Sends([&] { UserSets(kParamCompression, 100); }),
              (std::vector<Bytes>{SetParameter(0x0A, 100)}));
    EXPECT_EQ(tolvane->GetParam(kParamDynamics)->Int(), 100);
}

TEST_F(LiveEdit, ProgramMapThroughControllerAndDunvaleProgram) {
    // The pedal's map entry 5 = 12 arrives with a type-2 block.
    std::array<std::uint8_t, 256> map{};
    for (int n = 0; n < 128; ++n)
        map[n] = static_cast<std::uint8_t>(n);
    map[5] = 12;
    const auto block = sysex::BuildSettingsBlock(12, 2, map);
    Deliver(Bytes(block.begin(), block.end()));
    UserSets(kParamControllerProgram, 5);
    EXPECT_EQ(tolvane->GetParam(kParamDunvaleProgram)->Int(), 12);
    EXPECT_TRUE(Sends([&] { UserSets(kParamDunvaleProgram, 20); }).empty());
    EXPECT_EQ(tolvane->GetProgramMap()[5], 20);
    // Leaving the page sends the whole map.
    const auto sent = Sends([&] { tolvane->LeaveProgramMapPage(); });
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0][7], 2);      // block type 2
    EXPECT_EQ(sent[0][8 + 5], 20); // entry 5
    EXPECT_EQ(sent[0][8 + 6], 6);
}

TEST_F(LiveEdit, DetectsAmpVoicingFromTheFilterValuesOnly) {
    auto& preset = pedal.MutableState().presets[12];
    const std::pair<int, int> voicing1[] = {{kParamBuzz, 47},    {kParamPunch, 17},   {kParamBuzzQ, 64},
                                            {kParamPunchQ, 127}, {kParamCrunchQ, 64}, {kParamPunchFreq, 82},
                                            {kParamGain, 3},     {kParamDrive, 99}};
    for (auto [index, value] : voicing1)
        preset[34 + index] = static_cast<std::uint8_t>(value);
    pedal.ChangePreset(12);
    Pump();
    EXPECT_EQ(tolvane->AmpVoicing(), 1);
    EXPECT_TRUE(screen.Has("value 79 1.000000"));
}

TEST_F(LiveEdit, UserIrSlotGoesOutInTwoStepsEvenWhenUnchanged) {
    tolvane->SetIrEditTargets(true, false);
    UserSets(kParamCustomIrBank, 4); // slot 4 * 32 + 3 = 131 = 1 * 128 + 3
    for (int round = 0; round < 2; ++round) {
        const auto first = Sends([&] { UserSets(kParamIrSlotLeft, 3); });
        ASSERT_FALSE(first.empty()) << round;
        EXPECT_EQ(first[0], SetParameter(57, 1)); // parameter 53 is device number 57
        EXPECT_EQ(tolvane->IrSlotStep(), kParamUserIr7PresetMsb);
        // The pedal acknowledges: IR number step done, status 0x5F.
        const auto second = Sends([&] { Deliver(Bytes{0xF0, 0x00, 0x51, 0x21, 0x03, 0x5F, 0xF7}); });
        ASSERT_FALSE(second.empty()) << round;
        EXPECT_EQ(second[0], SetParameter(58, 3)); // parameter 54, the low part
        UserSets(kParamIrSlotLeft, 0);
    }
}

} // namespace
} // namespace tolvane::testing
