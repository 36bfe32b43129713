#include "PagesFixture.h"
#include "device/DeviceTables.h"
#include "device/ParamTable.h"
#include "toolkit/TextEntryControl.h"
#include "ui/PageTags.h"

#include <gtest/gtest.h>
#include <QLineEdit>
#include <QTest>

#include <array>
#include <set>

namespace tolvane::testing {
namespace {

// The tabs along the bottom of the section panel: each family's row of
// pages, each with the group that shows when it does.
struct TabRow {
    std::vector<std::pair<int, const char*>> pages; // page, its own group
};

const TabRow kRows[] = {
    {{{ui::kPageDrive, ui::kGroupDrive}, {ui::kPagePreamp, ui::kGroupPreamp}, {ui::kPageAnalogSim, ui::kGroupAnalogSim}}},
    {{{ui::kPageLowFilter, ui::kGroupLow},
      {ui::kPageMidFilter, ui::kGroupMid},
      {ui::kPageHighFilter, ui::kGroupHigh},
      {ui::kPageBuzzFilter, ui::kGroupBuzz},
      {ui::kPagePunchFilter, ui::kGroupPunch},
      {ui::kPageCrunchFilter, ui::kGroupCrunch},
      {ui::kPageAutoFilter, ui::kGroupAutoFilter}}},
    {{{ui::kPageGate, ui::kGroupGate}, {ui::kPageDynamics, ui::kGroupDynamics}, {ui::kPageLevel, ui::kGroupLevel}}},
};

void UserSets(Tolvane& plugin, int index, double plain) {
    plugin.ParamChangeFromControl(index, plugin.GetParam(index)->NormalFromValue(plain));
}

float TabCentreX(std::size_t k) {
    return 440.f + 101.f * static_cast<float>(k) + 48.f;
}

// From every page of a family, a click on each tab of its row brings that
// page up with its controls, and only its family's row is on show.
TEST_F(PagesTest, SectionTabsReachEveryPageOfTheirFamily) {
    Connect();
    for (const TabRow& row : kRows) {
        for (const auto& [from, fromGroup] : row.pages) {
            pages->ShowSectionPage(from);
            for (std::size_t k = 0; k < row.pages.size(); ++k) {
                const auto& [to, toGroup] = row.pages[k];
                ClickButton(TabCentreX(k), 1150);
                EXPECT_EQ(pages->CurrentPage(), to) << "from page " << from << ", tab " << k;
                EXPECT_TRUE(GroupShown(toGroup)) << toGroup;
                pages->ShowSectionPage(from);
            }
        }
    }
}

TEST_F(PagesTest, DynamicsPageShowsTheCompressorOrTheExpanderAsDynamicsSays) {
    Connect();
    UserSets(*plugin, kParamDynamics, 100);
    pages->ShowSectionPage(ui::kPageDynamics);
    EXPECT_TRUE(GroupShown(ui::kGroupComp));
    EXPECT_TRUE(GroupHidden(ui::kGroupExp));
    UserSets(*plugin, kParamDynamics, 20);
    Frame();
    EXPECT_TRUE(GroupShown(ui::kGroupExp));
    EXPECT_TRUE(GroupHidden(ui::kGroupComp));
    EXPECT_EQ(Text(ui::kTagDynamicsTitle), "EXPANDER");
}

// Every value the pedal stores in a preset can be changed from some page: a
// control is bound to it, a voicing button sets it, or a control's action
// does (checked by using that control).
TEST_F(PagesTest, EveryPresetParameterIsWithinReach) {
    Connect();
    std::set<int> reached;
    graphics->ForEachControl([&](Control& c) {
        for (int v = 0; v < c.NVals(); ++v)
            reached.insert(c.GetParamIdx(v));
    });
    for (int p : kAmpVoicingParams)
        reached.insert(p);
    for (int p : kAmbienceVoicingParams)
        reached.insert(p);

    auto changedBy = [&](const std::function<void()>& action) {
        std::array<double, kNumPresetParams> before{};
        for (int p = 0; p < kNumPresetParams; ++p)
            before[static_cast<std::size_t>(p)] = plugin->GetParam(p)->Value();
        action();
        Pump();
        Frame();
        for (int p = 0; p < kNumPresetParams; ++p)
            if (plugin->GetParam(p)->Value() != before[static_cast<std::size_t>(p)]) reached.insert(p);
    };
    auto centre = [&](ControlTag tag) { return graphics->ControlByTag(tag)->GetRect(); };
    // The FILTER footswitch turns the auto filter on and off.
    changedBy([&] {
        const Rect r = centre(ui::kTagFilterSwitch);
        ClickSwitch(r.MW(), r.MH());
    });
    // A row of the impulse-response list chooses the impulse response.
    changedBy([&] {
        pages->ShowSectionPage(ui::kPageIr);
        ClickSwitch(570, 713 + 50 * 3 + 20);
    });

    std::string missing;
    for (int p = 0; p < kNumPresetParams; ++p) {
        // The user-IR slot numbers are set by choosing a slot in the custom-IR
        // picker or by an IR import, both exercised by their own tests.
        if (p >= kParamUserIr7PresetMsb && p <= kParamUserIr8Preset) continue;
        if (!reached.count(p)) missing += std::to_string(p) + " " + plugin->GetParam(p)->Name() + "; ";
    }
    EXPECT_TRUE(missing.empty()) << "out of reach: " << missing;
}

// A right-click on a knob opens a prompt in the units its read-out shows, and
// a number typed there in those units moves the knob to it.
TEST_F(PagesTest, KnobValuePromptSpeaksTheReadoutUnits) {
    Connect();
    pages->ShowSectionPage(ui::kPageLevel);
    Control* knob = nullptr;
    for (int i = 0; i < graphics->NControls(); ++i) {
        Control* c = graphics->GetControl(i);
        if (c->GetParamIdx() == kParamLevel && !c->IsHidden() && c->GetGroup() == ui::kGroupLevel) knob = c;
    }
    ASSERT_NE(knob, nullptr);
    knob->SetValue(plugin->GetParam(kParamLevel)->NormalFromValue(80));
    knob->MarkDirty(true);
    Frame();
    graphics->PromptValue(*knob);
    TextEntryControl* entry = graphics->GetTextEntryControl();
    ASSERT_TRUE(entry && entry->IsEditing());
    EXPECT_EQ(entry->Editor()->text().toStdString(), Text(ui::kTagLevelValue));
    EXPECT_EQ(entry->Editor()->text(), "63");
    entry->Editor()->setText("25");
    QTest::keyClick(entry->Editor(), Qt::Key_Return);
    Frame();
    EXPECT_EQ(Text(ui::kTagLevelValue), "25");
    EXPECT_EQ(ParamInt(kParamLevel), 32);
}

} // namespace
} // namespace tolvane::testing
