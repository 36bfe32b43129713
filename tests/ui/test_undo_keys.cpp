// Undo and redo of edits made on the canvas, and the editor's keys, driven
// through the canvas's mouse path and the plug-in's command entry (the main
// window's menu items call the same).

#include "PagesFixture.h"

#include "device/SysexBuilders.h"
#include "library/LibraryTransferFiles.h"
#include "link/test_transfer_wavfixture.h"
#include "sim/model/PedalState.h"
#include "toolkit/OverlayControls.h"
#include "toolkit/TextEntryControl.h"

#include <QLineEdit>
#include <QTest>

#include <functional>

namespace tolvane::testing {
namespace {

constexpr float kDriveX = 770.f, kDriveY = 189.f; // the pedal's DRIVE knob

class UndoTest : public PagesTest {
protected:
    int PedalValue(int index) { return pedal.State().editBuffer[sim::kPresetValuesOffset + index]; }
    void DragDrive(float toY) {
        test::Press(*graphics, kDriveX, kDriveY);
        test::DragTo(*graphics, kDriveX, (kDriveY + toY) / 2);
        test::DragTo(*graphics, kDriveX, toY);
        test::Release(*graphics, kDriveX, toY);
    }
    void WheelDrive(int notches) {
        for (int i = 0; i < notches; ++i)
            test::Wheel(*graphics, kDriveX, kDriveY, 120);
    }
    bool SentSetParameter(std::size_t mark, int index, int value) {
        const auto sent = SentSince(mark);
        const Bytes wanted = BytesOf(sysex::BuildSetParameter(std::uint8_t(index), std::uint8_t(value)));
        return std::find(sent.begin(), sent.end(), wanted) != sent.end();
    }
};

TEST_F(UndoTest, ADragIsOneStepAndUndoSendsTheOldValueAsAUserEditWould) {
    Connect();
    const int before = ParamInt(kParamDrive);
    DragDrive(kDriveY - 40);
    const int after = ParamInt(kParamDrive);
    ASSERT_GT(after, before + 1) << "the drag went through several values";
    ASSERT_EQ(PedalValue(kParamDrive), after);

    auto mark = Mark();
    ASSERT_TRUE(plugin->Undo());
    EXPECT_EQ(ParamInt(kParamDrive), before);
    EXPECT_TRUE(SentSetParameter(mark, kParamDrive, before));
    Pump();
    EXPECT_EQ(PedalValue(kParamDrive), before);
    Frame(); // the knob on screen follows
    EXPECT_NEAR(graphics->ControlAt(kDriveX, kDriveY)->GetValue(),
                plugin->GetParam(kParamDrive)->NormalFromValue(before), 1e-9);
    EXPECT_FALSE(plugin->Undo()) << "the whole drag was one step";

    mark = Mark();
    ASSERT_TRUE(plugin->Redo());
    EXPECT_EQ(ParamInt(kParamDrive), after);
    EXPECT_TRUE(SentSetParameter(mark, kParamDrive, after));
    EXPECT_FALSE(plugin->Redo());
}

TEST_F(UndoTest, WheelNotchesWithinHalfASecondOfEachOtherAreOneStep) {
    Connect();
    const int start = ParamInt(kParamDrive);
    WheelDrive(1);
    now += 400;
    WheelDrive(1);
    now += 400; // 800 ms after the first notch, 400 after the last: still the same run
    WheelDrive(1);
    const int afterRun = ParamInt(kParamDrive);
    ASSERT_NE(afterRun, start);
    now += 600; // a pause: a new step
    WheelDrive(2);
    ASSERT_NE(ParamInt(kParamDrive), afterRun);

    ASSERT_TRUE(plugin->Undo());
    EXPECT_EQ(ParamInt(kParamDrive), afterRun);
    ASSERT_TRUE(plugin->Undo());
    EXPECT_EQ(ParamInt(kParamDrive), start);
    EXPECT_FALSE(plugin->Undo());
}

TEST_F(UndoTest, EditsFromThePedalAreNotUndoneAndLoadingAPresetClearsTheHistory) {
    Connect();
    pedal.TurnKnob(kParamLow, 3);
    Pump();
    ASSERT_EQ(ParamInt(kParamLow), 3);
    EXPECT_FALSE(plugin->CanUndo());

    DragDrive(kDriveY - 30);
    ASSERT_TRUE(plugin->CanUndo());
    pedal.TurnKnob(kParamLow, 9); // between the edit and its undo
    Pump();
    ASSERT_TRUE(plugin->Undo());
    EXPECT_EQ(ParamInt(kParamLow), 9) << "only the editor's edit is undone";
    ASSERT_TRUE(plugin->Redo());

    plugin->SelectPreset(5);
    Pump();
    ASSERT_EQ(plugin->CurrentPreset(), 5);
    EXPECT_FALSE(plugin->CanUndo());
    EXPECT_FALSE(plugin->CanRedo());
    EXPECT_FALSE(plugin->Undo());
}

TEST_F(UndoTest, AChoiceInAPopupMenuIsOneStepAndANewEditClearsRedo) {
    Connect();
    plugin->HandleMenuCommand(MenuCommand::GlobalSettings);
    // The first caption of the settings page: a popup of the parameter's texts.
    Control* caption = nullptr;
    graphics->ForEachInGroup(ui::kGroupGlobalSettings, [&](Control& c) {
        if (!caption && c.GetParamIdx() >= 0 && !c.IsHidden()) caption = &c;
    });
    ASSERT_NE(caption, nullptr);
    const int index = caption->GetParamIdx();
    const int before = ParamInt(index);
    const Rect r = caption->GetRect();
    test::Click(*graphics, r.MW(), r.MH());
    PopupMenuControl* popup = graphics->GetPopupMenuControl();
    ASSERT_TRUE(popup->IsOpen());
    // The last item: another value than the first.
    const Rect item = popup->ItemRect(popup->NItems() - 1);
    test::Click(*graphics, item.MW(), item.MH());
    ASSERT_NE(ParamInt(index), before);

    ASSERT_TRUE(plugin->Undo());
    EXPECT_EQ(ParamInt(index), before);
    plugin->HandleEditorCommand(EditorCommand::CloseOverlay); // the settings page
    DragDrive(kDriveY - 20);                                  // a new edit: nothing left to redo
    EXPECT_FALSE(plugin->CanRedo());
}

// Every press changes the preset by one undo step, whatever the press is: the
// voicing buttons and the IR list set many values from a table, the FILTER
// switch sets one of its own. Undone in turn, each comes back as it was.
TEST_F(UndoTest, TypeButtonsFilterAndIrChoiceAreEachOneStepUndoneInTurn) {
    Connect();
    auto values = [this] {
        std::vector<int> v;
        for (int p = 0; p < kNumPresetParams; ++p)
            v.push_back(ParamInt(p));
        return v;
    };
    std::vector<std::vector<int>> states{values()};
    auto ClickCentre = [this](ControlTag tag) {
        const Rect r = graphics->ControlByTag(tag)->GetRect();
        test::Click(*graphics, r.MW(), r.MH());
    };
    const std::function<void()> presses[] = {
        [&] { ClickCentre(ui::kTagFilterSwitch); },
        [&] {
            pages->ShowSectionPage(ui::kPageDrive);
            ClickCentre(ui::kTagAmpModelFirst + 3);
        },
        [&] {
            pages->ShowSectionPage(ui::kPageAmbience);
            ClickCentre(ui::kTagReverbTypeFirst + 2);
        },
        [&] {
            pages->ShowSectionPage(ui::kPageIr);
            ClickSwitch(570, 713 + 50 * 3 + 20); // the fourth row of the IR list
        },
    };
    for (const auto& press : presses) {
        press();
        Pump();
        Frame();
        states.push_back(values());
        ASSERT_NE(states.back(), states[states.size() - 2])
            << "press " << states.size() - 1 << " changed nothing";
    }
    for (std::size_t step = states.size() - 1; step > 0; --step) {
        ASSERT_TRUE(plugin->Undo()) << "undo of press " << step;
        Pump();
        Frame();
        EXPECT_EQ(values(), states[step - 1]) << "undo of press " << step;
    }
    EXPECT_FALSE(plugin->Undo());
    for (std::size_t step = 1; step < states.size(); ++step) {
        ASSERT_TRUE(plugin->Redo());
        EXPECT_EQ(values(), states[step]) << "redo of press " << step;
    }
}

// A change that cannot be undone (a name stored with the preset, an IR file
// written into a slot) fences the history: Undo never reaches past it.
TEST_F(UndoTest, ANameOrAnIrImportClearsTheHistoryBeforeIt) {
    plugin->SetTransferFiles(LibraryTransferFiles(folder.Path()));
    platform.file = (folder.Path() / "Cab.wav").string();
    xfertest::WriteFile(platform.file, xfertest::Wav16(xfertest::DecayingIr(1500)));
    const struct {
        const char* what;
        std::function<void()> change;
    } fences[] = {
        {"name",
         [&] {
             test::Click(*graphics, 100, 132);
             QLineEdit* editor = graphics->GetTextEntryControl()->Editor();
             editor->clear();
             QTest::keyClicks(editor, "Lead");
             QTest::keyClick(editor, Qt::Key_Return);
         }},
        {"IR import",
         [&] {
             pages->ShowSectionPage(ui::kPageIr);
             plugin->ParameterChangedByPedal(kParamIrMode7, 1);
             Frame();
             ClickButton(1019, 1087);
             Tick();
         }},
    };
    for (const auto& f : fences) {
        SCOPED_TRACE(f.what);
        Connect();
        DragDrive(kDriveY - 30);
        ASSERT_TRUE(plugin->CanUndo());
        f.change();
        Pump();
        Frame();
        EXPECT_FALSE(plugin->CanUndo());
        EXPECT_FALSE(plugin->Undo());
    }
}

// ---- Keys -------------------------------------------------------------------------

TEST_F(UndoTest, UpAndDownStepLikeTheSwitchesAndTheirPagesStepTen) {
    // Not connected the switches cannot be pressed, and the keys do nothing.
    EXPECT_TRUE(plugin->HandleEditorCommand(EditorCommand::PresetUp));
    EXPECT_EQ(plugin->CurrentPreset(), 0);
    Connect();
    const struct {
        EditorCommand command;
        int expected;
    } steps[] = {{EditorCommand::PresetUp, 1},     {EditorCommand::PresetUpTen, 11},
                 {EditorCommand::PresetDown, 10},  {EditorCommand::PresetDownTen, 0},
                 {EditorCommand::PresetDown, 127}, {EditorCommand::PresetUpTen, 9}};
    for (const auto& s : steps) {
        const auto mark = Mark();
        plugin->HandleEditorCommand(s.command);
        EXPECT_EQ(plugin->CurrentPreset(), s.expected);
        // As the switch's release: the pedal is asked for the preset, once.
        const auto sent = SentSince(mark);
        EXPECT_EQ(
            std::count(sent.begin(), sent.end(), BytesOf(sysex::BuildSelectPreset(std::uint8_t(s.expected)))),
            1);
        Pump();
        EXPECT_EQ(Text(ui::kTagNumberDisplay), (s.expected < 10 ? "0" : "") + std::to_string(s.expected));
    }
}

TEST_F(UndoTest, SaveKeyStoresTheCurrentPresetIntoItsSlot) {
    Connect();
    plugin->HandleEditorCommand(EditorCommand::PresetUp);
    Pump();
    const auto mark = Mark();
    plugin->HandleEditorCommand(EditorCommand::SavePresetToSlot);
    const auto sent = SentSince(mark);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], BytesOf(sysex::BuildSetParameter(kDeviceNumberSaveToSlot, 1)));
}

TEST_F(UndoTest, EscapeClosesTheTopmostOverlayFirst) {
    Connect();
    plugin->HandleMenuCommand(MenuCommand::GlobalSettings);
    plugin->OpenKnobCcPage();
    pages->ShowAbout();
    ASSERT_TRUE(GroupShown(ui::kGroupAbout));
    const char* closesInTurn[] = {ui::kGroupAbout, ui::kGroupKnobCc, ui::kGroupGlobalSettings};
    for (const char* group : closesInTurn) {
        EXPECT_TRUE(plugin->HandleEditorCommand(EditorCommand::CloseOverlay)) << group;
        EXPECT_TRUE(GroupHidden(group)) << group;
    }
    EXPECT_FALSE(plugin->HandleEditorCommand(EditorCommand::CloseOverlay)) << "nothing left to close";
    EXPECT_TRUE(plugin->Flags().autoConnect.load()) << "closed as its X does";
}

} // namespace
} // namespace tolvane::testing
