#include "library/PresetFile.h"

#include "library/LibraryFiles.h"

#include <algorithm>
#include <cstring>

namespace tolvane {
namespace {

constexpr char kMagic[4] = {'D', 'V', 'L', 'X'};
constexpr std::uint8_t kVersionMajor = 1;
constexpr std::uint8_t kVersionMinor = 0;
constexpr int kNewestVersion = 10;

void PutText(std::vector<std::uint8_t>& bytes, std::size_t offset, const std::string& text) {
    const std::string padded = ir::PadName(text);
    std::copy(padded.begin(), padded.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
}

std::string GetText(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return std::string(reinterpret_cast<const char*>(bytes.data() + offset), ir::kNameLength);
}

} // namespace

std::vector<std::uint8_t> EncodePresetFile(const PresetFileContent& content) {
    std::vector<std::uint8_t> bytes(kPresetFileBlockSize, 0);
    std::copy(std::begin(kMagic), std::end(kMagic), bytes.begin());
    bytes[kPresetFileVersionMajor] = kVersionMajor;
    bytes[kPresetFileVersionMinor] = kVersionMinor;
    PutText(bytes, kPresetFileName, content.name);
    std::copy(content.values.begin(), content.values.end(), bytes.begin() + kPresetFileValuesOffset);
    PutText(bytes, kPresetFileIrName7, content.irName7);
    PutText(bytes, kPresetFileIrName8, content.irName8);
    for (std::size_t i = 0; i < content.records.size() && i < 2; ++i)
        bytes.insert(bytes.end(), content.records[i].begin(), content.records[i].end());
    return bytes;
}

PresetFileRead DecodePresetFile(std::span<const std::uint8_t> bytes, PresetFileContent& content) {
    if (bytes.size() >= kPresetFileReadLimit) return PresetFileRead::TooLarge;
    if (bytes.size() < kPresetFileBlockSize || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        return PresetFileRead::UnknownFormat;
    const int version = static_cast<std::int8_t>(bytes[kPresetFileVersionMajor]) * 10 +
                        static_cast<std::int8_t>(bytes[kPresetFileVersionMinor]);
    if (version > kNewestVersion) return PresetFileRead::UnsupportedVersion;
    const std::size_t recordBytes = bytes.size() - kPresetFileBlockSize;
    // Anything but whole records after the block would be read as a damaged cabinet.
    if (recordBytes % ir::kRecordSize != 0 || recordBytes / ir::kRecordSize > 2)
        return PresetFileRead::UnknownFormat;

    content.name = GetText(bytes, kPresetFileName);
    std::copy_n(bytes.begin() + kPresetFileValuesOffset, content.values.size(), content.values.begin());
    content.irName7 = GetText(bytes, kPresetFileIrName7);
    content.irName8 = GetText(bytes, kPresetFileIrName8);
    content.records.clear();
    for (std::size_t offset = kPresetFileBlockSize; offset < bytes.size(); offset += ir::kRecordSize) {
        ir::RecordBytes record;
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), ir::kRecordSize, record.begin());
        content.records.push_back(record);
    }
    return PresetFileRead::Ok;
}

bool PresetFileStore::Write(const std::string& path, const PresetFileContent& content) {
    const std::vector<std::uint8_t> bytes = EncodePresetFile(content);
    return WriteWholeFile(path, bytes.data(), bytes.size());
}

PresetFileRead PresetFileStore::Read(const std::string& path, PresetFileContent& content) {
    const auto size = FileSize(path);
    if (!size) return PresetFileRead::NotReadable;
    if (*size >= kPresetFileReadLimit) return PresetFileRead::TooLarge;
    // A file that grew since its size was taken reads as the limit and is refused.
    const auto bytes = ReadFileStart(path, kPresetFileReadLimit);
    if (!bytes) return PresetFileRead::NotReadable;
    return DecodePresetFile(*bytes, content);
}

} // namespace tolvane
