#include "LibraryTempFolder.h"
#include "library/FactoryIrs.h"
#include "library/LibraryManual.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

using testing::TempFolder;

// Stands in for the program's resources: each name gives its own bytes.
struct FakeResources {
    std::vector<std::string> asked;
    ResourceProvider Provider() {
        return [this](const std::string& name) {
            asked.push_back(name);
            return std::vector<std::uint8_t>(name.begin(), name.end());
        };
    }
};

TEST(FactoryIrs, WritesAllEightOnlyWhenTheFirstIsMissing) {
    TempFolder folder;
    FakeResources resources;
    ExtractFactoryIrs(folder.Path(), resources.Provider());
    ASSERT_EQ(resources.asked.size(), 8u);
    for (const char* name : kFactoryIrWavNames)
        EXPECT_TRUE(folder.Exists(std::filesystem::path("Factory IRs") / name)) << name;

    // Another file missing alone is not repaired.
    std::filesystem::remove(folder.Path() / "Factory IRs" / "05-Cali 4x12.wav");
    resources.asked.clear();
    ExtractFactoryIrs(folder.Path(), resources.Provider());
    EXPECT_TRUE(resources.asked.empty());
    EXPECT_FALSE(folder.Exists("Factory IRs/05-Cali 4x12.wav"));

    // Without "01-Velumo.wav" every file is written again.
    std::filesystem::remove(folder.Path() / "Factory IRs" / "01-Velumo.wav");
    ExtractFactoryIrs(folder.Path(), resources.Provider());
    EXPECT_EQ(resources.asked.size(), 8u);
    EXPECT_TRUE(folder.Exists("Factory IRs/05-Cali 4x12.wav"));
}

TEST(Manual, WrittenOnceThenOpened) {
    TempFolder folder;
    FakeResources resources;
    std::vector<std::filesystem::path> opened;
    bool viewerStarts = true;
    const DocumentOpener opener = [&](const std::filesystem::path& p) {
        opened.push_back(p);
        return viewerStarts;
    };

    EXPECT_TRUE(RequestManual(folder.Path(), resources.Provider(), opener));
    EXPECT_TRUE(RequestManual(folder.Path(), resources.Provider(), opener));
    EXPECT_EQ(resources.asked, (std::vector<std::string>{"Quist_Velumo_OM1.pdf"}));
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], folder.Path() / "Quist_Velumo_OM1.pdf");
    EXPECT_TRUE(folder.Exists("Quist_Velumo_OM1.pdf"));
    viewerStarts = false;
    EXPECT_FALSE(RequestManual(folder.Path(), resources.Provider(), opener));
}

} // namespace
} // namespace tolvane
