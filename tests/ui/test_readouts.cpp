// What the read-outs, captions and titles show at the values where a formula
// has its special cases.

#include "device/ParamTable.h"
#include "ui/PageTags.h"
#include "ui/Readouts.h"

#include <gtest/gtest.h>

#include <optional>

namespace tolvane::ui {
namespace {

struct ReadoutCase {
    int index;
    int v;
    ControlTag tag;
    const char* text;
};

TEST(Readouts, ShowTheValueInTheUnitsOfTheKnob) {
    const ReadoutCase cases[] = {
        {kParamLow, 64, kTagLowGainValue, "0.0"},
        {kParamLow, 0, kTagLowGainValue, "-12.0"},
        {kParamLow, 127, kTagLowGainValue, "12.0"},
        {kParamMidShift, 64, kTagMidFreqValue, "1000"},
        {kParamMidShift, 0, kTagMidFreqValue, "100"},
        {kParamMidShift, 127, kTagMidFreqValue, "1900"},
        {kParamDynamics, 0, kTagDynamicsValue, "-inf."},
        {kParamDynamics, 63, kTagDynamicsValue, "0.00"},
        {kParamDynamics, 64, kTagDynamicsValue, "Bypass"},
        {kParamDynamics, 65, kTagDynamicsValue, "-0.00"}, // negative zero from the factor -60
        {kParamDynamics, 127, kTagDynamicsValue, "-60.00"},
        {kParamGate, 0, kTagGateThresholdValue, "Bypass"},
        {kParamGate, 127, kTagGateThresholdValue, "-30.00"},
        {kParamAnalogSim, 0, kTagAnalogSimValue, "100"},
        {kParamAnalogSim, 64, kTagAnalogSimValue, "Bypass"},
        {kParamAnalogSim, 127, kTagAnalogSimValue, "100"},
        {kParamGain, 0, kTagGainValue, "1"},
        {kParamGain, 127, kTagGainValue, "100"},
        {kParamCompressorRatio, 127, kTagCompRatioValue, "20.0:1"},
        {kParamExpanderRatio, 127, kTagExpRatioValue, "1:12.0"},
        {kParamGateRatio, 127, kTagGateRatioValue, "10.0:1"},
        {kParamMidQ, 64, kTagMidQValue, "1.0"},
        {kParamMidQ, 0, kTagMidQValue, "0.5"},
        {kParamMidQ, 127, kTagMidQValue, "2.0"},
        {kParamGateRelease, 0, kTagGateReleaseValue, "10.0"},
        {kParamGateRelease, 127, kTagGateReleaseValue, "1000.0"},
        {kParamUserIrGain7, 64, kTagIrGainValue7, "0.00"},
        {kParamUserIrGain8, 0, kTagIrGainValue8, "-12.00"},
        {kParamCompression, 127, kTagCompressionValue, "100"},
        {kParamLevel, 127, kTagLevelValue, "100"},
        {kParamBuzz, 0, kTagBuzzGainValue, "-12.0"},
        {kParamPunch, 64, kTagPunchGainValue, "0.0"},
        {kParamPunchFreq, 127, kTagPunchFreqValue, "1900"},
        {kParamPunchFreq, 0, kTagPunchFreqValue, "100"},
        {kParamBuzzQ, 127, kTagBuzzQValue, "2.0"},
        {kParamPunchQ, 64, kTagPunchQValue, "1.0"},
        {kParamCrunchQ, 0, kTagCrunchQValue, "0.5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "parameter " << c.index << " = " << c.v);
        const auto r = ReadoutFor(c.index, c.v);
        ASSERT_TRUE(r.has_value());
        EXPECT_EQ(r->tag, c.tag);
        EXPECT_EQ(r->text, c.text);
    }
}

TEST(Readouts, ParametersWithoutAKnobOnAPageHaveNone) {
    for (int index : {kParamIr, kParamDrive, kParamScroll, kParamPatchOffset})
        EXPECT_FALSE(ReadoutFor(index, 64).has_value()) << index;
}

TEST(Readouts, CaptionsFollowTheSideOfTheCentre) {
    const ReadoutCase cases[] = {
        {kParamAnalogSim, 0, kTagAnalogSimCaption, "DIGITAL SMOOTH"},
        {kParamAnalogSim, 64, kTagAnalogSimCaption, "SMOOTHING"},
        {kParamAnalogSim, 127, kTagAnalogSimCaption, "ANALOG SMOOTH"},
        {kParamDynamics, 0, kTagDynamicsTitle, "EXPANDER"},
        {kParamDynamics, 63, kTagDynamicsTitle, "EXPANDER"},
        {kParamDynamics, 64, kTagDynamicsTitle, "DYNAMICS"},
        {kParamDynamics, 65, kTagDynamicsTitle, "COMPRESSOR"},
    };
    for (const auto& c : cases) {
        const auto r = CaptionFor(c.index, c.v);
        ASSERT_TRUE(r.has_value());
        EXPECT_EQ(r->tag, c.tag);
        EXPECT_EQ(r->text, c.text) << c.index << " = " << c.v;
    }
}

TEST(Readouts, IrSelectorReadsTheListRowTimesTen) {
    const std::pair<int, const char*> cases[] = {{1, "00"}, {16, "10"}, {64, "40"}, {112, "70"}, {127, "80"}};
    for (const auto& [v, text] : cases)
        EXPECT_EQ(IrSelectorNumber(v), text) << v;
}

// What is typed into a knob's value prompt is read in the read-out's units.
TEST(Readouts, TypedReadoutsFindTheirValue) {
    struct Case {
        int index;
        const char* typed;
        int current;
        std::optional<int> expected;
    };
    const Case cases[] = {
        {kParamLevel, "50", 0, 63}, // 63 and 64 both read "50": the one nearest the knob
        {kParamLevel, "50", 127, 64},
        {kParamLevel, " 100 % ", 0, 127},
        {kParamLevel, "250", 0, 127}, // beyond the scale: its end
        {kParamLow, "-12 dB", 64, 0},
        {kParamLow, "0", 0, 64},
        {kParamDynamics, "bypass", 0, 64}, // a read-out's own word, in any case
        {kParamDynamics, "-inf.", 64, 0},
        {kParamCompressorRatio, "20:1", 0, 127},
        {kParamExpanderRatio, "1:12", 0, 127},
        {kParamAnalogSim, "100", 120, 127}, // both ends read 100: the side the knob is on
        {kParamAnalogSim, "100", 10, 0},
        {kParamLevel, "loud", 0, std::nullopt},
        {kParamLevel, "", 0, std::nullopt},
        {kParamDrive, "50", 0, std::nullopt}, // no read-out of its own
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "parameter " << c.index << " typed \"" << c.typed << "\"");
        EXPECT_EQ(ValueForReadout(c.index, c.typed, c.current, 0, 127), c.expected);
    }
}

// Units and their prefixes are read, one table row per read-out kind, and a
// value past the scale gives the scale's end.
TEST(Readouts, TypedNumbersAreReadInTheirUnits) {
    struct Case {
        int index;
        const char* typed;
        std::optional<int> expected;
        int current = 0; // where the knob is: ties go to the value nearest it
    };
    const Case cases[] = {
        // ms: 10 .. 1000
        {kParamGateRelease, "1 s", 127},
        {kParamGateRelease, "0.5s", 89},
        {kParamGateRelease, "0,5 S", 89},
        {kParamGateRelease, "500 ms", 89},
        {kParamGateRelease, "10MS", 0},
        {kParamGateRelease, "5 s", 127},
        {kParamGateRelease, "500 Hz", std::nullopt},
        // Hz: 100 .. 1900
        {kParamMidShift, "2 kHz", 127},
        {kParamMidShift, "1 kHz", 64},
        {kParamMidShift, "1.5K", 99},
        {kParamMidShift, "0,2khz", 7},
        {kParamMidShift, "550hz", 32},
        {kParamMidShift, "50 Hz", 0},
        {kParamPunchFreq, "1.9kHz", 127},
        // dB
        {kParamLow, "-6dB", 32},
        {kParamLow, "-6,0 db", 32},
        {kParamLow, "+12 DB", 127},
        {kParamGate, "-40 dB", 109},
        {kParamGate, "5 Hz", std::nullopt},
        // %
        {kParamReverb, "25 %", 32},
        {kParamReverb, "25%", 32},
        {kParamLevel, "25 dB", std::nullopt},
        {kParamLevel, "25 % more", std::nullopt},
        // ratios: the free side, however it is written
        {kParamGateRatio, "4:1", 42},
        {kParamGateRatio, "4 : 1", 42},
        {kParamGateRatio, "1:4", 42},
        {kParamGateRatio, "4", 42},
        {kParamGateRatio, "40:1", 127},
        {kParamCompressorRatio, "10:1", 60},
        {kParamExpanderRatio, "1:6", 58},
        {kParamExpanderRatio, "6:1", 58},
        {kParamExpanderRatio, "6", 58},
        {kParamGateRatio, "4:x", std::nullopt},
        {kParamGateRatio, "4 dB", std::nullopt},
        // a filter's quality has no unit
        {kParamMidQ, "1,0", 64, 64},
        {kParamMidQ, "2", 127, 127},
        {kParamMidQ, "1 dB", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "parameter " << c.index << " typed \"" << c.typed << "\"");
        EXPECT_EQ(ValueForReadout(c.index, c.typed, c.current, 0, 127), c.expected);
    }
}

} // namespace
} // namespace tolvane::ui
