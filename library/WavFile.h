#pragma once
// Reading a WAV file the user imports as an impulse response: the RIFF/WAVE
// container with the chunk rules the editor has always used (a "JUNK" chunk is
// skipped word by word, "data" is found by a 4-byte scan), the five sample
// conversions, and the linear resampling to 44100 Hz.

#include "device/IrUploadRecord.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace tolvane {

struct WavAudio {
    int sampleRate = 0;
    // One vector of samples per channel, each converted to -1.0 .. 1.0.
    std::vector<std::vector<double>> channels;
};

// nullopt for anything that is not a readable WAV file: wrong magic, a chunk
// scan that runs off the end, a bit depth other than 8/16/24/32, no channels,
// a zero rate or block align, or sample data that the file does not hold.
std::optional<WavAudio> DecodeWav(std::span<const std::uint8_t> bytes);

// Linear interpolation to 44100 Hz at positions accumulated by repeated
// addition of rate / 44100; the last input sample is held where the
// interpolation would need the one after it.
std::vector<double> ResampleTo44100(const std::vector<double>& samples, int sampleRate);

// Decodes, resamples, clears the whole buffer and copies in the first channel
// (at most 4096 samples). Returns false and leaves the buffer untouched when
// the file cannot be read or is rejected.
bool ParseWavBytes(std::span<const std::uint8_t> bytes, IrSampleBuffer& buffer);
bool ParseWav(const std::filesystem::path& path, IrSampleBuffer& buffer);

} // namespace tolvane
