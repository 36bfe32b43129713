#include "library/IrRecord.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(IrRecord, EncodesHeaderLittleEndianAndDecodesBack) {
    IrRecord record;
    record.gainWord = IrGainWord(1.0);
    record.name = PadIrName("CAB");
    record.samples[0] = IrSampleWord(0.5);
    record.samples[1199] = IrSampleWord(-1.0);

    const auto bytes = EncodeIrRecord(record);
    ASSERT_EQ(bytes.size(), 2436u);
    EXPECT_EQ(bytes[0], 0x01); // format word 1, low byte first
    EXPECT_EQ(bytes[1], 0x00);
    EXPECT_EQ(bytes[2], 0x00); // gain 1.0 -> 0x8000, low byte first
    EXPECT_EQ(bytes[3], 0x80);
    EXPECT_EQ(bytes[4], 'C'); // name at offset 4, blank-padded
    EXPECT_EQ(bytes[7], ' ');
    EXPECT_EQ(bytes[35], ' ');
    EXPECT_EQ(bytes[36], 0x00); // sample 0: 0.5 -> 0x4000
    EXPECT_EQ(bytes[37], 0x40);
    EXPECT_EQ(bytes[2434], 0x00); // last sample: -1.0 -> 0x8000
    EXPECT_EQ(bytes[2435], 0x80);

    const auto back = DecodeIrRecord(bytes.data(), bytes.size());
    ASSERT_TRUE(back);
    // A full gain reads back as 1.0, not as -1.0.
    EXPECT_DOUBLE_EQ(back->Gain(), 1.0);
    EXPECT_DOUBLE_EQ(back->Sample(0), 0.5);
    EXPECT_DOUBLE_EQ(back->Sample(1199), -1.0);
    EXPECT_EQ(back->Name(), "CAB");
}

TEST(IrRecord, OnlyExactSizeDecodes) {
    std::vector<std::uint8_t> bytes(2437, 0);
    EXPECT_FALSE(DecodeIrRecord(bytes.data(), 2435));
    EXPECT_FALSE(DecodeIrRecord(bytes.data(), 2437));
    EXPECT_TRUE(DecodeIrRecord(bytes.data(), 2436));
}

TEST(IrRecord, SampleWordsStayInsideTheSixteenBitRange) {
    struct Case {
        double sample;
        int word;
    };
    for (const Case c : {Case{1.0, 32767}, Case{1.5, 32767}, Case{-1.0, -32768}, Case{-2.0, -32768},
                         Case{0.25, 8192}, Case{-0.00002, 0}}) {
        EXPECT_EQ(IrSampleWord(c.sample), c.word) << c.sample;
    }
}

TEST(IrRecord, NamesLoseTrailingBlanksAndStopAtNul) {
    EXPECT_EQ(TrimName("MY CAB   ", 9), "MY CAB");
    EXPECT_EQ(TrimName("AB\0CD", 5), "AB");
    EXPECT_EQ(TrimName("        ", 8), "");
    EXPECT_EQ(PadIrName(std::string(40, 'x'))[31], 'x'); // cut at 32
}

} // namespace
} // namespace tolvane
