// How the pages follow the parameters: read-outs written on change, section
// pages switched by the user's own edits only, the IR display number and
// slider, the filter LED, and the graphs fed on the drive page.

#include "PagesFixture.h"

#include "device/SysexBuilders.h"
#include "ui/DynamicsResponseGraph.h"
#include "ui/Readouts.h"

namespace tolvane::testing {
namespace {

TEST_F(PagesTest, TurningThePedalsDriveKnobShowsTheDrivePageAndSendsTheValue) {
    Connect();
    pages->ShowSectionPage(ui::kPageLevel);
    ASSERT_TRUE(GroupShown("levelcontrols"));
    const int before = ParamInt(kParamDrive);
    const auto mark = Mark();
    test::Press(*graphics, 770, 189);
    test::DragTo(*graphics, 770, 160);
    test::Release(*graphics, 770, 160);
    const int after = ParamInt(kParamDrive);
    ASSERT_GT(after, before);
    EXPECT_EQ(pages->CurrentPage(), ui::kPageDrive);
    EXPECT_TRUE(GroupShown("drivecontrols"));
    EXPECT_TRUE(GroupHidden("levelcontrols"));
    EXPECT_TRUE(GroupHidden("irdisplay"));
    EXPECT_FALSE(pages->controls.dynamicsGraph->IsHidden());
    EXPECT_FALSE(Hidden(89));
    const auto sent = SentSince(mark);
    EXPECT_NE(std::find(sent.begin(), sent.end(), BytesOf(sysex::BuildSetParameter(5, std::uint8_t(after)))),
              sent.end());
}

TEST_F(PagesTest, ValuesFromThePedalWriteReadOutsButNeverSwitchPages) {
    Connect();
    pages->ShowSectionPage(ui::kPageLevel);
    plugin->ParameterChangedByPedal(kParamLow, 0);
    plugin->ParameterChangedByPedal(kParamGate, 0);
    EXPECT_EQ(pages->CurrentPage(), ui::kPageLevel);
    EXPECT_EQ(Text(36), "-12.0");
    EXPECT_EQ(Text(20), "Bypass");
}

TEST_F(PagesTest, UserEditsSwitchToTheirSection) {
    const std::pair<int, int> cases[] = {
        {kParamLevel, ui::kPageLevel},        {kParamLow, ui::kPageLowFilter},
        {kParamHigh, ui::kPageHighFilter},    {kParamReverb, ui::kPageAmbience},
        {kParamGate, ui::kPageGate},          {kParamMid, ui::kPageMidFilter},
        {kParamMidShift, ui::kPageMidFilter}, {kParamAutoFilterLevel, ui::kPageAutoFilter},
        {kParamPageTrigger, ui::kPageIr},
    };
    plugin->SharedFlags().applyFlag.store(false);
    for (const auto& [index, page] : cases) {
        pages->ShowSectionPage(index == kParamLevel ? ui::kPageGate : ui::kPageLevel);
        plugin->ParamChangeFromControl(index, 0.25);
        EXPECT_EQ(pages->CurrentPage(), page) << "parameter " << index;
    }
}

TEST_F(PagesTest, AClickOnTheGraphAreaBringsBackTheImpulseResponseSection) {
    plugin->SharedFlags().applyFlag.store(false);
    pages->ShowSectionPage(ui::kPageGate);
    test::Click(*graphics, 1500, 900);
    EXPECT_EQ(pages->CurrentPage(), ui::kPageIr);
    EXPECT_TRUE(GroupShown("ircontrols"));
    EXPECT_TRUE(pages->controls.dynamicsGraph->IsHidden());
}

TEST_F(PagesTest, TheIrSelectorShowsItsNumberAndMovesTheInvertedSlider) {
    plugin->ParameterChangedByPedal(kParamIr, 64);
    EXPECT_EQ(Text(1), "40");
    EXPECT_NEAR(graphics->ControlByTag(60)->GetValue(), 1.0 - 64 / 127.0, 1e-9);
}

TEST_F(PagesTest, IrModeEnablesItsGainKnobAndImportButton) {
    plugin->ParameterChangedByPedal(kParamIrMode7, 1);
    EXPECT_FALSE(graphics->ControlByTag(25)->IsDisabled());
    EXPECT_FALSE(graphics->ControlByTag(61)->IsDisabled());
    EXPECT_TRUE(graphics->ControlByTag(26)->IsDisabled());
    plugin->ParameterChangedByPedal(kParamIrMode7, 0);
    EXPECT_TRUE(graphics->ControlByTag(25)->IsDisabled());
    EXPECT_EQ(Text(69), "BRIT 2x12");
}

TEST_F(PagesTest, TheFilterLedFollowsTheAutoFilter) {
    plugin->ParameterChangedByPedal(kParamAutoFilterOn, 1);
    EXPECT_FALSE(Hidden(59));
    plugin->ParameterChangedByPedal(kParamAutoFilterOn, 0);
    EXPECT_TRUE(Hidden(59));
}

TEST_F(PagesTest, TheDrivePageBringsCompressionInLineWithDynamics) {
    plugin->ParameterChangedByPedal(kParamCompressorRatio, 127);
    plugin->ParameterChangedByPedal(kParamDynamics, 100);
    pages->ShowSectionPage(ui::kPageDrive);
    EXPECT_EQ(ParamInt(kParamCompression), 100);
    EXPECT_EQ(Text(88), "57");
    plugin->ParameterChangedByPedal(kParamDynamics, 90);
    EXPECT_DOUBLE_EQ(pages->controls.dynamicsGraph->UpperRatio(), 20.0);
    // The graph keeps its knees as fractions of its 100 dB range.
    EXPECT_NEAR(pages->controls.dynamicsGraph->UpperKnee(), 1.0 - (25.0 / 62.0 * 60.0) / 100.0, 1e-6);
}

TEST_F(PagesTest, ChangesMadeOffTheUserInterfaceThreadReachTheControlsAtTheNextIdleStep) {
    std::thread audio([&] { plugin->ParameterChangedByPedal(kParamLow, 127); });
    audio.join();
    EXPECT_EQ(Text(36), "0.00"); // not touched from the other thread
    Frame();
    EXPECT_EQ(Text(36), "12.0");
}

// The drive page on show follows a preset that arrives: COMPRESSION shows
// the new preset's Dynamics, and nothing goes back to the pedal.
TEST_F(PagesTest, CompressionFollowsThePresetThatArrivesOnTheDrivePage) {
    Connect();
    pages->ShowSectionPage(ui::kPageDrive);
    const int slot = (plugin->CurrentPreset() + 1) % 128;
    pedal.MutableState().presets[static_cast<std::size_t>(slot)][34 + kParamDynamics] = 100;
    const auto mark = Mark();
    plugin->SelectPreset(slot);
    Pump();
    Frame();
    EXPECT_EQ(ParamInt(kParamDynamics), 100);
    EXPECT_EQ(ParamInt(kParamCompression), 100);
    EXPECT_EQ(Text(88), "57"); // (100 - 64) / 63 × 100
    const auto sent = SentSince(mark);
    for (const auto& m : sent)
        EXPECT_NE(Command(m), sysex::command::kSetParameter);
}

// The graph shows the gate's and the dynamics' knees from the start, not
// only after the first change.
TEST_F(PagesTest, TheDynamicsGraphStartsWithTheKneesOfTheCurrentValues) {
    plugin->ApplyValue(kParamGate, 90);
    plugin->ApplyValue(kParamDynamics, 30);
    Frame();
    Canvas fresh(plugin.get());
    fresh.SetPlatform(&platform);
    const auto freshPages = ui::BuildEditorPages(fresh, *plugin);
    ASSERT_TRUE(freshPages && freshPages->controls.dynamicsGraph);
    DynamicsResponseGraph expected(Rect{0, 0, 100, 100}, Colour{});
    expected.SetLowerKnee(ui::GateThresholdDb(90));
    expected.SetUpperKnee(ui::DynamicsThresholdDb(30));
    EXPECT_DOUBLE_EQ(freshPages->controls.dynamicsGraph->LowerKnee(), expected.LowerKnee());
    EXPECT_DOUBLE_EQ(freshPages->controls.dynamicsGraph->UpperKnee(), expected.UpperKnee());
}

// The number display is written by the link (the preset parameter's value)
// and by the display step (the IR selector's number): what the pedal sent
// last is what stays, as it would on the user-interface thread.
TEST_F(PagesTest, ChangesFromAnotherThreadAreShownInTheOrderTheyCame) {
    Frame(); // the queue has seen the editor open
    std::thread audio([&] {
        plugin->ParameterChangedByPedal(kParamIr, 127);
        plugin->ParameterChangedByPedal(kParamDrive, 42);
    });
    audio.join();
    Frame();
    EXPECT_EQ(Text(ui::kTagNumberDisplay), "42");

    audio = std::thread([&] {
        plugin->ParameterChangedByPedal(kParamDrive, 17);
        plugin->ParameterChangedByPedal(kParamIr, 127);
    });
    audio.join();
    Frame();
    EXPECT_EQ(Text(ui::kTagNumberDisplay), "80");
}

} // namespace
} // namespace tolvane::testing
