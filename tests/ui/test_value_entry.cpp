// Values typed, wheeled and dragged on the section pages: what the user types
// into a knob's prompt is read in the read-out's units, the value boxes take
// the wheel, a drag and a double-click, and each read-out has its own unit.

#include "PagesFixture.h"
#include "device/ParamTable.h"
#include "toolkit/TextEntryControl.h"
#include "toolkit/VectorControls.h"
#include "ui/PageTags.h"
#include "ui/Readouts.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>

namespace tolvane::testing {
namespace {

class ValueEntryTest : public PagesTest {
protected:
    // The shown control of type C bound to the parameter.
    template <typename C> C* Shown(int param) {
        for (int i = 0; i < graphics->NControls(); ++i) {
            auto* c = dynamic_cast<C*>(graphics->GetControl(i));
            if (c && c->GetParamIdx() == param && !c->IsHidden()) return c;
        }
        return nullptr;
    }
    // Types into the open prompt and presses Return.
    void Type(const char* text) {
        TextEntryControl* entry = graphics->GetTextEntryControl();
        ASSERT_TRUE(entry && entry->IsEditing());
        entry->Editor()->setText(text);
        QTest::keyClick(entry->Editor(), Qt::Key_Return);
        Frame();
    }
};

// A right-click on a knob, a value with its unit typed: the knob goes to the
// value nearest it, or to the end of its scale.
TEST_F(ValueEntryTest, KnobPromptReadsUnitsAndTheirPrefixes) {
    Connect();
    struct Case {
        int page;
        int param;
        const char* typed;
        int expected;
        const char* readout;
    };
    const Case cases[] = {
        {ui::kPageGate, kParamGateRelease, "0.5s", 89, "496.2"},
        {ui::kPageGate, kParamGateRelease, "1 s", 127, "1000.0"},
        {ui::kPageMidFilter, kParamMidShift, "2 kHz", 127, "1900"},
        {ui::kPageMidFilter, kParamMidShift, "550Hz", 32, "554"},
        {ui::kPageGate, kParamGateRatio, "4:1", 42, "4.0:1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        pages->ShowSectionPage(c.page);
        VectorKnobControl* knob = Shown<VectorKnobControl>(c.param);
        ASSERT_NE(knob, nullptr);
        const Rect r = knob->GetRect();
        test::Press(*graphics, r.MW(), r.MH(), Qt::RightButton);
        test::Release(*graphics, r.MW(), r.MH(), Qt::RightButton);
        Type(c.typed);
        EXPECT_EQ(ParamInt(c.param), c.expected);
        EXPECT_EQ(Text(ui::ReadoutFor(c.param, c.expected)->tag), c.readout);
    }
}

// The value box of a setting without a knob: the wheel steps it, a drag
// moves it, a double-click opens the text editor for a typed value.
TEST_F(ValueEntryTest, ValueBoxesTakeTheWheelADragAndADoubleClick) {
    Connect();
    pages->ShowSectionPage(ui::kPageGate);
    CaptionControl* box = Shown<CaptionControl>(kParamGateAttack);
    ASSERT_NE(box, nullptr);
    const float x = box->GetRect().MW(), y = box->GetRect().MH();
    const int start = ParamInt(kParamGateAttack);
    ASSERT_LT(start, 100);

    test::Wheel(*graphics, x, y, 120);
    EXPECT_EQ(ParamInt(kParamGateAttack), start + 1);

    test::Press(*graphics, x, y);
    test::DragTo(*graphics, x, y - 20);
    test::Release(*graphics, x, y - 20);
    Frame();
    EXPECT_EQ(ParamInt(kParamGateAttack), start + 1 + 13); // 127 over 200 units
    EXPECT_EQ(box->CaptionText(), std::to_string(start + 14));

    test::DoubleClick(*graphics, x, y);
    Type("100");
    EXPECT_EQ(ParamInt(kParamGateAttack), 100);
}

// The unit under each knob's read-out; a ratio's read-out carries its own
// ":1" and needs none.
TEST_F(ValueEntryTest, EveryReadoutHasItsUnit) {
    struct Case {
        ControlTag readout;
        const char* unit;
    };
    const Case cases[] = {
        {ui::kTagReverbLevelValue, "%"},    {ui::kTagDecayValue, "%"},       {ui::kTagAnalogSimValue, "%"},
        {ui::kTagGateThresholdValue, "dB"}, {ui::kTagGateRatioValue, ""},    {ui::kTagGateReleaseValue, "ms"},
        {ui::kTagLevelValue, "%"},          {ui::kTagGainValue, "%"},        {ui::kTagPresenceValue, "%"},
        {ui::kTagCompressionValue, "%"},    {ui::kTagCleanValue, "%"},       {ui::kTagDynamicsValue, "dB"},
        {ui::kTagCompRatioValue, ""},       {ui::kTagExpRatioValue, ""},     {ui::kTagBuzzGainValue, "dB"},
        {ui::kTagBuzzQValue, "Level"},      {ui::kTagPunchGainValue, "dB"},  {ui::kTagPunchFreqValue, "Hz"},
        {ui::kTagPunchQValue, "Level"},     {ui::kTagCrunchQValue, "Level"}, {ui::kTagLowGainValue, "dB"},
        {ui::kTagLowQValue, "Level"},       {ui::kTagMidGainValue, "dB"},    {ui::kTagMidFreqValue, "Hz"},
        {ui::kTagMidQValue, "Level"},       {ui::kTagHighGainValue, "dB"},   {ui::kTagHighQValue, "Level"},
        {ui::kTagAutoFilterValue, "%"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "read-out " << c.readout);
        const Control* readout = graphics->ControlByTag(c.readout);
        ASSERT_NE(readout, nullptr);
        // The unit: the untagged text of the read-out's group nearest below it
        // on the same column.
        const TextControl* unit = nullptr;
        graphics->ForEachInGroup(readout->GetGroup(), [&](Control& k) {
            auto* t = dynamic_cast<TextControl*>(&k);
            if (!t || t->GetTag() != kNoTag || dynamic_cast<CaptionControl*>(t)) return;
            const Rect r = t->GetRect(), o = readout->GetRect();
            if (std::fabs(r.MW() - o.MW()) > 1.f || r.T < o.B) return;
            if (!unit || r.T < unit->GetRect().T) unit = t;
        });
        ASSERT_NE(unit, nullptr);
        EXPECT_EQ(unit->GetStr(), c.unit);
    }
}

} // namespace
} // namespace tolvane::testing
