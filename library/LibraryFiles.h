#pragma once
// Bounded reads and create-or-replace writes for every file the program
// keeps. A file that is missing or unreadable counts as not cached, so every
// failure is a plain empty result, never an exception.
//
// Reads open regular files only (a symbolic link counts when it leads to
// one): a FIFO, a device or a folder in a cache folder would block the start
// or feed it endless bytes. No read takes more than its caller's limit.
//
// Writes go to a short temporary name in the same folder and are renamed
// into place only once every byte is down: a full disk, a folder that cannot
// be written or a crash half-way leaves the earlier file as it was.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace tolvane {

// The most any whole-file read takes unless its caller says otherwise.
inline constexpr std::size_t kLargestLibraryFile = 16 * 1024 * 1024;

// At most maxBytes from the start of the file; nullopt when it is not a
// regular file or cannot be opened.
std::optional<std::vector<std::uint8_t>> ReadFileStart(const std::filesystem::path& path,
                                                       std::size_t maxBytes);
// The whole file when it holds exactly size bytes; nullopt for any other size,
// so that a damaged cache file counts as missing.
std::optional<std::vector<std::uint8_t>> ReadExactFile(const std::filesystem::path& path, std::size_t size);
// The whole file; nullopt when it cannot be opened or holds more than maxBytes.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path,
                                                       std::size_t maxBytes = kLargestLibraryFile);
// Creates or replaces the file, through a temporary name. False when it
// cannot be written; the earlier file, if any, is then unchanged and no
// temporary file is left behind.
bool WriteWholeFile(const std::filesystem::path& path, const std::uint8_t* bytes, std::size_t size);
// The size of a file; nullopt when it is missing or not a regular file.
std::optional<std::uintmax_t> FileSize(const std::filesystem::path& path);
// A regular file that opens for reading.
bool CanOpenForReading(const std::filesystem::path& path);

} // namespace tolvane
