#pragma once
// The "Presets" cache folder: one 256-byte preset record per slot in
// "%03d.dat" (slot + 1), the browser labels built from it and the block
// checksums the synchronisation compares with the pedal's.

#include "device/LinkLibrary.h"

#include <cstdint>
#include <filesystem>

namespace tolvane {

std::filesystem::path PresetFilePath(const std::filesystem::path& dataFolder, int slot);
// Creates the "Presets" folder when missing and replaces the slot's file.
bool WritePresetFile(const std::filesystem::path& dataFolder, int slot, const std::uint8_t* record);

// " %02d " with the number shown, then the printable ones of the 32 name
// characters as stored (trailing blanks kept; a NUL ends the name early).
std::string PresetLabel(int shownNumber, const std::uint8_t* nameChars);

// Reads the 128 slot files in slot order; a missing file, or one that is not
// exactly 256 bytes, gives the bare number and the checksum of 256 zero bytes.
SlotFileLabels LabelPresetsFromSlotFiles(const std::filesystem::path& dataFolder, int patchOffset);

// Lists the 256-byte ".dat" files of the "Presets" folder (exact,
// case-sensitive extension) and labels the first 128 in name order. When
// "001.dat" is missing the folder is created and nothing is labelled.
FolderScanLabels LabelPresetsFromFolderScan(const std::filesystem::path& dataFolder, int patchOffset);

} // namespace tolvane
