// The impulse-response record an upload builds: gain word, name field and
// sample words, including the values the 16-bit field cannot hold.

#include "device/IrUploadRecord.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tolvane {
namespace {

std::uint16_t Word(const ir::RecordBytes& r, std::size_t offset) {
    return static_cast<std::uint16_t>(r[offset] | (r[offset + 1] << 8));
}

TEST(IrRecordBuild, GainWord) {
    struct Case {
        const char* what;
        double sample; // every one of the 1200 samples
        std::uint16_t gainWord;
    };
    const Case cases[] = {
        {"silence gives the full gain 1.0", 0.0, 0x8000},
        // E = 300, g = 1.2 / (sqrt(300) * sqrt(2)) = 0.04899, x 32768 = 1605.3
        {"a loud response is turned down", 0.5, 1605},
        // E = 1200 * 1e-6: g would be above 1.0 and is held there
        {"a quiet response keeps the full gain", 0.001, 0x8000},
    };
    for (const auto& c : cases) {
        IrSampleBuffer samples{};
        std::fill_n(samples.begin(), ir::kSamples, c.sample);
        // Samples past 1200 do not count.
        std::fill(samples.begin() + ir::kSamples, samples.end(), 0.9);
        const ir::RecordBytes r = ir::BuildRecord(samples, ir::ComputeGain(samples), "x");
        EXPECT_EQ(Word(r, 0), 1) << c.what;
        EXPECT_EQ(Word(r, ir::kGainOffset), c.gainWord) << c.what;
    }
}

TEST(IrRecordBuild, SampleWords) {
    struct Case {
        double sample;
        std::uint16_t word;
    };
    const Case cases[] = {
        {0.0, 0x0000},
        {-1.0, 0x8000}, // an 8-bit byte of 0
        {0.5, 0x4000},
        {32767.9 / 32768.0, 0x7FFF}, // truncated, not rounded
        {-0.00002, 0x0000},          // truncated toward zero
        {1.0, 0x7FFF},               // full scale would wrap to negative
        {255 / 127.0 - 1.0, 0x7FFF}, // an 8-bit byte of 255
        {3.5, 0x7FFF},               // a float sample far above full scale
        {-1.5, 0x8000},
        {std::numeric_limits<double>::quiet_NaN(), 0x0000},
    };
    for (const auto& c : cases) {
        IrSampleBuffer samples{};
        samples[7] = c.sample;
        const ir::RecordBytes r = ir::BuildRecord(samples, 1.0, "x");
        EXPECT_EQ(Word(r, ir::kSamplesOffset + 14), c.word) << c.sample;
    }
}

TEST(IrRecordBuild, NameIsPaddedAndCut) {
    IrSampleBuffer samples{};
    const ir::RecordBytes r = ir::BuildRecord(samples, 1.0, "Cabinet 412");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(r.data() + 4), 32),
              "Cabinet 412" + std::string(21, ' '));
    const ir::RecordBytes longName = ir::BuildRecord(samples, 1.0, std::string(40, 'A'));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(longName.data() + 4), 32), std::string(32, 'A'));
    EXPECT_EQ(longName[36], 0) << "the name is cut at 32 and leaves the samples alone";
    EXPECT_EQ(ir::TrimName(std::string(32, ' ')), " ");
}

TEST(IrRecordBuild, ReadsBackWhatItWrote) {
    IrSampleBuffer samples{};
    for (int i = 0; i < ir::kSamples; ++i)
        samples[i] = (i % 64 - 32) / 32.0;
    IrSampleBuffer back;
    back.fill(0.25);
    double gain = 0.0;
    ir::ReadRecordSamples(ir::BuildRecord(samples, 1.0, "x"), back, gain);
    EXPECT_EQ(gain, 1.0);
    for (int i = 0; i < ir::kSamples; ++i)
        ASSERT_EQ(back[i], samples[i]) << i;
    EXPECT_EQ(back[ir::kSamples], 0.25) << "samples past 1200 are left alone";
}

} // namespace
} // namespace tolvane
