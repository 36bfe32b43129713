#include "fuzz/MemoryFiles.h"

#include "library/PresetFile.h"
#include "library/WavFile.h"

#include <cstdio>

namespace tolvane::fuzz {

bool MemoryLibrary::WritePresetFile(int slot, const std::uint8_t* record) {
    if (slot < 0 || slot >= kPresetSlotCount) return false;
    auto& r = presets[static_cast<std::size_t>(slot)].emplace();
    std::copy(record, record + kPresetRecordBytes, r.begin());
    return true;
}

SlotFileLabels MemoryLibrary::LabelPresetsFromSlotFiles(int patchOffset) {
    SlotFileLabels out;
    for (int i = 0; i < kPresetSlotCount; ++i) {
        char number[16];
        std::snprintf(number, sizeof number, " %02d ", i + patchOffset);
        out.labels[static_cast<std::size_t>(i)] = number;
        unsigned sum = 0;
        if (const auto& r = presets[static_cast<std::size_t>(i)]) {
            out.labels[static_cast<std::size_t>(i)].append(r->begin() + 2, r->begin() + 34);
            for (auto b : *r)
                sum += b;
        }
        out.checksums[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>((sum >> 7) & 0x7F),
                                                      static_cast<std::uint8_t>(sum & 0x7F)};
    }
    return out;
}

FolderScanLabels MemoryLibrary::LabelPresetsFromFolderScan(int patchOffset) {
    FolderScanLabels out;
    const SlotFileLabels all = LabelPresetsFromSlotFiles(patchOffset);
    for (int i = 0; i < kPresetSlotCount; ++i)
        if (presets[static_cast<std::size_t>(i)]) {
            out.labels.push_back(all.labels[static_cast<std::size_t>(i)]);
            ++out.acceptedFiles;
        }
    return out;
}

WavLoad MemoryIrFiles::ParseWav(const std::string& path, IrSampleBuffer& buffer) {
    const auto it = wavs.find(path);
    if (it == wavs.end()) return WavLoad::Rejected;
    if (it->second.size() > kLargestWavFile) return WavLoad::TooLarge;
    return ParseWavBytes(it->second, buffer) ? WavLoad::Ok : WavLoad::Rejected;
}

bool MemoryIrFiles::WriteIrRecord(int irNumber, std::span<const std::uint8_t> bytes) {
    records[irNumber] = Bytes(bytes.begin(), bytes.end());
    return true;
}

std::optional<ir::RecordBytes> MemoryIrFiles::ReadIrRecord(int irNumber) {
    const auto it = records.find(irNumber);
    if (it == records.end() || it->second.size() != ir::kRecordSize) return std::nullopt;
    ir::RecordBytes r{};
    std::copy(it->second.begin(), it->second.end(), r.begin());
    return r;
}

bool MemoryPresetFiles::Write(const std::string& path, const PresetFileContent& content) {
    files[path] = EncodePresetFile(content);
    return true;
}

PresetFileRead MemoryPresetFiles::Read(const std::string& path, PresetFileContent& content) {
    const auto it = files.find(path);
    if (it == files.end() || it->second.size() >= kPresetFileReadLimit) return PresetFileRead::NotReadable;
    return DecodePresetFile(it->second, content);
}

} // namespace tolvane::fuzz
