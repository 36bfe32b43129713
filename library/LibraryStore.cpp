#include "library/LibraryStore.h"

#include "library/DataFolder.h"
#include "library/IrCache.h"
#include "library/LibraryFiles.h"
#include "library/PresetCache.h"

#include <system_error>
#include <vector>

namespace tolvane {

void DeleteCachedFiles(const std::filesystem::path& dataFolder) {
    for (const char* name : {kPresetsFolder, kUserIrsFolder, kFactoryIrsFolder}) {
        std::vector<std::filesystem::path> doomed;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(dataFolder / name, ec)) {
            std::error_code typeError;
            if (!entry.is_directory(typeError) && entry.path().extension() == ".dat")
                doomed.push_back(entry.path());
        }
        for (const auto& path : doomed)
            std::filesystem::remove(path, ec);
    }
}

bool LibraryStore::WritePresetFile(int slot, const std::uint8_t* record) {
    return tolvane::WritePresetFile(folder_, slot, record);
}

SlotFileLabels LibraryStore::LabelPresetsFromSlotFiles(int patchOffset) {
    return tolvane::LabelPresetsFromSlotFiles(folder_, patchOffset);
}

FolderScanLabels LibraryStore::LabelPresetsFromFolderScan(int patchOffset) {
    return tolvane::LabelPresetsFromFolderScan(folder_, patchOffset);
}

void LibraryStore::DeleteCachedFiles() {
    tolvane::DeleteCachedFiles(folder_);
}

bool LibraryStore::IrCached(int irNumber) {
    return IrRecordCached(folder_, irNumber);
}

std::string LibraryStore::UserIrName(int slot) {
    return tolvane::UserIrName(folder_, slot);
}

std::vector<CachedIrFile> LibraryStore::ListCachedIrs() {
    return tolvane::ListCachedIrs(folder_);
}

} // namespace tolvane
