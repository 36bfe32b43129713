#pragma once
// The per-user folder that holds everything the program keeps on disk:
// settings.ini, the preset and impulse-response caches, the extracted factory
// WAV files and the manual.

#include <filesystem>
#include <string>

namespace tolvane {

// $XDG_DATA_HOME/Tolvane, else ~/.local/share/Tolvane (on Windows
// %LOCALAPPDATA%\Tolvane). Created when missing; a folder that cannot be
// created is still returned, and later file operations simply fail.
std::filesystem::path DataFolder();

// The cache folders inside the data folder.
inline constexpr const char* kPresetsFolder = "Presets";
inline constexpr const char* kFactoryIrsFolder = "Factory IRs";
inline constexpr const char* kUserIrsFolder = "User IRs";

// "%03d.dat" for the file number (slot + 1 for presets and user IRs).
std::string CacheFileName(int fileNumber);

} // namespace tolvane
