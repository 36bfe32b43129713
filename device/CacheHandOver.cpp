#include "device/CacheHandOver.h"

#include "core/RealtimeScope.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tolvane {

namespace {

constexpr int kSlotsPerBank = 32;

} // namespace

CacheHandOver::CacheHandOver(ILinkLibrary& library) : library_(library) {
    Reload();
}

int CacheHandOver::MirrorIndex(int irNumber) {
    if (irNumber < 0) return -1;
    if (irNumber >= ir::kFirstFactoryNumber) return ir::kFirstFactoryNumber + (irNumber & 127);
    return irNumber;
}

CacheHandOver::IrEntry CacheHandOver::EntryFor(std::span<const std::uint8_t> bytes) {
    IrEntry entry;
    entry.cached = true;
    entry.size = bytes.size();
    for (std::size_t i = 0; i < entry.name.size() && ir::kNameOffset + i < bytes.size(); ++i)
        entry.name[i] = static_cast<char>(bytes[ir::kNameOffset + i]);
    return entry;
}

// ---- The mirror ------------------------------------------------------------------------

void CacheHandOver::Reload() {
    Drain();
    std::array<IrEntry, kMirroredIrNumbers> fresh{};
    for (const CachedIrFile& file : library_.ListCachedIrs()) {
        const int index = MirrorIndex(file.irNumber);
        if (index < 0 || index >= kMirroredIrNumbers) continue;
        IrEntry& entry = fresh[static_cast<std::size_t>(index)];
        entry.cached = true;
        entry.size = file.size;
        std::copy(file.nameBytes.begin(), file.nameBytes.end(), entry.name.begin());
    }
    for (std::size_t i = 0; i < fresh.size(); ++i)
        mirror_[i].Store(fresh[i]);
}

bool CacheHandOver::IrCached(int irNumber) {
    const int index = MirrorIndex(irNumber);
    return index >= 0 && index < kMirroredIrNumbers && mirror_[static_cast<std::size_t>(index)].Load().cached;
}

NameText CacheHandOver::UserIrName(int slot) const {
    NameText name{};
    const int index = MirrorIndex(slot);
    const IrEntry entry = index >= 0 && index < kMirroredIrNumbers
                              ? mirror_[static_cast<std::size_t>(index)].Load()
                              : IrEntry{};
    if (!entry.cached) {
        char text[kNameTextChars + 1];
        std::snprintf(text, sizeof text, "Empty Slot %d", slot % kSlotsPerBank + 1);
        return ToNameText(text);
    }
    // As the library trims a stored name: up to a NUL, trailing blanks removed.
    std::size_t end = strnlen(entry.name.data(), entry.name.size());
    while (end > 0 && entry.name[end - 1] == ' ')
        --end;
    std::copy_n(entry.name.begin(), end, name.begin());
    return name;
}

bool CacheHandOver::RecordName(int irNumber, NameText& name) const {
    const int index = MirrorIndex(irNumber);
    if (index < 0 || index >= kMirroredIrNumbers) return false;
    const IrEntry entry = mirror_[static_cast<std::size_t>(index)].Load();
    if (!entry.cached || entry.size != ir::kRecordSize) return false;
    name = entry.name;
    return true;
}

// ---- Writes ---------------------------------------------------------------------------------

void CacheHandOver::Report(CacheWriteResult result) {
    if (sink_) sink_(result);
}

bool CacheHandOver::WritePreset(CacheWrite kind, int slot, const std::uint8_t* record,
                                ChecksumPair checksum) {
    if (!RealtimeScope::Active()) {
        Drain();
        PresetJob job;
        job.kind = kind;
        job.slot = slot;
        job.checksum = checksum;
        std::copy_n(record, kPresetRecordBytes, job.record.begin());
        WritePresetNow(job);
        return true;
    }
    PresetJob job;
    job.order = nextOrder_;
    job.kind = kind;
    job.slot = slot;
    job.checksum = checksum;
    std::copy_n(record, kPresetRecordBytes, job.record.begin());
    if (!presets_.Push(job)) return false;
    ++nextOrder_;
    return true;
}

bool CacheHandOver::WriteIrRecord(int irNumber, std::span<const std::uint8_t> bytes) {
    const int index = MirrorIndex(irNumber);
    if (index < 0 || index >= kMirroredIrNumbers || !disk_) return false;
    Snapshot<IrEntry>& mirrored = mirror_[static_cast<std::size_t>(index)];
    if (!RealtimeScope::Active()) {
        Drain();
        const bool written = disk_->WriteIrRecord(irNumber, bytes);
        if (written) mirrored.Store(EntryFor(bytes));
        return written;
    }
    if (bytes.size() > kLargestQueuedIr) return false;
    // Built in place: an IR job is too large for the clock thread's stack.
    IrJob& job = *heldIrForClock_;
    job.order = nextOrder_;
    job.remove = false;
    job.number = irNumber;
    job.size = static_cast<std::uint32_t>(bytes.size());
    job.before = mirrored.Load();
    std::copy(bytes.begin(), bytes.end(), job.bytes.begin());
    if (!irs_.Push(job)) return false;
    ++nextOrder_;
    mirrored.Store(EntryFor(bytes));
    return true;
}

bool CacheHandOver::RemoveIrRecord(int irNumber) {
    const int index = MirrorIndex(irNumber);
    if (index < 0 || index >= kMirroredIrNumbers || !disk_) return false;
    Snapshot<IrEntry>& mirrored = mirror_[static_cast<std::size_t>(index)];
    if (!RealtimeScope::Active()) {
        Drain();
        const bool removed = disk_->RemoveIrRecord(irNumber);
        if (!disk_->IrCached(irNumber)) mirrored.Store(IrEntry{});
        return removed;
    }
    IrJob& job = *heldIrForClock_;
    job.order = nextOrder_;
    job.remove = true;
    job.number = irNumber;
    job.size = 0;
    job.before = mirrored.Load();
    if (!irs_.Push(job)) return false;
    ++nextOrder_;
    mirrored.Store(IrEntry{});
    return true;
}

void CacheHandOver::WritePresetNow(const PresetJob& job) {
    CacheWriteResult result;
    result.kind = job.kind;
    result.number = job.slot;
    result.checksum = job.checksum;
    result.written = library_.WritePresetFile(job.slot, job.record.data());
    Report(result);
}

void CacheHandOver::WriteIrNow(const IrJob& job) {
    CacheWriteResult result;
    result.kind = job.remove ? CacheWrite::IrRemoved : CacheWrite::IrRecord;
    result.number = job.number;
    if (job.remove)
        result.written = disk_ && disk_->RemoveIrRecord(job.number);
    else
        result.written = disk_ && disk_->WriteIrRecord(job.number, std::span(job.bytes.data(), job.size));
    if (!result.written) {
        // The mirror said what the clock expected; the disk keeps what it had.
        const int index = MirrorIndex(job.number);
        if (disk_ && index >= 0 && index < kMirroredIrNumbers) {
            IrEntry kept = job.before;
            if (job.remove && !disk_->IrCached(job.number)) kept = IrEntry{};
            mirror_[static_cast<std::size_t>(index)].Store(kept);
        }
    }
    Report(result);
}

void CacheHandOver::Drain() {
    for (;;) {
        if (!holdingPreset_) holdingPreset_ = presets_.Pop(heldPreset_);
        if (!holdingIr_) holdingIr_ = irs_.Pop(*heldIr_);
        if (!holdingPreset_ && !holdingIr_) break;
        if (holdingPreset_ && (!holdingIr_ || heldPreset_.order < heldIr_->order)) {
            holdingPreset_ = false;
            WritePresetNow(heldPreset_);
        } else {
            holdingIr_ = false;
            WriteIrNow(*heldIr_);
        }
    }
}

bool CacheHandOver::Empty() const {
    return presets_.Empty() && irs_.Empty() && !holdingPreset_ && !holdingIr_;
}

void CacheHandOver::DeleteCachedFiles() {
    Drain();
    library_.DeleteCachedFiles();
    Reload();
}

// ---- The rest of IIrFiles ------------------------------------------------------------------

WavLoad CacheHandOver::ParseWav(const std::string& path, IrSampleBuffer& buffer) {
    return disk_ ? disk_->ParseWav(path, buffer) : WavLoad::Rejected;
}

bool CacheHandOver::ParseFactoryWav(int k, IrSampleBuffer& buffer) {
    return disk_ && disk_->ParseFactoryWav(k, buffer);
}

std::optional<ir::RecordBytes> CacheHandOver::ReadIrRecord(int irNumber) {
    if (!disk_) return std::nullopt;
    Drain();
    return disk_->ReadIrRecord(irNumber);
}

std::vector<int> CacheHandOver::PresetsUsingUserIr(int slot) {
    if (!disk_) return {};
    Drain(); // the presets the clock handed over count too
    return disk_->PresetsUsingUserIr(slot);
}

} // namespace tolvane
