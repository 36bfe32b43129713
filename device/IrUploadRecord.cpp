#include "device/IrUploadRecord.h"

#include <algorithm>
#include <cmath>

namespace tolvane::ir {
namespace {

constexpr double kGainNumerator = 1.2;
constexpr double kFullScale = 32768.0;

void PutWord(RecordBytes& record, std::size_t offset, std::uint16_t word) {
    record[offset] = static_cast<std::uint8_t>(word & 0xFF);
    record[offset + 1] = static_cast<std::uint8_t>(word >> 8);
}

std::int16_t GetWord(const RecordBytes& record, std::size_t offset) {
    return static_cast<std::int16_t>(record[offset] | (record[offset + 1] << 8));
}

} // namespace

double ComputeGain(const IrSampleBuffer& samples) {
    double energy = 0.0;
    for (int i = 0; i < kSamples; ++i)
        energy += samples[i] * samples[i];
    const double gain = 1.0 / (std::sqrt(energy) * std::sqrt(2.0)) * kGainNumerator;
    // Written so that a NaN gain falls to 1.0 as well.
    return gain <= 1.0 ? gain : 1.0;
}

std::int16_t SampleWord(double sample) {
    if (std::isnan(sample)) return 0;
    if (sample >= 1.0) return 32767;
    if (sample <= -1.0) return -32768;
    return static_cast<std::int16_t>(std::trunc(sample * kFullScale));
}

RecordBytes BuildRecord(const IrSampleBuffer& samples, double gain, const std::string& name) {
    RecordBytes record{};
    PutWord(record, 0, 1);
    // A gain of exactly 1.0 gives 32768, whose low 16 bits are 0x8000.
    const auto gainWord = static_cast<std::uint32_t>(std::trunc(gain * kFullScale));
    PutWord(record, kGainOffset, static_cast<std::uint16_t>(gainWord & 0xFFFF));
    const std::string padded = PadName(name);
    for (int i = 0; i < kNameLength; ++i)
        record[kNameOffset + i] = static_cast<std::uint8_t>(padded[i]);
    for (int i = 0; i < kSamples; ++i)
        PutWord(record, kSamplesOffset + 2 * i, static_cast<std::uint16_t>(SampleWord(samples[i])));
    return record;
}

void ReadRecordSamples(const RecordBytes& record, IrSampleBuffer& samples, double& gain) {
    // The gain is never negative and 1.0 is stored as 0x8000, so its word is read unsigned.
    gain = static_cast<std::uint16_t>(GetWord(record, kGainOffset)) / kFullScale;
    for (int i = 0; i < kSamples; ++i)
        samples[i] = GetWord(record, kSamplesOffset + 2 * i) / kFullScale;
}

std::string TrimName(const std::string& name) {
    std::string text = name.substr(0, kNameLength);
    std::size_t end = text.size();
    while (end > 1 && text[end - 1] == ' ')
        --end;
    text.resize(end);
    return text;
}

std::string PadName(const std::string& text) {
    std::string padded(kNameLength, ' ');
    padded.replace(0, std::min<std::size_t>(text.size(), kNameLength), text.substr(0, kNameLength));
    return padded;
}

} // namespace tolvane::ir
