#pragma once
// The 2436-byte impulse-response record kept in the "Factory IRs" and
// "User IRs" cache folders: format word, gain word, a 32-character name and
// 1200 samples, all words 16-bit little-endian. The bytes are the device
// link's record (device/IrUploadRecord.h); this adds what the library reads
// from it.

#include "device/IrUploadRecord.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

inline constexpr std::size_t kIrRecordSize = ir::kRecordSize;
inline constexpr std::size_t kIrSampleCount = ir::kSamples;
inline constexpr std::size_t kIrNameLength = ir::kNameLength;

struct IrRecord : ir::RecordFields {
    double Gain() const;
    double Sample(std::size_t i) const;
    std::string Name() const; // trailing blanks removed
};

// Low 16 bits of the integer part of gain x 32768 (gain is at most 1.0).
inline std::uint16_t IrGainWord(double gain) {
    return ir::GainWord(gain);
}
// A sample x 32768, kept inside the 16-bit range so that 1.0 stays positive.
inline std::int16_t IrSampleWord(double sample) {
    return ir::SampleWord(sample);
}
// Name cut to 32 characters and padded with blanks.
std::array<char, kIrNameLength> PadIrName(std::string_view name);

// The 32 characters at text, cut at the first NUL, trailing blanks removed.
std::string TrimName(const char* text, std::size_t length);
// The characters at text up to the first NUL, keeping only printable ones: a
// cache file may hold any bytes, and they must not reach a label as they are.
std::string PrintableText(const std::uint8_t* text, std::size_t length);

std::array<std::uint8_t, kIrRecordSize> EncodeIrRecord(const IrRecord& record);
// Only a buffer of exactly 2436 bytes is a record.
std::optional<IrRecord> DecodeIrRecord(const std::uint8_t* bytes, std::size_t size);

} // namespace tolvane
