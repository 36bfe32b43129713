#pragma once
// Canonical RIFF/WAVE writer for mono integer PCM: "RIFF", "WAVE", a
// 16-byte "fmt " chunk, then "data" (padded to an even size as RIFF asks).

#include <cstdint>
#include <string>
#include <vector>

namespace tolvane {

std::vector<uint8_t> EncodeMonoWav(const std::vector<double>& samples, int sampleRate, int bitsPerSample);

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

} // namespace tolvane
