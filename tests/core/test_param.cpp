#include "core/Param.h"
#include "core/ParamList.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace tolvane {
namespace {

Param& MakeInt127(Param& p) {
    p.InitInt("Gain", 64, 0, 127);
    return p;
}

TEST(Param, FreshParameterHasNeutralDefaults) {
    Param p;
    EXPECT_EQ(p.Kind(), ParamKind::None);
    EXPECT_EQ(p.Unit(), 21);
    EXPECT_EQ(p.Value(), 0.0);
    EXPECT_EQ(p.Min(), 0.0);
    EXPECT_EQ(p.Max(), 1.0);
    EXPECT_EQ(p.Step(), 1.0);
    EXPECT_EQ(p.Flags(), 0);
    EXPECT_STREQ(p.Name(), "");
    EXPECT_EQ(p.NDisplayTexts(), 0);
    EXPECT_EQ(p.GetShape().DisplayKind(), 0);
}

TEST(Param, InitialisersSetKindStepAndFlags) {
    Param i, e, d, preset;
    i.InitInt("I", 3, 0, 10, "lbl", kFlagNegateDisplay);
    e.InitEnum("E", 1, 3);
    d.InitDouble("D", 0.25, 0.0, 1.0, 0.01);
    preset.SetKind(ParamKind::Int);
    preset.InitDouble("P", 2, 0, 5, 1, "", kFlagStepped);

    EXPECT_EQ(i.Kind(), ParamKind::Int);
    EXPECT_EQ(i.Flags(), kFlagNegateDisplay | kFlagStepped);
    EXPECT_EQ(i.Value(), 3.0);
    EXPECT_STREQ(i.Label(), "lbl");

    EXPECT_EQ(e.Kind(), ParamKind::Enum);
    EXPECT_EQ(e.Min(), 0.0);
    EXPECT_EQ(e.Max(), 2.0);
    EXPECT_TRUE(e.IsStepped());

    EXPECT_EQ(d.Kind(), ParamKind::Double);
    EXPECT_FALSE(d.IsStepped());
    EXPECT_EQ(d.DisplayPrecision(), 2);
    EXPECT_EQ(d.Unit(), 21);

    EXPECT_EQ(preset.Kind(), ParamKind::Int) << "a kind set before the plain initialiser is kept";
}

TEST(Param, MaxIsAtLeastOneStepAboveMin) {
    Param p;
    p.InitDouble("Flat", 0, 0, 0, 1);
    EXPECT_EQ(p.Max(), 1.0);
}

TEST(Param, DisplayPrecisionFollowsTheStep) {
    struct Case {
        double step;
        int precision;
    };
    for (const Case& c :
         {Case{1, 0}, Case{5, 0}, Case{0.5, 1}, Case{0.01, 2}, Case{0.125, 3}, Case{1e-9, 6}}) {
        Param p;
        p.InitDouble("x", 0, 0, 10, c.step);
        EXPECT_EQ(p.DisplayPrecision(), c.precision) << "step " << c.step;
    }
}

TEST(Param, SetValueSnapsHalvesAwayFromZeroAndClamps) {
    struct Case {
        double in;
        double stored;
    };
    Param p;
    MakeInt127(p);
    for (const Case& c : {Case{63.5, 64}, Case{63.49, 63}, Case{-3, 0}, Case{200, 127}, Case{-0.5, 0}}) {
        p.SetValue(c.in);
        EXPECT_EQ(p.Value(), c.stored) << "given " << c.in;
    }
    // Halves go away from zero on the negative side too.
    Param signedParam;
    signedParam.InitInt("s", 0, -10, 10);
    EXPECT_EQ(signedParam.SnapAndClamp(-2.5), -3.0);
    EXPECT_EQ(signedParam.SnapAndClamp(2.5), 3.0);
}

TEST(Param, UnsteppedValueIsOnlyClamped) {
    Param p;
    p.InitDouble("row", 0, 0, 19, 1);
    p.SetValue(3.7);
    EXPECT_EQ(p.Value(), 3.7);
    EXPECT_EQ(p.Int(), 3);
    p.SetValue(25.0);
    EXPECT_EQ(p.Value(), 19.0);
}

TEST(Param, NotANumberBecomesTheMinimum) {
    Param p;
    p.InitInt("r", 3, 2, 5);
    p.SetValue(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(p.Value(), 2.0);
    EXPECT_EQ(p.ValueFromNormal(std::nan("")), 2.0);
}

TEST(Param, NormalisedConversions) {
    struct Case {
        double normal;
        double value;
    };
    Param p;
    MakeInt127(p);
    // 0.004 * 127 = 0.508, which rounds up; the input itself is not clamped.
    for (const Case& c :
         {Case{0.004, 1}, Case{0.0, 0}, Case{0.5, 64}, Case{1.0, 127}, Case{1.2, 127}, Case{-0.3, 0}}) {
        EXPECT_EQ(p.ValueFromNormal(c.normal), c.value) << "normal " << c.normal;
    }
    EXPECT_DOUBLE_EQ(p.NormalFromValue(64), 64.0 / 127.0);
    EXPECT_EQ(p.NormalFromValue(500), 1.0);
    EXPECT_EQ(p.NormalFromValue(-5), 0.0);

    Param shifted;
    shifted.InitInt("Reverb Extension Factor", 2, 2, 5);
    EXPECT_EQ(shifted.ValueFromNormal(0), 2.0);
    EXPECT_EQ(shifted.ValueFromNormal(1), 5.0);
    shifted.SetValue(5);
    EXPECT_EQ(shifted.GetNormalised(), 1.0);
}

TEST(Param, EnumTextsAndLabelForDisplay) {
    Param p;
    p.InitEnum("Mode", 0, 3, "hint", 0, "", {"Control", "Aftertouch", "Bend"});
    EXPECT_EQ(p.NDisplayTexts(), 3);
    EXPECT_EQ(p.GetDisplay(1.0), "Aftertouch");
    EXPECT_EQ(p.GetDisplay(1.0, false), "1");
    EXPECT_EQ(p.GetDisplay(1.5), "2") << "no text for 1.5: printed, rounded away from zero";
    EXPECT_STREQ(p.DisplayTextFor(2), "Bend");
    EXPECT_EQ(p.DisplayTextFor(3), nullptr);
    double v = -1;
    EXPECT_STREQ(p.DisplayTextAt(2, &v), "Bend");
    EXPECT_EQ(v, 2.0);
    EXPECT_EQ(p.DisplayTextAt(3), nullptr);
    EXPECT_EQ(p.DisplayTextAt(-1), nullptr);
    EXPECT_EQ(p.LabelForDisplay(), "") << "value 0 has a text";

    Param plain;
    plain.InitInt("Drive", 5, 0, 127, "[0...127]");
    plain.AddDisplayText(5, "");
    EXPECT_EQ(plain.LabelForDisplay(), "[0...127]") << "an empty text does not hide the label";
    EXPECT_EQ(plain.GetDisplay(), "5") << "an empty text falls through to the number";
}

TEST(Param, FirstMatchingTextWins) {
    Param p;
    p.InitInt("x", 0, 0, 3);
    p.AddDisplayText(1, "first");
    p.AddDisplayText(1, "second");
    EXPECT_EQ(p.GetDisplay(1.0), "first");
}

TEST(Param, DisplayOfNumbersWithFlags) {
    struct Case {
        int flags;
        double step;
        double value;
        const char* text;
    };
    const Case cases[] = {
        {0, 1, 5, "5"},
        {0, 1, 2.5, "3"},
        {0, 1, -2.5, "-3"},
        {kFlagNegateDisplay, 1, 5, "-5"},
        {kFlagNegateDisplay, 1, 0, "0"},     // negated zero is shown as zero
        {kFlagNegateDisplay, 0.1, 0, "0.0"}, // ... also with decimals
        {0, 0.1, -0.0, "0.0"},               // a stored negative zero too
        {kFlagSignDisplay, 0.1, 2.5, "+2.5"},
        {kFlagSignDisplay, 0.1, -2.5, "-2.5"},
        {kFlagSignDisplay, 0.1, 0, "0.0"}, // zero carries no sign
        {kFlagSignDisplay, 1, 3, "3"},     // whole-number display has no sign
        {kFlagNegateDisplay | kFlagSignDisplay, 0.01, -1.25, "+1.25"},
    };
    for (const Case& c : cases) {
        Param p;
        p.InitDouble("x", 0, -10, 10, c.step, "", c.flags);
        EXPECT_EQ(p.GetDisplay(c.value), c.text) << "flags " << c.flags << " value " << c.value;
    }
}

TEST(Param, DisplayFunctionReplacesTheBuiltInText) {
    Param p;
    p.InitDouble("x", 0, 0, 10, 1, "", 0, "", Param::ShapeLinear(),
                 [](double v, std::string& text) { text = "v=" + std::to_string(static_cast<int>(v)); });
    p.AddDisplayText(4, "four");
    EXPECT_EQ(p.GetDisplay(4.0), "v=4");
}

TEST(Param, LongTextsAreStoredCut) {
    const char* longLabel = "[Room, Hall, Arena, Spring, Plate]";
    Param p;
    p.InitInt("A name that runs well past thirty-one characters", 0, 0, 4, longLabel);
    p.AddDisplayText(0, "A text that runs well past thirty-one characters");
    EXPECT_STREQ(p.Label(), "[Room, Hall, Arena, Spring, Pla");
    EXPECT_EQ(std::strlen(p.Label()), 31u);
    EXPECT_EQ(std::strlen(p.Name()), 31u);
    EXPECT_EQ(p.GetDisplay(0.0),
              std::string("A text that runs well past thirty-one characters").substr(0, 31));
}

// ---- ParamList --------------------------------------------------------------

class ParamListTest : public ::testing::Test {
protected:
    void SetUp() override {
        list.Add()->InitInt("a", 1, 0, 127);
        list.Add()->InitInt("b", 2, 0, 127);
        list.Add()->InitDouble("c", 0.5, 0, 19, 1);
    }
    static void AppendDouble(std::vector<std::uint8_t>& data, double v) {
        std::uint8_t bytes[sizeof v];
        std::memcpy(bytes, &v, sizeof v);
        data.insert(data.end(), bytes, bytes + sizeof v);
    }
    ParamList list;
};

TEST_F(ParamListTest, IndexOutsideTheListGivesNull) {
    EXPECT_EQ(list.Size(), 3);
    EXPECT_NE(list.GetParam(2), nullptr);
    EXPECT_EQ(list.GetParam(3), nullptr);
    EXPECT_EQ(list.GetParam(-1), nullptr);
}

TEST_F(ParamListTest, SerializedValuesReadBackFromAnOffset) {
    list.GetParam(0)->SetValue(100);
    list.GetParam(2)->SetValue(7.25);
    std::vector<std::uint8_t> data = {0xAA, 0xBB}; // leading bytes are kept
    ASSERT_TRUE(list.SerializeParams(data));
    ASSERT_EQ(data.size(), 2u + 3 * 8);
    EXPECT_EQ(data[0], 0xAA);

    ParamList other;
    other.Add()->InitInt("a", 0, 0, 127);
    other.Add()->InitInt("b", 0, 0, 127);
    other.Add()->InitDouble("c", 0, 0, 19, 1);
    EXPECT_EQ(other.UnserializeParams(data, 2), 26);
    EXPECT_EQ(other.GetParam(0)->Value(), 100.0);
    EXPECT_EQ(other.GetParam(1)->Value(), 2.0);
    EXPECT_EQ(other.GetParam(2)->Value(), 7.25);
}

TEST_F(ParamListTest, ReadValuesAreConstrained) {
    std::vector<std::uint8_t> data;
    AppendDouble(data, 63.5);
    AppendDouble(data, 999);
    AppendDouble(data, -4);
    EXPECT_EQ(list.UnserializeParams(data, 0), 24);
    EXPECT_EQ(list.GetParam(0)->Value(), 64.0);
    EXPECT_EQ(list.GetParam(1)->Value(), 127.0);
    EXPECT_EQ(list.GetParam(2)->Value(), 0.0);
}

TEST_F(ParamListTest, ShortBufferSetsTheLeadingValuesAndReturnsMinusOne) {
    std::vector<std::uint8_t> data;
    AppendDouble(data, 10);
    data.insert(data.end(), {1, 2, 3, 4, 5, 6, 7}); // one byte short of a second double
    EXPECT_EQ(list.UnserializeParams(data, 0), -1);
    EXPECT_EQ(list.GetParam(0)->Value(), 10.0);
    EXPECT_EQ(list.GetParam(1)->Value(), 2.0);
    EXPECT_EQ(list.GetParam(2)->Value(), 0.5);

    EXPECT_EQ(list.UnserializeParams(data, 100), -1) << "a start past the end";
    EXPECT_EQ(list.UnserializeParams(data, -1), -1);
}

} // namespace
} // namespace tolvane
