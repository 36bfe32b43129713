// Export All Presets from one pedal and Import All Presets onto another,
// each through the plug-in's menu, periodic task and receive entry.

#include "LinkFixture.h"

#include "device/ParamTable.h"
#include "device/SysexConstants.h"

#include <set>

namespace tolvane::testing {
namespace {

// The user IRs the presets of a pedal use at positions 7 and 8.
std::set<int> UsedUserIrs(const sim::PedalState& state) {
    std::set<int> used;
    for (const auto& record : state.presets) {
        auto value = [&](int index) {
            return record[sim::kPresetValuesOffset + static_cast<std::size_t>(index)];
        };
        if (value(kParamIrMode7))
            used.insert(value(kParamUserIr7PresetMsb) * 128 + value(kParamUserIr7Preset));
        if (value(kParamIrMode8))
            used.insert(value(kParamUserIr8PresetMsb) * 128 + value(kParamUserIr8Preset));
    }
    return used;
}

// A pedal whose presets and user IRs hold nothing.
sim::PedalState BlankPedal() {
    sim::PedalState state = sim::FactoryState();
    state.presets = {};
    state.editBuffer = {};
    state.userIrs = {};
    return state;
}

// Export All of a connected pedal into "all.dvb" in its folder; the path.
std::string ExportAll(WiredEditorAndPedal& source) {
    source.Connect();
    const auto path = (source.folder.Path() / "all.dvb").string();
    source.screen.files.push_back(path);
    source.tolvane->HandleMenuCommand(MenuCommand::ExportAllPresets);
    source.TickUntil([&] { return !source.Wiring().Backup().ExportActive(); }, 1000);
    return path;
}

// Connects and starts Import All of the backup at path.
void StartImportAll(WiredEditorAndPedal& target, const std::string& path) {
    target.Connect();
    target.screen.files.push_back(path);
    target.tolvane->HandleMenuCommand(MenuCommand::ImportAllPresets);
}

TEST(WiredBackup, ExportThenImportOntoABlankPedalGivesTheSamePresetsAndIrs) {
    WiredEditorAndPedal source;
    source.Connect();
    ASSERT_TRUE(source.tolvane->Connected());
    const auto backupPath = (source.folder.Path() / "all.dvb").string();
    source.screen.files.push_back(backupPath);
    source.tolvane->HandleMenuCommand(MenuCommand::ExportAllPresets);
    ASSERT_TRUE(source.Wiring().Backup().ExportActive());

    const auto used = UsedUserIrs(source.pedal.State());
    ASSERT_FALSE(used.empty());
    // One request per tick, 128 presets and then the used IRs; one more tick
    // finds no further IR and the last one writes the file.
    const int exportTicks = source.TickUntil([&] { return !source.Wiring().Backup().ExportActive(); }, 1000);
    EXPECT_EQ(exportTicks, 128 + static_cast<int>(used.size()) + 2);
    EXPECT_TRUE(source.screen.Has("ask Finished successfully!"));
    ASSERT_TRUE(std::filesystem::exists(backupPath));

    WiredEditorAndPedal target(BlankPedal());
    target.Connect();
    ASSERT_TRUE(target.tolvane->Connected());
    target.screen.files.push_back(backupPath);
    target.tolvane->HandleMenuCommand(MenuCommand::ImportAllPresets);
    ASSERT_TRUE(target.Wiring().Backup().RestoreActive());
    ASSERT_GT(target.TickUntil([&] { return !target.Wiring().Backup().RestoreActive(); }, 5000), 0);

    EXPECT_TRUE(target.screen.Has("ask Finished successfully!"));
    EXPECT_FALSE(target.screen.Has("ask Communication error!"));
    EXPECT_EQ(target.pedal.State().presets, source.pedal.State().presets);
    for (int n = 0; n < sim::kNumUserIrSlots; ++n) {
        const auto& expected =
            used.count(n) ? source.pedal.State().userIrs[static_cast<std::size_t>(n)] : sim::IrData{};
        EXPECT_EQ(target.pedal.State().userIrs[static_cast<std::size_t>(n)], expected) << "user IR " << n;
    }
    // The restore ran inside Begin / End bulk transfer.
    EXPECT_GE(target.pedal.Log().bulkBegins, 1);
    EXPECT_FALSE(target.pedal.Log().bulkOpen);

    // The restore ends the connection; the editor finds the pedal again and,
    // its caches emptied, loads every preset anew.
    EXPECT_FALSE(target.tolvane->Connected());
    const std::size_t mark = target.wire.sent.size();
    target.Connect();
    EXPECT_TRUE(target.tolvane->Connected());
    std::set<int> reloaded;
    for (const auto& m : target.SentWith(sysex::command::kRequestPreset, mark))
        reloaded.insert(m[sysex::kOffsetValue1]);
    EXPECT_EQ(reloaded.size(), 128u);
    // Every preset read back agrees with the backup: nothing to report.
    target.tolvane->OnIdle();
    for (const auto& c : target.screen.calls)
        EXPECT_EQ(c.find("differ from the backup"), std::string::npos) << c;
}

// A pedal that kept other presets than it was sent: after the re-read the
// slots that differ from the backup are named.
TEST(WiredBackup, PresetsThatDifferAfterImportAllAreReportedBySlot) {
    WiredEditorAndPedal source;
    const std::string backupPath = ExportAll(source);
    WiredEditorAndPedal target(BlankPedal());
    StartImportAll(target, backupPath);
    ASSERT_GT(target.TickUntil([&] { return !target.Wiring().Backup().RestoreActive(); }, 5000), 0);
    for (int slot : {5, 77})
        target.pedal.MutableState().presets[static_cast<std::size_t>(slot)][sim::kPresetValuesOffset + 3] ^= 1;
    target.Connect();
    target.tolvane->OnIdle();
    EXPECT_TRUE(target.screen.Has("ask Import All: 2 presets on the pedal differ from the backup.\nSlots: 5, 77"));
}

// RECONNECT while a restore waits for an answer that was lost: the restore
// ends with a message, and identification polling goes on as after any
// RECONNECT.
TEST(WiredBackup, ReconnectEndsAStalledRestoreAndPollingResumes) {
    WiredEditorAndPedal source;
    const std::string backupPath = ExportAll(source);
    WiredEditorAndPedal target(BlankPedal());
    StartImportAll(target, backupPath);
    target.Tick(40);
    target.pedal.GetFaults().dropAnswers = 1;
    target.Tick(5);
    ASSERT_TRUE(target.Wiring().Backup().RestoreActive());
    target.tolvane->Reconnect();
    EXPECT_FALSE(target.Wiring().Backup().RestoreActive());
    std::string asked;
    for (const auto& c : target.screen.calls)
        if (c.rfind("ask Import All", 0) == 0) asked = c;
    EXPECT_EQ(asked.substr(0, asked.find('\n')), "ask Import All stopped by RECONNECT.");
    EXPECT_FALSE(target.pedal.Log().bulkOpen);
    // The next identification request follows within one polling period.
    const std::size_t mark = target.wire.sent.size();
    target.Tick(33);
    EXPECT_FALSE(target.SentWith(sysex::command::kRequestSettingsBlock, mark).empty());
    EXPECT_TRUE(target.tolvane->Connected());
}

} // namespace
} // namespace tolvane::testing
