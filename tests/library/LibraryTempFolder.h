#pragma once
// A fresh data folder for one test, removed afterwards.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace tolvane::testing {

class TempFolder {
public:
    TempFolder() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() /
                ("tolvane-lib-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }

    // Writes bytes under a path relative to the folder, creating folders.
    void Write(const std::filesystem::path& relative, const std::vector<std::uint8_t>& bytes) const {
        const auto full = path_ / relative;
        std::filesystem::create_directories(full.parent_path());
        std::ofstream out(full, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    bool Exists(const std::filesystem::path& relative) const {
        return std::filesystem::exists(path_ / relative);
    }

private:
    std::filesystem::path path_;
};

// A 256-byte preset record whose name field (offset 2) holds name, blank-padded.
inline std::vector<std::uint8_t> PresetRecordNamed(const std::string& name, std::uint8_t fill = 0) {
    std::vector<std::uint8_t> record(256, fill);
    for (int i = 0; i < 32; ++i)
        record[2 + i] = i < static_cast<int>(name.size()) ? static_cast<std::uint8_t>(name[i]) : ' ';
    return record;
}

} // namespace tolvane::testing
