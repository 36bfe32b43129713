// What the cache readers make of a cache path that holds something other than
// one record: a FIFO, a folder, a link to an endless device, a file one byte
// too long or too short. Each counts as not cached, so the record is read
// from the pedal again; a link to a whole record still counts. A FIFO must
// never block a reader, and a name from a cache file shows only printable
// characters.

#include "LibraryTempFolder.h"
#include "library/IrCache.h"
#include "library/LibraryStore.h"
#include "library/PresetCache.h"
#include "library/WavIrFiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tolvane {
namespace {

using testing::PresetRecordNamed;
using testing::TempFolder;
using Bytes = std::vector<std::uint8_t>;

enum class Planted { Fifo, Folder, LinkToDevZero, OneByteLong, OneByteShort, LinkToRecord };

struct PlantedCase {
    Planted kind;
    const char* label;
};

constexpr PlantedCase kPlanted[] = {
    {Planted::Fifo, "FIFO"},
    {Planted::Folder, "folder"},
    {Planted::LinkToDevZero, "link to /dev/zero"},
    {Planted::OneByteLong, "one byte too long"},
    {Planted::OneByteShort, "one byte too short"},
    {Planted::LinkToRecord, "link to a whole record"},
};

void Plant(const TempFolder& folder, const std::filesystem::path& relative, Planted kind,
           const Bytes& record) {
    const auto full = folder.Path() / relative;
    std::filesystem::create_directories(full.parent_path());
    switch (kind) {
    case Planted::Fifo:
        ASSERT_EQ(::mkfifo(full.c_str(), 0600), 0);
        return;
    case Planted::Folder:
        std::filesystem::create_directories(full);
        return;
    case Planted::LinkToDevZero:
        std::filesystem::create_symlink("/dev/zero", full);
        return;
    case Planted::OneByteLong: {
        Bytes longer = record;
        longer.push_back(0);
        folder.Write(relative, longer);
        return;
    }
    case Planted::OneByteShort:
        folder.Write(relative, Bytes(record.begin(), record.end() - 1));
        return;
    case Planted::LinkToRecord:
        folder.Write("elsewhere.bin", record);
        std::filesystem::create_symlink(folder.Path() / "elsewhere.bin", full);
        return;
    }
}

// Runs read; should it still be waiting on the FIFO after a while, a writer
// opens and closes the FIFO so the read sees its end and the test reports
// the block instead of hanging. A read that throws (out of memory on an
// endless file) is a failure too.
bool BlockedOnFifo(const std::filesystem::path& fifo, const std::function<void()>& read) {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::atomic<bool> blocked{false};
    std::thread guard([&] {
        std::unique_lock lock(mutex);
        if (done.wait_for(lock, std::chrono::seconds(3), [&] { return finished; })) return;
        blocked = true;
        while (!finished) {
            lock.unlock();
            const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) ::close(fd);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            lock.lock();
        }
    });
    try {
        read();
    } catch (const std::exception& e) {
        ADD_FAILURE() << "the read threw " << e.what();
    }
    {
        std::lock_guard lock(mutex);
        finished = true;
    }
    done.notify_one();
    guard.join();
    return blocked;
}

Bytes IrFile(const std::string& name) {
    IrRecord record;
    record.name = PadIrName(name);
    const auto bytes = EncodeIrRecord(record);
    return Bytes(bytes.begin(), bytes.end());
}

struct Reader {
    const char* name;
    std::filesystem::path relative;
    Bytes record;
    // True when the reader takes the planted file for a cached record.
    std::function<bool(const TempFolder&)> seesRecord;
};

std::vector<Reader> Readers() {
    return {
        {"preset slot labels", "Presets/001.dat", PresetRecordNamed("LINKED"),
         [](const TempFolder& f) {
             const SlotFileLabels labels = LabelPresetsFromSlotFiles(f.Path(), 1);
             EXPECT_TRUE(labels.labels[0] == " 01 " || labels.checksums[0] != (ChecksumPair{0, 0}))
                 << "a label without its record's checksum";
             return labels.labels[0] != " 01 ";
         }},
        {"preset folder scan", "Presets/002.dat", PresetRecordNamed("LINKED"),
         [](const TempFolder& f) {
             f.Write("Presets/001.dat", PresetRecordNamed("FIRST"));
             return LabelPresetsFromFolderScan(f.Path(), 1).acceptedFiles == 2;
         }},
        {"user IR cached", "User IRs/001.dat", IrFile("LINKED"),
         [](const TempFolder& f) { return UserIrCached(f.Path(), 0); }},
        {"user IR record", "User IRs/001.dat", IrFile("LINKED"),
         [](const TempFolder& f) { return LoadUserIrRecord(f.Path(), 0).has_value(); }},
        {"factory IR cached", "Factory IRs/001.dat", IrFile("LINKED"),
         [](const TempFolder& f) { return FactoryIrCached(f.Path(), 0); }},
        {"factory IR record", "Factory IRs/001.dat", IrFile("LINKED"),
         [](const TempFolder& f) { return LoadFactoryIrRecord(f.Path(), 0).has_value(); }},
        {"link's IR cached", "Factory IRs/002.dat", IrFile("LINKED"),
         [](const TempFolder& f) { return LibraryStore(f.Path()).IrCached(385); }},
        {"transfer's IR cached", "User IRs/006.dat", IrFile("LINKED"),
         [](const TempFolder& f) { return WavIrFiles(f.Path()).IrCached(5); }},
        {"transfer's IR record", "User IRs/006.dat", IrFile("LINKED"),
         [](const TempFolder& f) { return WavIrFiles(f.Path()).ReadIrRecord(5).has_value(); }},
    };
}

TEST(CacheFileTypes, OnlyAWholeRegularRecordCountsAsCached) {
    for (const Reader& reader : Readers()) {
        for (const PlantedCase& planted : kPlanted) {
            SCOPED_TRACE(std::string(reader.name) + ", " + planted.label);
            TempFolder folder;
            Plant(folder, reader.relative, planted.kind, reader.record);
            bool sees = false;
            EXPECT_FALSE(
                BlockedOnFifo(folder.Path() / reader.relative, [&] { sees = reader.seesRecord(folder); }));
            EXPECT_EQ(sees, planted.kind == Planted::LinkToRecord);
        }
    }
}

TEST(CacheFileTypes, NamesFromOddFilesNeverBlockAndFallBackToTheEmptyName) {
    for (const PlantedCase& planted : kPlanted) {
        if (planted.kind == Planted::OneByteLong || planted.kind == Planted::OneByteShort) continue;
        SCOPED_TRACE(planted.label);
        TempFolder folder;
        Plant(folder, "User IRs/001.dat", planted.kind, IrFile("LINKED"));
        Plant(folder, "Factory IRs/001.dat", planted.kind, IrFile("LINKED"));
        std::string user;
        std::optional<std::string> factory;
        EXPECT_FALSE(
            BlockedOnFifo(folder.Path() / "User IRs/001.dat", [&] { user = UserIrName(folder.Path(), 0); }));
        EXPECT_FALSE(BlockedOnFifo(folder.Path() / "Factory IRs/001.dat",
                                   [&] { factory = FactoryIrName(folder.Path(), 0); }));
        const bool linked = planted.kind == Planted::LinkToRecord;
        EXPECT_EQ(user, linked ? "LINKED" : "Empty Slot 1");
        EXPECT_EQ(factory, linked ? std::optional<std::string>("LINKED") : std::nullopt);
    }
}

TEST(CacheFileTypes, NamesShowOnlyPrintableCharacters) {
    // Control characters, DEL and bytes above 127 among the letters.
    const std::string garbage = std::string("A\x01"
                                            "B\t\x7F"
                                            "C\xFF\x80") +
                                "D";
    TempFolder folder;
    folder.Write("Presets/001.dat", PresetRecordNamed(garbage));
    folder.Write("User IRs/001.dat", IrFile(garbage));
    const std::string expected = "ABCD";

    const std::string slotLabel = LabelPresetsFromSlotFiles(folder.Path(), 1).labels[0];
    EXPECT_EQ(slotLabel, " 01 " + expected + std::string(32 - garbage.size(), ' '));
    const FolderScanLabels scan = LabelPresetsFromFolderScan(folder.Path(), 1);
    ASSERT_EQ(scan.labels.size(), 1u);
    EXPECT_EQ(scan.labels[0], slotLabel);
    EXPECT_EQ(UserIrName(folder.Path(), 0), expected);
}

} // namespace
} // namespace tolvane
