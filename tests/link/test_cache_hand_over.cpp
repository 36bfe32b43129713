// The link's way to the cache from the clock: writes raised there wait in a
// fixed queue for the user-interface thread and are written in the order
// raised; the mirror answers at once, and takes a write back that failed.
// Every test here runs under the realtime check (test_realtime_check.cpp), so
// the queueing side is also shown to allocate nothing and touch no file.

#include "../library/LibraryTempFolder.h"
#include "core/RealtimeScope.h"
#include "device/CacheHandOver.h"
#include "library/DataFolder.h"
#include "library/LibraryFiles.h"
#include "library/LibraryStore.h"
#include "library/PresetCache.h"
#include "library/WavIrFiles.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace tolvane::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes PresetRecord(std::uint8_t fill) {
    return Bytes(kPresetRecordBytes, fill);
}

Bytes IrRecord(const std::string& name) {
    Bytes record(ir::kRecordSize, 0);
    for (std::size_t i = 0; i < ir::kNameLength; ++i)
        record[ir::kNameOffset + i] = i < name.size() ? static_cast<std::uint8_t>(name[i]) : ' ';
    return record;
}

class CacheHandOverTest : public ::testing::Test {
protected:
    CacheHandOverTest() {
        cache.SetDiskIrFiles(std::make_shared<WavIrFiles>(folder.Path()));
        cache.SetResultSink([this](const CacheWriteResult& r) {
            results.push_back(std::to_string(static_cast<int>(r.kind)) + ":" + std::to_string(r.number) + ":" +
                              (r.written ? "ok" : "failed"));
        });
    }
    std::string Name(int slot) const {
        const NameText name = cache.UserIrName(slot);
        return std::string(name.data(), strnlen(name.data(), name.size()));
    }

    TempFolder folder;
    LibraryStore store{folder.Path()};
    CacheHandOver cache{store};
    std::vector<std::string> results;
};

TEST_F(CacheHandOverTest, WritesFromTheClockWaitForTheDrainAndKeepTheirOrder) {
    const Bytes first = PresetRecord(1);
    const Bytes second = PresetRecord(2);
    const Bytes cab = IrRecord("GREEN CAB");
    bool cachedBefore = true;
    bool cachedAfter = false;
    {
        const RealtimeScope clock;
        EXPECT_TRUE(cache.WritePreset(CacheWrite::LoadedPreset, 3, first.data(), {1, 2}));
        cachedBefore = cache.IrCached(5);
        EXPECT_TRUE(cache.WriteIrRecord(5, cab));
        cachedAfter = cache.IrCached(5);
        EXPECT_TRUE(cache.WritePreset(CacheWrite::SavedPreset, 4, second.data(), {3, 4}));
    }
    EXPECT_FALSE(cachedBefore);
    EXPECT_TRUE(cachedAfter); // the mirror answers at once
    EXPECT_EQ(Name(5), "GREEN CAB");
    EXPECT_FALSE(std::filesystem::exists(PresetFilePath(folder.Path(), 3)));
    EXPECT_TRUE(results.empty());
    EXPECT_FALSE(cache.Empty());

    cache.Drain();
    EXPECT_TRUE(cache.Empty());
    EXPECT_EQ(results, (std::vector<std::string>{"0:3:ok", "2:5:ok", "1:4:ok"}));
    EXPECT_EQ(ReadWholeFile(PresetFilePath(folder.Path(), 3)), first);
    EXPECT_EQ(ReadWholeFile(PresetFilePath(folder.Path(), 4)), second);
    EXPECT_EQ(ReadWholeFile(folder.Path() / kUserIrsFolder / CacheFileName(6)), cab);
    // A new mirror read from the disk says the same.
    CacheHandOver again(store);
    EXPECT_TRUE(again.IrCached(5));
    const NameText name = again.UserIrName(5);
    EXPECT_EQ(std::string(name.data(), strnlen(name.data(), name.size())), "GREEN CAB");
}

TEST_F(CacheHandOverTest, AWriteOffTheClockComesAfterThePendingOnes) {
    const Bytes older = PresetRecord(7);
    const Bytes newer = PresetRecord(8);
    {
        const RealtimeScope clock;
        cache.WritePreset(CacheWrite::LoadedPreset, 10, older.data(), {});
    }
    cache.WritePreset(CacheWrite::LoadedPreset, 10, newer.data(), {});
    EXPECT_EQ(results, (std::vector<std::string>{"0:10:ok", "0:10:ok"}));
    EXPECT_EQ(ReadWholeFile(PresetFilePath(folder.Path(), 10)), newer);
}

TEST_F(CacheHandOverTest, AFailedIrWriteIsToldAndTheMirrorTakesItBack) {
    folder.Write(kUserIrsFolder, {1}); // a file where the folder should be
    const Bytes cab = IrRecord("LOST");
    {
        const RealtimeScope clock;
        EXPECT_TRUE(cache.WriteIrRecord(9, cab));
    }
    EXPECT_TRUE(cache.IrCached(9));
    cache.Drain();
    EXPECT_EQ(results, (std::vector<std::string>{"2:9:failed"}));
    EXPECT_FALSE(cache.IrCached(9));
    EXPECT_EQ(Name(9), "Empty Slot 10");
}

TEST_F(CacheHandOverTest, AFullQueueRefusesRatherThanWaits) {
    const Bytes record = PresetRecord(3);
    std::size_t accepted = 0;
    {
        const RealtimeScope clock;
        for (std::size_t i = 0; i < CacheHandOver::kPresetEntries + 5; ++i)
            accepted += cache.WritePreset(CacheWrite::LoadedPreset, static_cast<int>(i % kPresetSlotCount),
                                          record.data(), {})
                            ? 1
                            : 0;
    }
    EXPECT_EQ(accepted, CacheHandOver::kPresetEntries - 1);
    cache.Drain();
    EXPECT_EQ(results.size(), CacheHandOver::kPresetEntries - 1);
}

TEST_F(CacheHandOverTest, FactoryNamesComeFromWholeRecordsOnly) {
    const Bytes cab = IrRecord("BLOND 2X12   ");
    cache.WriteIrRecord(384 + 2, cab);
    cache.WriteIrRecord(384 + 3, Bytes(100, 'x'));
    NameText name{};
    ASSERT_TRUE(cache.RecordName(386, name));
    EXPECT_EQ(std::string(name.data(), 13), "BLOND 2X12   ");
    EXPECT_FALSE(cache.RecordName(387, name));
    EXPECT_TRUE(cache.IrCached(387));
    cache.DeleteCachedFiles();
    EXPECT_FALSE(cache.IrCached(386));
}

} // namespace
} // namespace tolvane::testing
