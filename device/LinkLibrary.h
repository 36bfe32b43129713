#pragma once
// What the device link needs of the local library: the preset cache files and
// the user impulse-response files. The link sits below the library, so it
// names these operations here and the library implements them over the data
// folder (library/LibraryStore.h); tests may use a temporary folder.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tolvane {

inline constexpr int kPresetSlotCount = 128;
inline constexpr int kPresetRecordBytes = 256;

// Two 7-bit halves (high, low) of a block checksum.
using ChecksumPair = std::array<std::uint8_t, 2>;

// The preset browser's 128 labels and the cache checksums read from the
// slot files.
struct SlotFileLabels {
    std::array<std::string, kPresetSlotCount> labels;
    std::array<ChecksumPair, kPresetSlotCount> checksums{};
};

// One impulse-response cache file as the link's mirror of the cache keeps it
// (device/CacheHandOver.h): its IR number, its size and the 32 bytes from
// offset 4 (the name; zeros past the end of a shorter file).
struct CachedIrFile {
    int irNumber = 0;
    std::uint64_t size = 0;
    std::array<std::uint8_t, 32> nameBytes{};
};

// Labels of the first accepted files of a folder scan, and how many ".dat"
// files the scan accepted in all.
struct FolderScanLabels {
    std::vector<std::string> labels;
    int acceptedFiles = 0;
};

class ILinkLibrary {
public:
    virtual ~ILinkLibrary() = default;
    // slot 0..127; record holds 256 bytes. False when the file cannot be written.
    virtual bool WritePresetFile(int slot, const std::uint8_t* record) = 0;
    // patchOffset 0 or 1: the first number shown.
    virtual SlotFileLabels LabelPresetsFromSlotFiles(int patchOffset) = 0;
    virtual FolderScanLabels LabelPresetsFromFolderScan(int patchOffset) = 0;
    // Deletes the ".dat" files of the preset and impulse-response caches.
    virtual void DeleteCachedFiles() = 0;
    // Whether the cache file of impulse-response number irNumber exists.
    virtual bool IrCached(int irNumber) = 0;
    // The name stored for a user IR slot, or "Empty Slot %d" when none.
    virtual std::string UserIrName(int slot) = 0;
    // Every impulse-response cache file there is, user and factory (IR
    // numbers 384 + index), in no particular order.
    virtual std::vector<CachedIrFile> ListCachedIrs() = 0;
};

} // namespace tolvane
