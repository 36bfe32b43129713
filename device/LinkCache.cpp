// The local library as the link sees it: preset list labels, the cached
// checksums, and Clear Cache Data.

#include "device/LinkTags.h"
#include "device/Tolvane.h"

namespace tolvane {

void Tolvane::ApplySlotFileLabels(const SlotFileLabels& labels) {
    for (std::size_t slot = 0; slot < localChecksums_.size(); ++slot)
        localChecksums_[slot].Store(labels.checksums[slot]);
    if (!EditorOpen()) return;
    for (int slot = 0; slot < kPresetSlotCount; ++slot)
        SetRowText(slot, labels.labels[slot]);
}

void Tolvane::LabelPresetsFromSlotFiles() {
    ApplySlotFileLabels(library_.LabelPresetsFromSlotFiles(PatchOffset()));
}

void Tolvane::LabelPresetsFromFolderScan() {
    const FolderScanLabels scan = library_.LabelPresetsFromFolderScan(PatchOffset());
    if (EditorOpen()) {
        for (std::size_t n = 0; n < scan.labels.size(); ++n)
            SetRowText(static_cast<int>(n), scan.labels[n]);
    }
    // A full set of cached presets: a bulk load waiting for its turn is called off.
    if (scan.acceptedFiles >= kPresetSlotCount) bulkLoadRunning_.store(false);
}

void Tolvane::ClearCacheData() {
    library_.DeleteCachedFiles();
    LabelPresetsFromFolderScan();
    LabelPresetsFromSlotFiles();
    screen_.AskUser(link::kTextFinished, "", AskButtons::Ok);
}

} // namespace tolvane
