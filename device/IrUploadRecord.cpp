#include "device/IrUploadRecord.h"

#include <algorithm>
#include <cmath>

namespace tolvane::ir {
namespace {

constexpr double kGainNumerator = 1.2;
constexpr double kFullScale = 32768.0;

constexpr std::size_t kFormatOffset = 0;

void PutWord(RecordBytes& record, std::size_t offset, std::uint16_t word) {
    record[offset] = static_cast<std::uint8_t>(word & 0xFF);
    record[offset + 1] = static_cast<std::uint8_t>(word >> 8);
}

std::uint16_t GetWord(const RecordBytes& record, std::size_t offset) {
    return static_cast<std::uint16_t>(record[offset] | (record[offset + 1] << 8));
}

} // namespace

RecordBytes EncodeFields(const RecordFields& fields) {
    RecordBytes record{};
    PutWord(record, kFormatOffset, fields.format);
    PutWord(record, kGainOffset, fields.gainWord);
    for (int i = 0; i < kNameLength; ++i)
        record[kNameOffset + i] = static_cast<std::uint8_t>(fields.name[i]);
    for (int i = 0; i < kSamples; ++i)
        PutWord(record, kSamplesOffset + 2 * i, static_cast<std::uint16_t>(fields.samples[i]));
    return record;
}

RecordFields DecodeFields(const RecordBytes& record) {
    RecordFields fields;
    fields.format = GetWord(record, kFormatOffset);
    fields.gainWord = GetWord(record, kGainOffset);
    for (int i = 0; i < kNameLength; ++i)
        fields.name[i] = static_cast<char>(record[kNameOffset + i]);
    for (int i = 0; i < kSamples; ++i)
        fields.samples[i] = static_cast<std::int16_t>(GetWord(record, kSamplesOffset + 2 * i));
    return fields;
}

std::uint16_t GainWord(double gain) {
    // A gain of exactly 1.0 gives 32768, whose low 16 bits are 0x8000.
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(std::trunc(gain * kFullScale)) & 0xFFFF);
}

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
    RecordFields fields;
    fields.gainWord = GainWord(gain);
    const std::string padded = PadName(name);
    std::copy_n(padded.begin(), kNameLength, fields.name.begin());
    for (int i = 0; i < kSamples; ++i)
        fields.samples[i] = SampleWord(samples[i]);
    return EncodeFields(fields);
}

void ReadRecordSamples(const RecordBytes& record, IrSampleBuffer& samples, double& gain) {
    const RecordFields fields = DecodeFields(record);
    gain = fields.gainWord / kFullScale;
    for (int i = 0; i < kSamples; ++i)
        samples[i] = fields.samples[i] / kFullScale;
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
