#include "library/LibraryFiles.h"

#include <atomic>
#include <fstream>
#include <iterator>
#include <string>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace tolvane {

namespace {

// A folder opens as a stream on some systems; it is never a cache file.
bool IsFolder(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

unsigned long CurrentProcessId() {
#ifdef _WIN32
    return static_cast<unsigned long>(_getpid());
#else
    return static_cast<unsigned long>(::getpid());
#endif
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
    // Unique per process and call, so that two threads writing the same file
    // never share a temporary one.
    static std::atomic<unsigned> counter{0};
    std::filesystem::path temporary = path;
    temporary += ".part-" + std::to_string(CurrentProcessId()) + "-" + std::to_string(++counter);
    bool written = false;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (out) {
            out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
            out.close();
            written = !out.fail();
        }
    }
    std::error_code ec;
    if (written) {
        std::filesystem::rename(temporary, path, ec);
        written = !ec;
    }
    if (!written) std::filesystem::remove(temporary, ec);
    return written;
}

std::optional<std::uintmax_t> FileSize(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) return std::nullopt;
    return size;
}

bool CanOpenForReading(const std::filesystem::path& path) {
    if (IsFolder(path)) return false;
    std::ifstream in(path, std::ios::binary);
    return static_cast<bool>(in);
}

} // namespace tolvane
