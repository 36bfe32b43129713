// A preset file saved by one editor from its pedal and loaded by another
// editor onto a different pedal: the preset and both of its user IRs arrive.

#include "LinkFixture.h"

#include "device/ParamTable.h"
#include "device/SysexConstants.h"

namespace tolvane::testing {
namespace {

namespace cmd = sysex::command;

std::uint8_t ValueIn(const sim::PresetRecord& record, int index) {
    return record[sim::kPresetValuesOffset + static_cast<std::size_t>(index)];
}

std::string Field(const sim::PresetRecord& record, std::size_t offset) {
    return std::string(record.begin() + static_cast<long>(offset),
                       record.begin() + static_cast<long>(offset) + 32);
}

TEST(WiredPresetFile, SavedOnOnePedalLoadedOntoAnotherGivesTheSamePresetAndIrs) {
    // Factory preset 7 uses user IR 1 at position 7 and user IR 2 at position 8.
    constexpr int kSourceSlot = 7;
    constexpr int kTargetSlot = 20;
    WiredEditorAndPedal source;
    source.Connect();
    source.tolvane->SelectPreset(kSourceSlot);
    source.Pump(); // the dump, and the downloads of the two IRs it uses
    const sim::PresetRecord& original = source.pedal.State().presets[kSourceSlot];
    ASSERT_NE(ValueIn(original, kParamIrMode7), 0);
    ASSERT_NE(ValueIn(original, kParamIrMode8), 0);

    const auto path = (source.folder.Path() / "Night Drive.dvp").string();
    source.screen.files.push_back(path);
    source.tolvane->SavePresetFile();
    ASSERT_EQ(std::filesystem::file_size(path), 5134u) << "the block and both IR records";

    sim::PedalState blankIrs = sim::FactoryState();
    blankIrs.userIrs = {};
    WiredEditorAndPedal target(std::move(blankIrs));
    target.Connect();
    target.tolvane->SelectPreset(kTargetSlot);
    target.Pump();
    const std::size_t mark = target.wire.sent.size();
    target.screen.files.push_back(path);
    target.tolvane->LoadPresetFile();
    // Two uploads of 11 messages each, paced by the pedal, then Store preset.
    ASSERT_GT(target.TickUntil([&] { return !target.SentWith(cmd::kStorePreset, mark).empty(); }, 100), 0);
    target.Tick(5);
    EXPECT_EQ(target.SentWith(cmd::kIrStreamStart, mark).size(), 2u);
    EXPECT_EQ(target.SentWith(cmd::kStorePreset, mark).size(), 1u);

    // The file's IRs went to the target preset's own slots p and 128 + p.
    const auto& userIrs = target.pedal.State().userIrs;
    const auto& sourceIrs = source.pedal.State().userIrs;
    EXPECT_EQ(userIrs[kTargetSlot], sourceIrs[ValueIn(original, kParamUserIr7Preset)]);
    EXPECT_EQ(userIrs[128 + kTargetSlot], sourceIrs[ValueIn(original, kParamUserIr8Preset)]);

    const sim::PresetRecord& loaded = target.pedal.State().presets[kTargetSlot];
    for (int i = 0; i < kNumPresetParams; ++i) {
        switch (i) {
        case kParamUserIr7PresetMsb:
        case kParamUserIr7Preset:
        case kParamUserIr8PresetMsb:
        case kParamUserIr8Preset:
            break;
        default:
            EXPECT_EQ(ValueIn(loaded, i), ValueIn(original, i)) << "parameter " << i;
        }
    }
    EXPECT_EQ(ValueIn(loaded, kParamUserIr7PresetMsb), 0);
    EXPECT_EQ(ValueIn(loaded, kParamUserIr7Preset), kTargetSlot);
    EXPECT_EQ(ValueIn(loaded, kParamUserIr8PresetMsb), 1);
    EXPECT_EQ(ValueIn(loaded, kParamUserIr8Preset), kTargetSlot);
    // The preset is named after the file; the IR names come with it.
    EXPECT_EQ(Field(loaded, sim::kPresetNameOffset), ir::PadName("Night Drive"));
    EXPECT_EQ(Field(loaded, sim::kPresetIr7NameOffset), Field(original, sim::kPresetIr7NameOffset));
    EXPECT_EQ(Field(loaded, sim::kPresetIr8NameOffset), Field(original, sim::kPresetIr8NameOffset));
}

} // namespace
} // namespace tolvane::testing
