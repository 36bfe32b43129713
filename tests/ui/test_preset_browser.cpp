// The preset browser through the canvas: the list's wheel, scroll and press,
// and the virtual pedal's up, down, select and save switches, with what goes
// to the pedal.

#include "PagesFixture.h"

#include "device/SysexBuilders.h"

namespace tolvane::testing {
namespace {

constexpr float kListX = 100.f;
constexpr float kUpX = 1490.f, kDownX = 760.f, kSelectX = 1130.f, kSwitchY = 520.f;
constexpr float kSaveX = 885.f, kSaveY = 330.f;

Bytes Select(int slot) {
    const auto m = sysex::BuildSelectPreset(std::uint8_t(slot));
    return Bytes(m.begin(), m.end());
}
Bytes SaveToSlot(int slot) {
    const auto m = sysex::BuildSetParameter(18, std::uint8_t(slot));
    return Bytes(m.begin(), m.end());
}

TEST_F(PagesTest, TheWheelScrollsTheListThreeRowsOrOneWithShiftOrCtrl) {
    struct Turn {
        int delta;
        Qt::KeyboardModifiers keys;
        int firstVisible;
    };
    const Turn turns[] = {
        {+120, Qt::NoModifier, 0}, // already at the top
        {-120, Qt::NoModifier, 3},      {-120, Qt::ShiftModifier, 4},
        {-120, Qt::ControlModifier, 5}, {+120, Qt::NoModifier, 2},
    };
    for (const auto& t : turns) {
        test::Wheel(*graphics, kListX, 600, t.delta, t.keys);
        EXPECT_EQ(pages->FirstVisiblePreset(), t.firstVisible);
        EXPECT_EQ(ParamInt(kParamScroll), 109 - t.firstVisible);
    }
    // Rows above the list are hidden; the top row sits at the top of the list.
    EXPECT_TRUE(Hidden(1001));
    EXPECT_FALSE(Hidden(1002));
    EXPECT_FLOAT_EQ(graphics->ControlByTag(1002)->GetRect().T, 228.f);
    EXPECT_FLOAT_EQ(graphics->ControlByTag(1003)->GetRect().T, 278.f);
}

TEST_F(PagesTest, DraggingTheScrollBarToTheBottomShowsTheLastSlots) {
    test::Press(*graphics, 280, 240);
    test::DragTo(*graphics, 280, 1300);
    test::Release(*graphics, 280, 1300);
    EXPECT_EQ(ParamInt(kParamScroll), 0);
    EXPECT_EQ(pages->FirstVisiblePreset(), 109);
    EXPECT_FLOAT_EQ(graphics->ControlByTag(1109)->GetRect().T, 228.f);
    // A press at the bottom edge of the list then picks the last slot.
    test::Click(*graphics, kListX, 1177);
    EXPECT_EQ(pages->SelectedPresetRow(), 127);
}

TEST_F(PagesTest, AListPressWhileNotConnectedOnlyMovesTheHighlight) {
    const auto mark = Mark();
    test::Click(*graphics, kListX, 228 + 50 * 4 + 10);
    EXPECT_EQ(pages->SelectedPresetRow(), 4);
    EXPECT_EQ(dynamic_cast<TextControl*>(graphics->ControlByTag(1004))->GetStyle().colour,
              ui::kColourRowSelected);
    EXPECT_EQ(dynamic_cast<TextControl*>(graphics->ControlByTag(1000))->GetStyle().colour, ui::kColourRow);
    EXPECT_TRUE(SentSince(mark).empty());
    EXPECT_EQ(plugin->CurrentPreset(), 0);
}

// The rows drawn in the selected colour.
std::vector<int> LitRows(const Canvas& graphics) {
    std::vector<int> lit;
    for (int slot = 0; slot < 128; ++slot)
        if (auto* row = dynamic_cast<TextControl*>(graphics.ControlByTag(1000 + slot));
            row && row->GetStyle().colour == ui::kColourRowSelected)
            lit.push_back(slot);
    return lit;
}

// At most one row is lit, and once a preset has arrived it is that preset's,
// whatever a press made while the pedal could not be reached.
TEST_F(PagesTest, OnlyTheCurrentPresetsRowIsHighlighted) {
    Frame(3);
    EXPECT_EQ(LitRows(*graphics), std::vector<int>{}) << "no preset has arrived yet";
    test::Click(*graphics, kListX, 228 + 50 * 4 + 10); // pedal unreachable
    Frame();
    EXPECT_EQ(LitRows(*graphics), std::vector<int>{4});

    Connect();
    Frame();
    EXPECT_EQ(LitRows(*graphics), std::vector<int>{plugin->CurrentPreset()});
    ASSERT_NE(plugin->CurrentPreset(), 9);
    plugin->SelectPreset(9);
    Pump();
    Frame();
    EXPECT_EQ(LitRows(*graphics), std::vector<int>{9});
}

TEST_F(PagesTest, AListPressWhileConnectedSelectsOrWithSaveArmedStores) {
    Connect();
    auto mark = Mark();
    test::Click(*graphics, kListX, 228 + 50 * 3 + 1);
    ASSERT_EQ(SentSince(mark).size(), 1u);
    EXPECT_EQ(SentSince(mark)[0], Select(3));
    Pump();
    Frame();
    EXPECT_EQ(plugin->CurrentPreset(), 3);
    EXPECT_EQ(Text(1), "03");

    ClickSwitch(kSaveX, kSaveY); // arms
    ASSERT_TRUE(plugin->SaveArmed());
    mark = Mark();
    // The pedal's answer scrolled the list to slot 3; slot 7 is four rows down.
    ASSERT_EQ(pages->FirstVisiblePreset(), 3);
    test::Click(*graphics, kListX, 228 + 50 * 4 + 1);
    ASSERT_FALSE(SentSince(mark).empty());
    EXPECT_EQ(SentSince(mark)[0], SaveToSlot(7));
    EXPECT_TRUE(pages->BlinkCounting());
}

TEST_F(PagesTest, HoldingUpRepeatsAndSelectsOnceOnRelease) {
    Connect();
    plugin->SetCurrentPreset(0);
    const auto mark = Mark();
    test::Press(*graphics, kUpX, kSwitchY);
    Frame(50);
    EXPECT_EQ(plugin->CurrentPreset(), 16);
    EXPECT_EQ(Text(1), "16");
    EXPECT_TRUE(SentSince(mark).empty());
    test::Release(*graphics, kUpX, kSwitchY);
    const auto sent = SentSince(mark);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], Select(16));
}

TEST_F(PagesTest, UpAndDownWrapAroundAndShowThePatchOffset) {
    Connect();
    plugin->SetCurrentPreset(127);
    plugin->ApplyValue(kParamPatchOffset, 1);
    ClickSwitch(kUpX, kSwitchY);
    EXPECT_EQ(plugin->CurrentPreset(), 0);
    EXPECT_EQ(Text(1), "01");
    ClickSwitch(kDownX, kSwitchY);
    EXPECT_EQ(plugin->CurrentPreset(), 127);
    EXPECT_EQ(Text(1), "128");
}

TEST_F(PagesTest, SelectThenStepThenSelectSendsOneSelectPreset) {
    Connect();
    plugin->SetCurrentPreset(10);
    const auto mark = Mark();
    ClickSwitch(kSelectX, kSwitchY);
    EXPECT_TRUE(pages->SelectArmed());
    for (int i = 0; i < 3; ++i)
        ClickSwitch(kUpX, kSwitchY);
    EXPECT_TRUE(SentSince(mark).empty());
    ClickSwitch(kSelectX, kSwitchY);
    const auto sent = SentSince(mark);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], Select(13));
    EXPECT_FALSE(pages->SelectArmed());
}

TEST_F(PagesTest, SaveArmedBlinksTheDisplayQuickly) {
    Connect();
    ClickSwitch(kSaveX, kSaveY);
    ASSERT_TRUE(plugin->SaveArmed());
    std::vector<bool> hidden;
    for (int i = 0; i < 16; ++i) {
        Frame();
        hidden.push_back(Hidden(1));
    }
    // Hidden from the third tick of each eight until the next cycle starts.
    const std::vector<bool> expected = {false, false, true, true, true, true, true, true,
                                        false, false, true, true, true, true, true, true};
    EXPECT_EQ(hidden, expected);
}

TEST_F(PagesTest, SaveStoresIntoTheCurrentSlotAndThePedalsAnswerEndsTheBlinking) {
    Connect();
    plugin->SetCurrentPreset(5);
    ClickSwitch(kSaveX, kSaveY);
    const auto mark = Mark();
    ClickSwitch(kSaveX, kSaveY);
    const auto sent = SentSince(mark);
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent[0], SaveToSlot(5));
    Pump(); // the pedal answers with the slot's dump
    Frame(10);
    EXPECT_FALSE(plugin->SaveArmed());
    EXPECT_FALSE(pages->BlinkCounting());
    EXPECT_FALSE(Hidden(1));
}

TEST_F(PagesTest, SavePressedTwiceWhileNotConnectedSendsNothingAndDisarms) {
    const auto mark = Mark();
    ClickSwitch(kSaveX, kSaveY);
    // The pedal's switches take no input before the link enables them.
    EXPECT_FALSE(plugin->SaveArmed());
    graphics->EnableGroup("bcontrols");
    ClickSwitch(kSaveX, kSaveY);
    EXPECT_TRUE(plugin->SaveArmed());
    ClickSwitch(kSaveX, kSaveY);
    EXPECT_FALSE(plugin->SaveArmed());
    EXPECT_TRUE(SentSince(mark).empty());
}

} // namespace
TEST_F(PagesTest, ASaveThePedalNeverAnswersIsGivenUpAndTheNextPressOnlyArms) {
    Connect();
    plugin->SetCurrentPreset(5);
    ClickSwitch(kSaveX, kSaveY);
    ClickSwitch(kSaveX, kSaveY); // sent; the answer is never delivered
    wire.inbox.clear();
    Frame(8 * 12);
    EXPECT_FALSE(plugin->SaveArmed());
    EXPECT_FALSE(pages->BlinkCounting());
    EXPECT_FALSE(Hidden(1));
    const auto mark = Mark();
    ClickSwitch(kSaveX, kSaveY);
    EXPECT_TRUE(plugin->SaveArmed());
    EXPECT_TRUE(SentSince(mark).empty()) << "a single press must not store";
}

} // namespace tolvane::testing
