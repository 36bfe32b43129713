// Nothing lost in a burst: the simulator unpaced (every message goes out as
// fast as JACK takes it), the program's transport and link on the other end.
// All 128 presets, an impulse response and a hundred knob reports sent
// within one period arrive complete and in order.

#include "LinkRig.h"

#include "device/ParamTable.h"
#include "library/DataFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

namespace tolvane {
namespace {

namespace cmd = sysex::command;
using namespace std::chrono_literals;

constexpr int kKnobReports = 100;

class BurstTest : public test::SimulatorTest {
protected:
    void SetUp() override {
        SimulatorTest::SetUp();
        if (HasFatalFailure()) return;
        StaleCache();
        sim = StartSimulator({"--fresh", "--byte-time-us", "0"});
        ASSERT_TRUE(sim->Ok()) << sim->Error();
    }
};

TEST_F(BurstTest, PresetsAnImpulseResponseAndAKnobBurstArriveWholeAndInOrder) {
    test::LinkRig rig(sim->InPort(), sim->OutPort(), kBufferFrames, true);
    ASSERT_TRUE(rig.Started()) << (rig.Errors().empty() ? "" : rig.Errors().front());

    // 128 presets: one dump per slot, in slot order, each file the pedal's record.
    ASSERT_TRUE(rig.WaitForSynchronisation(30s));
    const auto dumps = test::WithCommand(rig.Received().Items(), cmd::kPresetDump);
    ASSERT_GE(dumps.size(), std::size_t{kPresetSlotCount});
    for (int slot = 0; slot < kPresetSlotCount; ++slot)
        EXPECT_EQ(dumps[static_cast<std::size_t>(slot)].value, slot) << "dump " << slot;
    const auto simRecords = ReadBytes(root / "sim" / "presets.bin");
    ASSERT_EQ(simRecords.size(), std::size_t{kPresetSlotCount * kPresetRecordBytes});
    for (int slot = 0; slot < kPresetSlotCount; ++slot) {
        const auto file = ReadBytes(DataFolder() / kPresetsFolder / CacheFileName(slot + 1));
        const auto* record = simRecords.data() + static_cast<std::size_t>(slot) * kPresetRecordBytes;
        ASSERT_EQ(file.size(), std::size_t{kPresetRecordBytes}) << "slot " << slot;
        EXPECT_TRUE(std::equal(file.begin(), file.end(), record)) << "slot " << slot;
    }

    // An impulse response: start, nine data messages and the end, written whole.
    const std::size_t mark = rig.Received().Items().size();
    rig.Plugin().Transfers().requestIr(384);
    const auto irFile = DataFolder() / kFactoryIrsFolder / CacheFileName(1);
    // The file is written as the end is handled; the recorder notes the end
    // after that, so wait for both.
    ASSERT_TRUE(test::RunUntil([&] {
        return ReadBytes(irFile).size() == ir::kRecordSize &&
               !test::WithCommand(rig.Received().Items(), cmd::kIrStreamEnd, mark).empty();
    }, 10s));
    const auto received = rig.Received().Items();
    EXPECT_EQ(test::WithCommand(received, cmd::kIrStreamStart, mark).size(), 1u);
    EXPECT_EQ(test::WithCommand(received, cmd::kIrStreamData, mark).size(), 9u);
    EXPECT_EQ(test::WithCommand(received, cmd::kIrStreamEnd, mark).size(), 1u);

    // A hundred knob reports written to the simulator at once: it sends them
    // back to back, within one period.
    const std::size_t knobMark = rig.Received().Items().size();
    std::ostringstream lines;
    for (int v = 0; v < kKnobReports; ++v)
        lines << "knob " << kParamDrive << " " << v << (v + 1 < kKnobReports ? "\n" : "");
    ASSERT_TRUE(sim->Command(lines.str()));
    ASSERT_TRUE(test::RunUntil(
        [&] {
            return test::WithCommand(rig.Received().Items(), cmd::kParameterChanged, knobMark).size() >=
                   std::size_t{kKnobReports};
        },
        10s));
    const auto reports = test::WithCommand(rig.Received().Items(), cmd::kParameterChanged, knobMark);
    ASSERT_EQ(reports.size(), std::size_t{kKnobReports});
    for (int v = 0; v < kKnobReports; ++v)
        EXPECT_EQ(reports[static_cast<std::size_t>(v)].value2, v) << "report " << v;
    EXPECT_LT(reports.back().at - reports.front().at, 50ms) << "the burst was spread out";
    test::RunFor(100ms);
    EXPECT_EQ(rig.Plugin().GetParam(kParamDrive)->Int(), kKnobReports - 1);
    EXPECT_EQ(rig.Plugin().InputOverflows(), 0u);
    EXPECT_TRUE(rig.Seam().questions.empty());
}

} // namespace
} // namespace tolvane
