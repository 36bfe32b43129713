#pragma once
// The simulator's memory between runs, kept in a folder of simple files:
//   presets.bin      128 preset records of 256 bytes, slot order
//   edit.bin         the current preset number (1 byte), then the edit buffer
//   settings.bin     the global, MIDI CC and program-map blocks, 256 bytes each
//   user-irs.bin     256 impulse-response records of 2436 bytes
//   factory-irs.bin  8 impulse-response records
//   serial.txt       the serial number
//   names.txt        preset and IR names, for a person to read (not loaded)
// Each file is written to a temporary name and renamed, so an interrupted
// save never leaves a half-written file behind.

#include <filesystem>
#include <optional>

#include "sim/model/PedalState.h"

namespace tolvane::sim {

bool SaveState(const PedalState& state, const std::filesystem::path& folder);
// nullopt when a file is missing or has the wrong size.
std::optional<PedalState> LoadState(const std::filesystem::path& folder);

} // namespace tolvane::sim
