#pragma once
// Reading a WAV file the user imports as an impulse response: the RIFF/WAVE
// container with the chunk rules the editor has always used (a "JUNK" chunk is
// skipped word by word, "data" is found by a 4-byte scan), the five sample
// conversions, and the linear resampling to 44100 Hz.

#include "device/IrUploadFiles.h"
#include "device/IrUploadRecord.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <span>
#include <vector>

namespace tolvane {

// Sample rates the editor reads; anything else is refused as not a WAV file
// it can use (a rate of 1 would ask the resampler for gigabytes).
inline constexpr std::uint32_t kLowestWavRate = 8000;
inline constexpr std::uint32_t kHighestWavRate = 384000;

struct WavAudio {
    int sampleRate = 0;
    // One vector of samples per channel, each converted to -1.0 .. 1.0.
    std::vector<std::vector<double>> channels;
};

// nullopt for anything that is not a readable WAV file: wrong magic, a chunk
// scan that runs off the end, a bit depth other than 8/16/24/32, no channels,
// a zero block align, a rate outside kLowestWavRate..kHighestWavRate, or
// sample data that the file does not hold. At most maxFrames frames are
// converted (the file must still hold all it claims).
std::optional<WavAudio> DecodeWav(std::span<const std::uint8_t> bytes,
                                  std::size_t maxFrames = std::numeric_limits<std::size_t>::max());

// Linear interpolation to 44100 Hz at positions accumulated by repeated
// addition of rate / 44100; the last input sample is held where the
// interpolation would need the one after it. At most maxSamples come out.
std::vector<double> ResampleTo44100(const std::vector<double>& samples, int sampleRate,
                                    std::size_t maxSamples = std::numeric_limits<std::size_t>::max());

// Decodes, resamples, clears the whole buffer and copies in the first channel
// (at most 4096 samples). Returns false and leaves the buffer untouched when
// the file cannot be read or is rejected.
bool ParseWavBytes(std::span<const std::uint8_t> bytes, IrSampleBuffer& buffer);
bool ParseWav(const std::filesystem::path& path, IrSampleBuffer& buffer);

} // namespace tolvane
