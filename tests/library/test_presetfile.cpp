// The preset file's bytes: the layout a save writes and every check a load
// makes, in the order it makes them.

#include "library/PresetFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace tolvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

PresetFileContent Sample(int records) {
    PresetFileContent c;
    c.name = "Glassy Verb";
    for (int i = 0; i < kPresetFileValues; ++i)
        c.values[i] = static_cast<std::uint8_t>(i + 1);
    c.irName7 = "Room A";
    c.irName8 = "";
    for (int r = 0; r < records; ++r) {
        ir::RecordBytes record{};
        record.fill(static_cast<std::uint8_t>(0x30 + r));
        c.records.push_back(record);
    }
    return c;
}

TEST(PresetFileFormat, LayoutOfEachSize) {
    for (int records : {0, 1, 2}) {
        const Bytes file = EncodePresetFile(Sample(records));
        ASSERT_EQ(file.size(), 262u + 2436u * records);
        EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "DVLX");
        EXPECT_EQ(file[4], 1);
        EXPECT_EQ(file[5], 0);
        EXPECT_EQ(std::string(file.begin() + 6, file.begin() + 38), "Glassy Verb" + std::string(21, ' '));
        EXPECT_EQ(file[38], 1);   // parameter 0
        EXPECT_EQ(file[78], 41);  // parameter 40
        EXPECT_EQ(file[102], 65); // parameter 64
        EXPECT_EQ(Bytes(file.begin() + 103, file.begin() + 198), Bytes(95, 0));
        EXPECT_EQ(std::string(file.begin() + 198, file.begin() + 230), "Room A" + std::string(26, ' '));
        EXPECT_EQ(std::string(file.begin() + 230, file.begin() + 262), std::string(32, ' '));
        for (int r = 0; r < records; ++r)
            EXPECT_EQ(file[262 + 2436 * r + 100], 0x30 + r);

        PresetFileContent back;
        ASSERT_EQ(DecodePresetFile(file, back), PresetFileRead::Ok);
        EXPECT_EQ(back.values, Sample(0).values);
        EXPECT_EQ(back.name, "Glassy Verb" + std::string(21, ' '));
        EXPECT_EQ(back.records, Sample(records).records);
    }
}

TEST(PresetFileFormat, Checks) {
    struct Case {
        const char* what;
        void (*change)(Bytes&);
        PresetFileRead result;
    };
    const Case cases[] = {
        {"as written", [](Bytes&) {}, PresetFileRead::Ok},
        {"one letter of the magic differs", [](Bytes& f) { f[2] = 'X'; }, PresetFileRead::UnknownFormat},
        {"shorter than the block", [](Bytes& f) { f.resize(261); }, PresetFileRead::UnknownFormat},
        {"empty", [](Bytes& f) { f.clear(); }, PresetFileRead::UnknownFormat},
        {"version 1.1", [](Bytes& f) { f[5] = 1; }, PresetFileRead::UnsupportedVersion},
        {"version 2.0", [](Bytes& f) { f[4] = 2; }, PresetFileRead::UnsupportedVersion},
        {"version 0.9", [](Bytes& f) { f[4] = 0, f[5] = 9; }, PresetFileRead::Ok},
        // Version bytes are signed: 0xFF is -1, so "-1.0" is older than 1.0.
        {"version bytes FF 00", [](Bytes& f) { f[4] = 0xFF, f[5] = 0; }, PresetFileRead::Ok},
        {"version checked before the size", [](Bytes& f) { f[5] = 1, f.resize(300); },
         PresetFileRead::UnsupportedVersion},
        {"a partial record", [](Bytes& f) { f.resize(262 + 100); }, PresetFileRead::UnknownFormat},
        {"three records", [](Bytes& f) { f.resize(262 + 3 * 2436); }, PresetFileRead::UnknownFormat},
        {"8192 bytes", [](Bytes& f) { f.resize(8192); }, PresetFileRead::TooLarge},
    };
    for (const auto& c : cases) {
        Bytes file = EncodePresetFile(Sample(0));
        c.change(file);
        PresetFileContent content;
        EXPECT_EQ(DecodePresetFile(file, content), c.result) << c.what;
    }
}

TEST(PresetFileFormat, StoreReadsWhatItWroteAndRefusesLargeFiles) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("tolvane_presetfile_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    PresetFileStore store;
    const std::string path = (folder / "a.dvp").string();
    ASSERT_TRUE(store.Write(path, Sample(2)));
    EXPECT_EQ(std::filesystem::file_size(path), 5134u);
    PresetFileContent back;
    EXPECT_EQ(store.Read(path, back), PresetFileRead::Ok);
    EXPECT_EQ(back.records.size(), 2u);

    std::filesystem::resize_file(path, 20000);
    EXPECT_EQ(store.Read(path, back), PresetFileRead::TooLarge);
    EXPECT_EQ(store.Read((folder / "missing.dvp").string(), back), PresetFileRead::NotReadable);
    EXPECT_FALSE(store.Write((folder / "no folder" / "b.dvp").string(), Sample(0)));
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace tolvane
