#include "library/IrCache.h"

#include "library/DataFolder.h"
#include "library/LibraryFiles.h"

#include <cstdio>
#include <system_error>

namespace tolvane {

namespace {

constexpr std::size_t kNameReadBytes = 64;
constexpr std::size_t kNameOffset = 4;
constexpr int kBankSize = 32;

std::optional<std::string> StoredName(const std::filesystem::path& path) {
    const auto bytes = ReadFileStart(path, kNameReadBytes);
    if (!bytes) return std::nullopt;
    std::array<std::uint8_t, kIrNameLength> name{};
    for (std::size_t i = 0; i < kIrNameLength && kNameOffset + i < bytes->size(); ++i)
        name[i] = (*bytes)[kNameOffset + i];
    const std::string text = PrintableText(name.data(), name.size());
    return TrimName(text.data(), text.size());
}

std::optional<IrRecord> LoadRecord(const std::filesystem::path& path) {
    const auto bytes = ReadExactFile(path, kIrRecordSize);
    if (!bytes) return std::nullopt;
    return DecodeIrRecord(bytes->data(), bytes->size());
}

} // namespace

std::filesystem::path UserIrPath(const std::filesystem::path& dataFolder, int slot) {
    return dataFolder / kUserIrsFolder / CacheFileName(slot + 1);
}

std::filesystem::path FactoryIrPath(const std::filesystem::path& dataFolder, int index) {
    return dataFolder / kFactoryIrsFolder / CacheFileName(index + 1);
}

std::filesystem::path IrNumberPath(const std::filesystem::path& dataFolder, int irNumber) {
    if (irNumber >= kFirstFactoryIrNumber) return FactoryIrPath(dataFolder, irNumber & 127);
    return UserIrPath(dataFolder, irNumber);
}

bool IrRecordCached(const std::filesystem::path& dataFolder, int irNumber) {
    return FileSize(IrNumberPath(dataFolder, irNumber)) == kIrRecordSize;
}

bool UserIrCached(const std::filesystem::path& dataFolder, int slot) {
    return IrRecordCached(dataFolder, slot);
}

bool FactoryIrCached(const std::filesystem::path& dataFolder, int index) {
    return IrRecordCached(dataFolder, kFirstFactoryIrNumber + index);
}

std::string UserIrName(const std::filesystem::path& dataFolder, int slot) {
    if (auto name = StoredName(UserIrPath(dataFolder, slot))) return *name;
    char text[32];
    std::snprintf(text, sizeof text, "Empty Slot %d", slot % kBankSize + 1);
    return text;
}

std::optional<std::string> FactoryIrName(const std::filesystem::path& dataFolder, int index) {
    return StoredName(FactoryIrPath(dataFolder, index));
}

std::vector<CachedIrFile> ListCachedIrs(const std::filesystem::path& dataFolder) {
    std::vector<CachedIrFile> found;
    const struct {
        const char* folder;
        int firstNumber;
        int count;
    } kinds[] = {{kUserIrsFolder, 0, kFirstFactoryIrNumber}, {kFactoryIrsFolder, kFirstFactoryIrNumber, 128}};
    for (const auto& kind : kinds) {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(dataFolder / kind.folder, ec)) {
            const std::string file = entry.path().filename().string();
            // Only the names CacheFileName gives: "%03d.dat" of index + 1.
            if (file.size() < 7 || file.compare(file.size() - 4, 4, ".dat") != 0) continue;
            const std::string digits = file.substr(0, file.size() - 4);
            if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 4) continue;
            const int index = std::stoi(digits) - 1;
            if (index < 0 || index >= kind.count || CacheFileName(index + 1) != file) continue;
            std::error_code typeError;
            if (!entry.is_regular_file(typeError)) continue;
            const auto head = ReadFileStart(entry.path(), kNameOffset + kIrNameLength);
            if (!head) continue;
            CachedIrFile cached;
            cached.irNumber = kind.firstNumber + index;
            std::error_code sizeError;
            cached.size = entry.file_size(sizeError);
            for (std::size_t i = 0; i < kIrNameLength && kNameOffset + i < head->size(); ++i)
                cached.nameBytes[i] = (*head)[kNameOffset + i];
            found.push_back(cached);
        }
    }
    return found;
}

std::optional<IrRecord> LoadUserIrRecord(const std::filesystem::path& dataFolder, int slot) {
    return LoadRecord(UserIrPath(dataFolder, slot));
}

std::optional<IrRecord> LoadFactoryIrRecord(const std::filesystem::path& dataFolder, int index) {
    return LoadRecord(FactoryIrPath(dataFolder, index));
}

bool WriteIrRecord(const std::filesystem::path& dataFolder, int irNumber, const IrRecord& record) {
    const std::filesystem::path path = IrNumberPath(dataFolder, irNumber);
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    const auto bytes = EncodeIrRecord(record);
    return WriteWholeFile(path, bytes.data(), bytes.size());
}

} // namespace tolvane
