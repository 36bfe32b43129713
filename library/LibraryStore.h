#pragma once
// The device link's view of the local library (ILinkLibrary) over one data
// folder, plus the deletion step of Clear Cache Data.

#include "device/LinkLibrary.h"

#include <filesystem>

namespace tolvane {

// In "Presets", "User IRs" and "Factory IRs", in that order, deletes every
// file whose last extension is exactly ".dat"; WAV files and others stay.
void DeleteCachedFiles(const std::filesystem::path& dataFolder);

class LibraryStore final : public ILinkLibrary {
public:
    explicit LibraryStore(std::filesystem::path dataFolder) : folder_(std::move(dataFolder)) {}

    const std::filesystem::path& Folder() const { return folder_; }

    bool WritePresetFile(int slot, const std::uint8_t* record) override;
    SlotFileLabels LabelPresetsFromSlotFiles(int patchOffset) override;
    FolderScanLabels LabelPresetsFromFolderScan(int patchOffset) override;
    void DeleteCachedFiles() override;
    bool IrCached(int irNumber) override;
    std::string UserIrName(int slot) override;
    std::vector<CachedIrFile> ListCachedIrs() override;

private:
    std::filesystem::path folder_;
};

} // namespace tolvane
