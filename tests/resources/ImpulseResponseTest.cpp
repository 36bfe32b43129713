#include "resources/Resources.h"

#include <QFile>
#include <cmath>
#include <complex>
#include <gtest/gtest.h>
#include <numbers>
#include <set>
#include <vector>

namespace tolvane {
namespace {

// The factory impulse responses: file name, sample rate, bits per sample and
// the exact frame count where one is required (0: any from 1700 to 6500).
struct WavFormat {
    const char* name;
    int rate;
    int bits;
    int frames;
};
const WavFormat kWavs[] = {
    {"01-Velumo.wav", 44100, 16, 0},       {"02-Blond 2x12.wav", 44100, 16, 0},
    {"03-Tweed 4x10.wav", 44100, 16, 0},   {"04-Cali 1x12.wav", 44100, 16, 0},
    {"05-Cali 4x12.wav", 44100, 16, 0},    {"06-Blue 2x12.wav", 44100, 16, 0},
    {"07-Brit 2x12.wav", 48000, 24, 5597}, {"08-Boutique 4x12.wav", 44100, 24, 0},
};

uint32_t Le(const QByteArray& b, int at, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= static_cast<uint32_t>(static_cast<uint8_t>(b[at + i])) << (8 * i);
    return v;
}

struct Wav {
    int format = 0, channels = 0, rate = 0, byteRate = 0, align = 0, bits = 0;
    std::vector<double> samples;
};

// Reads a canonical file: "RIFF" size "WAVE", a 16-byte "fmt " chunk, then
// "data" (and its pad byte when odd). Fails the test on any other layout.
Wav ParseCanonical(const QByteArray& b) {
    Wav w;
    EXPECT_GE(b.size(), 44);
    if (b.size() < 44) return w;
    EXPECT_EQ(b.mid(0, 4), "RIFF");
    EXPECT_EQ(Le(b, 4, 4), static_cast<uint32_t>(b.size() - 8));
    EXPECT_EQ(b.mid(8, 4), "WAVE");
    EXPECT_EQ(b.mid(12, 4), "fmt ");
    EXPECT_EQ(Le(b, 16, 4), 16u);
    w.format = static_cast<int>(Le(b, 20, 2));
    w.channels = static_cast<int>(Le(b, 22, 2));
    w.rate = static_cast<int>(Le(b, 24, 4));
    w.byteRate = static_cast<int>(Le(b, 28, 4));
    w.align = static_cast<int>(Le(b, 32, 2));
    w.bits = static_cast<int>(Le(b, 34, 2));
    EXPECT_EQ(b.mid(36, 4), "data");
    const int dataSize = static_cast<int>(Le(b, 40, 4));
    EXPECT_EQ(b.size(), 44 + dataSize + (dataSize & 1));
    const int bytes = w.bits / 8;
    if (bytes < 2 || 44 + dataSize > b.size()) return w;
    const double fullScale = std::ldexp(1.0, w.bits - 1);
    for (int at = 44; at + bytes <= 44 + dataSize; at += bytes) {
        const uint32_t raw = Le(b, at, bytes) << (32 - w.bits); // sign-extend via the top bit
        w.samples.push_back(static_cast<int32_t>(raw) / std::ldexp(1.0, 32 - w.bits) / fullScale);
    }
    return w;
}

// Magnitude of the response at one frequency, from a direct DFT.
double Magnitude(const std::vector<double>& x, double rate, double hz) {
    std::complex<double> acc;
    for (size_t k = 0; k < x.size(); ++k)
        acc += x[k] * std::polar(1.0, -2.0 * std::numbers::pi * hz * static_cast<double>(k) / rate);
    return std::abs(acc);
}

// Mean magnitude of the response over a band.
double BandLevelDb(const std::vector<double>& x, double rate, double lowHz, double highHz) {
    double sum = 0;
    int n = 0;
    for (double f = lowHz; f <= highHz; f *= 1.12, ++n)
        sum += Magnitude(x, rate, f);
    return 20.0 * std::log10(sum / n);
}

// The loudest point of the response between 20 Hz and 20 kHz (2 % steps).
double PeakLevelDb(const std::vector<double>& x, double rate) {
    double peak = 0;
    for (double f = 20; f <= 20000; f *= 1.02)
        peak = std::max(peak, Magnitude(x, rate, f));
    return 20.0 * std::log10(peak);
}

QByteArray ReadResource(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(FactoryIrs, NamesMatchTheResourceList) {
    ASSERT_EQ(std::size(kWavs), res::FactoryIrFileNames().size());
    for (size_t i = 0; i < std::size(kWavs); ++i)
        EXPECT_STREQ(res::FactoryIrFileNames()[i], kWavs[i].name);
    EXPECT_TRUE(res::FactoryIrPath(-1).isEmpty());
    EXPECT_TRUE(res::FactoryIrPath(8).isEmpty());
}

TEST(FactoryIrs, EachIsCanonicalMonoPcmInItsFormat) {
    for (int i = 0; i < static_cast<int>(std::size(kWavs)); ++i) {
        const WavFormat& want = kWavs[i];
        SCOPED_TRACE(want.name);
        const QByteArray bytes = ReadResource(res::FactoryIrPath(i));
        ASSERT_FALSE(bytes.isEmpty());
        const Wav w = ParseCanonical(bytes);
        EXPECT_EQ(w.format, 1);
        EXPECT_EQ(w.channels, 1);
        EXPECT_EQ(w.rate, want.rate);
        EXPECT_EQ(w.bits, want.bits);
        EXPECT_EQ(w.align, want.bits / 8);
        EXPECT_EQ(w.byteRate, want.rate * want.bits / 8);
        const int frames = static_cast<int>(w.samples.size());
        if (want.frames) {
            EXPECT_EQ(frames, want.frames);
        }
        EXPECT_GE(frames, 1700);
        EXPECT_LE(frames, 6500);
    }
}

// A cabinet passes the guitar's mids and rolls off the sub-bass and the fizz
// above ~5 kHz; it must not clip, must not ring louder than the response graph
// can show, and must end in silence. The eight must differ.
TEST(FactoryIrs, EachSoundsLikeADistinctCabinet) {
    std::set<QByteArray> distinct;
    for (int i = 0; i < static_cast<int>(std::size(kWavs)); ++i) {
        SCOPED_TRACE(kWavs[i].name);
        const QByteArray bytes = ReadResource(res::FactoryIrPath(i));
        const Wav w = ParseCanonical(bytes);
        ASSERT_FALSE(w.samples.empty());
        distinct.insert(bytes.mid(44));

        double peak = 0;
        for (double s : w.samples)
            peak = std::max(peak, std::abs(s));
        EXPECT_GT(peak, 0.5);
        EXPECT_LT(peak, 0.999);
        for (size_t k = w.samples.size() - 16; k < w.samples.size(); ++k)
            EXPECT_LT(std::abs(w.samples[k]), 0.002);

        const double mids = BandLevelDb(w.samples, w.rate, 200, 3000);
        EXPECT_GT(mids - BandLevelDb(w.samples, w.rate, 10000, 16000), 15.0);
        EXPECT_GT(mids - BandLevelDb(w.samples, w.rate, 20, 40), 10.0);
        // Scaled to its peak sample, a miked cabinet's response tops out well
        // under +30 dB (the top of the response graph); a long ringing
        // resonance would push it past the graph and cut off the curve.
        EXPECT_LT(PeakLevelDb(w.samples, w.rate), 24.0);
    }
    EXPECT_EQ(distinct.size(), std::size(kWavs));
}

} // namespace
} // namespace tolvane
