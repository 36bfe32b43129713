#pragma once
// The impulse-response record the pedal stores and the editor caches: what an
// upload builds from IrSampleBuffer, and what a download or the display reads
// back. Layout (little-endian 16-bit words): format word, gain word, 32-byte
// name, 1200 samples. This is the one encoder of the record; the library's
// cache files use it too.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tolvane {

// The impulse response being imported or shown.
inline constexpr int kIrSampleBufferSize = 4096;
using IrSampleBuffer = std::array<double, kIrSampleBufferSize>;

namespace ir {

inline constexpr int kSamples = 1200;
inline constexpr int kTargetRate = 44100;
inline constexpr int kNameLength = 32;
inline constexpr std::size_t kRecordSize = 2436;
inline constexpr std::size_t kPackedSize = 2785;
inline constexpr std::size_t kGainOffset = 2;
inline constexpr std::size_t kNameOffset = 4;
inline constexpr std::size_t kSamplesOffset = 36;
// IR numbers from here on are the pedal's factory cabinets (384 + k).
inline constexpr int kFirstFactoryNumber = 384;
inline constexpr std::uint16_t kFormatWord = 1;

using RecordBytes = std::array<std::uint8_t, kRecordSize>;

// The record's fields as stored: the words as written and the 32 name bytes.
struct RecordFields {
    std::uint16_t format = kFormatWord;
    // gain x 32768; 1.0 is 0x8000, so the word is unsigned.
    std::uint16_t gainWord = 0;
    std::array<char, kNameLength> name{};
    std::array<std::int16_t, kSamples> samples{};
};

RecordBytes EncodeFields(const RecordFields& fields);
RecordFields DecodeFields(const RecordBytes& record);

// Low 16 bits of the integer part of gain x 32768 (a gain of 1.0 gives 0x8000).
std::uint16_t GainWord(double gain);

// 1.2 / (sqrt(E) * sqrt(2)) over the first 1200 samples, at most 1.0 (also for
// silence, and for energies that are not finite numbers).
double ComputeGain(const IrSampleBuffer& samples);

// A sample as the record's 16-bit word: truncated toward zero after scaling by
// 32768; full scale and above is held at 32767, -1.0 and below at -32768, and
// a value that is not a number is stored as 0.
std::int16_t SampleWord(double sample);

// name is taken from the left, space-padded or cut to 32 characters.
RecordBytes BuildRecord(const IrSampleBuffer& samples, double gain, const std::string& name);

// Fills samples 0..1199 and the gain from a record; the rest of the buffer is left as it was.
void ReadRecordSamples(const RecordBytes& record, IrSampleBuffer& samples, double& gain);

// Cuts a name at 32 characters and removes trailing blanks, examining
// positions 31 down to 1 (a first character is always kept).
std::string TrimName(const std::string& name);

// 32 spaces overwritten from the left with text, cut at 32.
std::string PadName(const std::string& text);

} // namespace ir
} // namespace tolvane
