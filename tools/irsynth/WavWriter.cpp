#include "tools/irsynth/WavWriter.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace tolvane {

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kChannels = 1;
constexpr uint32_t kFmtChunkSize = 16;

void PutLe(std::vector<uint8_t>& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutTag(std::vector<uint8_t>& out, const char* tag) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(tag[i]));
}

} // namespace

std::vector<uint8_t> EncodeMonoWav(const std::vector<double>& samples, int sampleRate, int bitsPerSample) {
    const uint32_t bytesPerSample = static_cast<uint32_t>(bitsPerSample / 8);
    const uint32_t dataSize = static_cast<uint32_t>(samples.size()) * bytesPerSample;
    const uint32_t pad = dataSize & 1u;
    const double fullScale = std::ldexp(1.0, bitsPerSample - 1);

    std::vector<uint8_t> out;
    out.reserve(44 + dataSize + pad);
    PutTag(out, "RIFF");
    PutLe(out, 4 + (8 + kFmtChunkSize) + (8 + dataSize + pad), 4);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    PutLe(out, kFmtChunkSize, 4);
    PutLe(out, kFormatPcm, 2);
    PutLe(out, kChannels, 2);
    PutLe(out, static_cast<uint32_t>(sampleRate), 4);
    PutLe(out, static_cast<uint32_t>(sampleRate) * bytesPerSample * kChannels, 4);
    PutLe(out, bytesPerSample * kChannels, 2);
    PutLe(out, static_cast<uint32_t>(bitsPerSample), 2);
    PutTag(out, "data");
    PutLe(out, dataSize, 4);
    for (double s : samples) {
        const double scaled = std::round(std::clamp(s, -1.0, 1.0) * fullScale);
        const auto v = static_cast<int32_t>(std::clamp(scaled, -fullScale, fullScale - 1.0));
        PutLe(out, static_cast<uint32_t>(v), static_cast<int>(bytesPerSample));
    }
    if (pad) out.push_back(0);
    return out;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(f);
}

} // namespace tolvane
