#pragma once
// In-memory stand-ins for the library behind the link's interfaces, so that a
// fuzz input builds and drops a whole link without touching the disk.

#include "device/IrUploadFiles.h"
#include "device/LinkLibrary.h"
#include "device/PresetFileTransferStore.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tolvane::fuzz {

using Bytes = std::vector<std::uint8_t>;

// The preset cache: 128 optional records.
class MemoryLibrary final : public ILinkLibrary {
public:
    std::array<std::optional<std::array<std::uint8_t, kPresetRecordBytes>>, kPresetSlotCount> presets;

    bool WritePresetFile(int slot, const std::uint8_t* record) override;
    SlotFileLabels LabelPresetsFromSlotFiles(int patchOffset) override;
    FolderScanLabels LabelPresetsFromFolderScan(int patchOffset) override;
    void DeleteCachedFiles() override { presets = {}; }
    bool IrCached(int) override { return false; }
    std::string UserIrName(int slot) override { return "Empty Slot " + std::to_string(slot % 32 + 1); }
    std::vector<CachedIrFile> ListCachedIrs() override { return {}; }
};

// WAV files by path and the IR cache by number.
class MemoryIrFiles final : public IIrFiles {
public:
    std::map<std::string, Bytes> wavs;
    std::map<int, Bytes> records;

    WavLoad ParseWav(const std::string& path, IrSampleBuffer& buffer) override;
    bool ParseFactoryWav(int, IrSampleBuffer&) override { return false; }
    bool WriteIrRecord(int irNumber, std::span<const std::uint8_t> bytes) override;
    bool RemoveIrRecord(int irNumber) override { return records.erase(irNumber) != 0; }
    std::optional<ir::RecordBytes> ReadIrRecord(int irNumber) override;
    bool IrCached(int irNumber) override { return records.count(irNumber) != 0; }
    std::vector<int> PresetsUsingUserIr(int) override { return {}; } // no preset cache here
};

// Preset files by path, encoded and decoded as on disk.
class MemoryPresetFiles final : public IPresetFileStore {
public:
    std::map<std::string, Bytes> files;

    bool Write(const std::string& path, const PresetFileContent& content) override;
    PresetFileRead Read(const std::string& path, PresetFileContent& content) override;
};

} // namespace tolvane::fuzz
