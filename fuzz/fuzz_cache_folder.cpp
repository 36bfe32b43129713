// The cache folder readers over one file of any content: the first byte picks
// which cache file the rest becomes (a preset slot, a user IR, a factory IR).
// Only a file of exactly one record may count as cached, and every label or
// name read from it holds printable characters only.

#include "library/DataFolder.h"
#include "library/IrCache.h"
#include "library/PresetCache.h"
#include "library/WavIrFiles.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace tolvane;
namespace fs = std::filesystem;

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

bool Printable(const std::string& text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) return false;
    return true;
}

const fs::path& Folder() {
    static const fs::path folder = [] {
        char name[] = "/tmp/tolvane-fuzz-cache-XXXXXX";
        const char* made = ::mkdtemp(name);
        if (!made) std::abort();
        return fs::path(made);
    }();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const fs::path& folder = Folder();
    const char* folders[] = {kPresetsFolder, kUserIrsFolder, kFactoryIrsFolder};
    for (const char* name : folders) {
        fs::remove_all(folder / name);
        fs::create_directories(folder / name);
    }
    const int kind = data[0] % 3;
    const std::size_t bytes = size - 1;
    const fs::path file = folder / folders[kind] / CacheFileName(1);
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(bytes));

    const SlotFileLabels slots = LabelPresetsFromSlotFiles(folder, 1);
    const bool presetCached = kind == 0 && bytes == kPresetRecordBytes;
    Check(Printable(slots.labels[0]));
    Check(presetCached || (slots.labels[0] == " 01 " && slots.checksums[0] == ChecksumPair{0, 0}));
    const FolderScanLabels scan = LabelPresetsFromFolderScan(folder, 1);
    Check(scan.acceptedFiles == (presetCached ? 1 : 0));
    for (const std::string& label : scan.labels)
        Check(Printable(label));

    Check(Printable(UserIrName(folder, 0)));
    Check(Printable(FactoryIrName(folder, 0).value_or("")));
    const bool userIr = kind == 1 && bytes == kIrRecordSize;
    const bool factoryIr = kind == 2 && bytes == kIrRecordSize;
    Check(UserIrCached(folder, 0) == userIr);
    Check(LoadUserIrRecord(folder, 0).has_value() == userIr);
    Check(FactoryIrCached(folder, 0) == factoryIr);
    Check(LoadFactoryIrRecord(folder, 0).has_value() == factoryIr);
    Check(WavIrFiles(folder).ReadIrRecord(kFirstFactoryIrNumber).has_value() == factoryIr);
    return 0;
}
