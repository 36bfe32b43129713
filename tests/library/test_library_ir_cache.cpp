#include "LibraryTempFolder.h"
#include "library/IrCache.h"
#include "library/LibraryStore.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

using testing::TempFolder;

std::vector<std::uint8_t> IrFileNamed(const std::string& name, std::size_t size) {
    IrRecord record;
    record.name = PadIrName(name);
    record.samples[3] = 1234;
    const auto bytes = EncodeIrRecord(record);
    std::vector<std::uint8_t> file(bytes.begin(), bytes.end());
    file.resize(size, 0);
    return file;
}

TEST(IrCache, MissingUserSlotsAreNamedByTheirPlaceInTheBank) {
    TempFolder folder;
    EXPECT_EQ(UserIrName(folder.Path(), 0), "Empty Slot 1");
    EXPECT_EQ(UserIrName(folder.Path(), 33), "Empty Slot 2");
    EXPECT_EQ(UserIrName(folder.Path(), 287), "Empty Slot 32");
    EXPECT_FALSE(UserIrCached(folder.Path(), 0));
    EXPECT_FALSE(FactoryIrName(folder.Path(), 0));
}

TEST(IrCache, OnlyAFileOfExactly2436BytesLoadsForDisplay) {
    TempFolder folder;
    folder.Write("User IRs/001.dat", IrFileNamed("MY CAB    ", 2436));
    folder.Write("User IRs/002.dat", IrFileNamed("SHORT ONE ", 100));
    folder.Write("User IRs/003.dat", IrFileNamed("LONG ONE  ", 2437));

    // Every size gives the name, without its trailing blanks.
    EXPECT_EQ(UserIrName(folder.Path(), 0), "MY CAB");
    EXPECT_EQ(UserIrName(folder.Path(), 1), "SHORT ONE");
    EXPECT_EQ(UserIrName(folder.Path(), 2), "LONG ONE");

    const auto loaded = LoadUserIrRecord(folder.Path(), 0);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->samples[3], 1234);
    EXPECT_FALSE(LoadUserIrRecord(folder.Path(), 1));
    EXPECT_FALSE(LoadUserIrRecord(folder.Path(), 2));
}

TEST(IrCache, IrNumbersMapToTheirFolders) {
    TempFolder folder;
    IrRecord record;
    record.name = PadIrName("FACTORY EIGHT");
    ASSERT_TRUE(WriteIrRecord(folder.Path(), 391, record));
    ASSERT_TRUE(WriteIrRecord(folder.Path(), 383, record));
    EXPECT_TRUE(folder.Exists("Factory IRs/008.dat"));
    EXPECT_TRUE(folder.Exists("User IRs/384.dat"));
    EXPECT_EQ(FactoryIrName(folder.Path(), 7), "FACTORY EIGHT");
    EXPECT_TRUE(FactoryIrCached(folder.Path(), 7));

    LibraryStore store(folder.Path());
    EXPECT_TRUE(store.IrCached(391));
    EXPECT_TRUE(store.IrCached(383));
    EXPECT_FALSE(store.IrCached(384));
    EXPECT_FALSE(store.IrCached(0));
}

} // namespace
} // namespace tolvane
