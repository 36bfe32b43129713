#include "library/PresetCache.h"

#include "library/DataFolder.h"
#include "library/IrRecord.h"
#include "library/LibraryFiles.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

namespace tolvane {

namespace {

constexpr std::size_t kNameOffset = 2;
constexpr std::size_t kNameLength = 32;
constexpr int kSlotsLabelled = 128;

std::filesystem::path PresetsFolder(const std::filesystem::path& dataFolder) {
    return dataFolder / kPresetsFolder;
}

ChecksumPair BlockChecksum(const std::uint8_t* bytes, std::size_t size) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < size; ++i)
        sum += bytes[i];
    return {static_cast<std::uint8_t>((sum >> 7) & 0x7F), static_cast<std::uint8_t>(sum & 0x7F)};
}

// A regular file of one record; any other size counts as missing, so the
// preset is read from the pedal again.
bool IsPresetRecordFile(const std::filesystem::path& path) {
    return FileSize(path) == kPresetRecordBytes;
}

} // namespace

std::filesystem::path PresetFilePath(const std::filesystem::path& dataFolder, int slot) {
    return PresetsFolder(dataFolder) / CacheFileName(slot + 1);
}

bool WritePresetFile(const std::filesystem::path& dataFolder, int slot, const std::uint8_t* record) {
    std::error_code ec;
    std::filesystem::create_directories(PresetsFolder(dataFolder), ec);
    return WriteWholeFile(PresetFilePath(dataFolder, slot), record, kPresetRecordBytes);
}

std::string PresetLabel(int shownNumber, const std::uint8_t* nameChars) {
    char number[16];
    std::snprintf(number, sizeof number, " %02d ", shownNumber);
    std::string label = number;
    if (nameChars) {
        label += PrintableText(nameChars, kNameLength);
    }
    return label;
}

SlotFileLabels LabelPresetsFromSlotFiles(const std::filesystem::path& dataFolder, int patchOffset) {
    const int offset = patchOffset != 0 ? 1 : 0;
    SlotFileLabels result;
    for (int slot = 0; slot < kPresetSlotCount; ++slot) {
        std::array<std::uint8_t, kPresetRecordBytes> record{};
        const auto bytes = ReadExactFile(PresetFilePath(dataFolder, slot), kPresetRecordBytes);
        if (bytes) {
            std::copy(bytes->begin(), bytes->end(), record.begin());
            result.labels[slot] = PresetLabel(slot + offset, &record[kNameOffset]);
        } else {
            result.labels[slot] = PresetLabel(slot + offset, nullptr);
        }
        result.checksums[slot] = BlockChecksum(record.data(), record.size());
    }
    return result;
}

FolderScanLabels LabelPresetsFromFolderScan(const std::filesystem::path& dataFolder, int patchOffset) {
    const int offset = patchOffset != 0 ? 1 : 0;
    FolderScanLabels result;
    const std::filesystem::path folder = PresetsFolder(dataFolder);
    if (!IsPresetRecordFile(folder / CacheFileName(1))) {
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        return result;
    }
    // Listing order is not defined on every file system; name order keeps
    // entry n on the n-th file so the labels come out in slot order.
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (entry.path().extension() != ".dat" || !IsPresetRecordFile(entry.path())) continue;
        files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    result.acceptedFiles = static_cast<int>(files.size());
    for (int n = 0; n < result.acceptedFiles && n < kSlotsLabelled; ++n) {
        std::array<std::uint8_t, kNameOffset + kNameLength> head{};
        if (const auto bytes = ReadExactFile(files[n], kPresetRecordBytes)) {
            std::copy_n(bytes->begin(), head.size(), head.begin());
        }
        result.labels.push_back(PresetLabel(n + offset, &head[kNameOffset]));
    }
    return result;
}

} // namespace tolvane
