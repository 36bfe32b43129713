#pragma once
// The eight factory cabinet WAV files the program carries, copied into the
// "Factory IRs" folder on first use.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tolvane {

inline constexpr std::array<const char*, 8> kFactoryIrWavNames = {
    "01-Velumo.wav",    "02-Blond 2x12.wav", "03-Tweed 4x10.wav", "04-Cali 1x12.wav",
    "05-Cali 4x12.wav", "06-Blue 2x12.wav",  "07-Brit 2x12.wav",  "08-Boutique 4x12.wav",
};

// Gives the bytes of a factory WAV by its file name; the program reads them
// from its compiled-in resources. An empty result means "not available".
using ResourceProvider = std::function<std::vector<std::uint8_t>(const std::string& fileName)>;

// When "01-Velumo.wav" can be opened nothing happens (the other seven are not
// looked at); otherwise the folder is created and all eight files are written.
void ExtractFactoryIrs(const std::filesystem::path& dataFolder, const ResourceProvider& provider);

} // namespace tolvane
