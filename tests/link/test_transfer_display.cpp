// The IR display's samples for selector values: the flat impulse, single
// cabinets, crossfades, and where each cabinet comes from (the cached record,
// else the factory WAV file; a user IR only from the cache).

#include "test_transfer_rig.h"
#include "test_transfer_wavfixture.h"

#include <gtest/gtest.h>

namespace tolvane::xfertest {
namespace {

constexpr double kWord = 1.0 / 32768.0;

// A record whose sample 1 tells the cabinet apart: 0.05 x (index + 1).
ir::RecordBytes Marked(double sample1) {
    IrSampleBuffer s{};
    s[1] = sample1;
    return ir::BuildRecord(s, 1.0, "marked");
}

class IrDisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int k = 0; k < 8; ++k)
            rig.files.WriteIrRecord(384 + k, Marked(0.05 * (k + 1)));
    }
    TransferRig rig;
};

TEST_F(IrDisplayTest, SelectorValues) {
    struct Case {
        int value;
        double s0;
        double s1;
    };
    const Case cases[] = {
        {0, 1.0, 0.0},                      // u = 0: the flat impulse
        {1, 1.0, 0.0},                      // still u = 0
        {2, 0.9, 0.1 * 0.05},               // u = 0.1: 0.9 impulse + 0.1 cabinet 1
        {16, 0.0, 0.05},                    // u = 1.0: cabinet 1 alone
        {24, 0.0, 0.5 * 0.05 + 0.5 * 0.10}, // u = 1.5: cabinets 1 and 2 equally
        {127, 0.0, 0.40},                   // u = 8.0: cabinet 8 (position 8 without a user IR)
    };
    for (const auto& c : cases) {
        rig.samples.fill(0.7);
        rig.display.RefreshIrDisplay(c.value);
        EXPECT_NEAR(rig.samples[0], c.s0, 1e-6) << c.value;
        EXPECT_NEAR(rig.samples[1], c.s1, 2 * kWord) << c.value;
        EXPECT_EQ(rig.samples[4095], 0.0) << c.value;
    }
}

TEST_F(IrDisplayTest, FactoryWavFileStandsInForAMissingRecord) {
    std::filesystem::remove(rig.folder.Path() / "Factory IRs" / "002.dat");
    WriteFile(rig.folder.Path() / "Factory IRs" / "02-Blond 2x12.wav", Wav16({0, 16384, 8192}));
    rig.display.RefreshIrDisplay(32); // u = 2.0
    EXPECT_EQ(rig.samples[0], 0.0);
    EXPECT_EQ(rig.samples[1], 0.5);
    EXPECT_EQ(rig.samples[2], 0.25);

    std::filesystem::remove(rig.folder.Path() / "Factory IRs" / "02-Blond 2x12.wav");
    rig.display.RefreshIrDisplay(32);
    EXPECT_EQ(rig.samples[0], 1.0) << "nothing to load: the impulse stays";
}

TEST_F(IrDisplayTest, UserIrAtPosition7ComesOnlyFromTheCache) {
    rig.SetParam(kParamIrMode7, 1);
    rig.SetParam(kParamUserIr7PresetMsb, 0);
    rig.SetParam(kParamUserIr7Preset, 99);
    rig.display.RefreshIrDisplay(112); // u = 7.0
    EXPECT_EQ(rig.samples[0], 1.0);
    EXPECT_EQ(rig.samples[1], 0.0);

    rig.files.WriteIrRecord(99, Marked(0.9));
    rig.display.RefreshIrDisplay(112);
    EXPECT_NEAR(rig.samples[1], 0.9, kWord);

    rig.SetParam(kParamIrMode7, 0);
    rig.display.RefreshIrDisplay(112);
    EXPECT_NEAR(rig.samples[1], 0.35, kWord) << "position 7 off: factory cabinet 7";
}

TEST_F(IrDisplayTest, RedrawsTheGraphOnlyWhileTheWindowIsOpen) {
    int redrawn = 0;
    IrDisplayHooks hooks;
    hooks.samplesChanged = [&] { ++redrawn; };
    IrDisplay display(rig.seam, rig.files, rig.params, rig.samples, hooks);
    display.RefreshIrDisplay(16);
    rig.link.applyFlag = true;
    display.RefreshIrDisplay(16);
    rig.seam.open = false;
    display.RefreshIrDisplay(16);
    EXPECT_EQ(redrawn, 2);
}

} // namespace
} // namespace tolvane::xfertest
