#include "device/DeviceTables.h"
#include "device/LinkFlags.h"
#include "device/ParamTable.h"

#include <gtest/gtest.h>

#include <string>

namespace tolvane {
namespace {

class DeviceParams : public ::testing::Test {
protected:
    void SetUp() override { InitDeviceParams(list); }
    const Param& P(int index) const {
        const Param* p = list.GetParam(index);
        EXPECT_NE(p, nullptr) << "index " << index;
        return *p;
    }
    ParamList list;
};

TEST_F(DeviceParams, RowsMatchTheTable) {
    struct Row {
        int index;
        const char* name;
        ParamKind kind;
        double min, max, def;
        const char* label;
    };
    const Row rows[] = {
        {kParamLevel, "Level", ParamKind::Int, 0, 127, 64, ""},
        {kParamReverb, "Reverb", ParamKind::Int, 0, 127, 0, ""},
        {kParamReverbDiffusion, "Reverb Diffusion", ParamKind::Int, 0, 127, 100, ""},
        {kParamReverbExtensionFactor, "Reverb Extension Factor", ParamKind::Int, 2, 5, 2,
         "[2...5 semitones]"},
        {kParamExpanderAttack, "Expander Attack", ParamKind::Int, 0, 127, 64, "[0.5ms...100ms]"},
        {kParamGateRatio, "Compressor Ratio", ParamKind::Int, 0, 127, 0, "[1:1...16:1]"},
        {kParamIrMode8, "IR Mode", ParamKind::Int, 0, 1, 0, ""},
        {kParamAutoGain, "Auto Gain", ParamKind::Int, 0, 1, 1, "On/Off"},
        {kParamTuner, "Tuner", ParamKind::Int, 0, 2, 0, "Off/Mute/Bypass"},
        {kParamReverbMode, "Reverb Mode", ParamKind::Int, 0, 4, 0, "[Room, Hall, Arena, Spring, Pla"},
        {kParamAutoFilterOn, "AutoFiler Level", ParamKind::Int, 0, 1, 0, ""},
        {kParamPresetLevel, "Preset Level", ParamKind::Int, 0, 127, 32, ""},
        {kParamCompression, "Compression", ParamKind::Int, 64, 127, 64, ""},
        {kParamScroll, "Scroll", ParamKind::Int, 0, 109, 109, ""},
        {kParamPresetListRow, "", ParamKind::Double, 0, 19, 0, ""},
        {kParamIrListRow, "", ParamKind::Double, 0, 9, 0, ""},
        {kParamIrSlotRight, "", ParamKind::Double, 0, 16, 0, ""},
        {kParamCustomIrBank, "Custom IR Bank", ParamKind::Enum, 0, 8, 0, ""},
        {kParamTunerFrequency, "TUNER FREQUENCY", ParamKind::Enum, 0, 24, 12, ""},
        {kParamCcDrive, "", ParamKind::Int, 0, 127, 0, ""},
        {kParamCcLevel, "", ParamKind::Int, 0, 127, 7, ""},
        {kParamDunvaleProgram, "Dunvale Program", ParamKind::Int, 0, 127, 0, ""},
        {kParamJack2Polarity, "JACK2 Mode", ParamKind::Enum, 0, 1, 0, ""},
        {kParamPedal2CalibrationHigh, "PEDAL2 Calibration High End", ParamKind::Int, 0, 127, 0, ""},
        {kParamSwitchB1FunctionMode, "SWITCHB1 Function Mode", ParamKind::Enum, 0, 6, 0, ""},
        {kParamSwitch1SpecialCtrlUpper, "SWITCH1 Special Ctrl Upper", ParamKind::Int, 0, 127, 0, ""},
    };
    for (const Row& r : rows) {
        const Param& p = P(r.index);
        SCOPED_TRACE(r.index);
        EXPECT_STREQ(p.Name(), r.name);
        EXPECT_EQ(p.Kind(), r.kind);
        EXPECT_EQ(p.Min(), r.min);
        EXPECT_EQ(p.Max(), r.max);
        EXPECT_EQ(p.Default(), r.def);
        EXPECT_EQ(p.Value(), r.def);
        EXPECT_STREQ(p.Label(), r.label);
    }
}

TEST_F(DeviceParams, KindsCarryTheirFlagsAndTexts) {
    ASSERT_EQ(list.Size(), kNumParams);
    int counts[5] = {};
    for (int i = 0; i < kNumParams; ++i) {
        const Param& p = P(i);
        SCOPED_TRACE(i);
        ++counts[static_cast<int>(p.Kind())];
        EXPECT_EQ(p.Unit(), 21);
        EXPECT_STREQ(p.Group(), "");
        const bool stepped = p.Kind() == ParamKind::Int || p.Kind() == ParamKind::Enum;
        EXPECT_EQ(p.IsStepped(), stepped);
        const int texts = p.Kind() == ParamKind::Enum ? static_cast<int>(p.Max()) + 1 : 0;
        EXPECT_EQ(p.NDisplayTexts(), texts);
    }
    EXPECT_EQ(counts[static_cast<int>(ParamKind::None)], 7);
    EXPECT_EQ(counts[static_cast<int>(ParamKind::Double)], 4);
    EXPECT_EQ(counts[static_cast<int>(ParamKind::Int)], 96);
    EXPECT_EQ(counts[static_cast<int>(ParamKind::Enum)], 31);
}

TEST_F(DeviceParams, UnusedIndicesKeepFreshDefaults) {
    for (int i : {65, 66, 67, 68, 74, 75, 76}) {
        const Param& p = P(i);
        SCOPED_TRACE(i);
        EXPECT_STREQ(p.Name(), "");
        EXPECT_EQ(p.Min(), 0.0);
        EXPECT_EQ(p.Max(), 1.0);
        EXPECT_EQ(p.Value(), 0.0);
    }
}

TEST_F(DeviceParams, ValueTexts) {
    struct Case {
        int index;
        int value;
        const char* text;
    };
    const Case cases[] = {
        {kParamCustomIrBank, 0, "Custom Bank 1"},
        {kParamCustomIrBank, 7, "Custom Bank 8"},
        {kParamCustomIrBank, 8, "Factory Bank"},
        {kParamMidiCcChannel, 0, "OMNI"},
        {kParamMidiCcChannel, 1, "Channel 1"},
        {kParamMidiCcChannel, 16, "Channel 16"},
        {kParamTunerFrequency, 0, "428Hz"},
        {kParamTunerFrequency, 12, "440Hz"},
        {kParamTunerFrequency, 24, "452Hz"},
        {kParamPatchOffset, 1, "1-128"},
        {kParamEditPotDisplayMode, 1, "Numerical Value (0-127)"},
        {kParamDisengageAllPots, 0, "All pots engaged"},
        {kParamPresetProtectionWriter, 1, "On"},
        {kParamTunerDetune, 2, "bb"},
        {kParamJack1Polarity, 1, "Ring"},
        {kParamPedal1Mode, 2, "Bend"},
        {kParamSwitchA2Operation, 1, "Latching"},
        {kParamSwitchA2FunctionMode, 4, "Program Change"},
        {kParamSwitchB1FunctionMode, 6, "Pedal"},
        {kParamPedal2MidiChannel, 0, "1"},
        {kParamSwitchA2MidiChannel, 15, "16"},
        {kParamSwitchB1MidiChannel, 0, "1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(P(c.index).GetDisplay(static_cast<double>(c.value)), c.text) << c.index << " = " << c.value;
    }
    // The tuner reference runs 428..452 Hz, one text per hertz, and its
    // default shows 440 Hz without a label.
    for (int k = 0; k <= 24; ++k) {
        EXPECT_EQ(P(kParamTunerFrequency).GetDisplay(static_cast<double>(k)), std::to_string(428 + k) + "Hz");
    }
    EXPECT_EQ(P(kParamTunerFrequency).GetDisplay(), "440Hz");
    EXPECT_EQ(P(kParamTunerFrequency).LabelForDisplay(), "");
}

TEST_F(DeviceParams, ShiftedRangesMapFromNormalised) {
    struct Case {
        int index;
        double normal;
        double value;
    };
    for (const Case& c :
         {Case{kParamReverbExtensionFactor, 0, 2}, Case{kParamReverbExtensionFactor, 1, 5},
          Case{kParamCompression, 0, 64}, Case{kParamCompression, 1, 127}, Case{kParamCustomIrBank, 1, 8}}) {
        EXPECT_EQ(P(c.index).ValueFromNormal(c.normal), c.value) << c.index << " from " << c.normal;
    }
    Param& ext = *list.GetParam(kParamReverbExtensionFactor);
    ext.SetValue(0);
    EXPECT_EQ(ext.Value(), 2.0);
    ext.SetValue(9);
    EXPECT_EQ(ext.Value(), 5.0);
}

TEST(DeviceAddresses, TableAndItsInverse) {
    struct Case {
        int index;
        int number;
    };
    for (const Case& c : {Case{0, 0}, Case{15, 15}, Case{16, 20}, Case{40, 44}, Case{63, 67}, Case{64, 16},
                          Case{65, 17}, Case{66, 18}}) {
        EXPECT_EQ(DeviceAddressTable[static_cast<std::size_t>(c.index)], c.number) << "entry " << c.index;
    }
    for (int index = 0; index < kNumPresetParams; ++index) {
        EXPECT_EQ(ParamIndexForDeviceNumber(DeviceAddressTable[static_cast<std::size_t>(index)]), index);
    }
    for (int number : {-1, 17, 18, 19, 68, 127}) {
        EXPECT_EQ(ParamIndexForDeviceNumber(number), -1) << "number " << number;
    }
}

TEST(VoicingTables, RowsAndColumnsAgreeWithTheParameters) {
    ParamList list;
    InitDeviceParams(list);
    // Spot rows, first and last of each table.
    EXPECT_EQ(AmpVoicingTable[0], (AmpVoicingRow{65, 29, 17, 112, 64, 10, 64, 58, 26, 88, 32}));
    EXPECT_EQ(AmpVoicingTable[1], (AmpVoicingRow{27, 47, 17, 126, 64, 127, 64, 82, 7, 84, 127}));
    EXPECT_EQ(AmpVoicingTable[9], (AmpVoicingRow{80, 0, 114, 80, 64, 47, 64, 66, 100, 64, 32}));
    EXPECT_EQ(ReverbVoicingTable[0], (AmbienceVoicingRow{47, 20, 3, 49, 127, 93, 127, 15, 0, 0}));
    EXPECT_EQ(ReverbVoicingTable[4], (AmbienceVoicingRow{74, 84, 4, 52, 0, 0, 127, 0, 67, 60}));

    // Each column names the parameter it sets ...
    EXPECT_STREQ(list.GetParam(kAmpVoicingParams[kAmpColPunchFreq])->Name(), "Punch Freq");
    EXPECT_STREQ(list.GetParam(kAmpVoicingParams[kAmpColCrunchQ])->Name(), "Crunch Q");
    EXPECT_STREQ(list.GetParam(kAmpVoicingParams[kAmpColPresetLevel])->Name(), "Preset Level");
    EXPECT_STREQ(list.GetParam(kAmbienceVoicingParams[kAmbColDiffusion])->Name(), "Reverb Diffusion");
    EXPECT_STREQ(list.GetParam(kAmbienceVoicingParams[kAmbColModulationRate])->Name(),
                 "Reverb Modulation Rate");

    // ... and every table value lies in that parameter's range (Compression
    // is the exception: values below 64 are applied as its minimum).
    for (const AmpVoicingRow& row : AmpVoicingTable) {
        for (int col = 0; col < kNumAmpVoicingColumns; ++col) {
            if (col == kAmpColCompression) continue;
            const Param* p = list.GetParam(kAmpVoicingParams[static_cast<std::size_t>(col)]);
            EXPECT_EQ(p->SnapAndClamp(row[static_cast<std::size_t>(col)]),
                      row[static_cast<std::size_t>(col)]);
        }
    }
    for (const AmbienceVoicingRow& row : ReverbVoicingTable) {
        for (int col = 0; col < kNumAmbienceVoicingColumns; ++col) {
            const Param* p = list.GetParam(kAmbienceVoicingParams[static_cast<std::size_t>(col)]);
            EXPECT_EQ(p->SnapAndClamp(row[static_cast<std::size_t>(col)]),
                      row[static_cast<std::size_t>(col)]);
        }
    }
    EXPECT_STREQ(kAmpVoicingPictures[3], "amp-caliclassic");
    EXPECT_STREQ(kAmbienceVoicingPictures[4], "radio-chorus");
}

TEST(DeviceState, InitialValues) {
    const FactoryIrNames names = DefaultFactoryIrNames();
    EXPECT_EQ(names[0], "FLAT RESPONSE");
    EXPECT_EQ(names[1], "VELUMO");
    EXPECT_EQ(names[8], "BOUTIQUE 4x12");

    const ProgramMap map = IdentityProgramMap();
    for (int n = 0; n < kProgramMapSize; ++n)
        EXPECT_EQ(map[static_cast<std::size_t>(n)], n);

    const LinkFlags flags;
    EXPECT_FALSE(flags.connected);
    EXPECT_TRUE(flags.autoConnect);
    EXPECT_TRUE(flags.applyFlag);
    EXPECT_FALSE(flags.presetModified);
    EXPECT_FALSE(flags.editTracking);
}

TEST(DeviceState, PresetComparisonLooksOnlyAtPresetValues) {
    DeviceValueCache device{};
    StoredPresetValues stored{};
    EXPECT_FALSE(PresetDiffers(device, stored));
    device[kParamCompression] = 90; // not a preset value
    EXPECT_FALSE(PresetDiffers(device, stored));
    device[kParamPresetLevel] = 1;
    EXPECT_TRUE(PresetDiffers(device, stored));
    stored[kParamPresetLevel] = 1;
    EXPECT_FALSE(PresetDiffers(device, stored));
}

} // namespace
} // namespace tolvane
