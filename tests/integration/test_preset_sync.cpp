// The preset synchronisation end to end: the program's transport and audio
// clock, the simulator over a private JACK dummy server, an empty data
// folder. The first connection loads all 128 presets into files equal to the
// simulator's own records; a second connection finds nothing to load.

#include "LinkRig.h"

#include "device/LinkTags.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace tolvane {
namespace {

namespace cmd = sysex::command;
using namespace std::chrono_literals;

// Identification waits 33 ticks of 100 ms; the load itself takes a few seconds.
constexpr auto kSyncLimit = 20s;

// The messages of the preset synchronisation, in order; other traffic (the
// impulse-response names, for one) goes its own way.
std::vector<test::Stamped> SyncMessages(const std::vector<test::Stamped>& items) {
    std::vector<test::Stamped> sync;
    for (const auto& s : items)
        if (s.command == cmd::kRequestSettingsBlock || s.command == cmd::kBeginBulkTransfer ||
            s.command == cmd::kEndBulkTransfer || s.command == cmd::kRequestPreset)
            sync.push_back(s);
    return sync;
}

std::vector<std::uint8_t> Commands(const std::vector<test::Stamped>& items) {
    std::vector<std::uint8_t> c;
    for (const auto& s : items)
        c.push_back(s.command);
    return c;
}

long Count(const std::vector<test::Stamped>& items, std::uint8_t command) {
    return std::count_if(items.begin(), items.end(),
                         [&](const test::Stamped& s) { return s.command == command; });
}

class PresetSyncTest : public test::SimulatorTest {
protected:
    void SetUp() override {
        SimulatorTest::SetUp();
        if (HasFatalFailure()) return;
        // The simulator starts from its factory content and keeps it in a
        // folder, so its records can be compared with the editor's files.
        sim = StartSimulator({"--fresh"});
        ASSERT_TRUE(sim->Ok()) << sim->Error();
    }
    std::filesystem::path PresetFile(int slot) const {
        return root / "data" / "Tolvane" / kPresetsFolder / CacheFileName(slot + 1);
    }
};

TEST_F(PresetSyncTest, FirstConnectionLoadsEveryPresetAndASecondLoadsNone) {
    const auto simRecords = ReadBytes(root / "sim" / "presets.bin");
    ASSERT_EQ(simRecords.size(), std::size_t{kPresetSlotCount * kPresetRecordBytes});
    std::vector<std::filesystem::file_time_type> written(kPresetSlotCount);

    {
        test::LinkRig rig(sim->InPort(), sim->OutPort(), kBufferFrames);
        ASSERT_TRUE(rig.Started()) << (rig.Errors().empty() ? "" : rig.Errors().front());
        ASSERT_TRUE(rig.WaitForSynchronisation(kSyncLimit));
        EXPECT_TRUE(rig.Plugin().Connected());
        EXPECT_FALSE(rig.Plugin().BulkLoadRunning());

        const auto sent = SyncMessages(rig.Sent().Items());
        // Identification, checksums, one bulk transfer of 128 requests, then
        // the global settings, End bulk transfer and the current preset.
        ASSERT_GE(sent.size(), 4u);
        EXPECT_EQ(sent[0].command, cmd::kRequestSettingsBlock);
        EXPECT_EQ(sent[0].value, 15);
        EXPECT_EQ(sent[1].command, cmd::kRequestSettingsBlock);
        EXPECT_EQ(sent[1].value, 3);
        EXPECT_EQ(sent[2].command, cmd::kBeginBulkTransfer);
        EXPECT_EQ(Count(sent, cmd::kBeginBulkTransfer), 1);
        EXPECT_EQ(Count(sent, cmd::kRequestPreset), kPresetSlotCount + 1);
        for (int slot = 0; slot < kPresetSlotCount; ++slot)
            EXPECT_EQ(sent[3 + static_cast<std::size_t>(slot)].value, slot) << "request " << slot;
        const auto settings = test::Find(sent, cmd::kRequestSettingsBlock, 0);
        const auto end = test::Find(sent, cmd::kEndBulkTransfer);
        ASSERT_TRUE(settings && end);
        EXPECT_EQ(*settings, 3u + kPresetSlotCount);
        EXPECT_EQ(*end, *settings + 1);
        ASSERT_LT(*end + 1, sent.size());
        EXPECT_EQ(sent[*end + 1].command, cmd::kRequestPreset);

        // The progress group came and went, ending at 100 %.
        const auto& groups = rig.Seam().groups;
        EXPECT_NE(std::find(groups.begin(), groups.end(), "show progresscontrols"), groups.end());
        EXPECT_NE(std::find(groups.begin(), groups.end(), "hide progresscontrols"), groups.end());
        const auto& texts = rig.Seam().texts;
        EXPECT_NE(std::find(texts.begin(), texts.end(),
                            std::pair<ControlTag, std::string>{link::kTagProgressText, "100 %"}),
                  texts.end());
    }

    for (int slot = 0; slot < kPresetSlotCount; ++slot) {
        const auto file = ReadBytes(PresetFile(slot));
        const auto* record = simRecords.data() + static_cast<std::size_t>(slot) * kPresetRecordBytes;
        ASSERT_EQ(file.size(), std::size_t{kPresetRecordBytes}) << "slot " << slot;
        EXPECT_TRUE(std::equal(file.begin(), file.end(), record)) << "slot " << slot;
        written[static_cast<std::size_t>(slot)] = std::filesystem::last_write_time(PresetFile(slot));
    }

    // The program again, on the same folder: the checksums agree.
    test::LinkRig again(sim->InPort(), sim->OutPort(), kBufferFrames);
    ASSERT_TRUE(again.Started());
    ASSERT_TRUE(again.WaitForSynchronisation(kSyncLimit));
    EXPECT_EQ(
        Commands(SyncMessages(again.Sent().Items())),
        (std::vector<std::uint8_t>{cmd::kRequestSettingsBlock, cmd::kRequestSettingsBlock,
                                   cmd::kRequestSettingsBlock, cmd::kEndBulkTransfer, cmd::kRequestPreset}));
    const auto& groups = again.Seam().groups;
    EXPECT_EQ(std::find(groups.begin(), groups.end(), "show progresscontrols"), groups.end());
    for (int slot = 0; slot < kPresetSlotCount; ++slot)
        EXPECT_EQ(std::filesystem::last_write_time(PresetFile(slot)), written[static_cast<std::size_t>(slot)])
            << "slot " << slot << " was written again";
}

} // namespace
} // namespace tolvane
