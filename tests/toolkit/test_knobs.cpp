// Knob, slider and wheel arithmetic, defaults, and the value prompt.

#include "Fixtures.h"

#include "toolkit/BitmapControls.h"
#include "toolkit/OverlayControls.h"
#include "toolkit/TextControls.h"
#include "toolkit/TextEntryControl.h"
#include "toolkit/VectorControls.h"

#include <QImage>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace tolvane::test {
namespace {

struct KnobFixture : UiTest {
    // Given as top-left plus size: the knob is centred on (770, 189).
    BitmapKnobRotaterControl* knob = ui->AddControl(std::make_unique<BitmapKnobRotaterControl>(
        Rect(1438, 276, 102, 102), ui->LoadBitmap("knob.png"), kGain));

    void Start(int param, double plain) {
        knob->SetParamIdx(param);
        Param* p = delegate.params.GetParam(param);
        p->SetValue(plain);
        knob->SetValueFromDelegate(p->GetNormalised());
        delegate.changes.clear();
    }
};

TEST_F(KnobFixture, IsTheBitmapSizeCentredOnTheGivenRect) {
    EXPECT_EQ(knob->GetRect(), Rect(750, 169, 790, 209));
}

TEST_F(KnobFixture, VerticalDragMovesByDistanceOverHeightOverGearing) {
    struct Case {
        const char* what;
        int param;
        double start;          // plain
        std::vector<float> dy; // successive drags, canvas units, + is down
        Qt::KeyboardModifiers keys;
        double expected; // plain
    };
    // Knob height 40, gearing 4: 16 units are 0.1 of the range.
    const Case cases[] = {
        {"up", kGain, 50, {-16}, Qt::NoModifier, 60},
        {"down", kGain, 50, {16}, Qt::NoModifier, 40},
        {"shift is ten times finer", kGain, 50, {-16}, Qt::ShiftModifier, 51},
        {"ctrl is ten times finer", kGain, 50, {-16}, Qt::ControlModifier, 51},
        {"clamped at the top", kGain, 50, {-400}, Qt::NoModifier, 100},
        {"clamped at the bottom", kGain, 50, {400}, Qt::NoModifier, 0},
        {"stepped: small moves add up to the next step", kSteps, 5, {-4, -4}, Qt::NoModifier, 6},
        {"stepped: snapped", kSteps, 5, {-7}, Qt::NoModifier, 5},
    };
    for (const Case& c : cases) {
        Start(c.param, c.start);
        float y = 189;
        Press(*ui, 770, y);
        for (float dy : c.dy)
            DragTo(*ui, 770, y += dy, c.keys);
        Release(*ui, 770, y);
        EXPECT_NEAR(delegate.params.GetParam(c.param)->Value(), c.expected, 1e-9) << c.what;
    }
}

// A knob turned by the user moves every other control bound to the same
// parameter (the pedal's knob and its section page's knob), and only those.
TEST_F(KnobFixture, TurningAKnobMovesItsPeersOnTheSameParameter) {
    auto* peer = ui->AddControl(std::make_unique<BitmapKnobRotaterControl>(
        Rect(100, 100, 102, 102), ui->LoadBitmap("knob.png"), kGain));
    auto* other = ui->AddControl(std::make_unique<BitmapKnobRotaterControl>(
        Rect(300, 100, 102, 102), ui->LoadBitmap("knob.png"), kSteps));
    Start(kGain, 50);
    peer->SetValueFromDelegate(0.5);
    const double otherBefore = other->GetValue();
    Press(*ui, 770, 189);
    DragTo(*ui, 770, 189 - 16);
    Release(*ui, 770, 189 - 16);
    EXPECT_NEAR(knob->GetValue(), 0.6, 1e-9);
    EXPECT_NEAR(peer->GetValue(), 0.6, 1e-9);
    EXPECT_EQ(other->GetValue(), otherBefore);
    // The peer was told as the delegate tells it: no second edit of the parameter.
    EXPECT_EQ(delegate.changes.size(), 1u);
}

TEST_F(KnobFixture, WheelMovesByAHundredthOrOneStep) {
    struct Case {
        const char* what;
        int param;
        double start;
        int angleDelta;
        Qt::KeyboardModifiers keys;
        double expected;
    };
    const Case cases[] = {
        {"notch up", kGain, 50, 120, Qt::NoModifier, 51},
        {"notch down", kGain, 50, -120, Qt::NoModifier, 49},
        {"fine notch", kGain, 50, 120, Qt::ShiftModifier, 50.1},
        {"two notches", kGain, 50, 240, Qt::NoModifier, 52},
        {"stepped up one step", kSteps, 5, 120, Qt::NoModifier, 6},
        {"stepped down one step", kSteps, 5, -120, Qt::NoModifier, 4},
        {"stepped at the top stays", kSteps, 10, 120, Qt::NoModifier, 10},
        {"enumeration one entry", kMode, 1, 120, Qt::NoModifier, 2},
    };
    for (const Case& c : cases) {
        Start(c.param, c.start);
        Wheel(*ui, 770, 189, c.angleDelta, c.keys);
        EXPECT_NEAR(delegate.params.GetParam(c.param)->Value(), c.expected, 1e-9) << c.what;
    }
    // No movement, no edit.
    Start(kGain, 50);
    Wheel(*ui, 770, 189, 0);
    EXPECT_TRUE(delegate.changes.empty());
}

TEST_F(KnobFixture, DoubleClickReturnsToTheDefault) {
    Start(kGain, 73);
    DoubleClick(*ui, 770, 189);
    EXPECT_EQ(delegate.params.GetParam(kGain)->Value(), 0.0);
    EXPECT_EQ(knob->GetValue(), 0.0);
}

TEST_F(KnobFixture, BitmapIsRotatedByThreeHundredDegreesOverTheRange) {
    // The pointer is a white line from the centre straight up in the bitmap.
    auto whiteAt = [&](double angleDeg) {
        const double a = angleDeg * 3.14159265358979 / 180.0;
        const QImage image = ui->RenderToImage();
        const QRgb px = image.pixel(int(770 + 12 * std::sin(a)), int(189 - 12 * std::cos(a)));
        return qGreen(px) > 200;
    };
    Start(kGain, 0);
    EXPECT_TRUE(whiteAt(-150));
    EXPECT_FALSE(whiteAt(0));
    Start(kGain, 50);
    EXPECT_TRUE(whiteAt(0));
    Start(kGain, 100);
    EXPECT_TRUE(whiteAt(150));
    EXPECT_FALSE(whiteAt(-150));
}

TEST(VectorSlider, VerticalHasItsMaximumAtTheTopAndWheelStepsByOne) {
    UiFixture f;
    VectorStyle style;
    style.showValue = false;
    auto* slider = f.ui->AddControl(
        std::make_unique<VectorSliderControl>(Rect(0, 0, 30, 143), kPosition, "", style, true, 16.f));
    Param* position = f.delegate.params.GetParam(kPosition);
    // Travel is 127 units: one unit per value.
    EXPECT_EQ(slider->HandleRect().T, 127.f);
    Press(*f.ui, 15, 130);
    DragTo(*f.ui, 15, 30);
    Release(*f.ui, 15, 30);
    EXPECT_EQ(position->Int(), 100);
    EXPECT_NEAR(slider->HandleRect().T, 27.f, 1e-3);

    Press(*f.ui, 15, 30);
    DragTo(*f.ui, 15, 50);
    Release(*f.ui, 15, 50);
    EXPECT_EQ(position->Int(), 80);

    Wheel(*f.ui, 15, 50, 120);
    EXPECT_EQ(position->Int(), 81);
    Wheel(*f.ui, 15, 50, -120);
    Wheel(*f.ui, 15, 50, -120);
    EXPECT_EQ(position->Int(), 79);
}

struct PromptFixture : UiTest {
    VectorKnobControl* modeKnob =
        ui->AddControl(std::make_unique<VectorKnobControl>(Rect(100, 100, 200, 200), kMode, "MODE"));
    VectorKnobControl* gainKnob =
        ui->AddControl(std::make_unique<VectorKnobControl>(Rect(300, 100, 400, 200), kGain, "GAIN"));
};

TEST_F(PromptFixture, RightClickOnAnEnumerationListsEveryValueWithTheCurrentTicked) {
    Press(*ui, 150, 150, Qt::RightButton);
    Release(*ui, 150, 150, Qt::RightButton);
    PopupMenuControl* menu = ui->GetPopupMenuControl();
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(menu->IsOpen());
    ASSERT_EQ(menu->NItems(), 3);
    const char* texts[] = {"Room", "Hall", "Plate"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(menu->Item(i).text, texts[i]);
        EXPECT_EQ(menu->Item(i).checked, i == 1) << i;
    }
    // Right-click opens no drag: the knob kept its value.
    EXPECT_EQ(delegate.params.GetParam(kMode)->Int(), 1);

    const Rect plate = menu->ItemRect(2);
    Click(*ui, plate.MW(), plate.MH());
    EXPECT_FALSE(menu->IsOpen());
    EXPECT_EQ(delegate.params.GetParam(kMode)->Int(), 2);
    EXPECT_EQ(modeKnob->GetValue(), 1.0);
    ASSERT_EQ(delegate.changes.size(), 1u);
    EXPECT_EQ(delegate.changes[0].index, kMode);
}

TEST_F(PromptFixture, ClickOutsideTheMenuClosesItUnchosenAndReachesNothingElse) {
    ui->PromptValue(*modeKnob);
    Click(*ui, 350, 150); // over the gain knob, but the menu is on top
    EXPECT_FALSE(ui->GetPopupMenuControl()->IsOpen());
    EXPECT_EQ(delegate.params.GetParam(kMode)->Int(), 1);
    EXPECT_TRUE(delegate.changes.empty());
}

TEST_F(PromptFixture, ParameterWithoutTextsIsTypedInTheTextEditor) {
    delegate.params.GetParam(kGain)->SetValue(12.5);
    gainKnob->SetValueFromDelegate(0.125);
    Press(*ui, 350, 150, Qt::RightButton);
    TextEntryControl* entry = ui->GetTextEntryControl();
    ASSERT_NE(entry, nullptr);
    ASSERT_TRUE(entry->IsEditing());
    EXPECT_EQ(entry->Editor()->text(), "12.5");
    // A small box over the middle of the knob, not the whole knob.
    const QRect box = entry->Editor()->geometry();
    EXPECT_LT(box.height(), 60);
    EXPECT_TRUE(QRect(300, 100, 100, 100).contains(box.center()));
    entry->Editor()->setText("42");
    QTest::keyClick(entry->Editor(), Qt::Key_Return);
    EXPECT_DOUBLE_EQ(delegate.params.GetParam(kGain)->Value(), 42.0);
    EXPECT_DOUBLE_EQ(gainKnob->GetValue(), 0.42);
}

TEST(Caption, LeftClickPromptsAndEnumerationsShowTheTriangle) {
    UiFixture f;
    auto* caption = f.ui->AddControl(std::make_unique<CaptionControl>(Rect(0, 0, 200, 40), kMode));
    auto* steps = f.ui->AddControl(std::make_unique<CaptionControl>(Rect(0, 50, 200, 90), kSteps));
    EXPECT_EQ(caption->CaptionText(), "Hall");
    EXPECT_TRUE(caption->ShowsTriangle());
    EXPECT_FALSE(steps->ShowsTriangle());
    Click(*f.ui, 100, 20);
    ASSERT_NE(f.ui->GetPopupMenuControl(), nullptr);
    EXPECT_TRUE(f.ui->GetPopupMenuControl()->IsOpen());
}

// A value box is edited like the number boxes: the wheel steps it, a drag
// moves it (a short list too) without opening the prompt, and a double-click
// opens the text editor for a typed value.
TEST(Caption, WheelDragAndDoubleClickEditTheValue) {
    UiFixture f;
    f.ui->AddControl(std::make_unique<CaptionControl>(Rect(0, 0, 200, 40), kPosition));
    f.ui->AddControl(std::make_unique<CaptionControl>(Rect(0, 50, 200, 90), kMode));
    const Param& position = *f.delegate.params.GetParam(kPosition);
    const Param& mode = *f.delegate.params.GetParam(kMode);

    Wheel(*f.ui, 100, 20, 120);
    Wheel(*f.ui, 100, 20, 120);
    EXPECT_EQ(position.Int(), 2);
    Wheel(*f.ui, 100, 20, -120);
    EXPECT_EQ(position.Int(), 1);

    Press(*f.ui, 100, 20);
    DragTo(*f.ui, 100, 0); // 20 units up: 127 / 200 a unit
    Release(*f.ui, 100, 0);
    EXPECT_EQ(position.Int(), 14);
    EXPECT_FALSE(f.ui->GetTextEntryControl() && f.ui->GetTextEntryControl()->IsEditing());

    Press(*f.ui, 100, 70);
    DragTo(*f.ui, 100, 50); // a step per 20 units for a list of three
    Release(*f.ui, 100, 50);
    EXPECT_EQ(mode.Int(), 2);
    EXPECT_FALSE(f.ui->GetPopupMenuControl() && f.ui->GetPopupMenuControl()->IsOpen());
    Wheel(*f.ui, 100, 70, -120);
    EXPECT_EQ(mode.Int(), 1);

    DoubleClick(*f.ui, 100, 20);
    TextEntryControl* entry = f.ui->GetTextEntryControl();
    ASSERT_TRUE(entry && entry->IsEditing());
    EXPECT_EQ(entry->Editor()->text(), "14");
    entry->Editor()->setText("42");
    QTest::keyClick(entry->Editor(), Qt::Key_Return);
    EXPECT_EQ(position.Int(), 42);
}

} // namespace
} // namespace tolvane::test
