// Writing files through a temporary name: a write that fails half-way (disk
// full) or cannot start (folder not writable) leaves the earlier file whole
// and no temporary file behind, and a name close to the length limit still
// fits.

#include "LibraryTempFolder.h"
#include "library/LibraryFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace tolvane::testing {
namespace {

std::vector<std::uint8_t> Read(const std::filesystem::path& path) {
    return ReadWholeFile(path).value_or(std::vector<std::uint8_t>{});
}

std::size_t FilesIn(const std::filesystem::path& folder) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++n;
    return n;
}

// The process may write files of at most limit bytes while it lives: the
// next byte fails as on a full disk (the signal that would end the process is
// ignored meanwhile).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit tight = saved_;
        tight.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &tight);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

TEST(LibraryFiles, AWriteReplacesTheFileWhole) {
    TempFolder folder;
    const auto path = folder.Path() / "001.dat";
    const std::vector<std::uint8_t> old(256, 0x11), fresh(100, 0x22);
    ASSERT_TRUE(WriteWholeFile(path, old.data(), old.size()));
    ASSERT_TRUE(WriteWholeFile(path, fresh.data(), fresh.size()));
    EXPECT_EQ(Read(path), fresh);
    EXPECT_EQ(FilesIn(folder.Path()), 1u);
}

// Near the file system's 255-byte limit: the temporary name must not grow it.
const std::string kLongName = std::string(246, 'n') + ".dvb";

TEST(LibraryFiles, AFileNameOf250BytesIsWrittenAndReplaced) {
    TempFolder folder;
    const auto path = folder.Path() / kLongName;
    const std::vector<std::uint8_t> old(256, 0x11), fresh(100, 0x22);
    ASSERT_TRUE(WriteWholeFile(path, old.data(), old.size()));
    ASSERT_TRUE(WriteWholeFile(path, fresh.data(), fresh.size()));
    EXPECT_EQ(Read(path), fresh);
    EXPECT_EQ(FilesIn(folder.Path()), 1u) << "a temporary file was left behind";
}

TEST(LibraryFiles, ADiskFullHalfWayLeavesTheEarlierFileWhole) {
    for (const std::string& name : {std::string("backup.dvb"), kLongName}) {
        SCOPED_TRACE(name.size());
        TempFolder folder;
        const auto path = folder.Path() / name;
        const std::vector<std::uint8_t> old(300, 0x11), fresh(4096, 0x22);
        ASSERT_TRUE(WriteWholeFile(path, old.data(), old.size()));
        bool written = true;
        {
            FileSizeLimit limit(1000);
            written = WriteWholeFile(path, fresh.data(), fresh.size());
        }
        EXPECT_FALSE(written);
        EXPECT_EQ(Read(path), old);
        EXPECT_EQ(FilesIn(folder.Path()), 1u) << "a temporary file was left behind";
    }
}

TEST(LibraryFiles, AFolderThatCannotBeWrittenIsAFailure) {
    TempFolder folder;
    folder.Write("Presets", {1, 2, 3}); // a file where the folder should be
    const std::vector<std::uint8_t> bytes(256, 0x33);
    EXPECT_FALSE(WriteWholeFile(folder.Path() / "Presets" / "001.dat", bytes.data(), bytes.size()));
    EXPECT_EQ(Read(folder.Path() / "Presets"), (std::vector<std::uint8_t>{1, 2, 3}));
}

} // namespace
} // namespace tolvane::testing
