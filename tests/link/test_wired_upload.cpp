// The IR upload and the IR slot view through the whole plug-in: a WAV file
// imported on a connected editor reaches the pedal one message per tick, and
// the pedal's IR assignment done comes back to the right component.

#include "LinkFixture.h"
#include "test_transfer_wavfixture.h"

#include "device/DeviceTables.h"
#include "device/IrUploadRecord.h"
#include "device/ParamTable.h"
#include "device/SysexConstants.h"
#include "library/IrCache.h"

namespace tolvane::testing {
namespace {

namespace cmd = sysex::command;

// A factory cabinet the pedal sent earlier is named as it was then, from the
// first start on, not only after it is downloaded again.
TEST_F(LinkTest, FactoryCabinetNamesComeFromTheCacheAtStart) {
    IrSampleBuffer samples{};
    samples[0] = 1.0;
    const auto record = ir::BuildRecord(samples, 0.0, "GREEN 4x12");
    xfertest::WriteFile(IrNumberPath(folder.Path(), ir::kFirstFactoryNumber + 1), Bytes(record.begin(), record.end()));
    StartWired();
    EXPECT_EQ(tolvane->FactoryNames()[2], "GREEN 4x12"); // entry 0 is the flat response
    EXPECT_EQ(tolvane->FactoryNames()[1], DefaultFactoryIrNames()[1]); // not cached: the default stays
}

TEST(WiredUpload, WavFileReachesThePedalAndAssignmentDoneRedrawsTheDisplay) {
    WiredEditorAndPedal side;
    side.Connect();
    ASSERT_TRUE(side.tolvane->Connected());
    int redraws = 0;
    side.tolvane->Display().irSamplesChanged = [&] { ++redraws; };

    const auto wav = side.folder.Path() / "DI Box.wav";
    xfertest::WriteFile(wav, xfertest::Wav16(xfertest::DecayingIr(2000)));
    side.screen.files.push_back(wav.string());
    side.tolvane->SetIrEditTargets(true, false);
    const std::size_t mark = side.wire.sent.size();
    side.tolvane->ImportIrFile(5);
    EXPECT_EQ(side.wire.sent.size(), mark) << "nothing goes out before the periodic task's turn";

    // Start, nine data messages and the end: one per tick, paced by Ready
    // for next IR block after the start.
    const std::vector<std::pair<std::uint8_t, std::size_t>> expected = {
        {cmd::kIrStreamStart, 269}, {cmd::kIrStreamData, 264}, {cmd::kIrStreamData, 264},
        {cmd::kIrStreamData, 264},  {cmd::kIrStreamData, 264}, {cmd::kIrStreamData, 264},
        {cmd::kIrStreamData, 264},  {cmd::kIrStreamData, 264}, {cmd::kIrStreamData, 264},
        {cmd::kIrStreamData, 264},  {cmd::kIrStreamEnd, 235}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(redraws, 0) << "before message " << i;
        const std::size_t before = side.wire.sent.size();
        side.Tick();
        ASSERT_EQ(side.wire.sent.size(), before + 1) << "tick " << i;
        EXPECT_EQ(Command(side.wire.sent.back()), expected[i].first) << "tick " << i;
        EXPECT_EQ(side.wire.sent.back().size(), expected[i].second) << "tick " << i;
    }

    // What the pedal stored is what the library keeps under slot 5.
    const auto record = WavIrFiles(side.folder.Path()).ReadIrRecord(5);
    ASSERT_TRUE(record);
    const auto& stored = side.pedal.State().userIrs[5];
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), record->begin()));
    EXPECT_EQ(std::string(stored.begin() + 4, stored.begin() + 36), ir::PadName("DI Box"));

    // IR assignment done: the display is drawn again, no Store preset (no
    // preset file is pending), and the upload sends nothing more.
    EXPECT_GE(redraws, 1);
    EXPECT_TRUE(side.SentWith(cmd::kStorePreset, mark).empty());
    EXPECT_TRUE(side.screen.Has("text 69 DI Box"));
    const std::size_t after = side.wire.sent.size();
    side.Tick(3);
    EXPECT_EQ(side.wire.sent.size(), after);
}

TEST(WiredUpload, BankChangeAsksForTheNamesOnceAndTheSlotViewShowsThePedals) {
    WiredEditorAndPedal side;
    side.Connect();
    auto showBank = [&](int bank) {
        const std::size_t mark = side.wire.sent.size();
        const Param* p = side.tolvane->GetParam(kParamCustomIrBank);
        side.tolvane->ParamChangeFromControl(kParamCustomIrBank, p->NormalFromValue(bank));
        side.Pump();
        std::vector<int> asked;
        for (const auto& m : side.SentWith(cmd::kRequestIrNameBlock, mark))
            asked.push_back(m[7]);
        return asked;
    };
    const auto& name = side.tolvane->Transfers().slotViewName;

    // A bank is read as four blocks of eight names, each asked for once.
    EXPECT_EQ(showBank(1), (std::vector<int>{4, 5, 6, 7}));
    EXPECT_EQ(name(32), "Empty Slot 1");
    EXPECT_EQ(name(63), "Empty Slot 32");

    EXPECT_EQ(showBank(0), (std::vector<int>{0, 1, 2, 3}));
    for (int slot : {0, 7, 11}) {
        const auto& record = side.pedal.State().userIrs[static_cast<std::size_t>(slot)];
        EXPECT_EQ(name(slot), ir::TrimName(std::string(record.begin() + 4, record.begin() + 36))) << slot;
    }
    EXPECT_EQ(name(12), "Empty Slot 13");
}

} // namespace
} // namespace tolvane::testing
