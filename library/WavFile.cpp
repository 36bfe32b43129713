#include "library/WavFile.h"

#include "library/LibraryFiles.h"

#include <algorithm>
#include <cmath>
#include <cstring>

// Sections: 1. byte reader  2. container  3. sample conversion  4. resampling  5. into IrSampleBuffer

namespace tolvane {
namespace {

// ---- 1. byte reader: every read is checked against the end of the file ----
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool Has(std::size_t n) const { return n <= bytes_.size() - pos_; }
    std::size_t Remaining() const { return bytes_.size() - pos_; }

    bool Skip(std::size_t n) {
        if (!Has(n)) return false;
        pos_ += n;
        return true;
    }
    bool Tag(const char* tag) {
        if (!Has(4)) return false;
        const bool same = std::memcmp(bytes_.data() + pos_, tag, 4) == 0;
        pos_ += 4;
        return same;
    }
    std::optional<std::uint32_t> U32() {
        if (!Has(4)) return std::nullopt;
        const std::uint8_t* p = bytes_.data() + pos_;
        pos_ += 4;
        return static_cast<std::uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16)) |
               (static_cast<std::uint32_t>(p[3]) << 24);
    }
    std::optional<std::uint16_t> U16() {
        if (!Has(2)) return std::nullopt;
        const std::uint8_t* p = bytes_.data() + pos_;
        pos_ += 2;
        return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    }
    const std::uint8_t* Here() const { return bytes_.data() + pos_; }

    // Reads 4-byte words until one equals tag; false when the file ends first.
    bool ScanFor(const char* tag) {
        while (Has(4))
            if (Tag(tag)) return true;
        return false;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

// ---- 3. sample conversion ----
constexpr int kFormatIntegerPcm = 1;

double ConvertSample(const std::uint8_t* p, int bits, int audioFormat) {
    switch (bits) {
    case 8:
        return p[0] / 127.0 - 1.0;
    case 16:
        return static_cast<std::int16_t>(p[0] | (p[1] << 8)) * (1.0 / 32768.0);
    case 24: {
        const std::uint32_t u = p[0] | (p[1] << 8) | (p[2] << 16);
        const double x = u / 8388607.49999;
        return x > 1.0 ? x - 2.0 : x;
    }
    default: {
        const std::uint32_t u = static_cast<std::uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16)) |
                                (static_cast<std::uint32_t>(p[3]) << 24);
        if (audioFormat == kFormatIntegerPcm) return static_cast<std::int32_t>(u) / 2147483647.49999;
        float f;
        std::memcpy(&f, &u, sizeof f);
        return f;
    }
    }
}

bool SupportedBits(int bits) {
    return bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

} // namespace

// ---- 2. container ----
std::optional<WavAudio> DecodeWav(std::span<const std::uint8_t> bytes, std::size_t maxFrames) {
    ByteReader in(bytes);
    if (!in.Tag("RIFF") || !in.Skip(4) || !in.Tag("WAVE")) return std::nullopt;
    if (!in.Has(4)) return std::nullopt;
    if (!in.Tag("fmt ")) {
        // The word just read must have been "JUNK"; look again at it.
        if (std::memcmp(in.Here() - 4, "JUNK", 4) != 0 || !in.ScanFor("fmt ")) return std::nullopt;
    }

    const auto chunkSize = in.U32();
    const auto audioFormat = in.U16();
    const auto channels = in.U16();
    const auto sampleRate = in.U32();
    const auto byteRate = in.U32();
    const auto blockAlign = in.U16();
    const auto bits = in.U16();
    if (!chunkSize || !audioFormat || !channels || !sampleRate || !byteRate || !blockAlign || !bits)
        return std::nullopt;
    if (*chunkSize > 16 && !in.Skip(*chunkSize - 16)) return std::nullopt;

    const int channelCount = static_cast<std::int16_t>(*channels);
    const int align = static_cast<std::int16_t>(*blockAlign);
    const int bitsPerSample = static_cast<std::int16_t>(*bits);
    if (channelCount < 1 || align < 1 || *sampleRate < kLowestWavRate || *sampleRate > kHighestWavRate ||
        !SupportedBits(bitsPerSample))
        return std::nullopt;

    if (!in.ScanFor("data")) return std::nullopt;
    const auto dataSize = in.U32();
    if (!dataSize) return std::nullopt;

    const std::size_t frames = *dataSize / static_cast<std::size_t>(align);
    const std::size_t bytesPerSample = static_cast<std::size_t>(bitsPerSample) / 8;
    // A file that claims more samples than it holds is truncated: reject it.
    if (frames > in.Remaining() / (bytesPerSample * channelCount)) return std::nullopt;

    WavAudio audio;
    audio.sampleRate = static_cast<int>(*sampleRate);
    const std::size_t converted = std::min(frames, maxFrames);
    audio.channels.assign(channelCount, std::vector<double>(converted));
    const std::uint8_t* p = in.Here();
    for (std::size_t f = 0; f < converted; ++f)
        for (int c = 0; c < channelCount; ++c, p += bytesPerSample)
            audio.channels[c][f] = ConvertSample(p, bitsPerSample, *audioFormat);
    return audio;
}

// ---- 4. resampling ----
std::vector<double> ResampleTo44100(const std::vector<double>& samples, int sampleRate, std::size_t maxSamples) {
    if (sampleRate <= 0 || samples.empty()) return {};
    const double ratio = sampleRate / static_cast<double>(ir::kTargetRate);
    if (ratio == 1.0)
        return std::vector<double>(samples.begin(),
                                   samples.begin() + static_cast<std::ptrdiff_t>(std::min(samples.size(), maxSamples)));
    // The output length is bounded before anything is allocated: a low rate
    // cannot ask for more than the caller keeps.
    const double wanted = std::floor(samples.size() / ratio);
    const auto n = static_cast<std::size_t>(std::min(wanted, static_cast<double>(maxSamples)));
    std::vector<double> out(n);
    const std::size_t last = samples.size() - 1;
    double t = 0.0;
    for (std::size_t j = 0; j < n; ++j, t += ratio) {
        const auto i = static_cast<std::size_t>(std::floor(t));
        if (i >= last) {
            out[j] = samples[last];
            continue;
        }
        out[j] = samples[i] + (samples[i + 1] - samples[i]) * (t - static_cast<double>(i));
    }
    return out;
}

// ---- 5. into IrSampleBuffer ----
bool ParseWavBytes(std::span<const std::uint8_t> bytes, IrSampleBuffer& buffer) {
    // The buffer's samples, at the highest rate read, need no more input
    // frames than this (plus the one the interpolation reads after the last).
    constexpr std::size_t kFramesNeeded =
        static_cast<std::size_t>(std::tuple_size_v<IrSampleBuffer> * (double(kHighestWavRate) / ir::kTargetRate)) + 2;
    const auto audio = DecodeWav(bytes, kFramesNeeded);
    if (!audio) return false;
    const std::vector<double> resampled =
        ResampleTo44100(audio->channels.front(), audio->sampleRate, buffer.size());
    buffer.fill(0.0);
    std::copy_n(resampled.begin(), std::min<std::size_t>(resampled.size(), buffer.size()), buffer.begin());
    return true;
}

bool ParseWav(const std::filesystem::path& path, IrSampleBuffer& buffer) {
    const auto bytes = ReadWholeFile(path, kLargestWavFile);
    return bytes && ParseWavBytes(*bytes, buffer);
}

} // namespace tolvane
