#pragma once
// Whole-file reads and create-or-replace writes for every file the program
// keeps. A file that is missing or unreadable counts as not cached, so every
// failure is a plain empty result, never an exception.
//
// Writes go to a temporary name beside the file and are renamed into place
// only once every byte is down: a full disk, a folder that cannot be written
// or a crash half-way leaves the earlier file as it was.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace tolvane {

// At most maxBytes from the start of the file; nullopt when it cannot be opened.
std::optional<std::vector<std::uint8_t>> ReadFileStart(const std::filesystem::path& path,
                                                       std::size_t maxBytes);
// The whole file; nullopt when it cannot be opened.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path);
// Creates or replaces the file, through a temporary name. False when it
// cannot be written; the earlier file, if any, is then unchanged and no
// temporary file is left behind.
bool WriteWholeFile(const std::filesystem::path& path, const std::uint8_t* bytes, std::size_t size);
// The size of a file; nullopt when it is missing or not a regular file.
std::optional<std::uintmax_t> FileSize(const std::filesystem::path& path);
bool CanOpenForReading(const std::filesystem::path& path);

} // namespace tolvane
