// The buttons of the pages: voicing buttons, the filter switch, the IR
// imports, RECONNECT, the settings page with its confirmations and
// controller pages, the firmware page and the about picture.

#include "PagesFixture.h"

#include "toolkit/TextEntryControl.h"

#include <QLineEdit>
#include <QTest>

#include <cstdio>

#include "device/SysexBuilders.h"
#include "library/LibraryTransferFiles.h"
#include "link/test_transfer_wavfixture.h"
#include "toolkit/VectorControls.h"

namespace tolvane::testing {
namespace {

// Inside the first amp-model button (tag 78) and the first reverb-type button (73).
constexpr float kAmpX = 400.f, kAmpY = 745.f;
constexpr float kReverbX = 400.f, kReverbY = 745.f;

TEST_F(PagesTest, AnUnlitAmpModelButtonAppliesItsVoicingAndALitOneDoesNothing) {
    Connect();
    pages->ShowSectionPage(ui::kPageDrive);
    plugin->SharedFlags().applyFlag.store(false);
    for (int k = 0; k < 10; ++k)
        graphics->ControlByTag(78 + k)->SetValueFromDelegate(k == 1 ? 1.0 : 0.0);
    auto mark = Mark();
    test::Click(*graphics, kAmpX, kAmpY);
    EXPECT_EQ(graphics->ControlByTag(78)->GetValue(), 1.0);
    EXPECT_EQ(graphics->ControlByTag(79)->GetValue(), 0.0);
    const auto sent = SentSince(mark);
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(Command(sent.back()), sysex::command::kStorePreset);

    mark = Mark();
    test::Click(*graphics, kAmpX, kAmpY);
    EXPECT_TRUE(SentSince(mark).empty());
}

TEST_F(PagesTest, ReverbTypeButtonsLightOneOfFive) {
    Connect();
    pages->ShowSectionPage(ui::kPageAmbience);
    for (int k = 0; k < 5; ++k)
        graphics->ControlByTag(73 + k)->SetValueFromDelegate(k == 4 ? 1.0 : 0.0);
    test::Click(*graphics, kReverbX, kReverbY);
    EXPECT_EQ(graphics->ControlByTag(73)->GetValue(), 1.0);
    EXPECT_EQ(graphics->ControlByTag(77)->GetValue(), 0.0);
}

TEST_F(PagesTest, TheFilterSwitchTogglesOncePerClick) {
    Connect();
    const int before = ParamInt(kParamAutoFilterOn);
    ClickSwitch(1490, 350);
    EXPECT_EQ(ParamInt(kParamAutoFilterOn), 1 - before);
    EXPECT_EQ(Hidden(59), before != 0);
    EXPECT_EQ(graphics->ControlByTag(58)->GetValue(), 0.0); // released
    ClickSwitch(1490, 350);
    EXPECT_EQ(ParamInt(kParamAutoFilterOn), before);
}

// The slot number reaches the pedal in two steps: the high part once the WAV
// file is accepted, the low part after the pedal's IR number step done. Both
// must arrive, or the pedal's preset keeps its old user IR.
TEST_F(PagesTest, IrImportButtonsSendTheWholeSlotNumberToThePedal) {
    struct Case {
        int preset;
        bool firstPosition;
    };
    plugin->SetTransferFiles(LibraryTransferFiles(folder.Path()));
    platform.file = (folder.Path() / "Cab.wav").string();
    xfertest::WriteFile(platform.file, xfertest::Wav16(xfertest::DecayingIr(1500)));
    for (const Case c : {Case{3, true}, Case{7, true}, Case{5, false}}) {
        SCOPED_TRACE(::testing::Message() << "preset " << c.preset << (c.firstPosition ? " pos 7" : " pos 8"));
        Connect();
        pages->ShowSectionPage(ui::kPageIr);
        plugin->SetCurrentPreset(c.preset);
        plugin->ParameterChangedByPedal(c.firstPosition ? kParamIrMode7 : kParamIrMode8, 1);
        Frame();
        ClickButton(1019, c.firstPosition ? 1087 : 1137);
        Tick(); // the pedal's IR number step done comes back
        const int high = c.firstPosition ? kParamUserIr7PresetMsb : kParamUserIr8PresetMsb;
        const auto& edit = pedal.State().editBuffer;
        EXPECT_EQ(edit[sim::kPresetValuesOffset + high], c.firstPosition ? 0 : 1);
        EXPECT_EQ(edit[sim::kPresetValuesOffset + high + 1], c.preset);
        EXPECT_EQ(plugin->IrSlotStep(), high + 1);
    }
}

TEST_F(PagesTest, ReconnectDisablesThePedalAndResetsTheStatusLines) {
    Connect();
    graphics->ForEachInGroup("bcontrols", [](Control& c) { EXPECT_FALSE(c.IsDisabled()); });
    ClickButton(600, 40);
    EXPECT_FALSE(plugin->Connected());
    EXPECT_EQ(Text(138), "Connecting to the device...");
    EXPECT_EQ(Text(137), "");
    graphics->ForEachInGroup("bcontrols", [](Control& c) { EXPECT_TRUE(c.IsDisabled()); });
}

TEST_F(PagesTest, TheSettingsPageClosesOnlyBelowItsPicture) {
    plugin->HandleMenuCommand(MenuCommand::GlobalSettings);
    ASSERT_TRUE(GroupShown("globalsettingscontrols"));
    ClickButton(100, 500); // on the picture
    EXPECT_TRUE(GroupShown("globalsettingscontrols"));
    ClickButton(100, 1150);
    EXPECT_TRUE(GroupHidden("globalsettingscontrols"));
    EXPECT_TRUE(plugin->Flags().autoConnect.load());
}

TEST_F(PagesTest, FactoryResetsAskFirstAndSendOnlyOnOk) {
    struct Case {
        float x;
        AskResult answer;
        int kind; // -1: nothing sent
    };
    const Case cases[] = {{1300, AskResult::Cancel, -1},
                          {1300, AskResult::Ok, 2},
                          {860, AskResult::Ok, 0},
                          {1080, AskResult::Ok, 1}};
    plugin->HandleMenuCommand(MenuCommand::GlobalSettings);
    for (const auto& c : cases) {
        platform.answer = c.answer;
        platform.asked.clear();
        const auto mark = Mark();
        ClickButton(c.x, 785);
        ASSERT_EQ(platform.asked, std::vector<std::string>{"Are you sure?"});
        const auto sent = SentSince(mark);
        if (c.kind < 0) {
            EXPECT_TRUE(sent.empty());
        } else {
            ASSERT_FALSE(sent.empty());
            EXPECT_EQ(sent.back(), BytesOf(sysex::BuildFactoryReset(std::uint8_t(c.kind))));
        }
    }
}

TEST_F(PagesTest, SetupAndBackSwitchBetweenTheSettingsAndControllerPages) {
    plugin->HandleMenuCommand(MenuCommand::GlobalSettings);
    ClickButton(1460, 500); // SETUP beside MIDI CC MODE
    EXPECT_TRUE(GroupShown("midicccontrols"));
    EXPECT_TRUE(GroupHidden("globalsettingscontrols"));
    ClickButton(1100, 275); // BACK
    EXPECT_TRUE(GroupHidden("midicccontrols"));
    EXPECT_TRUE(GroupShown("globalsettingscontrols"));
    ClickButton(1460, 400); // SETUP beside MIDI MAPPING
    EXPECT_TRUE(GroupShown("midiprogramcontrols"));
    ClickButton(1100, 275);
    EXPECT_TRUE(GroupShown("globalsettingscontrols"));
}

TEST_F(PagesTest, KnobCcNumberBoxesShowTheControllerNumberWithinZeroTo127) {
    plugin->HandleMenuCommand(MenuCommand::GlobalSettings);
    ClickButton(1460, 500); // SETUP beside MIDI CC MODE
    auto* drive = dynamic_cast<VectorNumberBoxControl*>(graphics->ControlAt(1160, 375));
    ASSERT_NE(drive, nullptr);
    EXPECT_EQ(drive->GetParamIdx(), kParamCcDrive);
    EXPECT_EQ(drive->DisplayText(), "0");
    test::Wheel(*graphics, 1160, 375, -120);
    EXPECT_EQ(ParamInt(kParamCcDrive), 0);
    drive->SetRealValue(126);
    test::Wheel(*graphics, 1160, 375, +120);
    test::Wheel(*graphics, 1160, 375, +120);
    EXPECT_EQ(ParamInt(kParamCcDrive), 127);
    EXPECT_EQ(drive->DisplayText(), "127");
}

TEST_F(PagesTest, FirmwarePageXClosesItAndEnablesTheMainTools) {
    plugin->SetAutoConnect(false);
    graphics->ShowGroup("fwbgcontrols");
    graphics->ShowGroup("fwupdatecontrols");
    graphics->DisableGroup("maincontrols");
    ClickButton(1530, 330);
    EXPECT_TRUE(GroupHidden("fwbgcontrols"));
    EXPECT_TRUE(GroupHidden("fwupdatecontrols"));
    graphics->ForEachInGroup("maincontrols", [](Control& c) { EXPECT_FALSE(c.IsDisabled()); });
    EXPECT_TRUE(plugin->Flags().autoConnect.load());
}

TEST_F(PagesTest, TheAboutPictureShowsOnRequestAndClosesOnAnyClick) {
    EXPECT_TRUE(plugin->RequestAbout());
    EXPECT_TRUE(GroupShown("aboutcontrols"));
    ClickButton(50, 50);
    EXPECT_TRUE(GroupHidden("aboutcontrols"));
}

TEST_F(PagesTest, CommittingThePresetNameStoresThePresetWithIt) {
    Connect();
    auto* field = graphics->ControlByTag(134);
    const auto mark = Mark();
    field->OnTextEntryCompletion("My Sound", 0);
    const auto sent = SentSince(mark);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(Command(sent[0]), sysex::command::kStorePreset);
}

// Typed as a user does: the field stops at the 32 characters a preset keeps,
// and the list row of the stored slot shows the new name at once.
TEST_F(PagesTest, RenamingAPresetKeepsThirtyTwoCharactersAndTheListRowFollows) {
    Connect();
    Frame();
    const int slot = plugin->CurrentPreset();
    test::Click(*graphics, 100, 132);
    QLineEdit* editor = graphics->GetTextEntryControl()->Editor();
    ASSERT_TRUE(graphics->GetTextEntryControl()->IsEditing());
    editor->clear();
    const std::string typed = "Crunchy rhythm with a long tail and more!!!"; // 43 characters
    QTest::keyClicks(editor, QString::fromStdString(typed));
    QTest::keyClick(editor, Qt::Key_Return);
    const std::string kept = typed.substr(0, 32);
    EXPECT_EQ(Text(134), kept);

    char prefix[16];
    std::snprintf(prefix, sizeof prefix, " %02d ", ParamInt(kParamPatchOffset) + slot);
    EXPECT_EQ(Text(1000 + slot), (prefix + kept).substr(0, 20));
    Pump();
    const auto& record = pedal.State().presets[static_cast<std::size_t>(slot)];
    EXPECT_EQ(std::string(record.begin() + 2, record.begin() + 34), kept);
    // A preset arriving later writes the row the same way.
    plugin->SelectPreset(slot);
    Pump();
    Frame();
    EXPECT_EQ(Text(1000 + slot), (prefix + kept).substr(0, 20));
}

} // namespace
} // namespace tolvane::testing
