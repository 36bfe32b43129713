#include "library/LibraryFiles.h"

#include <fstream>
#include <iterator>

namespace tolvane {

namespace {

// A folder opens as a stream on some systems; it is never a cache file.
bool IsFolder(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

} // namespace

std::optional<std::vector<std::uint8_t>> ReadFileStart(const std::filesystem::path& path,
                                                       std::size_t maxBytes) {
    if (IsFolder(path)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::uint8_t> bytes(maxBytes);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(maxBytes));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path) {
    if (IsFolder(path)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteWholeFile(const std::filesystem::path& path, const std::uint8_t* bytes, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    return static_cast<bool>(out);
}

bool CanOpenForReading(const std::filesystem::path& path) {
    if (IsFolder(path)) return false;
    std::ifstream in(path, std::ios::binary);
    return static_cast<bool>(in);
}

} // namespace tolvane
