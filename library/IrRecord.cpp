#include "library/IrRecord.h"

#include <cmath>

namespace tolvane {

namespace {

constexpr std::size_t kFormatOffset = 0;
constexpr std::size_t kGainOffset = 2;
constexpr std::size_t kNameOffset = 4;
constexpr std::size_t kSamplesOffset = 36;
constexpr double kWordScale = 1.0 / 32768.0;

void PutWord(std::uint8_t* at, std::uint16_t word) {
    at[0] = static_cast<std::uint8_t>(word & 0xFF);
    at[1] = static_cast<std::uint8_t>(word >> 8);
}

std::uint16_t GetWord(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}

} // namespace

double IrRecord::Gain() const {
    return gainWord * kWordScale;
}

double IrRecord::Sample(std::size_t i) const {
    return samples[i] * kWordScale;
}

std::string IrRecord::Name() const {
    return TrimName(name.data(), name.size());
}

std::uint16_t IrGainWord(double gain) {
    return static_cast<std::uint16_t>(static_cast<std::int32_t>(gain * 32768.0) & 0xFFFF);
}

std::int16_t IrSampleWord(double sample) {
    const double scaled = std::trunc(sample * 32768.0);
    if (scaled >= 32767.0) return 32767;
    if (scaled <= -32768.0) return -32768;
    return static_cast<std::int16_t>(scaled);
}

std::array<char, kIrNameLength> PadIrName(std::string_view name) {
    std::array<char, kIrNameLength> padded;
    padded.fill(' ');
    for (std::size_t i = 0; i < name.size() && i < kIrNameLength; ++i)
        padded[i] = name[i];
    return padded;
}

std::string TrimName(const char* text, std::size_t length) {
    std::size_t end = 0;
    while (end < length && text[end] != '\0')
        ++end;
    while (end > 0 && text[end - 1] == ' ')
        --end;
    return std::string(text, end);
}

std::array<std::uint8_t, kIrRecordSize> EncodeIrRecord(const IrRecord& record) {
    std::array<std::uint8_t, kIrRecordSize> bytes{};
    PutWord(&bytes[kFormatOffset], record.format);
    PutWord(&bytes[kGainOffset], record.gainWord);
    for (std::size_t i = 0; i < kIrNameLength; ++i)
        bytes[kNameOffset + i] = static_cast<std::uint8_t>(record.name[i]);
    for (std::size_t i = 0; i < kIrSampleCount; ++i)
        PutWord(&bytes[kSamplesOffset + 2 * i], static_cast<std::uint16_t>(record.samples[i]));
    return bytes;
}

std::optional<IrRecord> DecodeIrRecord(const std::uint8_t* bytes, std::size_t size) {
    if (size != kIrRecordSize) return std::nullopt;
    IrRecord record;
    record.format = GetWord(&bytes[kFormatOffset]);
    record.gainWord = GetWord(&bytes[kGainOffset]);
    for (std::size_t i = 0; i < kIrNameLength; ++i)
        record.name[i] = static_cast<char>(bytes[kNameOffset + i]);
    for (std::size_t i = 0; i < kIrSampleCount; ++i)
        record.samples[i] = static_cast<std::int16_t>(GetWord(&bytes[kSamplesOffset + 2 * i]));
    return record;
}

} // namespace tolvane
