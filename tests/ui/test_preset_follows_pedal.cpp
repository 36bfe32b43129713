// The pages show what the pedal stores, and change only on the user's
// action: a preset file exported and imported through the main page's
// buttons and keys, an impulse response arriving, and leaving a preset with
// edits the pedal has not stored.

#include "PagesFixture.h"

#include "device/IrUploadRecord.h"
#include "device/LinkTags.h"
#include "device/SysexBuilders.h"
#include "device/SysexConstants.h"

#include <cstdio>
#include <filesystem>
#include <functional>

namespace tolvane::testing {
namespace {

constexpr float kExportX = 192.f, kFileButtonY = 192.f;
// Inside the ROOM and HALL reverb-type buttons (tags 73, 74) of the ambience page.
constexpr float kRoomX = 400.f, kHallX = 580.f, kReverbY = 745.f;
constexpr float kDriveX = 770.f, kDriveY = 189.f; // the pedal's DRIVE knob
constexpr float kUpX = 1490.f, kDownX = 760.f, kSwitchY = 520.f;
constexpr float kListX = 100.f;

class PresetFollowsPedalTest : public PagesTest {
protected:
    PresetFollowsPedalTest() : PagesTest(true) {}

    void GoTo(int slot) {
        plugin->SelectPreset(slot);
        Pump();
        Frame();
        ASSERT_EQ(plugin->CurrentPreset(), slot);
    }
    void ClickReverbType(float x) {
        pages->ShowSectionPage(ui::kPageAmbience);
        Frame();
        test::Click(*graphics, x, kReverbY);
        Pump();
        Frame();
    }
    double ButtonValue(ControlTag tag) const { return graphics->ControlByTag(tag)->GetValue(); }
    std::string StoredName(int slot) const {
        const auto& record = pedal.State().presets[static_cast<std::size_t>(slot)];
        return std::string(record.begin() + sim::kPresetNameOffset,
                           record.begin() + sim::kPresetNameOffset + 32);
    }
    std::string RowPrefix(int slot) const {
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, " %02d ", plugin->PatchOffset() + slot);
        return prefix;
    }
    std::size_t SentCount(std::size_t mark, std::uint8_t command) const {
        std::size_t n = 0;
        for (const Bytes& m : SentSince(mark))
            n += m.size() > sysex::kOffsetCommand && m[sysex::kOffsetCommand] == command;
        return n;
    }
};

// Preset 3 is given the HALL reverb and exported as "MyTone"; slot 20, with
// ROOM, imports it. The export leaves the preset's name alone; after the
// import the name field, the list row and the reverb-type buttons show what
// slot 20 now stores, with no preset change in between.
TEST_F(PresetFollowsPedalTest, AnExportKeepsTheNameAndAnImportIsShownAsThePedalStoresIt) {
    Connect();
    GoTo(3);
    ClickReverbType(kHallX);
    ASSERT_EQ(ButtonValue(74), 1.0);
    const std::string name3 = Text(134);
    const std::string path = (folder.Path() / "MyTone.dvp").string();
    platform.file = path;
    auto mark = Mark();
    ClickButton(kExportX, kFileButtonY);
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(Text(134), name3) << "the preset keeps its name";
    EXPECT_EQ(SentCount(mark, sysex::command::kStorePreset), 0u);
    EXPECT_EQ(StoredName(3), ir::PadName(name3));

    GoTo(20);
    ClickReverbType(kRoomX);
    ASSERT_EQ(ButtonValue(73), 1.0);
    const int arrivals = plugin->PresetArrivals();
    mark = Mark();
    plugin->HandleEditorCommand(EditorCommand::ImportPresetFile);
    for (int i = 0; i < 200 && SentCount(mark, sysex::command::kStorePreset) == 0; ++i)
        Tick();
    Tick(3);
    Frame();
    ASSERT_EQ(StoredName(20), ir::PadName("MyTone"));
    EXPECT_EQ(plugin->PresetArrivals(), arrivals) << "nothing was read back from the pedal";
    EXPECT_EQ(Text(134), "MyTone");
    EXPECT_EQ(Text(1000 + 20), (RowPrefix(20) + ir::PadName("MyTone")).substr(0, 20));
    EXPECT_EQ(ButtonValue(74), 1.0) << "HALL, as the stored values say";
    EXPECT_EQ(ButtonValue(73), 0.0);
    const auto& stored = pedal.State().presets[20];
    EXPECT_EQ(ParamInt(kParamReverbMode), stored[sim::kPresetValuesOffset + kParamReverbMode]);
    EXPECT_FALSE(plugin->Flags().presetModified.load()) << "the pedal holds the imported preset";
}

// The up switch on an edited preset asks when it is let go: a box opened at
// the press would take the release, and the switch would stay held and step
// on by itself. While it is held nothing steps; after OK it steps once.
TEST_F(PresetFollowsPedalTest, TheUpSwitchOnAnEditedPresetAsksAtItsReleaseAndStepsOnce) {
    Connect();
    GoTo(10);
    test::Wheel(*graphics, kDriveX, kDriveY, 120);
    ASSERT_TRUE(plugin->Flags().presetModified.load());
    platform.asked.clear();
    platform.answer = AskResult::Ok;
    test::Press(*graphics, kUpX, kSwitchY);
    Frame(30);
    EXPECT_TRUE(platform.asked.empty()) << "asked at the press";
    EXPECT_EQ(plugin->CurrentPreset(), 10);
    test::Release(*graphics, kUpX, kSwitchY);
    EXPECT_EQ(platform.asked, std::vector<std::string>{link::kTextPresetNotSaved});
    Pump();
    Frame(30);
    EXPECT_EQ(plugin->CurrentPreset(), 11);
}

// An impulse response that arrives with a preset the pedal changed to
// leaves the page where the user put it.
TEST_F(PresetFollowsPedalTest, AnImpulseResponseArrivingLeavesThePageWhereTheUserPutIt) {
    Connect();
    pages->ShowSectionPage(ui::kPageDrive);
    Frame();
    pedal.ChangePreset(7); // plays two user IRs, downloaded as it arrives
    Pump();
    Tick(40);
    Frame(5);
    ASSERT_NE(ParamInt(kParamIrMode7), 0);
    EXPECT_EQ(pages->CurrentPage(), ui::kPageDrive);
}

// Each way of leaving an edited preset asks first: Cancel keeps the preset
// and its edits and sends nothing, OK goes on as without edits. A preset
// without edits, and the pedal's own preset change, ask nothing.
TEST_F(PresetFollowsPedalTest, LeavingAnEditedPresetAsksFirst) {
    Connect();
    struct Way {
        const char* what;
        std::function<void()> leave;
        int offset; // the slot reached, from slot 10 (the list shows slot 10 first)
    };
    const Way ways[] = {
        {"up switch", [&] { ClickSwitch(kUpX, kSwitchY); }, 1},
        {"down switch", [&] { ClickSwitch(kDownX, kSwitchY); }, -1},
        {"down key", [&] { plugin->HandleEditorCommand(EditorCommand::PresetDown); }, -1},
        {"page up key", [&] { plugin->HandleEditorCommand(EditorCommand::PresetUpTen); }, 10},
        {"list row", [&] { test::Click(*graphics, kListX, 228 + 50 * 2 + 1); }, 2},
    };
    const std::vector<std::string> question{link::kTextPresetNotSaved};
    for (const Way& way : ways) {
        SCOPED_TRACE(way.what);
        GoTo(10);
        ASSERT_EQ(pages->FirstVisiblePreset(), 10);
        test::Wheel(*graphics, kDriveX, kDriveY, 120);
        ASSERT_TRUE(plugin->Flags().presetModified.load());
        const std::string number = Text(ui::kTagNumberDisplay);

        platform.asked.clear();
        platform.answer = AskResult::Cancel;
        auto mark = Mark();
        way.leave();
        Frame(30);
        EXPECT_EQ(platform.asked, question);
        EXPECT_TRUE(SentSince(mark).empty());
        EXPECT_EQ(plugin->CurrentPreset(), 10);
        EXPECT_EQ(Text(ui::kTagNumberDisplay), number);
        EXPECT_TRUE(plugin->Flags().presetModified.load());

        platform.asked.clear();
        platform.answer = AskResult::Ok;
        mark = Mark();
        way.leave();
        EXPECT_EQ(platform.asked, question);
        EXPECT_EQ(SentSince(mark),
                  std::vector<Bytes>{BytesOf(sysex::BuildSelectPreset(std::uint8_t(10 + way.offset)))});
        Pump();
        Frame();
        EXPECT_EQ(plugin->CurrentPreset(), 10 + way.offset);

        platform.asked.clear();
        mark = Mark();
        way.leave();
        EXPECT_TRUE(platform.asked.empty()) << "no edits, no question";
        EXPECT_FALSE(SentSince(mark).empty());
        Pump();
    }

    test::Wheel(*graphics, kDriveX, kDriveY, 120);
    ASSERT_TRUE(plugin->Flags().presetModified.load());
    platform.asked.clear();
    pedal.ChangePreset(40);
    Pump();
    Frame();
    EXPECT_EQ(plugin->CurrentPreset(), 40);
    EXPECT_TRUE(platform.asked.empty()) << "the pedal's own change is not asked about";
}

} // namespace
} // namespace tolvane::testing
