#include "library/WavIrFiles.h"

#include "library/DataFolder.h"
#include "library/FactoryIrs.h"
#include "library/IrCache.h"
#include "library/LibraryFiles.h"
#include "library/PresetCache.h"
#include "library/WavFile.h"

#include <algorithm>
#include <system_error>

namespace tolvane {

WavLoad WavIrFiles::ParseWav(const std::string& path, IrSampleBuffer& buffer) {
    const auto size = FileSize(path);
    if (size && *size > kLargestWavFile) return WavLoad::TooLarge;
    return tolvane::ParseWav(std::filesystem::path(path), buffer) ? WavLoad::Ok : WavLoad::Rejected;
}

bool WavIrFiles::ParseFactoryWav(int k, IrSampleBuffer& buffer) {
    if (k < 1 || k > static_cast<int>(kFactoryIrWavNames.size())) return false;
    return tolvane::ParseWav(folder_ / kFactoryIrsFolder / kFactoryIrWavNames[k - 1], buffer);
}

bool WavIrFiles::WriteIrRecord(int irNumber, std::span<const std::uint8_t> bytes) {
    const std::filesystem::path path = IrNumberPath(folder_, irNumber);
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    return WriteWholeFile(path, bytes.data(), bytes.size());
}

bool WavIrFiles::RemoveIrRecord(int irNumber) {
    std::error_code ignored;
    return std::filesystem::remove(IrNumberPath(folder_, irNumber), ignored);
}

std::optional<ir::RecordBytes> WavIrFiles::ReadIrRecord(int irNumber) {
    const auto bytes = ReadExactFile(IrNumberPath(folder_, irNumber), ir::kRecordSize);
    if (!bytes) return std::nullopt;
    ir::RecordBytes record{};
    std::copy(bytes->begin(), bytes->end(), record.begin());
    return record;
}

bool WavIrFiles::IrCached(int irNumber) {
    return IrRecordCached(folder_, irNumber);
}

std::vector<int> WavIrFiles::PresetsUsingUserIr(int slot) {
    std::vector<int> presets;
    for (int preset = 0; preset < kPresetSlotCount; ++preset) {
        const auto record = ReadExactFile(PresetFilePath(folder_, preset), kPresetRecordBytes);
        if (record &&
            PresetPlaysUserIr(
                std::span<const std::uint8_t, kPresetRecordBytes>(record->data(), kPresetRecordBytes), slot))
            presets.push_back(preset);
    }
    return presets;
}

} // namespace tolvane
