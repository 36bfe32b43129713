#pragma once
// The link's way to the cache folders (presets, user and factory impulse
// responses) from the clock thread, which must not touch the disk: what the
// receive entry asks of the cache is answered from an in-memory mirror, and
// what it writes there is copied into a fixed queue and written by the
// user-interface thread, in the order raised.
//
//   Mirror    Which IR numbers have a cache file, its size and its 32 name
//             bytes. Read from the library when made and by Reload (user-
//             interface thread), then kept current by every write and removal
//             made through this object, on the clock at the moment it is
//             queued (so the clock's next question already sees it), and put
//             back when the queued write fails.
//   Writes    On the clock (RealtimeScope::Active) a preset record or an IR
//             record goes into one of two single-producer rings (nothing is
//             allocated) with a running number, and Drain writes them in that
//             number's order. Anywhere else the pending ones are written
//             first, then this one at once. A full ring refuses the write:
//             the call answers false, as a write that failed at once would.
//   Readers   Every read of the cache made through this object off the clock
//             (ReadIrRecord, and the link's folder scans, which call Drain
//             first) sees every write raised before it.
//
// It is also the transfers' IIrFiles: the WAV calls go straight to the files
// underneath; the cache calls go through the mirror and the queue.
//
// Threads: the clock thread queues and reads the mirror; everything else,
// Drain and the result sink included, runs on the user-interface thread.

#include "core/RingBuffer.h"
#include "core/Snapshot.h"
#include "device/IrUploadFiles.h"
#include "device/LinkLibrary.h"
#include "device/NameText.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

namespace tolvane {

// User IR slots 0..383 and the factory cache files 384 + (n & 127).
inline constexpr int kMirroredIrNumbers = 384 + 128;
// The longest IR record a download keeps (IrDownload::kReceiveCapacity).
inline constexpr std::size_t kLargestQueuedIr = 4096;

enum class CacheWrite : std::uint8_t {
    LoadedPreset, // a dump of the bulk load
    SavedPreset,  // the dump that answers a save to slot
    IrRecord,
    IrRemoved,
};

// What became of one write, told on the user-interface thread. number is the
// slot or the IR number.
struct CacheWriteResult {
    CacheWrite kind = CacheWrite::LoadedPreset;
    int number = 0;
    bool written = false;
    ChecksumPair checksum{}; // the block checksum that came with a preset
};

class CacheHandOver final : public IIrFiles {
public:
    // Preset writes the rings hold: a bulk load's worth; IR records: a few.
    static constexpr std::size_t kPresetEntries = kPresetSlotCount + 1;
    static constexpr std::size_t kIrEntries = 9;

    // Reads the mirror from the library (user-interface thread).
    explicit CacheHandOver(ILinkLibrary& library);

    // The files underneath the transfers' IIrFiles calls; until set, IR
    // records are not written and the WAV calls fail.
    void SetDiskIrFiles(std::shared_ptr<IIrFiles> files) { disk_ = std::move(files); }
    // Told of every write's outcome (user-interface thread). Set once,
    // before the clock runs.
    void SetResultSink(std::function<void(const CacheWriteResult&)> sink) { sink_ = std::move(sink); }

    // ---- The mirror (any thread) ------------------------------------------------

    // User-interface thread: writes what is pending, then reads the mirror
    // anew from the library (files put there by others are seen from then on).
    void Reload();
    bool IrCached(int irNumber) override;
    // As the library's UserIrName: the stored name, or "Empty Slot %d".
    NameText UserIrName(int slot) const;
    // The 32 name bytes of a cache file of exactly one record's size (a
    // factory cabinet's name is read from such a record); false otherwise.
    bool RecordName(int irNumber, NameText& name) const;

    // ---- Writes ----------------------------------------------------------------------

    // record holds kPresetRecordBytes. On the clock: queued, true, and the
    // outcome told to the sink by Drain; false when the ring is full (nothing
    // is told). Elsewhere: written now, the outcome told, true.
    bool WritePreset(CacheWrite kind, int slot, const std::uint8_t* record, ChecksumPair checksum);
    bool WriteIrRecord(int irNumber, std::span<const std::uint8_t> bytes) override;
    bool RemoveIrRecord(int irNumber) override;
    // User-interface thread: writes everything queued, in the order raised.
    void Drain();
    // User-interface thread: nothing waits to be written.
    bool Empty() const;
    // User-interface thread: the library's Clear Cache Data, after the
    // pending writes, and the mirror read again.
    void DeleteCachedFiles();

    // ---- The rest of IIrFiles (user-interface thread) ------------------------------------

    WavLoad ParseWav(const std::string& path, IrSampleBuffer& buffer) override;
    bool ParseFactoryWav(int k, IrSampleBuffer& buffer) override;
    std::optional<ir::RecordBytes> ReadIrRecord(int irNumber) override;
    std::vector<int> PresetsUsingUserIr(int slot) override;

private:
    struct IrEntry {
        bool cached = false;
        std::uint64_t size = 0;
        NameText name{}; // the 32 bytes as stored
    };
    struct PresetJob {
        std::uint64_t order = 0;
        CacheWrite kind = CacheWrite::LoadedPreset;
        int slot = 0;
        ChecksumPair checksum{};
        std::array<std::uint8_t, kPresetRecordBytes> record{};
    };
    struct IrJob {
        std::uint64_t order = 0;
        bool remove = false;
        int number = 0;
        std::uint32_t size = 0;
        IrEntry before;
        std::array<std::uint8_t, kLargestQueuedIr> bytes{};
    };

    static int MirrorIndex(int irNumber);
    void Report(CacheWriteResult result);
    void WritePresetNow(const PresetJob& job);
    void WriteIrNow(const IrJob& job);
    // The mirror entry a write of these bytes leaves.
    static IrEntry EntryFor(std::span<const std::uint8_t> bytes);

    ILinkLibrary& library_;
    std::shared_ptr<IIrFiles> disk_;
    std::function<void(const CacheWriteResult&)> sink_;
    std::array<Snapshot<IrEntry>, kMirroredIrNumbers> mirror_;

    // Producer: the clock thread. Consumer: the user-interface thread.
    RingBuffer<PresetJob, kPresetEntries> presets_;
    RingBuffer<IrJob, kIrEntries> irs_;
    std::uint64_t nextOrder_ = 0; // the clock's
    // Where the clock builds an IR job before it is copied into the ring:
    // made here, so that the clock's stack does not carry 4 KB.
    std::unique_ptr<IrJob> heldIrForClock_ = std::make_unique<IrJob>();
    // Popped but not yet written (user-interface thread): the head of each
    // ring, so that the two are merged in the order raised.
    PresetJob heldPreset_;
    bool holdingPreset_ = false;
    std::unique_ptr<IrJob> heldIr_ = std::make_unique<IrJob>();
    bool holdingIr_ = false;
};

} // namespace tolvane
