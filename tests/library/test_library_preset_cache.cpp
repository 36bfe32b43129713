#include "LibraryTempFolder.h"
#include "library/LibraryStore.h"
#include "library/PresetCache.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

using testing::PresetRecordNamed;
using testing::TempFolder;

TEST(PresetCache, EmptyFolderGivesBareNumbersAndZeroChecksums) {
    TempFolder folder;
    for (int offset : {0, 1}) {
        const SlotFileLabels labels = LabelPresetsFromSlotFiles(folder.Path(), offset);
        EXPECT_EQ(labels.labels[0], offset ? " 01 " : " 00 ");
        EXPECT_EQ(labels.labels[127], offset ? " 128 " : " 127 ");
        for (const auto& sum : labels.checksums)
            EXPECT_EQ(sum, (ChecksumPair{0, 0}));
    }
    // The scan finds no "001.dat" and creates the folder.
    const FolderScanLabels scan = LabelPresetsFromFolderScan(folder.Path(), 0);
    EXPECT_EQ(scan.acceptedFiles, 0);
    EXPECT_TRUE(scan.labels.empty());
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / "Presets"));
}

TEST(PresetCache, WrittenSlotGivesItsLabelAndBlockChecksum) {
    TempFolder folder;
    auto record = PresetRecordNamed("CRUNCH  ");
    record[40] = 0x7F;
    ASSERT_TRUE(WritePresetFile(folder.Path(), 5, record.data()));
    EXPECT_TRUE(folder.Exists("Presets/006.dat"));

    const SlotFileLabels labels = LabelPresetsFromSlotFiles(folder.Path(), 1);
    // Trailing blanks of a preset name stay in the label.
    EXPECT_EQ(labels.labels[5], " 06 CRUNCH" + std::string(26, ' '));
    unsigned sum = 0;
    for (auto b : record)
        sum += b;
    EXPECT_EQ(labels.checksums[5], (ChecksumPair{static_cast<std::uint8_t>((sum >> 7) & 0x7F),
                                                 static_cast<std::uint8_t>(sum & 0x7F)}));
    EXPECT_EQ(labels.labels[4], " 05 ");
}

TEST(PresetCache, FolderScanCountsOnlyExactDatFilesInNameOrder) {
    TempFolder folder;
    folder.Write("Presets/002.dat", PresetRecordNamed("SECOND"));
    folder.Write("Presets/001.dat", PresetRecordNamed("FIRST"));
    folder.Write("Presets/003.DAT", PresetRecordNamed("UPPER"));
    folder.Write("Presets/notes.txt", {1, 2, 3});
    std::filesystem::create_directories(folder.Path() / "Presets" / "dir.dat");

    const FolderScanLabels scan = LabelPresetsFromFolderScan(folder.Path(), 0);
    EXPECT_EQ(scan.acceptedFiles, 2);
    ASSERT_EQ(scan.labels.size(), 2u);
    EXPECT_EQ(scan.labels[0], " 00 FIRST" + std::string(27, ' '));
    EXPECT_EQ(scan.labels[1], " 01 SECOND" + std::string(26, ' '));
}

TEST(PresetCache, FolderScanLabelsAtMost128ButCountsAll) {
    TempFolder folder;
    for (int n = 1; n <= 130; ++n)
        folder.Write("Presets/" +
                         std::string(n < 10    ? "00"
                                     : n < 100 ? "0"
                                               : "") +
                         std::to_string(n) + ".dat",
                     PresetRecordNamed("P"));
    const FolderScanLabels scan = LabelPresetsFromFolderScan(folder.Path(), 1);
    EXPECT_EQ(scan.acceptedFiles, 130);
    EXPECT_EQ(scan.labels.size(), 128u);
    EXPECT_EQ(scan.labels[127].substr(0, 5), " 128 ");
}

TEST(PresetCache, DeletingCachedFilesKeepsEverythingButDat) {
    TempFolder folder;
    for (const char* path : {"Presets/001.dat", "Presets/001.DAT", "User IRs/010.dat", "Factory IRs/001.dat",
                             "Factory IRs/01-Velumo.wav", "Quist_Velumo_OM1.pdf", "settings.ini"})
        folder.Write(path, {1});
    DeleteCachedFiles(folder.Path());
    EXPECT_FALSE(folder.Exists("Presets/001.dat"));
    EXPECT_FALSE(folder.Exists("User IRs/010.dat"));
    EXPECT_FALSE(folder.Exists("Factory IRs/001.dat"));
    for (const char* path :
         {"Presets/001.DAT", "Factory IRs/01-Velumo.wav", "Quist_Velumo_OM1.pdf", "settings.ini"})
        EXPECT_TRUE(folder.Exists(path)) << path;
}

} // namespace
} // namespace tolvane
