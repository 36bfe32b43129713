// The local library as the link sees it: preset list labels, the cached
// checksums, the outcome of the cache writes the clock handed over, and
// Clear Cache Data.

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

void Tolvane::CacheWritten(const CacheWriteResult& result) {
    switch (result.kind) {
    case CacheWrite::LoadedPreset:
        if (result.written) {
            localChecksums_[static_cast<std::size_t>(result.number)].Store(result.checksum);
            return;
        }
        // Told once the load is over, by its end or, when the write failed
        // after that, here.
        presetCacheFailed_.store(true);
        if (!bulkLoadRunning_.load() && presetCacheFailed_.exchange(false))
            SetPendingMessage(link::kTextPresetsNotCached);
        return;
    case CacheWrite::SavedPreset:
        if (result.written)
            localChecksums_[static_cast<std::size_t>(result.number)].Store(result.checksum);
        else
            SetPendingMessage(link::kTextPresetsNotCached);
        return;
    case CacheWrite::IrRecord:
        if (!result.written && wiring_) wiring_->Download().RecordNotKept();
        return;
    case CacheWrite::IrRemoved:
        return;
    }
}

void Tolvane::LabelPresetsFromSlotFiles() {
    cache_.Drain();
    ApplySlotFileLabels(library_.LabelPresetsFromSlotFiles(PatchOffset()));
}

void Tolvane::LabelPresetsFromFolderScan() {
    cache_.Drain();
    const FolderScanLabels scan = library_.LabelPresetsFromFolderScan(PatchOffset());
    if (EditorOpen()) {
        for (std::size_t n = 0; n < scan.labels.size(); ++n)
            SetRowText(static_cast<int>(n), scan.labels[n]);
    }
    // A full set of cached presets: a bulk load waiting for its turn is called off.
    if (scan.acceptedFiles >= kPresetSlotCount) bulkLoadRunning_.store(false);
}

void Tolvane::ClearCacheData() {
    cache_.DeleteCachedFiles();
    LabelPresetsFromFolderScan();
    LabelPresetsFromSlotFiles();
    screen_.AskUser(link::kTextFinished, "", AskButtons::Ok);
}

} // namespace tolvane
