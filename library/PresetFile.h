#pragma once
// The preset file (extension "dvp"): magic "DVLX", version 1.0, a 262-byte
// block with the preset's name, its 65 values and the names of its user IRs,
// then up to two 2436-byte IR records: 262, 2698 or 5134 bytes in all.

#include "device/PresetFileTransferStore.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tolvane {

inline constexpr std::size_t kPresetFileBlockSize = 262;
inline constexpr std::size_t kPresetFileOneRecordSize = 2698;
inline constexpr std::size_t kPresetFileTwoRecordsSize = 5134;
// Files of this size or larger are not preset files and are not read.
inline constexpr std::size_t kPresetFileReadLimit = 8192;

// Offsets inside the block.
inline constexpr std::size_t kPresetFileVersionMajor = 4;
inline constexpr std::size_t kPresetFileVersionMinor = 5;
inline constexpr std::size_t kPresetFileName = 6;
inline constexpr std::size_t kPresetFileValuesOffset = 38;
inline constexpr std::size_t kPresetFileIrName7 = 198;
inline constexpr std::size_t kPresetFileIrName8 = 230;

std::vector<std::uint8_t> EncodePresetFile(const PresetFileContent& content);

// The checks of a load in their order: a file shorter than the block has no
// block (it fails the magic); version byte 4 * 10 + byte 5, bytes signed, must
// not exceed 10; and the whole must be the block plus zero, one or two records.
PresetFileRead DecodePresetFile(std::span<const std::uint8_t> bytes, PresetFileContent& content);

// Reads and writes preset files on disk.
class PresetFileStore final : public IPresetFileStore {
public:
    bool Write(const std::string& path, const PresetFileContent& content) override;
    PresetFileRead Read(const std::string& path, PresetFileContent& content) override;
};

} // namespace tolvane
