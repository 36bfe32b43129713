// WAV import: the container rules, the sample conversions and the resampling
// to 44100 Hz, on files built byte by byte here.

#include "library/WavFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace tolvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& b, const char* tag) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>(tag[i]));
}
void Put32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void Put16(Bytes& b, std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

struct WavShape {
    int bits = 16;
    int rate = 44100;
    int channels = 1;
    int format = 1;
    Bytes data;                    // interleaved sample bytes
    Bytes beforeFmt;               // words between "WAVE" and "fmt "
    int extraFmtBytes = 0;         // format chunk larger than 16 bytes
    Bytes beforeData;              // bytes between the format chunk and "data"
    std::int64_t claimedData = -1; // data size field; -1 = the real size
    bool writeFmt = true;
    bool writeData = true;
};

Bytes MakeWav(const WavShape& s) {
    Bytes b;
    Put(b, "RIFF");
    Put32(b, 0); // the RIFF size is skipped by the reader
    Put(b, "WAVE");
    b.insert(b.end(), s.beforeFmt.begin(), s.beforeFmt.end());
    if (s.writeFmt) {
        Put(b, "fmt ");
        Put32(b, 16 + s.extraFmtBytes);
        Put16(b, static_cast<std::uint16_t>(s.format));
        Put16(b, static_cast<std::uint16_t>(s.channels));
        Put32(b, static_cast<std::uint32_t>(s.rate));
        Put32(b, static_cast<std::uint32_t>(s.rate * s.channels * s.bits / 8));
        Put16(b, static_cast<std::uint16_t>(s.channels * s.bits / 8));
        Put16(b, static_cast<std::uint16_t>(s.bits));
        b.insert(b.end(), s.extraFmtBytes, 0xEE);
    }
    b.insert(b.end(), s.beforeData.begin(), s.beforeData.end());
    if (s.writeData) {
        Put(b, "data");
        Put32(b, static_cast<std::uint32_t>(s.claimedData < 0 ? s.data.size() : s.claimedData));
        b.insert(b.end(), s.data.begin(), s.data.end());
    }
    return b;
}

Bytes Samples16(const std::vector<int>& values) {
    Bytes b;
    for (int v : values)
        Put16(b, static_cast<std::uint16_t>(v));
    return b;
}

Bytes Samples24(const std::vector<std::uint32_t>& values) {
    Bytes b;
    for (auto v : values)
        for (int i = 0; i < 3; ++i)
            b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return b;
}

IrSampleBuffer Filled(double v) {
    IrSampleBuffer buffer;
    buffer.fill(v);
    return buffer;
}

TEST(WavImport, SixteenBitFileFillsTheBufferAndClearsTheRest) {
    WavShape s;
    std::vector<int> values(2000);
    for (int i = 0; i < 2000; ++i)
        values[i] = (i % 200) * 100 - 10000;
    s.data = Samples16(values);
    IrSampleBuffer buffer = Filled(0.25);
    ASSERT_TRUE(ParseWavBytes(MakeWav(s), buffer));
    for (int i : {0, 1199, 1200, 1999})
        EXPECT_DOUBLE_EQ(buffer[i], values[i] / 32768.0) << i;
    EXPECT_EQ(buffer[2000], 0.0);
    EXPECT_EQ(buffer[4095], 0.0);
}

TEST(WavImport, TwentyFourBit48kHzResamplesTo5142Samples) {
    WavShape s;
    s.bits = 24;
    s.rate = 48000;
    std::vector<std::uint32_t> ramp(5597);
    for (std::uint32_t i = 0; i < ramp.size(); ++i)
        ramp[i] = i * 1000;
    s.data = Samples24(ramp);
    const auto audio = DecodeWav(MakeWav(s));
    ASSERT_TRUE(audio);
    const auto out = ResampleTo44100(audio->channels[0], audio->sampleRate);
    ASSERT_EQ(out.size(), 5142u);
    // A ramp interpolates exactly: sample j lies at t = j * 48000 / 44100.
    for (std::size_t j : {0u, 1u, 777u, 5141u})
        EXPECT_NEAR(out[j], j * (48000.0 / 44100.0) * 1000.0 / 8388607.49999, 1e-9) << j;
}

TEST(WavImport, UpsamplingHoldsTheLastInputSample) {
    WavShape s;
    s.rate = 22050;
    s.data = Samples16({0, 8192, 16384, 24576});
    IrSampleBuffer buffer = Filled(9.0);
    ASSERT_TRUE(ParseWavBytes(MakeWav(s), buffer));
    const double expected[] = {0.0, 0.125, 0.25, 0.375, 0.5, 0.625, 0.75, 0.75, 0.0};
    for (int j = 0; j < 9; ++j)
        EXPECT_DOUBLE_EQ(buffer[j], expected[j]) << j;
}

struct ConversionCase {
    const char* what;
    int bits;
    int format;
    Bytes sample;
    double expected;
};

TEST(WavImport, ConvertsEachBitDepth) {
    float half = -0.5f;
    Bytes floatBytes(4);
    std::memcpy(floatBytes.data(), &half, 4);
    const ConversionCase cases[] = {
        {"8-bit 127 is silence", 8, 1, {127}, 0.0},
        {"8-bit 0 is -1.0", 8, 1, {0}, -1.0},
        {"8-bit 255 is above full scale", 8, 1, {255}, 255 / 127.0 - 1.0},
        {"16-bit most negative", 16, 1, {0x00, 0x80}, -1.0},
        {"16-bit most positive", 16, 1, {0xFF, 0x7F}, 32767 / 32768.0},
        {"24-bit most positive", 24, 1, {0xFF, 0xFF, 0x7F}, 8388607 / 8388607.49999},
        {"24-bit top bit folds to negative", 24, 1, {0x00, 0x00, 0x80}, 8388608 / 8388607.49999 - 2.0},
        {"24-bit all ones is just below zero", 24, 1, {0xFF, 0xFF, 0xFF}, 16777215 / 8388607.49999 - 2.0},
        {"32-bit integer most negative", 32, 1, {0x00, 0x00, 0x00, 0x80}, -2147483648.0 / 2147483647.49999},
        {"32-bit float", 32, 3, floatBytes, -0.5},
    };
    for (const auto& c : cases) {
        WavShape s;
        s.bits = c.bits;
        s.format = c.format;
        s.data = c.sample;
        const auto audio = DecodeWav(MakeWav(s));
        ASSERT_TRUE(audio) << c.what;
        ASSERT_EQ(audio->channels[0].size(), 1u) << c.what;
        EXPECT_DOUBLE_EQ(audio->channels[0][0], c.expected) << c.what;
    }
}

TEST(WavImport, KeepsOnlyTheFirstChannel) {
    WavShape s;
    s.channels = 2;
    s.data = Samples16({1000, -1000, 2000, -2000});
    IrSampleBuffer buffer{};
    ASSERT_TRUE(ParseWavBytes(MakeWav(s), buffer));
    EXPECT_DOUBLE_EQ(buffer[0], 1000 / 32768.0);
    EXPECT_DOUBLE_EQ(buffer[1], 2000 / 32768.0);
    EXPECT_EQ(buffer[2], 0.0);
}

struct ContainerCase {
    const char* what;
    WavShape shape;
    bool accepted;
};

std::vector<ContainerCase> ContainerCases() {
    const Bytes oneSample = Samples16({4096});
    std::vector<ContainerCase> cases;
    auto add = [&](const char* what, bool accepted, auto change) {
        WavShape s;
        s.data = oneSample;
        change(s);
        cases.push_back({what, s, accepted});
    };
    add("plain file", true, [](WavShape&) {});
    add("JUNK chunk, then fmt on a 4-byte boundary", true, [](WavShape& s) {
        Put(s.beforeFmt, "JUNK");
        Put32(s.beforeFmt, 8);
        s.beforeFmt.insert(s.beforeFmt.end(), 8, 0);
    });
    add("LIST chunk before fmt", false, [](WavShape& s) {
        Put(s.beforeFmt, "LIST");
        Put32(s.beforeFmt, 4);
        Put(s.beforeFmt, "INFO");
    });
    add("JUNK but no fmt before the end", false, [](WavShape& s) {
        Put(s.beforeFmt, "JUNK");
        Put32(s.beforeFmt, 0);
        s.writeFmt = false;
        s.writeData = false;
    });
    add("format chunk with extra bytes", true, [](WavShape& s) { s.extraFmtBytes = 4; });
    add("fact chunk before data is scanned over", true, [](WavShape& s) {
        Put(s.beforeData, "fact");
        Put32(s.beforeData, 4);
        Put32(s.beforeData, 1);
    });
    add("no data chunk", false, [](WavShape& s) { s.writeData = false; });
    add("data size beyond the end of the file", false, [](WavShape& s) { s.claimedData = 2000; });
    add("12 bits per sample", false, [](WavShape& s) { s.bits = 12; });
    add("no channels", false, [](WavShape& s) { s.channels = 0; });
    add("zero sample rate", false, [](WavShape& s) { s.rate = 0; });
    add("sample rate 1", false, [](WavShape& s) { s.rate = 1; });
    add("sample rate 7999", false, [](WavShape& s) { s.rate = 7999; });
    add("sample rate 8000", true, [](WavShape& s) { s.rate = 8000; });
    add("sample rate 384001", false, [](WavShape& s) { s.rate = 384001; });
    return cases;
}

TEST(WavImport, ContainerRules) {
    for (const auto& c : ContainerCases()) {
        const Bytes file = MakeWav(c.shape);
        IrSampleBuffer buffer = Filled(0.5);
        EXPECT_EQ(ParseWavBytes(file, buffer), c.accepted) << c.what;
        if (c.accepted)
            EXPECT_DOUBLE_EQ(buffer[0], 4096 / 32768.0) << c.what;
        else
            EXPECT_EQ(buffer, Filled(0.5)) << c.what << ": a rejected file must leave the buffer alone";
    }
}

TEST(WavImport, EveryCutOfAFileIsRejectedWithoutReadingPastIt) {
    WavShape s;
    Put(s.beforeFmt, "JUNK");
    Put32(s.beforeFmt, 4);
    s.beforeFmt.insert(s.beforeFmt.end(), 4, 0);
    s.data = Samples16({1, 2, 3});
    const Bytes whole = MakeWav(s);
    for (std::size_t n = 0; n < whole.size(); ++n) {
        // An exactly sized copy, so that a read past the end is a heap overrun.
        const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_FALSE(DecodeWav(cut)) << "cut at " << n;
    }
    EXPECT_TRUE(DecodeWav(whole));
}

// The resampler bounds its own work: a low rate asks for many output samples
// per input sample, but no more than the caller keeps are made.
TEST(WavImport, ResamplingMakesNoMoreThanAskedFor) {
    const std::vector<double> input(100000, 0.25);
    const auto out = ResampleTo44100(input, 1, 4096);
    EXPECT_EQ(out.size(), 4096u);
    EXPECT_DOUBLE_EQ(out[4095], 0.25);
    EXPECT_EQ(ResampleTo44100(input, 44100, 10).size(), 10u);
    // Unbounded: floor(frames / ratio).
    EXPECT_EQ(ResampleTo44100(input, 48000).size(),
              static_cast<std::size_t>(std::floor(100000 / (48000 / 44100.0))));
}

// A long file at the highest rate fills the buffer as the whole file would.
TEST(WavImport, ALongFileFillsTheBufferFromItsStart) {
    WavShape s;
    s.rate = 384000;
    std::vector<int> ramp(60000);
    for (std::size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = static_cast<int>(i % 30000);
    s.data = Samples16(ramp);
    IrSampleBuffer buffer{};
    ASSERT_TRUE(ParseWavBytes(MakeWav(s), buffer));
    const double e = 384000.0 / 44100.0;
    double t = 0.0;
    for (std::size_t j = 0; j < 4095; ++j)
        t += e;
    const double i = std::floor(t);
    const double expected = (std::fmod(i, 30000.0) + (t - i)) / 32768.0;
    EXPECT_NEAR(buffer[4095], expected, 1e-9);
}

TEST(WavImport, ReadsFromDiskAndRefusesAMissingFile) {
    WavShape s;
    s.data = Samples16({16384});
    const auto path =
        std::filesystem::temp_directory_path() / ("tolvane_wav_" + std::to_string(::getpid()) + ".wav");
    {
        const Bytes b = MakeWav(s);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), b.size());
    }
    IrSampleBuffer buffer = Filled(0.1);
    EXPECT_TRUE(ParseWav(path, buffer));
    EXPECT_DOUBLE_EQ(buffer[0], 0.5);
    std::filesystem::remove(path);
    EXPECT_FALSE(ParseWav(path, buffer));
    EXPECT_DOUBLE_EQ(buffer[0], 0.5);
}

} // namespace
} // namespace tolvane
